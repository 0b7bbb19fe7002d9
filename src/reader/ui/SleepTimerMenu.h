#pragma once
// Tools > "Stop Reading After…": the sleep timer's menu, its time left in the status line, and
// the stop of continuous play after the sentence being read when it is due.
#include "reader/SleepTimer.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

class QActionGroup;
class QMenu;

namespace orasent {

class ReaderModel;
class ReaderStatusLine;
class SpeechWindow;

class SleepTimerMenu : public QObject {
    Q_OBJECT
public:
    SleepTimerMenu(ReaderModel& model, SpeechWindow& tts, ReaderStatusLine& status, QMenu& tools,
                   QObject* parent);

    // For tests: a clock of their own; then check() is theirs to call.
    void setClock(SleepTimer::Clock clock);

    // `minutes` one of SleepTimer::kChoices; 0 the end of the chapter; -1 off. Spoken.
    void choose(int minutes);
    // One look: the time left shown; continuous play stopped when due and nothing is heard.
    void check();
    const SleepTimer& timer() const { return m_timer; }

private:
    void addMenu(QMenu& tools);
    void end();

    ReaderModel& m_model;
    SpeechWindow& m_tts;
    ReaderStatusLine& m_status;
    SleepTimer m_timer;
    QTimer m_tick;
    QActionGroup* m_group = nullptr;
    bool m_ticksOwn = true; // false: the test's clock, and its calls of check()
};

} // namespace orasent
