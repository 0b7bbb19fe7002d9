#pragma once
// Flite's voices behind the SpVoice interface: the espeak-ng voice's audio path (formats,
// outputs, wave files, events when heard) over the Flite thread. The first text of a document
// with a run of another script in a language raises a Notice that espeak-ng's voice reads that
// language.
#include "engine/EspeakVoice.h"
#include "engine/ForeignSpeech.h"

namespace orasent {

class FliteVoice : public EspeakVoice {
    Q_OBJECT
public:
    explicit FliteVoice(QObject* parent = nullptr);
    QString LanguageOf(const SpObjectToken& voice) const override;
    int Speak(const QString& text, int flags) override;
    // Sounds as CMU phones in their inline form (see FliteSounds.h).
    QString inlineSounds(const QString& ipa) const override;
    void newDocument() override { m_notices.clear(); }

private:
    OtherScriptNotices m_notices;
};

} // namespace orasent
