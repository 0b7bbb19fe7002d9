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
    for (int p : periods) {
        text[p - 1] = u'.';
        text[p] = u' ';
    }
    return text;
}
} // namespace

class BookmarksTest : public QObject {
    Q_OBJECT

private slots:
    void setFillsSlotsInOrderUntilFull() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.LastPos = 41.04;
        for (int i = 1; i <= 100; ++i) {
            model.setBookmark();
            QCOMPARE(port.lastHandedOver(), QStringLiteral("bookmark %1 set").arg(i));
            QCOMPARE(model.BookNum, i);
        }
        for (int slot = 1; slot <= 100; ++slot)
            QCOMPARE(model.BookMarks[slot], 41.04);
        QCOMPARE(port.focusMoves, 0);
        port.clear();
        model.setBookmark();
        QVERIFY(port.handedOver.isEmpty());
        QCOMPARE(port.focusMoves, 1);
        QCOMPARE(model.BookNum, 100);
    }

    void setAfterClearLeavesSlotFree() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.LastPos = 30;
        model.BookNum = 5;
        model.BookMarks[1] = 10;
        model.clearBookmarks();
        QCOMPARE(port.lastHandedOver(), QStringLiteral("All bookmarks have been cleared"));
        QCOMPARE(port.focusMoves, 1);
        QCOMPARE(model.LastPos, 0.0);
        QCOMPARE(model.BookNum, 5);
        QCOMPARE(model.BookMarks[1], 0.0);
        model.setBookmark();
        QCOMPARE(port.lastHandedOver(), QStringLiteral("bookmark 1 set"));
        QCOMPARE(model.BookMarks[1], 0.0);
        QCOMPARE(model.BookNum, 1);
    }

    void nextAtItsLimits_data() {
        QTest::addColumn<int>("bookNum");
        QTest::addColumn<int>("filledSlots");
        QTest::newRow("no bookmark visited") << 0 << 3;
        QTest::newRow("last filled slot") << 3 << 3;
        QTest::newRow("slot 100") << 100 << 100;
    }
    void nextAtItsLimits() {
        QFETCH(int, bookNum);
        QFETCH(int, filledSlots);
        RecordingReaderPort port;
        ReaderModel model(port);
        model.BookText = QStringLiteral("One. Two. Three. ");
        for (int slot = 1; slot <= filledSlots; ++slot)
            model.BookMarks[slot] = 5;
        model.BookNum = bookNum;
        model.NextPos = 10;
        model.nextBookmark();
        QCOMPARE(port.log, (QStringList{QStringLiteral("StopVoice"),
                                        QStringLiteral("handOver:you are at the end of your bookmarks")}));
        QCOMPARE(model.BookNum, bookNum);
        QCOMPARE(model.NextPos, 10.0);
    }

    void prevAtItsLimits_data() {
        QTest::addColumn<int>("bookNum");
        QTest::newRow("none") << 0;
        QTest::newRow("slot 1") << 1;
    }
    void prevAtItsLimits() {
        QFETCH(int, bookNum);
        RecordingReaderPort port;
        ReaderModel model(port);
        model.BookMarks[1] = 5;
        model.BookNum = bookNum;
        model.prevBookmark();
        QCOMPARE(port.log, (QStringList{QStringLiteral("StopVoice"),
                                        QStringLiteral("handOver:No previous bookmarks")}));
        QCOMPARE(model.BookNum, bookNum);
    }

    void prevOntoFreeSlot() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.BookMarks[3] = 5;
        model.BookNum = 3;
        model.prevBookmark();
        QCOMPARE(port.handedOver, (QStringList{QStringLiteral("bookmark number 2"),
                                               QStringLiteral("You have not set a bookmark")}));
        QCOMPARE(model.BookNum, 2);
        QCOMPARE(port.focusMoves, 0);
    }

    void prevAndNextShowTheBookmark() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.BookText = QStringLiteral("One. Two. Three. Four. ");
        model.BookMarks[1] = 1;
        model.BookMarks[2] = 10;
        model.BookNum = 2;
        model.prevBookmark();
        const QString first = QStringLiteral("Bookmark number  1. \r\nOne.");
        QCOMPARE(port.text1, first);
        QCOMPARE(port.handedOver, (QStringList{QStringLiteral("bookmark number 1"), first}));
        QCOMPARE(model.BookNum, 1);
        QCOMPARE(model.LastPos, 1.0);
        QCOMPARE(model.NextPos, 5.0);
        QCOMPARE(port.focusMoves, 1);
        QCOMPARE(port.log.first(), QStringLiteral("StopVoice"));

        model.nextBookmark();
        QCOMPARE(port.text1, QStringLiteral("Bookmark number  2. \r\n Three."));
        QCOMPARE(port.lastHandedOver(), port.text1);
        QCOMPARE(model.LastPos, 10.0);
        QCOMPARE(model.NextPos, 17.0);
        // Talk goes on after the bookmarked sentence.
        model.talk(1);
        QCOMPARE(port.text1, QStringLiteral(" Four."));
    }

    void bookmarkAfterLastBoundaryShowsNothing() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.BookText = QStringLiteral("One. Two.");
        model.BookMarks[1] = 1;
        model.BookMarks[2] = 5;
        model.BookNum = 1;
        port.text1 = QStringLiteral("before");
        model.nextBookmark();
        QCOMPARE(port.text1, QStringLiteral("before"));
        QVERIFY(port.handedOver.isEmpty());
        QCOMPARE(model.BookNum, 2);
        QCOMPARE(model.NextPos, 5.0);
    }

    void bookmarkBelowOneReadsFromTheStart() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.BookText = QStringLiteral("One. Two. ");
        model.BookMarks[1] = 0.3;
        model.BookMarks[2] = 5;
        model.BookNum = 2;
        model.prevBookmark();
        QCOMPARE(port.text1, QStringLiteral("Bookmark number  1. \r\nOne."));
    }

    void spreadOverThousandCharacters() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.BookText = textWithBoundaries(1000, {10, 50, 500});
        model.BookMarks[60] = 99;
        model.SpreadBookmarks();
        QCOMPARE(model.BookMarks[1], 1.0);
        QCOMPARE(model.BookMarks[2], 11.0);   // scan from 40
        for (int slot = 3; slot <= 13; ++slot)  // scans from 80 .. 480
            QCOMPARE(model.BookMarks[slot], 51.0);
        for (int slot = 14; slot <= 25; ++slot)  // scans from 520 .. 960
            QCOMPARE(model.BookMarks[slot], 501.0);
        for (int slot = 26; slot <= 100; ++slot)
            QCOMPARE(model.BookMarks[slot], 0.0);
        QCOMPARE(model.BookNum, 1);
        QCOMPARE(port.handedOver, QStringList{QStringLiteral("25 bookmarks have been set")});
        QCOMPARE(port.focusMoves, 1);

        // Next shows slot 2.
        model.nextBookmark();
        QVERIFY(port.text1.startsWith(QStringLiteral("Bookmark number  2. \r\n")));
        QCOMPARE(model.LastPos, 11.0);
    }

    void spreadKeepsFractions() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.BookText = textWithBoundaries(101, {3, 60});
        model.SpreadBookmarks();
        QCOMPARE(model.BookMarks[2], 4.04);
        QCOMPARE(model.BookMarks[3], 4.08);
        // A fractional bookmark as NextPos: the sentence runs from character 4 through the
        // period at 60, nearest(60 - 4.04 + 1) = 57 characters.
        model.BookNum = 1;
        model.nextBookmark();
        QCOMPARE(port.text1.size(), 22 + 57);
        QCOMPARE(port.text1.mid(22, 2), QStringLiteral(" x"));
        QVERIFY(port.text1.endsWith(QStringLiteral("x.")));
        QCOMPARE(model.LastPos, 4.04);
        QCOMPARE(model.NextPos, 61.0);
    }

    void spreadOnEmptyText() {
        RecordingReaderPort port;
        ReaderModel model(port);
        for (int slot = 1; slot <= 100; ++slot)
            model.BookMarks[slot] = 7;
        model.SpreadBookmarks();
        QCOMPARE(model.BookMarks[1], 1.0);
        QCOMPARE(model.BookMarks[2], 1.0);
        for (int slot = 3; slot <= 25; ++slot)
            QCOMPARE(model.BookMarks[slot], 7.0);
        for (int slot = 26; slot <= 100; ++slot)
            QCOMPARE(model.BookMarks[slot], 0.0);
        QCOMPARE(model.BookNum, 1);
        QCOMPARE(port.lastHandedOver(), QStringLiteral("25 bookmarks have been set"));
    }

    void spreadWithLateFirstBoundary() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.BookText = textWithBoundaries(1000, {500});
        model.BookMarks[3] = 7;
        model.SpreadBookmarks();
        QCOMPARE(model.BookMarks[2], 1.0);
        QCOMPARE(model.BookMarks[3], 7.0);  // the spread stopped at slot 2
    }

    void spreadFindsBoundaryAtFirstCharacter() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.BookText = textWithBoundaries(50, {1});
        model.SpreadBookmarks();
        QCOMPARE(model.BookMarks[2], 1.0);  // p reached exactly 1: not moved past the period
    }
};

QTEST_GUILESS_MAIN(BookmarksTest)
#include "test_bookmarks.moc"
