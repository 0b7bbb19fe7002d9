// The export cuts sentences exactly as the reader's Talk does, keeps the tail the reader never
// reaches, and shows each cue's text as the reader shows the sentence.
#include "SilentReaderPort.h"
#include "export/ExportText.h"
#include "reader/ReaderModel.h"

#include <QtTest>

using namespace orasent;

class TestExportText : public QObject {
    Q_OBJECT
private slots:
    void sentencesAsTheReaderCutsThem_data();
    void sentencesAsTheReaderCutsThem();
    void captionText_data();
    void captionText();
    void preparedAsTalkPreparesIt();
};

void TestExportText::sentencesAsTheReaderCutsThem_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("from");
    QTest::newRow("plain") << "One. Two two. Three." << 1.0;
    QTest::newRow("period at the start") << ". A. B. " << 1.0;
    QTest::newRow("no sentence end") << "no end at all" << 1.0;
    QTest::newRow("from the middle") << "One. Two. Three. Four" << 6.0;
    QTest::newRow("fraction rounds") << "One. Two. Three. " << 5.5;
    QTest::newRow("e.g. and dots") << "See e.g. this... And that. x" << 1.0;
    QTest::newRow("line breaks") << "Q one\r\nThe answer is A. B. " << 1.0;
}

void TestExportText::sentencesAsTheReaderCutsThem() {
    QFETCH(QString, text);
    QFETCH(double, from);
    test::SilentReaderPort port;
    ReaderModel reader(port);
    reader.setBookText(text);
    reader.setNextPos(from);
    QStringList expected;
    while (reader.SayNextSentence()) // the words after the last ". " too
        expected << port.text1;
    QStringList cut;
    for (const SentenceSpan& s : cutExportSentences(text, from))
        cut << text.mid(s.start, s.length);
    QCOMPARE(cut, expected);
}

void TestExportText::captionText_data() {
    QTest::addColumn<QString>("sentence");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("wordAt"); // an offset into the sentence
    QTest::addColumn<int>("mapped"); // where it lands in the caption
    QTest::newRow("leading blank") << " Two words."
                                   << "Two words." << 5 << 4;
    QTest::newRow("line break") << " Q\r\n  The answer."
                                << "Q\nThe answer." << 6 << 2;
    QTest::newRow("blanks kept") << "a  b"
                                 << "a  b" << 3 << 3;
    QTest::newRow("trailing blanks") << "end.   "
                                     << "end." << 0 << 0;
}

void TestExportText::captionText() {
    QFETCH(QString, sentence);
    QFETCH(QString, shown);
    QFETCH(int, wordAt);
    QFETCH(int, mapped);
    QVector<qsizetype> offsets{wordAt};
    QCOMPARE(orasent::captionText(sentence, &offsets), shown);
    QCOMPARE(offsets.first(), qsizetype(mapped));
}

void TestExportText::preparedAsTalkPreparesIt() {
    const PreparedSentence p =
        prepareForSpeaking(QStringLiteral(" Main Rd\r\nok."), QStringLiteral("RD=ROAD|OK=FINE"));
    QCOMPARE(p.spoken, QStringLiteral(" MAIN ROAD\nFINE."));
    // "FINE" maps back to "ok" in the sentence.
    QCOMPARE(p.edits.originalSpan(11, 4), std::make_pair(qsizetype(10), qsizetype(2)));
}

QTEST_GUILESS_MAIN(TestExportText)
#include "test_export_text.moc"
