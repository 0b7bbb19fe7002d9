// The pronunciation step of SpeakingCore: the rules after the word replacement list.
#include "speech/SpeakingCore.h"

namespace orasent {

void SpeakingCore::setPronunciation(std::shared_ptr<const PronunciationRules> rules) {
    m_pronunciation = std::move(rules);
}

void SpeakingCore::setDocumentPronunciation(const QByteArray& documentKey, const QString& language,
                                            std::shared_ptr<const PronunciationRules> bookRules) {
    m_documentKey = documentKey;
    m_documentLanguage = language;
    m_bookPronunciation = std::move(bookRules);
}

SpeechContext SpeakingCore::speechContext(const QString& language, bool inDocument,
                                          const SpObjectToken& speaker) const {
    SpeechContext context;
    context.xml = (m_speakFlags & SVSFIsXML) != 0;
    if (inDocument)
        context.documentKey = m_documentKey;
    context.language = language;
    if (context.language.isEmpty() && inDocument)
        context.language = m_documentLanguage;
    if (m_voice) {
        QPointer<SpVoice> voice = m_voice;
        try {
            if (context.language.isEmpty())
                context.language = voice->LanguageOf(voice->Voice());
        } catch (const SpeechError&) {
            // No voice to ask: only the rules for every language apply.
        }
        context.inlineSounds = [voice, speaker](const QString& ipa) {
            if (!voice)
                return QString();
            return speaker.isNull() ? voice->inlineSounds(ipa)
                                    : voice->inlineSoundsWith(speaker, ipa);
        };
    }
    return context;
}

bool SpeakingCore::hasPronunciation(bool inDocument) const {
    return (m_pronunciation && !m_pronunciation->isEmpty()) ||
           (inDocument && m_bookPronunciation && !m_bookPronunciation->isEmpty());
}

QString SpeakingCore::rewriteForSpeech(const QString& text, const QString& written,
                                       const QString& language, bool inDocument, TextEdits* edits,
                                       const SpObjectToken& speaker, bool tell) const {
    TextEdits listEdits;
    const QString replaced = applyReplacements(text, &listEdits);
    if (edits)
        edits->append(listEdits);
    if (!hasPronunciation(inDocument))
        return replaced;
    const QString cased = writtenCaseOf(replaced, written.isEmpty() ? text : written, listEdits);
    return applyPronunciationRules(replaced, cased, language, inDocument, edits, speaker, tell);
}

QString SpeakingCore::applyPronunciationRules(const QString& text, const QString& written,
                                              const QString& language, bool inDocument,
                                              TextEdits* edits, const SpObjectToken& speaker,
                                              bool tell) const {
    if (!hasPronunciation(inDocument))
        return text;
    const bool bookRules = inDocument && m_bookPronunciation;
    return applyPronunciation(
        text, written, m_pronunciation.get(), bookRules ? m_bookPronunciation.get() : nullptr,
        speechContext(language, inDocument, speaker), edits, [this, tell](const QString& notice) {
            if (tell)
                emit pronunciationNotice(notice);
        });
}

void SpeakingCore::speakWithRules(const QString& text) {
    TextEdits edits;
    const QString said = applyPronunciationRules(text, text, QString(), false, &edits);
    const int before = m_lastStream;
    speak(said);
    m_ownEdits = std::move(edits);
    m_ownStream = m_lastStream != before ? m_lastStream : 0;
}

} // namespace orasent
