#pragma once
// A reader window in a fresh working folder, with a stand-in speech window and scripted prompts.
#include "FakePrompts.h"
#include "reader/ui/EnglishF.h"
#include "speech/SpeakingCore.h"
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
#include <functional>
#include <memory>

namespace orasent::test {

// A stand-in for the speech setup window: a speak box, an idle flag, a speaking core without a
// voice (tests raise its signals), and counters for what the reader asks of it.
class FakeSpeechWindow : public SpeechWindow {
public:
    void handOver(const QString& text) override { m_speakBox = text; }
    bool isIdle() const override { return !m_speaking; }
    void StopVoice() override { ++stopVoiceCalls; }
    SpeakingCore& speakingCore() override { return core; }
    void loadWindow() override { ++loadCalls; }
    void showWindow() override { ++showCalls; }
    void unloadWindow() override { ++unloadCalls; }
    void setReaderSentenceBox(QPlainTextEdit* text1) override { sentenceBox = text1; }
    int stepRate(int delta) override {
        rate = qBound(-10, rate + delta, 10);
        return rate;
    }

    void setSpeaking(bool speaking) { m_speaking = speaking; }
    QString spoken() const { return m_speakBox; }
    void takeSpeakBox() { m_speakBox.clear(); } // as the speech window's pickup does

    int stopVoiceCalls = 0, loadCalls = 0, showCalls = 0, unloadCalls = 0, rate = 0;
    QPlainTextEdit* sentenceBox = nullptr;
    SpeakingCore core;

private:
    QString m_speakBox;
    bool m_speaking = false;
};

// A control of `parent` found by its object name (the control's name in the code).
template <class T> T* control(QWidget& parent, const QString& objectName) {
    return parent.findChild<T*>(objectName);
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
            file.write(bytes) == bytes.size());
}

class ReaderWindowFixture {
public:
    ReaderWindowFixture() : m_previousFolder(QDir::currentPath()) {
        QDir::setCurrent(m_folder.path());
    }
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
        reader->setLoadingInBackground(false); // tests of loading turn it back on
        if (beforeLoad)
            beforeLoad(*reader);
        reader->loadWindow();
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
    QPushButton* command(int n) {
        return control<QPushButton>(*reader, QString("Command%1").arg(n));
    }
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
    std::function<void(EnglishF&)> beforeLoad; // runs between construction and loadWindow
    std::unique_ptr<EnglishF> reader;

private:
    QTemporaryDir m_folder;
    QString m_previousFolder;
};

} // namespace orasent::test
