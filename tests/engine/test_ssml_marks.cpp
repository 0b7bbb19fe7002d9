// The SSML sent to speech-dispatcher: a mark before each word, the caller's markup left out,
// text escaped, and each mark mapped back to its word's UTF-16 span in the caller's text.
#include "engine/speechd/SsmlMarks.h"

#include <QtTest>

using namespace orasent;
using Spans = QVector<MarkedText::Span>;
Q_DECLARE_METATYPE(Spans)

class TestSsmlMarks : public QObject {
    Q_OBJECT
private slots:
    void marks_data();
    void marks();
    void markNames();
};

void TestSsmlMarks::marks_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("xml");
    QTest::addColumn<QString>("ssml");
    QTest::addColumn<Spans>("words");
    QTest::addColumn<bool>("hasSpeech");

    auto m = [](int n) { return QStringLiteral("<mark name=\"%1\"/>").arg(n); };
    QTest::newRow("two words") << "one two" << true
                               << "<speak>" + m(0) + "one " + m(1) + "two</speak>"
                               << Spans{{0, 3}, {4, 3}} << true;
    QTest::newRow("bookmark status")
        << "Bookmark number  3. " << false
        << "<speak>" + m(0) + "Bookmark " + m(1) + "number  " + m(2) + "3. </speak>"
        << Spans{{0, 8}, {9, 6}, {17, 1}} << true;
    QTest::newRow("markup separates and is left out")
        << "Say <emph>this</emph>now" << true
        << "<speak>" + m(0) + "Say  " + m(1) + "this " + m(2) + "now</speak>"
        << Spans{{0, 3}, {10, 4}, {21, 3}} << true;
    QTest::newRow("entities belong to their word")
        << "Tom &amp; Jerry&#39;s" << true
        << "<speak>" + m(0) + "Tom &amp; " + m(1) + "Jerry's</speak>" << Spans{{0, 3}, {10, 11}}
        << true;
    QTest::newRow("plain text escapes what looks like markup")
        << "a&amp;b <i>" << false << "<speak>" + m(0) + "a&amp;amp;b " + m(1) + "&lt;i&gt;</speak>"
        << Spans{{0, 7}, {9, 1}} << true;
    QTest::newRow("a lone angle bracket is text")
        << "x < y" << true << "<speak>" + m(0) + "x &lt; " + m(1) + "y</speak>"
        << Spans{{0, 1}, {4, 1}} << true;
    QTest::newRow("non-BMP characters count two units")
        << QString::fromUtf8("I \xF0\x9F\x98\x80 you \xF0\x90\x90\xB7x") << false
        << "<speak>" + m(0) + "I " + m(1) + QString::fromUtf8("\xF0\x9F\x98\x80 ") + m(2) + "you " +
               m(3) + QString::fromUtf8("\xF0\x90\x90\xB7x") + "</speak>"
        << Spans{{0, 1}, {2, 2}, {5, 3}, {9, 3}} << true;
    QTest::newRow("quotes and commas trimmed")
        << "\"Hello,\" she said." << false
        << "<speak>" + m(0) + "&quot;Hello,&quot; " + m(1) + "she " + m(2) + "said.</speak>"
        << Spans{{1, 5}, {9, 3}, {13, 4}} << true;
    QTest::newRow("control characters and lone surrogates are blanks")
        << QString("a") + QChar(1) + "b" + QChar(0xD800) + "c" << false
        << "<speak>" + m(0) + "a " + m(1) + "b " + m(2) + "c</speak>"
        << Spans{{0, 1}, {2, 1}, {4, 1}} << true;
    QTest::newRow("empty text") << "" << true << "<speak></speak>" << Spans{} << false;
    QTest::newRow("only markup") << "<silence msec=\"500\"/> <pitch middle=\"5\"/>" << true
                                 << "<speak>   </speak>" << Spans{} << false;
    QTest::newRow("punctuation only is spoken without a mark")
        << "-- !" << false << "<speak>-- !</speak>" << Spans{} << true;
}

void TestSsmlMarks::marks() {
    QFETCH(QString, text);
    QFETCH(bool, xml);
    QFETCH(QString, ssml);
    QFETCH(Spans, words);
    QFETCH(bool, hasSpeech);
    const MarkedText marked = markWords(text, xml);
    QCOMPARE(QString::fromUtf8(marked.ssml), ssml);
    QCOMPARE(marked.words, words);
    QCOMPARE(marked.hasSpeech, hasSpeech);
    for (int i = 0; i < words.size(); ++i)
        QCOMPARE(*marked.wordForMark(QByteArray::number(i).constData()), words.at(i));
}

void TestSsmlMarks::markNames() {
    const MarkedText marked = markWords(QStringLiteral("a b c"), false);
    QCOMPARE(marked.wordForMark("2")->pos, 4);
    QVERIFY(!marked.wordForMark("3"));
    QVERIFY(!marked.wordForMark("1x"));
    QVERIFY(!marked.wordForMark("__spd_begin"));
    QVERIFY(!marked.wordForMark(""));
    QVERIFY(!marked.wordForMark(nullptr));
    QCOMPARE(marked.wholeSpan(), (MarkedText::Span{0, 5}));
}

QTEST_GUILESS_MAIN(TestSsmlMarks)
#include "test_ssml_marks.moc"
