// The voice of each passage of an export: as the reader chooses in the document's language.
#include "export/PassageVoices.h"

#include <QtTest>

using namespace orasent;

namespace {
QVector<EspeakVoiceInfo> someVoices() {
    return {{"English (Great Britain)", "gmw/en", {"en-gb"}, {2}},
            {"English (America)", "gmw/en-US", {"en-us"}, {2}},
            {"French (France)", "roa/fr", {"fr-fr"}, {5}},
            {"French (Belgium)", "roa/fr-BE", {"fr-be"}, {5}},
            {"Arabic", "sem/ar", {"ar"}, {5}},
            {"Own", "own", {}, {}}};
}
} // namespace

class TestPassageVoices : public QObject {
    Q_OBJECT
private slots:
    void choice_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("follow");
        QTest::addColumn<QString>("remembered"); // "key=voice" or ""
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("expected");
        QTest::newRow("off") << "gmw/en" << false << ""
                             << "ar"
                             << "gmw/en";
        QTest::newRow("chosen for the language") << "gmw/en" << true << "fr=roa/fr-BE"
                                                 << "fr-FR"
                                                 << "roa/fr-BE";
        QTest::newRow("chosen one no longer installed") << "gmw/en" << true << "fr=gone"
                                                        << "fr"
                                                        << "roa/fr";
        QTest::newRow("the export's voice speaks it") << "gmw/en" << true << ""
                                                      << "en-US"
                                                      << "gmw/en";
        QTest::newRow("espeak-ng's own, exact tag") << "gmw/en" << true << ""
                                                    << "fr-BE"
                                                    << "roa/fr-BE";
        QTest::newRow("espeak-ng's own, same language") << "gmw/en" << true << ""
                                                        << "ar-EG"
                                                        << "sem/ar";
        QTest::newRow("none installed") << "gmw/en" << true << ""
                                        << "zu"
                                        << "gmw/en";
        QTest::newRow("voice of unknown language reads all") << "own" << true << ""
                                                             << "ar"
                                                             << "own";
        QTest::newRow("no language") << "gmw/en" << true << ""
                                     << "und"
                                     << "gmw/en";
    }
    void choice() {
        QFETCH(QString, chosen);
        QFETCH(bool, follow);
        QFETCH(QString, remembered);
        QFETCH(QString, language);
        QFETCH(QString, expected);
        QMap<QString, QString> choices;
        if (!remembered.isEmpty())
            choices.insert(remembered.section('=', 0, 0), remembered.section('=', 1));
        const PassageVoices voices(chosen, follow, choices, someVoices());
        QCOMPARE(voices.voiceForLanguage(language), expected);
    }

    // Each passage by its paragraph's language (else the document's); the voices named from a
    // place on, the export's own first.
    void byParagraph() {
        Document document;
        document.metadata.language = "ar";
        document.paragraphs = {{"Title", Paragraph::Kind::Heading, 1, "en", {}},
                               {"Body one.", Paragraph::Kind::Body, 0, {}, {}},
                               {"Body two.", Paragraph::Kind::Body, 0, "fr", {}}};
        const QString text = "Title\r\n Body one.\r\n Body two.";
        const QVector<qsizetype> starts = {0, 7, 19};
        PassageVoices voices("gmw/en", true, {}, someVoices());
        voices.setDocument(text, document, starts);
        QCOMPARE(voices.voiceAt(0), QString("gmw/en"));
        QCOMPARE(voices.voiceAt(5), QString("sem/ar")); // the blanks before the next paragraph
        QCOMPARE(voices.voiceAt(20), QString("roa/fr"));
        QCOMPARE(voices.voicesFrom(0), (QStringList{"gmw/en", "sem/ar", "roa/fr"}));
        QCOMPARE(voices.voicesFrom(8), (QStringList{"sem/ar", "roa/fr"}));
    }
};

QTEST_GUILESS_MAIN(TestPassageVoices)
#include "test_passage_voices.moc"
