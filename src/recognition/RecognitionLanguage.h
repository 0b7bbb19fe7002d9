#pragma once
// Which Tesseract language data reads a page: the chosen voice's language when its data is
// installed, else English.
#include <QString>
#include <QStringList>

namespace orasent {

// The folder holding the *.traineddata files: $TESSDATA_PREFIX (or its tessdata/), else the
// Debian folder. Empty when none is found.
QString tessdataFolder();
bool isRecognitionLanguageInstalled(const QString& tesseractCode);

// "en", "en-us" or an espeak-ng voice identifier ("gmw/en-US", "roa/fr") to Tesseract's code
// ("eng", "fra"); empty when the language has no Tesseract data set.
QString tesseractLanguageFor(const QString& voiceLanguage);

struct RecognitionLanguage {
    QString code = QStringLiteral("eng"); // Tesseract's code, always installed data
    // Set when the voice's language had no data: a sentence saying that English is used.
    QString fallbackNotice;
};

// The language for a voice; English when its data is missing.
RecognitionLanguage recognitionLanguageFor(const QString& voiceLanguage);

// The voice the reader uses now, for loads that run off the GUI thread. Thread-safe.
void setPreferredRecognitionVoice(const QString& voiceLanguage);
RecognitionLanguage preferredRecognitionLanguage();

// The fallback notice once per language and program run: empty after the first time.
QString takeFallbackNoticeOnce(const RecognitionLanguage& language);

} // namespace orasent
