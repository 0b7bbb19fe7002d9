// "Orasent.txt": written form, restore, bad files and safe saving.
#include "FileBytes.h"
#include "RecordingReaderPort.h"
#include "TmpfsMount.h"
#include "common/TextLines.h"
#include "reader/ReaderModel.h"
#include "reader/StateFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using orasent::test::readAll;

using namespace orasent;
using orasent::test::RecordingReaderPort;

namespace {
// A state file of `count` lines: line n holds lines[n] when given, else " 0 " (105: "book.txt").
QByteArray stateLines(int count, const QMap<int, QByteArray>& lines = {}) {
    QByteArray bytes;
    for (int n = 1; n <= count; ++n)
        bytes += lines.value(n, n == 105 ? "book.txt" : " 0 ") + "\r\n";
    return bytes;
}
} // namespace

class StateFileTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void roundTrip() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.setNextPos(77);
        model.setLastPos(41.04);
        for (int slot = 1; slot <= 100; ++slot)
            model.setBookMarkAt(slot, slot % 3 == 0 ? 0 : slot * 10.5 + 0.04);
        model.setBookNum(57);
        model.setFileName(QString::fromUtf8("/home/me/My books, old/Été – notes.txt"));
        model.setSeconds(7);
        model.setReservedNum(3);
        const QString path = m_dir.filePath("Orasent.txt");
        QString error;
        QVERIFY2(writeStateFile(path, model, 28.125, &error), qPrintable(error));

        const SavedReadingState state = readStateFile(path);
        ReaderModel restored(port);
        applyState(state, restored);
        QCOMPARE(restored.nextPos(), 41.04); // both positions come from LastPos
        QCOMPARE(restored.lastPos(), 41.04);
        QCOMPARE(state.fontSize, std::optional<double>(28.125));
        for (int slot = 1; slot <= 100; ++slot)
            QCOMPARE(restored.bookMarks()[slot], model.bookMarks()[slot]);
        QCOMPARE(restored.bookNum(), 57);
        QCOMPARE(restored.fileName(), model.fileName());
        QCOMPARE(restored.seconds(), 7);
        QVERIFY(state.timerLineRead);
        QCOMPARE(restored.reservedNum(), 3);
    }

    void writtenForm() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.setLastPos(5);
        model.setBookMarkAt(1, 4.04);
        model.setBookNum(1);
        model.setFileName("Tech Pool.txt");
        model.setSeconds(2);
        QCOMPARE(formatStateFile(model, 18.123456), " 5 \r\n 5 \r\n 18.1235 \r\n 4.04 \r\n" +
                                                        QByteArray(" 0 \r\n").repeated(99) +
                                                        " 1 \r\nTech Pool.txt\r\n2\r\n\r\n 1 \r\n");
    }

    void badFiles_data() {
        QTest::addColumn<QByteArray>("bytes"); // "missing": no file at all
        QTest::addColumn<double>("nextPos");
        QTest::addColumn<int>("bookNum");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<bool>("timerLineRead");
        QTest::addColumn<int>("reservedNum");
        QTest::newRow("missing") << QByteArray("missing") << 0.0 << 0 << "Tech Pool.txt" << 0
                                 << false << 1;
        QTest::newRow("empty") << QByteArray() << 0.0 << 0 << "Tech Pool.txt" << 0 << false << 1;
        QTest::newRow("two lines")
            << QByteArray(" 12 \r\n 12 \r\n") << 12.0 << 0 << "Tech Pool.txt" << 0 << false << 1;
        QTest::newRow("105 lines keep the timer")
            << stateLines(105, {{104, " 3 "}}) << 0.0 << 3 << "book.txt" << 0 << false << 1;
        QTest::newRow("line 106 holding 0 stops the timer")
            << stateLines(106, {{106, "0"}}) << 0.0 << 0 << "book.txt" << 0 << true << 1;
        QTest::newRow("negative numbers are ignored")
            << stateLines(108, {{1, "-5"}, {104, "-7"}, {106, "-3"}, {108, "-1"}}) << 0.0 << 0
            << "book.txt" << 0 << true << 1;
        QTest::newRow("huge numbers are clamped")
            << stateLines(108,
                          {{1, " 1E300 "}, {104, " 99999999999 "}, {106, "70000"}, {108, " 1e20 "}})
            << 1e300 << 100 << "book.txt" << 32 << true << 32767;
        QTest::newRow("BookNum just over the table")
            << stateLines(108, {{104, " 101 "}}) << 0.0 << 100 << "book.txt" << 0 << true << 1;
        QTest::newRow("text instead of numbers")
            << stateLines(108, {{1, "abc"}, {104, "x7"}, {106, "seven"}}) << 0.0 << 0 << "book.txt"
            << 0 << true << 1;
        QTest::newRow("rounded half to even")
            << stateLines(108, {{104, " 2.5 "}, {106, "3.5"}, {108, " 4.5 "}}) << 0.0 << 2
            << "book.txt" << 4 << true << 4;
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe\x01\x02\r\x80\x90", 8) << 0.0 << 0
                                << "Tech Pool.txt" << 0 << false << 1;
        QTest::newRow("8 MB after the last line")
            << stateLines(108, {{1, " 9 "}, {2, " 9 "}}) + QByteArray(8 << 20, 'x') << 9.0 << 0
            << "book.txt" << 0 << true << 1;
        QTest::newRow("file name with commas and blanks")
            << stateLines(108, {{105, "  my dir, 2/a, b .txt "}}) << 0.0 << 0
            << "  my dir, 2/a, b .txt " << 0 << true << 1;
    }
    void badFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(double, nextPos);
        QFETCH(int, bookNum);
        QFETCH(QString, fileName);
        QFETCH(int, seconds);
        QFETCH(bool, timerLineRead);
        QFETCH(int, reservedNum);
        const QString path = m_dir.filePath("Orasent.txt");
        QFile::remove(path);
        if (bytes != "missing") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }
        const SavedReadingState state = readStateFile(path);
        RecordingReaderPort port;
        ReaderModel model(port);
        applyState(state, model);
        model.applyFirstRunDefaults();
        QCOMPARE(model.nextPos(), nextPos);
        QCOMPARE(model.bookNum(), bookNum);
        QCOMPARE(model.fileName(), fileName);
        QCOMPARE(port.text2,
                 fileName == "Tech Pool.txt" ? fileName : QString()); // first-run name shown
        QCOMPARE(model.seconds(), seconds);
        QCOMPARE(state.timerLineRead, timerLineRead);
        QCOMPARE(model.reservedNum(), reservedNum);
        QVERIFY(std::all_of(model.bookMarks().begin(), model.bookMarks().end(),
                            [](double m) { return m >= 0; }));
    }

    void failedSaveKeepsOldFile_data() {
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("full disk") << false;
        QTest::newRow("read-only mount") << true;
    }
    void failedSaveKeepsOldFile() {
        QFETCH(bool, readOnly);
        test::TmpfsMount mount(64);
        if (!mount.isMounted())
            QSKIP("tmpfs cannot be mounted here");
        RecordingReaderPort port;
        ReaderModel model(port);
        model.setFileName("old.txt");
        const QString path = mount.filePath("Orasent.txt");
        QVERIFY(writeStateFile(path, model, 18, nullptr));
        const QByteArray before = readAll(path);
        if (readOnly)
            QVERIFY(mount.remountReadOnly());
        else
            mount.fill();
        model.setFileName("new.txt");
        model.setLastPos(1234);
        QString error;
        QVERIFY(!writeStateFile(path, model, 18, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(readAll(path), before);
    }
};

QTEST_GUILESS_MAIN(StateFileTest)
#include "test_statefile.moc"
