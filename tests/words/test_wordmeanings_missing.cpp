// WordNet's data missing: every look-up finds nothing and says so, without a crash.
#include "words/WordMeanings.h"

#include <QTemporaryDir>
#include <QTest>

using namespace orasent;

class TestWordMeaningsMissing : public QObject {
    Q_OBJECT
private slots:
    void missingData() {
        QTemporaryDir empty;
        WordMeanings meanings(empty.path());
        qunsetenv("WNSEARCHDIR");
        QVERIFY(!meanings.open());
        const WordMeaning meaning = meanings.lookUp(QStringLiteral("banana"));
        QVERIFY(!meaning.found());
        QCOMPARE(WordMeanings::describe(meaning, QStringLiteral("banana")),
                 QStringLiteral("No meaning found for banana."));
        QCOMPARE(WordMeanings::timesOpened(), 0);
    }
};

QTEST_GUILESS_MAIN(TestWordMeaningsMissing)
#include "test_wordmeanings_missing.moc"
