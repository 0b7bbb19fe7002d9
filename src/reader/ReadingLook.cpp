#include "reader/ReadingLook.h"

#include "common/AtomicFile.h"
#include "common/Numbers.h"
#include "common/TextCodec.h"
#include "common/TextLines.h"

#include <QFile>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace orasent {

namespace {
// A look file is a few hundred bytes; anything past this is not read.
constexpr qint64 kMostBytesRead = 64 * 1024;

const char* const kHighlightNames[] = {"off", "word", "sentence", "both"};

bool sameColour(const QColor& a, const QColor& b) {
    return a.isValid() == b.isValid() && (!a.isValid() || a.rgb() == b.rgb());
}

QString colourText(const QColor& colour) {
    return colour.isValid() ? colour.name(QColor::HexRgb) : QString();
}

// An empty value means "the default colour"; a value that is no colour leaves `target` as it is.
void takeColour(const QString& value, QColor& target) {
    if (value.isEmpty()) {
        target = QColor();
        return;
    }
    const QColor colour = QColor::fromString(value);
    if (colour.isValid())
        target = QColor(colour.rgb()); // opaque: a band or a page is never see-through
}

// A whole number, or nothing when the value is not one (then the default stays).
bool takeNumber(const QString& value, double* number) {
    return parseWholeNumber(value, number) && std::isfinite(*number);
}

void takeValue(const QString& key, const QString& value, ReadingLook& look) {
    double number = 0;
    if (key == QLatin1String("TYPEFACE")) {
        look.typeface = value;
    } else if (key == QLatin1String("BOLD")) {
        if (takeNumber(value, &number))
            look.bold = number != 0;
    } else if (key == QLatin1String("LETTERSPACING")) {
        if (takeNumber(value, &number))
            look.letterSpacing = int(std::clamp<double>(nearest(number), 0, kMaxLetterSpacing));
    } else if (key == QLatin1String("WORDSPACING")) {
        if (takeNumber(value, &number))
            look.wordSpacing = int(std::clamp<double>(nearest(number), 0, kMaxWordSpacing));
    } else if (key == QLatin1String("LINESPACING")) {
        if (takeNumber(value, &number))
            look.lineSpacing = number;
    } else if (key == QLatin1String("LINEWIDTH")) {
        if (takeNumber(value, &number))
            look.lineWidth = int(std::clamp<double>(nearest(number), 0, kMaxLineWidth));
    } else if (key == QLatin1String("DIALOGTYPESIZE")) {
        if (takeNumber(value, &number))
            look.dialogTypeSize = int(std::clamp<double>(nearest(number), 0, kMaxDialogTypeSize));
    } else if (key == QLatin1String("TEXTCOLOUR")) {
        takeColour(value, look.text);
    } else if (key == QLatin1String("BACKGROUNDCOLOUR")) {
        takeColour(value, look.background);
    } else if (key == QLatin1String("WORDBAND")) {
        takeColour(value, look.wordBand);
    } else if (key == QLatin1String("SENTENCEBAND")) {
        takeColour(value, look.sentenceBand);
    } else if (key == QLatin1String("HIGHLIGHT")) {
        for (int i = 0; i < 4; ++i)
            if (value.compare(QLatin1String(kHighlightNames[i]), Qt::CaseInsensitive) == 0)
                look.highlight = HighlightMode(i);
    }
}
} // namespace

bool ReadingLook::operator==(const ReadingLook& o) const {
    return typeface == o.typeface && bold == o.bold && letterSpacing == o.letterSpacing &&
           wordSpacing == o.wordSpacing && lineSpacing == o.lineSpacing &&
           lineWidth == o.lineWidth && sameColour(text, o.text) &&
           sameColour(background, o.background) && highlight == o.highlight &&
           sameColour(wordBand, o.wordBand) && sameColour(sentenceBand, o.sentenceBand) &&
           dialogTypeSize == o.dialogTypeSize;
}

const QList<LookPreset>& lookPresets() {
    static const QList<LookPreset> presets{
        {QStringLiteral("As designed"), QColor(), QColor(), QColor(), QColor()},
        {QStringLiteral("Cream"), QColor(QRgb(0x1e1e1e)), QColor(QRgb(0xfbf3dc)),
         QColor(QRgb(0xffd54a)), QColor(QRgb(0xf3e2a6))},
        {QStringLiteral("Dark"), QColor(QRgb(0xe8e8e8)), QColor(QRgb(0x1c1c1c)),
         QColor(QRgb(0x1f4e8c)), QColor(QRgb(0x2c3440))},
        {QStringLiteral("Yellow on black"), QColor(QRgb(0xffff00)), QColor(QRgb(0x000000)),
         QColor(QRgb(0x1c3fa8)), QColor(QRgb(0x262626))},
        {QStringLiteral("Blue tint"), QColor(QRgb(0x0a0a0a)), QColor(QRgb(0xdbe9f7)),
         QColor(QRgb(0xffdc5c)), QColor(QRgb(0xc2d8ef))},
    };
    return presets;
}

