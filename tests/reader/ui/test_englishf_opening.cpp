// How files reach the reader window: dropped on it, named on the command line, and a long load
// that the user stops from the Tools menu.
#include "ReaderWindowFixture.h"

#include <QLabel>
#include <QMimeData>
#include <QSemaphore>
#include <QUrl>
#include <QtTest>

using namespace orasent;
using namespace orasent::test;

class EnglishFOpeningTest : public QObject {
    Q_OBJECT
private slots:
    void droppedFileOpensAsNewReading() {
        ReaderWindowFixture f;
        EnglishF& reader = f.open();
        f.model().setNextPos(6);
        writeFile("dropped.txt", "Dropped. Text. ");
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QDir::current().filePath("dropped.txt"))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(&reader, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(&reader, &drop);
        QCOMPARE(f.model().bookText(), QString("Dropped. Text. "));
        QCOMPARE(f.model().nextPos(), 0.0);
        QVERIFY(f.text2()->text().endsWith("dropped.txt"));
    }

    void commandLineFile_data() {
        QTest::addColumn<QString>("named");
        QTest::addColumn<QString>("bookText");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("another file") << "other.txt"
                                      << "Other. "
                                      << "Click the talk button";
        QTest::newRow("refused type") << "photo.xyz"
                                      << "One. Two. Three. Four. "
                                      << "Can not read this file type";
    }
    void commandLineFile() {
        QFETCH(QString, named);
        QFETCH(QString, bookText);
        QFETCH(QString, spoken);
        ReaderWindowFixture f;
        writeFile("other.txt", "Other. ");
        writeFile("photo.xyz", "x");
        const QString path = QDir::current().filePath(named);
        f.beforeLoad = [&](EnglishF& reader) { reader.setStartupFile(path); };
        f.open(false);
        QCOMPARE(f.model().bookText(), bookText);
        QVERIFY2(f.tts.spoken().startsWith(spoken), qPrintable(f.tts.spoken()));
    }

    // A disk so slow that each read waits for the test: the window answers meanwhile, its
    // status line tells the page, nothing of the old text is read, and Tools > Stop Loading
    // keeps the text, file and place.
    void stopLoadingWhileDiskIsSlow() {
        ReaderWindowFixture f;
        EnglishF& reader = f.open();
        reader.setLoadingInBackground(true);
        f.model().setNextPos(6);
        f.model().setPlayMode(ReaderModel::PlayMode::Continuous);
        QSemaphore reads; // one page read per permit
        reader.setDocumentLoader([&reads](const QString&, const LoadProgress& progress) {
            for (int page = 0; page < 500 && !progress.cancelled(); ++page) {
                progress.report(page, 500);
                reads.acquire();
            }
            DocumentLoad cancelled;
            cancelled.status = DocumentLoad::Status::Cancelled;
            return cancelled;
        });
        QVERIFY(f.model().openChosenFile(QDir::current().filePath("big.pdf")));
        auto* status = reader.findChild<QLabel*>("ReaderStatusLine");
        QVERIFY(status);
        reads.release();
        while (status->text() != "Loading: page 2 of 500")
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QVERIFY(status->isVisibleTo(&reader));
        QCOMPARE(reader.windowTitle(), QString("Read Text"));
        const QString shown = f.text1()->toPlainText();
        f.talk();
        reader.onPauseTick();
        QCOMPARE(f.text1()->toPlainText(), shown);
        QAction* stop = f.action("StopLoading");
        QVERIFY(stop && stop->isEnabled());
        stop->trigger();
        reads.release(500);
        QCOMPARE(f.model().state(), ReaderState::Reading);
        QVERIFY(!status->isVisibleTo(&reader));
        QVERIFY(!stop->isEnabled());
        QCOMPARE(f.model().bookText(), QString("One. Two. Three. Four. "));
        QCOMPARE(f.model().fileName(), QString("Tech Pool.txt"));
        QCOMPARE(f.model().nextPos(), 6.0);
        QCOMPARE(f.text2()->text(), QString("Tech Pool.txt"));
    }

    // Quit while a load runs: the window goes at once and the state file keeps the place of
    // the text read before the load.
    void quitDuringLoad() {
        ReaderWindowFixture f;
        EnglishF& reader = f.open();
        reader.setLoadingInBackground(true);
        f.model().setNextPos(6), f.model().setLastPos(6);
        QSemaphore reads;
        reader.setDocumentLoader([&reads](const QString&, const LoadProgress& progress) {
            while (!progress.cancelled())
                reads.acquire();
            DocumentLoad cancelled;
            cancelled.status = DocumentLoad::Status::Cancelled;
            return cancelled;
        });
        f.model().openChosenFile(QDir::current().filePath("big.pdf"));
        f.click(6);      // Quit
        reads.release(); // the loader sees it was asked to stop
        QFile state(EnglishF::stateFileName());
        QVERIFY(state.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = state.readAll().split('\n');
        QCOMPARE(lines.value(0).trimmed(), QByteArray("6"));
        QCOMPARE(lines.value(104).trimmed(), QByteArray("Tech Pool.txt"));
    }
};

QTEST_MAIN(EnglishFOpeningTest)
#include "test_englishf_opening.moc"
