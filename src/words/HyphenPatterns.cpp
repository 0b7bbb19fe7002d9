#include "words/HyphenPatterns.h"

#include <QDir>
#include <QFile>

#include <hyphen.h>

#include <atomic>
#include <future>
#include <thread>
#include <vector>

namespace orasent {

struct HyphenPatterns::Dictionary {
    HyphenDict* dict = nullptr;
    bool utf8 = true; // else ISO 8859-1
    ~Dictionary() {
        if (dict)
            hnj_hyphen_free(dict);
    }
};

// A file being loaded or loaded; the loading thread keeps it while it runs, so it may outlive
// the patterns object.
struct HyphenPatterns::Loading {
    std::shared_future<void> done;
    std::atomic<bool> ready{false};
    std::shared_ptr<Dictionary> dictionary; // null: no file, or it could not be read
};

namespace {
std::shared_ptr<HyphenPatterns::Dictionary> loadFile(const QString& path);
}

HyphenPatterns::HyphenPatterns(const QString& directory, bool waitForLoading)
    : m_directory(directory), m_wait(waitForLoading) {}

HyphenPatterns::~HyphenPatterns() = default;

namespace {
std::shared_ptr<HyphenPatterns::Dictionary> loadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    auto loaded = std::make_shared<HyphenPatterns::Dictionary>();
    loaded->utf8 = file.readLine().trimmed().toUpper() == "UTF-8";
    loaded->dict = hnj_hyphen_load(QFile::encodeName(path).constData());
    return loaded->dict ? loaded : nullptr;
}
} // namespace

// "en-US" → hyph_en_US.dic, else hyph_en.dic, else the first hyph_en_*.dic.
QString HyphenPatterns::fileFor(const QString& language) const {
    const QStringList parts = QString(language)
                                  .replace(QLatin1Char('-'), QLatin1Char('_'))
                                  .split(QLatin1Char('_'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return {};
    const QString base = parts.first().toLower();
    QDir dir(m_directory);
    QStringList names;
    if (parts.size() > 1)
        names << QStringLiteral("hyph_%1_%2.dic").arg(base, parts.at(1).toUpper());
    names << QStringLiteral("hyph_%1.dic").arg(base);
    for (const QString& name : names)
        if (dir.exists(name))
            return dir.filePath(name);
    const QStringList any =
        dir.entryList({QStringLiteral("hyph_%1_*.dic").arg(base)}, QDir::Files, QDir::Name);
    return any.isEmpty() ? QString() : dir.filePath(any.first());
}

HyphenPatterns::Dictionary* HyphenPatterns::dictionaryFor(const QString& language) {
    const QString key = language.toLower();
    std::shared_ptr<Loading> loading = m_loaded.value(key);
    if (!loading) {
        loading = std::make_shared<Loading>();
        std::promise<void> finished;
        loading->done = finished.get_future().share();
        m_loaded.insert(key, loading);
        std::thread([loading, path = fileFor(language), finished = std::move(finished)]() mutable {
            loading->dictionary = path.isEmpty() ? nullptr : loadFile(path);
            loading->ready.store(true, std::memory_order_release);
            finished.set_value();
        }).detach();
    }
    if (!loading->ready.load(std::memory_order_acquire)) {
        if (!m_wait)
            return nullptr;
        loading->done.wait();
    }
    return loading->dictionary.get();
}

bool HyphenPatterns::hasLanguage(const QString& language) {
    return dictionaryFor(language) != nullptr;
}

QList<int> HyphenPatterns::cuts(const QString& word, const QString& language) {
    Dictionary* dictionary = dictionaryFor(language);
    if (!dictionary || word.isEmpty())
        return {};
    const QByteArray bytes = dictionary->utf8 ? word.toUtf8() : word.toLatin1();
    std::vector<char> hyphens(size_t(bytes.size()) + 5, '0');
    char** rep = nullptr;
    int* pos = nullptr;
    int* cut = nullptr;
    // A syllable may be one letter at the start ("a·bout"), two at the end ("ti·ny").
    const int failed = hnj_hyphen_hyphenate3(dictionary->dict, bytes.constData(), int(bytes.size()),
                                             hyphens.data(), nullptr, &rep, &pos, &cut, 1, 2, 1, 2);
    if (rep) {
        for (int i = 0; i < bytes.size(); ++i)
            free(rep[i]);
        free(rep);
    }
    free(pos);
    free(cut);
    if (failed)
        return {};
    // Byte offsets to character offsets: a cut after byte i falls before the next character.
    QList<int> result;
    int character = 0;
    for (int i = 0; i < bytes.size(); ++i) {
        const bool startsCharacter = !dictionary->utf8 || (uchar(bytes.at(i)) & 0xC0) != 0x80;
        if (startsCharacter && i > 0)
            ++character;
        const bool lastByte =
            !dictionary->utf8 || i + 1 == bytes.size() || (uchar(bytes.at(i + 1)) & 0xC0) != 0x80;
        if (lastByte && (hyphens[size_t(i)] & 1) && i + 1 < bytes.size())
            result << character + 1;
    }
    return result;
}

} // namespace orasent
