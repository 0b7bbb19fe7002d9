// Syllables from the installed lexicon and hyphenation patterns (festlex-cmu, hyphen-en-us,
// hyphen-de), with the source each split came from.
#include "words/Syllables.h"

#include <QTest>

using namespace orasent;
using Source = SyllableSplit::Source;

Q_DECLARE_METATYPE(orasent::SyllableSplit::Source)

class TestSyllables : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (!m_syllables.hasLexicon())
            QSKIP("Festival's CMU lexicon (festlex-cmu) is not installed");
    }

    void split_data() {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("dotted");
        QTest::addColumn<Source>("source");
        auto row = [](const char* name, const char* word, const char* language,
                      const QString& dotted, Source source) {
            QTest::newRow(name) << QString::fromUtf8(word) << QString::fromLatin1(language)
                                << dotted << source;
        };
        row("lexicon: three", "banana", "en", QStringLiteral("ba·na·na"), Source::Lexicon);
        row("lexicon: capitals kept", "Banana", "", QStringLiteral("Ba·na·na"), Source::Lexicon);
        row("lexicon: one", "reads", "en-US", QStringLiteral("reads"), Source::Lexicon);
        row("lexicon: doubled letter", "better", "en", QStringLiteral("bet·ter"), Source::Lexicon);
        row("lexicon: silent e", "table", "en", QStringLiteral("ta·ble"), Source::Lexicon);
        row("lexicon: five", "university", "en", QStringLiteral("u·ni·ver·si·ty"), Source::Lexicon);
        row("lexicon: compound", "well-being", "en", QStringLiteral("well-·be·ing"),
            Source::Lexicon);
        row("patterns: not in the lexicon", "hyperlinking", "en", QStringLiteral("hy·per·link·ing"),
            Source::Patterns);
        row("patterns: German", "Wörterbuch", "de-DE", QStringLiteral("Wör·ter·buch"),
            Source::Patterns);
        row("whole: no patterns for Welsh", "llanfair", "cy", QStringLiteral("llanfair"),
            Source::Whole);
        row("whole: digits", "1984", "en", QStringLiteral("1984"), Source::Whole);
        row("whole: emoji", "\xF0\x9F\x98\x80", "en", QStringLiteral("\U0001F600"), Source::Whole);
        row("whole: other script", "\xD0\xBC\xD0\xB8\xD1\x80", "ru",
            QStringLiteral("\u043C\u0438\u0440"), Source::Whole);
        row("whole: 300 letters", QByteArray(300, 'a').constData(), "en", QString(300, 'a'),
            Source::Whole);
    }
    void split() {
        QFETCH(QString, word);
        QFETCH(QString, language);
        QFETCH(QString, dotted);
        QFETCH(Source, source);
        const SyllableSplit split = m_syllables.split(word, language);
        QCOMPARE(Syllables::dotted(split.syllables), dotted);
        QCOMPARE(split.syllables.join(QString()), word);
        QCOMPARE(split.source, source);
    }

private:
    Syllables m_syllables;
};

QTEST_GUILESS_MAIN(TestSyllables)
#include "test_syllables.moc"
