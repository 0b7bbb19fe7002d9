#include "engine/flite/FliteVoice.h"

#include "engine/CmuPhones.h"
#include "engine/LocalVoices.h"
#include "engine/flite/FliteSynth.h"
#include "engine/flite/FliteWorker.h"

namespace orasent {

FliteVoice::FliteVoice(QObject* parent)
    : EspeakVoice(FliteWorker::instance(), fliteVoiceTokens(), parent) {}

int FliteVoice::Speak(const QString& text, int flags) {
    const int stream = EspeakVoice::Speak(text, flags);
    for (const QString& notice : m_notices.take(text, (flags & SVSFIsXML) != 0))
        emit Notice(notice);
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
