#pragma once
// "Read from Screen": the reader window steps aside, the user drags a rectangle over a picture
// of the screen, and its text is recognised off the GUI thread, then shown and spoken.
#include "reader/ui/ScreenSelection.h"
#include "recognition/PictureReading.h"

#include <QFutureWatcher>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>

class QProgressDialog;
class QWidget;

namespace orasent {

class ScreenReading : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        QWidget* window = nullptr;                 // the reader window, hidden meanwhile
        std::function<void(const QString&)> show;  // into the sentence box
        std::function<void(const QString&)> speak; // into the speak box
        std::function<QString()> voiceLanguage;    // the chosen voice's language
    };
    enum class State { Idle, Hiding, Selecting, Reading };

    ScreenReading(Hooks hooks, QObject* parent = nullptr);
    ~ScreenReading() override;

    // The menu command.
    void start();
    // The grab, once the window has gone (start() arranges it; tests call it at once).
    void grabAndSelect();
    // Waits for a running recognition and delivers it now (tests).
    void finishReading();

    State state() const { return m_state; }
    ScreenSelection* selection() const { return m_selection; }

    // Milliseconds between hiding the window and the grab, for the desktop to redraw.
    static constexpr int kStepAsideMs = 350;

private:
    void pictureTaken(const QImage& picture, int dotsPerInch, const QString& error);
    void read(const QImage& part, int dotsPerInch);
    void deliver(const PictureReading& reading);
    void backToReader();

    Hooks m_hooks;
    State m_state = State::Idle;
    QImage m_picture;
    int m_dotsPerInch = 96;
    QPointer<ScreenSelection> m_selection;
    QFutureWatcher<PictureReading> m_watcher;
    QPointer<QProgressDialog> m_progress;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    RecognitionLanguage m_language;
};

} // namespace orasent
