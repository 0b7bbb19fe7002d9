// Everything that asks about the document being read sees it as the reader reads it: with Tools >
// "Read Notes" off, the media player's chapter, "Stop Reading After… the end of the chapter" and
// the export's chapters all follow the text without its notes, however the file was named.
#include "../reader/ui/ReaderWindowFixture.h"
#include "app/DesktopSession.h"
#include "export/AudioExport.h"
#include "export/BookPlan.h"
#include "export/ui/ExportDialog.h"
#include "reader/ui/SleepTimerMenu.h"

#include <QDir>
#include <QtTest>

using namespace orasent;
using namespace orasent::test;

namespace {
Paragraph paragraph(const QString& text, Paragraph::Kind kind, int level = 0) {
    return {text, kind, level, {}, {}};
}

// Two chapters, the first ending with a note long enough to move the second.
DocumentLoad bookWithNotes() {
    using Kind = Paragraph::Kind;
    DocumentLoad load;
    load.status = DocumentLoad::Status::Loaded;
    load.document.metadata.title = QStringLiteral("Noted Book");
    load.document.paragraphs = {
        paragraph("Chapter One", Kind::Heading, 1),
        paragraph("First words.", Kind::Body),
        paragraph("Notes", Kind::Note),
        paragraph(QString("A note that goes on. ").repeated(20), Kind::Note),
        paragraph("Chapter Two", Kind::Heading, 1),
        paragraph("Second words.", Kind::Body)};
    load.document.contents = contentsFromHeadings(load.document.paragraphs);
    const BookTextMap map = bookTextFromDocument(load.document.paragraphs);
    load.bookText = map.bookText;
    load.paragraphStarts = map.starts;
    return load;
}
} // namespace

class LoadedDocumentTest : public QObject {
    Q_OBJECT
private slots:
    void readNotesOffEverywhere_data() {
        QTest::addColumn<bool>("relative");
        QTest::newRow("relative path") << true;
        QTest::newRow("absolute path") << false;
    }
    void readNotesOffEverywhere() {
        QFETCH(bool, relative);
        ReaderWindowFixture f;
        f.beforeLoad = [](EnglishF& reader) {
            reader.setDocumentLoader(
                [](const QString&, const LoadProgress&) { return bookWithNotes(); });
        };
        f.open(false);
        DesktopSession session(*f.reader, f.tts, nullptr);
        ReaderModel& model = f.model();
        model.setReadNotes(false);
        const QString path =
            relative ? QStringLiteral("book.txt") : QDir::current().filePath("book.txt");
        QVERIFY(model.openChosenFile(path));
        QVERIFY(!model.bookText().contains("note"));
        const double two = double(model.bookText().indexOf("Chapter Two")) + 1;
        QVERIFY(two > 1);

        // At the start of chapter two the player names it.
        model.goToChapter(1);
        QCOMPARE(model.lastPos(), two);
        QCOMPARE(session.metadata().title, QString("Noted Book"));
        QCOMPARE(session.metadata().chapter, QString("Chapter Two"));

        // In chapter one, its end is where chapter two begins.
        model.startOfDocument();
        f.action("SleepChapterEnd")->trigger();
        const SleepTimer& timer = f.reader->sleepTimer()->timer();
        QVERIFY(!timer.isDue(two - 2));
        QVERIFY(timer.isDue(two - 1));

        // The export takes the text as read, with its chapters where the reader has them.
        ExportChoice choice;
        choice.splitChapters = true;
        const ExportRequest request = f.reader->exportRequest(choice);
        QVERIFY(!request.readInput);
        QCOMPARE(request.text, model.bookText());
        const QVector<ExportChapter> chapters =
            planChapters(request.document, request.paragraphStarts);
        QCOMPARE(chapters.size(), 2);
        QCOMPARE(double(chapters[1].textOffset) + 1, two);
    }
};

QTEST_MAIN(LoadedDocumentTest)
#include "test_loaded_document.moc"
