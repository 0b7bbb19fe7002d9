// orasent-festival: speaks phrases with Festival for Orasent, which starts it while a Festival
// voice is in use. Festival takes a few hundred megabytes and its interpreter is not
// thread-safe, so it lives here, on this process's one thread. Requests come on stdin, replies
// go to stdout (see FestivalProtocol.h); Festival's own messages go to stderr. A phrase Festival
// cannot speak gets an error reply and the helper goes on; end of input ends it.
#include "engine/festival/FestivalProtocol.h"

#include <festival/festival.h>
#include <siod_est.h>

#include <csignal>
#include <cstdio>
#include <map>
#include <new>
#include <set>
#include <unistd.h>

EST_Wave* get_utt_wave(EST_Utterance* u);

namespace {

using namespace orasent::festival;

int g_replies = -1; // the descriptor the frames go to (the original stdout)

void send(const std::string& frame) {
    std::size_t at = 0;
    while (at < frame.size()) {
        const ssize_t n = ::write(g_replies, frame.data() + at, frame.size() - at);
        if (n <= 0)
            _exit(0); // Orasent has gone
        at += std::size_t(n);
    }
}

void sendError(std::uint32_t id, const std::string& message) {
    PhraseReply reply;
    reply.id = id;
    reply.error = message;
    send(encodeReply(reply));
}

bool isName(const std::string& s) {
    if (s.empty() || s.size() > 100)
        return false;
    for (const char c : s)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'))
            return false;
    return true;
}

bool isPlainPath(const std::string& s) {
    if (s.empty() || s.size() > 1000 || s.back() != '/')
        return false;
    for (const char c : s)
        if (c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20)
            return false;
    return true;
}

// The phrase as a Scheme string: only printable ASCII, quotes and backslashes escaped.
std::string schemeString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\')
            out += '\\';
        out += u >= 0x20 && u < 0x7f ? c : ' ';
    }
    return out + "\"";
}

class Speaker {
public:
    PhraseReply speak(const SpeakRequest& request) {
        PhraseReply reply;
        reply.id = request.id;
        if (!isName(request.voice) || !isPlainPath(request.voiceDir)) {
            reply.error = "not a Festival voice: " + request.voice;
            return reply;
        }
        if (!select(request.voice, request.voiceDir)) {
            reply.error = "Festival could not load the voice " + request.voice;
            return reply;
        }
        setSpeed(request.speedPermille);
        for (const auto& [word, phones] : request.sounds) {
            const std::string entry = lexiconEntryCommand(word, phones);
            if (!entry.empty()) // anything else is said as the word it is
                festival_eval_command(entry.c_str());
        }
        festival_eval_command("(set! orasent_utt nil)");
        const std::string synth =
            "(set! orasent_utt (utt.synth (Utterance Text " + schemeString(request.text) + ")))";
        if (!festival_eval_command(synth.c_str())) {
            reply.error = "Festival could not speak the phrase";
            return reply;
        }
        collect(utterance(siod_get_lval("orasent_utt", nullptr)), &reply);
        // Every phrase holds a letter or digit: no audio means the voice's data failed.
        if (reply.samples.empty())
            reply = PhraseReply{
                request.id, "Festival's voice " + request.voice + " gave no sound", 0, {}, {}};
        return reply;
    }

private:
    // Loads a voice from its folder the first time, then makes it the current one.
    bool select(const std::string& name, const std::string& dir) {
        const std::string key = name + ' ' + dir;
        if (key == m_current)
            return true;
        m_current.clear();
        if (!m_loaded.count(key)) {
            const std::string load = "(begin (set! voice-locations (cons (cons '" + name + " \"" +
                                     dir + "\") voice-locations)) (load \"" + dir + "festvox/" +
                                     name + ".scm\"))";
            if (!festival_eval_command(load.c_str()))
                return false;
            m_loaded.insert(key);
        }
        festival_eval_command("(set! hts_engine_params nil)");
        if (!festival_eval_command(("(voice_" + name + ")").c_str()))
            return false;
        // An HTS voice sets its engine's parameters; the speed is added to them per phrase.
        festival_eval_command("(set! orasent_hts_base hts_engine_params)");
        m_current = key;
        return true;
    }

