// An export synthesized on several lanes writes what one lane writes; a voice that fails mid-book
// leaves no file and says where and why; progress and Cancel work with lanes; a Flite voice
// writes the same bytes on two lanes as on one.
#include "AudiobookFixture.h"
#include "FakeSynthesis.h"
#include "engine/LocalVoices.h"
#include "export/AudioExport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace orasent;
using namespace orasent::test;

namespace {

const QString kFakeVoice = QStringLiteral("fake/voice");

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return process.readAllStandardOutput();
}

// Every file under `folder` by its relative path; an EPUB by its entries, the date it was made
// and its random identifier left out.
QMap<QString, QByteArray> contentsOf(const QString& folder) {
    QMap<QString, QByteArray> contents;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = QDir(folder).relativeFilePath(path);
        if (!path.endsWith(QLatin1String(".epub"))) {
            contents[name] = fileBytes(path);
            continue;
        }
        static const QRegularExpression made(
            QStringLiteral("dcterms:modified\">[^<]*|urn:uuid:[-0-9a-f]*"));
        for (const QByteArray& entry : run(QStringLiteral("unzip"), {"-Z1", path}).split('\n'))
            if (!entry.isEmpty())
                contents[name + QLatin1Char('/') + QString::fromUtf8(entry)] =
                    QString::fromUtf8(run(QStringLiteral("unzip"), {"-p", path, entry}))
                        .remove(made)
                        .toUtf8();
    }
    return contents;
}

QStringList entriesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// A book of `chapters` chapters read by the fake voice into `folder`.
ExportRequest fakeBook(const QString& folder, const QString& name, int chapters = 5) {
    ExportRequest r = bookRequest(QDir(folder).filePath(name), chapters);
    r.voiceIdentifier = kFakeVoice;
    r.splitChapters = name.endsWith(QLatin1String(".flac"));
    return r;
}

} // namespace

class TestExportLanes : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void sameFilesOnAnyLanes_data();
    void sameFilesOnAnyLanes();
    void voiceFailingMidBook_data();
    void voiceFailingMidBook();
    void progressAndCancel();
    void fliteOnTwoLanes();
};

void TestExportLanes::initTestCase() {
    if (!haveProgram(QStringLiteral("unzip")))
        QSKIP("unzip is needed to read a read-along book back");
}

void TestExportLanes::sameFilesOnAnyLanes_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("captions");
    QTest::addColumn<int>("threads");
    QTest::addColumn<bool>("sideBySide");
    QTest::addColumn<int>("lanesUsed");
    const int srt = int(CaptionFormat::Srt), vtt = int(CaptionFormat::Vtt);
    QTest::newRow("wav with captions, 2 lanes") << "b.wav" << srt << 2 << true << 2;
    QTest::newRow("mp3 with chapter marks, 3 lanes") << "b.mp3" << vtt << 3 << true << 3;
    QTest::newRow("a flac file per chapter, 2 lanes")
        << "b.flac" << int(CaptionFormat::Lrc) << 2 << true << 2;
    QTest::newRow("read-along epub, 2 lanes")
        << "b.epub" << int(CaptionFormat::None) << 2 << true << 2;
    QTest::newRow("a voice one per process: 1 lane") << "b.wav" << srt << 2 << false << 1;
}

void TestExportLanes::sameFilesOnAnyLanes() {
    QFETCH(QString, name);
    QFETCH(int, captions);
    QFETCH(int, threads);
    QFETCH(bool, sideBySide);
    QFETCH(int, lanesUsed);
    QTemporaryDir one, many;
    FakeSynthesis fakeOne, fakeMany;
    fakeMany.sideBySide = sideBySide;
    ExportRequest r = fakeBook(one.path(), name, 12);
    r.captions = CaptionFormat(captions);
    r.threads = 1;
    QCOMPARE(int(AudioExport(r, fakeOne).run().status), int(ExportResult::Status::Done));
    r.outputPath = QDir(many.path()).filePath(name);
    r.threads = threads;
    QCOMPARE(int(AudioExport(r, fakeMany).run().status), int(ExportResult::Status::Done));
    QCOMPARE(fakeMany.texts, fakeOne.texts);
    QCOMPARE(fakeMany.lanesUsed(), lanesUsed);
    const auto expected = contentsOf(one.path());
    QVERIFY(!expected.isEmpty());
    const auto written = contentsOf(many.path());
    QCOMPARE(written.keys(), expected.keys());
    for (const QString& file : expected.keys())
        QVERIFY2(written[file] == expected[file], qPrintable(file));
}

