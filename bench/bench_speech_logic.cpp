// Prints how long the word replacement step and the list editor's sort take on large inputs.
#include "speech/Replacements.h"
#include "speech/WordListFile.h"

#include <QElapsedTimer>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace orasent;

namespace {

// Median of `runs` timings, in milliseconds.
double medianMs(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

QString englishLikeText(qsizetype size) {
    static const char* const words[] = {"THE",    "QUICK", "BROWN", "FOX",      "JUMPS", "OVER",
                                        "LAZY",   "DOG",   "AND",   "MAIN",     "RD",    "FIRST",
                                        "AVENUE", "READS", "ALOUD", "SENTENCE."};
    QString text;
    text.reserve(size + 16);
    for (int i = 0; text.size() < size; ++i) {
        text += QLatin1String(words[(i * 7 + i / 3) % 16]);
        text += u' ';
    }
    text.truncate(size);
    return text;
}

QString entriesThatNeverMatch(int count) {
    QStringList entries;
    for (int i = 0; i < count; ++i)
        entries << QStringLiteral("ZQ%1=X").arg(i);
    return entries.join(u'|');
}

// Words of common letters that the text holds, none of them occurring in it as a whole.
QString letterEntriesThatNeverMatch(int count, const QString& text) {
    static const char letters[] = "ETAOINSHRDLUCMFWYPVBGKQJXZ";
    QStringList entries;
    quint32 state = 12345;
    while (entries.size() < count) {
        QString word;
        for (int i = 0; i < 5; ++i) {
            state = state * 1103515245u + 12345u;
            word += QLatin1Char(letters[(state >> 16) % 12]); // the 12 commonest letters
        }
        if (!text.contains(word))
            entries << word + "=X";
    }
    return entries.join(u'|');
}

void report(const char* what, double ms, const qsizetype& resultSize) {
    std::printf("%-62s %10.2f ms   (result %lld chars)\n", what, ms,
                static_cast<long long>(resultSize));
}

} // namespace

int main() {
    const QString kilobyte = englishLikeText(1000);
    const QString megabyte = englishLikeText(1000000);
    qsizetype size = 0;

    const QString list5000 = entriesThatNeverMatch(5000);
    report("1 KB text, 5,000 entries without a match",
           medianMs(5, [&] { size = applyReplacementList(kilobyte, list5000).size(); }), size);

    report("1 MB text, RD=ROAD (about 1/16 of the words match)",
           medianMs(5, [&] { size = applyReplacementList(megabyte, "RD=ROAD").size(); }), size);

    const QString startsWithA = "A" + megabyte;
    report("1 MB text starting with A, A=AA until the budget ends",
           medianMs(5, [&] { size = applyReplacementList(startsWithA, "A=AA").size(); }), size);

    const QString endsWithSt = megabyte + " ST";
    report("1 MB text, ST=STREET until the budget ends (matches at the end)",
           medianMs(5, [&] { size = applyReplacementList(endsWithSt, "ST=STREET").size(); }), size);

    const QString list1000 = entriesThatNeverMatch(1000);
    report("1 MB text, 1,000 entries with a digit (absent) without a match",
           medianMs(3, [&] { size = applyReplacementList(megabyte, list1000).size(); }), size);

    const QString letters1000 = letterEntriesThatNeverMatch(1000, megabyte);
    report("1 MB text, 1,000 common-letter entries without a match",
           medianMs(3, [&] { size = applyReplacementList(megabyte, letters1000).size(); }), size);

    const QString letters4999 = letterEntriesThatNeverMatch(4999, megabyte);
    report("1 MB text, 4,999 common-letter entries without a match",
           medianMs(1, [&] { size = applyReplacementList(megabyte, letters4999).size(); }), size);

    const QString kilobyteLetters = letterEntriesThatNeverMatch(4999, kilobyte);
    report("1 KB text, 4,999 common-letter entries without a match",
           medianMs(5, [&] { size = applyReplacementList(kilobyte, kilobyteLetters).size(); }),
           size);

    report(
        "1 MB text, 4,999 entries with a digit, without a match",
        medianMs(
            1, [&] { size = applyReplacementList(megabyte, entriesThatNeverMatch(4999)).size(); }),
        size);

    QString sortText;
    for (int i = 1999; i >= 1; --i)
        sortText += QStringLiteral("word%1=Replacement %1\r\n").arg(i);
    report("Sort List, 1,999 lines",
           medianMs(5, [&] { size = sortEditText(sortText).value_or(QString()).size(); }), size);

    QString saveText = sortText.repeated(10);
    report("Save List transform, 20,000 lines",
           medianMs(5, [&] { size = editTextToList(saveText).size(); }), size);
    return 0;
}
