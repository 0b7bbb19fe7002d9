#include "reader/ui/SleepTimerMenu.h"

#include "reader/ReaderModel.h"
#include "reader/ui/ReaderStatusLine.h"
#include "speech/SpeakingCore.h"
#include "speech/SpeechWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QElapsedTimer>
#include <QMenu>

namespace orasent {

namespace {
const QString kStatusKey = QStringLiteral("sleep");

std::int64_t steadyMilliseconds() {
    static QElapsedTimer started = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return started.elapsed();
}
} // namespace

SleepTimerMenu::SleepTimerMenu(ReaderModel& model, SpeechWindow& tts, ReaderStatusLine& status,
                               QMenu& tools, QObject* parent)
    : QObject(parent), m_model(model), m_tts(tts), m_status(status), m_timer(steadyMilliseconds) {
    setObjectName(QStringLiteral("SleepTimer"));
    m_tick.setInterval(1000);
    connect(&m_tick, &QTimer::timeout, this, &SleepTimerMenu::check);
    // The end of each sentence is where reading may stop.
    connect(&m_tts.speakingCore(), &SpeakingCore::speakingStateApplied, this, [this](bool on) {
        if (!on)
            check();
    });
    addMenu(tools);
}

void SleepTimerMenu::addMenu(QMenu& tools) {
    QMenu* menu = tools.addMenu(QStringLiteral("Stop Reading &After…"));
    menu->setObjectName(QStringLiteral("StopReadingAfter"));
    menu->menuAction()->setObjectName(QStringLiteral("StopReadingAfter"));
    m_group = new QActionGroup(menu);
    auto add = [&](const QString& caption, const QString& name, int minutes) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        action->setCheckable(true);
        m_group->addAction(action);
        connect(action, &QAction::triggered, this, [this, minutes] { choose(minutes); });
        return action;
    };
    for (const int minutes : SleepTimer::kChoices)
        add(QStringLiteral("%1 Minutes").arg(minutes), QStringLiteral("SleepAfter%1").arg(minutes),
            minutes);
    add(QStringLiteral("End of the &Chapter"), QStringLiteral("SleepChapterEnd"), 0);
    menu->addSeparator();
    add(QStringLiteral("&Don't Stop"), QStringLiteral("SleepOff"), -1)->setChecked(true);
}

void SleepTimerMenu::setClock(SleepTimer::Clock clock) {
    m_timer = SleepTimer(std::move(clock));
    m_tick.stop();
    m_ticksOwn = false;
}

void SleepTimerMenu::choose(int minutes) {
    if (minutes > 0) {
        m_timer.setMinutes(minutes);
    } else if (minutes == 0) {
        // Where the chapter being read ends; a text without contents is one chapter.
        const double at = m_model.lastPos() > 0 ? m_model.lastPos() : 1;
        const auto chapter = m_model.chapterAt(at);
        m_timer.setChapterEnd(chapter ? chapter->end : 0);
    } else {
        m_timer.cancel();
    }
    const QString name = minutes > 0    ? QStringLiteral("SleepAfter%1").arg(minutes)
                         : minutes == 0 ? QStringLiteral("SleepChapterEnd")
                                        : QStringLiteral("SleepOff");
    for (QAction* action : m_group->actions())
        action->setChecked(action->objectName() == name);
    m_tts.handOver(m_timer.choiceSpoken());
    if (m_timer.mode() != SleepTimer::Mode::Off && m_ticksOwn)
        m_tick.start();
    check();
}

void SleepTimerMenu::check() {
    if (m_timer.mode() == SleepTimer::Mode::Off) {
        end();
        return;
    }
    m_status.setPart(kStatusKey, m_timer.statusText());
    if (!m_timer.isDue(m_model.nextPos()))
        return;
    if (m_model.playMode() == ReaderModel::PlayMode::Off) {
        // Nothing to stop; a minute timer that ran out while reading was off is done.
        if (m_timer.mode() == SleepTimer::Mode::Minutes)
            end();
        return;
    }
    if (!m_tts.isIdle())
        return; // the sentence being heard ends first
    m_model.stop();
    end();
}

void SleepTimerMenu::end() {
    m_timer.cancel();
    m_tick.stop();
    m_status.setPart(kStatusKey, QString());
    for (QAction* action : m_group->actions())
        action->setChecked(action->objectName() == QLatin1String("SleepOff"));
}

} // namespace orasent
