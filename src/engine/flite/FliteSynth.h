#pragma once
// Flite itself: its voices and the synthesis of one phrase with the time of each word. Each
// FliteSynth has voice objects of its own and is used on one thread (a FliteWorker's); the voice
// table is plain data usable anywhere.
#include "engine/flite/FliteText.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
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

// A piece of a phrase's audio as Flite makes it. The phrase's first piece carries the time of
// each of its words and the end of its speech (Flite knows them before the first sample); the
// silence Flite puts before the first word and after the last is part of the audio.
struct FliteAudioPiece {
    int sampleRate = 0;
    const short* samples = nullptr;
    int count = 0;
    QVector<FliteWordTime> words;
    qint64 speechEnd = -1; // with the first piece: the sample after the last one spoken
};
// Takes each piece on the Flite thread; false stops the phrase's synthesis there.
using FliteAudioSink = std::function<bool(FliteAudioPiece&)>;

class FliteSynth {
public:
    FliteSynth();
    // Speed: 1.0 is the voice's own; 2.0 twice as fast. The audio goes to `sink` piece by piece
    // while it is made (kPieceSamples or so at a time). Returns "" or why Flite failed.
    QString speak(const QString& identifier, const FliteText& text, const FlitePhrase& phrase,
                  double speed, const FliteAudioSink& sink);

    static constexpr int kPieceSamples = 800; // 50 ms at the voices' 16 kHz
    // The phones Flite says for all of `text`, pauses left out, each vowel with its syllable's
    // stress ("t ax0 m ey1 t ow0"); empty when Flite fails. For checks of what is said.
    QStringList phones(const QString& identifier, const FliteText& text);

private:
    cst_voice_struct* voice(const QString& identifier);
    std::map<QString, std::unique_ptr<cst_voice_struct, FliteVoiceDelete>> m_voices; // its own
};

} // namespace orasent
