// Reading pictures: accuracy on pages drawn at 300 dpi, column order, turned pages, hyphens
// joined, the cache, and the refusals.
#include "RenderedPages.h"
#include "common/ParagraphText.h"
#include "reader/RecognitionPages.h"
#include "recognition/ImagePages.h"
#include "recognition/PageRecognizer.h"
#include "recognition/PictureReading.h"
#include "recognition/RecognitionCache.h"
#include "recognition/RecognitionLanguage.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtTest>

#include <leptonica/allheaders.h>

using namespace orasent;
using namespace orasent::test;

namespace {
const QStringList kLetter = {
    QStringLiteral("Dear parents, the school trip to the river museum will take place on "
                   "Friday morning."),
    QStringLiteral("Every pupil should bring a packed lunch, a warm coat and a bottle of water. "
                   "The bus leaves at half past eight and comes back before four o'clock.")};

QString joined(const QStringList& paragraphs) {
    return paragraphs.join(QLatin1Char(' '));
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.write(image);
    return bytes;
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

// A multi-page TIFF through Leptonica (Qt writes one page per file).
QByteArray multipageTiff(const QList<QImage>& pages, const QTemporaryDir& dir) {
    PIXA* pixa = pixaCreate(int(pages.size()));
    for (const QImage& page : pages) {
        const QByteArray png = encoded(page, "png");
        PIX* pix =
            pixReadMem(reinterpret_cast<const l_uint8*>(png.constData()), size_t(png.size()));
        pixaAddPix(pixa, pix, L_INSERT);
    }
    const QByteArray path = dir.filePath(QStringLiteral("pages.tif")).toLocal8Bit();
    pixaWriteMultipageTiff(path.constData(), pixa);
    pixaDestroy(&pixa);
    QFile file(QString::fromLocal8Bit(path));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

QByteArray pngChunk(const QByteArray& typeAndData) {
    quint32 crc = 0xffffffffu;
    for (const char c : typeAndData) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    crc ^= 0xffffffffu;
    QByteArray chunk;
    const quint32 length = quint32(typeAndData.size() - 4);
    for (quint32 v : {length, crc}) {
        if (v == crc)
            chunk += typeAndData;
        for (int shift : {24, 16, 8, 0})
            chunk += char((v >> shift) & 0xff);
    }
    return chunk;
}

// A PNG whose header claims width x height, with an empty first data chunk behind it.
QByteArray pngHeaderOnly(quint32 width, quint32 height) {
    QByteArray ihdr("IHDR");
    for (quint32 v : {width, height})
        for (int shift : {24, 16, 8, 0})
            ihdr += char((v >> shift) & 0xff);
    ihdr += QByteArray("\x08\x00\x00\x00\x00", 5); // 8-bit gray
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk(ihdr) + pngChunk("IDAT");
}

RecognitionLanguage english() {
    return RecognitionLanguage{};
}
} // namespace

class TestRecognition : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY2(isRecognitionLanguageInstalled(QStringLiteral("eng")), "tesseract-ocr-eng");
        QVERIFY(m_cache.isValid());
        RecognitionCache::setFolderForTesting(m_cache.path());
        useRecognitionForPages();
    }

    void pagesReadAccurately_data() {
        QTest::addColumn<QString>("family");
        QTest::addColumn<double>("points");
        QTest::addColumn<int>("turn");
        QTest::newRow("serif 10 pt") << "DejaVu Serif" << 10.0 << 0;
        QTest::newRow("sans 14 pt") << "Liberation Sans" << 14.0 << 0;
        QTest::newRow("turned a quarter") << "DejaVu Serif" << 12.0 << 90;
        QTest::newRow("upside down") << "Liberation Sans" << 12.0 << 180;
    }
    void pagesReadAccurately() {
        QFETCH(QString, family);
        QFETCH(double, points);
        QFETCH(int, turn);
        PageStyle style;
        style.family = family;
        style.points = points;
        const QImage page = turned(renderPage(kLetter, style), turn);
        const PictureReading reading = recognizeImage(page, kPageDpi, english());
        QCOMPARE(reading.status, PictureReading::Status::Read);
        const double accuracy = wordAccuracy(joined(kLetter), joined(reading.paragraphs));
        QVERIFY2(accuracy >= 0.98, qPrintable(QStringLiteral("%1: %2").arg(accuracy).arg(
                                       joined(reading.paragraphs))));
        // Lines come back joined into their paragraphs.
        QCOMPARE(reading.paragraphs.size(), kLetter.size());
    }

