#pragma once
// A reader port for tests: it records every call in order and plays the speech window's idle
// state as the test sets it.
#include "reader/ReaderPort.h"

#include <QStringList>

namespace orasent::test {

class RecordingReaderPort : public ReaderPort {
public:
    void StopVoice() override {
        ++stopVoiceCalls;
        log << QStringLiteral("StopVoice");
    }
    void handOver(const QString& text) override {
        handedOver << text;
        log << QStringLiteral("handOver:") + text;
    }
    bool speechIdle() const override { return idle; }
    QString sentenceText() const override { return text1; }
    void setSentenceText(const QString& text) override {
        text1 = text;
        log << QStringLiteral("setSentenceText");
    }
    void focusSentenceBox() override {
        ++focusMoves;
        log << QStringLiteral("focus");
    }
    void showPathBox(const QString& path) override {
        text2 = path;
        log << QStringLiteral("showPathBox:") + path;
    }
    void showMessage(const QString& text) override {
        messages << text;
        log << QStringLiteral("message:") + text;
    }

    QString lastHandedOver() const { return handedOver.isEmpty() ? QString() : handedOver.constLast(); }
    void clear() {
        handedOver.clear();
        messages.clear();
        log.clear();
        stopVoiceCalls = 0;
        focusMoves = 0;
    }

    bool idle = true;
    QString text1;
    QString text2;
    QStringList handedOver;
    QStringList messages;
    QStringList log;
    int stopVoiceCalls = 0;
    int focusMoves = 0;
};

} // namespace orasent::test
