// Exports read back: the five audio formats through libsndfile, the three caption formats
// parsed, and the runs that must leave no file (Cancel, a full disk).
#include "ExportFixture.h"
#include "TmpfsMount.h"
#include "export/AudioExport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <sndfile.h>

using namespace orasent;
using namespace orasent::test;

class TestExport : public QObject {
    Q_OBJECT
private slots:
    void formatsReadBack_data();
    void formatsReadBack();
    void captionsParseBack_data();
    void captionsParseBack();
    void textCases_data();
    void textCases();
    void cancelLeavesNoFile();
    void fullDiskLeavesNoFile_data();
    void fullDiskLeavesNoFile();

private:
    static ExportRequest request(const QString& folder, const QString& name) {
        ExportRequest r;
        r.text = kShortText;
        r.outputPath = QDir(folder).filePath(name);
        r.format = *audioFormatFromPath(name);
        return r;
    }
    static QStringList filesIn(const QString& folder) {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }
};

void TestExport::formatsReadBack_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("rate");
    QTest::newRow("wav") << "a.wav" << int(SF_FORMAT_WAV) << 22050;
    QTest::newRow("flac") << "a.flac" << int(SF_FORMAT_FLAC) << 22050;
    QTest::newRow("ogg vorbis") << "a.ogg" << int(SF_FORMAT_OGG) << 22050;
    QTest::newRow("opus") << "a.opus" << int(SF_FORMAT_OGG) << 48000;
    QTest::newRow("mp3") << "a.mp3" << int(SF_FORMAT_MPEG) << 22050;
}

void TestExport::formatsReadBack() {
    QFETCH(QString, name);
    QFETCH(int, major);
    QFETCH(int, rate);
    QTemporaryDir dir;
    const ExportResult result = AudioExport(request(dir.path(), name)).run();
    QCOMPARE(int(result.status), int(ExportResult::Status::Done));
    QCOMPARE(filesIn(dir.path()), QStringList{name}); // no temporary left

    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(result.audioPath).constData(), SFM_READ, &info);
    QVERIFY2(file, sf_strerror(nullptr));
    sf_close(file);
    QCOMPARE(info.format & SF_FORMAT_TYPEMASK, major);
    QCOMPARE(info.samplerate, rate);
    QCOMPARE(info.channels, 1);
    const qint64 expected = engineStreamFrames(kShortText, rate);
    QVERIFY2(qAbs(info.frames - expected) <= expected / 20,
             qPrintable(QStringLiteral("%1 frames, engine %2").arg(info.frames).arg(expected)));
}

void TestExport::captionsParseBack_data() {
    QTest::addColumn<QString>("captions");
    QTest::newRow("srt") << "srt";
    QTest::newRow("vtt") << "vtt";
    QTest::newRow("lrc") << "lrc";
}

void TestExport::captionsParseBack() {
    QFETCH(QString, captions);
    QTemporaryDir dir;
    ExportRequest r = request(dir.path(), QStringLiteral("b.flac"));
    r.captions = *captionFormatFromName(captions);
    const ExportResult result = AudioExport(r).run();
    QCOMPARE(int(result.status), int(ExportResult::Status::Done));
    QCOMPARE(result.captionPath, dir.filePath(QStringLiteral("b.") + captions));
    const QVector<ReadCue> cues = readCues(result.captionPath);
    QCOMPARE(cues.size(), kShortSentences);
    qint64 last = -1;
    for (const ReadCue& cue : cues) {
        QVERIFY(cue.startMs >= qMax<qint64>(0, last));
        QVERIFY(cue.endMs > cue.startMs);
        last = cue.endMs;
    }
    QVERIFY(last <= result.audioSeconds() * 1000 + 1);
    if (captions == QLatin1String("vtt")) {
        QFile file(result.captionPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray vtt = file.readAll();
        QVERIFY(vtt.startsWith("WEBVTT\n"));
        QVERIFY(vtt.contains("This <00:00:")); // word timing tags inside the cues
    }
}

void TestExport::textCases_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("cues"); // -1: refused
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("blanks only") << "  \r\n  " << -1;
    QTest::newRow("no sentence end") << "words without any end" << 1;
    QTest::newRow("markup as Talk reads it") << "<b>Bold</b> &amp; <odd. Plain text. " << 2;
    // As the reader shows it: ten 1,000-character pieces, then the next sentence.
    QTest::newRow("10,000-character word")
        << QString(10000, u'x') + QStringLiteral(". Then.") << 11;
    QTest::newRow("line break in a sentence") << "First line\r\nThe answer is here. Next." << 2;
}

void TestExport::textCases() {
    QFETCH(QString, text);
    QFETCH(int, cues);
    QTemporaryDir dir;
    ExportRequest r = request(dir.path(), QStringLiteral("c.wav"));
    r.text = text;
    r.captions = CaptionFormat::Srt;
    const ExportResult result = AudioExport(r).run();
    if (cues < 0) {
        QCOMPARE(int(result.status), int(ExportResult::Status::Failed));
        QVERIFY(result.error.contains(QLatin1String("empty")));
        QVERIFY(filesIn(dir.path()).isEmpty());
        return;
    }
    QCOMPARE(int(result.status), int(ExportResult::Status::Done));
    QCOMPARE(readCues(result.captionPath).size(), cues);
}

void TestExport::cancelLeavesNoFile() {
    QTemporaryDir dir;
    ExportRequest r = request(dir.path(), QStringLiteral("d.ogg"));
    r.captions = CaptionFormat::Vtt;
    AudioExport exporter(r);
    int reports = 0;
    const ExportResult result = exporter.run([&](const ExportProgress& p) {
        ++reports;
        QVERIFY(p.sentencesDone < p.sentencesTotal);
        exporter.cancel();
    });
    QCOMPARE(int(result.status), int(ExportResult::Status::Cancelled));
    QCOMPARE(reports, 1);
    QVERIFY(filesIn(dir.path()).isEmpty());
}

void TestExport::fullDiskLeavesNoFile_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("fillFirst");
    QTest::newRow("wav, full from the start") << "e.wav" << true;
    QTest::newRow("wav, fills up while writing") << "e.wav" << false;
    QTest::newRow("flac, fills up while writing") << "e.flac" << false;
    QTest::newRow("ogg, full from the start") << "e.ogg" << true;
}

void TestExport::fullDiskLeavesNoFile() {
    QFETCH(QString, name);
    QFETCH(bool, fillFirst);
    TmpfsMount disk(64);
    if (!disk.isMounted())
        QSKIP("needs root to mount a small tmpfs");
    if (fillFirst)
        disk.fill();
    ExportRequest r = request(disk.path(), name);
    r.text = kShortText + QStringLiteral(". ") + kShortText; // about 250 KB as WAV
    r.captions = CaptionFormat::Srt;
    const ExportResult result = AudioExport(r).run();
    QCOMPARE(int(result.status), int(ExportResult::Status::Failed));
    QVERIFY(!result.error.isEmpty());
    QStringList left = filesIn(disk.path());
    left.removeAll(QStringLiteral(".filler"));
    QCOMPARE(left, QStringList());
}

QTEST_GUILESS_MAIN(TestExport)
#include "test_export.moc"
