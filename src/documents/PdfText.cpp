#include "documents/PdfText.h"

#include "documents/PdfLayout.h"
#include "documents/PdfStructure.h"
#include "documents/RecognisedRunningLines.h"

#include <QCryptographicHash>
#include <poppler-qt6.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace orasent {

namespace {

constexpr double kReaderDpi = 300;
// A page image for the page reader stays under this many pixels (a 300 dpi A4 page has 8.7
// million); larger pages are rendered at a lower resolution.
constexpr double kMaxPixels = 64e6;
// Pages are read on two threads (the machine class has two cores), each with its own copy of
// the document, at most this many pages ahead of the one being joined.
constexpr int kWorkers = 2;
constexpr int kPagesAhead = 8;
// Running lines are learnt from all pages of a short document, and from this many pairs of
// facing pages spread over a longer one, so that its first pages can be read at once.
constexpr int kSamplePairs = 6;
constexpr auto kPollInterval = std::chrono::milliseconds(50);

// The library's own complaints about broken files go nowhere: the caller gets a status.
void quiet(const QString&, const QVariant&) {}

void silenceLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { Poppler::setDebugErrorFunction(quiet, QVariant()); });
}

bool abortQuery(const QVariant& closure) {
    return static_cast<const std::atomic<bool>*>(closure.value<void*>())->load();
}

std::vector<PdfWord> pageWords(const Poppler::Page& page, const std::atomic<bool>& stop) {
    // The callback only reads the flag; the library takes a non-const pointer.
    const QVariant closure =
        QVariant::fromValue(static_cast<void*>(const_cast<std::atomic<bool>*>(&stop)));
    const auto boxes = page.textList(Poppler::Page::Rotate0, abortQuery, closure);
    std::vector<PdfWord> words;
    words.reserve(boxes.size());
    for (size_t i = 0; i < boxes.size(); ++i) {
        const Poppler::TextBox& box = *boxes[i];
        const bool lineGoesOn = i + 1 < boxes.size() && box.nextWord() == boxes[i + 1].get();
        words.push_back({box.text(), box.boundingBox(), box.hasSpaceAfter(), !lineGoesOn});
    }
    return words;
}

QStringList renderAndRead(const Poppler::Page& page, int index, const TextlessPageReader& reader) {
    const QSizeF inches = page.pageSizeF() / 72.0;
    const double area = inches.width() * inches.height();
    if (!(area > 0))
        return {};
    const double dpi = std::min(kReaderDpi, std::sqrt(kMaxPixels / area));
    const QImage image = page.renderToImage(dpi, dpi);
    return image.isNull() ? QStringList() : reader(image, index);
}

// A file cut short (a broken download) lacks the end-of-file marker in its last kilobyte; the
// library would still read its first pages, and the rest would be lost without a word.
bool endsWhole(const QByteArray& data) {
    return data.right(1024).contains("%%EOF");
}

PdfExtraction withStatus(PdfExtraction::Status status) {
    PdfExtraction result;
    result.status = status;
    return result;
}

// The sample pages for the running lines: every page of a short document, else pairs of facing
// pages spread evenly.
std::vector<int> samplePages(int total) {
    std::vector<int> pages;
    if (total <= 2 * kSamplePairs) {
        for (int i = 0; i < total; ++i)
            pages.push_back(i);
        return pages;
    }
    for (int k = 0; k < kSamplePairs; ++k) {
        const int first = int((qint64(total - 1) * k) / kSamplePairs) & ~1;
        if (pages.empty() || first > pages.back())
            pages.insert(pages.end(), {first, first + 1});
    }
    return pages;
}

// The pages shared out to the workers: first the sample's text, then every page in order with
// its text or, without one, what the page reader finds; results by page number.
class PageJob {
public:
    PageJob(int total, std::vector<int> sample, const TextlessPageReader& reader,
            const TextlessPageMemory& memory, const QByteArray& data, const LoadProgress& progress)
        : m_total(total), m_sample(std::move(sample)), m_reader(reader), m_memory(memory),
          m_data(data), m_progress(progress) {}

    void work(Poppler::Document& document);
    // Waits for page `index` of the given pass; false when stopped.
    bool waitFor(int index, bool sampleText, const LoadProgress& progress);
    PdfPageLines take(int index);
    PdfPageLines peek(int index);
    void setJoined(int pages);
    void stop();
    bool stopped() const { return m_stop; }

private:
    struct Task {
        int page = -1;
        bool sampleText = false;
    };
    bool nextTask(Task* task);
    PdfPageLines read(Poppler::Document& document, const Task& task);
    QStringList readTextless(const Poppler::Page& page, int index);
    QByteArray memoryKey(int index);

    const int m_total;
    const std::vector<int> m_sample;
    const TextlessPageReader& m_reader;
    const TextlessPageMemory& m_memory;
    const QByteArray& m_data;
    const LoadProgress& m_progress;
    std::once_flag m_digested;
    QByteArray m_digest;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    size_t m_nextSample = 0;
    int m_nextPage = 0;
    int m_joined = 0;
    std::map<int, PdfPageLines> m_pages; // text read, by page
    std::map<int, bool> m_done;          // page -> finished in the ordered pass
    std::atomic<bool> m_stop{false};
};

