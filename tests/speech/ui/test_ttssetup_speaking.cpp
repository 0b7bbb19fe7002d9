// Speaking through the window: the speak-box pickup (on the tick and at once), StopVoice, the
// replacement step, the clipboard monitor, the speaking state and the voice's events.
#include "TTSSetupFixture.h"

#include <QCheckBox>
#include <QLineEdit>

using namespace orasent;
using namespace orasent::test;

namespace {
void letQueuedCallsRun() { QTest::qWait(0); }
} // namespace

class TestTTSSetupSpeaking : public QObject {
    Q_OBJECT
private slots:
    void init() { setClipboard(QString()); }

    void pickupWhenIdle();
    void pickupWaitsWhileSpeakingAndTheLatestTextWins();
    void stopVoiceLeavesTheSpeakBoxAlone();
    void promptPickupWithoutATick();
    void promptPickupWhenAStreamEnds();
    void textHandedOverBeforeTheLoad();
    void replacementsAfterUpperCase();
    void speakingFailureLeavesTheWindowIdle();

    void clipboardMonitorUnticked();
    void clipboardMonitorSpeaksNewTextOnce();
    void clipboardMonitorWithAChangingReplacement();
    void clipboardMonitorEmptyClipboard();
    void clipboardMonitorCutsOffSpeech();
    void playClipboard();

    void speakingStateFollowsStreamEvents();
    void staleStreamEventsAreIgnored();
    void staleBlankOfStopVoiceDoesNotEndTheNextSentence();
    void clearAfterSpeak_data();
    void clearAfterSpeak();
    void wordHighlight();
    void wordHighlightOffsetsBeyondTheText_data();
    void wordHighlightOffsetsBeyondTheText();
    void voiceChange();
};

void TestTTSSetupSpeaking::pickupWhenIdle() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    w.SPKBX()->setText(QStringLiteral("Main street."));
    w.Timer1_Timer();
    QVERIFY(w.SPKBX()->text().isEmpty());
    QCOMPARE(f.mainText()->toPlainText(), QStringLiteral("MAIN STREET."));
    QCOMPARE(f.spoken(), QStringList({"MAIN STREET."}));
    QCOMPARE(f.voice->calls[0].flags, 11);
    QVERIFY(!w.SpeakBtn()->isEnabled());
    letQueuedCallsRun();
    QCOMPARE(f.voice->calls.size(), 1);
}

void TestTTSSetupSpeaking::pickupWaitsWhileSpeakingAndTheLatestTextWins() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    f.mainText()->setPlainText(QStringLiteral("long text"));
    w.SpeakItX();
    f.voice->startStream();
    w.SPKBX()->setText(QStringLiteral("first"));
    w.Timer1_Timer();
    letQueuedCallsRun();
    w.SPKBX()->setText(QStringLiteral("second"));
    w.Timer1_Timer();
    QCOMPARE(f.spoken(), QStringList({"long text"}));
    f.voice->endStream();
    w.Timer1_Timer();
    letQueuedCallsRun();
    QCOMPARE(f.spoken(), QStringList({"long text", "SECOND"}));
    QVERIFY(w.SPKBX()->text().isEmpty());
}

void TestTTSSetupSpeaking::stopVoiceLeavesTheSpeakBoxAlone() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    f.mainText()->setPlainText(QStringLiteral("long text"));
    w.SpeakItX();
    w.SPKBX()->setText(QStringLiteral("waiting"));
    w.StopVoice();
    QCOMPARE(f.voice->lastText(), QStringLiteral(" "));
    QCOMPARE(f.voice->calls.last().flags, 11);
    QCOMPARE(w.SPKBX()->text(), QStringLiteral("waiting"));
    f.voice->startStream();
    f.voice->endStream();
    w.Timer1_Timer();
    QCOMPARE(f.voice->lastText(), QStringLiteral("WAITING"));
    f.voice->failSpeak = true;
    w.StopVoice();
    QVERIFY(f.prompts.messages.isEmpty());
}

void TestTTSSetupSpeaking::promptPickupWithoutATick() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    // Several assignments inside one handler count once; the last one is spoken.
    w.SPKBX()->setText(QStringLiteral("one"));
    w.SPKBX()->setText(QStringLiteral("two"));
    QVERIFY(f.voice->calls.isEmpty());
    letQueuedCallsRun();
    QCOMPARE(f.spoken(), QStringList({"TWO"}));
    // While speaking, a new text waits.
    w.SPKBX()->setText(QStringLiteral("four"));
    letQueuedCallsRun();
    QCOMPARE(f.voice->calls.size(), 1);
    QCOMPARE(w.SPKBX()->text(), QStringLiteral("four"));
}

