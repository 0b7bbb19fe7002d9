#include "engine/flite/FliteVoice.h"

#include "engine/CmuPhones.h"
#include "engine/LocalVoices.h"
#include "engine/flite/FliteSynth.h"
#include "engine/flite/FliteWorker.h"
#include "engine/flite/ForeignRuns.h"

#include <QLocale>

namespace orasent {

FliteVoice::FliteVoice(QObject* parent)
    : EspeakVoice(FliteWorker::instance(), fliteVoiceTokens(), parent) {}

const char* const FliteVoice::kOtherScriptNotice = "%1 is read by espeak-ng's voice.";

int FliteVoice::Speak(const QString& text, int flags) {
    const int stream = EspeakVoice::Speak(text, flags);
    for (const ForeignRun& run : foreignRuns(text, (flags & SVSFIsXML) != 0)) {
        if (m_announced.contains(run.language))
            continue;
        m_announced.insert(run.language);
        const QLocale locale(run.language);
        const QString name = locale.language() == QLocale::C
                                 ? run.language
                                 : QLocale::languageToString(locale.language());
        emit Notice(QString::fromLatin1(kOtherScriptNotice).arg(name));
    }
    return stream;
}

QString FliteVoice::LanguageOf(const SpObjectToken& voice) const {
    const FliteVoiceInfo* info = fliteVoiceInfo(voice.Id());
    return info ? QString::fromLatin1(info->language) : QString();
}

QString FliteVoice::inlineSounds(const QString& ipa) const {
    return cmuInlineSounds(ipa);
}

} // namespace orasent
