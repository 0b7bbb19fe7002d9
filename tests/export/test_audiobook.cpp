// Audiobooks read back: bitrate, length, chapters and tags of each format through ffprobe; one
// file per chapter by name and count; the runs that must leave nothing (a full disk in the third
// chapter, Cancel while splitting); chapter plans, file names and covers from bad input.
#include "AudiobookFixture.h"
#include "ExportFixture.h"
#include "TmpfsMount.h"
#include "documents/CoverImage.h"
#include "export/AudioTags.h"
#include "export/BookPlan.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

using namespace orasent;
using namespace orasent::test;

class TestAudiobook : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void formatsReadBack_data();
    void formatsReadBack();
    void splitFiles();
    void fullDiskInChapterThree();
    void cancelWhileSplitting();
    void chapterPlans_data();
    void chapterPlans();
    void everyChapterInTheTableOfContents();
    void safeNames_data();
    void safeNames();
    void covers_data();
    void covers();

private:
    static QStringList entries(const QString& folder) {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                      QDir::Name);
    }
};

void TestAudiobook::initTestCase() {
    if (!haveProgram(QStringLiteral("ffprobe")))
        QSKIP("ffprobe (ffmpeg) is needed to read the files back");
}

void TestAudiobook::formatsReadBack_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("quality");
    QTest::addColumn<int>("lowKbps");
    QTest::addColumn<int>("highKbps");
    QTest::newRow("mp3 standard") << "b.mp3"
                                  << "standard" << 62 << 66;
    QTest::newRow("mp3 small") << "b.mp3"
                               << "small" << 54 << 58;
    QTest::newRow("opus standard") << "b.opus"
                                   << "standard" << 18 << 40;
    QTest::newRow("opus high") << "b.opus"
                               << "high" << 40 << 80;
    QTest::newRow("ogg standard") << "b.ogg"
                                  << "standard" << 25 << 60;
    QTest::newRow("flac") << "b.flac"
                          << "standard" << 0 << 0;
    QTest::newRow("wav") << "b.wav"
                         << "standard" << 350 << 356;
}

void TestAudiobook::formatsReadBack() {
    QFETCH(QString, name);
    QFETCH(QString, quality);
    QFETCH(int, lowKbps);
    QFETCH(int, highKbps);
    QTemporaryDir dir;
    ExportRequest r = bookRequest(dir.filePath(name));
    r.quality = *exportQualityFromName(quality);
    r.coverJpeg = coverJpegFromImage([] {
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::darkBlue);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return png;
    }());
    const ExportResult result = AudioExport(r).run();
    QCOMPARE(int(result.status), int(ExportResult::Status::Done));
    const QJsonObject probed = probe(result.audioPath);
    const double seconds = decodedSeconds(result.audioPath);
    QVERIFY2(
        qAbs(seconds - result.audioSeconds()) < 0.05,
        qPrintable(
            QStringLiteral("%1 s read, %2 s written").arg(seconds).arg(result.audioSeconds())));
    const int kbps = int(QFileInfo(result.audioPath).size() * 8 / seconds / 1000);
    if (highKbps > 0)
        QVERIFY2(kbps >= lowKbps && kbps <= highKbps, qPrintable(QString::number(kbps)));
    QCOMPARE(formatTag(probed, QStringLiteral("title")), QStringLiteral("The Test Book"));
    QCOMPARE(formatTag(probed, QStringLiteral("artist")), QStringLiteral("Ann Author"));
    if (name.endsWith(QLatin1String(".wav"))) {
        QFile cue(dir.filePath(QStringLiteral("b.cue")));
        QVERIFY(cue.open(QIODevice::ReadOnly));
        const QByteArray sheet = cue.readAll();
        QCOMPARE(sheet.count("TRACK"), 3);
        QVERIFY(sheet.contains("TITLE \"Chapter 2\""));
        return;
    }
    QVERIFY(
        formatTag(probed, QStringLiteral("encoder")).startsWith(QLatin1String("Orasent (")) ||
        formatTag(probed, QStringLiteral("encoded_by")).startsWith(QLatin1String("Orasent (")) ||
        formatTag(probed, QStringLiteral("TSSE")).startsWith(QLatin1String("Orasent (")));
    const QJsonArray chapters = probed[QStringLiteral("chapters")].toArray();
    QCOMPARE(chapters.size(), 3);
    double previousEnd = 0;
    for (int i = 0; i < 3; ++i) {
        const QJsonObject c = chapters[i].toObject();
        QCOMPARE(c[QStringLiteral("tags")].toObject()[QStringLiteral("title")].toString(),
                 QStringLiteral("Chapter %1").arg(i + 1));
        const double start = c[QStringLiteral("start_time")].toString().toDouble();
        QVERIFY(start >= previousEnd - 0.002 && start < seconds);
        previousEnd = start;
    }
    // The first chapter holds the title; the others start after a sentence or two of speech.
    QVERIFY(chapters[1].toObject()[QStringLiteral("start_time")].toString().toDouble() > 1.0);
}