void applyPreset(ReadingLook& look, const LookPreset& preset) {
    look.text = preset.text;
    look.background = preset.background;
    look.wordBand = preset.wordBand;
    look.sentenceBand = preset.sentenceBand;
}

int matchingPreset(const ReadingLook& look) {
    const QList<LookPreset>& presets = lookPresets();
    for (int i = 0; i < presets.size(); ++i) {
        const LookPreset& p = presets[i];
        if (sameColour(look.text, p.text) && sameColour(look.background, p.background) &&
            sameColour(look.wordBand, p.wordBand) && sameColour(look.sentenceBand, p.sentenceBand))
            return i;
    }
    return -1;
}

QColor readAlongBand(const ReadingLook& look) {
    return look.sentenceBand.isValid() ? look.sentenceBand : look.wordBand;
}

ReadingLook clamped(ReadingLook look) {
    // A line break in a face's name could not be read back; such a name is no face anyway.
    look.typeface.replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    look.typeface = look.typeface.trimmed();
    look.letterSpacing = std::clamp(look.letterSpacing, 0, kMaxLetterSpacing);
    look.wordSpacing = std::clamp(look.wordSpacing, 0, kMaxWordSpacing);
    look.lineSpacing = std::isfinite(look.lineSpacing)
                           ? std::clamp(look.lineSpacing, kMinLineSpacing, kMaxLineSpacing)
                           : kMinLineSpacing;
    look.lineSpacing = nearest(look.lineSpacing * 100) / 100; // two decimals, as written
    if (look.lineWidth <= 0)
        look.lineWidth = 0;
    else
        look.lineWidth = std::clamp(look.lineWidth, kMinLineWidth, kMaxLineWidth);
    look.dialogTypeSize =
        look.dialogTypeSize <= 0
            ? 0
            : std::clamp(look.dialogTypeSize, kMinDialogTypeSize, kMaxDialogTypeSize);
    return look;
}

double dialogTypeSize(const ReadingLook& look, double readingTypeSize, double desktopSize) {
    const double wanted = look.dialogTypeSize > 0 ? double(look.dialogTypeSize) : readingTypeSize;
    const double low = std::min(desktopSize, double(kMaxDialogTypeSize));
    return std::isfinite(wanted) ? std::clamp(wanted, low, double(kMaxDialogTypeSize)) : low;
}

ReadingLook parseReadingLook(const QByteArray& bytes) {
    ReadingLook look;
    for (const QString& line : splitLines(decodeText(bytes))) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed().toUpper();
        takeValue(key, line.mid(equals + 1).trimmed(), look);
    }
    return clamped(look);
}

QByteArray formatReadingLook(const ReadingLook& given) {
    const ReadingLook look = clamped(given);
    QStringList lines;
    lines << QStringLiteral("TYPEFACE=") + look.typeface
          << QStringLiteral("BOLD=%1").arg(look.bold ? 1 : 0)
          << QStringLiteral("LETTERSPACING=%1").arg(look.letterSpacing)
          << QStringLiteral("WORDSPACING=%1").arg(look.wordSpacing)
          << QStringLiteral("LINESPACING=") + plainDecimal(look.lineSpacing, 3)
          << QStringLiteral("LINEWIDTH=%1").arg(look.lineWidth)
          << QStringLiteral("TEXTCOLOUR=") + colourText(look.text)
          << QStringLiteral("BACKGROUNDCOLOUR=") + colourText(look.background)
          << QStringLiteral("HIGHLIGHT=") + QLatin1String(kHighlightNames[int(look.highlight) & 3])
          << QStringLiteral("WORDBAND=") + colourText(look.wordBand)
          << QStringLiteral("SENTENCEBAND=") + colourText(look.sentenceBand)
          << QStringLiteral("DIALOGTYPESIZE=%1").arg(look.dialogTypeSize);
    // UTF-8 always: a file of this program's own, read back as UTF-8 whatever the face's name.
    return joinLinesCrLf(lines).toUtf8();
}

ReadingLook readReadingLookFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ReadingLook();
    return parseReadingLook(file.read(kMostBytesRead));
}

bool writeReadingLookFile(const QString& path, const ReadingLook& look, QString* error) {
    return writeFileAtomically(path, formatReadingLook(look), error);
}

} // namespace orasent
