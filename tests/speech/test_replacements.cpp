#include "speech/Replacements.h"

#include <QtTest>

using namespace orasent;

class TestReplacements : public QObject {
    Q_OBJECT
private slots:
    void rewrites_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        // STREET holds ST, and so does FIRST: every search finds the ST just put in again, so the
        // text grows by REET until the budget ends (2 steps for RD=ROAD, 2 entries, 9,995
        // searches).
        QTest::newRow("road and street")
            << "RD=ROAD|ST=STREET"
            << "MAIN RD AND FIRST ST"
            << "MAIN ROAD AND FIRST" + QString("REET").repeated(9995) + " ST";
        QTest::newRow("road and saint") << "RD=ROAD|ST=SAINT"
                                        << "MAIN RD AND ST JOHN"
                                        << "MAIN ROAD AND SAINT JOHN";
        QTest::newRow("case-sensitive") << "RD=ROAD|ST=STREET"
                                        << "Main Rd"
                                        << "Main Rd";
        QTest::newRow("not whole words") << "RD=ROAD"
                                         << "BIRD"
                                         << "BIROAD";
        QTest::newRow("blanks belong to word and replacement") << "RD = ROAD"
                                                               << "MAIN RD AND RD"
                                                               << "MAIN  ROADAND RD";
        QTest::newRow("blank after word required") << "RD = ROAD"
                                                   << "THIRD."
                                                   << "THIRD.";
        QTest::newRow("later entry sees earlier result") << "A=B|B=C"
                                                         << "A"
                                                         << "C";
        QTest::newRow("earlier entry does not see later result") << "B=C|A=B"
                                                                 << "A"
                                                                 << "B";
        QTest::newRow("every occurrence") << "X=Y"
                                          << "XaXbX"
                                          << "YaYbY";
        QTest::newRow("created occurrence replaced") << "AB=A"
                                                     << "AABB"
                                                     << "AA";
        QTest::newRow("entry without = between others") << "RD=ROAD|NOEQUALS|ST=SAINT"
                                                        << "RD ST"
                                                        << "ROAD SAINT";
        QTest::newRow("empty entries") << "|RD=ROAD||||ST=SAINT|"
                                       << "RD ST"
                                       << "ROAD SAINT";
        QTest::newRow("empty list") << ""
                                    << "RD"
                                    << "RD";
        QTest::newRow("empty word skipped") << "=X|RD=ROAD"
                                            << "RD"
                                            << "ROAD";
        QTest::newRow("only first = splits") << "A=B=C"
                                             << "A"
                                             << "B=C";
        QTest::newRow("empty replacement deletes") << "UM="
                                                   << "UMHELLO UM"
                                                   << "HELLO ";
        QTest::newRow("empty text") << "A=B"
                                    << ""
                                    << "";
        QTest::newRow("budget shared by entries") << "A=AA|A=B"
                                                  << "A" << QString(9999, u'A');
        QTest::newRow("replacement cut at 255")
            << "X=" + QString(300, u'z') << "X" << QString(255, u'z');
        // The pair would straddle the cut.
        QTest::newRow("cut keeps surrogate pairs whole")
            << "X=" + QString(254, u'z') + QString::fromUcs4(U"\U0001F600") + "tail"
            << "X" << QString(254, u'z');
        QTest::newRow("rest of a long text kept")
            << "RD=ROAD"
            << "RD " + QString(997, u'q') << "ROAD " + QString(997, u'q');
    }
    void rewrites() {
        QFETCH(QString, list);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(applyReplacementList(text, list), expected);
    }

    // Counter starts at 1; the entry costs one step, every search one more, stop above 10,000:
    // 9,998 searches find an A, so 9,998 replacements grow "A" to 9,999 letters.
    void growingEntryStopsAtBudget() {
        int events = 0;
        QCOMPARE(applyReplacementList("A", "A=AA", [&events] { ++events; }), QString(9999, u'A'));
        QCOMPARE(events, 1 + 9998);
    }

    void budgetCountsEntriesTakenUp_data() {
        QTest::addColumn<int>("emptyEntries");
        QTest::addColumn<QString>("expected");
        QTest::newRow("9,999: the last entry is never taken up") << 9999 << "A";
        QTest::newRow("9,998: its search would be step 10,001") << 9998 << "A";
        QTest::newRow("9,997: exactly one search fits") << 9997 << "B";
    }
    void budgetCountsEntriesTakenUp() {
        QFETCH(int, emptyEntries);
        QFETCH(QString, expected);
        QCOMPARE(applyReplacementList("A", QString(emptyEntries, u'|') + "A=B"), expected);
    }

    // Events run before each entry and before each replacement, never around a failed search.
    void eventCalls_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expectedCalls");
        QTest::newRow("empty list") << ""
                                    << "RD" << 0;
        QTest::newRow("one entry, no match") << "RD=ROAD"
                                             << "ST" << 1;
        QTest::newRow("two entries, three replacements") << "RD=ROAD|ST=SAINT"
                                                         << "RD RD ST" << 2 + 3;
        QTest::newRow("skipped entries still taken up") << "|X|=Y|RD=ROAD"
                                                        << "RD" << 4 + 1;
        QTest::newRow("budget ends before the 10,000th entry") << QString(9999, u'|') + "A=B"
                                                               << "A" << 10000;
    }
    void eventCalls() {
        QFETCH(QString, list);
        QFETCH(QString, text);
        QFETCH(int, expectedCalls);
        int calls = 0;
        applyReplacementList(text, list, [&calls] { ++calls; });
        QCOMPARE(calls, expectedCalls);
    }

    // A handler run in between may change the caller's list; the application keeps the one it
    // started with.
    void listChangedDuringEventsIsNotUsed() {
        QString list = "A=B|B=C";
        QCOMPARE(applyReplacementList("A", list, [&list] { list = "|"; }), QString("C"));
    }

    // Small alphabets make many overlapping and created matches; a skewed one makes rare letters
    // that long texts must be scanned for. A fixed seed keeps it repeatable.
    void randomListsSameAsNaiveSearch_data() {
        QTest::addColumn<QString>("alphabet"); // letters repeated by how often they should occur
        QTest::addColumn<int>("maxTextLength");
        QTest::addColumn<int>("rounds");
        QTest::newRow("three even letters, short texts") << "abc" << 30 << 200;
        QTest::newRow("rare letters, long texts")
            << QString(40, u'a') + QString(20, u'b') + "c" << 2000 << 40;
    }
    void randomListsSameAsNaiveSearch() {
        QFETCH(QString, alphabet);
        QFETCH(int, maxTextLength);
        QFETCH(int, rounds);
        QRandomGenerator random(20261206);
        const auto randomText = [&](const QString& letters, int maxLength) {
            QString s;
            for (int i = int(random.bounded(maxLength + 1)); i > 0; --i)
                s += letters.at(random.bounded(int(letters.size())));
            return s;
        };
        for (int round = 0; round < rounds; ++round) {
            QStringList entries;
            for (int i = 1 + int(random.bounded(4)); i > 0; --i)
                entries << randomText("abc", 3) + "=" + randomText("abc", 4);
            const QString list = entries.join(u'|');
            const QString text = randomText(alphabet, maxTextLength);
            QCOMPARE(applyReplacementList(text, list), naiveApply(text, list));
        }
    }

private:
    // The rule written as plainly as possible: search from the first character every time.
    static QString naiveApply(QString text, const QString& list) {
        int counter = 1;
        for (const QString& entry : list.split(u'|')) {
            if (++counter > 10000)
                return text;
            const qsizetype eq = entry.indexOf(u'=');
            if (eq <= 0)
                continue;
            const QString word = entry.left(eq);
            const QString replacement = entry.mid(eq + 1, 255);
            for (;;) {
                if (++counter > 10000)
                    return text;
                const qsizetype at = text.indexOf(word);
                if (at < 0)
                    break;
                text = text.left(at) + replacement + text.mid(at + word.size());
            }
        }
        return text;
    }
};

QTEST_GUILESS_MAIN(TestReplacements)
#include "test_replacements.moc"
