#include "speech/Replacements.h"

#include <QtTest>

using namespace orasent;

class TestReplacements : public QObject {
    Q_OBJECT
private slots:
    void rewrites_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        // STREET holds ST, and so does FIRST: every search finds the ST just put in again, so
        // the text grows by REET until the step budget ends (2 steps went to RD=ROAD, 2 to
        // taking up the entries, 9,995 searches replace).
        QTest::newRow("road and street") << "RD=ROAD|ST=STREET" << "MAIN RD AND FIRST ST"
                                         << "MAIN ROAD AND FIRST" + QString("REET").repeated(9995) + " ST";
        QTest::newRow("road and street, no ST") << "RD=ROAD|ST=STREET" << "MAIN RD" << "MAIN ROAD";
        QTest::newRow("road and saint") << "RD=ROAD|ST=SAINT" << "MAIN RD AND ST JOHN" << "MAIN ROAD AND SAINT JOHN";
        QTest::newRow("case-sensitive") << "RD=ROAD|ST=STREET" << "Main Rd" << "Main Rd";
        QTest::newRow("not whole words") << "RD=ROAD" << "BIRD" << "BIROAD";
        QTest::newRow("blanks belong to word and replacement") << "RD = ROAD" << "MAIN RD AND RD" << "MAIN  ROADAND RD";
        QTest::newRow("blank after word required") << "RD = ROAD" << "THIRD." << "THIRD.";
        QTest::newRow("later entry sees earlier result") << "A=B|B=C" << "A" << "C";
        QTest::newRow("earlier entry does not see later result") << "B=C|A=B" << "A" << "B";
        QTest::newRow("every occurrence") << "X=Y" << "XaXbX" << "YaYbY";
        QTest::newRow("created occurrence replaced") << "AB=A" << "AABB" << "AA";
        QTest::newRow("entry without = between others") << "RD=ROAD|NOEQUALS|ST=SAINT" << "RD ST" << "ROAD SAINT";
        QTest::newRow("empty entries between others") << "RD=ROAD||||ST=SAINT" << "RD ST" << "ROAD SAINT";
        QTest::newRow("leading and trailing empty entries") << "|RD=ROAD|" << "RD" << "ROAD";
        QTest::newRow("empty list") << "" << "RD" << "RD";
        QTest::newRow("empty word skipped") << "=X|RD=ROAD" << "RD" << "ROAD";
        QTest::newRow("only first = splits") << "A=B=C" << "A" << "B=C";
        QTest::newRow("empty replacement deletes") << "UM=" << "UMHELLO UM" << "HELLO ";
        QTest::newRow("empty text") << "A=B" << "" << "";
    }
    void rewrites()
    {
        QFETCH(QString, list);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(applyReplacementList(text, list), expected);
    }

    // Counter starts at 1; the entry costs one step, every search one more, stop above 10,000:
    // 9,998 searches find an A, so 9,998 replacements grow "A" to 9,999 letters.
    void growingEntryStopsAtBudget()
    {
        int events = 0;
        const QString result = applyReplacementList("A", "A=AA", [&events] { ++events; });
        QCOMPARE(result.size(), 9999);
        QCOMPARE(result, QString(9999, u'A'));
        QCOMPARE(events, 1 + 9998);
    }

    // The budget is shared by all entries: what the first spends, the next cannot.
    void budgetSharedAcrossEntries()
    {
        const QString result = applyReplacementList("A", "A=AA|A=B");
        QCOMPARE(result, QString(9999, u'A'));
    }

    void budgetCountsEntriesTakenUp()
    {
        // 9,999 entries take the counter to 10,000; the 10,000th is never taken up.
        QStringList entries;
        for (int i = 0; i < 9999; ++i)
            entries << QString();
        entries << "A=B";
        int events = 0;
        QCOMPARE(applyReplacementList("A", entries.join(u'|'), [&events] { ++events; }), QString("A"));
        QCOMPARE(events, 10000);  // the call before the 10,000th entry is made, then the budget stops

        // 9,998 empty entries: the entry itself is the 10,000th step, its search would be the 10,001st.
        entries.removeFirst();
        QCOMPARE(applyReplacementList("A", entries.join(u'|')), QString("A"));
        // 9,997 empty entries: exactly one search fits, and it replaces.
        entries.removeFirst();
        QCOMPARE(applyReplacementList("A", entries.join(u'|')), QString("B"));
    }

    void replacementCutAt255()
    {
        const QString longReplacement(300, u'z');
        QCOMPARE(applyReplacementList("X", "X=" + longReplacement), QString(255, u'z'));
    }

    void replacementCutKeepsSurrogatePairsWhole()
    {
        // 254 letters then a character outside the basic plane: the pair would straddle the cut.
        const QString pair = QString::fromUcs4(U"\U0001F600");
        const QString replacement = QString(254, u'z') + pair + "tail";
        const QString result = applyReplacementList("X", "X=" + replacement);
        QCOMPARE(result, QString(254, u'z'));
    }

    void restOfLongTextKept()
    {
        QString text = "RD ";
        for (int i = 0; text.size() < 1000; ++i)
            text += QChar(u'a' + i % 26);
        const QString result = applyReplacementList(text, "RD=ROAD");
        QCOMPARE(result.size(), 1002);
        QCOMPARE(result, "ROAD " + text.mid(3));
    }

    // Events run before each entry and before each replacement, never around a failed search.
    void eventCalls_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expectedCalls");
        QTest::newRow("empty list") << "" << "RD" << 0;
        QTest::newRow("one entry, no match") << "RD=ROAD" << "ST" << 1;
        QTest::newRow("two entries, three replacements") << "RD=ROAD|ST=SAINT" << "RD RD ST" << 2 + 3;
        QTest::newRow("skipped entries still taken up") << "|X|=Y|RD=ROAD" << "RD" << 4 + 1;
    }
    void eventCalls()
    {
        QFETCH(QString, list);
        QFETCH(QString, text);
        QFETCH(int, expectedCalls);
        int calls = 0;
        applyReplacementList(text, list, [&calls] { ++calls; });
        QCOMPARE(calls, expectedCalls);
    }

    // A handler run in between may change the caller's list; the application goes on with the
    // list it started with.
    void listChangedDuringEventsIsNotUsed()
    {
        QString list = "A=B|B=C";
        const QString result = applyReplacementList("A", list, [&list] { list = "|"; });
        QCOMPARE(result, QString("C"));
    }

    // Overlapping and created matches give what a search from the start each time would.
    void matchesSameAsNaiveSearch_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("text");
        QTest::newRow("overlap backwards") << "AB=BA" << "AAAAB";
        QTest::newRow("shrink then rematch") << "ABA=A" << "ABABABA";
        QTest::newRow("grow with word inside") << "AA=BAAB" << "AAA";
        QTest::newRow("long word") << "HELLO=OHELL" << "HELLOHELLOHELLO";
        QTest::newRow("mixed") << "I=IX|XI=Q|QQ=I" << "IIIIXXIIQ";
        QTest::newRow("growing until the budget") << "ST=STREET|RD=ROAD" << "FIRST RD";
    }

    // Random small alphabets make many overlapping and created matches; skewed ones make rare
    // characters, and long texts the searches that scan for them. A fixed seed keeps it repeatable.
    void randomListsSameAsNaiveSearch_data()
    {
        QTest::addColumn<QString>("alphabet");  // letters repeated by how often they should occur
        QTest::addColumn<int>("maxTextLength");
        QTest::addColumn<int>("rounds");
        QTest::newRow("three even letters, short texts") << "abc" << 30 << 300;
        QTest::newRow("one rare letter, long texts") << QString(40, u'a') + QString(20, u'b') + "c" << 2000 << 60;
        QTest::newRow("two rare letters, long texts") << QString(60, u'a') + "bc" << 3000 << 60;
    }
    void randomListsSameAsNaiveSearch()
    {
        QFETCH(QString, alphabet);
        QFETCH(int, maxTextLength);
        QFETCH(int, rounds);
        QRandomGenerator random(20261206);
        const auto randomText = [&](int maxLength) {
            QString s;
            const int length = int(random.bounded(maxLength + 1));
            for (int i = 0; i < length; ++i)
                s += alphabet.at(random.bounded(int(alphabet.size())));
            return s;
        };
        const QString letters = "abc";
        const auto randomWord = [&](int maxLength) {
            QString s;
            const int length = int(random.bounded(maxLength + 1));
            for (int i = 0; i < length; ++i)
                s += letters.at(random.bounded(3));
            return s;
        };
        for (int round = 0; round < rounds; ++round) {
            QStringList entries;
            const int entryCount = 1 + int(random.bounded(4));
            for (int i = 0; i < entryCount; ++i)
                entries << randomWord(3) + "=" + randomWord(4);
            const QString list = entries.join(u'|');
            const QString text = randomText(maxTextLength);
            QCOMPARE(applyReplacementList(text, list), naiveApply(text, list));
        }
    }
    void matchesSameAsNaiveSearch()
    {
        QFETCH(QString, list);
        QFETCH(QString, text);
        QCOMPARE(applyReplacementList(text, list), naiveApply(text, list));
    }

private:
    // The rule written as plainly as possible: search from the first character every time.
    static QString naiveApply(QString text, const QString& list)
    {
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