void TestExportLanes::voiceFailingMidBook_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("threads");
    QTest::newRow("one file, 1 lane") << "f.wav" << 1;
    QTest::newRow("one file, 2 lanes") << "f.mp3" << 2;
    QTest::newRow("a file per chapter, 2 lanes") << "f.flac" << 2;
    QTest::newRow("read-along epub, 2 lanes") << "f.epub" << 2;
}

void TestExportLanes::voiceFailingMidBook() {
    QFETCH(QString, name);
    QFETCH(int, threads);
    QTemporaryDir dir;
    FakeSynthesis fake;
    fake.failOn = QStringLiteral("day 3");
    ExportRequest r = fakeBook(dir.path(), name);
    if (!name.endsWith(QLatin1String(".epub")))
        r.captions = CaptionFormat::Srt;
    r.threads = threads;
    const ExportResult result = AudioExport(r, fake).run();
    QCOMPARE(int(result.status), int(ExportResult::Status::Failed));
    QVERIFY2(result.error.contains(QStringLiteral("\"Chapter 3\"")), qPrintable(result.error));
    QVERIFY2(result.error.contains(fake.failure), qPrintable(result.error));
    QCOMPARE(entriesIn(dir.path()), QStringList());
}

// Progress counts up to the last sentence with lanes; Cancel during it leaves nothing.
void TestExportLanes::progressAndCancel() {
    QTemporaryDir dir;
    FakeSynthesis fake;
    ExportRequest r = fakeBook(dir.path(), QStringLiteral("p.wav"), 12);
    r.threads = 2;
    QVector<int> done;
    ExportResult result =
        AudioExport(r, fake).run([&](const ExportProgress& p) { done.append(p.sentencesDone); });
    QCOMPARE(int(result.status), int(ExportResult::Status::Done));
    QCOMPARE(done.size(), result.sentences);
    QVERIFY(std::is_sorted(done.begin(), done.end()));
    QCOMPARE(done.last(), done.size());
    for (const QString& file : entriesIn(dir.path()))
        QFile::remove(dir.filePath(file));

    AudioExport cancelled(r, fake);
    int reports = 0;
    result = cancelled.run([&](const ExportProgress&) {
        if (++reports == 3)
            cancelled.cancel();
    });
    QCOMPARE(int(result.status), int(ExportResult::Status::Cancelled));
    QCOMPARE(reports, 3);
    QCOMPARE(entriesIn(dir.path()), QStringList());
}

// Flite's voices sound the same on two lanes as on one, to the sample.
void TestExportLanes::fliteOnTwoLanes() {
    const QString voice = clearestVoiceFor(QStringLiteral("en"));
    if (!voice.startsWith(QLatin1String("flite/")))
        QSKIP("Flite is not built in");
    QTemporaryDir one, two;
    ExportRequest r = bookRequest(QDir(one.path()).filePath(QStringLiteral("f.wav")), 4);
    r.voiceIdentifier = voice;
    r.captions = CaptionFormat::Vtt;
    r.threads = 1;
    QCOMPARE(int(AudioExport(r).run().status), int(ExportResult::Status::Done));
    r.outputPath = QDir(two.path()).filePath(QStringLiteral("f.wav"));
    r.threads = 2;
    QCOMPARE(int(AudioExport(r).run().status), int(ExportResult::Status::Done));
    const auto expected = contentsOf(one.path());
    QCOMPARE(expected.size(), 3); // the audio, its captions and its cue sheet
    QVERIFY(contentsOf(two.path()) == expected);
}

QTEST_GUILESS_MAIN(TestExportLanes)
#include "test_export_lanes.moc"