    // Diphone and cluster voices stretch their durations; HTS voices take a speed.
    static void setSpeed(std::uint32_t permille) {
        const double speed = permille < 200 ? 0.2 : permille > 5000 ? 5.0 : permille / 1000.0;
        char command[200];
        std::snprintf(command, sizeof command,
                      "(begin (Parameter.set 'Duration_Stretch %.4f) (if orasent_hts_base "
                      "(set! hts_engine_params (cons (list \"-r\" %.4f) orasent_hts_base))))",
                      1.0 / speed, speed);
        festival_eval_command(command);
    }

    // The audio and, for each word Festival said, its token and its time in the audio.
    static void collect(EST_Utterance* u, PhraseReply* reply) {
        if (!u || !u->relation_present("Wave") || !u->relation("Wave")->head())
            return;
        EST_Wave* wave = get_utt_wave(u);
        if (!wave || wave->num_channels() != 1 || wave->num_samples() <= 0)
            return;
        reply->sampleRate = std::uint32_t(wave->sample_rate());
        reply->samples.resize(std::size_t(wave->num_samples()));
        for (int i = 0; i < wave->num_samples(); ++i)
            reply->samples[std::size_t(i)] = wave->a_no_check(i);
        if (!u->relation_present("Word") || !u->relation_present("Token"))
            return;
        std::map<EST_Item*, std::uint32_t> tokens;
        for (EST_Item* t = u->relation("Token")->head(); t; t = inext(t))
            tokens.emplace(t, std::uint32_t(tokens.size()));
        for (EST_Item* w = u->relation("Word")->head(); w; w = inext(w)) {
            const auto found = tokens.find(parent(w, "Token"));
            if (found != tokens.end())
                reply->words.push_back(spokenWord(w, found->first, found->second, *reply));
        }
    }

    // A word's token and times. One after a pause starts where it is first heard, which for an
    // HTS voice is some tens of milliseconds after the start of its first segment.
    static SpokenWord spokenWord(EST_Item* w, EST_Item* token, std::uint32_t index,
                                 const PhraseReply& reply) {
        const std::string first = "R:SylStructure.daughter1.daughter1.R:Segment.";
        const double start = ffeature(w, (first + "p.end").c_str()).Float();
        const double firstEnd = ffeature(w, (first + "end").c_str()).Float();
        const double end = ffeature(w, "word_end").Float();
        const double rate = reply.sampleRate;
        SpokenWord word;
        word.token = index;
        word.startSample = std::uint32_t(start > 0 ? start * rate + 0.5 : 0);
        if (ph_is_silence(ffeature(w, (first + "p.name").c_str()).string()))
            word.startSample = heardStart(reply.samples, reply.sampleRate, word.startSample,
                                          std::uint32_t(firstEnd * rate + 0.5));
        word.endSample = std::uint32_t(end > 0 ? end * rate + 0.5 : 0);
        word.tokenName = token->name().str();
        return word;
    }

    std::set<std::string> m_loaded;
    std::string m_current;
};

} // namespace

int main() {
    std::signal(SIGPIPE, SIG_IGN);
    // Festival writes its messages to stdout: they go to stderr, the frames to the real stdout.
    g_replies = ::dup(1);
    ::dup2(2, 1);
    festival_initialize(1, FESTIVAL_HEAP_SIZE);
    Speaker speaker;
    FrameReader reader;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(0, buffer, sizeof buffer);
        if (n <= 0)
            return 0;
        reader.append(buffer, std::size_t(n));
        while (const std::optional<std::string> body = reader.next()) {
            const std::optional<SpeakRequest> request = decodeRequest(*body);
            if (!request)
                continue;
            try {
                send(encodeReply(speaker.speak(*request)));
            } catch (const std::bad_alloc&) {
                sendError(request->id, "Festival ran out of memory");
            }
        }
        if (reader.failed())
            return 1;
    }
}
