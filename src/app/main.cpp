// Program start: the command line, then the reader window as the first window; closing it ends
// the program.
#include "app/CommandLine.h"
#include "app/ExportCommand.h"
#include "app/UserFolder.h"
#include "common/ProgramFiles.h"
#include "common/ui/Accessibility.h"
#include "common/ui/UserPrompts.h"
#include "engine/CombinedVoice.h"
#include "reader/RecognitionPages.h"
#include "reader/ui/EnglishF.h"
#include "speech/ui/TTSSetup.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {
// From argument `first` on (0 includes the program's name).
QStringList argumentsOf(int argc, char* argv[], int first = 1) {
    QStringList arguments;
    for (int i = first; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// --help, --version and usage errors end the program before any window; -1 means go on.
int answerWithoutWindow(const orasent::CommandLine& line) {
    using Action = orasent::CommandLine::Action;
    if (line.action == Action::Help) {
        QTextStream(stdout) << orasent::usageText();
        return 0;
    }
    if (line.action == Action::Version) {
        QTextStream(stdout) << "orasent " << orasent::programVersion() << '\n';
        return 0;
    }
    if (line.action == Action::UsageError) {
        QTextStream(stderr) << "orasent: " << line.error << ". " << orasent::usageHint() << '\n';
        return orasent::usageErrorStatus();
    }
    return -1;
}
} // namespace

int main(int argc, char* argv[]) {
    orasent::useRecognitionForPages(); // pictures and scanned pages, by every route
    if (const QStringList all = argumentsOf(argc, argv, 0); orasent::isExportCommand(all)) {
        QCoreApplication app(argc, argv); // no window, no display
        return orasent::runExportCommand(QCoreApplication::arguments());
    }
    const orasent::CommandLine line = orasent::parseCommandLine(argumentsOf(argc, argv));
    if (const int status = answerWithoutWindow(line); status >= 0)
        return status;
    // A relative FILE names a file in the folder the command was started in.
    const QString startupFile =
        line.file.isEmpty() ? QString() : QFileInfo(line.file).absoluteFilePath();

    QApplication app(argc, argv);
    QApplication::setApplicationName(orasent::programTitle());
    QApplication::setApplicationVersion(orasent::programVersion());
    QApplication::setDesktopFileName(QStringLiteral("org.orasent.Orasent"));
    orasent::installAccessibleInterfaces();

    orasent::UserPrompts& prompts = orasent::UserPrompts::standard();
    if (line.userFolder) {
        const QString folder = orasent::userFolderPath();
        const QString problem = orasent::prepareUserFolder(folder, orasent::poolSourceFolder());
        if (!problem.isEmpty())
            prompts.showMessage(nullptr, problem, orasent::programTitle());
        QDir::setCurrent(folder);
    }
    orasent::TTSSetup ttsSetup([] { return orasent::createDesktopVoice(); }, prompts);
    orasent::EnglishF reader(ttsSetup, prompts);
    reader.setStartupFile(startupFile);
    reader.Form_Load();
    reader.show();
    return app.exec();
}
