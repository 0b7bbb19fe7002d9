// The reader's loading state, driven by a scripted loader that hands the parts of a document
// over only when the test says: the pause timer and Talk while a load runs, Cancel, a second
// open, a failed open, and a resumed place beyond the part that has arrived.
#include "RecordingReaderPort.h"
#include "reader/ReaderModel.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace orasent;
using orasent::test::RecordingReaderPort;

namespace {

// Records each load it is asked for; the test delivers parts and ends through the model.
class ScriptedLoaderPort : public RecordingReaderPort {
public:
    void startLoad(const QString& path, int ticket, ReaderModel&) override {
        started << path;
        tickets << ticket;
    }
    void cancelLoad(int ticket) override { cancelled << ticket; }
    void showLoadingStatus(const QString& text) override { status = text; }

    int lastTicket() const { return tickets.value(tickets.size() - 1); }

    QStringList started;
    QList<int> tickets, cancelled;
    QString status;
};

QVector<Paragraph> part(const QStringList& texts) {
    QVector<Paragraph> paragraphs;
    for (const QString& text : texts)
        paragraphs.append(Paragraph{text, Paragraph::Kind::Body, 0, {}, {}});
    return paragraphs;
}

DocumentLoad ended(DocumentLoad::Status status, const QStringList& all = {},
                   const QString& error = {}) {
    DocumentLoad load;
    load.status = status;
    load.bookText = bookTextFromDocument(part(all)).bookText;
    load.error = error;
    return load;
}

// An empty file of that name: its loads are scripted.
QString existingFile(const QTemporaryDir& dir, const QString& name) {
    QFile file(dir.filePath(name));
    return file.open(QIODevice::WriteOnly) ? file.fileName() : QString();
}

const QString kOld = QStringLiteral("Old one. Old two. Old three. ");

// A model reading the old document at its second sentence, with a bookmark, in continuous play.
void readOld(ReaderModel& model, ScriptedLoaderPort& port) {
    model.setFileName("old.txt");
    model.setBookText(kOld);
    model.setNextPos(9), model.setLastPos(1), model.setBookMarkAt(1, 1), model.setBookNum(1);
    model.setPlayMode(ReaderModel::PlayMode::Continuous);
    model.beginLoad("old.txt", false, DocumentArrival::KeepPlace);
    model.loadEnded(port.lastTicket(), [] {
        DocumentLoad load;
        load.status = DocumentLoad::Status::Loaded;
        load.bookText = kOld;
        return load;
    }());
    port.clear();
}

void verifyOldKept(const ReaderModel& model) {
    QCOMPARE(model.fileName(), QString("old.txt"));
    QCOMPARE(model.bookText(), kOld);
    QCOMPARE(model.nextPos(), 9.0);
    QCOMPARE(model.lastPos(), 1.0);
    QCOMPARE(model.bookMarks()[1], 1.0);
    QCOMPARE(model.bookNum(), 1);
}

} // namespace

class LoadingTest : public QObject {
    Q_OBJECT
private slots:
    // Until the first part arrives the timer steps nothing; then it reads the new document
    // from its start, and at the edge of what has arrived it waits instead of ending.
    void timerDuringLoad() {
        ScriptedLoaderPort port;
        ReaderModel model(port);
        readOld(model, port);
        QVERIFY(model.openChosenFile("new.pdf"));
        QCOMPARE(model.state(), ReaderState::Loading);
        QCOMPARE(model.timerTick(), ReaderModel::TickOutcome::Waiting);
        QVERIFY(!port.log.contains("setSentenceText"));
        QVERIFY(port.handedOver.isEmpty());
        verifyOldKept(model); // Quit now would save the old place

        model.partArrived(port.lastTicket(), part({"New one.", "New two"}));
        QCOMPARE(model.fileName(), QString("new.pdf"));
        QCOMPARE(model.bookNum(), 0);
        QVERIFY(!port.text1.contains("Old"));
        QCOMPARE(model.timerTick(), ReaderModel::TickOutcome::Stepped);
        QCOMPARE(port.text1, QString("New one."));
        QCOMPARE(model.timerTick(), ReaderModel::TickOutcome::Stepped);
        QCOMPARE(model.timerTick(), ReaderModel::TickOutcome::Waiting);
        for (const QString& text : std::as_const(port.handedOver))
            QVERIFY2(!text.contains("Old"), qPrintable(text));

        model.partArrived(port.lastTicket(), part({"New three."}));
        QCOMPARE(model.timerTick(), ReaderModel::TickOutcome::Stepped);
        QCOMPARE(port.text1, QString(" \r\nNew three."));
        model.loadEnded(port.lastTicket(),
                        ended(DocumentLoad::Status::Loaded, {"New one.", "New two", "New three."}));
        QCOMPARE(model.state(), ReaderState::Reading);
        QCOMPARE(model.timerTick(), ReaderModel::TickOutcome::EndOfText);
    }

