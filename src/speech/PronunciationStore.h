#pragma once
// The pronunciation rules of this run: the rules file, compiled once for speech, saved whole
// when the editor changes them, and the lexicons of the book being read.
#include "speech/PronunciationFile.h"
#include "speech/PronunciationRules.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <memory>

namespace orasent {

class PronunciationStore : public QObject {
    Q_OBJECT
public:
    explicit PronunciationStore(QString path = QLatin1String(kPronunciationFileName),
                                QObject* parent = nullptr);

    // Reads the rules file; returns a sentence for the user when it could not be used.
    QString load();
    const PronunciationSettings& settings() const { return m_settings; }
    std::shared_ptr<const PronunciationRules> rules() const { return m_rules; }
    QString path() const { return m_path; }

    // Saves `settings` whole and takes them up; false with `error` (the old file stays). A file
    // that could not be read at load is first kept beside it as "<name>.damaged".
    bool save(const PronunciationSettings& settings, QString* error);

    // The rules of a book's own lexicons (PLS files from its package), with the book's
    // `language`; null when there are none or they are turned off. A lexicon that cannot be
    // read is left out and told in `notice`.
    std::shared_ptr<const PronunciationRules> bookRules(const QList<QByteArray>& lexicons,
                                                        QString* notice = nullptr) const;

signals:
    // The rules or the book-lexicon setting changed.
    void changed();

private:
    QString m_path;
    PronunciationSettings m_settings;
    bool m_damaged = false; // the file on disk could not be read
    std::shared_ptr<const PronunciationRules> m_rules;
};

// The words of `lexicons` as rules in the order given; `problems` counts those not read.
QVector<PronunciationRule> lexiconRules(const QList<QByteArray>& lexicons, int* problems);

} // namespace orasent
