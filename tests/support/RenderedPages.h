#pragma once
// Pages drawn with Qt as a scanner at 300 dpi would see them, and the word accuracy of a
// reading against the text drawn.
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QStringList>
#include <QTransform>
#include <algorithm>
#include <vector>

namespace orasent::test {

constexpr int kPageDpi = 300;

struct PageStyle {
    QString family = QStringLiteral("DejaVu Serif");
    double points = 11;
    int columns = 1;
    int width = 1240; // pixels: a half-wide page keeps the tests quick
};

// Each paragraph wrapped in its column; columns fill one after the other.
inline QImage renderPage(const QStringList& paragraphs, const PageStyle& style = {}) {
    const int pixelSize = int(style.points * kPageDpi / 72.0 + 0.5);
    const int margin = 90, gutter = 150;
    const int columnWidth =
        (style.width - 2 * margin - (style.columns - 1) * gutter) / style.columns;
    QFont font(style.family);
    font.setPixelSize(pixelSize);
    // Height: enough for the paragraphs of the fullest column.
    const int perColumn = int((paragraphs.size() + style.columns - 1) / style.columns);
    QImage probe(10, 10, QImage::Format_Grayscale8);
    QPainter measure(&probe);
    measure.setFont(font);
    std::vector<int> heights;
    for (const QString& p : paragraphs)
        heights.push_back(
            measure.boundingRect(QRect(0, 0, columnWidth, 100000), Qt::TextWordWrap, p).height() +
            pixelSize);
    measure.end();
    int tallest = 0;
    for (int c = 0; c < style.columns; ++c) {
        int h = 0;
        for (int i = c * perColumn; i < std::min<int>(int(heights.size()), (c + 1) * perColumn);
             ++i)
            h += heights[size_t(i)];
        tallest = std::max(tallest, h);
    }
    QImage page(style.width, tallest + 2 * margin, QImage::Format_Grayscale8);
    page.fill(Qt::white);
    page.setDotsPerMeterX(int(kPageDpi / 0.0254 + 0.5));
    page.setDotsPerMeterY(int(kPageDpi / 0.0254 + 0.5));
    QPainter painter(&page);
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (int c = 0; c < style.columns; ++c) {
        int y = margin;
        const int x = margin + c * (columnWidth + gutter);
        for (int i = c * perColumn; i < std::min<int>(int(paragraphs.size()), (c + 1) * perColumn);
             ++i) {
            painter.drawText(QRect(x, y, columnWidth, heights[size_t(i)]), Qt::TextWordWrap,
                             paragraphs[i]);
            y += heights[size_t(i)];
        }
    }
    return page;
}

// Lines drawn as given (no wrapping), e.g. a word hyphenated at a line end.
inline QImage renderLines(const QStringList& lines, double points = 12) {
    const int pixelSize = int(points * kPageDpi / 72.0 + 0.5);
    QImage page(1240, int(lines.size()) * pixelSize * 3 / 2 + 180, QImage::Format_Grayscale8);
    page.fill(Qt::white);
    QPainter painter(&page);
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(pixelSize);
    painter.setFont(font);
    for (int i = 0; i < lines.size(); ++i)
        painter.drawText(90, 90 + pixelSize + i * pixelSize * 3 / 2, lines[i]);
    return page;
}

inline QImage turned(const QImage& page, int degrees) {
    return page.transformed(QTransform().rotate(degrees));
}

inline QStringList words(const QString& text) {
    return text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

// 1 - (word edit distance / words expected): a word misread, missed or added counts once.
inline double wordAccuracy(const QString& expected, const QString& read) {
    const QStringList a = words(expected), b = words(read);
    std::vector<int> previous(size_t(b.size()) + 1), current(size_t(b.size()) + 1);
    for (int j = 0; j <= b.size(); ++j)
        previous[size_t(j)] = j;
    for (int i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (int j = 1; j <= b.size(); ++j)
            current[size_t(j)] =
                std::min({previous[size_t(j)] + 1, current[size_t(j - 1)] + 1,
                          previous[size_t(j - 1)] + (a[i - 1] == b[j - 1] ? 0 : 1)});
        std::swap(previous, current);
    }
    return a.isEmpty() ? 0 : 1.0 - double(previous[size_t(b.size())]) / a.size();
}

} // namespace orasent::test
