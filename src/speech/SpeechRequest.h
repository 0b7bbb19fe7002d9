#pragma once
// A text handed to the speaking core to be read aloud: the words, the language they are in and
// the document they come from.
#include <QString>

namespace orasent {

struct SpeechRequest {
    QString text;
    QString language; // BCP 47; "" for the chosen voice
    // Changes with the document the text comes from: a language without a voice is announced
    // once per document. 0 for a text of no document.
    int document = 0;
};

} // namespace orasent
