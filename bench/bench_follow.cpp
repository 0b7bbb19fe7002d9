// Follow-along timing: from each word's first sample heard on the sound server's default sink
// (recorded from its monitor) to the band behind that word being painted in the reader's
// sentence box. The words are parted by commas; a word whose onset follows a pause in the
// recording is paired with the nearest band (see matchedLags). Festival joins the words of a
// list in pairs, so about half of its words are timed. Needs an X display and a PulseAudio sink:
//   xvfb-run -a scripts/with-pulseaudio.sh build/bench/bench_follow
// Every voice in turn: espeak-ng's default and each of Flite's and Festival's. Options:
// --sentences N (default 8, per voice); --voice TEXT (only voices whose name holds it).
// BENCH_FOLLOW_VERBOSE=1 prints each sentence's onsets and bands.
#include "HeardRecorder.h"
#include "common/ui/UserPrompts.h"
#include "engine/CombinedVoice.h"
#include "engine/EspeakVoice.h"
#include "engine/LocalVoices.h"
#include "reader/ui/EnglishF.h"
#include "speech/ui/TTSSetup.h"

#include <QApplication>
#include <QAudioDevice>
#include <QDir>
#include <QFile>
#include <QMediaDevices>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <climits>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>

using namespace orasent;
using namespace orasent::bench;

namespace {

// Words of vowels and voiced continuants only: each starts loud and none has a stop's silent
// closure inside, so the only quiet stretches of the sentence are the pauses between words.
const char* const kSentence = "Lemon, yellow, melon, animal, willow, marina, mirror, aroma. ";
constexpr int kWords = 8;
constexpr int kFrame = kRate / 200; // 5 ms
constexpr int kQuietFrames = 12;    // 60 ms of quiet before a word
constexpr double kFrameLoud = 300;  // RMS of a frame that is heard
// A heard onset and a band are one word's when each is the other's nearest and they lie within
// this: words are 300 ms or more apart, so a band further off than this shows as unmatched.
constexpr double kMatchMs = 150;

// When the band moved to a new word, seen after the sentence box finished painting.
class PaintWatch : public QApplication {
public:
    using QApplication::QApplication;
    QPlainTextEdit* text1 = nullptr;
    std::vector<std::pair<double, int>> bands; // paint time, band start

    bool notify(QObject* receiver, QEvent* event) override {
        const bool painted =
            text1 && event->type() == QEvent::Paint && receiver == text1->viewport();
        const bool result = QApplication::notify(receiver, event);
        if (painted) {
            const QList<QTextEdit::ExtraSelection> selections = text1->extraSelections();
            const int start =
                selections.isEmpty() ? -1 : selections.first().cursor.selectionStart();
            if (start >= 0 && (bands.empty() || bands.back().second != start))
                bands.emplace_back(nowMs(), start);
        }
        return result;
    }
};

// When each word heard from sample `from` on began: a loud 5 ms frame after 60 ms of quiet.
// A voice that runs words together (Festival joins them in pairs, whatever the commas) gives
// fewer onsets than words; the words it does part are still timed.
std::vector<double> wordOnsets(Recorder& rec, qint64 from) {
    const std::vector<short> samples = rec.copy(from, rec.count() - from);
    std::vector<double> onsets;
    int quiet = INT_MAX / 2;
    for (size_t f = 0; (f + 1) * kFrame <= samples.size(); ++f) {
        double energy = 0;
        for (int i = 0; i < kFrame; ++i)
            energy += double(samples[f * kFrame + i]) * samples[f * kFrame + i];
        const bool loud = std::sqrt(energy / kFrame) > kFrameLoud;
        if (loud && quiet >= kQuietFrames)
            onsets.push_back(rec.timeOf(from + qint64(f * kFrame)));
        quiet = loud ? 0 : quiet + 1;
    }
    return onsets;
}

// Index of the time in `times` nearest to `t`.
size_t nearest(const std::vector<double>& times, double t) {
    size_t best = 0;
    for (size_t i = 1; i < times.size(); ++i)
        if (std::abs(times[i] - t) < std::abs(times[best] - t))
            best = i;
    return best;
}

// Band minus onset for each heard onset that pairs with a band (see kMatchMs).
std::vector<double> matchedLags(const std::vector<double>& onsets,
                                const std::vector<double>& bands) {
    std::vector<double> lags;
    for (size_t o = 0; o < onsets.size() && !bands.empty(); ++o) {
        const size_t b = nearest(bands, onsets[o]);
        const double lag = bands[b] - onsets[o];
        if (nearest(onsets, bands[b]) == o && std::abs(lag) <= kMatchMs)
            lags.push_back(lag);
    }
    return lags;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(std::ceil(p * double(v.size())) - 1))];
}

struct Lags {
    std::vector<double> ms;
    int words = 0;   // words spoken in the sentences whose bands all came
    int skipped = 0; // sentences whose bands did not all come
    bool failed = false;
};

bool verbose() {
    return qEnvironmentVariableIsSet("BENCH_FOLLOW_VERBOSE");
}

