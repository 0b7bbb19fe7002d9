// `orasent --print-text FILE` through the real program: the reading text one paragraph a line,
// notes left out when the reading options say so, and a one-line failure for unreadable files.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Run runProgram(const QString& folder, const QStringList& arguments) {
    QProcess program;
    program.setProgram(QStringLiteral(ORASENT_PROGRAM));
    program.setArguments(arguments);
    program.setWorkingDirectory(folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY")); // no display is needed
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    program.setProcessEnvironment(environment);
    program.start();
    program.waitForFinished(-1);
    return {program.exitCode(), program.readAllStandardOutput(), program.readAllStandardError()};
}

void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

const QByteArray kMarkdown = "# Caf\xC3\xA9\n\nOne. Two[^1] here\n\n[^1]: A note.\n";

} // namespace

class TestPrintText : public QObject {
    Q_OBJECT
private slots:
    void printText_data();
    void printText();
};

void TestPrintText::printText_data() {
    QTest::addColumn<QByteArray>("options"); // "ReadingOptions.ini"; empty: none
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err"); // the start of the one line
    QTest::newRow("notes read") << QByteArray() << "page.md" << 0
                                << QByteArray("Caf\xC3\xA9.\nOne. Two here.\nNotes.\nA note.\n")
                                << QByteArray();
    QTest::newRow("notes off") << QByteArray("READNOTES=0\r\n") << "page.md" << 0
                               << QByteArray("Caf\xC3\xA9.\nOne. Two here.\n") << QByteArray();
    QTest::newRow("missing file") << QByteArray() << "gone.md" << 1 << QByteArray()
                                  << QByteArray("orasent: ");
    QTest::newRow("damaged e-book")
        << QByteArray() << "bad.epub" << 1 << QByteArray() << QByteArray("orasent: ");
}

void TestPrintText::printText() {
    QFETCH(QByteArray, options);
    QFETCH(QString, file);
    QFETCH(int, status);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QTemporaryDir dir;
    write(dir.filePath(QStringLiteral("page.md")), kMarkdown);
    write(dir.filePath(QStringLiteral("bad.epub")), "PK\x03\x04 cut");
    if (!options.isEmpty())
        write(dir.filePath(QStringLiteral("ReadingOptions.ini")), options);
    const Run run = runProgram(dir.path(), {QStringLiteral("--print-text"), file});
    QCOMPARE(run.status, status);
    QCOMPARE(run.out, out);
    QVERIFY2(run.err.startsWith(err), run.err.constData());
    QCOMPARE(run.err.count('\n'), err.isEmpty() ? 0 : 1);
}

QTEST_GUILESS_MAIN(TestPrintText)
#include "test_print_text.moc"
