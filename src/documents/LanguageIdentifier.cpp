#include "documents/LanguageIdentifier.h"

#include <textcat.h>

#include <QFile>

#include <mutex>

namespace orasent {

namespace {
// Debian's libexttextcat-data.
constexpr char kDataFolder[] = "/usr/share/libexttextcat/";
// Fewer letters than this give no reliable guess; more than kSampleChars add only time.
constexpr int kMinLetters = 60;
constexpr qsizetype kSampleChars = 4000;

struct Classifier {
    std::mutex mutex;
    void* handle = nullptr;
};

// Loaded on first use and kept for the program's life.
Classifier& classifier() {
    static Classifier instance;
    static std::once_flag once;
    std::call_once(once, [] {
        const QByteArray conf = QByteArray(kDataFolder) + "fpdb.conf";
        if (QFile::exists(QString::fromLatin1(conf)))
            instance.handle = special_textcat_Init(conf.constData(), kDataFolder);
    });
    return instance;
}

// "fr--utf8" -> "fr", "zh-CN-utf8" -> "zh-CN", "az-cyrillic-utf8" -> "az-Cyrl".
QString tagFromCategory(QString name) {
    if (name.endsWith(QLatin1String("utf8")))
        name.chop(4);
    while (name.endsWith(QLatin1Char('-')))
        name.chop(1);
    name.replace(QLatin1String("cyrillic"), QLatin1String("Cyrl"));
    return name;
}

// textcat's answer: one bracketed category per language that fits about as well as the best.
// One is a confident answer. Among several, a single major language (one with a two-letter
// code) is taken over lesser relatives: English over Scots; two major ones are a doubt.
QString confidentChoice(const QString& answer) {
    if (!answer.startsWith(QLatin1Char('[')) || !answer.endsWith(QLatin1Char(']')))
        return {}; // UNKNOWN, SHORT
    const QStringList categories =
        answer.mid(1, answer.size() - 2).split(QStringLiteral("]["), Qt::SkipEmptyParts);
    if (categories.size() == 1)
        return tagFromCategory(categories.front());
    QString major;
    for (const QString& category : categories) {
        const QString tag = tagFromCategory(category);
        if (tag.section(QLatin1Char('-'), 0, 0).size() != 2)
            continue;
        if (!major.isEmpty())
            return {};
        major = tag;
    }
    return major;
}

int letterCount(const QString& text) {
    int letters = 0;
    for (QChar c : text)
        letters += c.isLetter() ? 1 : 0;
    return letters;
}
} // namespace

QString identifyLanguage(const QString& text) {
    QString sample = text.left(kSampleChars);
    if (sample.size() == kSampleChars && sample.back().isHighSurrogate())
        sample.chop(1);
    if (letterCount(sample) < kMinLetters)
        return {};
    Classifier& c = classifier();
    if (!c.handle)
        return {};
    const QByteArray utf8 = sample.toUtf8();
    QString result;
    {
        std::lock_guard<std::mutex> lock(c.mutex);
        result =
            QString::fromUtf8(textcat_Classify(c.handle, utf8.constData(), size_t(utf8.size())));
    }
    return confidentChoice(result);
}

} // namespace orasent
