// What pronunciation rules cost: 5,000 word rules and 50 regular-expression rules against none.
//   build/bench/bench_pronunciation [KIB=32|full]
// Prints the time to compile the rules, the rewrite each Talk adds (every sentence of Moby-Dick
// prepared as Talk prepares it, with and without the rules: median, 99th percentile and
// slowest), and the export of the book's first KIB (or all of it) to WAV with and without the
// rules, the fastest of three turns each, as a ratio of time and of processor time. The rules
// say their words as Talk says them anyway, so both exports give espeak-ng the same text and only
// the rules' own work differs. The book is taken from
// ../shared/corpus beside the source tree; without it, a made-up text.
#include "documents/DocumentLoader.h"
#include "engine/EspeakSounds.h"
#include "engine/EspeakVoice.h"
#include "export/AudioExport.h"
#include "export/ExportText.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

using namespace orasent;

namespace {

QString corpusBook() {
    QDir dir(QStringLiteral(ORASENT_SOURCE_ROOT));
    for (int up = 0; up < 4; ++up, dir.cdUp()) {
        const QString candidate =
            dir.filePath(QStringLiteral("../shared/corpus/epub3-moby-dick-full-novel.epub"));
        if (QFileInfo::exists(candidate))
            return QFileInfo(candidate).canonicalFilePath();
    }
    return {};
}

// 5,000 word rules (the book's 300 most frequent longer words said as written, the rest words
// the book lacks) and 50 patterns, a few of which match.
QVector<PronunciationRule> benchRules(const QString& text) {
    QHash<QString, int> counts;
    const QRegularExpression word(QStringLiteral("\\b[A-Za-z]{6,}\\b"));
    for (auto it = word.globalMatch(text.left(400000)); it.hasNext();)
        ++counts[it.next().captured()];
    QVector<QPair<int, QString>> frequent;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        frequent.append({it.value(), it.key()});
    std::sort(frequent.rbegin(), frequent.rend());
    QVector<PronunciationRule> rules;
    for (int i = 0; i < 300 && i < frequent.size(); ++i) {
        PronunciationRule r;
        r.text = frequent[i].second;
        r.alias = frequent[i].second.toUpper(); // what Talk says anyway
        rules.append(r);
    }
    for (int i = 0; rules.size() < 5000; ++i) {
        PronunciationRule r;
        r.text = QStringLiteral("Zorblax%1").arg(i);
        r.alias = QStringLiteral("zorb lax %1").arg(i);
        r.matchCase = i % 2 == 0;
        rules.append(r);
    }
    for (int i = 0; i < 50; ++i) {
        PronunciationRule r;
        r.match = PronunciationRule::Match::Pattern;
        r.text = i == 0   ? QStringLiteral("\\b(\\d+)(st|nd|rd|th)\\b")
                 : i == 1 ? QStringLiteral("\\b(Mr|Mrs)\\.")
                          : QStringLiteral("\\bqx%1(\\w+)").arg(i);
        r.alias = i == 1 ? QStringLiteral("$1.") : QStringLiteral("$1$2");
        rules.append(r);
    }
    return rules;
}

double percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[size_t(p * double(values.size() - 1))];
}

// Microseconds each sentence takes to prepare, with `rules` or without (null).
std::vector<double> prepareTimes(const QString& text, const QVector<SentenceSpan>& sentences,
                                 const SpeakingRules* rules) {
    std::vector<double> times;
    times.reserve(size_t(sentences.size()));
    for (const SentenceSpan& s : sentences) {
        QElapsedTimer clock;
        clock.start();
        const PreparedSentence prepared =
            prepareForSpeaking(text.mid(s.start, s.length), QString(), rules);
        times.push_back(clock.nsecsElapsed() / 1e3);
        Q_UNUSED(prepared);
    }
    return times;
}

// Processor seconds of the whole program (all threads, espeak-ng's included).
double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct ExportTime {
    double wall = 1e9; // seconds
    double cpu = 1e9;  // processor seconds
};

