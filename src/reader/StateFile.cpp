#include "reader/StateFile.h"

#include "common/AtomicFile.h"
#include "common/Numbers.h"
#include "common/TextCodec.h"
#include "common/TextLines.h"
#include "reader/ReaderModel.h"

#include <QFile>

#include <algorithm>
#include <cmath>

namespace orasent {

namespace {

constexpr int kLineCount = 108;
// A state file is a few kilobytes; anything past this is not read.
constexpr qint64 kMostBytesRead = qint64(1) << 20;

constexpr int kLineNextPos = 1;
constexpr int kLineLastPos = 2;
constexpr int kLineFontSize = 3;
constexpr int kLineFirstBookmark = 4;
constexpr int kLineBookNum = 104;
constexpr int kLineFileName = 105;
constexpr int kLineSeconds = 106;
constexpr int kLineReservedNum = 108;

std::optional<double> positiveValue(const QString& line) {
    const double value = numericPrefix(line);
    if (value > 0)
        return value;
    return std::nullopt;
}

// A positive value rounded and clamped into lowest..highest.
std::optional<int> positiveWhole(const QString& line, int lowest, int highest) {
    const auto value = positiveValue(line);
    if (!value)
        return std::nullopt;
    return int(std::clamp<std::int64_t>(nearestInt(*value), lowest, highest));
}

} // namespace

SavedReadingState readStateFile(const QString& path) {
    SavedReadingState state;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return state;
    QByteArray bytes = file.read(kMostBytesRead);
    if (bytes.size() == kMostBytesRead && !file.atEnd()) {
        // Only whole lines of an oversized file: cut after its last CR.
        const qsizetype lastCr = bytes.lastIndexOf('\r');
        bytes.truncate(lastCr < 0 ? 0 : lastCr + 1);
    }
    const QStringList lines = splitLines(decodeText(bytes));
    const int count = int(std::min<qsizetype>(lines.size(), kLineCount));
    for (int number = 1; number <= count; ++number) {
        const QString& line = lines[number - 1];
        if (number == kLineNextPos) {
            state.nextPos = positiveValue(line);
        } else if (number == kLineLastPos) {
            state.lastPos = positiveValue(line);
        } else if (number == kLineFontSize) {
            state.fontSize = positiveValue(line);
        } else if (number < kLineBookNum) {
            state.bookMarks[number - kLineFirstBookmark + 1] = positiveValue(line);
        } else if (number == kLineBookNum) {
            state.bookNum = positiveWhole(line, 0, 100);
        } else if (number == kLineFileName) {
            state.fileName = line;
        } else if (number == kLineSeconds) {
            state.timerLineRead = true;
            state.seconds = positiveWhole(line, 0, ReaderModel::kMaxSeconds);
        } else if (number == kLineReservedNum) {
            state.reservedNum = positiveWhole(line, 0, 32767);
        }
    }
    return state;
}

void applyState(const SavedReadingState& state, ReaderModel& model) {
    if (state.nextPos)
        model.setNextPos(*state.nextPos);
    if (state.lastPos)
        model.setLastPos(*state.lastPos);
    for (int slot = 1; slot <= 100; ++slot)
        if (state.bookMarks[slot])
            model.setBookMarkAt(slot, *state.bookMarks[slot]);
    if (state.bookNum)
        model.setBookNum(*state.bookNum);
    if (state.fileName)
        model.setFileName(*state.fileName);
    if (state.seconds)
        model.setSeconds(*state.seconds);
    if (state.reservedNum)
        model.setReservedNum(*state.reservedNum);
}

QByteArray formatStateFile(const ReaderModel& model, double fontSize) {
    QStringList lines;
    lines.reserve(kLineCount);
    lines << formatStateNumber(model.lastPos()) << formatStateNumber(model.lastPos());
    // The type size is kept to four decimals.
    lines << formatStateNumber(std::round(fontSize * 10000) / 10000);
    for (int slot = 1; slot <= 100; ++slot)
        lines << formatStateNumber(model.bookMarks()[slot]);
    lines << formatStateNumber(model.bookNum());
    lines << model.fileName();
    lines << QString::number(std::clamp(model.seconds(), 0, ReaderModel::kMaxSeconds));
    lines << QString();
    lines << formatStateNumber(model.reservedNum());
    return encodeText(joinLinesCrLf(lines));
}

bool writeStateFile(const QString& path, const ReaderModel& model, double fontSize,
                    QString* error) {
    return writeFileAtomically(path, formatStateFile(model, fontSize), error);
}

} // namespace orasent
