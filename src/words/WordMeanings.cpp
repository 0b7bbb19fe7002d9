#include "words/WordMeanings.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QMutex>

#include <algorithm>
#include <wn.h>

namespace orasent {

namespace {
// WordNet's library keeps its files and buffers in globals: one call at a time in the process.
QMutex g_wordNet;
int g_opened = 0;    // times wninit succeeded
int g_openState = 0; // 0 not tried, 1 open, -1 failed

struct Candidate {
    int pos = 0;
    QByteArray lemma;
    unsigned long offset = 0;
    int tags = 0;  // how often the sense was tagged in the corpus: the commoner first
    int order = 0; // part of speech, then WordNet's own sense order, for ties
};

QString partName(int pos) {
    switch (pos) {
    case NOUN:
        return QStringLiteral("noun");
    case VERB:
        return QStringLiteral("verb");
    case ADJ:
        return QStringLiteral("adjective");
    default:
        return QStringLiteral("adverb");
    }
}

// "(an edible fruit; \"bananas are yellow\")" → "an edible fruit".
QString glossOf(const char* defn) {
    QString gloss = QString::fromUtf8(defn ? defn : "").trimmed();
    if (gloss.startsWith(QLatin1Char('(')))
        gloss.remove(0, 1);
    if (gloss.endsWith(QLatin1Char(')')))
        gloss.chop(1);
    const qsizetype example = gloss.indexOf(QStringLiteral("; \""));
    if (example >= 0)
        gloss.truncate(example);
    return gloss.trimmed();
}

// The base forms of `word` as `pos`: the word itself first, then WordNet's morphology.
QList<QByteArray> baseForms(const QByteArray& word, int pos) {
    QList<QByteArray> forms{word};
    QByteArray copy = word;
    for (char* form = morphstr(copy.data(), pos); form; form = morphstr(nullptr, pos))
        if (!forms.contains(QByteArray(form)))
            forms << QByteArray(form);
    return forms;
}

void collect(const QByteArray& word, QList<Candidate>* out) {
    for (int pos = NOUN; pos <= ADV; ++pos) {
        for (QByteArray form : baseForms(word, pos)) {
            IndexPtr index = index_lookup(form.data(), pos);
            if (!index)
                continue;
            for (int k = 0; k < index->off_cnt; ++k) {
                const int tags = k < index->tagged_cnt ? GetTagcnt(index, k + 1) : 0;
                out->append({pos, form, index->offset[k], tags, int(out->size())});
            }
            free_index(index);
            break; // the first base form found stands for this part of speech
        }
    }
}
} // namespace

WordMeanings::WordMeanings(const QString& dataFolder)
    : m_dataFolder(dataFolder.isEmpty() ? QStringLiteral(ORASENT_WORDNET_DIR) : dataFolder) {}

int WordMeanings::timesOpened() {
    const QMutexLocker lock(&g_wordNet);
    return g_opened;
}

bool WordMeanings::open() {
    const QMutexLocker lock(&g_wordNet);
    return openLocked();
}

bool WordMeanings::openLocked() {
    if (g_openState != 0)
        return g_openState > 0;
    // WordNet finds its files through WNSEARCHDIR; one set from outside is kept.
    if (qEnvironmentVariableIsEmpty("WNSEARCHDIR"))
        qputenv("WNSEARCHDIR", QFile::encodeName(m_dataFolder));
    const QString folder = qEnvironmentVariable("WNSEARCHDIR");
    const bool present = QFileInfo::exists(QDir(folder).filePath(QStringLiteral("index.noun")));
    g_openState = present && wninit() == 0 ? 1 : -1;
    g_opened += g_openState > 0;
    return g_openState > 0;
}

WordMeaning WordMeanings::lookUp(const QString& word, const QString& language, int limit) {
    WordMeaning meaning;
    meaning.word = word;
    const QString base = language.section(QLatin1Char('-'), 0, 0).toLower();
    const QString key = word.trimmed().toLower().replace(QLatin1Char(' '), QLatin1Char('_'));
    const QMutexLocker lock(&g_wordNet);
    if ((!base.isEmpty() && base != QStringLiteral("en")) || key.isEmpty() || key.size() > 100 ||
        !openLocked())
        return meaning;
    QList<Candidate> candidates;
    collect(key.toUtf8(), &candidates);
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.tags > b.tags; });
    for (const Candidate& candidate : candidates) {
        if (meaning.senses.size() >= limit) {
            ++meaning.moreSenses;
            continue;
        }
        QByteArray lemma = candidate.lemma;
        SynsetPtr synset = read_synset(candidate.pos, long(candidate.offset), lemma.data());
        if (!synset)
            continue;
        meaning.senses.append({partName(candidate.pos),
                               QString::fromUtf8(candidate.lemma).replace('_', ' '),
                               glossOf(synset->defn)});
        free_synset(synset);
    }
    return meaning;
}

QString WordMeanings::describe(const WordMeaning& meaning, const QString& word) {
    if (!meaning.found())
        return QStringLiteral("No meaning found for %1.").arg(word);
    QStringList lines;
    for (int i = 0; i < meaning.senses.size(); ++i) {
        const WordSense& sense = meaning.senses.at(i);
        lines << QStringLiteral("%1. %2 (%3): %4.")
                     .arg(i + 1)
                     .arg(sense.lemma, sense.partOfSpeech, sense.gloss);
    }
    if (meaning.moreSenses > 0)
        lines << QStringLiteral("And %1 more.").arg(meaning.moreSenses);
    return lines.join(QLatin1Char('\n'));
}

} // namespace orasent
