#include "recognition/PictureReading.h"

#include "recognition/ImagePages.h"
#include "recognition/PageRecognizer.h"
#include "recognition/RecognitionCache.h"

#include <QCryptographicHash>
#include <QFile>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace orasent {

namespace {
constexpr int kWorkers = 2; // the machine class has two cores
constexpr auto kPollInterval = std::chrono::milliseconds(50);

QString engineMissingMessage(const QString& language) {
    return QStringLiteral("Text recognition could not start: the recognition data \"%1\" is "
                          "missing (Debian package tesseract-ocr-%1).")
        .arg(language);
}

// The pages shared out to the workers, their results in page order, and the first failure.
struct PageJob {
    explicit PageJob(int pages) : results(size_t(pages)), finished(size_t(pages), false) {}
    std::mutex mutex;
    std::condition_variable changed;
    int next = 0;
    int done = 0;
    std::atomic<bool> stop{false};
    QString error;
    std::vector<QStringList> results;
    std::vector<bool> finished;
};

void fail(PageJob& job, const QString& error) {
    std::lock_guard<std::mutex> lock(job.mutex);
    if (job.error.isEmpty())
        job.error = error;
    job.stop = true;
    job.changed.notify_all();
}

void work(PageJob& job, const ImagePages& pages, const QString& language) {
    std::unique_ptr<PageRecognizer> recognizer = takeRecognizer(language);
    if (!recognizer->isReady())
        return fail(job, engineMissingMessage(language));
    const std::function<bool()> stopped = [&job] { return job.stop.load(); };
    for (;;) {
        int index = 0;
        {
            std::lock_guard<std::mutex> lock(job.mutex);
            if (job.stop || job.next >= int(job.results.size()))
                break;
            index = job.next++;
        }
        QString error;
        QImage image = pages.page(index, &error);
        if (image.isNull())
            return fail(job, error);
        const RecognizedPage read =
            recognizer->recognize(image, ImagePages::dotsPerInch(image), stopped);
        image = QImage(); // one page per worker in memory
        std::lock_guard<std::mutex> lock(job.mutex);
        if (read.cancelled)
            break;
        job.results[size_t(index)] = read.paragraphs;
        job.finished[size_t(index)] = true;
        ++job.done;
        job.changed.notify_all();
    }
    giveBackRecognizer(std::move(recognizer));
}

// Hands the pages finished in an unbroken run from the first over to `arrived`, in order.
void handOverPages(PageJob& job, int* handed, std::unique_lock<std::mutex>& lock,
                   const RecognitionProgress& progress) {
    QStringList part;
    for (; *handed < int(job.results.size()) && job.finished[size_t(*handed)]; ++*handed)
        part += job.results[size_t(*handed)];
    if (part.isEmpty() || !progress.arrived)
        return;
    lock.unlock();
    progress.arrived(part);
    lock.lock();
}

// Waits for the workers on the calling thread, reporting pages done, handing them over in
// order and passing on Cancel.
bool superviseJob(PageJob& job, const RecognitionProgress& progress) {
    const int total = int(job.results.size());
    int reported = -1;
    int handed = 0;
    bool cancelled = false;
    std::unique_lock<std::mutex> lock(job.mutex);
    while (job.done < total && !job.stop) {
        handOverPages(job, &handed, lock, progress);
        if (job.done != reported && progress.report) {
            reported = job.done;
            lock.unlock();
            progress.report(reported, total);
            lock.lock();
        }
        job.changed.wait_for(lock, kPollInterval);
        lock.unlock();
        cancelled = progress.cancelled && progress.cancelled();
        lock.lock();
        if (cancelled)
            job.stop = true;
    }
    if (!cancelled && job.done == total) {
        handOverPages(job, &handed, lock, progress);
        lock.unlock();
        if (progress.report)
            progress.report(total, total);
    }
    return cancelled;
}

PictureReading readPages(const ImagePages& pages, const QString& language,
                         const RecognitionProgress& progress) {
    PageJob job(pages.pageCount());
    const int workers = std::min(pages.pageCount(), kWorkers);
    std::vector<std::thread> threads;
    for (int i = 0; i < workers; ++i)
        threads.emplace_back([&] { work(job, pages, language); });
    const bool cancelled = superviseJob(job, progress);
    for (std::thread& thread : threads)
        thread.join();
    PictureReading reading;
    if (cancelled) {
        reading.status = PictureReading::Status::Cancelled;
    } else if (!job.error.isEmpty()) {
        reading.error = job.error;
    } else {
        reading.status = PictureReading::Status::Read;
        for (const QStringList& page : job.results)
            reading.paragraphs += page;
    }
    return reading;
}

PictureReading withNoTextChecked(PictureReading reading) {
    if (reading.status == PictureReading::Status::Read && reading.paragraphs.isEmpty()) {
        reading.status = PictureReading::Status::NoText;
        reading.error = noTextInPictureMessage();
    }
    return reading;
}

// A page's pixels as bytes, without the padding at the end of each line.
QByteArray pixelDigest(const QImage& page) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const QByteArray head = QByteArray::number(page.width()) + 'x' +
                            QByteArray::number(page.height()) + ' ' +
                            QByteArray::number(int(page.format()));
    hash.addData(head);
    const qsizetype lineBytes = (qsizetype(page.width()) * page.depth() + 7) / 8;
    for (int y = 0; y < page.height(); ++y)
        hash.addData(
            QByteArrayView(reinterpret_cast<const char*>(page.constScanLine(y)), lineBytes));
    return hash.result();
}
} // namespace

