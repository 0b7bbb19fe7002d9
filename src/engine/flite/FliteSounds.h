#pragma once
// Words given as CMU phones, said by Flite with those phones. Flite reads no phones inside its
// text, so FliteText puts a made-up word in their place, and the synthesis here gives that
// word's token the phones before Flite's text analysis runs: Flite then keeps it as one word and
// its lexical step takes the token's phones instead of looking the word up. Flite thread only.
#include "engine/flite/FliteText.h"

struct cst_utterance_struct;
struct cst_voice_struct;

namespace orasent {

// Like flite_synth_text, with the words of `sounds` said as their phones. Null when Flite fails.
cst_utterance_struct* synthesizeWithSounds(const char* text, cst_voice_struct* voice,
                                           const QVector<FliteSoundWord>& sounds);

} // namespace orasent
