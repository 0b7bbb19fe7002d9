#pragma once
// The voice each passage of an export is read with, chosen as the reader chooses when it reads
// in the document's language: the voice the user chose for the passage's language (its
// "LanguageVoices.ini" entry), else the export's voice when it speaks that language or its
// language is unknown, else espeak-ng's own voice for the language, else the export's voice.
// A passage's language is that of the paragraph its first word lies in.
#include "documents/Document.h"
#include "engine/SynthesisWorker.h"

#include <QMap>
#include <QString>
#include <QVector>

namespace orasent {

struct ExportRequest;

// Sets `request` to read in the document's language when `on`, with the voices chosen for
// languages in the working folder's "LanguageVoices.ini".
void followDocumentLanguage(ExportRequest* request, bool on);

class PassageVoices {
public:
    // `chosen`: the export's voice; `choices`: language key -> voice identifier; `voices`:
    // espeak-ng's. Without `follow`, the chosen voice reads everything.
    PassageVoices(const QString& chosen, bool follow, const QMap<QString, QString>& choices,
                  const QVector<EspeakVoiceInfo>& voices);
    // The document's languages by the offsets in `text` where its paragraphs start.
    void setDocument(const QString& text, const Document& document,
                     const QVector<qsizetype>& paragraphStarts);

    // The voice of the passage that starts at `offset` (0-based) in the text.
    QString voiceAt(qsizetype offset) const;
    QString voiceForLanguage(const QString& tag) const;
    // The voices that read the text from `offset` on, the chosen one first when among them.
    QStringList voicesFrom(qsizetype offset) const;

private:
    struct LanguageRun {
        qsizetype start = 0;
        QString voice;
    };
    QString languageOf(const QString& identifier) const;

    QString m_chosen;
    bool m_follow = false;
    QMap<QString, QString> m_choices;
    QVector<EspeakVoiceInfo> m_voices;
    QString m_text;
    QVector<LanguageRun> m_runs; // ascending starts
};

} // namespace orasent
