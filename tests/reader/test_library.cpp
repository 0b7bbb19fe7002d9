// The places of the documents read: resuming across documents and a restart, a renamed or edited
// file, bad library files, a library that can not be written, and the limit of 1,000 documents.
#include "RecordingReaderPort.h"
#include "reader/DocumentLibrary.h"
#include "reader/ReaderModel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace orasent;
using orasent::test::RecordingReaderPort;

namespace {
bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

LibraryEntry entry(const QByteArray& key, const QString& path, double lastPos) {
    LibraryEntry e;
    e.key = key;
    e.path = path;
    e.title = QStringLiteral("Title ") + path;
    e.lastRead = QDateTime(QDate(2026, 12, 1), QTime(10, 0), Qt::UTC);
    e.nextPos = lastPos + 5;
    e.lastPos = lastPos;
    e.bookMarks[1] = 7;
    e.bookMarks[100] = 41.04;
    e.bookNum = 1;
    e.percent = 17;
    e.voice = QStringLiteral("English (Great Britain)");
    e.placeHash = "0123456789abcdef";
    return e;
}

// A model reading through a library kept in `libraryPath`.
struct Reader {
    explicit Reader(const QString& libraryPath) : model(port) {
        loadMessage = model.library().load(libraryPath);
    }
    void talk(int times) {
        for (int i = 0; i < times; ++i)
            model.talk(1);
    }
    RecordingReaderPort port;
    ReaderModel model;
    QString loadMessage;
};

// Longer than the stretch of text at a place that an edited file is checked by.
const QByteArray kBook = "One. Two. Three. Four. Five. Six. Seven. Eight. Nine. Ten. Eleven. "
                         "Twelve. Thirteen. Fourteen. Fifteen. Sixteen. Seventeen. ";
const QByteArray kOther = "Alpha. Beta. Gamma. Delta. ";
} // namespace

class LibraryTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void init() {
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
        QVERIFY(writeBytes(path("book.txt"), kBook) && writeBytes(path("other.txt"), kOther));
    }

    void resumesAcrossDocumentsAndRestart() {
        {
            Reader r(path("Library.ini"));
            QVERIFY(r.model.openChosenFile(path("book.txt")));
            r.talk(3); // " Three." shown
            r.model.setBookmark();
            QVERIFY(r.model.openChosenFile(path("other.txt")));
            QCOMPARE(r.model.nextPos(), 0.0); // a new document starts at its beginning
            QCOMPARE(r.model.bookNum(), 0);
            r.talk(2); // " Beta." shown
            QVERIFY(r.model.openChosenFile(path("book.txt")));
            QCOMPARE(r.port.text1, QString(" Three."));
            QCOMPARE(r.model.lastPos(), 10.0);
            QCOMPARE(r.model.nextPos(), 10.0); // Talk speaks the shown sentence
            QCOMPARE(r.model.bookMarks()[1], 10.0);
            QCOMPARE(r.model.bookNum(), 1);
            QCOMPARE(r.port.lastHandedOver(),
                     QString("Resuming where you stopped, 7 percent into the book."));
            r.model.talk(1);
            QCOMPARE(r.port.text1, QString(" Three."));
            r.model.leaveDocument(); // quitting
        }
        Reader restarted(path("Library.ini"));
        QVERIFY(restarted.loadMessage.isEmpty());
        QVERIFY(restarted.model.openChosenFile(path("other.txt")));
        QCOMPARE(restarted.port.text1, QString(" Beta."));
        QVERIFY(restarted.model.openChosenFile(path("book.txt")));
        QCOMPARE(restarted.port.text1, QString(" Three."));
        const QVector<LibraryEntry>& entries = restarted.model.library().library().entries();
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[0].title, QString("other")); // left last, so first
    }

    // Known by its text: a moved file resumes; an edited one only if the words at the place are
    // the same.
    void changedFile_data() {
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QByteArray>("newText");
        QTest::addColumn<QString>("shown");
        QTest::newRow("renamed") << "renamed.txt" << kBook << " Three.";
        QTest::newRow("added at the end") << "book.txt" << kBook + "Nine. "
                                          << " Three.";
        QTest::newRow("changed at the place")
            << "book.txt" << QByteArray("One. Two. THREE. Four. ") << "";
    }
    void changedFile() {
        QFETCH(QString, newName);
        QFETCH(QByteArray, newText);
        QFETCH(QString, shown);
        Reader r(path("Library.ini"));
        QVERIFY(r.model.openChosenFile(path("book.txt")));
        r.talk(3);
        QVERIFY(r.model.openChosenFile(path("other.txt")));
        QVERIFY(QFile::remove(path("book.txt")));
        QVERIFY(writeBytes(path(newName), newText));
        r.port.text1.clear();
        QVERIFY(r.model.openChosenFile(path(newName)));
        // Not resumed: a newly opened document shows the instructions.
        if (shown.isEmpty())
            QVERIFY(r.port.text1.startsWith("Click the talk button"));
        else
            QCOMPARE(r.port.text1, shown);
        QCOMPARE(r.model.nextPos(), shown.isEmpty() ? 0.0 : 10.0);
    }

    // The voice chosen while reading a document comes back with it; a document read with no
    // choice of its own keeps the voice of the moment.
    void voiceChosenWhileReading() {
        Reader r(path("Library.ini"));
        r.port.voice = "English";
        QVERIFY(r.model.openChosenFile(path("book.txt")));
        r.port.voice = "French"; // the user chooses a voice while reading
        r.talk(1);
        QVERIFY(r.model.openChosenFile(path("other.txt")));
        r.port.voice = "German";
        QVERIFY(r.model.openChosenFile(path("book.txt")));
        QCOMPARE(r.port.voice, QString("French"));
        QVERIFY(r.model.openChosenFile(path("other.txt")));
        QCOMPARE(r.port.voice, QString("German")); // its own choice
        QVERIFY(!r.port.log.contains("chooseVoice:English"));
    }

    // A new reading keeps the last document's LastPos; left before anything is shown, the new
    // document starts from its beginning when opened again.
    void leftBeforeReading() {
        Reader r(path("Library.ini"));
        QVERIFY(r.model.openChosenFile(path("book.txt")));
        r.talk(3);
        QVERIFY(r.model.openChosenFile(path("other.txt")));
        QVERIFY(r.model.openChosenFile(path("book.txt")));
        r.port.clear();
        QVERIFY(r.model.openChosenFile(path("other.txt")));
        QCOMPARE(r.model.nextPos(), 0.0);
        QVERIFY(!r.port.lastHandedOver().startsWith("Resuming"));
    }

    // A notice of the load (chapters missing from an e-book) is still heard, before the resume.
    void noticeBeforeResuming() {
        Reader r(path("Library.ini"));
        DocumentLoad load;
        load.status = DocumentLoad::Status::Loaded;
        load.bookText = "One. Two. Three. ";
        load.notice = "2 chapters are missing.";
        r.port.scriptedLoad = load;
        QVERIFY(r.model.openChosenFile(path("book.epub")));
        r.talk(2);
        QVERIFY(r.model.openChosenFile(path("book.epub")));
        QCOMPARE(r.port.lastHandedOver(),
                 QString("2 chapters are missing. Resuming where you stopped, 23 percent into the "
                         "book."));
    }

    void badLibraryFile_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("kept");
        QTest::addColumn<bool>("message");
        const QByteArray good = formatLibrary([] {
            DocumentLibrary library;
            library.remember(entry("bbbbbbbbbbbbbbbbbbbb", "/b.txt", 30));
            library.remember(entry("aaaaaaaaaaaaaaaaaaaa", "/a.txt", 20));
            return library;
        }());
        QTest::newRow("whole") << good << 2 << false;
        QTest::newRow("truncated") << good.left(good.size() - 30) << 1 << true;
        QTest::newRow("garbage") << QByteArray("\x89PNG\r\n\x1a\n\0\0garbage", 16) << 0 << true;
        QByteArray future = good;
        future.replace("ORASENTLIBRARY=1", "ORASENTLIBRARY=7");
        future.replace("PERCENT=", "SHELF=3\r\nPERCENT=");
        QTest::newRow("from the future") << future << 2 << true;
        QByteArray badNumbers = good;
        badNumbers.replace("LASTPOS=20", "LASTPOS=nan");
        badNumbers.replace("BOOKNUM=1", "BOOKNUM=40000");
        QTest::newRow("bad numbers") << badNumbers << 2 << true;
    }
    void badLibraryFile() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, kept);
        QFETCH(bool, message);
        QVERIFY(writeBytes(path("Library.ini"), bytes));
        Reader r(path("Library.ini"));
        QCOMPARE(r.model.library().library().entries().size(), kept);
        QCOMPARE(!r.loadMessage.isEmpty(), message);
        // Nothing is lost: the file as it was stays beside the new one.
        if (message)
            QCOMPARE(readBytes(LibraryStore::copyName(path("Library.ini"))), bytes);
        QVERIFY(r.model.openChosenFile(path("book.txt")));
        r.model.leaveDocument();
        QCOMPARE(parseLibrary(readBytes(path("Library.ini"))).library.entries().size(), kept + 1);
    }

    void roundTrip() {
        DocumentLibrary library;
        LibraryEntry e = entry("cccccccccccccccccccc", QString::fromUtf8("/Été,\nx.epub"), 41.04);
        library.remember(e);
        const LibraryParse parse = parseLibrary(formatLibrary(library));
        QVERIFY(!parse.damaged && !parse.newer);
        const LibraryEntry& back = parse.library.entries().at(0);
        QCOMPARE(back.path, QString::fromUtf8("/Été, x.epub")); // a line break can not be kept
        QCOMPARE(back.lastPos, 41.04);
        QCOMPARE(back.bookMarks, e.bookMarks);
        QCOMPARE(back.lastRead, e.lastRead);
        QCOMPARE(back.voice, e.voice);
        QCOMPARE(back.placeHash, e.placeHash);
    }

    void notWritable() {
        Reader r(path("Library.ini"));
        // A folder in its place: no file can replace it, whoever runs the test.
        QVERIFY(QDir().mkpath(path("Library.ini/blocked")));
        QVERIFY(r.model.openChosenFile(path("book.txt")));
        r.talk(3);
        QVERIFY(r.model.openChosenFile(path("other.txt")));
        QVERIFY(r.model.openChosenFile(path("book.txt")));
        QCOMPARE(r.port.messages.size(), 1); // said once, not at every open
        QVERIFY(r.port.messages[0].contains("could not be saved"));
        QCOMPARE(r.port.text1, QString(" Three.")); // kept in memory
        QVERIFY(QDir(path("Library.ini")).removeRecursively());
        r.model.leaveDocument();
        QCOMPARE(parseLibrary(readBytes(path("Library.ini"))).library.entries().size(), 2);
    }

    void keepsThousandNewest() {
        DocumentLibrary library;
        for (int i = 0; i < 1005; ++i)
            library.remember(
                entry(QByteArray::number(i).rightJustified(20, '0'), QString("/%1").arg(i), 1));
        QCOMPARE(library.entries().size(), DocumentLibrary::kMostDocuments);
        QCOMPARE(library.entries().first().path, QString("/1004"));
        QCOMPARE(library.entries().last().path, QString("/5"));
        // Reading one again makes it the newest; its path names one document.
        library.remember(entry("ffffffffffffffffffff", "/500", 1));
        QCOMPARE(library.entries().size(), DocumentLibrary::kMostDocuments);
        QCOMPARE(library.entries().first().key, QByteArray("ffffffffffffffffffff"));
        QVERIFY(!library.findByKey(QByteArray::number(500).rightJustified(20, '0')));
    }
};

QTEST_MAIN(LibraryTest)
#include "test_library.moc"
