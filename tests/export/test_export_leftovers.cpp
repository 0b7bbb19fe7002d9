// What a killed export left behind: found by its record or by its name beside the target, and
// removed only when it has the export's name and its export no longer runs.
#include "export/ExportLeftovers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/wait.h>
#include <unistd.h>

using namespace orasent;

namespace {
// The id of a process that has ended.
qint64 endedProcess() {
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    int status = 0;
    waitpid(child, &status, 0);
    return child;
}

void writeFile(const QString& path, const QByteArray& bytes = "x") {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}
} // namespace

class ExportLeftoversTest : public QObject {
    Q_OBJECT
private slots:
    void names_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("temporary");
        QTest::newRow("audio file") << ".orasent-export-123-book.wav.a1B2c3" << true;
        QTest::newRow("chapter folder") << ".orasent-export-9-Xy12Zz" << true;
        QTest::newRow("record") << ".orasent-export-77-0.record" << true;
        QTest::newRow("the finished book") << "book.wav" << false;
        QTest::newRow("another program's") << ".book.wav.a1B2c3" << false;
        QTest::newRow("no process id") << ".orasent-export-book.wav" << false;
        QTest::newRow("unhidden") << "orasent-export-1-book.wav" << false;
    }
    void names() {
        QFETCH(QString, name);
        QFETCH(bool, temporary);
        QCOMPARE(isExportTemporaryName(name), temporary);
    }

    // Beside the target: the temporaries of ended exports go; the running export's, the
    // finished files and other names stay.
    void leftoversInFolder() {
        QTemporaryDir dir;
        const QString dead = QString(".orasent-export-%1-").arg(endedProcess());
        writeFile(dir.filePath(dead + "book.wav.a1B2c3"));
        QVERIFY(QDir(dir.path()).mkpath(dead + "Xy12Zz/sub"));
        writeFile(dir.filePath(dead + "Xy12Zz/sub/01.ogg"));
        writeFile(dir.filePath(exportTemporaryPrefix() + "book.wav.q9w8e7")); // running
        writeFile(dir.filePath("book.wav"));
        writeFile(dir.filePath(".book.wav.a1B2c3"));
        QCOMPARE(removeLeftoversIn(dir.path()).size(), 2);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{".book.wav.a1B2c3", exportTemporaryPrefix() + "book.wav.q9w8e7",
                              "book.wav"}));
    }

    // At start-up: a record of an ended export names its temporaries in another folder; what it
    // names without the export's name is left alone, and a running export's record too.
    void recordedLeftovers() {
        QTemporaryDir work, out;
        const QString dead = QString(".orasent-export-%1-").arg(endedProcess());
        const QString temporary = out.filePath(dead + "book.flac.Zz9Yy8");
        const QString notOurs = out.filePath("notes.txt");
        writeFile(temporary);
        writeFile(notOurs);
        writeFile(work.filePath(dead + "0.record"),
                  ("Orasent export temporaries\n" + temporary + "\n" + notOurs + "\n").toUtf8());
        // A file of that name that is no record, and a record being written when it was killed.
        writeFile(work.filePath(dead + "1.record"), temporary.toUtf8());
        writeFile(work.filePath(dead + "2.record.part"));
        {
            ExportRecord running(work.path());
            running.add(out.filePath(exportTemporaryPrefix() + "x.wav.abcdef"));
            const QStringList removed = removeRecordedLeftovers(work.path());
            QCOMPARE(removed, (QStringList{temporary, work.filePath(dead + "0.record"),
                                           work.filePath(dead + "2.record.part")}));
            QVERIFY(QFile::exists(notOurs));
            QVERIFY(QFile::exists(running.path()));
        }
        QCOMPARE(QDir(work.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{dead + "1.record"}); // the running record went with its export
    }
};

QTEST_GUILESS_MAIN(ExportLeftoversTest)
#include "test_export_leftovers.moc"
