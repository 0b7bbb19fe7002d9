#include "engine/festival/FestivalProtocol.h"

#include <algorithm>
#include <cstring>

namespace orasent::festival {

namespace {

class Writer {
public:
    explicit Writer(char type) { m_out.push_back(type); }
    void u16(std::uint32_t v) { bytes(v, 2); }
    void u32(std::uint32_t v) { bytes(v, 4); }
    void shortString(const std::string& s) {
        const std::size_t n = s.size() < 0xffff ? s.size() : 0xffff;
        u16(std::uint32_t(n));
        m_out.append(s, 0, n);
    }
    void longString(const std::string& s) {
        u32(std::uint32_t(s.size()));
        m_out += s;
    }
    // Length first, then the body.
    std::string frame() const {
        Writer length(0);
        length.m_out.clear();
        length.u32(std::uint32_t(m_out.size()));
        return length.m_out + m_out;
    }

private:
    void bytes(std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            m_out.push_back(char((v >> (8 * i)) & 0xff));
    }
    std::string m_out;
};

class Reader {
public:
    explicit Reader(const std::string& body) : m_body(body) {}
    bool u16(std::uint32_t* v) { return bytes(v, 2); }
    bool u32(std::uint32_t* v) { return bytes(v, 4); }
    bool shortString(std::string* s) {
        std::uint32_t n = 0;
        return u16(&n) && take(n, s);
    }
    bool longString(std::string* s) {
        std::uint32_t n = 0;
        return u32(&n) && take(n, s);
    }
    bool take(std::size_t n, std::string* s) {
        if (n > m_body.size() - m_at)
            return false;
        s->assign(m_body, m_at, n);
        m_at += n;
        return true;
    }
    bool atEnd() const { return m_at == m_body.size(); }
    std::size_t left() const { return m_body.size() - m_at; }

private:
    bool bytes(std::uint32_t* v, int n) {
        if (m_body.size() - m_at < std::size_t(n))
            return false;
        *v = 0;
        for (int i = 0; i < n; ++i)
            *v |= std::uint32_t(static_cast<unsigned char>(m_body[m_at + i])) << (8 * i);
        m_at += n;
        return true;
    }
    const std::string& m_body;
    std::size_t m_at = 1; // after the type byte
};

} // namespace

std::string encodeRequest(const SpeakRequest& request) {
    Writer w('S');
    w.u32(request.id);
    w.shortString(request.voice);
    w.shortString(request.voiceDir);
    w.u32(request.speedPermille);
    w.longString(request.text);
    const std::size_t count = request.sounds.size() < 0xffff ? request.sounds.size() : 0xffff;
    w.u16(std::uint32_t(count));
    for (std::size_t i = 0; i < count; ++i) {
        w.shortString(request.sounds[i].first);
        w.shortString(request.sounds[i].second);
    }
    return w.frame();
}

std::string encodeReply(const PhraseReply& reply) {
    Writer w(reply.error.empty() ? 'P' : 'E');
    w.u32(reply.id);
    if (!reply.error.empty()) {
        w.shortString(reply.error);
        return w.frame();
    }
    w.u32(reply.sampleRate);
    w.u32(std::uint32_t(reply.words.size()));
    for (const SpokenWord& word : reply.words) {
        w.u32(word.token);
        w.u32(word.startSample);
        w.u32(word.endSample);
        w.shortString(word.tokenName);
    }
    std::string pcm(reply.samples.size() * 2, '\0');
    for (std::size_t i = 0; i < reply.samples.size(); ++i) {
        const auto v = std::uint16_t(reply.samples[i]);
        pcm[2 * i] = char(v & 0xff);
        pcm[2 * i + 1] = char(v >> 8);
    }
    w.longString(pcm);
    return w.frame();
}

std::optional<SpeakRequest> decodeRequest(const std::string& body) {
    if (body.empty() || body[0] != 'S')
        return std::nullopt;
    Reader r(body);
    SpeakRequest request;
    if (!r.u32(&request.id) || !r.shortString(&request.voice) ||
        !r.shortString(&request.voiceDir) || !r.u32(&request.speedPermille) ||
        !r.longString(&request.text))
        return std::nullopt;
    std::uint32_t count = 0;
    if (!r.u16(&count) || count > r.left() / 4)
        return std::nullopt;
    request.sounds.resize(count);
    for (auto& [word, phones] : request.sounds)
        if (!r.shortString(&word) || !r.shortString(&phones))
            return std::nullopt;
    if (!r.atEnd())
        return std::nullopt;
    return request;
}

std::optional<PhraseReply> decodeReply(const std::string& body) {
    if (body.empty() || (body[0] != 'P' && body[0] != 'E'))
        return std::nullopt;
    Reader r(body);
    PhraseReply reply;
    if (!r.u32(&reply.id))
        return std::nullopt;
    if (body[0] == 'E') {
        if (!r.shortString(&reply.error) || reply.error.empty() || !r.atEnd())
            return std::nullopt;
        return reply;
    }
    std::uint32_t count = 0;
    if (!r.u32(&reply.sampleRate) || !r.u32(&count) || count > r.left() / 14)
        return std::nullopt;
    reply.words.resize(count);
    for (SpokenWord& word : reply.words)
        if (!r.u32(&word.token) || !r.u32(&word.startSample) || !r.u32(&word.endSample) ||
            !r.shortString(&word.tokenName))
            return std::nullopt;
    std::string pcm;
    if (!r.longString(&pcm) || pcm.size() % 2 != 0 || !r.atEnd())
        return std::nullopt;
    reply.samples.resize(pcm.size() / 2);
    for (std::size_t i = 0; i < reply.samples.size(); ++i)
        reply.samples[i] =
            std::int16_t(std::uint16_t(static_cast<unsigned char>(pcm[2 * i])) |
                         std::uint16_t(static_cast<unsigned char>(pcm[2 * i + 1])) << 8);
    return reply;
}

namespace {
bool lowerLetters(const std::string& s) {
    if (s.empty() || s.size() > 100)
        return false;
    for (const char c : s)
        if (c < 'a' || c > 'z')
            return false;
    return true;
}

// A phone as the lexicon takes it: its name, and for a vowel its stress (0 or 1).
struct LexiconPhone {
    std::string name;
    int stress = -1; // -1: a consonant
};

bool readPhones(const std::string& phones, std::vector<LexiconPhone>* out) {
    std::size_t at = 0;
    while (at < phones.size() && out->size() < 200) {
        const std::size_t end = std::min(phones.find(' ', at), phones.size());
        std::string name = phones.substr(at, end - at);
        at = end + 1;
        if (name.empty())
            continue;
        int stress = -1;
        if (name.back() >= '0' && name.back() <= '2') {
            stress = name.back() == '0' ? 0 : 1; // the lexicon has no secondary stress
            name.pop_back();
        }
        if (!lowerLetters(name))
            return false;
        out->push_back(LexiconPhone{name, stress});
    }
    return at >= phones.size() && !out->empty();
}
} // namespace

std::string lexiconEntryCommand(const std::string& word, const std::string& phones) {
    std::vector<LexiconPhone> read;
    if (!lowerLetters(word) || !readPhones(phones, &read))
        return {};
    // Each vowel makes a syllable; the consonant just before a vowel starts its syllable, the
    // others close the syllable before (those before the first vowel open the first).
    std::vector<std::vector<const LexiconPhone*>> syllables;
    std::vector<int> stresses;
    std::vector<const LexiconPhone*> pending;
    for (const LexiconPhone& phone : read) {
        if (phone.stress < 0) {
            pending.push_back(&phone);
            continue;
        }
        if (!syllables.empty() && pending.size() > 1)
            syllables.back().insert(syllables.back().end(), pending.begin(), pending.end() - 1);
        std::vector<const LexiconPhone*> syllable(
            syllables.empty() || pending.empty() ? pending.begin() : pending.end() - 1,
            pending.end());
        syllable.push_back(&phone);
        syllables.push_back(syllable);
        stresses.push_back(phone.stress);
        pending.clear();
    }
    if (syllables.empty())
        return {};
    syllables.back().insert(syllables.back().end(), pending.begin(), pending.end());
    std::string command = "(lex.add.entry '(\"" + word + "\" nil (";
    for (std::size_t i = 0; i < syllables.size(); ++i) {
        command += i ? " ((" : "((";
        for (std::size_t p = 0; p < syllables[i].size(); ++p)
            command += (p ? " " : "") + syllables[i][p]->name;
        command += ") " + std::to_string(stresses[i]) + ")";
    }
    return command + ")))";
}

namespace {
// Mean square of the samples [at, at + n), cut at the end.
double meanSquare(const std::vector<std::int16_t>& samples, std::size_t at, std::size_t n) {
    const std::size_t end = std::min(samples.size(), at + n);
    double sum = 0;
    for (std::size_t i = at; i < end; ++i)
        sum += double(samples[i]) * samples[i];
    return end > at ? sum / double(end - at) : 0;
}
} // namespace

std::uint32_t heardStart(const std::vector<std::int16_t>& samples, std::uint32_t sampleRate,
                         std::uint32_t from, std::uint32_t limit) {
    const std::size_t frame = std::max<std::size_t>(1, sampleRate / 200);
    double loudest = 0;
    for (std::size_t at = 0; at < samples.size(); at += frame)
        loudest = std::max(loudest, meanSquare(samples, at, frame));
    const std::size_t end = std::min<std::size_t>(limit, samples.size());
    for (std::size_t at = from; at < end; at += frame)
        if (meanSquare(samples, at, frame) * 10000 >= loudest) // a hundredth of the amplitude
            return std::uint32_t(at);
    return from;
}

void FrameReader::append(const char* data, std::size_t size) {
    if (m_read > 0 && m_read == m_buffer.size()) {
        m_buffer.clear();
        m_read = 0;
    }
    m_buffer.append(data, size);
}

std::optional<std::string> FrameReader::next() {
    if (m_failed || m_buffer.size() - m_read < 4)
        return std::nullopt;
    std::uint32_t length = 0;
    for (int i = 0; i < 4; ++i)
        length |= std::uint32_t(static_cast<unsigned char>(m_buffer[m_read + i])) << (8 * i);
    if (length > kMaxFrameBytes) {
        m_failed = true;
        return std::nullopt;
    }
    if (m_buffer.size() - m_read - 4 < length)
        return std::nullopt;
    std::string body = m_buffer.substr(m_read + 4, length);
    m_read += 4 + length;
    if (m_read > (1u << 20)) { // keeps the buffer from growing over a long stream
        m_buffer.erase(0, m_read);
        m_read = 0;
    }
    return body;
}

} // namespace orasent::festival
