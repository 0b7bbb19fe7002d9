// The command line: what each form asks for, the user's folder, and the real program's answers.
#include "app/CommandLine.h"
#include "app/HandOver.h"
#include "app/SelectionText.h"
#include "app/UserFolder.h"
#include "export/ExportArguments.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/types.h>

using namespace orasent;
using Action = CommandLine::Action;

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void parse_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("userFolder");
        QTest::newRow("nothing") << QStringList{} << int(Action::Run) << "" << false;
        QTest::newRow("a file") << QStringList{"book.epub"} << int(Action::Run) << "book.epub"
                                << false;
        QTest::newRow("desktop start")
            << QStringList{"--user-folder", "/a b.pdf"} << int(Action::Run) << "/a b.pdf" << true;
        QTest::newRow("dash file after --")
            << QStringList{"--", "-notes.txt"} << int(Action::Run) << "-notes.txt" << false;
        QTest::newRow("lone dash is a file")
            << QStringList{"-"} << int(Action::Run) << "-" << false;
        QTest::newRow("help wins")
            << QStringList{"x.txt", "--help", "--bogus"} << int(Action::Help) << "x.txt" << false;
        QTest::newRow("version") << QStringList{"--version"} << int(Action::Version) << "" << false;
        QTest::newRow("unknown option")
            << QStringList{"--bogus"} << int(Action::UsageError) << "" << false;
        QTest::newRow("two files")
            << QStringList{"a.txt", "b.txt"} << int(Action::UsageError) << "" << false;
        QTest::newRow("empty name") << QStringList{""} << int(Action::UsageError) << "" << false;
        QTest::newRow("read selection") << QStringList{"--user-folder", "--read-selection"}
                                        << int(Action::ReadSelection) << "" << true;
        QTest::newRow("stop") << QStringList{"--stop"} << int(Action::Stop) << "" << false;
        QTest::newRow("action with a file")
            << QStringList{"--read-clipboard", "a.txt"} << int(Action::UsageError) << "" << false;
        QTest::newRow("two actions")
            << QStringList{"--stop", "--read-selection"} << int(Action::UsageError) << "" << false;
    }
    void parse() {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(QString, file);
        QFETCH(bool, userFolder);
        const CommandLine line = parseCommandLine(arguments);
        QCOMPARE(int(line.action), action);
        if (line.action == Action::UsageError) {
            QVERIFY(!line.error.isEmpty() && !line.error.contains('\n'));
            return;
        }
        QCOMPARE(line.file, file);
        QCOMPARE(line.userFolder, userFolder);
    }

    // What a second start sends, and what the running one accepts of a caller on the bus.
    void handOver_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("file");
        QTest::newRow("open") << QStringList{"open", "/home/a/../b c.epub"} << true
                              << int(HandOver::Kind::Open) << "/home/b c.epub";
        QTest::newRow("show") << QStringList{"show"} << true << int(HandOver::Kind::Show) << "";
        QTest::newRow("stop") << QStringList{"stop"} << true << int(HandOver::Kind::Stop) << "";
        QTest::newRow("nothing") << QStringList{} << false << 0 << "";
        QTest::newRow("unknown") << QStringList{"format-disk"} << false << 0 << "";
        QTest::newRow("relative file") << QStringList{"open", "b.txt"} << false << 0 << "";
        QTest::newRow("open without file") << QStringList{"open"} << false << 0 << "";
        QTest::newRow("extra argument") << QStringList{"stop", "now"} << false << 0 << "";
        QTest::newRow("NUL in name")
            << QStringList{"open", QString("/a") + QChar(0) + "b"} << false << 0 << "";
        QTest::newRow("huge name")
            << QStringList{"open", "/" + QString(5000, 'x')} << false << 0 << "";
        QTest::newRow("argument over 64 KiB")
            << QStringList{"show" + QString(70000, 'x')} << false << 0 << "";
        QTest::newRow("a million arguments")
            << QStringList(1000000, QStringLiteral("stop")) << false << 0 << "";
    }
    void handOver() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, accepted);
        QFETCH(int, kind);
        QFETCH(QString, file);
        QString why;
        const auto request = decodeHandOver(arguments, &why);
        QCOMPARE(request.has_value(), accepted);
        if (!request) {
            QVERIFY(!why.isEmpty());
            return;
        }
        QCOMPARE(int(request->kind), kind);
        QCOMPARE(request->file, file);
        QCOMPARE(decodeHandOver(encodeHandOver(*request))->file, file); // the way back
    }

    // An export killed on the way (SIGKILL, a power cut) leaves its temporary; the next export
    // to that folder removes it and its record.
    void killedExportCleanedByNext_data() {
        QTest::addColumn<QStringList>("output");
        QTest::newRow("WAV") << QStringList{"book.wav"};
        QTest::newRow("split chapters") << QStringList{"book.ogg", "--split-chapters"};
        QTest::newRow("read-along EPUB") << QStringList{"book.epub"};
    }
    void killedExportCleanedByNext() {
        QFETCH(QStringList, output);
        QTemporaryDir work;
        QVERIFY(work.isValid());
        QFile text(work.filePath("book.txt"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write(QByteArray("A sentence that takes its time to be spoken. ").repeated(4000));
        text.close();
        QDir out(work.filePath("out"));
        QVERIFY(QDir().mkpath(out.path()));
        output.first() = out.filePath(output.first());
        const auto entries = [](const QDir& dir) {
            return dir.entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
        };
        QProcess killed;
        killed.setWorkingDirectory(work.path());
        killed.setProgram(QStringLiteral(ORASENT_PROGRAM));
        killed.setArguments(QStringList{"--export", "book.txt"} + output);
        killed.start();
        QVERIFY(killed.waitForStarted());
        // Its temporary and its record are there.
        QTRY_VERIFY_WITH_TIMEOUT(!entries(out).isEmpty() &&
                                     entries(QDir(work.path())).join(' ').contains(".record "),
                                 60000);
        QCOMPARE(killed.state(), QProcess::Running);
        killed.kill(); // SIGKILL
        QVERIFY(killed.waitForFinished(30000));
        QVERIFY(entries(out).constFirst().startsWith(".orasent-export-"));

        QProcess next;
        next.setWorkingDirectory(work.path());
        next.setProgram(QStringLiteral(ORASENT_PROGRAM));
        next.setArguments(
            {"--export", "book.txt", out.filePath("short.wav"), "--from-sentence", "4000"});
        next.start();
        QVERIFY(next.waitForFinished(60000));
        QCOMPARE(next.exitCode(), 0);
        QCOMPARE(entries(out), QStringList{"short.wav"});
        QCOMPARE(entries(QDir(work.path())).join(" "), QString("book.txt out"));
    }

    // What a media player's OpenUri may name: a local file's URI within 64 KiB.
    void uri_data() {
        QTest::addColumn<QString>("uri");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("why");
        QTest::newRow("local file") << "file:///home/a/b%20c.epub"
                                    << "/home/a/b c.epub"
                                    << "";
        QTest::newRow("web page") << "https://example.org/b.epub"
                                  << ""
                                  << "is not a local file";
        QTest::newRow("over 64 KiB") << "file:///" + QString(70000, 'x') << ""
                                     << "a URI of 70008 characters, over 64 KiB";
        QTest::newRow("10 MB") << "file:///" + QString(10 << 20, 'x') << ""
                               << "over 64 KiB";
        QTest::newRow("a path no file has") << "file:///" + QString(60000, 'x') << ""
                                            << "is not a file name";
        QTest::newRow("64 KiB in UTF-8, a third in characters")
            << "file:///" + QString(22000, QChar(0x20ac)) << ""
            << "a URI of 22008 characters, over 64 KiB";
    }
    void uri() {
        QFETCH(QString, uri);
        QFETCH(QString, file);
        QFETCH(QString, why);
        QString reason;
        const std::optional<QString> named = fileOfUri(uri, &reason);
        QCOMPARE(named.value_or(QString()), file);
        QVERIFY2(reason.contains(why), qPrintable(reason));
        QVERIFY(reason.size() < 300); // what goes to the log is short
    }

    // A notice names a long path by its start and end.
    void elidedNotice() {
        const QString path = "/home/" + QString(1000000, 'x') + "/book.epub";
        const QString shown = elidedForNotice(path);
        QCOMPARE(shown.size(), 200);
        QVERIFY(shown.startsWith("/home/xx") && shown.endsWith("x/book.epub"));
        QVERIFY(shown.contains(QChar(0x2026)));
        QCOMPARE(elidedForNotice("/a/b.txt"), QString("/a/b.txt"));
    }

    // A selection as it is read: cleaned, cut at 100,000 characters, or nothing to read.
    void selection_data() {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("spokenStart");
        QTest::addColumn<int>("textLength");
        QTest::newRow("words") << "Two\tlines\r\nof text"
                               << "Two lines of text" << 17;
        QTest::newRow("empty") << ""
                               << "No text is selected." << 0;
        QTest::newRow("binary") << QString::fromLatin1("\x01\x02\x7f\x1b", 4)
                                << "No text is selected." << 0;
        QTest::newRow("ten megabytes")
            << QString("word ").repeated(2'000'000) << "The text is very long" << 99999;
    }
    void selection() {
        QFETCH(QString, raw);
        QFETCH(QString, spokenStart);
        QFETCH(int, textLength);
        const SelectionSpeech speech = prepareSelection(raw, SelectionSource::Selection);
        QVERIFY2(spokenSelection(speech).startsWith(spokenStart), qPrintable(speech.notice));
        QCOMPARE(speech.text.size(), textLength);
    }

    // Created with the pools on first use; a pool the user changed is never replaced.
    void userFolderKeepsUsersFiles() {
        QTemporaryDir home;
        const QString folder = home.filePath("Orasent/deeper");
        QVERIFY(prepareUserFolder(folder, poolSourceFolder()).isEmpty());
        const QStringList pools = QDir(folder).entryList(QDir::Files);
        QCOMPARE(pools, (QStringList{"Extra Pool.txt", "General Pool.txt", "Tech Pool.txt"}));
        QFile changed(QDir(folder).filePath("Tech Pool.txt"));
        QVERIFY(changed.open(QIODevice::WriteOnly) && changed.write("mine. ") == 6);
        changed.close();
        QVERIFY(prepareUserFolder(folder, poolSourceFolder()).isEmpty());
        QVERIFY(changed.open(QIODevice::ReadOnly));
        QCOMPARE(changed.readAll(), QByteArray("mine. "));
        QVERIFY(!prepareUserFolder("/proc/orasent", poolSourceFolder()).isEmpty());
    }

    // The real program answers these without opening a window.
    void programAnswers_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: orasent"
                              << "";
        QTest::newRow("version") << QStringList{"--version"} << 0 << "orasent 1."
                                 << "";
        QTest::newRow("unknown") << QStringList{"--bogus"} << 2 << ""
                                 << "orasent: unknown option '--bogus'. Try 'orasent --help'";
    }
    void programAnswers() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QProcess program;
        program.setProgram(QStringLiteral(ORASENT_PROGRAM));
        program.setArguments(arguments);
        program.start();
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitCode(), status);
        const QString stdOut = QString::fromUtf8(program.readAllStandardOutput());
        const QString stdErr = QString::fromUtf8(program.readAllStandardError());
        QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.startsWith(out), qPrintable(stdOut));
        QVERIFY2(err.isEmpty() ? stdErr.isEmpty() : stdErr.startsWith(err), qPrintable(stdErr));
        if (!err.isEmpty())
            QCOMPARE(stdErr.count('\n'), 1);
    }

    // Every option the parsers accept is in the real program's --help and in the manual page
    // (read with roff's "\-" as "-"), so neither can fall behind the parsers.
    void everyOptionIsDescribed() {
        QProcess program;
        program.start(QStringLiteral(ORASENT_PROGRAM), {QStringLiteral("--help")});
        QVERIFY(program.waitForFinished(30000));
        const QString help = QString::fromUtf8(program.readAllStandardOutput());
        QFile page(QStringLiteral(ORASENT_MANUAL_PAGE));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString manual = QString::fromUtf8(page.readAll()).replace("\\-", "-");
        const QStringList options = commandLineOptionNames() + exportOptionNames();
        for (const QString& option : options) {
            const QRegularExpression named(QStringLiteral("(^|[\\s,\\[])%1([\\s,=\\]]|$)")
                                               .arg(QRegularExpression::escape(option)),
                                           QRegularExpression::MultilineOption);
            QVERIFY2(help.contains(named), qPrintable(option + " is not in --help"));
            QVERIFY2(manual.contains(named), qPrintable(option + " is not in the manual page"));
        }
        // Both parsers refuse an option missing from their lists.
        QCOMPARE(int(parseCommandLine({"--split-chapters"}).action), int(Action::UsageError));
        QVERIFY(!parseExportArguments({"--export", "a", "b", "--user-folder"}).ok);
    }

    // A closed terminal (SIGHUP), a session's end (SIGTERM) and Ctrl+C during an export: it is
    // cancelled, says so, and leaves nothing in the folder.
    void exportEndedBySignal_data() {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGHUP") << int(SIGHUP);
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
    }
    void exportEndedBySignal() {
        QFETCH(int, signalNumber);
        QTemporaryDir work;
        QVERIFY(work.isValid());
        QFile text(work.filePath("book.txt"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write(QByteArray("A sentence that takes its time to be spoken. ").repeated(4000));
        text.close();
        QDir out(work.filePath("out"));
        QVERIFY(QDir().mkpath(out.path()));
        QProcess program;
        program.setWorkingDirectory(work.path());
        program.setProgram(QStringLiteral(ORASENT_PROGRAM));
        program.setArguments({"--export", "book.txt", out.filePath("book.wav")});
        program.start();
        QVERIFY(program.waitForStarted());
        const auto written = [&out] {
            return out.entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
        };
        QTRY_VERIFY_WITH_TIMEOUT(!written().isEmpty(), 60000); // its temporary is there
        QCOMPARE(program.state(), QProcess::Running);
        QVERIFY(program.processId() > 0);
        ::kill(pid_t(program.processId()), signalNumber);
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
        const QString err = QString::fromUtf8(program.readAllStandardError());
        QVERIFY2(err.contains(QStringLiteral("export interrupted by %1; no file was written")
                                  .arg(QTest::currentDataTag())),
                 qPrintable(err));
        QCOMPARE(written(), QStringList());
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "test_command_line.moc"
