#pragma once
// A reader port for tests: records every call in order; `idle` plays the speech window's state.
#include "reader/ReaderPort.h"

#include <QStringList>
#include <optional>

namespace orasent::test {

class RecordingReaderPort : public ReaderPort {
public:
    void StopVoice() override { log << "StopVoice"; }
    void handOver(const QString& text) override { handedOver << text, log << "handOver:" + text; }
    void prepareHandOver(const QString& text) override { prepared << text; }
    bool speechIdle() const override { return idle; }
    void setSentenceText(const QString& text) override { text1 = text, log << "setSentenceText"; }
    void focusSentenceBox() override { log << "focus"; }
    void showPathBox(const QString& path) override { text2 = path; }
    void showMessage(const QString& text) override { messages << text; }
    DocumentLoad loadText(const QString& path) override {
        return scriptedLoad ? *scriptedLoad : ReaderPort::loadText(path);
    }
    QString voiceName() const override { return voice; }
    void chooseVoice(const QString& name) override { voice = name, log << "chooseVoice:" + name; }

    int count(const QString& call) const { return log.count(call); }
    QString lastHandedOver() const { return handedOver.value(handedOver.size() - 1); }
    void clear() { handedOver.clear(), messages.clear(), log.clear(); }

    bool idle = true;
    std::optional<DocumentLoad> scriptedLoad; // what every load gives, instead of the file

    QString text1, text2, voice;
    QStringList handedOver, messages, log;
    QStringList prepared; // every text got ready for a hand-over
};

} // namespace orasent::test
