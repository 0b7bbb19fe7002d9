#pragma once
// One Tesseract engine: reads a page image into paragraphs in reading order (columns one after
// the other), each paragraph's lines joined, after turning the page upright. Use an instance
// from one thread at a time.
#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace orasent {

struct RecognizedPage {
    bool cancelled = false;
    QStringList paragraphs;
    int meanConfidence = 0; // Tesseract's 0..100
    int turnedDegrees = 0;  // clockwise turn applied to make the page upright
};

class PageRecognizer {
public:
    // `language`: Tesseract's code ("eng"); its data must be installed.
    explicit PageRecognizer(const QString& language);
    ~PageRecognizer();
    PageRecognizer(const PageRecognizer&) = delete;
    PageRecognizer& operator=(const PageRecognizer&) = delete;

    bool isReady() const { return m_ready; }
    QString language() const { return m_language; }

    // `dotsPerInch`: the page's resolution; smaller text (a screen at 96 dpi) is enlarged to
    // about 300 dpi first. `cancelled` is polled while recognising.
    RecognizedPage recognize(const QImage& page, int dotsPerInch,
                             const std::function<bool()>& cancelled = {});

private:
    struct Pass;
    Pass recognizeUpright(const QImage& gray, int dotsPerInch,
                          const std::function<bool()>& cancelled);
    int detectTurn(const QImage& gray, int dotsPerInch);

    struct Engines;
    std::unique_ptr<Engines> m_engines;
    QString m_language;
    bool m_ready = false;
};

// Engines kept for reuse across loads (an engine takes about 70 ms to start): take one, give
// it back when done. Thread-safe; at most two idle engines per language are kept.
std::unique_ptr<PageRecognizer> takeRecognizer(const QString& language);
void giveBackRecognizer(std::unique_ptr<PageRecognizer> recognizer);

// How many page recognitions have run in this program (for tests of the cache).
int recognitionRunCount();

// Pages larger than this are refused before decoding: 100 million pixels.
constexpr qint64 kMaxPagePixels = 100'000'000;

} // namespace orasent
