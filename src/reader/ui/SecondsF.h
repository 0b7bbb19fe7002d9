#pragma once
// The pause dialog "Seconds": the pause between sentences of continuous play, in whole seconds.
// Not modal; it exists while it is shown and deletes itself when closed.
#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace orasent {

class ReaderModel;
class UserPrompts;

class SecondsF : public QWidget {
    Q_OBJECT
public:
    // `applyPause` sets the reader's pause timer from a saved number of seconds (0 stops it).
    SecondsF(ReaderModel& model, UserPrompts& prompts, std::function<void(int)> applyPause,
             QWidget* parent = nullptr);

private:
    void showSavedPause();
    void onSavePressed();  // Command2
    void onClosePressed(); // Command1

    ReaderModel& m_model;
    UserPrompts& m_prompts;
    std::function<void(int)> m_applyPause;
    QLabel* m_label1 = nullptr;
    QLineEdit* m_text1 = nullptr;
    QPushButton* m_command1 = nullptr;
    QPushButton* m_command2 = nullptr;
};

} // namespace orasent
