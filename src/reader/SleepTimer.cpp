#include "reader/SleepTimer.h"

namespace orasent {

namespace {
constexpr std::int64_t kMinuteMs = 60000;

QString minutesText(int minutes) {
    return minutes == 1 ? QStringLiteral("1 minute") : QStringLiteral("%1 minutes").arg(minutes);
}
} // namespace

SleepTimer::SleepTimer(Clock clock) : m_clock(std::move(clock)) {}

void SleepTimer::setMinutes(int minutes) {
    m_mode = Mode::Minutes;
    m_deadline = m_clock() + std::int64_t(minutes) * kMinuteMs;
}

void SleepTimer::setChapterEnd(double end) {
    m_mode = Mode::ChapterEnd;
    m_chapterEnd = end;
}

void SleepTimer::cancel() {
    m_mode = Mode::Off;
}

bool SleepTimer::isDue(double nextPos) const {
    switch (m_mode) {
    case Mode::Off:
        return false;
    case Mode::Minutes:
        return m_clock() >= m_deadline;
    case Mode::ChapterEnd:
        // The next sentence starts with the blank after the last period: it belongs to the next
        // chapter once that blank reaches the chapter's first character.
        return m_chapterEnd > 0 && nextPos + 1 >= m_chapterEnd;
    }
    return false;
}

int SleepTimer::minutesLeft() const {
    if (m_mode != Mode::Minutes)
        return 0;
    const std::int64_t left = m_deadline - m_clock();
    return left <= 0 ? 0 : int((left + kMinuteMs - 1) / kMinuteMs);
}

QString SleepTimer::statusText() const {
    switch (m_mode) {
    case Mode::Off:
        return QString();
    case Mode::Minutes:
        return minutesLeft() > 0
                   ? QStringLiteral("Reading stops in %1").arg(minutesText(minutesLeft()))
                   : QStringLiteral("Reading stops after this sentence");
    case Mode::ChapterEnd:
        return QStringLiteral("Reading stops at the end of the chapter");
    }
    return QString();
}

QString SleepTimer::choiceSpoken() const {
    switch (m_mode) {
    case Mode::Off:
        return QStringLiteral("Reading goes on without a stop.");
    case Mode::Minutes:
        return QStringLiteral("Reading stops after %1.").arg(minutesText(minutesLeft()));
    case Mode::ChapterEnd:
        return QStringLiteral("Reading stops at the end of the chapter.");
    }
    return QString();
}

} // namespace orasent
