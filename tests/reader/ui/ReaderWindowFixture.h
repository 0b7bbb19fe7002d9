#pragma once
// A reader window in a fresh working folder, with a stand-in speech window and scripted prompts.
#include "FakePrompts.h"
#include "FakeSpeechWindow.h"
#include "reader/ui/EnglishF.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace orasent::test {

// A control of `parent` found the way a screen reader finds it: by its accessible name.
template <class T> T* control(QWidget& parent, const QString& accessibleName) {
    const QList<T*> all = parent.findChildren<T*>();
    for (T* candidate : all) {
        if (candidate->accessibleName() == accessibleName)
            return candidate;
    }
    return nullptr;
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

class ReaderWindowFixture {
public:
    ReaderWindowFixture() {
        QVERIFY(m_folder.isValid());
        m_previousFolder = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_folder.path()));
    }
    ~ReaderWindowFixture() {
        reader.reset();
        QDir::setCurrent(m_previousFolder);
    }

    QString folder() const { return m_folder.path(); }

    // A new reader window, loaded (and shown, if asked) in the working folder.
    EnglishF& open(bool show = true) {
        reader = std::make_unique<EnglishF>(tts, prompts);
        reader->setHandOverWait(20);
        reader->Form_Load();
        if (show) {
            reader->show();
            if (!QTest::qWaitForWindowActive(reader.get()))
                qWarning("reader window not active");
        }
        return *reader;
    }

    QPlainTextEdit* text1() { return control<QPlainTextEdit>(*reader, QStringLiteral("Text1")); }
    QLineEdit* text2() { return control<QLineEdit>(*reader, QStringLiteral("Text2")); }
    QPushButton* command(int n) {
        return control<QPushButton>(*reader, QStringLiteral("Command%1").arg(n));
    }
    QTimer* timer1() { return reader->findChild<QTimer*>(QStringLiteral("Timer1")); }
    QAction* action(const char* name) {
        return reader->findChild<QAction*>(QString::fromLatin1(name));
    }
    // Clicks a top-level item of the menu bar.
    void clickMenuBar(const char* name) {
        QMenuBar* bar = reader->menuBar();
        QAction* item = action(name);
        QVERIFY(item);
        const QRect where = bar->actionGeometry(item);
        QVERIFY(where.isValid());
        QTest::mouseClick(bar, Qt::LeftButton, {}, where.center());
    }

    FakeSpeechWindow tts;
    FakePrompts prompts;
    std::unique_ptr<EnglishF> reader;

private:
    QTemporaryDir m_folder;
    QString m_previousFolder;
};

} // namespace orasent::test
