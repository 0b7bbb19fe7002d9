#pragma once
// "Stop Reading After…": continuous play ends once a number of minutes has passed, or at the end
// of the chapter, after the sentence being read.
#include <QString>
#include <cstdint>
#include <functional>

namespace orasent {

class SleepTimer {
public:
    enum class Mode { Off, Minutes, ChapterEnd };
    using Clock = std::function<std::int64_t()>; // monotonic milliseconds

    explicit SleepTimer(Clock clock);

    // The choices offered, in minutes.
    static constexpr int kChoices[] = {5, 10, 15, 30, 45, 60};

    void setMinutes(int minutes);
    // `end`: the 1-based BookText position where the next chapter begins; 0 for the text's end.
    void setChapterEnd(double end);
    void cancel();
    Mode mode() const { return m_mode; }

    // Whether continuous play must not start the sentence at `nextPos`.
    bool isDue(double nextPos) const;
    // Minutes left, counting a part of a minute as a whole one (Minutes mode; else 0).
    int minutesLeft() const;

    // The status line's text ("Reading stops in 12 minutes"); empty when off.
    QString statusText() const;
    // What is said when the choice is made.
    QString choiceSpoken() const;

private:
    Clock m_clock;
    Mode m_mode = Mode::Off;
    std::int64_t m_deadline = 0;
    double m_chapterEnd = 0;
};

} // namespace orasent
