#pragma once
// Both windows as the program wires them, on the scripted engine, in a fresh working folder, and
// what assistive technology finds in them and is told.
#include "FakePrompts.h"
#include "FakeVoice.h"
#include "LoadWaiting.h"
#include "common/ui/Accessibility.h"
#include "reader/ui/EnglishF.h"
#include "reader/ui/SecondsF.h"
#include "speech/ui/TTSSetup.h"

#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace orasent::test {

// Both windows as the program wires them, on the scripted engine, in a fresh working folder.
struct Windows {
    QTemporaryDir folder;
    QString previousFolder = QDir::currentPath();
    FakePrompts prompts;
    FakeVoice* voice = nullptr;
    std::unique_ptr<TTSSetup> tts;
    std::unique_ptr<EnglishF> reader;

    Windows() {
        QDir::setCurrent(folder.path());
        QFile pool(QStringLiteral("Tech Pool.txt"));
        if (pool.open(QIODevice::WriteOnly))
            pool.write("First sentence. Second one. ");
        pool.close();
        tts = std::make_unique<TTSSetup>(
            [this] {
                auto fake = std::make_unique<FakeVoice>();
                voice = fake.get();
                return fake;
            },
            prompts);
        reader = std::make_unique<EnglishF>(*tts, prompts);
        reader->setHandOverWait(0);
        reader->loadWindow();
        orasent::test::waitForLoad(*reader);
        tts->Timer1()->stop();
        // The start-up text is taken and heard to its end: the windows are idle.
        QCoreApplication::processEvents();
        if (voice && voice->currentStream())
            voice->speakThrough();
    }
    ~Windows() {
        reader.reset();
        tts.reset();
        QDir::setCurrent(previousFolder);
    }

    QWidget* window(const QString& which) {
        if (which == QLatin1String("speech"))
            return tts.get();
        if (which == QLatin1String("seconds")) {
            if (!reader->pauseDialog())
                reader->findChild<QAction*>(QStringLiteral("Secs"))->trigger();
            return reader->pauseDialog();
        }
        return reader.get();
    }
    // Shown and active, so that focus and shortcuts work as for a user.
    QWidget* activeWindow(const QString& which) {
        QWidget* w = window(which);
        w->show();
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w))
            qWarning("window not active");
        return w;
    }
};

// Every accessible object under `root`, menus and their items included.
inline void collect(QAccessibleInterface* iface, QList<QAccessibleInterface*>& found,
                    int depth = 0) {
    if (!iface || depth > 12 || found.contains(iface))
        return;
    found << iface;
    for (int i = 0; i < iface->childCount(); ++i)
        collect(iface->child(i), found, depth + 1);
}

inline QList<QAccessibleInterface*> everything(QWidget* window) {
    QList<QAccessibleInterface*> found;
    collect(QAccessible::queryAccessibleInterface(window), found);
    return found;
}

inline QAccessibleInterface* find(QWidget* window, const QString& objectName) {
    for (QAccessibleInterface* iface : everything(window))
        if (iface->object() && iface->object()->objectName() == objectName)
            return iface;
    return nullptr;
}

// What assistive technology is told while this exists.
class Events {
public:
    Events() {
        setAccessibleEventObserver([this](QAccessibleEvent& event) {
            if (event.type() == QAccessible::TextInserted)
                m_inserted.append({event.object(),
                                   static_cast<QAccessibleTextInsertEvent&>(event).textInserted()});
            else if (event.type() == QAccessible::TextUpdated)
                m_inserted.append({event.object(),
                                   static_cast<QAccessibleTextUpdateEvent&>(event).textInserted()});
        });
    }
    ~Events() { setAccessibleEventObserver({}); }
    // The texts inserted into `object`, by insert and update events.
    QStringList inserted(QObject* object) const {
        QStringList texts;
        for (const auto& [source, text] : m_inserted)
            if (source == object)
                texts << text;
        return texts;
    }

private:
    QList<QPair<QObject*, QString>> m_inserted;
};

} // namespace orasent::test
