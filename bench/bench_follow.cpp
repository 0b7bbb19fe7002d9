// Follow-along timing: from each word's first sample heard on the sound server's default sink
// (recorded from its monitor) to the band behind that word being painted in the reader's
// sentence box. The words are parted by commas, so each starts after a pause and its onset can
// be found in the recording (after one of the sentence's longest pauses). Needs an X display and a
// PulseAudio null sink:
//   xvfb-run -a scripts/with-pulseaudio.sh build/bench/bench_follow
// Every voice in turn: espeak-ng's default and each of Flite's and Festival's. Options: --sentences
// N (default 8, per voice).
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

// Words that begin with a vowel or a voiced continuant: their first sample is already loud.
const char* const kSentence = "Apple, ocean, meadow, lemon, orange, maple, island, ivory. ";
constexpr int kWords = 8;
constexpr int kFrame = kRate / 200; // 5 ms
constexpr int kQuietFrames = 12;    // 60 ms of quiet before a word
constexpr double kFrameLoud = 300;  // RMS of a frame that is heard

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

// Onsets of the words heard from sample `from` on: a loud 5 ms frame after 60 ms of quiet.
std::vector<qint64> wordOnsets(Recorder& rec, qint64 from) {
    const std::vector<short> samples = rec.copy(from, rec.count() - from);
    std::vector<std::pair<qint64, int>> onsets; // sample, quiet frames before it
    int quiet = INT_MAX / 2;
    for (size_t f = 0; (f + 1) * kFrame <= samples.size(); ++f) {
        double energy = 0;
        for (int i = 0; i < kFrame; ++i)
            energy += double(samples[f * kFrame + i]) * samples[f * kFrame + i];
        const bool loud = std::sqrt(energy / kFrame) > kFrameLoud;
        if (loud && quiet >= kQuietFrames)
            onsets.emplace_back(from + qint64(f * kFrame), quiet);
        quiet = loud ? 0 : quiet + 1;
    }
    // A slower voice pauses inside a word too (the closure of "p" in "apple"): the words are
    // the sentence's start and the onsets after the longest pauses, the commas'.
    if (onsets.size() > size_t(kWords)) {
        std::vector<std::pair<qint64, int>> byPause(onsets.begin() + 1, onsets.end());
        std::stable_sort(byPause.begin(), byPause.end(),
                         [](const auto& a, const auto& b) { return a.second > b.second; });
        byPause.resize(kWords - 1);
        byPause.insert(byPause.begin(), onsets.front());
        std::sort(byPause.begin(), byPause.end());
        onsets = byPause;
    }
    std::vector<qint64> out;
    for (const auto& onset : onsets)
        out.push_back(onset.first);
    return out;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(std::ceil(p * double(v.size())) - 1))];
}

struct Lags {
    std::vector<double> ms;
    int skipped = 0;
    bool failed = false;
};

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
    for (int s = 0; s <= sentences; ++s) {
        QTest::qWait(300);
        const qint64 from = rec.count();
        app.bands.clear();
        QTest::mousePress(talk, Qt::LeftButton);
        QTest::qWait(200);
        waitFor([&] { return tts.SpeakBtn()->isEnabled(); }, 20000);
        QTest::qWait(200); // the last word's samples reach the recorder
        const std::vector<qint64> onsets = wordOnsets(rec, from);
        if (qEnvironmentVariableIsSet("BENCH_FOLLOW_VERBOSE"))
            std::fprintf(stderr, "%zu onsets, %zu bands\n", onsets.size(), app.bands.size());
        if (s == 0 || onsets.size() != kWords || app.bands.size() != kWords) {
            lags.skipped += s > 0; // the first sentence warms the caches
            continue;
        }
        for (int w = 0; w < kWords; ++w)
            lags.ms.push_back(app.bands[size_t(w)].first - rec.timeOf(onsets[size_t(w)]));
    }
    reader.hide();
    app.text1 = nullptr;
    return lags;
}

void printLags(const QString& voice, const Lags& lags, int sentences) {
    const std::vector<double>& v = lags.ms;
    std::printf("  %s\n", qPrintable(voice));
    std::printf(
        "    median %6.1f ms, p95 %6.1f ms, min %6.1f, max %6.1f  (%zu words; goal within +-30)\n",
        median(v), percentile(v, 0.95), v.empty() ? 0 : *std::min_element(v.begin(), v.end()),
        v.empty() ? 0 : *std::max_element(v.begin(), v.end()), v.size());
    std::printf("    sentences whose words or bands could not be told apart: %d of %d\n",
                lags.skipped, sentences);
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
    std::printf("follow-along band painted minus the word's first sample heard\n");
    for (const auto& [name, factory] : voices) {
        const Lags lags = measure(app, rec, factory, sentences);
        if (lags.failed)
            return 1;
        printLags(name, lags, sentences);
    }
    QDir::setCurrent(QDir::tempPath());
    return 0;
}