    // The load phase and the play mode are told as they change, through one place each: a
    // document that fails after its first part puts the old one back and stops playing.
    void phaseAndPlayModeChangesAreTold() {
        ScriptedLoaderPort port;
        ReaderModel model(port);
        readOld(model, port);
        QList<ReaderState> phases;
        QList<ReaderModel::PlayMode> modes;
        connect(&model, &ReaderModel::stateChanged, this, [&](ReaderState s) { phases << s; });
        connect(&model, &ReaderModel::playModeChanged, this,
                [&](ReaderModel::PlayMode mode) { modes << mode; });
        QVERIFY(model.openChosenFile("new.pdf"));
        model.partArrived(port.lastTicket(), part({"New one."}));
        model.loadEnded(port.lastTicket(), ended(DocumentLoad::Status::Failed));
        QCOMPARE(phases, QList<ReaderState>({ReaderState::Loading, ReaderState::Reading}));
        QCOMPARE(modes, QList<ReaderModel::PlayMode>({ReaderModel::PlayMode::Off}));
        verifyOldKept(model);
    }

    // Talk at the edge of what has arrived shows the next sentence as soon as it comes; a
    // Talk given before anything came is taken then.
    void talkAtEdge() {
        ScriptedLoaderPort port;
        ReaderModel model(port);
        readOld(model, port);
        model.openChosenFile("new.epub");
        model.talk(1); // put off: nothing of the new document yet, nothing of the old read
        QVERIFY(!port.log.contains("setSentenceText"));
        model.loadProgressed(port.lastTicket(), 0, 3);
        QCOMPARE(port.status, QString("Loading: chapter 1 of 3"));
        model.partArrived(port.lastTicket(), part({"First."}));
        QCOMPARE(port.text1, QString("First."));
        port.clear();
        model.talk(1);
        QVERIFY(!port.log.contains("setSentenceText"));
        model.partArrived(port.lastTicket(), part({"Second."}));
        QCOMPARE(port.text1, QString(" \r\nSecond."));
        QCOMPARE(port.lastHandedOver(), QString(" \r\nSecond."));
        model.loadEnded(port.lastTicket(),
                        ended(DocumentLoad::Status::Loaded, {"First.", "Second."}));
        QCOMPARE(port.status, QString());
    }

    // Cancel before any part keeps everything; after one, the part stays readable.
    void cancel_data() {
        QTest::addColumn<bool>("partFirst");
        QTest::newRow("nothing arrived") << false;
        QTest::newRow("a part arrived") << true;
    }
    void cancel() {
        QFETCH(bool, partFirst);
        ScriptedLoaderPort port;
        ReaderModel model(port);
        readOld(model, port);
        model.openChosenFile("new.pdf");
        if (partFirst)
            model.partArrived(port.lastTicket(), part({"Arrived."}));
        model.stopLoading();
        QCOMPARE(port.cancelled, QList<int>{port.lastTicket()});
        QCOMPARE(model.state(), ReaderState::Reading);
        QCOMPARE(port.status, QString());
        if (partFirst) {
            QCOMPARE(model.bookText(), QString("Arrived. "));
            QCOMPARE(model.fileName(), QString("new.pdf"));
        } else {
            verifyOldKept(model);
            QCOMPARE(port.text2, QString("old.txt"));
        }
        // What the stopped load still delivers is not taken.
        model.partArrived(port.lastTicket(), part({"Late."}));
        QVERIFY(!model.bookText().contains("Late"));
    }

