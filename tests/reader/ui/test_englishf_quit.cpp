// Quit: the reading state is saved and the other windows are unloaded.
#include "ReaderWindowFixture.h"
#include "reader/StateFile.h"

#include <QtTest>

using namespace orasent;
using namespace orasent::test;

class TestEnglishFQuit : public QObject {
    Q_OBJECT
private slots:
    void quitSaves() {
        ReaderWindowFixture f;
        writeFile(QStringLiteral("Tech Pool.txt"), "One. Two. Three. ");
        EnglishF& reader = f.open();
        QTest::mousePress(f.command(3), Qt::LeftButton);
        QTest::mousePress(f.command(3), Qt::LeftButton);
        QTest::mouseClick(f.command(2), Qt::LeftButton);  // 8 points
        QTest::mouseClick(f.command(6), Qt::LeftButton);  // Quit
        QVERIFY(!reader.isVisible());
        QCOMPARE(f.tts.unloadCalls, 1);
        QCOMPARE(f.tts.stopVoiceCalls, 2);  // Quit itself does not silence speech

        const SavedReadingState saved = readStateFile(QStringLiteral("Orasent.txt"));
        QCOMPARE(saved.nextPos.value_or(-1), 5.0);
        QCOMPARE(saved.lastPos.value_or(-1), 5.0);
        QCOMPARE(saved.fontSize.value_or(-1), 8.0);
        QCOMPARE(saved.fileName.value_or(QString()), QStringLiteral("Tech Pool.txt"));
        QVERIFY(saved.timerLineRead);
    }
};

QTEST_MAIN(TestEnglishFQuit)
#include "test_englishf_quit.moc"
