// Meanings from the installed WordNet 3.0 data (wordnet-base): base forms, the commonest sense
// first, the limit, and the answers where there is nothing to find.
#include "words/WordMeanings.h"

#include <QTest>

using namespace orasent;

class TestWordMeanings : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (!m_meanings.open())
            QSKIP("WordNet's data (wordnet-base) is not installed");
    }

    void lookUp_data() {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("firstLemma");
        QTest::addColumn<QString>("firstPart");
        QTest::addColumn<QString>("glossPart"); // found in the first sense's gloss
        QTest::addColumn<int>("total");         // senses shown and left over; -1: at least 11
        QTest::newRow("base form of a verb") << "reads"
                                             << "en"
                                             << "read"
                                             << "verb"
                                             << "interpret something that is written" << -1;
        QTest::newRow("noun plural") << "bananas"
                                     << "en-GB"
                                     << "banana"
                                     << "noun"
                                     << "genus Musa" << 2;
        QTest::newRow("capitals, no language") << "Banana"
                                               << ""
                                               << "banana"
                                               << "noun"
                                               << "genus Musa" << 2;
        QTest::newRow("irregular") << "geese"
                                   << "en"
                                   << "goose"
                                   << "noun"
                                   << "web-footed" << 3;
        QTest::newRow("hundreds of senses") << "break"
                                            << "en"
                                            << "break"
                                            << "verb"
                                            << "" << -1;
        QTest::newRow("nothing") << "xyzzyq"
                                 << "en"
                                 << ""
                                 << ""
                                 << "" << 0;
        QTest::newRow("digits") << "1984"
                                << "en"
                                << ""
                                << ""
                                << "" << 0;
        QTest::newRow("no dictionary for German") << "Banane"
                                                  << "de"
                                                  << ""
                                                  << ""
                                                  << "" << 0;
        QTest::newRow("300 letters") << QString(300, 'a') << "en"
                                     << ""
                                     << ""
                                     << "" << 0;
    }
    void lookUp() {
        QFETCH(QString, word);
        QFETCH(QString, language);
        QFETCH(QString, firstLemma);
        QFETCH(QString, firstPart);
        QFETCH(QString, glossPart);
        QFETCH(int, total);
        const WordMeaning meaning = m_meanings.lookUp(word, language);
        QVERIFY(meaning.senses.size() <= WordMeanings::kShownSenses);
        const int found = int(meaning.senses.size()) + meaning.moreSenses;
        if (total >= 0)
            QCOMPARE(found, total);
        else
            QVERIFY2(meaning.moreSenses > 0, qPrintable(QString::number(found)));
        if (total == 0) {
            QCOMPARE(WordMeanings::describe(meaning, word),
                     QStringLiteral("No meaning found for %1.").arg(word));
            return;
        }
        QCOMPARE(meaning.senses.first().lemma, firstLemma);
        QCOMPARE(meaning.senses.first().partOfSpeech, firstPart);
        QVERIFY2(meaning.senses.first().gloss.contains(glossPart),
                 qPrintable(meaning.senses.first().gloss));
        const QString text = WordMeanings::describe(meaning, word);
        QCOMPARE(text.endsWith(QStringLiteral("And %1 more.").arg(meaning.moreSenses)),
                 meaning.moreSenses > 0);
    }

    void openedOnce() {
        WordMeanings other;
        QVERIFY(other.open());
        QCOMPARE(WordMeanings::timesOpened(), 1);
    }

private:
    WordMeanings m_meanings;
};

QTEST_GUILESS_MAIN(TestWordMeanings)
#include "test_wordmeanings.moc"
