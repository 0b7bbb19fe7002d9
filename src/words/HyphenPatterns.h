#pragma once
// Hyphenation patterns (libhyphen with the hyph_*.dic files of the hyphen-* packages) as a
// source of syllables: each language's file is loaded the first time it is asked for and kept.
// Not thread-safe: one thread uses it.
#include <QHash>
#include <QList>
#include <QString>

#include <memory>

struct _HyphenDict;

namespace orasent {

class HyphenPatterns {
public:
    explicit HyphenPatterns(const QString& directory);
    ~HyphenPatterns();
    HyphenPatterns(const HyphenPatterns&) = delete;
    HyphenPatterns& operator=(const HyphenPatterns&) = delete;

    bool hasLanguage(const QString& language);
    // Cut positions inside `word` (lower case), ascending; empty when the language has no file.
    QList<int> cuts(const QString& word, const QString& language);

private:
    struct Dictionary;
    Dictionary* dictionaryFor(const QString& language);
    QString fileFor(const QString& language) const;

    QString m_directory;
    QHash<QString, std::shared_ptr<Dictionary>> m_loaded; // null: the language has no file
};

} // namespace orasent
