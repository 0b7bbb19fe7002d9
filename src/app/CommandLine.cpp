#include "app/CommandLine.h"

namespace orasent {

namespace {
CommandLine usageError(const QString& message) {
    CommandLine line;
    line.action = CommandLine::Action::UsageError;
    line.error = message;
    return line;
}

// Options that end the run at once; the first one named wins.
bool takeFinalOption(const QString& argument, CommandLine* line) {
    if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
        line->action = CommandLine::Action::Help;
        return true;
    }
    if (argument == QLatin1String("--version")) {
        line->action = CommandLine::Action::Version;
        return true;
    }
    return false;
}

// The actions for a desktop shortcut; 0 when `argument` is none of them.
CommandLine::Action shortcutAction(const QString& argument) {
    if (argument == QLatin1String("--read-selection"))
        return CommandLine::Action::ReadSelection;
    if (argument == QLatin1String("--read-clipboard"))
        return CommandLine::Action::ReadClipboard;
    if (argument == QLatin1String("--stop"))
        return CommandLine::Action::Stop;
    return CommandLine::Action::Run;
}
} // namespace

const QStringList& commandLineOptionNames() {
    static const QStringList names{QStringLiteral("--"),
                                   QStringLiteral("--help"),
                                   QStringLiteral("-h"),
                                   QStringLiteral("--version"),
                                   QStringLiteral("--user-folder"),
                                   QStringLiteral("--read-selection"),
                                   QStringLiteral("--read-clipboard"),
                                   QStringLiteral("--stop"),
                                   QStringLiteral("--print-text")};
    return names;
}

CommandLine parseCommandLine(const QStringList& arguments) {
    CommandLine line;
    bool optionsEnded = false;
    for (const QString& argument : arguments) {
        const bool looksLikeOption = argument.startsWith(u'-') && argument.size() > 1;
        if (!optionsEnded && looksLikeOption) {
            if (!commandLineOptionNames().contains(argument)) {
                return usageError(QStringLiteral("unknown option '%1'").arg(argument));
            } else if (argument == QLatin1String("--")) {
                optionsEnded = true;
            } else if (takeFinalOption(argument, &line)) {
                return line;
            } else if (argument == QLatin1String("--user-folder")) {
                line.userFolder = true;
            } else if (const auto action = shortcutAction(argument);
                       action != CommandLine::Action::Run) {
                if (line.action != CommandLine::Action::Run && line.action != action)
                    return usageError(QStringLiteral("only one of --read-selection, "
                                                     "--read-clipboard and --stop can be given"));
                line.action = action;
            } else {
                return usageError(QStringLiteral("unknown option '%1'").arg(argument));
            }
            continue;
        }
        if (!line.file.isEmpty())
            return usageError(QStringLiteral("only one file can be opened at a time"));
        if (argument.isEmpty())
            return usageError(QStringLiteral("the file name is empty"));
        line.file = argument;
    }
    if (line.action != CommandLine::Action::Run && !line.file.isEmpty())
        return usageError(QStringLiteral("a file can not be opened together with an action"));
    return line;
}

QString usageText() {
    return QStringLiteral(
        "Usage: orasent [--user-folder] [FILE]\n"
        "       orasent [--user-folder] --read-selection | --read-clipboard | --stop\n"
        "       orasent --print-text FILE\n"
        "       orasent --export IN OUT [--format F] [--quality Q] [--split-chapters]\n"
        "               [--captions C] [--voice NAME] [--rate R] [--volume V]\n"
        "               [--from-sentence N]\n"
        "       orasent --list-voices\n"
        "Shows a text one sentence at a time in very large type and speaks it.\n"
        "\n"
        "Reading:\n"
        "  FILE           open FILE from its start (a text file, EPUB, PDF, Word .docx,\n"
        "                 OpenDocument .odt, HTML or Markdown); the file read last time\n"
        "                 resumes where it stopped\n"
        "  --             end of the options: what follows is the FILE, even with a '-'\n"
        "  --user-folder  keep the reading state and settings in the Orasent folder of your\n"
        "                 home folder, created with the question pools on first use\n"
        "                 (otherwise the folder the program was started in)\n"
        "  --print-text FILE  write the text Orasent reads from FILE to standard output,\n"
        "                 one paragraph a line, and exit\n"
        "  --import-lexicon FILE  add the words of a PLS pronunciation lexicon to the\n"
        "                 pronunciation rules (Pronunciations.pls), and exit\n"
        "  --read-selection  speak the text selected in any program (the clipboard where\n"
        "                 the desktop shares no selection)\n"
        "  --read-clipboard  speak the text on the clipboard\n"
        "  --stop         silence the speech\n"
        "                 One Orasent runs at a time: a second start hands its file or\n"
        "                 action to the running one; these three start it in the\n"
        "                 background when none runs\n"
        "\n"
        "Audiobooks (no window is shown; the voice, rate, volume and word list are those of\n"
        "the speech window, from VIC.INI and Speech.lst in the working folder):\n"
        "  --export IN OUT  read the document IN into the audio file OUT and exit\n"
        "  --format F     wav, flac, ogg, opus, mp3, or epub for a read-along EPUB 3 whose\n"
        "                 text is highlighted as it is heard (default: OUT's extension)\n"
        "  --quality Q    small, standard (the default) or high\n"
        "  --split-chapters  one audio file per chapter, in a folder named after the book\n"
        "                 beside OUT\n"
        "  --captions C   also write captions beside OUT: srt, vtt or lrc\n"
        "  --voice NAME   the voice, by a name or identifier from --list-voices\n"
        "  --rate R       the speed, from -10 to 10\n"
        "  --volume V     the volume, from 0 to 100\n"
        "  --from-sentence N  start at the Nth sentence (1 is the first)\n"
        "  --list-voices  list the voices, an identifier and a name a line, and exit\n"
        "\n"
        "  -h, --help     show this help and exit\n"
        "  --version      show the version and exit\n"
        "\n"
        "See the manual page orasent(1) for more.\n");
}

QString usageHint() {
    return QStringLiteral("Try 'orasent --help' for more information.");
}

int usageErrorStatus() {
    return 2;
}

bool namesOption(const QStringList& arguments, const QString& option) {
    for (const QString& arg : arguments.mid(1))
        if (arg == option || arg.startsWith(option + QLatin1Char('=')))
            return true;
    return false;
}

} // namespace orasent
