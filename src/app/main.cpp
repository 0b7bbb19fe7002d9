// Program start: the command line, one Orasent per user, then the reader window as the first
// window; closing it ends the program.
#include "app/CommandLine.h"
#include "app/DesktopSession.h"
#include "app/ExportCommand.h"
#include "app/HandOver.h"
#include "app/ImportLexiconCommand.h"
#include "app/PrintTextCommand.h"
#include "app/QuitSignals.h"
#include "app/ShortcutPortal.h"
#include "app/SingleInstance.h"
#include "app/UserFolder.h"
#include "common/ProgramFiles.h"
#include "common/ui/Accessibility.h"
#include "common/ui/UserPrompts.h"
#include "engine/CombinedVoice.h"
#include "export/ExportLeftovers.h"
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

// Hands the request to a running Orasent when there is one: the exit status then, else -1.
int handOverToRunning(orasent::SingleInstance& instance, const orasent::HandOver& request) {
    switch (instance.claim(request)) {
    case orasent::SingleInstance::Outcome::HandedOver:
        return 0;
    case orasent::SingleInstance::Outcome::Refused:
        QTextStream(stderr) << instance.message() << '\n';
        return 1;
    case orasent::SingleInstance::Outcome::First:
        break;
    }
    return -1;
}

// The commands that run without a window or a display: their exit status, else -1.
int runCommandWithoutWindow(int& argc, char* argv[]) {
    const QStringList all = argumentsOf(argc, argv, 0);
    int (*run)(const QStringList&) = nullptr;
    if (orasent::isExportCommand(all))
        run = orasent::runExportCommand;
    else if (orasent::isPrintTextCommand(all))
        run = orasent::runPrintTextCommand;
    else if (orasent::isImportLexiconCommand(all))
        run = orasent::runImportLexiconCommand;
    if (!run)
        return -1;
    QCoreApplication app(argc, argv); // no window, no display
    return run(QCoreApplication::arguments());
}

void nameApplication() {
    QApplication::setApplicationName(orasent::programTitle());
    QApplication::setApplicationVersion(orasent::programVersion());
    QApplication::setDesktopFileName(QStringLiteral("org.orasent.Orasent"));
    // The reader ends the program when it closes; a hidden reader with the speech window closed
    // keeps running for the next request.
    QApplication::setQuitOnLastWindowClosed(false);
}

// --user-folder: the program works in the user's own folder, made and filled when missing.
void useUserFolder(orasent::UserPrompts& prompts) {
    const QString folder = orasent::userFolderPath();
    const QString problem = orasent::prepareUserFolder(folder, orasent::poolSourceFolder());
    if (!problem.isEmpty())
        prompts.showMessage(nullptr, problem, orasent::programTitle());
    QDir::setCurrent(folder);
}

// The desktop's global shortcuts: read the selection, or stop.
void takeShortcuts(orasent::ShortcutPortal& shortcuts, orasent::DesktopSession& session) {
    QObject::connect(&shortcuts, &orasent::ShortcutPortal::activated, &session,
                     [&session](const QString& id) {
                         session.take({id == orasent::ShortcutPortal::stopId()
                                           ? orasent::HandOver::Kind::Stop
                                           : orasent::HandOver::Kind::ReadSelection,
                                       {}});
                     });
    shortcuts.registerShortcuts();
}
} // namespace

int main(int argc, char* argv[]) {
    orasent::useRecognitionForPages(); // pictures and scanned pages, by every route
    if (const int status = runCommandWithoutWindow(argc, argv); status >= 0)
        return status;
    const orasent::CommandLine line = orasent::parseCommandLine(argumentsOf(argc, argv));
    if (const int status = answerWithoutWindow(line); status >= 0)
        return status;
    // A relative FILE names a file in the folder the command was started in.
    const QString startupFile =
        line.file.isEmpty() ? QString() : QFileInfo(line.file).absoluteFilePath();

    QApplication app(argc, argv);
    nameApplication();
    orasent::UserPrompts& prompts = orasent::UserPrompts::standard();
    if (line.userFolder)
        useUserFolder(prompts);
    orasent::SingleInstance instance;
    const orasent::HandOver request = orasent::handOverFor(line, startupFile);
    if (const int status = handOverToRunning(instance, request); status >= 0)
        return status;
    if (request.kind == orasent::HandOver::Kind::Stop)
        return 0; // nothing runs that could be silenced
    // An export killed on the way (SIGKILL, a power cut) left temporaries its record names.
    orasent::removeRecordedLeftovers(QDir::currentPath());

    orasent::installAccessibleInterfaces();
    orasent::TTSSetup ttsSetup([] { return orasent::createDesktopVoice(); }, prompts);
    orasent::EnglishF reader(ttsSetup, prompts);
    orasent::DesktopSession session(reader, ttsSetup);
    QObject::connect(&instance, &orasent::SingleInstance::received, &session,
                     &orasent::DesktopSession::take);
    orasent::QuitSignals quitSignals;
    QObject::connect(&quitSignals, &orasent::QuitSignals::quitRequested, &session,
                     &orasent::DesktopSession::quitAsQuit);

    reader.setStartupFile(startupFile);
    reader.loadWindow();
    session.publishPlayer();
    orasent::ShortcutPortal shortcuts;
    takeShortcuts(shortcuts, session);
    // Reading the selection starts in the background: the user stays where the text is. Without
    // a session bus nothing could reach a hidden program again, so the window shows then.
    if (orasent::showsReader(request) || !instance.onSessionBus())
        reader.show();
    if (!orasent::showsReader(request))
        session.run(request);
    session.setReady();
    if (session.hasQuit())
        return 0; // a signal came while the reader was loading: saved already
    return app.exec();
}
