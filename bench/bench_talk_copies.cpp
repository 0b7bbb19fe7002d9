// Copies of the sentence text per Talk press, from the press until the sentence has been heard
// and the band has left it. Every heap block that is allocated (or grown) during a press and holds
// the sentence's marker word, in UTF-16 (a QString, a text box's document) or in 8-bit text
// (UTF-8 for the engine), counts once: it is looked at when it is freed, or at the end of the
// press if it is still alive. Implicitly shared QStrings allocate nothing and do not count.
// The reader and the speech window are the real ones; espeak-ng plays into an output that hears
// everything at once. Runs without a display or a sound server:
//   QT_QPA_PLATFORM=offscreen build/bench/bench_talk_copies [--presses N]
#include "LoadWaiting.h"
#include "common/ui/UserPrompts.h"
#include "engine/EspeakVoice.h"
#include "engine/PcmOutput.h"
#include "reader/ui/EnglishF.h"
#include "speech/ui/TTSSetup.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstring>

extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_realloc(void* ptr, size_t size);
extern "C" void __libc_free(void* ptr);

namespace {

constexpr char kMarker[] = "quixotrembled"; // lower case; one per sentence
constexpr size_t kMarkerLength = sizeof(kMarker) - 1;
constexpr size_t kSmallest = kMarkerLength; // shorter blocks cannot hold it
constexpr size_t kSlots = size_t(1) << 20;

struct Tracked {
    void* ptr;
    size_t size;
};
Tracked g_slots[kSlots];
std::atomic<bool> g_watching{false};
std::atomic_flag g_lock = ATOMIC_FLAG_INIT;
std::atomic<long> g_wide{0};   // UTF-16 copies
std::atomic<long> g_narrow{0}; // 8-bit copies

struct Guard {
    Guard() {
        while (g_lock.test_and_set(std::memory_order_acquire)) {
        }
    }
    ~Guard() { g_lock.clear(std::memory_order_release); }
};

size_t slotOf(const void* ptr) {
    return (reinterpret_cast<size_t>(ptr) >> 4) * 0x9E3779B97F4A7C15ull % kSlots;
}

bool holdsMarker(const unsigned char* data, size_t size, size_t step) {
    const size_t span = kMarkerLength * step;
    for (size_t at = 0; at + span <= size; ++at) {
        size_t k = 0;
        for (; k < kMarkerLength; ++k) {
            const unsigned char c = data[at + k * step];
            if (std::tolower(c) != kMarker[k] || (step == 2 && data[at + k * step + 1] != 0))
                break;
        }
        if (k == kMarkerLength)
            return true;
    }
    return false;
}

void count(const void* ptr, size_t size) {
    const auto* data = static_cast<const unsigned char*>(ptr);
    if (holdsMarker(data, size, 2))
        ++g_wide;
    else if (holdsMarker(data, size, 1))
        ++g_narrow;
}

void track(void* ptr, size_t size) {
    if (!ptr || size < kSmallest || !g_watching.load(std::memory_order_relaxed))
        return;
    Guard guard;
    for (size_t i = slotOf(ptr), n = 0; n < kSlots; i = (i + 1) % kSlots, ++n) {
        if (!g_slots[i].ptr) {
            g_slots[i] = {ptr, size};
            return;
        }
    }
}

// The block's size when it was tracked (and no longer is), else 0.
size_t untrack(void* ptr) {
    if (!ptr)
        return 0;
    Guard guard;
    for (size_t i = slotOf(ptr), n = 0; n < kSlots && g_slots[i].ptr; i = (i + 1) % kSlots, ++n) {
        if (g_slots[i].ptr != ptr)
            continue;
        const size_t size = g_slots[i].size;
        // Backward-shift deletion keeps the probe chains whole.
        size_t hole = i;
        for (size_t j = (i + 1) % kSlots; g_slots[j].ptr; j = (j + 1) % kSlots) {
            const size_t home = slotOf(g_slots[j].ptr);
            const bool between =
                hole <= j ? (home > hole && home <= j) : (home > hole || home <= j);
            if (!between) {
                g_slots[hole] = g_slots[j];
                hole = j;
            }
        }
        g_slots[hole] = {nullptr, 0};
        return size;
    }
    return 0;
}

// Counts the blocks still alive and forgets them all.
void settle() {
    g_watching = false;
    Guard guard;
    for (Tracked& slot : g_slots) {
        if (slot.ptr)
            count(slot.ptr, slot.size);
        slot = {nullptr, 0};
    }
}

} // namespace

