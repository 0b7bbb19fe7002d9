#pragma once
// SIGTERM, SIGHUP and SIGINT become a quit request on the event loop (through a socket pair the
// handler writes one byte to); a second one while the first is handled ends the program at once.
#include <QObject>

class QSocketNotifier;

namespace orasent {

class QuitSignals : public QObject {
    Q_OBJECT
public:
    // One per program; installs the handlers.
    explicit QuitSignals(QObject* parent = nullptr);
    ~QuitSignals() override;

    bool isInstalled() const { return m_notifier != nullptr; }

signals:
    void quitRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace orasent
