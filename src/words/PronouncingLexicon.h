#pragma once
// Festival's CMU lexicon, whose entries are split into syllables: ("banana" nil (((b ax) 0)
// ((n ae) 1) ((n ax) 0))). The file is mapped, not parsed: its entries are sorted by their
// lower-case bytes, so a word is found by a binary search over the lines.
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

namespace orasent {

class PronouncingLexicon {
public:
    // Phones of each syllable, e.g. {{"b","ax"},{"n","ae"},{"n","ax"}}.
    using Syllables = QList<QList<QByteArray>>;

    explicit PronouncingLexicon(const QString& path);
    bool isOpen() const { return m_data != nullptr; }
    // The first entry of `word` (lower case ASCII letters and apostrophes); empty when absent.
    Syllables lookUp(const QString& word) const;

    // The entry's syllables; empty for a line that is not an entry.
    static Syllables parseEntry(const QByteArray& line);

private:
    QByteArray lineAt(qint64 offset, qint64* next) const;
    static QByteArray headWord(const QByteArray& line);

    QFile m_file;
    const char* m_data = nullptr;
    qint64 m_size = 0;
};

} // namespace orasent
