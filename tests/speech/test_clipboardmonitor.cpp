#include "speech/ClipboardMonitor.h"

#include <QtTest>

using namespace orasent;

class TestClipboardMonitor : public QObject {
    Q_OBJECT
private slots:
    void decides_data() {
        QTest::addColumn<QStringList>("taken"); // in the order the monitor took them
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("mainText");
        QTest::addColumn<bool>("expectedNew");
        QTest::newRow("fresh text") << QStringList() << "hello"
                                    << "" << true;
        QTest::newRow("same as main text box") << QStringList() << "hello"
                                               << "hello" << false;
        QTest::newRow("empty clipboard, empty box") << QStringList() << ""
                                                    << "" << false;
        // The empty clipboard goes through once and empties the box.
        QTest::newRow("empty clipboard, box holds a sentence") << QStringList() << ""
                                                               << "A SENTENCE" << true;
        QTest::newRow("empty clipboard already taken") << QStringList{""} << ""
                                                       << "A SENTENCE" << false;
        // A replacement changed the spoken text: the clipboard no longer equals the box.
        QTest::newRow("replaced text not repeated") << QStringList{"main rd"} << "main rd"
                                                    << "main road" << false;
        QTest::newRow("new copy after a replaced one") << QStringList{"main rd"} << "first st"
                                                       << "main road" << true;
        QTest::newRow("case differs") << QStringList{"Hello"} << "hello"
                                      << "Hello" << true;
        QTest::newRow("only the last taken is remembered") << QStringList{"one", "two"} << "one"
                                                           << "" << true;
        QTest::newRow("last taken") << QStringList{"one", "two"} << "two"
                                    << "" << false;
    }
    void decides() {
        QFETCH(QStringList, taken);
        QFETCH(QString, clipboard);
        QFETCH(QString, mainText);
        QFETCH(bool, expectedNew);
        ClipboardMonitor monitor;
        for (const QString& text : taken)
            monitor.taken(text);
        QCOMPARE(monitor.isNew(clipboard, mainText), expectedNew);
    }
};

QTEST_GUILESS_MAIN(TestClipboardMonitor)
#include "test_clipboardmonitor.moc"
