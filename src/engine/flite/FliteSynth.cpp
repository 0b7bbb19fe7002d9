#include "engine/flite/FliteSynth.h"

#include "engine/flite/FliteNoise.h"

extern "C" {
#include <flite/flite.h>
cst_voice* register_cmu_us_slt(const char* voxdir);
cst_voice* register_cmu_us_rms(const char* voxdir);
cst_voice* register_cmu_us_awb(const char* voxdir);
cst_voice* register_cmu_us_kal16(const char* voxdir);
// Where each voice library keeps the voice it hands out.
extern cst_voice* cmu_us_slt_cg;
extern cst_voice* cmu_us_rms_cg;
extern cst_voice* cmu_us_awb_cg;
extern cst_voice* cmu_us_kal16_diphone;
}

#include <QtGlobal>
#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <mutex>
#include <string>
#include <vector>

namespace orasent {

namespace {

using Register = cst_voice* (*)(const char*);

struct Registration {
    Register reg;
    cst_voice** kept;
};

Registration registerFor(const QString& identifier) {
    if (identifier == QLatin1String("flite/cmu_us_slt"))
        return {register_cmu_us_slt, &cmu_us_slt_cg};
    if (identifier == QLatin1String("flite/cmu_us_rms"))
        return {register_cmu_us_rms, &cmu_us_rms_cg};
    if (identifier == QLatin1String("flite/cmu_us_awb"))
        return {register_cmu_us_awb, &cmu_us_awb_cg};
    if (identifier == QLatin1String("flite/cmu_us_kal16"))
        return {register_cmu_us_kal16, &cmu_us_kal16_diphone};
    return {nullptr, nullptr};
}

// A voice object of the caller's own. A register function hands out the one voice its library
// keeps, and sets up the shared lexicon the first time: under one lock, with the kept voice
// cleared around the call, it makes a new voice each time.
cst_voice* newVoice(const QString& identifier) {
    static std::mutex registering;
    const Registration r = registerFor(identifier);
    if (!r.reg)
        return nullptr;
    std::lock_guard<std::mutex> lock(registering);
    *r.kept = nullptr;
    cst_voice* voice = r.reg(nullptr);
    *r.kept = nullptr;
    return voice;
}

// cst_errjmp is one pointer for the process, and phrases may be synthesized on several threads
// at once (an export's lanes). It points into a call only while that call is the only one
// synthesizing: with two at once it is cleared, as a jump into another thread's frame would be
// worse than Flite's own exit. (Flite raised no such error on any awkward text tried.)
std::mutex errorJumpMutex;
std::vector<jmp_buf*> errorJumps;

void setErrorJump(jmp_buf* here, bool entering) {
    std::lock_guard<std::mutex> lock(errorJumpMutex);
    if (entering)
        errorJumps.push_back(here);
    else
        errorJumps.erase(std::find(errorJumps.begin(), errorJumps.end(), here));
    cst_errjmp = errorJumps.size() == 1 ? errorJumps.front() : nullptr;
}

// Flite reports a fatal error by jumping to cst_errjmp (else it exits the process): the jump
// lands here and the phrase fails instead. No C++ object lives in this frame.
cst_utterance* guardedSynth(const char* text, cst_voice* voice) {
    jmp_buf here;
    restartFliteNoise();
    setErrorJump(&here, true);
    cst_utterance* utt = nullptr;
    if (setjmp(here) == 0)
        utt = flite_synth_text(text, voice);
    setErrorJump(&here, false);
    return utt;
}

// The words Flite said, each at its token's place in the text; the words a token became
// ("forty", "two" for "42") share it and raise one event.
QVector<FliteWordTime> wordTimes(cst_utterance* utt, const FliteText& text,
                                 const FlitePhrase& phrase, int sampleRate) {
    std::map<const void*, std::pair<int, int>> spans;
    int cursor = phrase.begin;
    for (cst_item* tok = relation_head(utt_relation(utt, "Token")); tok; tok = item_next(tok)) {
        const QByteArray name(item_feat_string(tok, "name"));
        const int at = text.find(name, cursor, phrase.end);
        if (at < 0)
            continue;
        spans[tok->contents] = {at, int(name.size())};
        cursor = at + int(name.size());
    }
    QVector<FliteWordTime> words;
    const void* lastToken = nullptr;
    qint64 lastSample = 0;
    for (cst_item* w = relation_head(utt_relation(utt, "Word")); w; w = item_next(w)) {
        const cst_item* tok = item_parent(item_as(w, "Token"));
        const void* key = tok ? static_cast<const void*>(tok->contents) : nullptr;
        const auto span = spans.find(key);
        if (span == spans.end() || key == lastToken)
            continue;
        lastToken = key;
        const float start = ffeature_float(w, "R:SylStructure.daughter1.daughter1.R:Segment.p.end");
        const qint64 sample = qMax(lastSample, qint64(std::llround(double(start) * sampleRate)));
        lastSample = sample;
        const auto [pos, length] = text.sourceSpan(span->second.first, span->second.second);
        words.append(FliteWordTime{pos, length, sample});
    }
    return words;
}

} // namespace

const QVector<FliteVoiceInfo>& fliteVoices() {
    static const QVector<FliteVoiceInfo> voices = {
        // At their own pace bench_voices measured rms 180, slt 206, awb 205 and kal 225 words a
        // minute; the stretch brings each to about 175 at Rate 0.
        {"flite/cmu_us_rms", "English (America), Flite, male (rms)", "en-US", 1.0},
        {"flite/cmu_us_slt", "English (America), Flite, female (slt)", "en-US", 1.15},
        {"flite/cmu_us_awb", "English (Scotland), Flite, male (awb)", "en-GB", 1.15},
        {"flite/cmu_us_kal16", "English (America), Flite, male, older (kal)", "en-US", 1.25},
    };
    return voices;
}

const FliteVoiceInfo* fliteVoiceInfo(const QString& identifier) {
    for (const FliteVoiceInfo& info : fliteVoices())
        if (identifier == QLatin1String(info.identifier))
            return &info;
    return nullptr;
}

void FliteVoiceDelete::operator()(cst_voice* voice) const {
    delete_voice(voice); // the lexicon and the voice data are the libraries' own: they stay
}

FliteSynth::FliteSynth() {
    flite_init();
}

cst_voice* FliteSynth::voice(const QString& identifier) {
    auto known = m_voices.find(identifier);
    if (known == m_voices.end())
        known = m_voices.emplace(identifier, newVoice(identifier)).first;
    return known->second.get();
}

FlitePhraseAudio FliteSynth::speak(const QString& identifier, const FliteText& text,
                                   const FlitePhrase& phrase, double speed) {
    FlitePhraseAudio out;
    cst_voice* v = voice(identifier);
    const FliteVoiceInfo* info = fliteVoiceInfo(identifier);
    if (!v || !info) {
        out.error = QStringLiteral("Flite has no voice %1").arg(identifier);
        return out;
    }
    feat_set_float(v->features, "duration_stretch",
                   float(info->stretchAt175 / qBound(0.2, speed, 5.0)));
    const std::string bytes =
        text.bytes().mid(phrase.begin, phrase.end - phrase.begin).toStdString();
    cst_utterance* utt = guardedSynth(bytes.c_str(), v);
    if (!utt) {
        out.error = QStringLiteral("Flite failed to speak");
        return out;
    }
    const cst_wave* wave = utt_wave(utt);
    if (wave && wave->num_samples > 0 && wave->num_channels == 1) {
        out.sampleRate = wave->sample_rate;
        out.samples = QVector<short>(wave->samples, wave->samples + wave->num_samples);
        out.words = wordTimes(utt, text, phrase, wave->sample_rate);
    }
    delete_utterance(utt);
    return out;
}

} // namespace orasent
