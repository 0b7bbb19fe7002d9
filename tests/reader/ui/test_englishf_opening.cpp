// How files reach the reader window: dropped on it, named on the command line, and a long load
// that the user cancels from its progress dialog.
#include "ReaderWindowFixture.h"

#include <QMimeData>
#include <QProgressDialog>
#include <QUrl>
#include <QtTest>
#include <thread>

using namespace orasent;
using namespace orasent::test;

class EnglishFOpeningTest : public QObject {
    Q_OBJECT
private slots:
    void droppedFileOpensAsNewReading() {
        ReaderWindowFixture f;
        EnglishF& reader = f.open();
        f.model().NextPos = 6;
        writeFile("dropped.txt", "Dropped. Text. ");
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QDir::current().filePath("dropped.txt"))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(&reader, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(&reader, &drop);
        QCOMPARE(f.model().BookText, QString("Dropped. Text. "));
        QCOMPARE(f.model().NextPos, 0.0);
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
        QCOMPARE(f.model().BookText, bookText);
        QVERIFY2(f.tts.spoken().startsWith(spoken), qPrintable(f.tts.spoken()));
    }

    // The dialog shows while the load runs; Cancel keeps the text, file and place.
    void cancelFromProgressDialog() {
        ReaderWindowFixture f;
        EnglishF& reader = f.open();
        f.model().NextPos = 6;
        writeFile("big.txt", "Big. ");
        reader.setProgressDelay(0);
        reader.setDocumentLoader([](const QString&, const LoadProgress& progress) {
            progress.report(1, 500);
            while (!progress.cancelled())
                std::this_thread::yield();
            return DocumentLoad{DocumentLoad::Status::Cancelled, {}, {}, false, {}, {}, {}};
        });
        int sawPage = 0;
        QTimer presser; // presses Cancel once the dialog has shown its progress
        connect(&presser, &QTimer::timeout, [&] {
            auto* dialog = reader.findChild<QProgressDialog*>("LoadProgress");
            if (dialog && dialog->isVisible() && dialog->maximum() == 500) {
                sawPage = dialog->value();
                QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
            }
        });
        presser.start(10);
        QVERIFY(f.model().openChosenFile("big.txt"));
        QCOMPARE(sawPage, 1);
        QCOMPARE(f.model().BookText, QString("One. Two. Three. Four. "));
        QCOMPARE(f.model().FileName, QString("Tech Pool.txt"));
        QCOMPARE(f.model().NextPos, 6.0);
        QCOMPARE(f.text2()->text(), QString("Tech Pool.txt"));
    }
};

QTEST_MAIN(EnglishFOpeningTest)
#include "test_englishf_opening.moc"
