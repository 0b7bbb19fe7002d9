// The command line's exit statuses and one-line messages, run in a scratch working folder.
#include "AudiobookFixture.h"
#include "TmpfsMount.h"
#include "app/ExportCommand.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <cstdio>
#include <sndfile.h>
#include <unistd.h>
#include <vector>

using namespace orasent;

namespace {

// Runs the command with stderr caught in a file.
int runCaught(const QStringList& args, QString* message) {
    std::fflush(stderr);
    QTemporaryFile caught;
    caught.open();
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(caught.handle(), STDERR_FILENO);
    const int status = runExportCommand(QStringList{QStringLiteral("orasent")} + args);
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    caught.seek(0);
    *message = QString::fromLocal8Bit(caught.readAll()).trimmed();
    return status;
}

void writeFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
}

} // namespace

class TestExportCommand : public QObject {
    Q_OBJECT
private slots:
    void init();
    void predicate_data();
    void predicate();
    void statuses_data();
    void statuses();
    void savedSettingsAreUsed();
    void splitIntoAFolder();
    void readOnlyFolder();
    void documentLanguage_data();
    void documentLanguage();

private:
    QTemporaryDir m_dir;
};

void TestExportCommand::init() {
    QVERIFY(QDir::setCurrent(m_dir.path()));
    for (const QString& name : QDir().entryList(QDir::Files | QDir::Hidden))
        QFile::remove(name);
    writeFile(QStringLiteral("in.txt"), "One sentence here. And a second one. ");
    writeFile(QStringLiteral("empty.txt"), "");
}

void TestExportCommand::predicate_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("isExport");
    QTest::newRow("export") << QStringList{"orasent", "--export", "a", "b"} << true;
    QTest::newRow("list voices") << QStringList{"orasent", "--list-voices"} << true;
    QTest::newRow("a file to read") << QStringList{"orasent", "book.txt"} << false;
    QTest::newRow("program named --export") << QStringList{"--export"} << false;
}

void TestExportCommand::predicate() {
    QFETCH(QStringList, args);
    QFETCH(bool, isExport);
    QCOMPARE(isExportCommand(args), isExport);
}

void TestExportCommand::statuses_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");   // part of the one line on stderr
    QTest::addColumn<QStringList>("files"); // the folder afterwards, besides the inputs
    const QStringList none;
    QTest::newRow("done") << QStringList{"--export", "in.txt", "out.wav"} << 0 << ""
                          << QStringList{"out.wav"};
    QTest::newRow("format option, captions")
        << QStringList{"--export", "in.txt", "out.bin", "--format=flac", "--captions", "lrc"} << 0
        << "" << QStringList{"out.bin", "out.lrc"};
    QTest::newRow("from sentence 2")
        << QStringList{"--export", "in.txt", "o.mp3", "--from-sentence", "2"} << 0 << ""
        << QStringList{"o.mp3"};
    QTest::newRow("small quality")
        << QStringList{"--export", "in.txt", "o.opus", "--quality", "small"} << 0 << ""
        << QStringList{"o.opus"};
    QTest::newRow("read-along book from the name")
        << QStringList{"--export", "in.txt", "book.epub"} << 0 << "" << QStringList{"book.epub"};
    QTest::newRow("unknown quality")
        << QStringList{"--export", "in.txt", "o.mp3", "--quality", "best"} << 2
        << "unknown quality \"best\"" << none;
    QTest::newRow("split with a value")
        << QStringList{"--export", "in.txt", "o.mp3", "--split-chapters=yes"} << 2
        << "--split-chapters takes no value" << none;
    QTest::newRow("unknown option") << QStringList{"--export", "in.txt", "o.wav", "--speed", "3"}
                                    << 2 << "unknown option --speed" << none;
    QTest::newRow("missing value") << QStringList{"--export", "in.txt", "o.wav", "--rate"} << 2
                                   << "--rate needs a value" << none;
    QTest::newRow("missing OUT") << QStringList{"--export", "in.txt"} << 2
                                 << "needs an input file and an output file" << none;
    QTest::newRow("rate out of range") << QStringList{"--export", "in.txt", "o.wav", "--rate=-11"}
                                       << 2 << "from -10 to 10" << none;
    QTest::newRow("volume out of range")
        << QStringList{"--export", "in.txt", "o.wav", "--volume", "101"} << 2 << "from 0 to 100"
        << none;
    QTest::newRow("from sentence 0")
        << QStringList{"--export", "in.txt", "o.wav", "--from-sentence", "0"} << 2
        << "--from-sentence must be" << none;
    QTest::newRow("from past the end")
        << QStringList{"--export", "in.txt", "o.wav", "--from-sentence", "9"} << 2
        << "the text has 2 sentences" << none;
    QTest::newRow("unknown format") << QStringList{"--export", "in.txt", "o.wav", "--format", "aac"}
                                    << 2 << "unknown format \"aac\"" << none;
    QTest::newRow("no format from extension")
        << QStringList{"--export", "in.txt", "o.aac"} << 2 << "--format" << none;
    QTest::newRow("unknown voice")
        << QStringList{"--export", "in.txt", "o.wav", "--voice", "Nobody"} << 2 << "--list-voices"
        << none;
    QTest::newRow("unreadable input") << QStringList{"--export", "nothing.txt", "o.wav"} << 1
                                      << "cannot read \"nothing.txt\"" << none;
    QTest::newRow("empty text") << QStringList{"--export", "empty.txt", "o.wav"} << 1 << "empty"
                                << none;
    QTest::newRow("OUT equal to IN")
        << QStringList{"--export", "in.txt", "./in.txt", "--format", "wav"} << 1
        << "replace the text" << none;
    QTest::newRow("captions named as OUT")
        << QStringList{"--export", "in.txt", "o.srt", "--format", "wav", "--captions", "srt"} << 1
        << "captions would have" << none;
    QTest::newRow("missing folder")
        << QStringList{"--export", "in.txt", "no/such/o.wav"} << 1 << "does not exist" << none;
}

