#include "export/ExportArguments.h"

#include <functional>

namespace orasent {

const char* const kExportUsage =
    "usage: orasent --export IN OUT [--format wav|flac|ogg|opus|mp3|epub] "
    "[--quality small|standard|high] [--split-chapters] [--captions srt|vtt|lrc] "
    "[--voice NAME] [--rate -10..10] [--volume 0..100] [--from-sentence N] | orasent "
    "--list-voices";

const QStringList& exportOptionNames() {
    static const QStringList names{
        QStringLiteral("--export"),         QStringLiteral("--list-voices"),
        QStringLiteral("--format"),         QStringLiteral("--quality"),
        QStringLiteral("--split-chapters"), QStringLiteral("--captions"),
        QStringLiteral("--voice"),          QStringLiteral("--rate"),
        QStringLiteral("--volume"),         QStringLiteral("--from-sentence")};
    return names;
}

namespace {

std::optional<int> wholeNumberIn(const QString& text, int low, int high) {
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return int(value);
}

class Parser {
public:
    explicit Parser(const QStringList& args) : m_args(args) {}
    ParsedExportArguments parse();

private:
    bool fail(const QString& message) {
        if (m_error.isEmpty())
            m_error = message;
        return false;
    }
    // The option's value: after "=" or the next argument.
    bool value(const QString& name, QString* out);
    bool option(const QString& name);
    bool numberOption(const QString& name, int low, int high, std::optional<int>* out);

    const QStringList& m_args;
    int m_at = 0;
    QString m_inline;
    bool m_hasInline = false;
    QString m_error;
    ExportArguments m_result;
    bool m_export = false;
};

bool Parser::value(const QString& name, QString* out) {
    if (m_hasInline) {
        *out = m_inline;
        return true;
    }
    if (m_at + 1 >= m_args.size())
        return fail(QStringLiteral("%1 needs a value").arg(name));
    *out = m_args[++m_at];
    return true;
}

bool Parser::numberOption(const QString& name, int low, int high, std::optional<int>* out) {
    QString text;
    if (!value(name, &text))
        return false;
    *out = wholeNumberIn(text, low, high);
    if (!*out)
        return fail(QStringLiteral("%1 must be a whole number from %2 to %3, not \"%4\"")
                        .arg(name)
                        .arg(low)
                        .arg(high)
                        .arg(text));
    return true;
}

bool Parser::option(const QString& name) {
    QString text;
    if (!exportOptionNames().contains(name))
        return fail(QStringLiteral("unknown option %1").arg(name));
    if (name == QLatin1String("--list-voices")) {
        m_result.listVoices = true;
        return !m_hasInline || fail(QStringLiteral("--list-voices takes no value"));
    }
    if (name == QLatin1String("--export")) {
        if (m_hasInline || m_at + 2 >= m_args.size())
            return fail(QStringLiteral("--export needs an input file and an output file"));
        m_export = true;
        m_result.input = m_args[++m_at];
        m_result.output = m_args[++m_at];
        return true;
    }
    if (name == QLatin1String("--format")) {
        if (!value(name, &text))
            return false;
        m_result.format = audioFormatFromName(text);
        return m_result.format ||
               fail(QStringLiteral("unknown format \"%1\" (use wav, flac, ogg, opus, mp3 or epub)")
                        .arg(text));
    }
    if (name == QLatin1String("--quality")) {
        if (!value(name, &text))
            return false;
        const auto quality = exportQualityFromName(text);
        m_result.quality = quality.value_or(ExportQuality::Standard);
        return quality.has_value() ||
               fail(QStringLiteral("unknown quality \"%1\" (use small, standard or high)")
                        .arg(text));
    }
    if (name == QLatin1String("--split-chapters")) {
        m_result.splitChapters = true;
        return !m_hasInline || fail(QStringLiteral("--split-chapters takes no value"));
    }
    if (name == QLatin1String("--captions")) {
        if (!value(name, &text))
            return false;
        const auto captions = captionFormatFromName(text);
        m_result.captions = captions.value_or(CaptionFormat::None);
        return captions.has_value() ||
               fail(QStringLiteral("unknown captions \"%1\" (use srt, vtt or lrc)").arg(text));
    }
    if (name == QLatin1String("--voice")) {
        if (!value(name, &m_result.voice))
            return false;
        return !m_result.voice.trimmed().isEmpty() || fail(QStringLiteral("--voice needs a name"));
    }
    if (name == QLatin1String("--rate"))
        return numberOption(name, -10, 10, &m_result.rate);
    if (name == QLatin1String("--volume"))
        return numberOption(name, 0, 100, &m_result.volume);
    if (name == QLatin1String("--from-sentence")) {
        std::optional<int> n;
        if (!numberOption(name, 1, 1000000000, &n))
            return false;
        m_result.fromSentence = *n;
        return true;
    }
    return fail(QStringLiteral("unknown option %1").arg(name));
}

ParsedExportArguments Parser::parse() {
    for (m_at = 0; m_at < m_args.size() && m_error.isEmpty(); ++m_at) {
        const QString& arg = m_args[m_at];
        if (!arg.startsWith(QLatin1String("--"))) {
            fail(QStringLiteral("unexpected argument \"%1\"").arg(arg));
            break;
        }
        const qsizetype equals = arg.indexOf(QLatin1Char('='));
        m_hasInline = equals > 0;
        m_inline = m_hasInline ? arg.mid(equals + 1) : QString();
        option(m_hasInline ? arg.left(equals) : arg);
    }
    if (m_error.isEmpty() && m_export == m_result.listVoices)
        fail(m_export ? QStringLiteral("--list-voices and --export cannot be combined")
                      : QStringLiteral("--export IN OUT or --list-voices is needed"));
    if (m_error.isEmpty() && m_export && (m_result.input.isEmpty() || m_result.output.isEmpty()))
        fail(QStringLiteral("--export needs an input file and an output file"));
    ParsedExportArguments parsed;
    parsed.ok = m_error.isEmpty();
    parsed.error = m_error;
    parsed.arguments = m_result;
    return parsed;
}

} // namespace

ParsedExportArguments parseExportArguments(const QStringList& arguments) {
    return Parser(arguments).parse();
}

} // namespace orasent
