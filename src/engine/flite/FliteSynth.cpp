#include "engine/flite/FliteSynth.h"

#include "engine/flite/FliteNoise.h"
#include "engine/flite/FliteSounds.h"

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
#include <cstring>
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
cst_utterance* guardedSynth(const char* text, cst_voice* voice,
                            const QVector<FliteSoundWord>& sounds) {
    jmp_buf here;
    restartFliteNoise();
    setErrorJump(&here, true);
    cst_utterance* utt = nullptr;
    if (setjmp(here) == 0)
        utt = synthesizeWithSounds(text, voice, sounds);
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

// The end of the last segment that is not a pause, in samples; -1 when there is none.
qint64 speechEnd(cst_utterance* utt, int sampleRate) {
    for (cst_item* seg = relation_tail(utt_relation(utt, "Segment")); seg; seg = item_prev(seg))
        if (strcmp(item_feat_string(seg, "name"), "pau") != 0)
            return std::llround(double(item_feat_float(seg, "end")) * sampleRate);
    return -1;
}

// What the streaming callback needs while one phrase is synthesized.
struct Streaming {
    const FliteAudioSink* sink;
    const FliteText* text;
    const FlitePhrase* phrase;
    int delivered = 0; // samples handed to the sink
    bool stopped = false;
    bool failed = false;
};

// Hands samples [start, start + size) of the wave to the sink, the words with the first piece.
int streamPiece(const cst_wave* w, int start, int size, const cst_utterance* utt, Streaming& s) {
    try {
        FliteAudioPiece piece;
        piece.sampleRate = w->sample_rate;
        piece.samples = w->samples + start;
        piece.count = size;
        if (s.delivered == 0) {
            cst_utterance* u = const_cast<cst_utterance*>(utt);
            piece.words = wordTimes(u, *s.text, *s.phrase, w->sample_rate);
            piece.speechEnd = speechEnd(u, w->sample_rate);
        }
        s.delivered = start + size;
        if (!(*s.sink)(piece))
            s.stopped = true;
    } catch (...) {
        s.failed = true; // nothing may be thrown through Flite
    }
    return s.stopped || s.failed ? CST_AUDIO_STREAM_STOP : CST_AUDIO_STREAM_CONT;
}

int streamPiece(const cst_wave* w, int start, int size, int last, cst_audio_streaming_info* asi) {
    Q_UNUSED(last);
    Streaming& s = *static_cast<Streaming*>(asi->userdata);
    // Without the utterance the word times are not known yet: the wave then goes whole.
    if (!asi->utt || w->num_channels != 1 || size <= 0 || start != s.delivered)
        return CST_AUDIO_STREAM_CONT;
    return streamPiece(w, start, size, asi->utt, s);
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

QString FliteSynth::speak(const QString& identifier, const FliteText& text,
                          const FlitePhrase& phrase, double speed, const FliteAudioSink& sink) {
    cst_voice* v = voice(identifier);
    const FliteVoiceInfo* info = fliteVoiceInfo(identifier);
    if (!v || !info)
        return QStringLiteral("Flite has no voice %1").arg(identifier);
    feat_set_float(v->features, "duration_stretch",
                   float(info->stretchAt175 / qBound(0.2, speed, 5.0)));
    const std::string bytes =
        text.bytes().mid(phrase.begin, phrase.end - phrase.begin).toStdString();
    Streaming streaming{&sink, &text, &phrase};
    cst_audio_streaming_info* asi = new_audio_streaming_info();
    asi->min_buffsize = kPieceSamples;
    asi->asc = streamPiece;
    asi->userdata = &streaming;
    feat_set(v->features, "streaming_info", audio_streaming_info_val(asi));
    cst_utterance* utt = guardedSynth(bytes.c_str(), v, text.soundWords());
    feat_remove(v->features, "streaming_info"); // frees asi
    if (!utt)
        return QStringLiteral("Flite failed to speak");
    // A voice that made its wave without streaming it hands it over whole.
    const cst_wave* wave = utt_wave(utt);
    if (!streaming.stopped && !streaming.failed && wave && wave->num_channels == 1 &&
        wave->num_samples > streaming.delivered)
        streamPiece(wave, streaming.delivered, wave->num_samples - streaming.delivered, utt,
                    streaming);
    delete_utterance(utt);
    return streaming.failed ? QStringLiteral("Flite's audio could not be taken") : QString();
}

QStringList FliteSynth::phones(const QString& identifier, const FliteText& text) {
    cst_voice* v = voice(identifier);
    if (!v)
        return {};
    QStringList out;
    for (const FlitePhrase& phrase : text.phrases()) {
        const std::string bytes =
            text.bytes().mid(phrase.begin, phrase.end - phrase.begin).toStdString();
        cst_utterance* utt = guardedSynth(bytes.c_str(), v, text.soundWords());
        if (!utt)
            return {};
        for (cst_item* s = relation_head(utt_relation(utt, "Segment")); s; s = item_next(s)) {
            QString name = QString::fromLatin1(item_feat_string(s, "name"));
            if (name == QLatin1String("pau"))
                continue;
            if (QByteArray(ffeature_string(s, "ph_vc")) == "+")
                name += QString::fromLatin1(ffeature_string(s, "R:SylStructure.parent.stress"));
            out << name;
        }
        delete_utterance(utt);
    }
    return out;
}

} // namespace orasent
