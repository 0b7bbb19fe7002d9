// Syllable accuracy over 300 English words of one to five syllables (60 of each count), taken in
// order from the reference texts of the shared corpus (../shared/corpus/ref beside the source
// folder). The right count of each word comes from the CMU pronouncing dictionary of
// pocketsphinx-en-us, which the program does not read: one vowel phone per syllable. Printed: how
// many words got the right count from the program's split (and which source split them: the
// lexicon, or the hyphenation patterns for words it lacks), and from the hyphenation patterns alone
// over the same words.
#include "words/Syllables.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QRegularExpression>

#include <cstdio>

using namespace orasent;

namespace {
constexpr int kPerCount = 60;
constexpr int kMostSyllables = 5;

QHash<QString, int> checkCounts(const QString& path) {
    QHash<QString, int> counts;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return counts;
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().trimmed().split(' ');
        if (fields.size() < 2 || fields.first().contains('('))
            continue; // only each word's first pronunciation
        static const QList<QByteArray> vowelPhones{"AA", "AE", "AH", "AO", "AW", "AY", "EH", "ER",
                                                   "EY", "IH", "IY", "OW", "OY", "UH", "UW"};
        int vowels = 0;
        for (const QByteArray& phone : fields.mid(1))
            vowels += vowelPhones.contains(phone);
        counts.insert(QString::fromLatin1(fields.first()), vowels);
    }
    return counts;
}

QString referenceFolder() {
    QDir dir(QCoreApplication::applicationDirPath());
    for (int up = 0; up < 6; ++up, dir.cdUp()) {
        const QString candidate = dir.filePath(QStringLiteral("../shared/corpus/ref"));
        if (QFileInfo::exists(candidate))
            return QFileInfo(candidate).canonicalFilePath();
    }
    return {};
}

struct Picked {
    QString word;
    int expected = 0;
};

// Words in the order they first appear, the texts taken in turn, until each count has its share.
QList<Picked> pickWords(const QString& folder, const QHash<QString, int>& counts,
                        int perCount = kPerCount) {
    static const QStringList texts{
        "epub3-moby-dick-full-novel.txt", "epub3-standardebooks-wodehouse-chickens.txt",
        "html-google-sre-book-chapter.txt", "html-gutenberg-devils-dictionary.txt",
        "html-wikipedia-article-full-page.txt"};
    static const QRegularExpression word(QStringLiteral("[A-Za-z]+"));
    QList<QStringList> words;
    for (const QString& name : texts) {
        QFile file(QDir(folder).filePath(name));
        QStringList list;
        if (file.open(QIODevice::ReadOnly)) {
            auto it = word.globalMatch(QString::fromUtf8(file.readAll()));
            while (it.hasNext())
                list << it.next().captured().toLower();
        }
        words << list;
    }
    QList<Picked> picked;
    QHash<int, int> taken;
    QSet<QString> seen;
    for (int index = 0; picked.size() < qint64(perCount) * kMostSyllables; ++index) {
        bool any = false;
        for (const QStringList& list : words) {
            if (index >= list.size())
                continue;
            any = true;
            const QString& candidate = list.at(index);
            const int expected = counts.value(candidate, 0);
            if (expected < 1 || expected > kMostSyllables || candidate.size() < 2 ||
                taken[expected] >= perCount || seen.contains(candidate))
                continue;
            seen.insert(candidate);
            ++taken[expected];
            picked.append({candidate, expected});
        }
        if (!any)
            break;
    }
    return picked;
}

const char* sourceName(SyllableSplit::Source source) {
    switch (source) {
    case SyllableSplit::Source::Lexicon:
        return "lexicon";
    case SyllableSplit::Source::Patterns:
        return "patterns";
    default:
        return "whole";
    }
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QString folder = referenceFolder();
    const QHash<QString, int> counts = checkCounts(QStringLiteral(ORASENT_CHECK_DICT));
    if (folder.isEmpty() || counts.isEmpty()) {
        std::printf("corpus (../shared/corpus/ref) or pocketsphinx's dictionary not found\n");
        return 0;
    }
    const QList<Picked> words = pickWords(folder, counts);
    Syllables syllables;
    int right = 0, patternsRight = 0;
    QHash<int, int> bySource, rightBySource;
    QStringList misses, patternMisses;
    QElapsedTimer timer;
    timer.start();
    for (const Picked& picked : words) {
        const SyllableSplit split = syllables.split(picked.word);
        const int source = int(split.source);
        ++bySource[source];
        if (split.syllables.size() == picked.expected) {
            ++right;
            ++rightBySource[source];
        } else {
            misses << QStringLiteral("%1 (%2, %3 for %4)")
                          .arg(Syllables::dotted(split.syllables), sourceName(split.source))
                          .arg(split.syllables.size())
                          .arg(picked.expected);
        }
    }
    const double splitMs = double(timer.nsecsElapsed()) / 1e6 / qMax(1, int(words.size()));
    auto fallbackRight = [&](const QList<Picked>& list, bool complete, QStringList* missed) {
        int n = 0;
        for (const Picked& picked : list) {
            const SyllableSplit split = syllables.splitByPatterns(picked.word, {}, complete);
            if (split.syllables.size() == picked.expected)
                ++n;
            else if (missed && missed->size() < 15)
                *missed << Syllables::dotted(split.syllables);
        }
        return n;
    };
    patternsRight = fallbackRight(words, true, &patternMisses);
    const int bareRight = fallbackRight(words, false, nullptr);
    const QList<Picked> everyWord = pickWords(folder, counts, 1 << 30);
    const int everyFallback = fallbackRight(everyWord, true, nullptr);
    const int everyBare = fallbackRight(everyWord, false, nullptr);
    const int total = int(words.size());
    auto percent = [](int part, int whole) { return whole ? 100.0 * part / whole : 0.0; };
    std::printf("words: %d (%d of each count 1..%d)\n", total, kPerCount, kMostSyllables);
    std::printf("right count, program: %d/%d = %.1f %%\n", right, total, percent(right, total));
    for (auto source : {SyllableSplit::Source::Lexicon, SyllableSplit::Source::Patterns,
                        SyllableSplit::Source::Whole}) {
        const int n = bySource.value(int(source));
        std::printf("  split by %-8s: %3d words, %3d right = %.1f %%\n", sourceName(source), n,
                    rightBySource.value(int(source)), percent(rightBySource.value(int(source)), n));
    }
    std::printf("right count, fallback alone (patterns + vowel groups): %d/%d = %.1f %%\n",
                patternsRight, total, percent(patternsRight, total));
    std::printf("right count, bare hyphenation patterns: %d/%d = %.1f %%\n", bareRight, total,
                percent(bareRight, total));
    const int every = int(everyWord.size());
    std::printf("every checkable word of the texts (%d): fallback %.1f %%, bare patterns %.1f %%\n",
                every, percent(everyFallback, every), percent(everyBare, every));
    std::printf("split time: %.3f ms a word\n", splitMs);
    std::printf("program misses: %s\n", qPrintable(misses.join(QStringLiteral(", "))));
    std::printf("some fallback misses: %s\n", qPrintable(patternMisses.join(QStringLiteral(", "))));
    return 0;
}