bool PageJob::nextTask(Task* task) {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        if (m_stop)
            return false;
        if (m_nextSample < m_sample.size()) {
            *task = {m_sample[m_nextSample++], true};
            return true;
        }
        if (m_nextPage >= m_total)
            return false;
        // The first two pages have the machine to themselves: reading starts with them (a
        // recognised first page is joined once the second shows its running lines).
        const bool firstDone = m_nextPage <= 1 || m_joined > 0;
        if (firstDone && m_nextPage < m_joined + kPagesAhead) {
            *task = {m_nextPage++, false};
            return true;
        }
        m_changed.wait(lock);
    }
}

PdfPageLines PageJob::read(Poppler::Document& document, const Task& task) {
    PdfPageLines lines;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto known = m_pages.find(task.page);
        if (known != m_pages.end())
            lines = known->second; // the sample read its text already
    }
    const std::unique_ptr<Poppler::Page> page = document.page(task.page);
    if (!page)
        return lines;
    if (lines.size.isEmpty()) {
        lines.size = page->pageSizeF();
        lines.pageIndex = task.page;
        lines.lines = linesFromWords(pageWords(*page, m_stop));
    }
    if (!task.sampleText && lines.lines.empty() && m_reader && !m_stop)
        lines.readParagraphs = readTextless(*page, task.page);
    return lines;
}

QByteArray PageJob::memoryKey(int index) {
    // The file by its size, head and tail: cheap even for a very large file.
    std::call_once(m_digested, [this] {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        hash.addData(QByteArray::number(m_data.size()));
        hash.addData(QByteArrayView(m_data).first(std::min<qsizetype>(m_data.size(), 1 << 20)));
        hash.addData(QByteArrayView(m_data).last(std::min<qsizetype>(m_data.size(), 1 << 20)));
        m_digest = hash.result().toHex();
    });
    return m_digest + ' ' + QByteArray::number(index);
}

QStringList PageJob::readTextless(const Poppler::Page& page, int index) {
    // Rendering alone costs more than reading the text of a hundred pages: known pages skip it.
    const QByteArray key = m_memory.find || m_memory.store ? memoryKey(index) : QByteArray();
    if (m_memory.find)
        if (const std::optional<QStringList> known = m_memory.find(key))
            return *known;
    const QStringList read = renderAndRead(page, index, m_reader);
    // A read cut short by Cancel finds nothing: that is not what the page holds.
    const bool cancelled = m_stop || (m_progress.cancelled && m_progress.cancelled());
    if (m_memory.store && !cancelled)
        m_memory.store(key, read);
    return read;
}

void PageJob::work(Poppler::Document& document) {
    Task task;
    while (nextTask(&task)) {
        PdfPageLines lines = read(document, task);
        std::lock_guard<std::mutex> lock(m_mutex);
        if (task.sampleText) {
            m_pages.emplace(task.page, std::move(lines)); // never over the ordered pass's
        } else {
            m_pages[task.page] = std::move(lines);
            m_done[task.page] = true;
        }
        m_changed.notify_all();
    }
}

bool PageJob::waitFor(int index, bool sampleText, const LoadProgress& progress) {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        const bool ready = sampleText ? m_pages.count(index) > 0 : m_done.count(index) > 0;
        if (ready || m_stop)
            return ready && !m_stop;
        m_changed.wait_for(lock, kPollInterval);
        if (progress.cancelled) {
            lock.unlock();
            const bool cancelled = progress.cancelled();
            lock.lock();
            if (cancelled)
                m_stop = true;
        }
    }
}

PdfPageLines PageJob::peek(int index) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_pages.at(index);
}

PdfPageLines PageJob::take(int index) {
    std::lock_guard<std::mutex> lock(m_mutex);
    PdfPageLines lines = std::move(m_pages[index]);
    m_pages.erase(index);
    m_done.erase(index);
    return lines;
}

void PageJob::setJoined(int pages) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_joined = pages;
    m_changed.notify_all();
}

void PageJob::stop() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = true;
    m_changed.notify_all();
}

void handOver(const LoadProgress& progress, std::vector<PdfParagraph> found,
              std::vector<PdfParagraph>* all) {
    if (found.empty())
        return;
    if (progress.arrived) {
        QVector<Paragraph> paragraphs;
        paragraphs.reserve(qsizetype(found.size()));
        for (const PdfParagraph& p : found)
            paragraphs.append(Paragraph{p.text, Paragraph::Kind::Body, 0, {}, {}});
        progress.arrived(paragraphs);
    }
    all->insert(all->end(), std::make_move_iterator(found.begin()),
                std::make_move_iterator(found.end()));
}

bool isCancelled(const LoadProgress& progress) {
    return progress.cancelled && progress.cancelled();
}