void TestExportCommand::statuses() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, message);
    QFETCH(QStringList, files);
    QString said;
    QCOMPARE(runCaught(args, &said), status);
    QVERIFY2(said.contains(message), qPrintable(said));
    QCOMPARE(said.count(QLatin1Char('\n')), 0);
    QStringList left = QDir().entryList(QDir::Files | QDir::Hidden);
    left.removeAll(QStringLiteral("in.txt"));
    left.removeAll(QStringLiteral("empty.txt"));
    QCOMPARE(left, files);
}

// A saved voice index past the list and a rate out of range are left out, as the window does;
// the saved volume is taken.
void TestExportCommand::savedSettingsAreUsed() {
    writeFile(QStringLiteral("VIC.INI"), "VOICECB= 99999\r\nRATESLDR= 50\r\nVOLUMESLDR= 0\r\n");
    writeFile(QStringLiteral("Speech.lst"), "ONE=TWO\r\n");
    QString said;
    QCOMPARE(runCaught({"--export", "in.txt", "quiet.wav"}, &said), 0);
    // The samples only: the file also carries its tags.
    SF_INFO info{};
    SNDFILE* file = sf_open("quiet.wav", SFM_READ, &info);
    QVERIFY(file);
    std::vector<short> samples(size_t(info.frames));
    sf_read_short(file, samples.data(), info.frames);
    sf_close(file);
    QVERIFY(samples.size() > 5000);
    QVERIFY(
        std::all_of(samples.begin(), samples.end(), [](short s) { return s == 0; })); // volume 0
}

// Without headings the book is one chapter: one numbered file in a folder named after it; a
// second run does not write into that folder.
void TestExportCommand::splitIntoAFolder() {
    QString said;
    QCOMPARE(runCaught({"--export", "in.txt", "book.mp3", "--split-chapters"}, &said), 0);
    QCOMPARE(QDir(QStringLiteral("book")).entryList(QDir::Files), QStringList{"01 book.mp3"});
    QCOMPARE(runCaught({"--export", "in.txt", "book.mp3", "--split-chapters"}, &said), 1);
    QVERIFY2(said.contains(QLatin1String("already exists")), qPrintable(said));
    QVERIFY(QDir(QStringLiteral("book")).removeRecursively());
}

void TestExportCommand::readOnlyFolder() {
    test::TmpfsMount disk(256);
    if (!disk.isMounted() || !disk.remountReadOnly())
        QSKIP("needs root to mount a small tmpfs");
    QString said;
    QCOMPARE(runCaught({"--export", "in.txt", disk.filePath(QStringLiteral("o.wav"))}, &said), 1);
    QVERIFY2(said.contains(QLatin1String("cannot be written")) ||
                 said.contains(QLatin1String("Read-only")),
             qPrintable(said));
}

// "Read in the Document's Language" as the reader has it: the voice chosen for the language in
// "LanguageVoices.ini", else espeak-ng's own; off, the chosen voice. The tags name the voice.
void TestExportCommand::documentLanguage_data() {
    QTest::addColumn<QByteArray>("options");
    QTest::addColumn<QByteArray>("languageVoices");
    QTest::addColumn<QString>("encoder");
    QTest::newRow("espeak-ng's voice for it")
        << QByteArray() << QByteArray() << "Orasent (French (Belgium))";
    QTest::newRow("the voice chosen for it")
        << QByteArray() << QByteArray("fr=gmw/en-US\r\n") << "Orasent (English (America))";
    QTest::newRow("off") << QByteArray("DOCUMENTLANGUAGE=0\r\n") << QByteArray("fr=gmw/en-US\r\n")
                         << "Orasent (English (Great Britain))";
}

void TestExportCommand::documentLanguage() {
    QFETCH(QByteArray, options);
    QFETCH(QByteArray, languageVoices);
    QFETCH(QString, encoder);
    if (!test::haveProgram(QStringLiteral("ffprobe")))
        QSKIP("needs ffprobe (scripts/install-deps.sh test)");
    writeFile(QStringLiteral("fr.html"),
              "<html lang=\"fr-BE\"><body><p>Le chat dort sur la table.</p></body></html>");
    if (!options.isEmpty())
        writeFile(QStringLiteral("ReadingOptions.ini"), options);
    if (!languageVoices.isEmpty())
        writeFile(QStringLiteral("LanguageVoices.ini"), languageVoices);
    QString said;
    QCOMPARE(runCaught({"--export", "fr.html", "fr.wav", "--voice", "gmw/en"}, &said), 0);
    QCOMPARE(test::formatTag(test::probe(QStringLiteral("fr.wav")), QStringLiteral("encoder")),
             encoder);
}

QTEST_GUILESS_MAIN(TestExportCommand)
#include "test_export_command.moc"
