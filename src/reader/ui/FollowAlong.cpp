#include "reader/ui/FollowAlong.h"

#include "speech/TextEdits.h"

#include <QPalette>
#include <QtMath>

namespace orasent {

namespace {
constexpr double kMinimumContrast = 4.5;

double linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : qPow((channel + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& c) {
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

// A CR LF before `pos` stands as one line break in the box.
int shownPosition(const QString& text, int pos) {
    int shown = pos;
    for (int i = 0; i + 1 < text.size() && i < pos; ++i)
        if (text.at(i) == u'\r' && text.at(i + 1) == u'\n')
            --shown;
    return shown;
}
} // namespace

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

QColor defaultBandColour(const QPalette& palette) {
    const QColor text = palette.color(QPalette::Active, QPalette::Text);
    // Light bands for dark text first, dark ones for light text.
    static const QColor candidates[] = {QColor(255, 221, 0), QColor(140, 200, 255),
                                        QColor(0, 51, 102), QColor(80, 0, 80)};
    for (const QColor& candidate : candidates)
        if (contrastRatio(candidate, text) >= kMinimumContrast)
            return candidate;
    const QColor black(Qt::black), white(Qt::white);
    return contrastRatio(black, text) >= contrastRatio(white, text) ? black : white;
}

QColor lighterBand(const QColor& wordBand, const QColor& background) {
    const auto mix = [](int a, int b) { return (a + b + 1) / 2; };
    return QColor(mix(wordBand.red(), background.red()), mix(wordBand.green(), background.green()),
                  mix(wordBand.blue(), background.blue()));
}

std::optional<std::pair<int, int>> shownSpan(const QString& handedOver, int start, int length,
                                             const QString& shown) {
    if (plainTextBoxForm(handedOver, nullptr) != shown)
        return std::nullopt;
    return shownSpanOf(handedOver, start, length);
}

std::optional<std::pair<int, int>> shownSpanOf(const QString& handedOver, int start, int length) {
    if (start < 0 || length < 0 || start + qint64(length) > handedOver.size())
        return std::nullopt;
    const int from = shownPosition(handedOver, start);
    return std::make_pair(from, shownPosition(handedOver, start + length) - from);
}

} // namespace orasent
