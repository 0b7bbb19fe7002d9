// The export reads each passage with the rules of its own language: a document in English and
// French, with a rule for each language that skips a sentence, keeps in its captions the
// sentences the other language's rule would have skipped.
#include "AudiobookFixture.h"
#include "ExportFixture.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace orasent;
using namespace orasent::test;

namespace {

PronunciationRule skipIn(const QString& text, const QString& language) {
    PronunciationRule rule;
    rule.text = text;
    rule.match = PronunciationRule::Match::Anywhere;
    rule.say = PronunciationRule::Say::Skip;
    rule.scope = PronunciationRule::Scope::Language;
    rule.scopeKey = language;
    return rule;
}

} // namespace

class TestLanguageRules : public QObject {
    Q_OBJECT
private slots:
    void eachPassageHasItsLanguagesRules() {
        QTemporaryDir dir;
        Document document;
        document.metadata.language = QStringLiteral("en");
        Paragraph english = paragraph(QStringLiteral("Hello there. Bonjour a tous."));
        Paragraph french = paragraph(QStringLiteral("Hello there. Bonjour a tous."));
        french.language = QStringLiteral("fr-FR");
        document.paragraphs = {english, french};
        ExportRequest r = documentRequest(document, dir.filePath(QStringLiteral("two.wav")));
        r.readInput = false;
        r.captions = CaptionFormat::Srt;
        r.pronunciation = std::make_shared<PronunciationRules>(QVector<PronunciationRule>{
            skipIn(QStringLiteral("Hello there."), QStringLiteral("en")),
            skipIn(QStringLiteral("Bonjour a tous."), QStringLiteral("fr"))});
        const ExportResult result = AudioExport(r).run();
        QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
        QFile captions(result.captionPath);
        QVERIFY(captions.open(QIODevice::ReadOnly));
        const QString srt = QString::fromUtf8(captions.readAll());
        QCOMPARE(readCues(result.captionPath).size(), 2);
        const qsizetype bonjour = srt.indexOf(QStringLiteral("Bonjour a tous."));
        const qsizetype hello = srt.indexOf(QStringLiteral("Hello there."));
        QVERIFY(bonjour >= 0 && hello > bonjour);
    }
};

QTEST_GUILESS_MAIN(TestLanguageRules)
#include "test_language_rules.moc"