// A recognised page loses its running lines, learnt from the recognised pages around it; the
// pages after it are being read ahead already, except for the first page, which waits for the
// second only, so that reading starts soon (facing pages' alternating heads are then missed on
// it). False when cancelled meanwhile.
bool dropRecognisedRunningLines(PageJob& job, int total, const LoadProgress& progress,
                                RecognisedRunningLines& running, PdfPageLines& page, int index) {
    if (page.readParagraphs.isEmpty())
        return true;
    running.forgetBefore(index - RecognisedRunningLines::kReach);
    running.learn(index, page.readParagraphs);
    const int ahead = index == 0 ? 1 : RecognisedRunningLines::kReach;
    for (int next = index + 1; next <= index + ahead && next < total; ++next) {
        if (isCancelled(progress) || !job.waitFor(next, false, progress))
            return false;
        running.learn(next, job.peek(next).readParagraphs);
    }
    page.readParagraphs = running.withoutRunningLines(index, page.readParagraphs);
    return true;
}

// Joins the pages in order as the workers finish them, handing finished paragraphs over.
PdfExtraction joinPages(PageJob& job, int total, const std::vector<int>& sample,
                        const LoadProgress& progress, std::vector<PdfParagraph>* placed) {
    std::vector<PdfPageLines> sampled;
    for (int page : sample) {
        if (!job.waitFor(page, true, progress))
            return withStatus(PdfExtraction::Status::Cancelled);
        sampled.push_back(job.peek(page));
    }
    const RunningLines running(sampled, sample);
    sampled.clear();
    RecognisedRunningLines recognised;
    PdfParagraphJoiner joiner;
    for (int i = 0; i < total; ++i) {
        if (progress.report)
            progress.report(i, total);
        if (isCancelled(progress) || !job.waitFor(i, false, progress))
            return withStatus(PdfExtraction::Status::Cancelled);
        PdfPageLines page = job.take(i);
        job.setJoined(i + 1);
        if (!dropRecognisedRunningLines(job, total, progress, recognised, page, i))
            return withStatus(PdfExtraction::Status::Cancelled);
        running.dropFrom(page, i);
        joiner.addPage(page);
        handOver(progress, joiner.takeFinished(), placed);
    }
    if (progress.report)
        progress.report(total, total);
    handOver(progress, joiner.takeRest(), placed);
    PdfExtraction result = withStatus(PdfExtraction::Status::Ok);
    for (const PdfParagraph& paragraph : *placed) {
        result.paragraphs << paragraph.text;
        result.pages << paragraph.page;
    }
    return result;
}

// Asks for the password through `progress` and keeps the one that opened the document, for the
// copies that the other reading threads parse.
PdfExtraction::Status unlockAndRemember(Poppler::Document& document, const LoadProgress& progress,
                                        std::optional<QString>* password) {
    LoadProgress asking = progress;
    if (progress.password)
        asking.password = [&progress, password](bool again) {
            *password = progress.password(again);
            return *password;
        };
    return unlockPdf(document, asking);
}

void unlockCopy(Poppler::Document& copy, const std::optional<QString>& password) {
    if (!copy.isLocked() || !password)
        return;
    copy.unlock(password->toUtf8(), password->toUtf8());
    if (copy.isLocked())
        copy.unlock(password->toLatin1(), password->toLatin1());
}

} // namespace

PdfExtraction extractPdfParagraphs(const QByteArray& data, const LoadProgress& progress,
                                   const TextlessPageReader& readTextlessPage,
                                   const TextlessPageMemory& memory) {
    silenceLibrary();
    if (!endsWhole(data))
        return withStatus(PdfExtraction::Status::Unreadable);
    std::unique_ptr<Poppler::Document> document = Poppler::Document::loadFromData(data);
    if (!document)
        return withStatus(PdfExtraction::Status::Unreadable);
    std::optional<QString> password;
    if (const auto unlocked = unlockAndRemember(*document, progress, &password);
        unlocked != PdfExtraction::Status::Ok)
        return withStatus(unlocked);
    const int total = std::max(0, document->numPages());
    const std::vector<int> sample = samplePages(total);
    PageJob job(total, sample, readTextlessPage, memory, data, progress);
    const auto work = [&job, &readTextlessPage](Poppler::Document& copy) {
        if (readTextlessPage) {
            copy.setRenderHint(Poppler::Document::Antialiasing);
            copy.setRenderHint(Poppler::Document::TextAntialiasing);
        }
        job.work(copy);
    };
    std::vector<std::thread> workers;
    workers.emplace_back([&work, &document] { work(*document); });
    for (int i = 1; i < std::min(kWorkers, total); ++i) {
        workers.emplace_back([&work, &data, &password] { // its own copy, on its own thread
            if (const std::unique_ptr<Poppler::Document> copy =
                    Poppler::Document::loadFromData(data)) {
                unlockCopy(*copy, password);
                if (!copy->isLocked())
                    work(*copy);
            }
        });
    }
    std::vector<PdfParagraph> placed;
    PdfExtraction result = joinPages(job, total, sample, progress, &placed);
    job.stop();
    for (std::thread& worker : workers)
        worker.join();
    if (result.status == PdfExtraction::Status::Ok)
        readPdfStructure(*document, data, placed, result);
    return result;
}

} // namespace orasent