void TestTTSSetupSpeaking::promptPickupWhenAStreamEnds() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    w.SPKBX()->setText(QStringLiteral("first"));
    letQueuedCallsRun();
    f.voice->startStream();
    w.SPKBX()->setText(QStringLiteral("next"));
    letQueuedCallsRun();
    f.voice->endStream();
    QVERIFY(w.SpeakBtn()->isEnabled());
    letQueuedCallsRun();
    QCOMPARE(f.spoken(), QStringList({"FIRST", "NEXT"}));
    QVERIFY(!w.SpeakBtn()->isEnabled());
}

void TestTTSSetupSpeaking::textHandedOverBeforeTheLoad() {
    SpeechWindowFixture f;
    TTSSetup& w = f.create();
    w.SPKBX()->setText(QStringLiteral("early"));
    letQueuedCallsRun();
    f.load();
    QVERIFY(f.voice->calls.isEmpty());
    letQueuedCallsRun();
    QCOMPARE(f.spoken(), QStringList({"EARLY"}));
}

void TestTTSSetupSpeaking::replacementsAfterUpperCase() {
    SpeechWindowFixture f;
    writeBytes(f.path("Speech.lst"), "RD=ROAD\r\nst=street\r\n");
    TTSSetup& w = f.load();
    w.SPKBX()->setText(QStringLiteral("Main Rd and First St"));
    w.Timer1_Timer();
    // Upper-cased first: the upper-case entry applies, the lower-case one never does.
    QCOMPARE(f.spoken(), QStringList({"MAIN ROAD AND FIRST ST"}));
    QCOMPARE(f.mainText()->toPlainText(), f.voice->lastText());
}

void TestTTSSetupSpeaking::speakingFailureLeavesTheWindowIdle() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    w.SpeakItX();  // an empty box speaks nothing
    QVERIFY(f.voice->calls.isEmpty());
    f.voice->failSpeak = true;
    w.SPKBX()->setText(QStringLiteral("hello"));
    w.Timer1_Timer();
    QVERIFY(w.SpeakBtn()->isEnabled());
    QVERIFY(!control<QPushButton>(&w, "StopBtn")->isEnabled());
    QVERIFY(w.SPKBX()->text().isEmpty());
    QVERIFY(f.prompts.messages.isEmpty());
}

void TestTTSSetupSpeaking::clipboardMonitorUnticked() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    setClipboard(QStringLiteral("copied text"));
    w.Timer1_Timer();
    QVERIFY(f.voice->calls.isEmpty());
    QVERIFY(f.mainText()->toPlainText().isEmpty());
}

void TestTTSSetupSpeaking::clipboardMonitorSpeaksNewTextOnce() {
    SpeechWindowFixture f;
    writeBytes(f.path("VIC.INI"), "CHKCLIPBOARD= 1\r\n");
    TTSSetup& w = f.load();
    setClipboard(QStringLiteral("Copied text"));
    w.Timer1_Timer();
    QCOMPARE(f.spoken(), QStringList({"Copied text"}));  // not upper-cased
    f.voice->speakThrough();
    w.Timer1_Timer();
    setClipboard(QStringLiteral("Copied text"));
    w.Timer1_Timer();
    QCOMPARE(f.voice->calls.size(), 1);
    setClipboard(QStringLiteral("Other text"));
    w.Timer1_Timer();
    QCOMPARE(f.spoken(), QStringList({"Copied text", "Other text"}));
}

void TestTTSSetupSpeaking::clipboardMonitorWithAChangingReplacement() {
    SpeechWindowFixture f;
    writeBytes(f.path("VIC.INI"), "CHKCLIPBOARD= 1\r\n");
    writeBytes(f.path("Speech.lst"), "Rd=Road\r\n");
    TTSSetup& w = f.load();
    setClipboard(QStringLiteral("Main Rd"));
    for (int tick = 0; tick < 5; ++tick) {
        w.Timer1_Timer();
        if (tick == 1)
            f.voice->speakThrough();
    }
    QCOMPARE(f.spoken(), QStringList({"Main Road"}));
}

