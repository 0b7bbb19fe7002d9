// "Orasent.txt": written form, restore, bad files and safe saving.
#include "RecordingReaderPort.h"
#include "TmpfsMount.h"
#include "common/TextLines.h"
#include "reader/ReaderModel.h"
#include "reader/StateFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace orasent;
using orasent::test::RecordingReaderPort;

class StateFileTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString writeFile(const QByteArray& bytes) {
        const QString path = m_dir.filePath(QStringLiteral("Orasent.txt"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            qFatal("cannot write state file");
        return path;
    }

    // A state file of `count` lines, line n holding lines[n - 1] when given, else " 0 ".
    static QByteArray stateLines(int count, const QMap<int, QByteArray>& lines) {
        QByteArray bytes;
        for (int n = 1; n <= count; ++n)
            bytes += lines.value(n, n == 105 ? QByteArray("book.txt") : QByteArray(" 0 ")) + "\r\n";
        return bytes;
    }

private slots:
    void roundTrip() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.NextPos = 77;
        model.LastPos = 41.04;
        for (int slot = 1; slot <= 100; ++slot)
            model.BookMarks[slot] = slot % 3 == 0 ? 0 : slot * 10.5 + 0.04;
        model.BookNum = 57;
        model.FileName = QString::fromUtf8("/home/me/My books, old/Été – notes.txt");
        model.Seconds = 7;
        model.ReservedNum = 3;
        const QString path = m_dir.filePath(QStringLiteral("Orasent.txt"));
        QString error;
        QVERIFY2(writeStateFile(path, model, 28.125, &error), qPrintable(error));

        const SavedReadingState state = readStateFile(path);
        RecordingReaderPort restoredPort;
        ReaderModel restored(restoredPort);
        applyState(state, restored);
        QCOMPARE(restored.NextPos, 41.04);  // both positions come from LastPos
        QCOMPARE(restored.LastPos, 41.04);
        QCOMPARE(state.fontSize, std::optional<double>(28.125));
        for (int slot = 1; slot <= 100; ++slot)
            QCOMPARE(restored.BookMarks[slot], model.BookMarks[slot]);
        QCOMPARE(restored.BookNum, 57);
        QCOMPARE(restored.FileName, model.FileName);
        QCOMPARE(restored.Seconds, 7);
        QVERIFY(state.timerLineRead);
        QCOMPARE(restored.ReservedNum, 3);
    }

