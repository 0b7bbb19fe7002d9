#include "speech/ClipboardMonitor.h"

#include <QtTest>

using namespace orasent;

class TestClipboardMonitor : public QObject {
    Q_OBJECT
private slots:
    void decides_data()
    {
        QTest::addColumn<bool>("tookBefore");
        QTest::addColumn<QString>("taken");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("mainText");
        QTest::addColumn<bool>("expectedNew");
        QTest::newRow("fresh text") << false << "" << "hello" << "" << true;
        QTest::newRow("same as main text box") << false << "" << "hello" << "hello" << false;
        QTest::newRow("empty clipboard, empty box") << false << "" << "" << "" << false;
        // The empty clipboard goes through once and empties the box.
        QTest::newRow("empty clipboard, box holds a sentence") << false << "" << "" << "A SENTENCE" << true;
        QTest::newRow("empty clipboard already taken") << true << "" << "" << "A SENTENCE" << false;
        // A replacement changed the spoken text: the clipboard no longer equals the box.
        QTest::newRow("replaced text not repeated") << true << "main rd" << "main rd" << "main road" << false;
        QTest::newRow("new copy after a replaced one") << true << "main rd" << "first st" << "main road" << true;
        QTest::newRow("reader sentence in box, clipboard taken") << true << "copied" << "copied" << "NEXT SENTENCE"
                                                                << false;
        QTest::newRow("case differs") << true << "Hello" << "hello" << "Hello" << true;
    }
    void decides()
    {
        QFETCH(bool, tookBefore);
        QFETCH(QString, taken);
        QFETCH(QString, clipboard);
        QFETCH(QString, mainText);
        QFETCH(bool, expectedNew);
        ClipboardMonitor monitor;
        if (tookBefore)
            monitor.taken(taken);
        QCOMPARE(monitor.isNew(clipboard, mainText), expectedNew);
    }

    void remembersLastTaken()
    {
        ClipboardMonitor monitor;
        QCOMPARE(monitor.lastTaken(), QString());
        monitor.taken("one");
        monitor.taken("two");
        QCOMPARE(monitor.lastTaken(), QString("two"));
        QVERIFY(monitor.isNew("one", ""));
        QVERIFY(!monitor.isNew("two", ""));
    }
};

QTEST_GUILESS_MAIN(TestClipboardMonitor)
#include "test_clipboardmonitor.moc"
