#include "recognition/PageRecognizer.h"

#include "common/ParagraphText.h"
#include "recognition/RecognitionLanguage.h"

#include <QMutex>
#include <QPainter>
#include <QTransform>

#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#include <atomic>
#include <cmath>
#include <dlfcn.h>
#include <vector>

namespace orasent {

namespace {
std::atomic<int> g_runs{0};

constexpr int kTrustedConfidence = 70; // below this, orientation detection is asked
constexpr double kTargetDpi = 300;     // Tesseract reads best near 300 dpi
constexpr double kMaxEnlarge = 4;      // a screen at 75 dpi at most four times
constexpr qint64 kMaxEnlargedPixels = 40'000'000;
constexpr float kTrustedTurn = 2.0f; // orientation confidence worth a second pass

// Tesseract's OpenMP loops run up to ten threads per engine; with an engine per core they only
// contend (a page took nine times as long here). Turned off for the calling thread, whose
// OpenMP settings are its own.
void keepOpenMpToThisThread() {
    using SetLevels = void (*)(int);
    static const auto setLevels =
        reinterpret_cast<SetLevels>(dlsym(RTLD_DEFAULT, "omp_set_max_active_levels"));
    if (setLevels)
        setLevels(0);
}

QImage grayPage(const QImage& page) {
    if (!page.hasAlphaChannel())
        return page.convertToFormat(QImage::Format_Grayscale8);
    QImage flat(page.size(), QImage::Format_RGB32);
    flat.fill(Qt::white); // transparent parts read as paper
    QPainter painter(&flat);
    painter.drawImage(0, 0, page);
    painter.end();
    return flat.convertToFormat(QImage::Format_Grayscale8);
}

double enlargement(const QSize& size, int dotsPerInch) {
    if (dotsPerInch <= 0 || dotsPerInch >= 200)
        return 1;
    double factor = std::min(kMaxEnlarge, kTargetDpi / dotsPerInch);
    const double pixels = double(size.width()) * size.height();
    if (pixels * factor * factor > kMaxEnlargedPixels)
        factor = std::max(1.0, std::sqrt(kMaxEnlargedPixels / std::max(1.0, pixels)));
    return factor;
}

struct CancelCheck {
    const std::function<bool()>* cancelled = nullptr;
    bool hit = false;
};

bool cancelThunk(void* data, int) {
    auto* check = static_cast<CancelCheck*>(data);
    if (!check->hit && check->cancelled && *check->cancelled && (*check->cancelled)())
        check->hit = true;
    return check->hit;
}

bool hasLetterOrDigit(const QString& text) {
    for (const QChar c : text)
        if (c.isLetterOrNumber())
            return true;
    return false;
}

// The clockwise turn that makes upright a page whose up side Tesseract found on `orientation`.
int turnFor(tesseract::Orientation orientation) {
    switch (orientation) {
    case tesseract::ORIENTATION_PAGE_RIGHT:
        return 270;
    case tesseract::ORIENTATION_PAGE_DOWN:
        return 180;
    case tesseract::ORIENTATION_PAGE_LEFT:
        return 90;
    default:
        return 0;
    }
}
} // namespace

struct PageRecognizer::Engines {
    tesseract::TessBaseAPI text;
    tesseract::TessBaseAPI orientation;
    bool orientationTried = false;
    bool orientationReady = false;
};

struct PageRecognizer::Pass {
    bool cancelled = false;
    QStringList paragraphs;
    int confidence = 0;
    int words = 0;
    int turn = 0; // what Tesseract's own layout analysis found
};

PageRecognizer::PageRecognizer(const QString& language)
    : m_engines(std::make_unique<Engines>()), m_language(language) {
    const QByteArray folder = tessdataFolder().toLocal8Bit();
    if (folder.isEmpty() || !isRecognitionLanguageInstalled(language))
        return;
    m_engines->text.SetVariable("debug_file", "/dev/null"); // warnings are not the user's
    m_ready = m_engines->text.Init(folder.constData(), language.toLatin1().constData(),
                                   tesseract::OEM_LSTM_ONLY) == 0;
    m_engines->text.SetVariable("debug_file", "/dev/null");
}

PageRecognizer::~PageRecognizer() = default;

RecognizedPage PageRecognizer::recognize(const QImage& page, int dotsPerInch,
                                         const std::function<bool()>& cancelled) {
    RecognizedPage result;
    if (!m_ready || page.isNull())
        return result;
    keepOpenMpToThisThread();
    ++g_runs;
    QImage gray = grayPage(page);
    int dpi = dotsPerInch > 0 ? dotsPerInch : int(kTargetDpi);
    const double factor = enlargement(gray.size(), dpi);
    if (factor > 1) {
        gray = gray.scaled(gray.size() * factor, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        dpi = int(std::lround(dpi * factor));
    }
    Pass pass = recognizeUpright(gray, dpi, cancelled);
    int turn = pass.turn;
    if (!pass.cancelled && turn == 0 && pass.confidence < kTrustedConfidence)
        turn = detectTurn(gray, dpi);
    if (!pass.cancelled && turn != 0) {
        Pass turned = recognizeUpright(gray.transformed(QTransform().rotate(turn)), dpi, cancelled);
        // Tesseract's own finding needs only a result as good; the detector's a better one.
        const int margin = pass.turn != 0 ? 3 : 0;
        if (turned.cancelled || turned.confidence + margin > pass.confidence) {
            pass = turned;
            result.turnedDegrees = turn;
        }
    }
    result.cancelled = pass.cancelled;
    result.paragraphs = pass.paragraphs;
    result.meanConfidence = pass.confidence;
    return result;
}

PageRecognizer::Pass PageRecognizer::recognizeUpright(const QImage& gray, int dotsPerInch,
                                                      const std::function<bool()>& cancelled) {
    Pass pass;
    tesseract::TessBaseAPI& api = m_engines->text;
    api.SetPageSegMode(tesseract::PSM_AUTO);
    api.SetImage(gray.constBits(), gray.width(), gray.height(), 1, int(gray.bytesPerLine()));
    api.SetSourceResolution(dotsPerInch);
    CancelCheck check{&cancelled};
    tesseract::ETEXT_DESC monitor;
    monitor.cancel = &cancelThunk;
    monitor.cancel_this = &check;
    api.Recognize(&monitor);
    if (check.hit) {
        pass.cancelled = true;
        api.Clear();
        return pass;
    }
    std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    QStringList lines;
    bool orientationTaken = false;
    const auto flush = [&] {
        const QString paragraph = joinParagraphLines(lines);
        if (!paragraph.isEmpty())
            pass.paragraphs << paragraph;
        lines.clear();
    };
    if (it) {
        do {
            if (it->IsAtBeginningOf(tesseract::RIL_PARA))
                flush();
            std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_TEXTLINE));
            const QString line = QString::fromUtf8(text.get()).trimmed();
            if (!hasLetterOrDigit(line))
                continue;
            lines << line;
            pass.words += int(line.split(QLatin1Char(' '), Qt::SkipEmptyParts).size());
            if (!orientationTaken) {
                tesseract::Orientation orientation;
                tesseract::WritingDirection direction;
                tesseract::TextlineOrder order;
                float deskew = 0;
                it->Orientation(&orientation, &direction, &order, &deskew);
                pass.turn = turnFor(orientation);
                orientationTaken = true;
            }
        } while (it->Next(tesseract::RIL_TEXTLINE));
    }
    flush();
    pass.confidence = pass.words > 0 ? api.MeanTextConf() : 0;
    api.Clear();
    return pass;
}

