#include "engine/flite/FlitePreparedStart.h"

namespace orasent {

void FlitePreparedStart::begin(const SynthesisJob& job) {
    clear();
    m_voiceIdentifier = job.voiceIdentifier;
    m_text = job.text;
    m_xml = job.xml;
    m_wordsPerMinute = job.wordsPerMinute;
    m_stage = Stage::Making;
}

bool FlitePreparedStart::add(const FliteAudioPiece& piece) {
    Piece kept;
    kept.sampleRate = piece.sampleRate;
    kept.samples.assign(piece.samples, piece.samples + piece.count);
    kept.words = piece.words;
    kept.speechEnd = piece.speechEnd;
    m_pieces.push_back(std::move(kept));
    return true;
}

void FlitePreparedStart::clear() {
    m_stage = Stage::Empty;
    m_pieces.clear();
    m_text.clear();
}

bool FlitePreparedStart::matches(const SynthesisJob& job) const {
    return m_stage == Stage::Ready && job.paced && job.text == m_text && job.xml == m_xml &&
           job.voiceIdentifier == m_voiceIdentifier && job.wordsPerMinute == m_wordsPerMinute;
}

bool FlitePreparedStart::replay(const FliteAudioSink& sink) const {
    for (const Piece& kept : m_pieces) {
        FliteAudioPiece piece;
        piece.sampleRate = kept.sampleRate;
        piece.samples = kept.samples.data();
        piece.count = int(kept.samples.size());
        piece.words = kept.words;
        piece.speechEnd = kept.speechEnd;
        if (!sink(piece))
            return false;
    }
    return true;
}

} // namespace orasent