    // A second open during a load wins; the first one's deliveries are ignored.
    void secondOpen() {
        ScriptedLoaderPort port;
        ReaderModel model(port);
        readOld(model, port);
        model.openChosenFile("first.pdf");
        const int first = port.lastTicket();
        model.openChosenFile("second.pdf");
        QCOMPARE(port.cancelled, QList<int>{first});
        model.partArrived(first, part({"From the first."}));
        model.loadEnded(first, ended(DocumentLoad::Status::Loaded, {"From the first."}));
        verifyOldKept(model);
        QCOMPARE(model.state(), ReaderState::Loading);
        model.loadEnded(port.lastTicket(), ended(DocumentLoad::Status::Loaded, {"Second."}));
        QCOMPARE(model.fileName(), QString("second.pdf"));
        QCOMPARE(model.bookText(), QString("Second. "));
    }

    // A failed open, by any route, keeps the document, the place and the bookmarks.
    void failedOpenKeepsPlace_data() {
        QTest::addColumn<int>("route");
        QTest::addColumn<QString>("error");
        QTest::newRow("Open File, damaged") << 0 << "This PDF is damaged.";
        QTest::newRow("path box, unreadable") << 1 << QString();
        QTest::newRow("question pool, empty") << 2 << QString();
    }
    void failedOpenKeepsPlace() {
        QFETCH(int, route);
        QFETCH(QString, error);
        ScriptedLoaderPort port;
        ReaderModel model(port);
        readOld(model, port);
        const QString path = QFINDTESTDATA("test_loading.cpp"); // an existing file
        if (route == 0)
            model.openChosenFile("broken.pdf");
        else if (route == 1)
            model.openTypedPath(path);
        else
            model.openPool(path);
        model.loadEnded(port.lastTicket(), ended(DocumentLoad::Status::Failed, {}, error));
        verifyOldKept(model);
        QCOMPARE(port.text2, QString("old.txt"));
        QCOMPARE(port.messages, QStringList{error.isEmpty() ? "Error loading file" : error});
        QCOMPARE(model.state(), ReaderState::Reading);
    }

    // A document that fails after its first part arrived (a later chapter too large, a zip
    // bomb) puts the previous document, place, bookmarks and sentence back, by every route.
    void failureAfterFirstPartKeepsPlace_data() {
        QTest::addColumn<int>("route");
        QTest::newRow("Open File, hand-over, MPRIS") << 0;
        QTest::newRow("path box") << 1;
        QTest::newRow("Recent Documents") << 2;
        QTest::newRow("question pool") << 3;
    }
    void failureAfterFirstPartKeepsPlace() {
        QFETCH(int, route);
        ScriptedLoaderPort port;
        ReaderModel model(port);
        readOld(model, port);
        model.sentenceEdited("Old two."); // the sentence on show
        QTemporaryDir dir;
        const QString path = existingFile(dir, "later.epub");
        LibraryEntry entry;
        entry.key = "later";
        entry.path = path;
        model.library().library().remember(entry);
        if (route == 0)
            model.openChosenFile("bomb.epub");
        else if (route == 1)
            model.openTypedPath(path);
        else if (route == 2)
            QVERIFY(model.openLibraryEntry("later"));
        else
            model.openPool(path);
        model.partArrived(port.lastTicket(), part({"Chapter.", "First of the new."}));
        QCOMPARE(model.timerTick(), ReaderModel::TickOutcome::Stepped);
        model.setBookmark();
        model.loadEnded(port.lastTicket(),
                        ended(DocumentLoad::Status::Failed, {}, "This e-book can not be read."));
        verifyOldKept(model);
        QCOMPARE(port.text2, QString("old.txt"));
        QCOMPARE(port.text1, QString("Old two."));
        QCOMPARE(port.messages, QStringList{"This e-book can not be read."});
        QCOMPARE(model.state(), ReaderState::Reading);
        QCOMPARE(model.playMode(), ReaderModel::PlayMode::Off);
        QVERIFY(port.log.contains("StopVoice"));
        // Talk goes on in the old document.
        model.talk(1);
        QCOMPARE(port.text1, QString(" Old two."));
    }

