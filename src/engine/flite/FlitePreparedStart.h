#pragma once
// The first phrase of the text likely spoken next, made by Flite while its thread had nothing
// else to do: when that text is spoken, its first audio is there without waiting for Flite.
#include "engine/SynthesisWorker.h"
#include "engine/flite/FliteSynth.h"

#include <vector>

namespace orasent {

class FlitePreparedStart {
public:
    // Starts over for `job`'s text; its first phrase's pieces follow through add().
    void begin(const SynthesisJob& job);
    bool add(const FliteAudioPiece& piece);
    void finish() { m_stage = Stage::Ready; }
    void clear();
    // Whether `job` speaks the prepared text with the same voice and speed.
    bool matches(const SynthesisJob& job) const;
    // Hands the pieces to `sink` as Flite did; false when the sink stopped them.
    bool replay(const FliteAudioSink& sink) const;

private:
    struct Piece {
        int sampleRate = 0;
        std::vector<short> samples;
        QVector<FliteWordTime> words;
        qint64 speechEnd = -1;
    };
    QString m_voiceIdentifier;
    QString m_text;
    bool m_xml = false;
    int m_wordsPerMinute = 0;
    enum class Stage { Empty, Making, Ready }; // Ready: the whole first phrase is kept
    Stage m_stage = Stage::Empty;
    std::vector<Piece> m_pieces;
};

} // namespace orasent
