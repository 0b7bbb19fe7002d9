// Speaking through the window: the speak-box pickup (on the tick and at once), StopVoice, the
// replacement step, the clipboard monitor, the speaking state and the voice's events.
#include "TTSSetupFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace orasent;
using namespace orasent::test;

namespace {

QStringList spokenTexts(const FakeVoice& voice) {
    QStringList texts;
    for (const FakeVoice::SpeakCall& call : voice.calls)
        texts << call.text;
    return texts;
}

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
    void emptyMainTextSpeaksNothing();

    void clipboardMonitorUnticked();
    void clipboardMonitorSpeaksNewTextOnce();
    void clipboardMonitorWithAChangingReplacement();
    void clipboardMonitorEmptyClipboard();
    void clipboardMonitorCutsOffSpeech();
    void playClipboard();
    void playClipboardEmpty();

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
    QCOMPARE(control<QPlainTextEdit>(&w, "MainTxtBox")->toPlainText(), QStringLiteral("MAIN STREET."));
    QCOMPARE(f.voice->calls.size(), 1);
    QCOMPARE(f.voice->calls[0].text, QStringLiteral("MAIN STREET."));
    QCOMPARE(f.voice->calls[0].flags, 11);
    QVERIFY(!w.SpeakBtn()->isEnabled());
    letQueuedCallsRun();
    QCOMPARE(f.voice->calls.size(), 1);
}

void TestTTSSetupSpeaking::pickupWaitsWhileSpeakingAndTheLatestTextWins() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    control<QPlainTextEdit>(&w, "MainTxtBox")->setPlainText(QStringLiteral("long text"));
    w.SpeakItX();
    f.voice->startStream();
    w.SPKBX()->setText(QStringLiteral("first"));
    w.Timer1_Timer();
    letQueuedCallsRun();
    w.SPKBX()->setText(QStringLiteral("second"));
    w.Timer1_Timer();
    QCOMPARE(spokenTexts(*f.voice), QStringList({"long text"}));
    QCOMPARE(w.SPKBX()->text(), QStringLiteral("second"));

    f.voice->endStream();
    w.Timer1_Timer();
    letQueuedCallsRun();
    QCOMPARE(spokenTexts(*f.voice), QStringList({"long text", "SECOND"}));
    QVERIFY(w.SPKBX()->text().isEmpty());
}

void TestTTSSetupSpeaking::stopVoiceLeavesTheSpeakBoxAlone() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    control<QPlainTextEdit>(&w, "MainTxtBox")->setPlainText(QStringLiteral("long text"));
    w.SpeakItX();
    w.SPKBX()->setText(QStringLiteral("waiting"));
    w.StopVoice();
    QCOMPARE(f.voice->lastText(), QStringLiteral(" "));
    QCOMPARE(f.voice->calls.last().flags, 11);
    QCOMPARE(w.SPKBX()->text(), QStringLiteral("waiting"));
    // The blank's stream starts and ends; then the waiting text is spoken.
    f.voice->startStream();
    f.voice->endStream();
    w.Timer1_Timer();
    QCOMPARE(f.voice->lastText(), QStringLiteral("WAITING"));

    // A failing engine is not the caller's problem.
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
    w.SPKBX()->setText(QStringLiteral("three"));
    QVERIFY(f.voice->calls.isEmpty());
    letQueuedCallsRun();
    QCOMPARE(spokenTexts(*f.voice), QStringList({"THREE"}));
    QVERIFY(w.SPKBX()->text().isEmpty());

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
    QCOMPARE(spokenTexts(*f.voice), QStringList({"FIRST"}));
    f.voice->endStream();
    QVERIFY(w.SpeakBtn()->isEnabled());
    letQueuedCallsRun();
    QCOMPARE(spokenTexts(*f.voice), QStringList({"FIRST", "NEXT"}));
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
    QCOMPARE(spokenTexts(*f.voice), QStringList({"EARLY"}));
}

void TestTTSSetupSpeaking::replacementsAfterUpperCase() {
    SpeechWindowFixture f;
    writeBytes(f.path("Speech.lst"), "RD=ROAD\r\nst=street\r\nAVE = AVENUE\r\n");
    TTSSetup& w = f.load();
    w.SPKBX()->setText(QStringLiteral("Main Rd and First St, Ave 5"));
    w.Timer1_Timer();
    // Upper-cased first, so the upper-case entries apply and the lower-case one never does; the
    // blanks around "=" belong to the word and its replacement.
    QCOMPARE(f.voice->lastText(), QStringLiteral("MAIN ROAD AND FIRST ST,  AVENUE5"));
    QCOMPARE(control<QPlainTextEdit>(&w, "MainTxtBox")->toPlainText(), f.voice->lastText());
}

