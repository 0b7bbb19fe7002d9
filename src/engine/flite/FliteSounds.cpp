#include "engine/flite/FliteSounds.h"

#include "engine/CmuPhones.h"

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

// Four letters: "aaaa" for the first word.
QByteArray tokenFor(qsizetype index) {
    QByteArray letters(4, 'a');
    for (int i = 3; i >= 0 && index > 0; --i, index /= 26)
        letters[i] = char('a' + index % 26);
    return QByteArrayLiteral("orasentsounds") + letters;
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

// Flite's lexicon has no secondary stress: its words carry 1 where the CMU dictionary has 2.
qsizetype FliteText::readSounds(const QString& text, qsizetype i) {
    constexpr qsizetype kMostWords = 26 * 26 * 26 * 26;
    if (text.at(i) != kCmuInlineOpen || m_soundWords.size() >= kMostWords)
        return -1;
    qsizetype end = -1;
    const QStringList phones = readCmuInline(text, i, &end);
    if (phones.isEmpty())
        return -1;
    FliteSoundWord word{tokenFor(m_soundWords.size()), {}};
    for (const QString& phone : phones) {
        QByteArray name = phone.toLatin1();
        if (name.endsWith('2'))
            name.back() = '1';
        word.phones += (word.phones.isEmpty() ? "" : " ") + name;
    }
    append(' ', int(i), int(end));
    for (const char c : std::as_const(word.token))
        append(c, int(i), int(end));
    if (end < text.size() && text.at(end).isLetterOrNumber())
        append(' ', int(i), int(end)); // punctuation after it stays with it, as after a word
    m_soundWords.append(std::move(word));
    return end;
}

} // namespace orasent
