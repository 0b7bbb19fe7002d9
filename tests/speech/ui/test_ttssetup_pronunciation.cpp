// The speech window reads with the rules file of its working folder and with the lexicons of
// the document the reader reads; a rules file it cannot read is told and left as it is.
#include "TTSSetupFixture.h"
#include "speech/PlsLexicon.h"

#include <QPlainTextEdit>
#include <QTextEdit>
#include <QtTest>

using namespace orasent;
using namespace orasent::test;

namespace {

QByteArray rulesFile() {
    PronunciationRule doctor;
    doctor.text = "Dr.";
    doctor.alias = "doctor";
    PronunciationRule trial;
    trial.text = "test";
    trial.alias = "trial";
    PronunciationRule mine;
    mine.text = "Pip";
    mine.alias = "Pippin";
    mine.scope = PronunciationRule::Scope::Document;
    mine.scopeKey = "abc";
    return writePlsLexicon({doctor, trial, mine}, {}, LexiconKind::RulesFile).bytes;
}

QByteArray bookLexicon() {
    PronunciationRule name;
    name.text = "Queequeg";
    name.alias = "Kwee kweg";
    return writePlsLexicon({name}, "en", LexiconKind::Shared).bytes;
}

} // namespace

class TestTTSSetupPronunciation : public QObject {
    Q_OBJECT
private slots:
    void speakBoxReadsWithTheRulesAndTheBook() {
        SpeechWindowFixture f;
        writeBytes(f.path(kPronunciationFileName), rulesFile());
        TTSSetup& w = f.load();
        w.readingDocument("abc", "en", {bookLexicon()});
        w.handOver("Dr. Pip met Queequeg.");
        QCoreApplication::processEvents();
        QCOMPARE(f.voice->calls.last().text, "doctor Pippin MET Kwee kweg.");
        QVERIFY(f.prompts.messages.isEmpty());
    }

    // The window's own speaking reads with the rules once (the clipboard monitor's word list
    // first), the box keeps the words as written, and the band marks them.
    void windowsOwnSpeakingReadsWithTheRules_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("spoken");
        QTest::addColumn<int>("heardAt");
        QTest::addColumn<int>("heardLength");
        QTest::addColumn<QString>("band");
        QTest::newRow("Speak button") << "SpeakBtn"
                                      << "Dr. Who went."
                                      << "doctor Who went." << 0 << 6 << "Dr.";
        QTest::newRow("Test button")
            << "BtnTest"
            << "This is a test of the Speech Recognition System."
            << "This is a trial of the Speech Recognition System." << 10 << 5 << "test";
        QTest::newRow("Play Clipboard") << "Command2"
                                        << "Dr. Who went."
                                        << "doctor Who went." << 7 << 3 << "Who";
        QTest::newRow("clipboard monitor") << "monitor"
                                           << "Dr. Who left."
                                           << "doctor Who left." << 11 << 4 << "left";
    }
    void windowsOwnSpeakingReadsWithTheRules() {
        QFETCH(QString, action);
        QFETCH(QString, box);
        QFETCH(QString, spoken);
        QFETCH(int, heardAt);
        QFETCH(int, heardLength);
        QFETCH(QString, band);
        SpeechWindowFixture f;
        writeBytes(f.path(kPronunciationFileName), rulesFile());
        writeBytes(f.path("VIC.INI"), "CHKCLIPBOARD= 1\r\n");
        writeBytes(f.path("Speech.lst"), "went=left\r\n");
        TTSSetup& w = f.load();
        setClipboard("Dr. Who went.");
        if (action == "monitor") {
            w.onSpeakingTick();
        } else {
            f.mainText()->setPlainText("Dr. Who went.");
            f.click(qPrintable(action));
        }
        QCOMPARE(f.voice->calls.size(), 1);
        QCOMPARE(f.voice->calls.last().text, spoken);
        QCOMPARE(f.mainText()->toPlainText(), box);
        f.voice->startStream();
        f.voice->word(heardAt, heardLength);
        const QList<QTextEdit::ExtraSelection> shown = f.mainText()->extraSelections();
        QCOMPARE(shown.isEmpty() ? QString() : shown.first().cursor.selectedText(), band);
        QVERIFY(f.prompts.messages.isEmpty());
    }

    void damagedRulesFileIsToldAndKept() {
        SpeechWindowFixture f;
        writeBytes(f.path(kPronunciationFileName), "<lexicon>");
        f.load();
        QCOMPARE(f.prompts.messages.size(), 1);
        QVERIFY(f.prompts.messages[0].text.contains("were not used"));
        QCOMPARE(readBytes(f.path(kPronunciationFileName)), QByteArray("<lexicon>"));
    }
};

QTEST_MAIN(TestTTSSetupPronunciation)
#include "test_ttssetup_pronunciation.moc"
