#include "speech/LanguageVoices.h"

#include "common/AtomicFile.h"

#include <QFile>
#include <QLocale>

namespace orasent {

const char* const LanguageVoices::kNoVoiceNotice = "No voice for %1 is installed.";

namespace {
constexpr qint64 kMostBytes = 256 * 1024;

bool isLetters(const QString& text) {
    for (QChar c : text)
        if (c < u'a' || c > u'z')
            return false;
    return true;
}

SpObjectToken findVoice(SpVoice& voice, const QString& id) {
    for (const SpObjectToken& token : voice.GetVoices())
        if (token.Id() == id)
            return token;
    return {};
}
} // namespace

QString languageKey(const QString& tag) {
    const QString primary =
        tag.trimmed().toLower().replace(QLatin1Char('_'), QLatin1Char('-')).section(u'-', 0, 0);
    if (primary.size() < 2 || primary.size() > 3 || !isLetters(primary))
        return {};
    if (primary == QLatin1String("und") || primary == QLatin1String("mul") ||
        primary == QLatin1String("zxx"))
        return {};
    return primary;
}

QString languageName(const QString& key) {
    const QLocale locale(key);
    if (locale.language() == QLocale::C || locale.language() == QLocale::AnyLanguage)
        return key;
    return QLocale::languageToString(locale.language());
}

QMap<QString, QString> parseLanguageVoices(const QByteArray& bytes) {
    QMap<QString, QString> choices;
    for (const QByteArray& raw : bytes.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        const QString key = languageKey(line.left(equals));
        const QString id = line.mid(equals + 1).trimmed();
        if (!key.isEmpty() && key == line.left(equals).trimmed().toLower() && !id.isEmpty())
            choices.insert(key, id);
    }
    return choices;
}

QByteArray formatLanguageVoices(const QMap<QString, QString>& choices) {
    QByteArray bytes;
    for (auto it = choices.cbegin(); it != choices.cend(); ++it)
        bytes += it.key().toUtf8() + '=' + it.value().toUtf8() + "\r\n";
    return bytes;
}

void LanguageVoices::load(const QString& path) {
    QFile file(path);
    m_choices = file.open(QIODevice::ReadOnly) ? parseLanguageVoices(file.read(kMostBytes))
                                               : QMap<QString, QString>();
}

bool LanguageVoices::save(const QString& path, QString* error) const {
    return writeFileAtomically(path, formatLanguageVoices(m_choices), error);
}

bool LanguageVoices::remember(const QString& language, const QString& voiceId) {
    const QString key = languageKey(language);
    // A line break in an identifier would split the line; such a voice is not kept.
    if (key.isEmpty() || voiceId.trimmed().isEmpty() || voiceId.contains(QLatin1Char('\n')) ||
        voiceId.contains(QLatin1Char('\r')))
        return false;
    m_choices.insert(key, voiceId.trimmed());
    return true;
}

LanguageChoice LanguageVoices::choose(const QString& language, int document, SpVoice& voice) {
    if (document != m_document) {
        m_document = document;
        m_announced.clear();
    }
    const QString key = languageKey(language);
    if (key.isEmpty())
        return {};
    const SpObjectToken chosen = voice.Voice();
    const SpObjectToken remembered = findVoice(voice, m_choices.value(key));
    if (!remembered.isNull())
        return {remembered == chosen ? SpObjectToken() : remembered, {}};
    const QString chosenKey = languageKey(voice.LanguageOf(chosen));
    // A voice of unknown language is taken to read whatever it is given.
    if (chosenKey == key || chosenKey.isEmpty())
        return {};
    const SpObjectToken own = voice.VoiceForLanguage(language);
    if (!own.isNull())
        return {own, {}};
    if (m_announced.contains(key))
        return {};
    m_announced.insert(key);
    return {{}, QString::fromLatin1(kNoVoiceNotice).arg(languageName(key))};
}

} // namespace orasent
