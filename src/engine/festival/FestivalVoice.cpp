#include "engine/festival/FestivalVoice.h"

#include "engine/CmuPhones.h"
#include "engine/festival/FestivalBackend.h"
#include "engine/festival/FestivalVoices.h"

namespace orasent {

const char* const FestivalVoice::kFailedNotice = "The Festival voice stopped: %1.";

FestivalVoice::FestivalVoice(QObject* parent) : FestivalVoice(festivalVoicesFolder(), parent) {}

FestivalVoice::FestivalVoice(const QString& voicesFolder, QObject* parent)
    : EspeakVoice(FestivalBackend::instance(), installedFestivalVoices(voicesFolder), parent) {
    FestivalBackend::instance().setVoicesFolder(voicesFolder);
    connect(&FestivalBackend::instance(), &FestivalBackend::failed, this,
            [this](quintptr owner, const QString& reason) {
                if (owner == quintptr(this))
                    emit Notice(QString::fromLatin1(kFailedNotice).arg(reason));
            });
}

int FestivalVoice::Speak(const QString& text, int flags) {
    const int stream = EspeakVoice::Speak(text, flags);
    for (const QString& notice : m_notices.take(text, (flags & SVSFIsXML) != 0))
        emit Notice(notice);
    return stream;
}

QString FestivalVoice::LanguageOf(const SpObjectToken& voice) const {
    const FestivalVoiceInfo* info = festivalVoiceInfo(voice.Id());
    return info ? QString::fromLatin1(info->language) : QString();
}

void FestivalVoice::setVoice(const SpObjectToken& voice) {
    EspeakVoice::setVoice(voice);
    FestivalBackend::instance().setWanted(true);
}

// Festival's voices speak the CMU phone set, as Flite's do.
QString FestivalVoice::inlineSounds(const QString& ipa) const {
    return cmuInlineSounds(ipa);
}

void FestivalVoice::releaseVoice() {
    FestivalBackend::instance().setWanted(false);
}

} // namespace orasent
