// What `orasent --print-text` reads from the shared corpus of real documents, measured word by
// word against independent reference texts with the corpus's compare.py: web pages by precision
// against the article alone (ref/main), every other document by recall against ref/ (ref/alt
// where the corpus says ref/ is faulty). Skips with a message when the corpus is absent.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace {

struct Measure {
    QString reference;
    double recall = -1;
    double precision = -1;
    qint64 words = 0;
};

// The reference a document is judged against, and whether precision is its goal.
QString referenceFor(const QDir& corpus, const QString& stem, bool* webPage) {
    *webPage = stem.startsWith(QLatin1String("html-"));
    const QString main = corpus.filePath(QStringLiteral("ref/main/%1.txt").arg(stem));
    if (*webPage && QFileInfo::exists(main))
        return main;
    *webPage = false;
    const QStringList alt =
        QDir(corpus.filePath(QStringLiteral("ref/alt"))).entryList({stem + QStringLiteral(".*")});
    if (!alt.isEmpty())
        return corpus.filePath(QStringLiteral("ref/alt/") + alt.first());
    return corpus.filePath(QStringLiteral("ref/%1.txt").arg(stem));
}

Measure compare(const QDir& corpus, const QString& reference, const QString& candidate) {
    QProcess python;
    python.start(QStringLiteral("python3"), {corpus.filePath(QStringLiteral("compare.py")),
                                             reference, candidate, QStringLiteral("--json")});
    python.waitForFinished(-1);
    const QJsonObject result = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    Measure m;
    m.reference = QDir(corpus).relativeFilePath(reference);
    m.recall = result.value(QLatin1String("bag_recall")).toDouble(-1);
    m.precision = result.value(QLatin1String("bag_precision")).toDouble(-1);
    m.words = result.value(QLatin1String("cand_words")).toInteger();
    return m;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QDir corpus(QStringLiteral(ORASENT_SOURCE_DIR "/../shared/corpus"));
    if (!corpus.exists(QStringLiteral("compare.py"))) {
        std::printf("bench_print_text: no corpus at %s, skipped\n",
                    qPrintable(corpus.absolutePath()));
        return 0;
    }
    QTemporaryDir out;
    QTextStream table(stdout);
    table << QStringLiteral("%1 %2 %3 %4 %5  %6\n")
                 .arg(QStringLiteral("document"), -44)
                 .arg(QStringLiteral("words"), 7)
                 .arg(QStringLiteral("recall"), 7)
                 .arg(QStringLiteral("prec."), 7)
                 .arg(QStringLiteral("goal"), -15)
                 .arg(QStringLiteral("reference"));
    const QStringList documents = corpus.entryList(QDir::Files, QDir::Name);
    for (const QString& name : documents) {
        if (name.endsWith(QLatin1String(".py")) || name == QLatin1String("README.md"))
            continue;
        const QString stem = QFileInfo(name).completeBaseName();
        QProcess orasent;
        orasent.setWorkingDirectory(out.path()); // default reading options: notes are read
        orasent.start(QStringLiteral(ORASENT_PROGRAM),
                      {QStringLiteral("--print-text"), corpus.filePath(name)});
        orasent.waitForFinished(-1);
        const QString candidate = out.filePath(stem + QStringLiteral(".txt"));
        QFile file(candidate);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(orasent.readAllStandardOutput());
        file.close();
        bool webPage = false;
        const Measure m = compare(corpus, referenceFor(corpus, stem, &webPage), candidate);
        const bool met = webPage ? m.precision >= 0.97 : m.recall >= 0.99;
        table << QStringLiteral("%1 %2 %3 %4 %5  %6\n")
                     .arg(stem, -44)
                     .arg(m.words, 7)
                     .arg(m.recall, 7, 'f', 4)
                     .arg(m.precision, 7, 'f', 4)
                     .arg((webPage ? QStringLiteral("prec>=0.97 ") : QStringLiteral("rec>=0.99 ")) +
                              (met ? QStringLiteral("met") : QStringLiteral("NOT")),
                          -15)
                     .arg(orasent.exitCode() == 0
                              ? m.reference
                              : QStringLiteral("(exit %1)").arg(orasent.exitCode()));
        table.flush();
    }
    return 0;
}
