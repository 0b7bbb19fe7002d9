#include "speech/PronunciationStore.h"

#include "speech/PlsLexicon.h"

#include <QFile>

namespace orasent {

PronunciationStore::PronunciationStore(QString path, QObject* parent)
    : QObject(parent), m_path(std::move(path)), m_rules(std::make_shared<PronunciationRules>()) {}

QString PronunciationStore::load() {
    const PronunciationLoad loaded = loadPronunciationFile(m_path);
    m_settings = loaded.settings;
    m_damaged = !loaded.problem.isEmpty() && QFile::exists(m_path);
    m_rules = std::make_shared<PronunciationRules>(m_settings.rules);
    emit changed();
    return loaded.problem;
}

bool PronunciationStore::save(const PronunciationSettings& settings, QString* error) {
    if (m_damaged) {
        const QString kept = m_path + QStringLiteral(".damaged");
        QFile::remove(kept);
        if (!QFile::copy(m_path, kept)) {
            if (error)
                *error = QStringLiteral("The rules file %1 could not be read and could not be "
                                        "kept as %2, so it was not written over.")
                             .arg(m_path, kept);
            return false;
        }
        m_damaged = false;
    }
    if (!savePronunciationFile(settings, error, m_path))
        return false;
    m_settings = settings;
    m_rules = std::make_shared<PronunciationRules>(m_settings.rules);
    emit changed();
    return true;
}

QVector<PronunciationRule> lexiconRules(const QList<QByteArray>& lexicons, int* problems) {
    QVector<PronunciationRule> rules;
    for (const QByteArray& lexicon : lexicons) {
        const LexiconRead read = readPlsLexicon(lexicon, LexiconKind::Shared);
        if (!read.error.isEmpty() && problems)
            ++*problems;
        for (const PronunciationRule& rule : read.rules) {
            if (rules.size() >= kMostRules)
                return rules;
            rules.append(rule);
        }
    }
    return rules;
}

std::shared_ptr<const PronunciationRules>
PronunciationStore::bookRules(const QList<QByteArray>& lexicons, QString* notice) const {
    if (!m_settings.bookLexicons || lexicons.isEmpty())
        return nullptr;
    int problems = 0;
    QVector<PronunciationRule> rules = lexiconRules(lexicons, &problems);
    if (problems > 0 && notice)
        *notice = problems == 1
                      ? QStringLiteral("A pronunciation lexicon of this book could not be read.")
                      : QStringLiteral("%1 pronunciation lexicons of this book could not be read.")
                            .arg(problems);
    if (rules.isEmpty())
        return nullptr;
    return std::make_shared<PronunciationRules>(std::move(rules));
}

} // namespace orasent