void TestTTSSetupSpeaking::clipboardMonitorEmptyClipboard() {
    SpeechWindowFixture f;
    writeBytes(f.path("VIC.INI"), "CHKCLIPBOARD= 1\r\n");
    TTSSetup& w = f.load();
    w.SPKBX()->setText(QStringLiteral("a sentence"));
    w.Timer1_Timer();
    // Speaking: the tick goes to the monitor, which empties the box and speaks nothing.
    w.Timer1_Timer();
    QVERIFY(f.mainText()->toPlainText().isEmpty());
    QCOMPARE(f.voice->calls.size(), 1);
    QVERIFY(!w.SpeakBtn()->isEnabled());
}

void TestTTSSetupSpeaking::clipboardMonitorCutsOffSpeech() {
    SpeechWindowFixture f;
    writeBytes(f.path("VIC.INI"), "CHKCLIPBOARD= 1\r\n");
    TTSSetup& w = f.load();
    setClipboard(QStringLiteral("first copy"));
    w.Timer1_Timer();
    w.SPKBX()->setText(QStringLiteral("reader sentence"));
    f.voice->endStream();
    w.Timer1_Timer();
    // The old clipboard text is not taken again after the reader's sentence.
    w.Timer1_Timer();
    QCOMPARE(f.spoken(), QStringList({"first copy", "READER SENTENCE"}));
    setClipboard(QStringLiteral("second copy"));
    w.Timer1_Timer();
    QCOMPARE(f.voice->lastText(), QStringLiteral("second copy"));
    QCOMPARE(f.voice->calls.last().flags & SVSFPurgeBeforeSpeak, int(SVSFPurgeBeforeSpeak));
}

void TestTTSSetupSpeaking::playClipboard() {
    SpeechWindowFixture f;
    writeBytes(f.path("Speech.lst"), "Rd=Road\r\n");
    TTSSetup& w = f.load();
    f.mainText()->setPlainText(QStringLiteral("old"));
    f.click("Command2");  // an empty clipboard empties the box and speaks nothing
    QVERIFY(f.mainText()->toPlainText().isEmpty());
    QVERIFY(f.voice->calls.isEmpty());
    setClipboard(QStringLiteral("Main Rd"));
    f.click("Command2");
    QCOMPARE(f.spoken(), QStringList({"Main Rd"}));
    QCOMPARE(f.mainText()->toPlainText(), QStringLiteral("Main Rd"));
    QVERIFY(!w.SpeakBtn()->isEnabled());
}

void TestTTSSetupSpeaking::speakingStateFollowsStreamEvents() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    auto* stop = control<QPushButton>(&w, "StopBtn");
    QAction* open = menuAction(&w, "menuFileOpenText");
    f.mainText()->setPlainText(QStringLiteral("one two"));
    w.SpeakItX();
    QVERIFY(!w.SpeakBtn()->isEnabled());
    QVERIFY(!open->isEnabled());
    QVERIFY(stop->isEnabled());
    f.voice->startStream();
    f.voice->endStream();
    QVERIFY(w.SpeakBtn()->isEnabled());
    QVERIFY(open->isEnabled());
    QVERIFY(!stop->isEnabled());
    QCOMPARE(f.mainText()->textCursor().selectedText(), QStringLiteral("one two"));
    // A stream the window did not start (the engine's own) still shows as speaking.
    f.voice->startStream();
    QVERIFY(!w.SpeakBtn()->isEnabled());
    QVERIFY(stop->isEnabled());
}

void TestTTSSetupSpeaking::staleStreamEventsAreIgnored() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    f.mainText()->setPlainText(QStringLiteral("first text"));
    w.SpeakItX();
    const int older = f.voice->currentStream();
    f.voice->startStream(older);
    f.mainText()->setPlainText(QStringLiteral("second text"));
    w.SpeakItX();
    f.voice->endStream(older);
    QVERIFY(!w.SpeakBtn()->isEnabled());
    f.voice->word(0, 5, older);
    QVERIFY(!f.mainText()->textCursor().hasSelection());
    f.voice->endStream();
    QVERIFY(w.SpeakBtn()->isEnabled());
    f.voice->startStream(older);
    QVERIFY(w.SpeakBtn()->isEnabled());
}