void TestTTSSetupSpeaking::speakingFailureLeavesTheWindowIdle() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    f.voice->failSpeak = true;
    w.SPKBX()->setText(QStringLiteral("hello"));
    w.Timer1_Timer();
    QVERIFY(w.SpeakBtn()->isEnabled());
    QVERIFY(!control<QPushButton>(&w, "StopBtn")->isEnabled());
    QVERIFY(w.SPKBX()->text().isEmpty());
    QVERIFY(f.prompts.messages.isEmpty());
}

void TestTTSSetupSpeaking::emptyMainTextSpeaksNothing() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    w.SpeakItX();
    w.SpeakIt();
    control<QPushButton>(&w, "SpeakBtn")->click();
    QVERIFY(f.voice->calls.isEmpty());
    QVERIFY(w.SpeakBtn()->isEnabled());
}

void TestTTSSetupSpeaking::clipboardMonitorUnticked() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    setClipboard(QStringLiteral("copied text"));
    w.Timer1_Timer();
    w.Timer1_Timer();
    QVERIFY(f.voice->calls.isEmpty());
    QVERIFY(control<QPlainTextEdit>(&w, "MainTxtBox")->toPlainText().isEmpty());
}

void TestTTSSetupSpeaking::clipboardMonitorSpeaksNewTextOnce() {
    SpeechWindowFixture f;
    writeBytes(f.path("VIC.INI"), "CHKCLIPBOARD= 1\r\n");
    TTSSetup& w = f.load();
    setClipboard(QStringLiteral("Copied text"));
    w.Timer1_Timer();
    QCOMPARE(spokenTexts(*f.voice), QStringList({"Copied text"}));  // not upper-cased
    w.Timer1_Timer();
    f.voice->speakThrough();
    w.Timer1_Timer();
    // The same text copied again is not repeated.
    setClipboard(QStringLiteral("Copied text"));
    w.Timer1_Timer();
    QCOMPARE(f.voice->calls.size(), 1);
    // A new text is.
    setClipboard(QStringLiteral("Other text"));
    w.Timer1_Timer();
    QCOMPARE(spokenTexts(*f.voice), QStringList({"Copied text", "Other text"}));
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
    QCOMPARE(spokenTexts(*f.voice), QStringList({"Main Road"}));
}

void TestTTSSetupSpeaking::clipboardMonitorEmptyClipboard() {
    SpeechWindowFixture f;
    writeBytes(f.path("VIC.INI"), "CHKCLIPBOARD= 1\r\n");
    TTSSetup& w = f.load();
    w.SPKBX()->setText(QStringLiteral("a sentence"));
    w.Timer1_Timer();
    QCOMPARE(f.voice->calls.size(), 1);
    // Speaking: the tick goes to the monitor, which empties the box and speaks nothing.
    w.Timer1_Timer();
    QVERIFY(control<QPlainTextEdit>(&w, "MainTxtBox")->toPlainText().isEmpty());
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
    QCOMPARE(f.voice->lastText(), QStringLiteral("READER SENTENCE"));
    // The old clipboard text is not taken again after the reader's sentence.
    w.Timer1_Timer();
    QCOMPARE(f.voice->calls.size(), 2);
    setClipboard(QStringLiteral("second copy"));
    w.Timer1_Timer();
    QCOMPARE(f.voice->lastText(), QStringLiteral("second copy"));
    QCOMPARE(f.voice->calls.last().flags & SVSFPurgeBeforeSpeak, int(SVSFPurgeBeforeSpeak));
}

void TestTTSSetupSpeaking::playClipboard() {
    SpeechWindowFixture f;
    writeBytes(f.path("Speech.lst"), "Rd=Road\r\n");
    TTSSetup& w = f.load();
    setClipboard(QStringLiteral("Main Rd"));
    control<QPushButton>(&w, "Command2")->click();
    QCOMPARE(spokenTexts(*f.voice), QStringList({"Main Rd"}));
    QCOMPARE(control<QPlainTextEdit>(&w, "MainTxtBox")->toPlainText(), QStringLiteral("Main Rd"));
}

void TestTTSSetupSpeaking::playClipboardEmpty() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    control<QPlainTextEdit>(&w, "MainTxtBox")->setPlainText(QStringLiteral("old"));
    control<QPushButton>(&w, "Command2")->click();
    QVERIFY(control<QPlainTextEdit>(&w, "MainTxtBox")->toPlainText().isEmpty());
    QVERIFY(f.voice->calls.isEmpty());
}

