#pragma once
// Which voice reads a text of a given language: the voice the user last chose for that language,
// else the chosen voice when it speaks it, else the engine's own voice for it (espeak-ng's),
// else the chosen voice, with "No voice for LANGUAGE is installed." said once per document.
//
// The choices are kept in "LanguageVoices.ini", one line per language: the language's primary
// subtag, "=", the voice's identifier ("fr=roa/fr"). The file is written whole on each change;
// lines that are not of that form are ignored.
#include "engine/SpVoice.h"
#include "speech/SpeakingCore.h"

#include <QByteArray>
#include <QMap>
#include <QSet>
#include <QString>

namespace orasent {

inline const QString kLanguageVoicesFileName = QStringLiteral("LanguageVoices.ini");

// The lower-case primary subtag of a BCP 47 tag ("fr-CA" -> "fr", "EN_us" -> "en"), or "" when
// it names no language: empty, private use ("x-klingon"), undetermined ("und", "mul", "zxx") or
// not two or three letters.
QString languageKey(const QString& tag);
// The language's English name ("French"), or the key itself when there is none ("zz").
QString languageName(const QString& key);

QMap<QString, QString> parseLanguageVoices(const QByteArray& bytes);
QByteArray formatLanguageVoices(const QMap<QString, QString>& choices);

class LanguageVoices {
public:
    // A missing or unreadable file gives no choices.
    void load(const QString& path);
    // Replaces the file whole; on failure the old file stays and *error says why.
    bool save(const QString& path, QString* error) const;

    // The user chose `voice` (whose language is `language`): it reads that language from now on.
    // False when the language is unknown (nothing is kept).
    bool remember(const QString& language, const QString& voiceId);
    QMap<QString, QString> choices() const { return m_choices; }

    // The voice for a text of `language` from `document` (any number that changes with it).
    LanguageChoice choose(const QString& language, int document, SpVoice& voice);

    static const char* const kNoVoiceNotice; // "No voice for %1 is installed."

private:
    QMap<QString, QString> m_choices; // language key -> voice id
    QSet<QString> m_announced;        // languages told to have no voice, in this document
    int m_document = 0;
};

} // namespace orasent
