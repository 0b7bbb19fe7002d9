#pragma once
// A reader window in a fresh working folder, with a stand-in speech window and scripted prompts.
#include "FakePrompts.h"
#include "reader/ui/EnglishF.h"
#include "speech/SpeechWindow.h"

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
#include <QWidget>
#include <memory>

namespace orasent::test {

// A stand-in for the speech setup window: a real speak box and Speak button, and counters for
// what the reader asks of it.
class FakeSpeechWindow : public SpeechWindow {
public:
    FakeSpeechWindow() : m_speakBox(&m_window), m_speakButton(&m_window) { m_speakBox.setMaxLength(1 << 30); }

    QLineEdit* SPKBX() const override { return &m_speakBox; }
    QPushButton* SpeakBtn() const override { return &m_speakButton; }
    void StopVoice() override { ++stopVoiceCalls; }
    void Form_Load() override { ++loadCalls; }
    void showWindow() override { ++showCalls; }
    void Form_Unload() override { ++unloadCalls; }
    void setReaderSentenceBox(QPlainTextEdit* text1) override { sentenceBox = text1; }

    void setSpeaking(bool speaking) { m_speakButton.setEnabled(!speaking); }
    QString spoken() const { return m_speakBox.text(); }

    int stopVoiceCalls = 0, loadCalls = 0, showCalls = 0, unloadCalls = 0;
    QPlainTextEdit* sentenceBox = nullptr;

private:
    QWidget m_window;
    mutable QLineEdit m_speakBox;
    mutable QPushButton m_speakButton;
};

// A control of `parent` found by its object name, the name the code gives it.
template <class T> T* control(QWidget& parent, const QString& objectName) {
    for (T* candidate : parent.findChildren<T*>())
        if (candidate->objectName() == objectName)
            return candidate;
    return nullptr;
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size());
}

class ReaderWindowFixture {
public:
    ReaderWindowFixture() : m_previousFolder(QDir::currentPath()) { QDir::setCurrent(m_folder.path()); }
    ~ReaderWindowFixture() {
        reader.reset();
        QDir::setCurrent(m_previousFolder);
    }

    // A new reader window; "Tech Pool.txt" holds `techPool` unless it exists or that is null.
    EnglishF& open(bool show = true, const QByteArray& techPool = "One. Two. Three. Four. ") {
        if (!techPool.isNull() && !QFile::exists("Tech Pool.txt"))
            writeFile("Tech Pool.txt", techPool);
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

    ReaderModel& model() { return reader->model(); }
    QPlainTextEdit* text1() { return control<QPlainTextEdit>(*reader, "Text1"); }
    QLineEdit* text2() { return control<QLineEdit>(*reader, "Text2"); }
    QPushButton* command(int n) { return control<QPushButton>(*reader, QString("Command%1").arg(n)); }
    QTimer* timer1() { return reader->findChild<QTimer*>("Timer1"); }
    QAction* action(const char* name) { return reader->findChild<QAction*>(name); }
    void click(int n) { QTest::mouseClick(command(n), Qt::LeftButton); }
    void talk(Qt::MouseButton button = Qt::LeftButton) { QTest::mousePress(command(3), button); }
    // Clicks a top-level item of the menu bar.
    void clickMenuBar(const char* name) {
        const QRect where = reader->menuBar()->actionGeometry(action(name));
        QVERIFY(where.isValid());
        QTest::mouseClick(reader->menuBar(), Qt::LeftButton, {}, where.center());
    }

    FakeSpeechWindow tts;
    FakePrompts prompts;
    std::unique_ptr<EnglishF> reader;

private:
    QTemporaryDir m_folder;
    QString m_previousFolder;
};

} // namespace orasent::test
