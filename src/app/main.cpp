// Program start: the reader window is the first window; closing it ends the program.
#include "common/ProgramFiles.h"
#include "common/ui/Accessibility.h"
#include "common/ui/UserPrompts.h"
#include "engine/CombinedVoice.h"
#include "reader/ui/EnglishF.h"
#include "speech/ui/TTSSetup.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(orasent::programTitle());
    QApplication::setApplicationVersion(orasent::programVersion());
    orasent::installAccessibleInterfaces();

    orasent::UserPrompts& prompts = orasent::UserPrompts::standard();
    orasent::TTSSetup ttsSetup([] { return orasent::createDesktopVoice(); }, prompts);
    orasent::EnglishF reader(ttsSetup, prompts);
    reader.Form_Load();
    reader.show();
    return app.exec();
}
