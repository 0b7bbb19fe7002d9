#pragma once
// Builds a speech window on the scripted engine in a fresh working folder, and finds its
// controls by their accessible names.
#include "FakePrompts.h"
#include "FakeVoice.h"
#include "speech/ui/TTSSetup.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace orasent::test {

template <typename T>
T* control(const QWidget* window, const QString& accessibleName) {
    for (T* candidate : window->findChildren<T*>())
        if (candidate->accessibleName() == accessibleName)
            return candidate;
    return nullptr;
}

inline QAction* menuAction(const QWidget* window, const QString& objectName) {
    return window->findChild<QAction*>(objectName);
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

inline QByteArray readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// One window per test: a temporary working folder, the fake engine (scripted before the load by
// `setUpVoice`), the fake prompts. The window's own timer is stopped after the load; tests call
// Timer1_Timer themselves.
class SpeechWindowFixture {
public:
    std::function<void(FakeVoice&)> setUpVoice;
    FakePrompts prompts;
    FakeVoice* voice = nullptr;
    std::unique_ptr<TTSSetup> window;
    QTemporaryDir folder;
    QString previousFolder = QDir::currentPath();

    SpeechWindowFixture() { QDir::setCurrent(folder.path()); }
    ~SpeechWindowFixture() {
        window.reset();
        QDir::setCurrent(previousFolder);
    }

    QString path(const QString& name) const { return folder.filePath(name); }

    TTSSetup& create() {
        window = std::make_unique<TTSSetup>(
            [this]() -> std::unique_ptr<SpVoice> {
                auto fake = std::make_unique<FakeVoice>();
                if (setUpVoice)
                    setUpVoice(*fake);
                voice = fake.get();
                return fake;
            },
            prompts);
        return *window;
    }

    TTSSetup& load() {
        TTSSetup& w = window ? *window : create();
        w.Form_Load();
        w.Timer1()->stop();
        return w;
    }
};

inline void setClipboard(const QString& text) { QGuiApplication::clipboard()->setText(text); }
inline QString clipboard() { return QGuiApplication::clipboard()->text(); }

} // namespace orasent::test
