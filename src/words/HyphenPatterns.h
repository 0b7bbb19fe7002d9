#pragma once
// Hyphenation patterns (libhyphen with the hyph_*.dic files of the hyphen-* packages) as a
// source of syllables: each language's file is loaded the first time it is asked for and kept.
// A large file takes seconds (German's 1 MB), so it loads on a thread of its own; without
// `waitForLoading` the language has no patterns until then. Not thread-safe: one thread uses it.
#include <QHash>
#include <QList>
#include <QString>

#include <memory>

struct _HyphenDict;

namespace orasent {

class HyphenPatterns {
public:
    explicit HyphenPatterns(const QString& directory, bool waitForLoading = true);
    ~HyphenPatterns();
    HyphenPatterns(const HyphenPatterns&) = delete;
    HyphenPatterns& operator=(const HyphenPatterns&) = delete;

    bool hasLanguage(const QString& language);
    // Cut positions inside `word` (lower case), ascending; empty when the language has no file.
    QList<int> cuts(const QString& word, const QString& language);

    struct Dictionary; // one language's loaded patterns
    struct Loading;

private:
    Dictionary* dictionaryFor(const QString& language);
    QString fileFor(const QString& language) const;

    QString m_directory;
    bool m_wait = true;
    QHash<QString, std::shared_ptr<Loading>> m_loaded; // by language, lower case
};

} // namespace orasent
