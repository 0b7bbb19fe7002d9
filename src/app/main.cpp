// Program start: the reader window is the first window; closing it ends the program.
#include "app/ExportCommand.h"
#include "common/ProgramFiles.h"
#include "common/ui/Accessibility.h"
#include "common/ui/UserPrompts.h"
#include "engine/EspeakVoice.h"
#include "reader/ui/EnglishF.h"
#include "speech/ui/TTSSetup.h"

#include <QApplication>
#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (orasent::isExportCommand(arguments)) {
        QCoreApplication app(argc, argv); // no window, no display
        return orasent::runExportCommand(QCoreApplication::arguments());
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(orasent::programTitle());
    QApplication::setApplicationVersion(orasent::programVersion());
    orasent::installAccessibleInterfaces();

    orasent::UserPrompts& prompts = orasent::UserPrompts::standard();
    orasent::TTSSetup ttsSetup([] { return orasent::createEspeakVoice(); }, prompts);
    orasent::EnglishF reader(ttsSetup, prompts);
    reader.Form_Load();
    reader.show();
    return app.exec();
}
