#pragma once
// The system's audio outputs, the default one first, then by name. Enumerated once and again only
// when the system's list changes (or a device is found gone), never per text spoken on the
// application's thread.
//
// The list and the QMediaDevices that reports its changes live on the application's thread and
// go with the application object (a post routine), while Qt Multimedia and its PulseAudio
// context are still there: a QMediaDevices left to static destruction reaches for a media
// backend that is gone (libpulse asserts on the way out). Without an application object, or
// off its thread, every call enumerates afresh.
#include <QAudioDevice>
#include <QList>
#include <QObject>

class QMediaDevices;

namespace orasent {

class AudioOutputs : public QObject {
    Q_OBJECT
public:
    // The outputs as last enumerated (again while there are none).
    static QList<QAudioDevice> list();
    // The one with this id, or a null device.
    static QAudioDevice find(const QByteArray& id);
    // How often the system's list has been read in this process (for tests and benchmarks).
    static int enumerations();
    // From any thread: a device was found gone; the list is read again on the application's
    // thread. (Qt 6.4's PulseAudio backend drops a removed sink without audioOutputsChanged.)
    static void markStale();
    // On the audio thread, right before a sink starts: `device` if the system still lists it,
    // else the default output (null when there is none), and the list is marked stale. A sink
    // started on a sink the server has removed waits for good in pa_threaded_mainloop_wait.
    static QAudioDevice stillListed(const QAudioDevice& device);

private:
    explicit AudioOutputs(QObject* parent = nullptr);
    static AudioOutputs* instance();
    static QList<QAudioDevice> enumerate();
    void refresh();

    QMediaDevices* m_devices;
    QList<QAudioDevice> m_list;
};

} // namespace orasent
