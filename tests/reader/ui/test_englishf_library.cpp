// The reader window's library tools: a known document resumes after a restart from the command
// line, Recent Documents opens and removes, Contents and the chapter keys step without typing or
// starting continuous play.
#include "ReaderWindowFixture.h"
#include "reader/ui/ContentsDialog.h"
#include "reader/ui/RecentDocumentsDialog.h"

#include <QLabel>
#include <QListWidget>
#include <QtTest>

using namespace orasent;
using namespace orasent::test;

namespace {
// A document with three headings, whatever file is named.
DocumentLoad chaptersBook(const QString&, const LoadProgress&) {
    const QVector<Paragraph> paragraphs = {{"Preface.", Paragraph::Kind::Body, 0, {}, {}},
                                           {"Part One", Paragraph::Kind::Heading, 1, {}, {}},
                                           {"Words. More.", Paragraph::Kind::Body, 0, {}, {}},
                                           {"Chapter 1", Paragraph::Kind::Heading, 2, {}, {}},
                                           {"Inside.", Paragraph::Kind::Body, 0, {}, {}}};
    const BookTextMap map = bookTextFromDocument(paragraphs);
    DocumentLoad load;
    load.status = DocumentLoad::Status::Loaded;
    load.bookText = map.bookText;
    load.paragraphStarts = map.starts;
    load.document.paragraphs = paragraphs;
    load.document.contents = contentsFromHeadings(paragraphs);
    return load;
}

template <class T> T* dialogOf(EnglishF& reader) {
    T* dialog = reader.findChild<T*>();
    return dialog && dialog->isVisible() ? dialog : nullptr;
}
} // namespace

class TestEnglishFLibrary : public QObject {
    Q_OBJECT
private slots:
    void restartResumesFromCommandLine() {
        ReaderWindowFixture f;
        writeFile("a.txt", "Alpha. Beta. Gamma. Delta. ");
        writeFile("b.txt", "One. Two. ");
        f.open();
        QVERIFY(f.model().openChosenFile("a.txt"));
        f.talk(), f.talk(), f.talk();
        QVERIFY(f.model().openChosenFile("b.txt"));
        f.talk();
        f.click(6); // Quit: Orasent.txt names b.txt; the library holds both

        const QString a = QDir::current().filePath("a.txt");
        f.beforeLoad = [&](EnglishF& reader) { reader.setStartupFile(a); };
        f.open();
        QCOMPARE(f.text1()->toPlainText(), QString(" Gamma."));
        QCOMPARE(f.tts.spoken(), QString("Resuming where you stopped, 44 percent into the book."));
        f.talk();
        QCOMPARE(f.text1()->toPlainText(), QString(" Gamma."));
    }

    void recentDocuments() {
        ReaderWindowFixture f;
        writeFile("a.txt", "Alpha. Beta. ");
        writeFile("b.txt", "One. Two. ");
        EnglishF& reader = f.open();
        QVERIFY(f.model().openChosenFile("a.txt"));
        f.talk();
        QVERIFY(f.model().openChosenFile("b.txt"));
        QVERIFY(QFile::remove("a.txt"));
        QTest::keyClick(f.text1(), Qt::Key_R, Qt::ControlModifier);
        auto* dialog = dialogOf<RecentDocumentsDialog>(reader);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QString("Recent Documents"));
        auto* list = dialog->findChild<QListWidget*>("RecentList");
        QCOMPARE(list->count(), 3); // b, a, and the first run's question pool
        QVERIFY(list->item(0)->text().startsWith("b, 0 percent read"));
        QVERIFY(list->item(1)->text().endsWith(", file not found"));

        list->setCurrentRow(1);
        auto* status = dialog->findChild<QLabel*>("RecentStatus");
        QCOMPARE(status->text(), RecentDocumentsDialog::goneText());
        QTest::mouseClick(dialog->findChild<QPushButton*>("RecentRemove"), Qt::LeftButton);
        QCOMPARE(list->count(), 2);
        QCOMPARE(f.model().library().library().entries().size(), 2);

        list->setCurrentRow(1); // the question pool
        QTest::mouseClick(dialog->findChild<QPushButton*>("RecentOpen"), Qt::LeftButton);
        QVERIFY(!dialogOf<RecentDocumentsDialog>(reader));
        QCOMPARE(f.model().fileName(), QDir::current().filePath("Tech Pool.txt"));
    }

    void chapterKeysTypeNothing() {
        ReaderWindowFixture f;
        f.beforeLoad = [](EnglishF& reader) { reader.setDocumentLoader(chaptersBook); };
        f.open();
        f.text1()->setFocus();
        QTest::keyClick(f.text1(), Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(f.text1()->toPlainText(), QString("Part One."));
        QCOMPARE(f.tts.spoken(), QString("Part One."));
        QTest::keyClick(f.text1(), Qt::Key_Down, Qt::ControlModifier);
        QTest::keyClick(f.text1(), Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(f.text1()->toPlainText(), QString("Part One."));
        QTest::keyClick(f.text1(), Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(f.tts.spoken(), QString("There is no chapter before this one."));
        QCOMPARE(f.model().playMode(), ReaderModel::PlayMode::Off);
    }

    // Without headings the list still leads back to the start, and says why it holds no more.
    void contentsWithoutChapters() {
        ReaderWindowFixture f;
        EnglishF& reader = f.open();
        f.talk(), f.talk();
        QTest::keyClick(f.text1(), Qt::Key_G, Qt::ControlModifier);
        QCOMPARE(f.tts.spoken(), QString("This document has no chapters."));
        auto* dialog = dialogOf<ContentsDialog>(reader);
        QVERIFY(dialog);
        auto* list = dialog->findChild<QListWidget*>("ContentsList");
        QCOMPARE(list->count(), 1);
        QTest::mouseClick(dialog->findChild<QPushButton*>("ContentsGo"), Qt::LeftButton);
        QCOMPARE(f.text1()->toPlainText(), QString("One."));
    }

    void contentsDialog() {
        ReaderWindowFixture f;
        f.beforeLoad = [](EnglishF& reader) { reader.setDocumentLoader(chaptersBook); };
        EnglishF& reader = f.open();
        f.model().goToChapter(1);
        QTest::keyClick(f.text1(), Qt::Key_G, Qt::ControlModifier);
        auto* dialog = dialogOf<ContentsDialog>(reader);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QString("Contents"));
        auto* list = dialog->findChild<QListWidget*>("ContentsList");
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(0)->text(), QString("Start of document"));
        QCOMPARE(list->item(2)->text(), QString("    Chapter 1"));
        QCOMPARE(list->currentRow(), 2); // the chapter being read
        list->setCurrentRow(0);
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(!dialogOf<ContentsDialog>(reader));
        QCOMPARE(f.text1()->toPlainText(), QString("Preface."));
        QCOMPARE(f.model().playMode(), ReaderModel::PlayMode::Off);
    }
};

QTEST_MAIN(TestEnglishFLibrary)
#include "test_englishf_library.moc"