// Orientation and script detection on the page (half size when large: as sure, faster).
int PageRecognizer::detectTurn(const QImage& gray, int dotsPerInch) {
    Engines& engines = *m_engines;
    if (!engines.orientationTried) {
        engines.orientationTried = true;
        const QByteArray folder = tessdataFolder().toLocal8Bit();
        engines.orientation.SetVariable("debug_file", "/dev/null");
        engines.orientationReady =
            isRecognitionLanguageInstalled(QStringLiteral("osd")) &&
            engines.orientation.Init(folder.constData(), "osd", tesseract::OEM_TESSERACT_ONLY) == 0;
    }
    if (!engines.orientationReady)
        return 0;
    QImage image = gray;
    int dpi = dotsPerInch;
    if (qint64(image.width()) * image.height() > 4'000'000) {
        image = image.scaled(image.size() / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        dpi /= 2;
    }
    tesseract::TessBaseAPI& osd = engines.orientation;
    osd.SetPageSegMode(tesseract::PSM_OSD_ONLY);
    osd.SetImage(image.constBits(), image.width(), image.height(), 1, int(image.bytesPerLine()));
    osd.SetSourceResolution(dpi);
    int degrees = 0;
    float confidence = 0;
    const char* script = nullptr;
    float scriptConfidence = 0;
    const bool found =
        osd.DetectOrientationScript(&degrees, &confidence, &script, &scriptConfidence);
    osd.Clear();
    if (!found || confidence < kTrustedTurn)
        return 0;
    // Tesseract gives the page's turn away from upright; turning back undoes it.
    return (360 - degrees) % 360;
}

// --- the pool ---

namespace {
QMutex& poolMutex() {
    static QMutex mutex;
    return mutex;
}
std::vector<std::unique_ptr<PageRecognizer>>& idleRecognizers() {
    static std::vector<std::unique_ptr<PageRecognizer>> idle;
    return idle;
}
constexpr int kIdlePerLanguage = 2;
} // namespace

std::unique_ptr<PageRecognizer> takeRecognizer(const QString& language) {
    {
        QMutexLocker lock(&poolMutex());
        auto& idle = idleRecognizers();
        for (auto it = idle.begin(); it != idle.end(); ++it) {
            if ((*it)->language() == language) {
                std::unique_ptr<PageRecognizer> taken = std::move(*it);
                idle.erase(it);
                return taken;
            }
        }
    }
    return std::make_unique<PageRecognizer>(language);
}

void giveBackRecognizer(std::unique_ptr<PageRecognizer> recognizer) {
    if (!recognizer || !recognizer->isReady())
        return;
    QMutexLocker lock(&poolMutex());
    auto& idle = idleRecognizers();
    int same = 0;
    for (const auto& r : idle)
        same += r->language() == recognizer->language() ? 1 : 0;
    if (same < kIdlePerLanguage)
        idle.push_back(std::move(recognizer));
}

int recognitionRunCount() {
    return g_runs.load();
}

} // namespace orasent
