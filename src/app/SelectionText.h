#pragma once
// A selection or clipboard text made ready for the speak box: control characters out, a limit on
// its length, and what to say when there is nothing to read.
#include <QString>

namespace orasent {

struct SelectionSpeech {
    QString text;   // what to speak; empty when there is nothing
    QString notice; // said first: why nothing is read, or that the text was cut
};

enum class SelectionSource { Selection, Clipboard };

// Longest text read at once; the rest is left out and the notice says so.
constexpr int kLongestSelection = 100000;

SelectionSpeech prepareSelection(const QString& raw, SelectionSource source);

// The whole text for the speak box: the notice, then the text.
QString spokenSelection(const SelectionSpeech& speech);

// Said once per run where the desktop shares no selection and the clipboard is read instead.
QString clipboardInsteadNotice();

} // namespace orasent
