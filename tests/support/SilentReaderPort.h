#pragma once
// A reader port that keeps the sentence box's text and ignores everything else, for driving the
// reader logic without windows.
#include "reader/ReaderPort.h"

namespace orasent::test {

struct SilentReaderPort : ReaderPort {
    QString text1;
    void StopVoice() override {}
    void handOver(const QString&) override {}
    bool speechIdle() const override { return true; }
    void setSentenceText(const QString& text) override { text1 = text; }
    void focusSentenceBox() override {}
    void showPathBox(const QString&) override {}
    void showMessage(const QString&) override {}
};

} // namespace orasent::test
