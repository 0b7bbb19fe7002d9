// The running program's side of the desktop: requests of later starts, the clipboard read
// aloud, the media player's metadata, and a quit signal in the middle of an export.
#include "../reader/ui/ReaderWindowFixture.h"
#include "app/DesktopSession.h"
#include "app/QuitSignals.h"
#include "export/ui/ExportRun.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace orasent;
using namespace orasent::test;

class DesktopSessionTest : public QObject {
    Q_OBJECT
private slots:
    // A flood of requests: the latest text is read, once, silencing what was heard.
    void latestClipboardTextWins() {
        ReaderWindowFixture f;
        f.open(false);
        DesktopSession session(*f.reader, f.tts, nullptr);
        session.setReady();
        f.model().setPlayMode(ReaderModel::PlayMode::Continuous);
        const int stopsBefore = f.tts.stopVoiceCalls;
        for (int i = 0; i < 100; ++i) {
            QGuiApplication::clipboard()->setText(QString("Text %1.").arg(i));
            session.take({HandOver::Kind::ReadClipboard, {}});
        }
        QTRY_COMPARE(f.tts.spoken(), QString("Text 99."));
        QCOMPARE(f.model().playMode(), ReaderModel::PlayMode::Off);
        QCOMPARE(f.tts.stopVoiceCalls - stopsBefore, 1);
        QVERIFY(!f.reader->isVisible()); // read in the background
    }

    // Where the desktop shares no selection the clipboard is read, and that is said once.
    void selectionFallsBackToClipboardOnce() {
        if (QGuiApplication::clipboard()->supportsSelection())
            QSKIP("this platform shares the selection");
        ReaderWindowFixture f;
        f.open(false);
        DesktopSession session(*f.reader, f.tts, nullptr);
        QGuiApplication::clipboard()->setText("Copied words.");
        session.run({HandOver::Kind::ReadSelection, {}});
        QCOMPARE(f.tts.spoken(), clipboardInsteadNotice() + " Copied words.");
        session.run({HandOver::Kind::ReadSelection, {}});
        QCOMPARE(f.tts.spoken(), QString("Copied words."));
    }

    // A missing file is refused aloud; the reading place stays.
    void missingFileKeepsThePlace() {
        ReaderWindowFixture f;
        f.open(false);
        DesktopSession session(*f.reader, f.tts, nullptr);
        f.model().setNextPos(6);
        const QString before = f.model().fileName();
        session.run({HandOver::Kind::Open, QDir::current().filePath("gone.txt")});
        QVERIFY(f.tts.spoken().contains("gone.txt can not be found"));
        QCOMPARE(f.model().fileName(), before);
        QCOMPARE(f.model().nextPos(), 6.0);
        QVERIFY(f.reader->isVisible()); // the window came up to say so
    }

    // Title and author from the document, the chapter from its contents, the file name
    // otherwise.
    void metadataFollowsTheReading() {
        ReaderWindowFixture f;
        f.open(false);
        DesktopSession session(*f.reader, f.tts, nullptr);
        QCOMPARE(session.metadata().title, QString("Tech Pool"));
        DocumentLoad load;
        load.status = DocumentLoad::Status::Loaded;
        load.bookText = "One. Alpha. Two. Beta. ";
        load.document.metadata.title = "The Book";
        load.document.metadata.author = "A. Writer";
        load.document.contents = {{"One", 1, 0}, {"Two", 1, 2}};
        load.paragraphStarts = {0, 5, 12, 17};
        f.reader->setDocumentLoader([load](const QString&, const LoadProgress&) { return load; });
        QVERIFY(f.model().openChosenFile("book.txt"));
        f.model().setLastPos(12); // in the first chapter
        QCOMPARE(session.metadata().chapter, QString("One"));
        f.model().setLastPos(13);
        const PlayerMetadata data = session.metadata();
        QCOMPARE(data.title, QString("The Book"));
        QCOMPARE(data.author, QString("A. Writer"));
        QCOMPARE(data.chapter, QString("Two"));
        const QVariantMap map = mprisMetadata(data);
        QCOMPARE(map.value("xesam:title").toString(), QString("Two"));
        QCOMPARE(map.value("xesam:artist").toStringList(), QStringList{"A. Writer"});
    }