void TestTTSSetupSpeaking::speakingStateFollowsStreamEvents() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    auto* stop = control<QPushButton>(&w, "StopBtn");
    QAction* open = menuAction(&w, "menuFileOpenText");
    control<QPlainTextEdit>(&w, "MainTxtBox")->setPlainText(QStringLiteral("one two"));
    w.SpeakItX();
    QVERIFY(!w.SpeakBtn()->isEnabled());
    QVERIFY(!open->isEnabled());
    QVERIFY(stop->isEnabled());
    f.voice->startStream();
    QVERIFY(!w.SpeakBtn()->isEnabled());
    f.voice->endStream();
    QVERIFY(w.SpeakBtn()->isEnabled());
    QVERIFY(open->isEnabled());
    QVERIFY(!stop->isEnabled());
    QCOMPARE(control<QPlainTextEdit>(&w, "MainTxtBox")->textCursor().selectedText(), QStringLiteral("one two"));
    // A stream the window did not start (the engine's own) still shows as speaking.
    f.voice->startStream();
    QVERIFY(!w.SpeakBtn()->isEnabled());
    QVERIFY(stop->isEnabled());
}

void TestTTSSetupSpeaking::staleStreamEventsAreIgnored() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    auto* box = control<QPlainTextEdit>(&w, "MainTxtBox");
    box->setPlainText(QStringLiteral("first text"));
    w.SpeakItX();
    const int older = f.voice->currentStream();
    f.voice->startStream(older);
    box->setPlainText(QStringLiteral("second text"));
    w.SpeakItX();
    // The first stream's late events change nothing.
    f.voice->endStream(older);
    QVERIFY(!w.SpeakBtn()->isEnabled());
    f.voice->word(0, 5, older);
    QVERIFY(!box->textCursor().hasSelection());
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
    auto* box = control<QPlainTextEdit>(&w, "MainTxtBox");
    box->setPlainText(QStringLiteral("spoken text"));
    w.SpeakItX();
    f.voice->speakThrough();
    QCOMPARE(box->toPlainText(), ticked ? QString() : QStringLiteral("spoken text"));
    QCOMPARE(clipboard(), ticked ? QString() : QStringLiteral("on the clipboard"));
}

void TestTTSSetupSpeaking::wordHighlight() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    auto* box = control<QPlainTextEdit>(&w, "MainTxtBox");
    // The highlight stays visible while the focus is elsewhere.
    QCOMPARE(box->palette().color(QPalette::Inactive, QPalette::Highlight),
             box->palette().color(QPalette::Active, QPalette::Highlight));
    QCOMPARE(box->palette().color(QPalette::Inactive, QPalette::HighlightedText),
             box->palette().color(QPalette::Active, QPalette::HighlightedText));

    box->setPlainText(QStringLiteral("one two\nthree"));
    w.SpeakItX();
    QCOMPARE(f.voice->lastText(), QStringLiteral("one two\nthree"));
    f.voice->startStream();
    f.voice->word(0, 3);
    QCOMPARE(box->textCursor().selectedText(), QStringLiteral("one"));
    f.voice->word(4, 3);
    QCOMPARE(box->textCursor().selectedText(), QStringLiteral("two"));
    f.voice->word(8, 5);
    QCOMPARE(box->textCursor().selectedText(), QStringLiteral("three"));
    f.voice->endStream();
    QCOMPARE(box->textCursor().selectionStart(), 0);
    QCOMPARE(box->textCursor().selectionEnd(), 13);
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
    auto* box = control<QPlainTextEdit>(&w, "MainTxtBox");
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
    QVERIFY(f.prompts.messages.isEmpty());
}

void TestTTSSetupSpeaking::voiceChange() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    auto* voices = control<QComboBox>(&w, "VoiceCB");
    f.voice->log.clear();
    f.voice->voiceChange(SpObjectToken(QStringLiteral("voice/de"), QStringLiteral("German")));
    QCOMPARE(voices->currentIndex(), 2);
    QCOMPARE(f.voice->Voice().Id(), QStringLiteral("voice/de"));
    QCOMPARE(f.voice->log, QStringList({"setVoice(voice/de)"}));

    // Unknown, or differing in case only: the list stays.
    f.voice->voiceChange(SpObjectToken(QStringLiteral("voice/fr"), QStringLiteral("French")));
    f.voice->voiceChange(SpObjectToken(QStringLiteral("voice/x"), QStringLiteral("german")));
    QCOMPARE(voices->currentIndex(), 2);
    QCOMPARE(f.voice->Voice().Id(), QStringLiteral("voice/de"));
    QCOMPARE(f.voice->log.size(), 1);
}

QTEST_MAIN(TestTTSSetupSpeaking)
#include "test_ttssetup_speaking.moc"
