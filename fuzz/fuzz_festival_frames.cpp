// The Festival helper's byte stream, as either end reads it: cut into frames in pieces of any
// size, each frame read as a request and as a reply. Whatever is read must write back to the
// very frame it came from.
#include "engine/festival/FestivalProtocol.h"

#include <cstdint>
#include <string>

using namespace orasent::festival;

namespace {

std::string framed(const std::string& body) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[i] = char((body.size() >> (8 * i)) & 0xff);
    return out + body;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const size_t piece = 1 + data[0] % 64;
    const char* bytes = reinterpret_cast<const char*>(data) + 1;
    size_t left = size - 1;
    FrameReader reader;
    while (left > 0 && !reader.failed()) {
        const size_t n = left < piece ? left : piece;
        reader.append(bytes, n);
        bytes += n;
        left -= n;
        while (const std::optional<std::string> body = reader.next()) {
            if (const std::optional<SpeakRequest> request = decodeRequest(*body)) {
                if (encodeRequest(*request) != framed(*body))
                    __builtin_trap();
                // A lexicon entry quotes its word and nothing else reaches the interpreter.
                for (const auto& [word, phones] : request->sounds) {
                    const std::string entry = lexiconEntryCommand(word, phones);
                    if (!entry.empty() &&
                        entry.find_first_of("\"\\;", entry.find(word) + word.size() + 1) !=
                            std::string::npos)
                        __builtin_trap();
                }
            }
            if (const std::optional<PhraseReply> reply = decodeReply(*body))
                if (encodeReply(*reply) != framed(*body))
                    __builtin_trap();
        }
    }
    return 0;
}
