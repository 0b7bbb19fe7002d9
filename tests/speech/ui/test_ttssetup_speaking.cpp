// Speaking through the window: its controls mirroring the speaking core, the clipboard monitor,
// Play Clipboard, the Test, Speak and Stop buttons, clear after speak, the word highlight and the
// voice change event. The speaking logic itself is tested on the core.
#include "TTSSetupFixture.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTextEdit>

using namespace orasent;
using namespace orasent::test;

namespace {
void letQueuedCallsRun() {
    QTest::qWait(0);
}

// The text the word highlight paints.
QString painted(const QPlainTextEdit* box) {
    const QList<QTextEdit::ExtraSelection> shown = box->extraSelections();
    return shown.isEmpty() ? QString() : shown.first().cursor.selectedText();
}
} // namespace

class TestTTSSetupSpeaking : public QObject {
    Q_OBJECT
private slots:
    void init() { setClipboard(QString()); }

    // Each row is a script run on one window. Steps: "box:T" puts T into the speak box, "main:T"
    // into the main text box, "clip:T" onto the clipboard; "tick" runs Timer1, "run" the queued
    // calls, "say" SpeakItX, "stop" StopVoice, "click:B" the button B, "fail" makes Speak throw;
    // "start", "end" and "through" are the voice's stream events. Checks: "idle", "busy", "box=T",
    // "main=T", "clip=T". Every row also checks all that was spoken, that it went with flags 11,
    // and that no message showed.
    void script_data() {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QString>("steps"); // separated by "; "
        QTest::addColumn<QStringList>("spoken");
        const QByteArray none, clipboard = "CHKCLIPBOARD= 1\r\n";
        // SPKBX and SpeakBtn mirror the speaking core; the pickup uses the loaded list.
        QTest::newRow("pickup mirrored in the controls")
            << none << QByteArray("RD=ROAD\r\nst=street\r\n")
            << "box:Main Rd and First St; tick; box=; main=MAIN ROAD AND FIRST ST; busy; through; "
               "idle"
            << QStringList{"MAIN ROAD AND FIRST ST"};
        QTest::newRow("clipboard monitor unticked")
            << none << none << "clip:copied text; tick; main=" << QStringList{};
        QTest::newRow("clipboard: new text once, not upper-cased")
            << clipboard << none
            << "clip:Copied text; tick; tick; through; tick; clip:Copied text; tick; clip:Other "
               "text; tick"
            << QStringList{"Copied text", "Other text"};
        QTest::newRow("clipboard: a replacement changes the text")
            << clipboard << QByteArray("Rd=Road\r\n")
            << "clip:Main Rd; tick; tick; through; tick; tick; tick" << QStringList{"Main Road"};
        // While speaking the tick goes to the monitor, which empties the box and speaks nothing.
        QTest::newRow("clipboard: empty clipboard while speaking")
            << clipboard << none << "box:a sentence; tick; tick; main=; busy"
            << QStringList{"A SENTENCE"};
        QTest::newRow("clipboard: old text not taken again after the reader's")
            << clipboard << none
            << "clip:first copy; tick; box:reader sentence; end; tick; tick; clip:second copy; tick"
            << QStringList{"first copy", "READER SENTENCE", "second copy"};
        QTest::newRow("play clipboard, no replacements")
            << none << QByteArray("Rd=Road\r\n")
            << "main:old; click:Command2; main=; clip:Main Rd; click:Command2; main=Main Rd; busy"
            << QStringList{"Main Rd"};
        QTest::newRow("Test button, no replacements")
            << none << QByteArray("test=exam\r\n") << "click:BtnTest; busy"
            << QStringList{"This is a test of the Speech Recognition System."};
        // Stop empties both boxes, so nothing waits to be picked up.
        QTest::newRow("Speak and Stop buttons")
            << none << none
            << "main:long text; click:SpeakBtn; box:waiting; "
               "click:StopBtn; main=; box=; busy; run; tick; idle"
            << QStringList{"long text", "<stop>"};
        QTest::newRow("clear after speak")
            << QByteArray("CLEARIT= 1\r\n") << none
            << "clip:on the clipboard; main:spoken text; say; through; main=; clip="
            << QStringList{"spoken text"};
        QTest::newRow("no clear after speak") << none << none
                                              << "clip:on the clipboard; main:spoken text; say; "
                                                 "through; main=spoken text; clip=on the clipboard"
                                              << QStringList{"spoken text"};
    }

