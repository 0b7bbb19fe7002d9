#pragma once
// Flite's voices behind the SpVoice interface: the espeak-ng voice's audio path (formats,
// outputs, wave files, events when heard) over the Flite thread.
#include "engine/EspeakVoice.h"

namespace orasent {

class FliteVoice : public EspeakVoice {
    Q_OBJECT
public:
    explicit FliteVoice(QObject* parent = nullptr);
    QString LanguageOf(const SpObjectToken& voice) const override;
};

} // namespace orasent
