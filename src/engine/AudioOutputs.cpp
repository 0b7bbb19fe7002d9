#include "engine/AudioOutputs.h"

#include <QCoreApplication>
#include <QMediaDevices>
#include <QThread>
#include <algorithm>
#include <atomic>

namespace orasent {

namespace {
std::atomic<int> g_enumerations{0};
AudioOutputs* g_instance = nullptr;

void deleteInstance() {
    delete g_instance;
    g_instance = nullptr;
}
} // namespace

AudioOutputs::AudioOutputs(QObject* parent) : QObject(parent), m_devices(new QMediaDevices(this)) {
    // Emitted on the media backend's thread as well as on this one: queued then.
    connect(m_devices, &QMediaDevices::audioOutputsChanged, this, &AudioOutputs::refresh);
    m_list = enumerate();
}

AudioOutputs* AudioOutputs::instance() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread())
        return nullptr;
    if (!g_instance) {
        g_instance = new AudioOutputs;
        qAddPostRoutine(deleteInstance);
    }
    return g_instance;
}

QList<QAudioDevice> AudioOutputs::enumerate() {
    ++g_enumerations;
    QList<QAudioDevice> devices = QMediaDevices::audioOutputs();
    std::stable_sort(
        devices.begin(), devices.end(), [](const QAudioDevice& a, const QAudioDevice& b) {
            if (a.isDefault() != b.isDefault())
                return a.isDefault();
            const int byName =
                QString::compare(a.description(), b.description(), Qt::CaseInsensitive);
            return byName != 0 ? byName < 0 : a.id() < b.id();
        });
    return devices;
}

void AudioOutputs::refresh() {
    m_list = enumerate();
}

QList<QAudioDevice> AudioOutputs::list() {
    AudioOutputs* self = instance();
    if (!self)
        return enumerate();
    // None yet: the sound server may have come up since without a word.
    if (self->m_list.isEmpty())
        self->m_list = enumerate();
    return self->m_list;
}

QAudioDevice AudioOutputs::find(const QByteArray& id) {
    for (const QAudioDevice& device : list())
        if (device.id() == id)
            return device;
    return {};
}

int AudioOutputs::enumerations() {
    return g_enumerations;
}

void AudioOutputs::markStale() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(
        app,
        [] {
            if (g_instance)
                g_instance->refresh();
        },
        Qt::QueuedConnection);
}

QAudioDevice AudioOutputs::stillListed(const QAudioDevice& device) {
    const QList<QAudioDevice> listed = QMediaDevices::audioOutputs();
    if (listed.contains(device))
        return device;
    markStale();
    return QMediaDevices::defaultAudioOutput();
}

} // namespace orasent