    // A file named on the command line that fails or is cancelled (Cancel in the password
    // dialog) at start-up: the saved state's document is read, its place and bookmarks kept.
    void failedStartupFileReadsSaved_data() {
        QTest::addColumn<bool>("partFirst");
        QTest::addColumn<int>("status");
        QTest::newRow("damaged") << false << int(DocumentLoad::Status::Failed);
        QTest::newRow("password cancelled") << false << int(DocumentLoad::Status::Cancelled);
        QTest::newRow("later chapter fails") << true << int(DocumentLoad::Status::Failed);
    }
    void failedStartupFileReadsSaved() {
        QFETCH(bool, partFirst);
        QFETCH(int, status);
        ScriptedLoaderPort port;
        ReaderModel model(port);
        const QStringList saved = {"Saved one.", "Saved two."};
        const QString savedText = bookTextFromDocument(part(saved)).bookText;
        const double place = double(savedText.indexOf(" \r\nSaved two")) + 1;
        model.setFileName("saved.txt");
        model.setNextPos(place), model.setLastPos(place), model.setBookMarkAt(1, 10),
            model.setBookNum(1);
        QTemporaryDir dir;
        const QString named = existingFile(dir, "named.epub");
        QVERIFY(model.openStartupFile(named).isEmpty());
        QCOMPARE(model.fileName(), QString("saved.txt")); // nothing changes before it arrives
        model.alignPlaceAfterNextLoad();
        model.OpenfF();
        QCOMPARE(port.started, QStringList{named});
        if (partFirst)
            model.partArrived(port.lastTicket(), part({"Chapter."}));
        model.loadEnded(port.lastTicket(), ended(DocumentLoad::Status(status), {}, "Damaged."));
        QCOMPARE(port.started, (QStringList{named, "saved.txt"}));
        QCOMPARE(port.messages, status == int(DocumentLoad::Status::Failed)
                                    ? QStringList{"Damaged."}
                                    : QStringList{});
        QCOMPARE(model.fileName(), QString("saved.txt"));
        QCOMPARE(port.text2, QString("saved.txt"));
        QCOMPARE(model.bookNum(), 1);
        QCOMPARE(model.bookMarks()[1], 10.0);
        model.loadEnded(port.lastTicket(), ended(DocumentLoad::Status::Loaded, saved));
        QCOMPARE(model.bookText(), savedText);
        QCOMPARE(model.nextPos(), place);
        QCOMPARE(model.bookMarks()[1], 10.0);
        QCOMPARE(model.state(), ReaderState::Reading);
    }

    // The text of the saved state fails at start-up: the box, and the saved place kept.
    void failedStartupKeepsState() {
        ScriptedLoaderPort port;
        ReaderModel model(port);
        model.setFileName("gone.txt");
        model.setNextPos(40), model.setLastPos(40), model.setBookMarkAt(3, 12);
        model.OpenfF();
        model.loadEnded(port.lastTicket(), ended(DocumentLoad::Status::Failed));
        QCOMPARE(port.messages, QStringList{"Error loading file"});
        QCOMPARE(model.state(), ReaderState::Idle);
        QCOMPARE(model.fileName(), QString("gone.txt"));
        QCOMPARE(model.nextPos(), 40.0);
        QCOMPARE(model.bookMarks()[3], 12.0);
    }

    // A resumed place (or a bookmark) beyond the arrived part shows its sentence when that
    // part arrives; Set 25 Bookmarks waits for the whole text.
    void resumeBeyondArrived() {
        ScriptedLoaderPort port;
        ReaderModel model(port);
        const QStringList paragraphs = {"Alpha one.", "Alpha two.", "Beta one.", "Beta two."};
        const QString whole = bookTextFromDocument(part(paragraphs)).bookText;
        model.setFileName("book.pdf");
        model.setNextPos(double(whole.indexOf(" \r\nBeta two")) + 1);
        model.OpenfF();
        model.partArrived(port.lastTicket(), part(paragraphs.mid(0, 2)));
        model.talk(1);
        QVERIFY(!port.log.contains("setSentenceText"));
        model.SpreadBookmarks();
        QCOMPARE(port.lastHandedOver(),
                 QString("The bookmarks are set when the whole document has been read in."));
        QCOMPARE(model.bookNum(), 0);
        model.partArrived(port.lastTicket(), part(paragraphs.mid(2)));
        QCOMPARE(port.text1, QString(" \r\nBeta two."));
        model.loadEnded(port.lastTicket(), ended(DocumentLoad::Status::Loaded, paragraphs));
        QCOMPARE(model.bookText(), whole);
        QCOMPARE(port.lastHandedOver(), QString("25 bookmarks have been set"));
        QCOMPARE(model.bookNum(), 1);
    }
};

QTEST_GUILESS_MAIN(LoadingTest)
#include "test_loading.moc"