QString noTextInPictureMessage() {
    return QStringLiteral("No text was found in this picture.");
}

PictureReading recognizeImageFile(const QString& path, const RecognitionLanguage& language,
                                  const RecognitionProgress& progress) {
    PictureReading reading;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reading.error = QStringLiteral("This picture file cannot be opened.");
        return reading;
    }
    if (file.size() > kMaxPictureFileBytes) {
        reading.error = QStringLiteral("This picture file is larger than 200 MB and is not read.");
        return reading;
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        reading.error = pictureUnreadableMessage();
        return reading;
    }
    return recognizeImageData(data, language, progress);
}

PictureReading recognizeImageData(const QByteArray& data, const RecognitionLanguage& language,
                                  const RecognitionProgress& progress) {
    PictureReading reading;
    const QByteArray key = RecognitionCache::key(data, language.code);
    if (const std::optional<QStringList> cached = RecognitionCache::find(key)) {
        reading.status = PictureReading::Status::Read;
        reading.paragraphs = *cached;
        return withNoTextChecked(reading);
    }
    const ImagePages pages(data);
    if (!pages.isValid()) {
        reading.error = pages.error();
        return reading;
    }
    reading = readPages(pages, language.code, progress);
    if (reading.status == PictureReading::Status::Read)
        RecognitionCache::store(key, reading.paragraphs); // without it, only slower next time
    return withNoTextChecked(reading);
}

PictureReading recognizeImage(const QImage& image, int dotsPerInch,
                              const RecognitionLanguage& language,
                              const std::function<bool()>& cancelled) {
    PictureReading reading;
    if (qint64(image.width()) * image.height() > kMaxPagePixels) {
        reading.error = pictureTooLargeMessage(image.size());
        return reading;
    }
    std::unique_ptr<PageRecognizer> recognizer = takeRecognizer(language.code);
    if (!recognizer->isReady()) {
        reading.error = engineMissingMessage(language.code);
        return reading;
    }
    const RecognizedPage page = recognizer->recognize(image, dotsPerInch, cancelled);
    giveBackRecognizer(std::move(recognizer));
    if (page.cancelled) {
        reading.status = PictureReading::Status::Cancelled;
        return reading;
    }
    reading.status = PictureReading::Status::Read;
    reading.paragraphs = page.paragraphs;
    return withNoTextChecked(reading);
}

PageTextReader recognitionPageReader(const RecognitionLanguage& language,
                                     std::function<bool()> cancelled) {
    // Called from several threads at once: each call takes a recogniser of its own from the
    // pool and gives it back.
    return [language, cancelled](const QImage& page, int) -> QStringList {
        if (page.isNull() || qint64(page.width()) * page.height() > kMaxPagePixels)
            return {};
        const QByteArray key =
            RecognitionCache::key(pixelDigest(page), language.code, QStringLiteral("page"));
        if (const std::optional<QStringList> cached = RecognitionCache::find(key))
            return *cached;
        std::unique_ptr<PageRecognizer> recognizer = takeRecognizer(language.code);
        const RecognizedPage read = recognizer->recognize(page, 300, cancelled);
        giveBackRecognizer(std::move(recognizer));
        if (read.cancelled)
            return {};
        RecognitionCache::store(key, read.paragraphs);
        return read.paragraphs;
    };
}

PageTextMemory recognitionPageMemory(const RecognitionLanguage& language) {
    const QString code = language.code;
    PageTextMemory memory;
    memory.find = [code](const QByteArray& key) {
        return RecognitionCache::find(RecognitionCache::key(key, code, QStringLiteral("pdfpage")));
    };
    memory.store = [code](const QByteArray& key, const QStringList& paragraphs) {
        RecognitionCache::store(RecognitionCache::key(key, code, QStringLiteral("pdfpage")),
                                paragraphs);
    };
    return memory;
}

} // namespace orasent