void TestAudiobook::splitFiles() {
    QTemporaryDir dir;
    ExportRequest r = bookRequest(dir.filePath(QStringLiteral("out.mp3")));
    r.splitChapters = true;
    r.captions = CaptionFormat::Srt;
    const ExportResult result = AudioExport(r).run();
    QCOMPARE(int(result.status), int(ExportResult::Status::Done));
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("The Test Book")});
    const QString folder = dir.filePath(QStringLiteral("The Test Book"));
    QCOMPARE(result.audioPath, folder);
    QCOMPARE(entries(folder),
             (QStringList{"01 Chapter 1.mp3", "01 Chapter 1.srt", "02 Chapter 2.mp3",
                          "02 Chapter 2.srt", "03 Chapter 3.mp3", "03 Chapter 3.srt"}));
    for (int i = 1; i <= 3; ++i) {
        const QString stem = QDir(folder).filePath(QStringLiteral("0%1 Chapter %1").arg(i));
        const QJsonObject probed = probe(stem + QStringLiteral(".mp3"));
        QCOMPARE(formatTag(probed, QStringLiteral("track")), QStringLiteral("%1/3").arg(i));
        QCOMPARE(formatTag(probed, QStringLiteral("album")), QStringLiteral("The Test Book"));
        QCOMPARE(formatTag(probed, QStringLiteral("title")), QStringLiteral("Chapter %1").arg(i));
        // Captions count from the start of their own file.
        const QVector<ReadCue> cues = readCues(stem + QStringLiteral(".srt"));
        QVERIFY(!cues.isEmpty());
        QVERIFY(cues.first().startMs < 1000);
        QVERIFY(cues.last().endMs <=
                qint64(decodedSeconds(stem + QStringLiteral(".mp3")) * 1000) + 20);
    }
}

void TestAudiobook::fullDiskInChapterThree() {
    // Each chapter is about 3 s of WAV (130 KB): the third does not fit.
    TmpfsMount disk(330);
    if (!disk.isMounted())
        QSKIP("needs root to mount a small tmpfs");
    ExportRequest r = bookRequest(disk.filePath(QStringLiteral("out.wav")), 5);
    r.splitChapters = true;
    int lastChapter = 0;
    const ExportResult result =
        AudioExport(r).run([&](const ExportProgress& p) { lastChapter = p.chapter; });
    QCOMPARE(int(result.status), int(ExportResult::Status::Failed));
    QVERIFY(!result.error.isEmpty());
    QVERIFY2(lastChapter >= 2 && lastChapter <= 4, qPrintable(QString::number(lastChapter)));
    QCOMPARE(entries(disk.path()), QStringList());
}

void TestAudiobook::cancelWhileSplitting() {
    QTemporaryDir dir;
    ExportRequest r = bookRequest(dir.filePath(QStringLiteral("out.ogg")), 4);
    r.splitChapters = true;
    AudioExport exporter(r);
    const ExportResult result = exporter.run([&](const ExportProgress& p) {
        if (p.chapter == 3)
            exporter.cancel();
    });
    QCOMPARE(int(result.status), int(ExportResult::Status::Cancelled));
    QCOMPARE(entries(dir.path()), QStringList());
}