extern "C" void* malloc(size_t size) {
    void* ptr = __libc_malloc(size);
    track(ptr, size);
    return ptr;
}

extern "C" void free(void* ptr) {
    if (const size_t size = untrack(ptr))
        count(ptr, size);
    __libc_free(ptr);
}

// A block that grows stays one block: it counts once, at its end.
extern "C" void* realloc(void* ptr, size_t size) {
    untrack(ptr);
    void* grown = __libc_realloc(ptr, size);
    track(grown ? grown : ptr, grown ? size : 0);
    return grown;
}

using namespace orasent;

namespace {

// Hears every frame as soon as it is written.
class InstantOutput : public PcmOutput {
public:
    void open(const SpeechAudioFormat& format) override {
        m_bytesPerFrame = qMax(1, format.channels * format.bitsPerSample / 8);
    }
    qint64 write(const char*, qint64 bytes) override {
        m_frames += bytes / m_bytesPerFrame;
        return bytes;
    }
    qint64 playedFrames() override { return m_frames; }
    bool failed() const override { return false; }
    void close() override {}
    void discard() override {}

private:
    qint64 m_frames = 0;
    int m_bytesPerFrame = 2;
};

std::unique_ptr<SpVoice> instantVoice() {
    auto voice = std::make_unique<EspeakVoice>();
    voice->setOutputFactory([] { return std::make_unique<InstantOutput>(); });
    return voice;
}

bool writePool(int sentences) {
    QFile file(QStringLiteral("Tech Pool.txt"));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (int i = 0; i < sentences; ++i)
        file.write(QStringLiteral("Sentence %1 of the reading test holds the word Quixotrembled "
                                  "among some others, long enough to be a sentence. ")
                       .arg(i + 1)
                       .toUtf8());
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int at = args.indexOf(QStringLiteral("--presses"));
    const int presses = at >= 0 && at + 1 < args.size() ? args.at(at + 1).toInt() : 10;
    QTemporaryDir folder;
    if (!folder.isValid() || !QDir::setCurrent(folder.path()) || !writePool(presses + 2)) {
        std::printf("no working folder\n");
        return 1;
    }
    long wide = 0, narrow = 0;
    {
        TTSSetup tts{instantVoice, UserPrompts::standard()};
        EnglishF reader{tts, UserPrompts::standard()};
        reader.loadWindow();
        reader.show();
        test::waitForLoad(reader);
        auto* talk = reader.findChild<QPushButton*>(QStringLiteral("Command3"));
        auto idle = [&] {
            return tts.SpeakBtn()->isEnabled() && tts.handedOverBox()->text().isEmpty();
        };
        if (!talk || !QTest::qWaitFor(idle, 20000))
            return 1;
        for (int i = 0; i <= presses; ++i) {
            QTest::qWait(50);
            g_wide = 0;
            g_narrow = 0;
            g_watching = true;
            QTest::mousePress(talk, Qt::LeftButton); // Talk steps on the press
            QTest::mouseRelease(talk, Qt::LeftButton);
            const bool heard =
                QTest::qWaitFor([&] { return !idle(); }, 5000) && QTest::qWaitFor(idle, 20000);
            QTest::qWait(50); // the band leaves
            settle();
            if (qEnvironmentVariableIsSet("BENCH_VERBOSE"))
                std::fprintf(
                    stderr, "press %d: %ld UTF-16, %ld 8-bit, sentence \"%s\"\n", i, g_wide.load(),
                    g_narrow.load(),
                    qPrintable(
                        reader.findChild<QPlainTextEdit*>(QStringLiteral("Text1"))->toPlainText()));
            if (!heard) {
                std::printf("press %d was not heard to its end\n", i);
                return 1;
            }
            if (i > 0) { // the first press warms the caches
                wide += g_wide;
                narrow += g_narrow;
            }
        }
        reader.hide();
    }
    std::printf("copies of the sentence per Talk press (%d presses): %.1f UTF-16, %.1f 8-bit\n",
                presses, double(wide) / presses, double(narrow) / presses);
    QDir::setCurrent(QDir::tempPath());
    return 0;
}
