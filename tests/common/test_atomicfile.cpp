#include "FileBytes.h"
#include "common/AtomicFile.h"

#include "TmpfsMount.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <memory>

using orasent::test::readAll;

using namespace orasent;

class TestAtomicFile : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { setRenameFunctionForTesting({}); }

    void replacesWholeAndLeavesNoTemporary_data() {
        QTest::addColumn<QString>("temporaryName");
        QTest::newRow("unique temporary") << QString();
        QTest::newRow("named temporary") << "ALLTMP";
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

    // Every failure keeps the old file byte for byte, leaves no temporary and says why.
    void failureKeepsOldFile_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("reason");
        QTest::newRow("rename fails") << "rename"
                                      << "";
        QTest::newRow("missing folder") << "folder"
                                        << "";
        QTest::newRow("full disk") << "full"
                                   << "No space";
        QTest::newRow("read-only mount") << "readonly"
                                         << "Read-only";
    }
    void failureKeepsOldFile() {
        QFETCH(QString, fault);
        QFETCH(QString, reason);
        QTemporaryDir plain;
        QDir dir(plain.path());
        std::unique_ptr<test::TmpfsMount> disk;
        if (fault == "full" || fault == "readonly") {
            disk = std::make_unique<test::TmpfsMount>(64);
            if (!disk->isMounted())
                QSKIP("cannot mount a tmpfs here (needs root)");
            dir.setPath(disk->path());
        }
        QString target = dir.filePath("Orasent.txt");
        QVERIFY(writeFileAtomically(target, "old\r\n"));
        if (fault == "rename")
            setRenameFunctionForTesting([](const char*, const char*) { return errno = EXDEV, -1; });
        else if (fault == "folder")
            target = dir.filePath("no/such/folder/Orasent.txt");
        else if (fault == "full")
            disk->fill();
        else
            QVERIFY(disk->remountReadOnly());
        QString error;
        QVERIFY(!writeFileAtomically(target, QByteArray(256 * 1024, 'y'), &error, {"ALLTMP"}));
        QVERIFY2(!error.isEmpty() && error.contains(reason), qPrintable(error));
        QCOMPARE(readAll(dir.filePath("Orasent.txt")), QByteArray("old\r\n"));
        QStringList left = dir.entryList(QDir::Files | QDir::Hidden);
        left.removeOne(".filler");
        QCOMPARE(left, QStringList{"Orasent.txt"});
    }
};

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "test_atomicfile.moc"