// The onsets and bands of one sentence, in ms after its first onset.
void printSentence(const std::vector<double>& onsets, const std::vector<double>& bands) {
    const double zero = onsets.empty() ? 0 : onsets.front();
    std::fprintf(stderr, "  heard:");
    for (const double t : onsets)
        std::fprintf(stderr, " %.0f", t - zero);
    std::fprintf(stderr, "\n  bands:");
    for (const double t : bands)
        std::fprintf(stderr, " %.0f", t - zero);
    std::fprintf(stderr, "\n");
}

// Talk pressed once; the sentence's lags join `lags` unless it only warms the caches.
void timeSentence(PaintWatch& app, Recorder& rec, TTSSetup& tts, QPushButton* talk, bool warm,
                  Lags& lags) {
    QTest::qWait(300);
    const qint64 from = rec.count();
    app.bands.clear();
    QTest::mousePress(talk, Qt::LeftButton);
    QTest::qWait(200);
    waitFor([&] { return tts.SpeakBtn()->isEnabled(); }, 20000);
    QTest::qWait(200); // the last word's samples reach the recorder
    const std::vector<double> onsets = wordOnsets(rec, from);
    std::vector<double> bands;
    for (const auto& band : app.bands)
        bands.push_back(band.first);
    if (verbose())
        printSentence(onsets, bands);
    if (warm)
        return;
    if (bands.size() != size_t(kWords)) {
        ++lags.skipped;
        return;
    }
    lags.words += kWords;
    const std::vector<double> matched = matchedLags(onsets, bands);
    lags.ms.insert(lags.ms.end(), matched.begin(), matched.end());
}

// Talk pressed for each sentence of the pool with the voice the factory makes.
Lags measure(PaintWatch& app, Recorder& rec, std::function<std::unique_ptr<SpVoice>()> factory,
             int sentences) {
    Lags lags;
    QFile::remove(QStringLiteral("VIC.INI")); // the voice the factory chose stays chosen
    TTSSetup tts(std::move(factory), UserPrompts::standard());
    EnglishF reader(tts, UserPrompts::standard());
    reader.loadWindow();
    reader.show();
    if (!QTest::qWaitForWindowExposed(&reader)) {
        lags.failed = true;
        return lags;
    }
    reader.model().setNextPos(1);
    app.text1 = reader.findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
    auto* talk = reader.findChild<QPushButton*>(QStringLiteral("Command3"));
    waitFor([&] { return tts.SpeakBtn()->isEnabled(); }, 20000);
    for (int s = 0; s <= sentences; ++s)
        timeSentence(app, rec, tts, talk, s == 0, lags); // the first warms the caches
    reader.hide();
    app.text1 = nullptr;
    return lags;
}

void printLags(const QString& voice, const Lags& lags) {
    std::vector<double> size;
    for (const double lag : lags.ms)
        size.push_back(std::abs(lag));
    const double p90 = percentile(size, 0.9);
    std::printf("%-48s %3zu of %3d %8.1f %8.1f   %s", qPrintable(voice), lags.ms.size(), lags.words,
                median(lags.ms), p90,
                lags.ms.empty() ? "no figure"
                : p90 <= 30     ? "yes"
                                : "no");
    if (lags.skipped)
        std::printf("  (%d sentences lacked bands)", lags.skipped);
    std::printf("\n");
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    PaintWatch app(argc, argv);
    const QStringList args = app.arguments();
    const int at = args.indexOf(QStringLiteral("--sentences"));
    const int sentences = at >= 0 && at + 1 < args.size() ? args.at(at + 1).toInt() : 8;

    QTemporaryDir folder;
    Recorder rec;
    if (!folder.isValid() || !QDir::setCurrent(folder.path()) ||
        QMediaDevices::audioOutputs().isEmpty() || !rec.start()) {
        std::printf("needs an X display, a PulseAudio sink and parec\n");
        return 1;
    }
    QFile pool(QStringLiteral("Tech Pool.txt"));
    if (!pool.open(QIODevice::WriteOnly) ||
        pool.write(QByteArray(kSentence).repeated(sentences + 1)) < 0)
        return 1;
    pool.close();

    // espeak-ng's default voice, then every voice Flite and Festival have.
    std::vector<std::pair<QString, std::function<std::unique_ptr<SpVoice>()>>> voices;
    voices.emplace_back(QStringLiteral("espeak-ng default"), [] { return createEspeakVoice(); });
    for (const SpObjectToken& token : localVoiceTokens())
        voices.emplace_back(token.GetDescription(), [token] {
            std::unique_ptr<SpVoice> voice = createLocalVoice();
            voice->setVoice(token);
            return voice;
        });
    std::printf("band painted minus the first sample heard of each word parted by a pause (ms)\n");
    std::printf("%-48s %10s %8s %8s   %s\n", "voice", "words", "median", "p90 |x|", "within +-30");
    const int only = args.indexOf(QStringLiteral("--voice"));
    const QString part = only >= 0 && only + 1 < args.size() ? args.at(only + 1) : QString();
    for (const auto& [name, factory] : voices) {
        if (!name.contains(part, Qt::CaseInsensitive))
            continue;
        const Lags lags = measure(app, rec, factory, sentences);
        if (lags.failed)
            return 1;
        printLags(name, lags);
    }
    QDir::setCurrent(QDir::tempPath());
    return 0;
}