// The export's time, kept when faster than `best`; `audio` gets the seconds of speech written.
void timeExport(const ExportRequest& request, ExportTime* best, double* audio) {
    QElapsedTimer clock;
    clock.start();
    const double cpuBefore = cpuSeconds();
    const ExportResult result = AudioExport(request).run();
    if (result.status != ExportResult::Status::Done)
        return;
    best->cpu = std::min(best->cpu, cpuSeconds() - cpuBefore);
    best->wall = std::min(best->wall, clock.nsecsElapsed() / 1e9);
    *audio = result.audioSeconds();
    QFile::remove(result.audioPath);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const QStringList args = app.arguments();
    const bool full = args.value(1) == QLatin1String("full");
    const qint64 kib = full ? 0 : (args.size() > 1 ? args[1].toLongLong() : 32);
    QString text;
    const QString book = corpusBook();
    if (book.isEmpty()) {
        std::printf("corpus not found (../shared/corpus): using a made-up text\n");
        for (int i = 0; text.size() < 1200000; ++i)
            text += QStringLiteral("Call me Ishmael, said the sailor on day %1. ").arg(i);
    } else {
        text = loadDocument(book).bookText;
    }

    QElapsedTimer clock;
    clock.start();
    const QVector<PronunciationRule> list = benchRules(text);
    SpeakingRules rules;
    rules.user = std::make_shared<PronunciationRules>(list);
    rules.context.xml = true;
    rules.context.language = QStringLiteral("en");
    rules.context.inlineSounds = [](const QString& ipa) { return espeakPhonemeInput(ipa); };
    std::printf("%lld rules compiled in %.1f ms\n", qlonglong(list.size()),
                clock.nsecsElapsed() / 1e6);

    const QVector<SentenceSpan> sentences = cutExportSentences(text);
    const std::vector<double> without = prepareTimes(text, sentences, nullptr);
    const std::vector<double> with = prepareTimes(text, sentences, &rules);
    double sumWithout = 0, sumWith = 0;
    for (double t : without)
        sumWithout += t;
    for (double t : with)
        sumWith += t;
    std::printf("Talk's preparation of %lld sentences (%lld characters), microseconds:\n",
                qlonglong(sentences.size()), qlonglong(text.size()));
    std::printf("  %-14s %9s %9s %9s %11s\n", "", "median", "99th", "slowest", "all, ms");
    std::printf("  %-14s %9.1f %9.1f %9.1f %11.1f\n", "without rules", percentile(without, 0.5),
                percentile(without, 0.99), percentile(without, 1), sumWithout / 1e3);
    std::printf("  %-14s %9.1f %9.1f %9.1f %11.1f\n", "with rules", percentile(with, 0.5),
                percentile(with, 0.99), percentile(with, 1), sumWith / 1e3);
    const auto slowest = [](const std::vector<double>& times) {
        return qlonglong(std::max_element(times.begin(), times.end()) - times.begin());
    };
    std::printf("  slowest sentence: number %lld without rules, %lld with them\n", slowest(without),
                slowest(with));

    ExportRequest base;
    base.text = text;
    if (!full) {
        const qsizetype end = text.indexOf(QStringLiteral(". "), kib * 1024);
        base.text = text.left(end < 0 ? text.size() : end + 1);
    }
    base.voiceIdentifier = espeakVoiceTokens().value(0).Id();
    base.format = AudioFileFormat::Wav;
    QTemporaryDir dir;
    base.outputPath = dir.filePath(QStringLiteral("book.wav"));
    ExportRequest ruled = base;
    ruled.pronunciation = rules.user;
    // The fastest of three turns each: other work on the machine only ever adds time. The
    // processor time counts only this program's work, so a busy machine disturbs it less.
    ExportTime plain, withRules;
    double plainAudio = 0, rulesAudio = 0;
    for (int turn = 0; turn < 3; ++turn) {
        timeExport(base, &plain, &plainAudio);
        timeExport(ruled, &withRules, &rulesAudio);
    }
    std::printf("export of %lld characters to WAV (audio %.1f s and %.1f s), fastest of three "
                "turns:\n  without rules %.2f s (processor %.2f s), with them %.2f s (processor "
                "%.2f s): ratio %.3f (processor %.3f)\n",
                qlonglong(base.text.size()), plainAudio, rulesAudio, plain.wall, plain.cpu,
                withRules.wall, withRules.cpu, withRules.wall / plain.wall,
                withRules.cpu / plain.cpu);
    std::printf("the rules' own work over the whole book: %.2f s of preparation added\n",
                (sumWith - sumWithout) / 1e6);
    return 0;
}
