// The speech window reads with the rules file of its working folder and with the lexicons of
// the document the reader reads; a rules file it cannot read is told and left as it is.
#include "TTSSetupFixture.h"
#include "speech/PlsLexicon.h"

#include <QtTest>

using namespace orasent;
using namespace orasent::test;

namespace {

QByteArray rulesFile() {
    PronunciationRule doctor;
    doctor.text = "Dr.";
    doctor.alias = "doctor";
    PronunciationRule mine;
    mine.text = "Pip";
    mine.alias = "Pippin";
    mine.scope = PronunciationRule::Scope::Document;
    mine.scopeKey = "abc";
    return writePlsLexicon({doctor, mine}, {}, LexiconKind::RulesFile).bytes;
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