    void columnsReadOneAfterTheOther() {
        PageStyle style;
        style.columns = 2;
        style.points = 9;
        const QStringList paragraphs = {
            QStringLiteral("Apples grow on trees in the orchard behind the old farm house and "
                           "are picked late in the summer by the whole family."),
            QStringLiteral("Boats sail down the wide river to the harbour town where fishermen "
                           "sell their catch at the market every morning.")};
        const PictureReading reading =
            recognizeImage(renderPage(paragraphs, style), kPageDpi, english());
        const QString text = joined(reading.paragraphs);
        QVERIFY2(text.indexOf(QLatin1String("family.")) >= 0 &&
                     text.indexOf(QLatin1String("family.")) < text.indexOf(QLatin1String("Boats")),
                 qPrintable(text));
        QVERIFY2(wordAccuracy(joined(paragraphs), text) >= 0.98, qPrintable(text));
    }

    void hyphenatedLineEndJoined() {
        const QImage page = renderLines({QStringLiteral("The teacher wrote a short exam-"),
                                         QStringLiteral("ple on the board for the class.")});
        const PictureReading reading = recognizeImage(page, kPageDpi, english());
        QCOMPARE(reading.paragraphs,
                 QStringList{QStringLiteral(
                     "The teacher wrote a short example on the board for the class.")});
    }

    void fileReadOnceThenFromCache() {
        QTemporaryDir dir;
        const QString path = writeFile(dir, "letter.png", encoded(renderPage(kLetter), "png"));
        const int before = recognitionRunCount();
        const PictureReading first = recognizeImageFile(path, english());
        QCOMPARE(first.status, PictureReading::Status::Read);
        QCOMPARE(recognitionRunCount(), before + 1);
        const PictureReading second = recognizeImageFile(path, english());
        QCOMPARE(recognitionRunCount(), before + 1);
        QCOMPARE(second.paragraphs, first.paragraphs);
        // As a document: the reader's BookText.
        const DocumentLoad load = loadImageDocument(path);
        QCOMPARE(load.status, DocumentLoad::Status::Loaded);
        QCOMPARE(load.bookText, bookTextFromParagraphs(first.paragraphs));
        QCOMPARE(load.document.metadata.language, QString("en")); // identified from the text
    }

    void unusableCacheFolderStillReads() {
        QTemporaryDir dir;
        const QString blocker = writeFile(dir, "not-a-folder", "x");
        RecognitionCache::setFolderForTesting(blocker + "/recognition");
        const QString path = writeFile(dir, "letter.jpg", encoded(renderPage(kLetter), "jpeg"));
        const PictureReading reading = recognizeImageFile(path, english());
        RecognitionCache::setFolderForTesting(m_cache.path());
        QCOMPARE(reading.status, PictureReading::Status::Read);
        QVERIFY(wordAccuracy(joined(kLetter), joined(reading.paragraphs)) >= 0.98);
    }

    void everyTiffPageInOrder() {
        QTemporaryDir dir;
        const QByteArray tiff =
            multipageTiff({renderPage({kLetter[0]}), renderPage({kLetter[1]})}, dir);
        QStringList arrived; // handed over page by page, in order, as the reading goes on
        RecognitionProgress progress;
        progress.arrived = [&](const QStringList& part) { arrived += part; };
        const PictureReading reading =
            recognizeImageFile(writeFile(dir, "scan.tiff", tiff), english(), progress);
        QCOMPARE(reading.status, PictureReading::Status::Read);
        QVERIFY2(wordAccuracy(joined(kLetter), joined(reading.paragraphs)) >= 0.98,
                 qPrintable(joined(reading.paragraphs)));
        QCOMPARE(arrived, reading.paragraphs);
    }

