#pragma once
// "Orasent.txt": the reading state kept between runs, 108 lines.
#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

namespace orasent {

class ReaderModel;

struct SavedReadingState {
    std::optional<double> nextPos, lastPos, fontSize;
    std::array<std::optional<double>, 101> bookMarks{}; // 1..100
    std::optional<int> bookNum;                         // clamped to 0..100
    std::optional<QString> fileName;                    // line 105, taken whenever present
    std::optional<int> seconds;                         // line 106 when > 0, clamped to 0..32
    bool timerLineRead =
        false; // line 106 existed: timer interval := Seconds*1000 (0 = timer stopped)
    std::optional<int> reservedNum;
};

SavedReadingState
readStateFile(const QString& path); // never fails; missing/short/garbage leaves values unset
void applyState(const SavedReadingState& state, ReaderModel& model);
QByteArray formatStateFile(const ReaderModel& model, double fontSize); // the 108 lines, CR LF each
bool writeStateFile(const QString& path, const ReaderModel& model, double fontSize,
                    QString* error); // atomic

} // namespace orasent
