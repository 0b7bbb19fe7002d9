#pragma once
// Flite itself: its voices and the synthesis of one phrase with the time of each word. Each
// FliteSynth has voice objects of its own and is used on one thread (a FliteWorker's); the voice
// table is plain data usable anywhere.
#include "engine/flite/FliteText.h"

#include <QString>
#include <QVector>
#include <map>
#include <memory>

struct cst_voice_struct;

namespace orasent {

struct FliteVoiceDelete {
    void operator()(cst_voice_struct* voice) const;
};

struct FliteVoiceInfo {
    const char* identifier;  // "flite/cmu_us_rms"
    const char* description; // what a listener hears: "English (America), Flite, male (rms)"
    const char* language;    // BCP 47
    // Flite's duration stretch at which the voice speaks about 175 words a minute, measured
    // with bench_voices over the shared sentences (leading and trailing silence included).
    double stretchAt175;
};

// The voices built in, in the order the voice list shows them.
const QVector<FliteVoiceInfo>& fliteVoices();
const FliteVoiceInfo* fliteVoiceInfo(const QString& identifier);

struct FliteWordTime {
    int pos = 0; // UTF-16 offset into the spoken text
    int length = 0;
    qint64 sample = 0; // the word's first sample in the phrase's audio
};

struct FlitePhraseAudio {
    int sampleRate = 0;
    QVector<short> samples;
    QVector<FliteWordTime> words;
    QString error; // non-empty: Flite failed on this phrase
};

class FliteSynth {
public:
    FliteSynth();
    // Speed: 1.0 is the voice's own; 2.0 twice as fast.
    FlitePhraseAudio speak(const QString& identifier, const FliteText& text,
                           const FlitePhrase& phrase, double speed);

private:
    cst_voice_struct* voice(const QString& identifier);
    std::map<QString, std::unique_ptr<cst_voice_struct, FliteVoiceDelete>> m_voices; // its own
};

} // namespace orasent
