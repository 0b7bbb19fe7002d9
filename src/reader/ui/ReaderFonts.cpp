#include "reader/ui/ReaderFonts.h"

#include <QStringList>
#include <cmath>

namespace orasent {

namespace {
// Installed sans-serif faces that come in a bold or heavier weight, best match first.
const QStringList& heavySansFallbacks() {
    static const QStringList families{QStringLiteral("Liberation Sans"),
                                      QStringLiteral("DejaVu Sans"), QStringLiteral("FreeSans"),
                                      QStringLiteral("Noto Sans")};
    return families;
}

QFont designedFont(const QString& family, double pointSize, QFont::Weight weight) {
    QFont font(family);
    font.setFamilies(QStringList{family} + heavySansFallbacks());
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(weight);
    font.setPointSizeF(pointSize);
    return font;
}
} // namespace

QFont arialBlackFont(double pointSize) {
    // Arial Black has a single, black face; a fallback family then picks its boldest face.
    return designedFont(QStringLiteral("Arial Black"), pointSize, QFont::Black);
}

QFont msSansSerifFont(double pointSize, bool bold) {
    return designedFont(QStringLiteral("MS Sans Serif"), pointSize,
                        bold ? QFont::Bold : QFont::Normal);
}

QFont readingFont(const QString& family, double pointSize, bool bold) {
    if (family.trimmed().isEmpty()) {
        QFont font = arialBlackFont(pointSize);
        if (!bold)
            font.setWeight(QFont::Normal);
        return font;
    }
    return designedFont(family, pointSize, bold ? QFont::Bold : QFont::Normal);
}

bool isUsableTypeSize(double points) {
    return std::isfinite(points) && points > 0 && points <= kLargestTypeSize;
}

} // namespace orasent