    // SIGTERM while an export runs: the state file and the speech settings are saved, the
    // export is cancelled and leaves no file.
    void quitSignalDuringExport() {
        ReaderWindowFixture f;
        f.open(false);
        DesktopSession session(*f.reader, f.tts, nullptr);
        QuitSignals quitSignals;
        QVERIFY(quitSignals.isInstalled());
        connect(&quitSignals, &QuitSignals::quitRequested, &session, &DesktopSession::quitAsQuit);
        session.setReady();
        QTemporaryDir out;
        ExportRequest request;
        request.text = QString("A sentence that is being exported. ").repeated(300);
        request.outputPath = out.filePath("book.ogg");
        new ExportRun(request, f.prompts, f.reader.get());
        const auto written = [&out] {
            return QDir(out.path()).entryList(QDir::Files | QDir::Hidden);
        };
        QTRY_VERIFY_WITH_TIMEOUT(!written().isEmpty(), 60000); // its temporary is there
        QSignalSpy asked(&quitSignals, &QuitSignals::quitRequested);
        std::raise(SIGTERM);
        QVERIFY(asked.wait(10000));
        QCOMPARE(asked.first().first().toInt(), int(SIGTERM));
        QVERIFY(f.reader->findChildren<ExportRun*>().isEmpty());
        QVERIFY(QFile::exists(EnglishF::stateFileName()));
        QCOMPARE(f.tts.unloadCalls, 1);
        QCOMPARE(written(), QStringList());
    }

    // A quit signal while a box waits for its OK: the box is closed, and what the quit has to
    // say (the state file could not be saved) goes to the log instead of another box.
    void quitSignalWithBoxOpen() {
        ReaderWindowFixture f;
        f.open(false);
        DesktopSession session(*f.reader, f.tts, nullptr);
        QuitSignals quitSignals;
        connect(&quitSignals, &QuitSignals::quitRequested, &session, &DesktopSession::quitAsQuit);
        session.setReady();
        QVERIFY(QDir().mkdir(EnglishF::stateFileName())); // nothing can replace a folder
        f.prompts.realMessages = true;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Orasent.txt"));
        f.prompts.showMessage(f.reader.get(), "Nobody answers this.", programTitle());
        QVERIFY(f.reader->findChild<QMessageBox*>());
        std::raise(SIGTERM);
        QTRY_VERIFY(session.hasQuit());
        QTRY_COMPARE(f.tts.unloadCalls, 1);
        QCOMPARE(f.prompts.messages.size(), 2);
        QTRY_VERIFY(f.reader->findChildren<QDialog*>().isEmpty());
    }

    // A message box holds nothing up: a request that comes while it waits for its OK runs at
    // once, and the box stays.
    void requestWhileABoxIsOpen() {
        ReaderWindowFixture f;
        f.open(false);
        DesktopSession session(*f.reader, f.tts, nullptr);
        session.setReady();
        writeFile("other.txt", "Other text. ");
        f.prompts.realMessages = true;
        f.prompts.showMessage(f.reader.get(), "Read this first.", programTitle());
        session.take({HandOver::Kind::Open, QDir::current().filePath("other.txt")});
        QTRY_VERIFY(f.model().fileName().endsWith("other.txt"));
        auto* box = f.reader->findChild<QMessageBox*>();
        QVERIFY(box && box->isVisible());
        box->accept();
    }

    // A second signal while the first quit is under way ends the program at once.
    void secondSignalEndsAtOnce() {
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            QuitSignals quitSignals;
            std::raise(SIGTERM); // taken: waits for the event loop
            std::raise(SIGTERM);
            _exit(0);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 128 + SIGTERM);
    }
};

QTEST_MAIN(DesktopSessionTest)
#include "test_desktop_session.moc"
