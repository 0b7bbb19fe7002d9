#pragma once
// A stand-in for the speech setup window: a real speak box and Speak button, and counters for
// what the reader asks of it.
#include "speech/SpeechWindow.h"

#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace orasent::test {

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

} // namespace orasent::test
