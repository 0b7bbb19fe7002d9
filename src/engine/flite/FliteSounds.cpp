#include "engine/flite/FliteSounds.h"

extern "C" {
#include <flite/flite.h>
}

#include <cstring>

namespace orasent {

namespace {

// Flite keeps no room for a caller's data in a synthesis step, so the one running on this
// thread finds its words here.
thread_local const QVector<FliteSoundWord>* t_sounds = nullptr;
thread_local cst_uttfunc t_ownTextAnalysis = nullptr;

cst_utterance* textAnalysisWithSounds(cst_utterance* u) {
    for (cst_item* t = relation_head(utt_relation(u, "Token")); t && t_sounds; t = item_next(t)) {
        const char* name = item_feat_string(t, "name");
        for (const FliteSoundWord& word : *t_sounds) {
            if (std::strcmp(word.token.constData(), name) == 0) {
                item_set(t, "phones", val_readlist_string(word.phones.constData()));
                break;
            }
        }
    }
    return t_ownTextAnalysis ? t_ownTextAnalysis(u) : default_textanalysis(u);
}

} // namespace

cst_utterance* synthesizeWithSounds(const char* text, cst_voice* voice,
                                    const QVector<FliteSoundWord>& sounds) {
    if (sounds.isEmpty())
        return flite_synth_text(text, voice);
    t_sounds = &sounds;
    const cst_val* own = feat_val(voice->features, "textanalysis_func");
    t_ownTextAnalysis = own ? val_uttfunc(own) : nullptr;
    cst_utterance* u = new_utterance();
    utt_set_input_text(u, text);
    utt_init(u, voice);
    feat_set(u->features, "textanalysis_func", uttfunc_val(&textAnalysisWithSounds));
    if (!utt_synth(u)) {
        delete_utterance(u);
        u = nullptr;
    }
    t_sounds = nullptr;
    return u;
}

} // namespace orasent
