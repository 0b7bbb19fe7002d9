#include "common/AtomicFile.h"

#include "TmpfsMount.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>

using namespace orasent;

static QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class TestAtomicFile : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { setRenameFunctionForTesting({}); }

    void replacesWholeAndLeavesNoTemporary_data() {
        QTest::addColumn<QString>("temporaryName");
        QTest::newRow("unique temporary") << QString();
        QTest::newRow("named temporary") << QStringLiteral("ALLTMP");
    }
    void replacesWholeAndLeavesNoTemporary() {
        QFETCH(QString, temporaryName);
        QTemporaryDir dir;
        const QString target = dir.filePath("VIC.INI");
        QVERIFY(writeFileAtomically(target, "old\r\n", nullptr, {temporaryName}));
        QVERIFY(writeFileAtomically(target, "new\r\n", nullptr, {temporaryName}));
        QCOMPARE(readAll(target), QByteArray("new\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"VIC.INI"});
    }

    void failedRenameKeepsOldFile() {
        QTemporaryDir dir;
        const QString target = dir.filePath("Orasent.txt");
        QVERIFY(writeFileAtomically(target, "old"));
        setRenameFunctionForTesting([](const char*, const char*) {
            errno = EXDEV;
            return -1;
        });
        QString error;
        QVERIFY(!writeFileAtomically(target, "new", &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(readAll(target), QByteArray("old"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Orasent.txt"});
    }

    void missingFolderFails() {
        QTemporaryDir dir;
        QString error;
        QVERIFY(!writeFileAtomically(dir.filePath("no/such/folder/x.txt"), "x", &error));
        QVERIFY(!error.isEmpty());
    }

    void fullDiskKeepsOldFile() {
        test::TmpfsMount disk(64);
        if (!disk.isMounted())
            QSKIP("cannot mount a tmpfs here (needs root)");
        const QString target = disk.filePath("Speech.lst");
        QVERIFY(writeFileAtomically(target, "RD=ROAD\r\n"));
        disk.fill();
        QString error;
        QVERIFY(!writeFileAtomically(target, QByteArray(256 * 1024, 'y'), &error));
        QVERIFY2(error.contains("No space"), qPrintable(error));
        QCOMPARE(readAll(target), QByteArray("RD=ROAD\r\n"));
        QDir folder(disk.path());
        QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden), (QStringList{".filler", "Speech.lst"}));
    }

    void readOnlyMountKeepsOldFile() {
        test::TmpfsMount disk(64);
        if (!disk.isMounted())
            QSKIP("cannot mount a tmpfs here (needs root)");
        const QString target = disk.filePath("Orasent.txt");
        QVERIFY(writeFileAtomically(target, "old"));
        QVERIFY(disk.remountReadOnly());
        QString error;
        QVERIFY(!writeFileAtomically(target, "new", &error, {QStringLiteral("ALLTMP")}));
        QVERIFY(error.contains("Read-only"));
        QCOMPARE(readAll(target), QByteArray("old"));
    }
};

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "test_atomicfile.moc"
