// espeak-ng's word reports turned into spans of the caller's text: the reports below are the
// ones espeak-ng 1.51 gives for these texts, quirks included.
#include "engine/SpokenText.h"

#include <QtTest>

using orasent::SpokenText;

namespace {
using Reports =
    QList<QPair<int, int>>; // 1-based code point position, length (sentences: length unused)
QString spans(SpokenText& text, const Reports& reports, bool sentences = false) {
    QStringList out;
    for (const auto& r : reports)
        if (const auto span = sentences ? text.sentence(r.first) : text.word(r.first, r.second))
            out << QStringLiteral("%1:%2").arg(span->pos).arg(span->length);
    return out.join(QLatin1Char(' '));
}
} // namespace

class TestSpokenText : public QObject {
    Q_OBJECT
private slots:
    void words_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("xml");
        QTest::addColumn<Reports>("reports");
        QTest::addColumn<QString>("expected");

        QTest::newRow("ascii") << QStringLiteral("plain words here") << false
                               << Reports{{1, 5}, {7, 5}, {13, 4}}
                               << QStringLiteral("0:5 6:5 12:4");
        // "e.g." comes back as (14,1) then (13,0) on the blank; "1234" as (19,4) then (20,4) three
        // times.
        QTest::newRow("abbreviation, number, quotes")
            << QStringLiteral("Hello world, e.g. 1234 \"quoted\" text.") << false
            << Reports{{1, 5},  {7, 5},  {14, 1}, {13, 0}, {19, 4},
                       {20, 4}, {20, 4}, {20, 4}, {25, 6}, {33, 4}}
            << QStringLiteral("0:5 6:5 13:3 18:4 24:6 32:4");
        // The emoji is read as two words, the second reported on the blank after it.
        QTest::newRow("accents and emoji") << QStringLiteral("Café naïve 😀 smile") << false
                                           << Reports{{1, 4}, {6, 5}, {12, 1}, {13, 1}, {14, 5}}
                                           << QStringLiteral("0:4 5:5 11:2 14:5");
        QTest::newRow("two units per character outside the basic plane")
            << QStringLiteral("𝄞𝄞 x") << false << Reports{{4, 1}} << QStringLiteral("5:1");
        QTest::newRow("word longer than 31")
            << QStringLiteral("a Pneumonoultramicroscopicsilicovolcanoconiosis b") << false
            << Reports{{1, 1}, {3, 31}, {49, 1}} << QStringLiteral("0:1 2:45 48:1");
        QTest::newRow("zero length") << QStringLiteral("one two") << false
                                     << Reports{{1, 0}, {5, 0}} << QStringLiteral("0:3 4:3");
        QTest::newRow("crlf") << QStringLiteral("one\r\ntwo\r\nthree") << false
                              << Reports{{1, 3}, {6, 3}, {11, 5}} << QStringLiteral("0:3 5:3 10:5");
        QTest::newRow("backwards and repeated")
            << QStringLiteral("alpha beta gamma") << false
            << Reports{{7, 4}, {1, 5}, {7, 4}, {12, 5}} << QStringLiteral("6:4 11:5");
        QTest::newRow("mid-word and trailing punctuation")
            << QStringLiteral("alpha beta, gamma") << false << Reports{{3, 2}, {11, 1}, {14, 3}}
            << QStringLiteral("0:5 6:4 12:5");
        QTest::newRow("out of range")
            << QStringLiteral("one two") << false << Reports{{0, 3}, {5, 99}, {40, 2}}
            << QStringLiteral("0:3 4:3");
        QTest::newRow("control characters keep positions")
            << QStringLiteral("a") + QChar(0) +
                   QStringLiteral("b\x01\x7f"
                                  "c")
            << false << Reports{{3, 1}} << QStringLiteral("2:1");
        QTest::newRow("markup with entities")
            << QStringLiteral("<speak>Tom &amp; Jerry <emphasis>really</emphasis> like caf&#233; 😀 "
                              "smile.</speak>")
            << true << Reports{{8, 3},  {16, 1}, {18, 5}, {34, 6}, {52, 4},
                               {57, 4}, {67, 1}, {68, 1}, {69, 5}}
            << QStringLiteral("7:3 11:5 17:5 33:6 51:4 56:9 66:2 69:5");
        QTest::newRow("markup characters as text without xml")
            << QStringLiteral("<b>bold</b> text") << false << Reports{{4, 4}, {13, 4}}
            << QStringLiteral("3:4 12:4");
    }
    void words() {
        QFETCH(QString, text);
        QFETCH(bool, xml);
        QFETCH(Reports, reports);
        QFETCH(QString, expected);
        SpokenText spoken(text, xml);
        QCOMPARE(spans(spoken, reports), expected);
    }

    // What espeak-ng is given: one byte for each replaced character, so positions stay put.
    void espeakInput_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("xml");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("control characters become blanks") << QStringLiteral("a") + QChar(0) +
                                                                 QStringLiteral("b\x01\x7f"
                                                                                "c\td\r\ne")
                                                          << false << QByteArray("a b  c\td\r\ne");
        QTest::newRow("lone surrogate") << QStringLiteral("x") + QChar(0xD800) + QStringLiteral("y")
                                        << false << QByteArray("x y");
        // espeak-ng drops everything after a '<' that opens no tag; such a '<' becomes a blank.
        QTest::newRow("malformed markup")
            << QStringLiteral("<speak>Hello <b world and 3 < 5</speak>") << true
            << QByteArray("<speak>Hello  b world and 3   5</speak>");
    }
    void espeakInput() {
        QFETCH(QString, text);
        QFETCH(bool, xml);
        QFETCH(QByteArray, expected);
        QCOMPARE(SpokenText(text, xml).espeakInput(), expected);
    }

    void sentences() {
        SpokenText spoken(QStringLiteral("First one. Second \"one\"! Last"), false);
        QCOMPARE(spans(spoken, Reports{{1, 0}, {1, 0}, {11, 0}, {26, 0}}, true),
                 QStringLiteral("0:10 11:13 25:4"));
    }
};

QTEST_GUILESS_MAIN(TestSpokenText)
#include "test_spokentext.moc"