    void writtenForm() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.LastPos = 5;
        model.BookMarks[1] = 4.04;
        model.BookNum = 1;
        model.FileName = QStringLiteral("Tech Pool.txt");
        model.Seconds = 2;
        const QStringList lines = splitLines(QString::fromLatin1(formatStateFile(model, 18.123456)));
        QCOMPARE(lines.size(), 108);
        QVERIFY(formatStateFile(model, 18).endsWith("\r\n 1 \r\n"));
        QCOMPARE(lines[0], QStringLiteral(" 5 "));
        QCOMPARE(lines[1], QStringLiteral(" 5 "));
        QCOMPARE(lines[2], QStringLiteral(" 18.1235 "));
        QCOMPARE(lines[3], QStringLiteral(" 4.04 "));
        QCOMPARE(lines[4], QStringLiteral(" 0 "));
        QCOMPARE(lines[103], QStringLiteral(" 1 "));
        QCOMPARE(lines[104], QStringLiteral("Tech Pool.txt"));
        QCOMPARE(lines[105], QStringLiteral("2"));
        QCOMPARE(lines[106], QString());
        QCOMPARE(lines[107], QStringLiteral(" 1 "));
    }

    void missingFileLeavesDefaults() {
        const SavedReadingState state = readStateFile(m_dir.filePath(QStringLiteral("none.txt")));
        QVERIFY(!state.nextPos && !state.fileName && !state.seconds && !state.timerLineRead);
        RecordingReaderPort port;
        ReaderModel model(port);
        applyState(state, model);
        model.applyFirstRunDefaults();
        QCOMPARE(model.FileName, QStringLiteral("Tech Pool.txt"));
        QCOMPARE(port.text2, QStringLiteral("Tech Pool.txt"));
        QCOMPARE(model.ReservedNum, 1);
    }

    void badFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<double>("nextPos");
        QTest::addColumn<int>("bookNum");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<bool>("timerLineRead");
        QTest::addColumn<int>("reservedNum");

        QTest::newRow("empty") << QByteArray() << 0.0 << 0 << QString() << 0 << false << 1;
        QTest::newRow("two lines") << QByteArray(" 12 \r\n 12 \r\n") << 12.0 << 0 << QString() << 0 << false << 1;
        QTest::newRow("105 lines keep the timer")
            << stateLines(105, {{104, " 3 "}}) << 0.0 << 3 << QStringLiteral("book.txt") << 0 << false << 1;
        QTest::newRow("line 106 holding 0 stops the timer")
            << stateLines(106, {{106, "0"}}) << 0.0 << 0 << QStringLiteral("book.txt") << 0 << true << 1;
        QTest::newRow("negative numbers are ignored")
            << stateLines(108, {{1, "-5"}, {104, "-7"}, {106, "-3"}, {108, "-1"}})
            << 0.0 << 0 << QStringLiteral("book.txt") << 0 << true << 1;
        QTest::newRow("huge numbers are clamped")
            << stateLines(108, {{1, " 1E300 "}, {104, " 99999999999 "}, {106, "70000"}, {108, " 1e20 "}})
            << 1e300 << 100 << QStringLiteral("book.txt") << 32 << true << 32767;
        QTest::newRow("BookNum just over the table") << stateLines(108, {{104, " 101 "}})
            << 0.0 << 100 << QStringLiteral("book.txt") << 0 << true << 1;
        QTest::newRow("text instead of numbers")
            << stateLines(108, {{1, "abc"}, {104, "x7"}, {106, "seven"}})
            << 0.0 << 0 << QStringLiteral("book.txt") << 0 << true << 1;
        QTest::newRow("rounded half to even")
            << stateLines(108, {{104, " 2.5 "}, {106, "3.5"}, {108, " 4.5 "}})
            << 0.0 << 2 << QStringLiteral("book.txt") << 4 << true << 4;
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe\x01\x02\r\x80\x90", 8)
                                << 0.0 << 0 << QString() << 0 << false << 1;
    }
    void badFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(double, nextPos);
        QFETCH(int, bookNum);
        QFETCH(QString, fileName);
        QFETCH(int, seconds);
        QFETCH(bool, timerLineRead);
        QFETCH(int, reservedNum);

        const SavedReadingState state = readStateFile(writeFile(bytes));
        RecordingReaderPort port;
        ReaderModel model(port);
        applyState(state, model);
        model.applyFirstRunDefaults();
        QCOMPARE(model.NextPos, nextPos);
        QCOMPARE(model.BookNum, bookNum);
        QCOMPARE(model.FileName, fileName.isEmpty() ? QStringLiteral("Tech Pool.txt") : fileName);
        QCOMPARE(model.Seconds, seconds);
        QCOMPARE(state.timerLineRead, timerLineRead);
        QCOMPARE(model.ReservedNum, reservedNum);
        for (int slot = 1; slot <= 100; ++slot)
            QVERIFY(model.BookMarks[slot] >= 0);
    }

    void hugeFileReadsOnlyItsStart() {
        QByteArray bytes = stateLines(108, {{1, " 9 "}, {2, " 9 "}});
        bytes += QByteArray(8 << 20, 'x');
        const SavedReadingState state = readStateFile(writeFile(bytes));
        QCOMPARE(state.lastPos, std::optional<double>(9));
        QCOMPARE(state.fileName, std::optional<QString>(QStringLiteral("book.txt")));
    }

    void fileNameWithCommaAndSpaces() {
        const SavedReadingState state =
            readStateFile(writeFile(stateLines(108, {{105, "  my dir, 2/a, b .txt "}})));
        QCOMPARE(state.fileName, std::optional<QString>(QStringLiteral("  my dir, 2/a, b .txt ")));
    }

    void savingOntoFullDiskKeepsOldFile() {
        test::TmpfsMount mount(64);
        if (!mount.isMounted())
            QSKIP("tmpfs cannot be mounted here");
        RecordingReaderPort port;
        ReaderModel model(port);
        model.FileName = QStringLiteral("old.txt");
        const QString path = mount.filePath(QStringLiteral("Orasent.txt"));
        QVERIFY(writeStateFile(path, model, 18, nullptr));
        const QByteArray before = [&] { QFile f(path); f.open(QIODevice::ReadOnly); return f.readAll(); }();
        mount.fill();
        model.FileName = QStringLiteral("new.txt");
        model.LastPos = 1234;
        QString error;
        QVERIFY(!writeStateFile(path, model, 18, &error));
        QVERIFY(!error.isEmpty());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }

    void savingOntoReadOnlyMountKeepsOldFile() {
        test::TmpfsMount mount(64);
        if (!mount.isMounted())
            QSKIP("tmpfs cannot be mounted here");
        RecordingReaderPort port;
        ReaderModel model(port);
        model.FileName = QStringLiteral("old.txt");
        const QString path = mount.filePath(QStringLiteral("Orasent.txt"));
        QVERIFY(writeStateFile(path, model, 18, nullptr));
        QVERIFY(mount.remountReadOnly());
        model.FileName = QStringLiteral("new.txt");
        QString error;
        QVERIFY(!writeStateFile(path, model, 18, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(readStateFile(path).fileName, std::optional<QString>(QStringLiteral("old.txt")));
    }
};

QTEST_GUILESS_MAIN(StateFileTest)
#include "test_statefile.moc"
