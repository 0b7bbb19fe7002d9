// Contents and chapter steps: each step shows and speaks the chapter's first sentence as Talk
// would from there; entries outside the document are left out.
#include "RecordingReaderPort.h"
#include "reader/ReaderModel.h"

#include <QtTest>

using namespace orasent;
using orasent::test::RecordingReaderPort;

namespace {
Paragraph heading(const QString& text, int level) {
    return {text, Paragraph::Kind::Heading, level, {}, {}};
}
Paragraph body(const QString& text) {
    return {text, Paragraph::Kind::Body, 0, {}, {}};
}

// A document loaded through the reader: BookText, the model and its paragraph starts.
DocumentLoad loadOf(const QVector<Paragraph>& paragraphs, QVector<ContentsEntry> extra = {}) {
    DocumentLoad load;
    load.status = DocumentLoad::Status::Loaded;
    const BookTextMap map = bookTextFromDocument(paragraphs);
    load.bookText = map.bookText;
    load.paragraphStarts = map.starts;
    load.document.paragraphs = paragraphs;
    load.document.contents = contentsFromHeadings(paragraphs) + extra;
    return load;
}

DocumentLoad book() {
    return loadOf({body("Preface text."), heading("Part One", 1), body("First words. More."),
                   heading("Chapter 1", 2), body("Inside one. Still one."), heading("Chapter 2", 2),
                   body("Inside two.")},
                  {{"Nowhere", 1, 99}, {"Before", 1, -1}});
}
} // namespace

class ContentsTest : public QObject {
    Q_OBJECT

    // A model with `load` opened; `talks` sentences read.
    void open(ReaderModel& model, RecordingReaderPort& port, const DocumentLoad& load,
              int talks = 0) {
        port.scriptedLoad = load;
        QVERIFY(model.openChosenFile("book.txt"));
        for (int i = 0; i < talks; ++i)
            model.talk(1);
        port.clear();
    }

private slots:
    void chaptersLeaveOutWrongEntries() {
        RecordingReaderPort port;
        ReaderModel model(port);
        open(model, port, book());
        const QVector<ReaderModel::Chapter> chapters = model.chapters();
        QCOMPARE(chapters.size(), 3);
        QCOMPARE(chapters[1].title, QString("Chapter 1"));
        QCOMPARE(chapters[1].level, 2);
        QCOMPARE(model.bookText().mid(int(chapters[1].position) - 1, 10), QString("Chapter 1."));
    }

    // "n" next chapter, "p" previous, "t" Talk, a digit: that entry of the list, "s": the start.
    void steps_data() {
        QTest::addColumn<int>("talks");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("next before anything is read") << 0 << "n"
                                                      << "Part One."
                                                      << "Part One.";
        QTest::newRow("next from the preface") << 1 << "n"
                                               << "Part One."
                                               << "Part One.";
        QTest::newRow("next twice") << 0 << "nn"
                                    << "Chapter 1."
                                    << "Chapter 1.";
        QTest::newRow("next inside a chapter") << 0 << "nntt"
                                               << " Still one."
                                               << " Still one.";
        QTest::newRow("next from inside one") << 0 << "nnttn"
                                              << "Chapter 2."
                                              << "Chapter 2.";
        QTest::newRow("previous from inside one") << 0 << "nnttp"
                                                  << "Part One."
                                                  << "Part One.";
        QTest::newRow("past the last") << 0 << "nnnn"
                                       << "Chapter 2."
                                       << "There is no chapter after this one.";
        QTest::newRow("before the first") << 0 << "np"
                                          << "Part One."
                                          << "There is no chapter before this one.";
        QTest::newRow("an entry of the list") << 0 << "2"
                                              << "Chapter 2."
                                              << "Chapter 2.";
        QTest::newRow("Talk after a step") << 0 << "2t"
                                           << " \r\nInside two."
                                           << " \r\nInside two.";
        QTest::newRow("start of the document") << 3 << "s"
                                               << "Preface text."
                                               << "Preface text.";
    }
    void steps() {
        QFETCH(int, talks);
        QFETCH(QString, steps);
        QFETCH(QString, shown);
        QFETCH(QString, spoken);
        RecordingReaderPort port;
        ReaderModel model(port);
        open(model, port, book(), talks);
        for (const QChar step : steps) {
            if (step == u'n')
                model.nextChapter();
            else if (step == u'p')
                model.previousChapter();
            else if (step == u't')
                model.talk(1);
            else if (step == u's')
                model.startOfDocument();
            else
                model.goToChapter(step.digitValue());
        }
        QCOMPARE(port.text1, shown);
        QCOMPARE(port.lastHandedOver(), spoken);
        QCOMPARE(model.playMode(), ReaderModel::PlayMode::Off);
    }

    void currentChapterIsTheOneBeingRead_data() {
        QTest::addColumn<int>("talks");
        QTest::addColumn<int>("current");
        QTest::newRow("nothing read") << 0 << -1;
        QTest::newRow("the preface") << 1 << -1;
        QTest::newRow("the heading") << 2 << 0;
        QTest::newRow("inside chapter 1") << 5 << 1;
    }
    void currentChapterIsTheOneBeingRead() {
        QFETCH(int, talks);
        QFETCH(int, current);
        RecordingReaderPort port;
        ReaderModel model(port);
        open(model, port, book(), talks);
        QCOMPARE(model.currentChapter(), current);
    }

    void noChapters() {
        RecordingReaderPort port;
        ReaderModel model(port);
        open(model, port, loadOf({body("Just text. More text.")}, {{"Broken", 1, 5}}));
        model.nextChapter();
        QCOMPARE(port.lastHandedOver(), QString("This document has no chapters."));
        model.previousChapter();
        QCOMPARE(port.lastHandedOver(), QString("This document has no chapters."));
        QVERIFY(!port.text1.contains("Just text")); // no sentence was stepped to
    }

    void tenThousandHeadings() {
        QVector<Paragraph> paragraphs;
        for (int i = 0; i < 10000; ++i)
            paragraphs << heading(QString("Heading %1").arg(i), 1 + i % 6) << body("Text.");
        RecordingReaderPort port;
        ReaderModel model(port);
        open(model, port, loadOf(paragraphs));
        QCOMPARE(model.chapters().size(), 10000);
        model.goToChapter(9998);
        model.nextChapter();
        QCOMPARE(port.text1, QString("Heading 9999."));
        QCOMPARE(model.currentChapter(), 9999);
        model.nextChapter();
        QCOMPARE(port.lastHandedOver(), QString("There is no chapter after this one."));
    }
};

QTEST_MAIN(ContentsTest)
#include "test_contents.moc"
