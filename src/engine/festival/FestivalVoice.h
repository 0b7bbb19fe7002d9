#pragma once
// Festival's voices behind the SpVoice interface: the espeak-ng voice's audio path (formats,
// outputs, wave files, events when heard) over the Festival thread and its helper process. A
// job that fails (the helper stopped or was killed, a voice's data did not load) ends its stream
// and raises a Notice; Orasent speaks on. The first text of a document with a run of another
// script in a language raises a Notice that espeak-ng's voice reads that language.
#include "engine/EspeakVoice.h"
#include "engine/ForeignSpeech.h"

namespace orasent {

class FestivalVoice : public EspeakVoice {
    Q_OBJECT
public:
    explicit FestivalVoice(QObject* parent = nullptr);
    // The voices of this folder instead of Debian's (for tests).
    FestivalVoice(const QString& voicesFolder, QObject* parent);

    QString LanguageOf(const SpObjectToken& voice) const override;
    int Speak(const QString& text, int flags) override;
    void newDocument() override { m_notices.clear(); }
    void setVoice(const SpObjectToken& voice) override;
    // Sounds as CMU phones in their inline form, given to the helper as lexicon entries.
    QString inlineSounds(const QString& ipa) const override;
    // Stop is the espeak-ng voice's: a phrase the helper is already speaking finishes there and
    // its reply is dropped.
    // The helper ends when it is idle.
    void releaseVoice() override;

    static const char* const kFailedNotice; // "The Festival voice stopped: %1."

private:
    OtherScriptNotices m_notices;
};

} // namespace orasent
