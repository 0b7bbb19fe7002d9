#include "export/PassageVoices.h"

#include "export/AudioExport.h"
#include "speech/LanguageVoices.h"

#include <algorithm>

namespace orasent {

namespace {
QString normalTag(const QString& tag) {
    return tag.trimmed().toLower().replace(QLatin1Char('_'), QLatin1Char('-'));
}
} // namespace

void followDocumentLanguage(ExportRequest* request, bool on) {
    request->readInDocumentLanguage = on;
    LanguageVoices saved;
    if (on)
        saved.load(kLanguageVoicesFileName);
    request->languageVoices = saved.choices();
}

PassageVoices::PassageVoices(const QString& chosen, bool follow,
                             const QMap<QString, QString>& choices,
                             const QVector<EspeakVoiceInfo>& voices)
    : m_chosen(chosen), m_follow(follow), m_choices(choices), m_voices(voices) {}

QString PassageVoices::languageOf(const QString& identifier) const {
    for (const EspeakVoiceInfo& voice : m_voices)
        if (voice.identifier == identifier)
            return voice.languages.value(0);
    return {};
}

QString PassageVoices::voiceForLanguage(const QString& tag) const {
    const QString key = languageKey(tag);
    if (!m_follow || key.isEmpty())
        return m_chosen;
    const QString remembered = m_choices.value(key);
    if (std::any_of(m_voices.begin(), m_voices.end(),
                    [&](const EspeakVoiceInfo& v) { return v.identifier == remembered; }))
        return remembered;
    const QString chosenKey = languageKey(languageOf(m_chosen));
    if (chosenKey == key || chosenKey.isEmpty())
        return m_chosen;
    // espeak-ng's own: the exact tag ("fr-ca"), else the first of the same language.
    const QString wanted = normalTag(tag);
    QString samePrimary;
    for (const EspeakVoiceInfo& voice : m_voices) {
        const QString own = normalTag(voice.languages.value(0));
        if (own == wanted)
            return voice.identifier;
        if (samePrimary.isEmpty() && languageKey(own) == key)
            samePrimary = voice.identifier;
    }
    return samePrimary.isEmpty() ? m_chosen : samePrimary;
}

void PassageVoices::setDocument(const QString& text, const Document& document,
                                const QVector<qsizetype>& paragraphStarts) {
    m_text = text;
    m_runs.clear();
    const qsizetype count = std::min(document.paragraphs.size(), paragraphStarts.size());
    for (qsizetype i = 0; i < count; ++i) {
        const QString voice = voiceForLanguage(document.languageOf(int(i)));
        if (m_runs.isEmpty() || m_runs.last().voice != voice)
            m_runs.append({paragraphStarts.at(i), voice});
    }
}

QString PassageVoices::voiceAt(qsizetype offset) const {
    if (m_runs.isEmpty())
        return voiceForLanguage(QString());
    while (offset < m_text.size() && offset >= 0 && m_text.at(offset).isSpace())
        ++offset;
    const auto after =
        std::upper_bound(m_runs.cbegin(), m_runs.cend(), offset,
                         [](qsizetype value, const LanguageRun& run) { return value < run.start; });
    return after == m_runs.cbegin() ? m_runs.first().voice : std::prev(after)->voice;
}

QStringList PassageVoices::voicesFrom(qsizetype offset) const {
    QStringList used{voiceAt(offset)};
    for (const LanguageRun& run : m_runs)
        if (run.start > offset && !used.contains(run.voice))
            used << run.voice;
    if (used.removeAll(m_chosen) > 0)
        used.prepend(m_chosen);
    return used;
}

} // namespace orasent
