// The reader's "Read from Screen" command in the Tools menu, and the voice whose language text
// recognition follows.
#include "reader/ui/EnglishF.h"
#include "reader/ui/ScreenCapture.h"
#include "reader/ui/ScreenReading.h"
#include "recognition/RecognitionLanguage.h"
#include "speech/SpeakingCore.h"
#include "speech/SpeechWindow.h"

#include <QAction>
#include <QMenu>

namespace orasent {

namespace {
// The voice's identifier ("gmw/en-US"): its language is the one pictures are read in.
QString voiceLanguage(SpeechWindow& tts) {
    SpVoice* voice = tts.speakingCore().voice();
    return voice ? voice->Voice().Id() : QString();
}
} // namespace

void EnglishF::addReadFromScreen() {
    ScreenReading::Hooks hooks;
    hooks.window = this;
    hooks.show = [this](const QString& text) { setSentenceText(text); };
    hooks.speak = [this](const QString& text) { handOver(text); };
    hooks.voiceLanguage = [this] { return voiceLanguage(m_tts); };
    m_screenReading = new ScreenReading(std::move(hooks), this);

    QAction* action = m_toolsMenu->addAction(QStringLiteral("Read from Screen"));
    action->setObjectName(QStringLiteral("ReadFromScreen"));
    const CaptureSupport support = screenCaptureSupport();
    action->setEnabled(support.available);
    action->setToolTip(support.available
                           ? QStringLiteral("Drag a rectangle over text anywhere on the screen "
                                            "to hear it.")
                           : support.reason);
    action->setStatusTip(action->toolTip());
    m_toolsMenu->setToolTipsVisible(true);
    connect(action, &QAction::triggered, m_screenReading, &ScreenReading::start);

    // Documents loaded off the GUI thread read their pictures in the voice's language too.
    connect(&m_tts.speakingCore(), &SpeakingCore::speakingStateApplied, this,
            [this] { setPreferredRecognitionVoice(voiceLanguage(m_tts)); });
}

} // namespace orasent