void TestAudiobook::chapterPlans_data() {
    QTest::addColumn<QVector<int>>("levels");
    QTest::addColumn<int>("chapters");
    QTest::newRow("no headings") << QVector<int>{} << 0;
    QTest::newRow("one title, three chapters") << QVector<int>{1, 2, 2, 2} << 3;
    QTest::newRow("two parts win over their chapters") << QVector<int>{1, 2, 2, 1, 2} << 2;
    QTest::newRow("a single heading") << QVector<int>{3} << 0;
    QTest::newRow("2,000 headings are capped") << QVector<int>(2000, 1) << kMaxChapters;
}

void TestAudiobook::chapterPlans() {
    QFETCH(QVector<int>, levels);
    QFETCH(int, chapters);
    Document document;
    for (int level : levels) {
        document.paragraphs.append(
            paragraph(QStringLiteral("Heading"), Paragraph::Kind::Heading, level));
        document.paragraphs.append(paragraph(QStringLiteral("Text.")));
    }
    document.contents = contentsFromHeadings(document.paragraphs);
    const BookTextMap map = bookTextFromDocument(document.paragraphs);
    const QVector<ExportChapter> plan = planChapters(document, map.starts);
    QCOMPARE(plan.size(), chapters);
    for (int i = 1; i < plan.size(); ++i)
        QVERIFY(plan[i].textOffset > plan[i - 1].textOffset);
}

void TestAudiobook::everyChapterInTheTableOfContents() {
    QTemporaryDir dir;
    ExportRequest r = bookRequest(dir.filePath(QStringLiteral("t.mp3")), 1);
    QCOMPARE(int(AudioExport(r).run().status), int(ExportResult::Status::Done));
    QVector<ChapterMark> marks;
    for (int i = 0; i < kMaxChapters; ++i)
        marks.append({QStringLiteral("Chapter %1").arg(i + 1), i * 3, i * 3 + 3});
    QString error;
    QVERIFY2(writeAudioTags(r.outputPath, AudioFileFormat::Mp3, BookTags{}, marks, &error),
             qPrintable(error));
    TagLib::MPEG::File file(QFile::encodeName(r.outputPath).constData());
    const auto& frames = file.ID3v2Tag()->frameListMap();
    QCOMPARE(int(frames["CHAP"].size()), kMaxChapters);
    QCOMPARE(int(frames["CTOC"].size()), 1);
    QCOMPARE(probe(r.outputPath)[QStringLiteral("chapters")].toArray().size(), kMaxChapters);
}

void TestAudiobook::safeNames_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("expected");
    QTest::newRow("slash and colon") << "Part 1/2: The End"
                                     << "Part 1 2 The End";
    QTest::newRow("dots and blanks") << "  ..hidden. "
                                     << "hidden";
    QTest::newRow("nothing left") << "///"
                                  << "Fallback";
    QTest::newRow("300 characters")
        << QString(300, QLatin1Char('w')) << QString(80, QLatin1Char('w'));
    QTest::newRow("cut at a word")
        << QString(70, QLatin1Char('a')) + " " + QString(30, QLatin1Char('b'))
        << QString(70, QLatin1Char('a'));
}

void TestAudiobook::safeNames() {
    QFETCH(QString, title);
    QFETCH(QString, expected);
    QCOMPARE(safeFileName(title, QStringLiteral("Fallback")), expected);
}

void TestAudiobook::covers_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("side"); // 0: no cover
    QImage tall(300, 1200, QImage::Format_RGB32);
    tall.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    tall.save(&buffer, "PNG");
    QTest::newRow("a tall picture") << png << kCoverSide;
    QTest::newRow("not a picture") << QByteArray("This is text, not a picture.") << 0;
    // A PNG header that claims 10,000 x 10,000 pixels, and no picture behind it.
    QByteArray huge = png.left(16);
    huge += QByteArray::fromHex("00002710000027100802000000");
    QTest::newRow("100 megapixels claimed") << huge << 0;
}

void TestAudiobook::covers() {
    QFETCH(QByteArray, data);
    QFETCH(int, side);
    const QImage cover = QImage::fromData(coverJpegFromImage(data), "JPEG");
    QCOMPARE(cover.isNull() ? 0 : qMax(cover.width(), cover.height()), side);
}

QTEST_GUILESS_MAIN(TestAudiobook)
#include "test_audiobook.moc"