// The reader's Talk: StopVoice, then the sentence into the speak box while idle.
void TestTTSSetupSpeaking::staleBlankOfStopVoiceDoesNotEndTheNextSentence() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    w.StopVoice();
    const int blank = f.voice->currentStream();
    w.SPKBX()->setText(QStringLiteral("the sentence."));
    letQueuedCallsRun();
    QCOMPARE(f.voice->lastText(), QStringLiteral("THE SENTENCE."));
    f.voice->startStream(blank);
    f.voice->endStream(blank);
    QVERIFY(!w.SpeakBtn()->isEnabled());
    f.voice->speakThrough();
    QVERIFY(w.SpeakBtn()->isEnabled());
}

void TestTTSSetupSpeaking::clearAfterSpeak_data() {
    QTest::addColumn<bool>("ticked");
    QTest::newRow("ticked") << true;
    QTest::newRow("unticked") << false;
}

void TestTTSSetupSpeaking::clearAfterSpeak() {
    QFETCH(bool, ticked);
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    control<QCheckBox>(&w, "ClearIt")->setChecked(ticked);
    setClipboard(QStringLiteral("on the clipboard"));
    f.mainText()->setPlainText(QStringLiteral("spoken text"));
    w.SpeakItX();
    f.voice->speakThrough();
    QCOMPARE(f.mainText()->toPlainText(), ticked ? QString() : QStringLiteral("spoken text"));
    QCOMPARE(QGuiApplication::clipboard()->text(), ticked ? QString() : QStringLiteral("on the clipboard"));
}

void TestTTSSetupSpeaking::wordHighlight() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    QPlainTextEdit* box = f.mainText();
    // The highlight stays visible while the focus is elsewhere.
    QCOMPARE(box->palette().color(QPalette::Inactive, QPalette::Highlight),
             box->palette().color(QPalette::Active, QPalette::Highlight));
    QCOMPARE(box->palette().color(QPalette::Inactive, QPalette::HighlightedText),
             box->palette().color(QPalette::Active, QPalette::HighlightedText));
    box->setPlainText(QStringLiteral("one two\nthree"));
    w.SpeakItX();
    f.voice->startStream();
    f.voice->word(4, 3);
    QCOMPARE(box->textCursor().selectedText(), QStringLiteral("two"));
    f.voice->word(8, 5);
    QCOMPARE(box->textCursor().selectedText(), QStringLiteral("three"));
}

void TestTTSSetupSpeaking::wordHighlightOffsetsBeyondTheText_data() {
    QTest::addColumn<int>("pos");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("cursorPosition");  // -1: unchanged
    QTest::newRow("start beyond") << 50 << 3 << -1;
    QTest::newRow("negative start") << -1 << 3 << -1;
    QTest::newRow("length beyond") << 4 << 100 << 4;
    QTest::newRow("negative length") << 4 << -2 << 4;
    QTest::newRow("huge") << 2147483647 << 2147483647 << -1;
    QTest::newRow("end of text") << 7 << 0 << 7;
}

void TestTTSSetupSpeaking::wordHighlightOffsetsBeyondTheText() {
    QFETCH(int, pos);
    QFETCH(int, length);
    QFETCH(int, cursorPosition);
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    QPlainTextEdit* box = f.mainText();
    box->setPlainText(QStringLiteral("one two"));
    w.SpeakItX();
    w.HighlightSpokenText(0, 3);
    f.voice->word(pos, length);
    if (cursorPosition < 0) {
        QCOMPARE(box->textCursor().selectedText(), QStringLiteral("one"));
    } else {
        QVERIFY(!box->textCursor().hasSelection());
        QCOMPARE(box->textCursor().position(), cursorPosition);
    }
    QVERIFY(!w.SpeakBtn()->isEnabled());
}

void TestTTSSetupSpeaking::voiceChange() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    auto* voices = control<QComboBox>(&w, "VoiceCB");
    f.voice->log.clear();
    f.voice->voiceChange(SpObjectToken(QStringLiteral("voice/de"), QStringLiteral("German")));
    QCOMPARE(voices->currentIndex(), 2);
    QCOMPARE(f.voice->log, QStringList({"setVoice(voice/de)"}));
    // Unknown, or differing in case only: the list stays.
    f.voice->voiceChange(SpObjectToken(QStringLiteral("voice/fr"), QStringLiteral("French")));
    f.voice->voiceChange(SpObjectToken(QStringLiteral("voice/x"), QStringLiteral("german")));
    QCOMPARE(voices->currentIndex(), 2);
    QCOMPARE(f.voice->log.size(), 1);
}

QTEST_MAIN(TestTTSSetupSpeaking)
#include "test_ttssetup_speaking.moc"
