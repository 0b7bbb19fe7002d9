#pragma once
// A speech window on the scripted engine in a fresh working folder; controls found by object name.
#include "FakePrompts.h"
#include "FakeVoice.h"
#include "FileBytes.h"
#include "speech/ui/TTSSetup.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

namespace orasent::test {

template <typename T> T* control(const QWidget* window, const QString& objectName) {
    return window->findChild<T*>(objectName);
}

inline QAction* menuAction(const QWidget* window, const QString& objectName) {
    return window->findChild<QAction*>(objectName);
}

inline QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void setClipboard(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

// The engine is scripted before the load by `setUpVoice`. The window's own timer is stopped after
// the load; tests call onSpeakingTick themselves.
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
        w.loadWindow();
        w.Timer1()->stop();
        return w;
    }

    QPlainTextEdit* mainText() const { return control<QPlainTextEdit>(window.get(), "MainTxtBox"); }
    QPlainTextEdit* talkBox() const { return control<QPlainTextEdit>(window.get(), "TalkBox"); }
    void click(const char* name) const { control<QPushButton>(window.get(), name)->click(); }
    // A user's choice in one of the lists.
    void choose(const char* name, int index) const {
        auto* box = control<QComboBox>(window.get(), name);
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    // The texts given to the engine, with "<stop>" where it was stopped.
    QStringList spoken() const {
        QStringList texts;
        for (qsizetype i = 0, stop = 0; i <= voice->calls.size(); ++i) {
            for (; stop < voice->stops.size() && voice->stops.at(stop) == i; ++stop)
                texts << QStringLiteral("<stop>");
            if (i < voice->calls.size())
                texts << voice->calls.at(i).text;
        }
        return texts;
    }
};

} // namespace orasent::test
