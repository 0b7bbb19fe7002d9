#include "engine/flite/FliteVoice.h"

#include "engine/LocalVoices.h"
#include "engine/flite/FliteSynth.h"
#include "engine/flite/FliteWorker.h"

namespace orasent {

FliteVoice::FliteVoice(QObject* parent)
    : EspeakVoice(FliteWorker::instance(), fliteVoiceTokens(), parent) {}

QString FliteVoice::LanguageOf(const SpObjectToken& voice) const {
    const FliteVoiceInfo* info = fliteVoiceInfo(voice.Id());
    return info ? QString::fromLatin1(info->language) : QString();
}

} // namespace orasent
