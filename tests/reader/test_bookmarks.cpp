// The bookmark table: set, next, previous, clear, the even spread, and what is announced.
#include "RecordingReaderPort.h"
#include "reader/ReaderModel.h"

#include <QtTest>

using namespace orasent;
using orasent::test::RecordingReaderPort;

namespace {
// `length` characters of 'x' with ". " at the given 1-based positions.
QString textWithBoundaries(int length, std::initializer_list<int> periods) {
    QString text(length, u'x');
    for (int p : periods)
        text[p - 1] = u'.', text[p] = u' ';
    return text;
}
// Slots 1..100 from runs of (count, value).
QList<double> slotValues(std::initializer_list<std::pair<int, double>> runs) {
    QList<double> values;
    for (auto [count, value] : runs)
        values.append(QList<double>(count, value));
    return values;
}
} // namespace

class BookmarksTest : public QObject {
    Q_OBJECT
private slots:
    void setFillsSlotsInOrderUntilFull() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.setLastPos(41.04);
        for (int i = 1; i <= 100; ++i) {
            model.setBookmark();
            QCOMPARE(port.lastHandedOver(), QString("bookmark %1 set").arg(i));
            QCOMPARE(model.bookNum(), i);
        }
        QCOMPARE(QList<double>(model.bookMarks().begin() + 1, model.bookMarks().end()),
                 slotValues({{100, 41.04}}));
        port.clear();
        model.setBookmark(); // the 101st: no slot left, only the focus moves
        QCOMPARE(port.log, QStringList{"focus"});
        QCOMPARE(model.bookNum(), 100);
    }

    void setAfterClearLeavesSlotFree() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.setLastPos(30);
        model.setBookNum(5);
        model.setBookMarkAt(1, 10);
        model.clearBookmarks();
        QCOMPARE(port.log, (QStringList{"handOver:All bookmarks have been cleared", "focus"}));
        QCOMPARE(model.lastPos(), 0.0);
        QCOMPARE(model.bookNum(), 5);
        model.setBookmark();
        QCOMPARE(port.lastHandedOver(), "bookmark 1 set");
        QCOMPARE(model.bookMarks()[1], 0.0); // set at LastPos 0: the slot stays free
        QCOMPARE(model.bookNum(), 1);
    }

    void nextAndPrev_data() {
        QTest::addColumn<bool>("next");
        QTest::addColumn<int>("bookNum");
        QTest::addColumn<QList<double>>("marks");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<int>("newBookNum");
        QTest::addColumn<double>("lastPos");
        const QString end = "handOver:you are at the end of your bookmarks";
        const QString none = "handOver:No previous bookmarks";
        const QList<double> three{1, 10, 17};
        const QString one = "Bookmark number  1. \r\nOne.", two = "Bookmark number  2. \r\n Three.";
        QTest::newRow("next, none visited")
            << true << 0 << three << QStringList{"StopVoice", end} << 0 << 7.0;
        QTest::newRow("next at the last filled")
            << true << 3 << three << QStringList{"StopVoice", end} << 3 << 7.0;
        QTest::newRow("next at slot 100")
            << true << 100 << slotValues({{100, 5}}) << QStringList{"StopVoice", end} << 100 << 7.0;
        QTest::newRow("next") << true << 1 << three
                              << QStringList{"StopVoice", "setSentenceText", "handOver:" + two,
                                             "focus"}
                              << 2 << 10.0;
        QTest::newRow("prev, none visited")
            << false << 0 << three << QStringList{"StopVoice", none} << 0 << 7.0;
        QTest::newRow("prev at slot 1")
            << false << 1 << three << QStringList{"StopVoice", none} << 1 << 7.0;
        QTest::newRow("prev") << false << 2 << three
                              << QStringList{"StopVoice", "handOver:bookmark number 1",
                                             "setSentenceText", "handOver:" + one, "focus"}
                              << 1 << 1.0;
        QTest::newRow("prev onto a free slot")
            << false << 3 << QList<double>{0, 0, 5}
            << QStringList{"StopVoice", "handOver:bookmark number 2",
                           "handOver:You have not set a bookmark"}
            << 2 << 7.0;
        QTest::newRow("prev onto a mark below 1 reads from the start")
            << false << 2 << QList<double>{0.3, 5}
            << QStringList{"StopVoice", "handOver:bookmark number 1", "setSentenceText",
                           "handOver:" + one, "focus"}
            << 1 << 1.0;
        QTest::newRow("next onto a mark after the last \". \" shows nothing")
            << true << 1 << QList<double>{1, 23} << QStringList{"StopVoice"} << 2 << 7.0;
    }
    void nextAndPrev() {
        QFETCH(bool, next);
        QFETCH(int, bookNum);
        QFETCH(QList<double>, marks);
        QFETCH(QStringList, log);
        QFETCH(int, newBookNum);
        QFETCH(double, lastPos);
        RecordingReaderPort port;
        ReaderModel model(port);
        model.setBookText("One. Two. Three. Four.");
        for (int slot = 1; slot <= int(marks.size()); ++slot)
            model.setBookMarkAt(slot, marks[slot - 1]);
        model.setBookNum(bookNum);
        model.setLastPos(7);
        next ? model.nextBookmark() : model.prevBookmark();
        QCOMPARE(port.log, log);
        QCOMPARE(model.bookNum(), newBookNum);
        QCOMPARE(model.lastPos(), lastPos);
    }

    void talkGoesOnAfterTheBookmark() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.setBookText("One. Two. Three. Four. ");
        model.setBookMarkAt(1, 10);
        model.setBookNum(2);
        model.prevBookmark();
        QCOMPARE(port.text1, "Bookmark number  1. \r\n Three.");
        QCOMPARE(model.nextPos(), 17.0);
        model.talk(1);
        QCOMPARE(port.text1, " Four.");
    }

    void spread_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<double>>("expected");
        // 1,000 characters: slot k scans back from 40(k-1).
        QTest::newRow("1,000 characters")
            << textWithBoundaries(1000, {10, 50, 500})
            << slotValues({{1, 1}, {1, 11}, {11, 51}, {12, 501}, {75, 0}});
        // 101 characters: scans from 4.04, 8.08, ... keep their fraction; from 52.52 on the
        // scan reaches 3.52, which rounds to 4, and stops one lower at 2.52.
        QTest::newRow("fractions")
            << textWithBoundaries(101, {3, 60})
            << QList<double>{1,     4.04,  4.08, 4.12,  4.16,  4.2,   4.24, 4.28,  4.32,
                             4.36,  4.4,   4.44, 4.48,  3.52,  3.56,  60.6, 60.64, 60.68,
                             60.72, 60.76, 60.8, 60.84, 60.88, 60.92, 60.96} +
                   slotValues({{75, 0}});
        // No sentence start before a scan point: the rest of the spread keeps its old values.
        QTest::newRow("empty text") << QString() << slotValues({{2, 1}, {23, 7}, {75, 0}});
        QTest::newRow("late first boundary")
            << textWithBoundaries(1000, {500}) << slotValues({{2, 1}, {23, 7}, {75, 0}});
        QTest::newRow("boundary at the first character")
            << textWithBoundaries(50, {1}) << slotValues({{25, 1}, {75, 0}});
    }
    void spread() {
        QFETCH(QString, text);
        QFETCH(QList<double>, expected);
        RecordingReaderPort port;
        ReaderModel model(port);
        model.setBookText(text);
        for (int slot = 0; slot <= 100; ++slot)
            model.setBookMarkAt(slot, 7);
        model.SpreadBookmarks();
        for (int slot = 1; slot <= 100; ++slot)
            QCOMPARE(model.bookMarks()[slot], expected[slot - 1]); // fuzzy: fractions are scanned
        QCOMPARE(model.bookNum(), 1);
        QCOMPARE(port.log, (QStringList{"handOver:25 bookmarks have been set", "focus"}));
    }

    void spreadFractionalBookmarkIsShown() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.setBookText(textWithBoundaries(101, {3, 60}));
        model.SpreadBookmarks();
        model.nextBookmark();
        // From character 4 through the period at 60: nearest(60 - 4.04 + 1) = 57 characters.
        QCOMPARE(port.text1, "Bookmark number  2. \r\n" + model.bookText().mid(3, 57));
        QCOMPARE(model.lastPos(), 4.04);
        QCOMPARE(model.nextPos(), 61.0);
    }
};

QTEST_GUILESS_MAIN(BookmarksTest)
#include "test_bookmarks.moc"