    void script() {
        QFETCH(QByteArray, settings);
        QFETCH(QByteArray, list);
        QFETCH(QString, steps);
        QFETCH(QStringList, spoken);
        SpeechWindowFixture f;
        if (!settings.isEmpty())
            writeBytes(f.path("VIC.INI"), settings);
        if (!list.isEmpty())
            writeBytes(f.path("Speech.lst"), list);
        TTSSetup& w = f.load();
        static const QRegularExpression separator(QStringLiteral("[:=]"));
        for (const QString& step : steps.split(QStringLiteral("; "))) {
            const qsizetype at = step.indexOf(separator);
            const QString name = at < 0 ? step : step.left(at);
            const QString text = at < 0 ? QString() : step.mid(at + 1);
            if (at >= 0 && step.at(at) == u'=') {
                const QString actual = name == "box"    ? w.handedOverBox()->text()
                                       : name == "main" ? f.mainText()->toPlainText()
                                                        : QGuiApplication::clipboard()->text();
                QVERIFY2(actual == text,
                         qPrintable(QStringLiteral("%1, but it is \"%2\"").arg(step, actual)));
            } else if (name == "idle" || name == "busy") {
                QVERIFY2(w.SpeakBtn()->isEnabled() == (name == "idle"), qPrintable(step));
            } else if (name == "box") {
                w.handedOverBox()->setText(text);
            } else if (name == "main") {
                f.mainText()->setPlainText(text);
            } else if (name == "clip") {
                setClipboard(text);
            } else if (name == "tick") {
                w.onSpeakingTick();
            } else if (name == "run") {
                letQueuedCallsRun();
            } else if (name == "say") {
                w.SpeakItX();
            } else if (name == "stop") {
                w.StopVoice();
            } else if (name == "click") {
                f.click(qPrintable(text));
            } else if (name == "fail") {
                f.voice->failSpeak = true;
            } else if (name == "start") {
                f.voice->startStream();
            } else if (name == "end") {
                f.voice->endStream();
            } else if (name == "through") {
                f.voice->speakThrough();
            } else {
                QFAIL(qPrintable("unknown step " + step));
            }
        }
        QCOMPARE(f.spoken(), spoken);
        for (const FakeVoice::SpeakCall& call : std::as_const(f.voice->calls))
            QCOMPARE(call.flags, 11);
        QVERIFY(f.prompts.messages.isEmpty());
    }

    void speakingStateFollowsStreamEvents() {
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
        QCOMPARE(painted(f.mainText()), QStringLiteral("one two"));
        // A stream the window did not start (the engine's own) still shows as speaking.
        f.voice->startStream();
        QVERIFY(!w.SpeakBtn()->isEnabled());
        QVERIFY(stop->isEnabled());
    }

    void wordHighlight() {
        SpeechWindowFixture f;
        TTSSetup& w = f.load();
        QPlainTextEdit* box = f.mainText();
        box->setPlainText(QStringLiteral("one two\nthree"));
        w.SpeakItX();
        f.voice->startStream();
        f.voice->word(4, 3);
        QCOMPARE(painted(box), QStringLiteral("two"));
        f.voice->word(8, 5);
        QCOMPARE(painted(box), QStringLiteral("three"));
        // Painted only: the box's own selection, the one that is copied, stays the user's.
        QVERIFY(!box->textCursor().hasSelection());
    }

    void wordHighlightOffsetsBeyondTheText_data() {
        QTest::addColumn<int>("pos");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("cursorPosition"); // -1: the highlight unchanged
        QTest::newRow("start beyond") << 50 << 3 << -1;
        QTest::newRow("negative start") << -1 << 3 << -1;
        QTest::newRow("length beyond") << 4 << 100 << 4;
        QTest::newRow("negative length") << 4 << -2 << 4;
        QTest::newRow("huge") << 2147483647 << 2147483647 << -1;
        QTest::newRow("end of text") << 7 << 0 << 7;
    }

    void wordHighlightOffsetsBeyondTheText() {
        QFETCH(int, pos);
        QFETCH(int, length);
        QFETCH(int, cursorPosition); // where the painted word then starts
        SpeechWindowFixture f;
        TTSSetup& w = f.load();
        QPlainTextEdit* box = f.mainText();
        box->setPlainText(QStringLiteral("one two"));
        w.SpeakItX();
        w.HighlightSpokenText(0, 3);
        f.voice->word(pos, length);
        if (cursorPosition < 0)
            QCOMPARE(w.highlightedSpan(), qMakePair(0, 3));
        else
            QCOMPARE(w.highlightedSpan(), qMakePair(cursorPosition, 0));
        QVERIFY(!w.SpeakBtn()->isEnabled());
    }

    void voiceChange() {
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
};

QTEST_MAIN(TestTTSSetupSpeaking)
#include "test_ttssetup_speaking.moc"
