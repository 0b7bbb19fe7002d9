#pragma once
// The messages between Orasent and its Festival helper process (orasent-festival), which speaks
// one phrase per request. Plain C++ so that the helper links no Qt.
//
// Each message is a frame: its body's length (4 bytes, little-endian), then the body, whose
// first byte names it. Orasent sends 'S' (speak); the helper answers each with 'P' (the phrase's
// audio and words) or 'E' (an error), carrying the request's id. Numbers are little-endian;
// a short string has a 2-byte length, the text a 4-byte one.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orasent::festival {

// A phrase of 200 bytes is well under a minute of audio; anything larger is a broken stream.
constexpr std::uint32_t kMaxFrameBytes = 16u << 20;

struct SpeakRequest {
    std::uint32_t id = 0;
    std::string voice;                  // Festival's voice name, e.g. "cmu_us_slt_arctic_hts"
    std::string voiceDir;               // the folder holding its "festvox" folder, ending in "/"
    std::uint32_t speedPermille = 1000; // 1000: the voice's own pace; 2000: twice as fast
    std::string text;                   // 8-bit text of one phrase
    // Made-up words of the phrase and the CMU phones they are said with ("t ax0 m aa1 t ow0").
    std::vector<std::pair<std::string, std::string>> sounds;
};

struct SpokenWord {
    std::uint32_t token = 0; // index of its token in the phrase (the words of "42" share one)
    std::uint32_t startSample = 0;
    std::uint32_t endSample = 0;
    std::string tokenName; // the token as Festival read it from the text ("Dr", "$42")
};

struct PhraseReply {
    std::uint32_t id = 0;
    std::string error; // non-empty: an 'E' frame, the rest is empty
    std::uint32_t sampleRate = 0;
    std::vector<SpokenWord> words;
    std::vector<std::int16_t> samples;
};

std::string encodeRequest(const SpeakRequest& request);
std::string encodeReply(const PhraseReply& reply);
// The body of one frame (without its length), or nothing when it is not a well-formed one.
std::optional<SpeakRequest> decodeRequest(const std::string& body);
std::optional<PhraseReply> decodeReply(const std::string& body);

// Festival's command that adds `word` said as `phones` (CMU phones, a stress digit on each vowel)
// to the current lexicon, syllable by syllable; "" when either holds anything else.
std::string lexiconEntryCommand(const std::string& word, const std::string& phones);

// Where a word that follows a pause is first heard in a phrase's audio: the start of the first
// 5 ms from `from` (before `limit`) at least a hundredth (-40 dB) as loud as the phrase's
// loudest 5 ms; `from` when none is. A voice's own time for the word can lie before its sound
// (an HTS voice fades a word in over tens of milliseconds).
std::uint32_t heardStart(const std::vector<std::int16_t>& samples, std::uint32_t sampleRate,
                         std::uint32_t from, std::uint32_t limit);

// Cuts a byte stream into frame bodies.
class FrameReader {
public:
    void append(const char* data, std::size_t size);
    // The next complete frame's body, or nothing yet.
    std::optional<std::string> next();
    // A frame announced more than kMaxFrameBytes: the stream cannot be read on.
    bool failed() const { return m_failed; }

private:
    std::string m_buffer;
    std::size_t m_read = 0;
    bool m_failed = false;
};

} // namespace orasent::festival