    void refusals_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QImage blank(800, 600, QImage::Format_RGB32);
        blank.fill(Qt::white);
        const QByteArray png = encoded(renderPage(kLetter), "png");
        QTest::newRow("no text") << encoded(blank, "webp") << noTextInPictureMessage();
        QTest::newRow("20,000 x 20,000")
            << pngHeaderOnly(20000, 20000) << pictureTooLargeMessage(QSize(20000, 20000));
        QTest::newRow("truncated") << png.left(png.size() / 2) << pictureUnreadableMessage();
        QTest::newRow("garbage after a JPEG start")
            << QByteArray("\xff\xd8\xff\xe0garbage-garbage-garbage", 26)
            << pictureUnreadableMessage();
    }
    void refusals() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const PictureReading reading = recognizeImageData(bytes, english());
        QVERIFY(reading.status == PictureReading::Status::NoText ||
                reading.status == PictureReading::Status::Failed);
        QCOMPARE(reading.error, message);
    }

    void pdfPagesReadAndCached() {
        const QImage page = renderPage(kLetter);
        const PageTextReader reader = recognitionPageReader(english());
        const int before = recognitionRunCount();
        const QStringList first = reader(page, 0);
        QVERIFY(wordAccuracy(joined(kLetter), joined(first)) >= 0.98);
        QCOMPARE(reader(page, 1), first);
        QCOMPARE(recognitionRunCount(), before + 1);
    }

    // Content first: a picture named .txt is read as a picture, a text starting "BM" as text.
    void documentLoaderTellsPicturesByContent_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("spoken");
        QImage blank(600, 400, QImage::Format_RGB32);
        blank.fill(Qt::white);
        QTest::newRow("picture named .txt") << "letter.txt" << encoded(renderPage(kLetter), "bmp")
                                            << int(DocumentLoad::Status::Loaded) << false;
        QTest::newRow("picture without text")
            << "blank.PNG" << encoded(blank, "png") << int(DocumentLoad::Status::Failed) << true;
        QTest::newRow("text starting BM") << "cars.txt" << QByteArray("BMW\0\0\0\0 and more. ")
                                          << int(DocumentLoad::Status::Loaded) << false;
    }
    void documentLoaderTellsPicturesByContent() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(int, status);
        QFETCH(bool, spoken);
        QTemporaryDir dir;
        const QString path = writeFile(dir, name, bytes);
        QVERIFY(isReadablePath(path));
        const DocumentLoad load = loadDocument(path);
        QCOMPARE(int(load.status), status);
        QCOMPARE(load.errorSpoken, spoken);
        if (name == QLatin1String("cars.txt"))
            QCOMPARE(load.bookText, QString::fromLatin1(bytes) + ". "); // a paragraph of text
        else if (load.status == DocumentLoad::Status::Loaded)
            QVERIFY(wordAccuracy(joined(kLetter), load.bookText) >= 0.98);
    }

    void languageFollowsTheVoice_data() {
        QTest::addColumn<QString>("voice");
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("notice");
        QTest::newRow("english voice") << "gmw/en-US"
                                       << "eng" << false;
        QTest::newRow("german without its data") << "gmw/de"
                                                 << "eng" << true;
        QTest::newRow("no voice") << ""
                                  << "eng" << false;
    }
    void languageFollowsTheVoice() {
        QFETCH(QString, voice);
        QFETCH(QString, code);
        QFETCH(bool, notice);
        if (isRecognitionLanguageInstalled(QStringLiteral("deu")))
            QSKIP("German data installed here");
        const RecognitionLanguage language = recognitionLanguageFor(voice);
        QCOMPARE(language.code, code);
        QCOMPARE(!takeFallbackNoticeOnce(language).isEmpty(), notice);
        QVERIFY(takeFallbackNoticeOnce(language).isEmpty()); // said once
    }

private:
    QTemporaryDir m_cache;
};

QTEST_MAIN(TestRecognition)
#include "test_recognition.moc"
