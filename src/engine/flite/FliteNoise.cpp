#include "engine/flite/FliteNoise.h"

#include <cstdint>

// No C library header here: these definitions stand in for the C library's own, for the whole
// process (libflite calls them through the dynamic linker, which finds the program's first).

namespace {
thread_local std::uint64_t t_state = 1;
} // namespace

// A 64-bit linear congruential step (Knuth's MMIX constants), its top 31 bits as the number:
// 0 .. RAND_MAX (2^31 - 1), as glibc's.
extern "C" int rand() {
    t_state = t_state * 6364136223846793005ULL + 1442695040888963407ULL;
    return int(t_state >> 33);
}

extern "C" void srand(unsigned seed) {
    t_state = seed;
}

namespace orasent {

void restartFliteNoise() {
    t_state = 1;
}

} // namespace orasent
