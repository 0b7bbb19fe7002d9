// The speaking core on the scripted engine, without widgets: the speak box and its pickup, the
// speaking state, old streams' events, StopVoice, and following the handed-over text.
#include "FakeVoice.h"
#include "speech/SpeakingCore.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

using namespace orasent;
using namespace orasent::test;

namespace {

void letQueuedCallsRun() {
    QCoreApplication::processEvents();
}

// A core on a fake voice, and the band as the reader would show it: the span of the handed-over
// text last heard, empty once that text is no longer heard.
struct CoreRig {
    FakeVoice voice;
    SpeakingCore core;
    QString band;
    QStringList bands; // every band shown, in order

    explicit CoreRig(const QString& list = {}, bool start = true) {
        core.setVoice(&voice);
        core.setSpeakFlags(11);
        core.setReplacementList(list);
        QObject::connect(&core, &SpeakingCore::handedOverWordHeard,
                         [this](const QString& text, int start, int length) {
                             band = text.mid(start, length);
                             bands << band;
                         });
        QObject::connect(&core, &SpeakingCore::handedOverSpeechEnded, [this] { band.clear(); });
        if (start)
            begin();
    }
    void begin() {
        core.start();
        core.timer()->stop(); // the test ticks
    }
    // The texts given to the engine, with "<stop>" where it was stopped.
    QStringList spoken() const {
        QStringList texts;
        for (qsizetype i = 0, stop = 0; i <= voice.calls.size(); ++i) {
            for (; stop < voice.stops.size() && voice.stops.at(stop) == i; ++stop)
                texts << QStringLiteral("<stop>");
            if (i < voice.calls.size())
                texts << voice.calls.at(i).text;
        }
        return texts;
    }
};

// "p,l" or "p,l@stream"
void raiseWord(FakeVoice& voice, const QString& args) {
    const QStringList parts = args.split(QRegularExpression(QStringLiteral("[,@]")));
    voice.word(parts.value(0).toInt(), parts.value(1).toInt(), parts.value(2).toInt());
}

} // namespace

class TestSpeakingCore : public QObject {
    Q_OBJECT
private slots:
    // Steps: "box:T" hands T over, "tick", "run" (queued calls), "say:T" speaks T, "stop"
    // (StopVoice), "fail" (Speak throws), "begin" (the window's load; rows without it start
    // loaded), "start", "end", "word:p,l", "sentence:p,l" and "through" are engine events, "@n"
    // aims one at stream n. Checks: "idle", "busy", "box=T", "band=T" (the handed-over text under
    // the band). Every row also checks all that was spoken, always with flags 11.
    void script_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("steps"); // separated by "; "
        QTest::addColumn<QStringList>("spoken");
        QTest::newRow("pickup on the tick, upper case, then the list")
            << "RD=ROAD|st=street"
            << "box:Main Rd and First St; tick; box=; busy; run"
            << QStringList{"MAIN ROAD AND FIRST ST"};
        QTest::newRow("waits while speaking, the latest text wins")
            << ""
            << "say:long text; start; box:first; tick; run; box:second; tick; box=second; end; "
               "idle; run; box=; busy"
            << QStringList{"long text", "SECOND"};
        // Several texts before the event loop is free count once.
        QTest::newRow("at once without a tick")
            << ""
            << "box:one; box:two; run; box:four; run; box=four" << QStringList{"TWO"};
        QTest::newRow("handed over before the load")
            << ""
            << "box:early; run; box=early; begin; run; box=" << QStringList{"EARLY"};
        QTest::newRow("StopVoice while idle: busy until the loop is free, then idle")
            << ""
            << "stop; busy; run; idle" << QStringList{"<stop>"};
        QTest::newRow("StopVoice with a text waiting: taken when the loop is free")
            << ""
            << "box:waiting; stop; box=waiting; busy; run; busy; box=; through; idle"
            << QStringList{"<stop>", "WAITING"};
        // The stop must not hold the next sentence back; the stopped stream's late events are
        // stale.
        QTest::newRow("Talk while speaking: not held back by the stop")
            << ""
            << "say:old sentence; start; stop; box:next; run; box=; start@1; end@1; busy; "
               "through; idle"
            << QStringList{"old sentence", "<stop>", "NEXT"};
        QTest::newRow("old streams' events change nothing")
            << ""
            << "say:first; start; say:second; end@1; busy; end; idle; start@1; idle; word:0,5@1; "
               "band="
            << QStringList{"first", "second"};
        QTest::newRow("engine refuses: idle, box taken")
            << ""
            << "fail; box:hello; run; idle; box=; stop" << QStringList{"<stop>"};
        // Follow-along: words of the spoken text shown on the text as handed over.
        QTest::newRow("band on what a replacement replaced")
            << "RD=ROAD"
            << "box:Main Rd.; run; start; word:0,4; band=Main; word:5,5; band=Rd.; end; band=; idle"
            << QStringList{"MAIN ROAD."};
        QTest::newRow("band after removed words")
            << "UM ="
            << "box:um hello um there; run; word:0,5; band=hello; word:6,5; band=there"
            << QStringList{"HELLO THERE"};
        QTest::newRow("band after CR LF")
            << ""
            << "box:One.\r\nTwo.; run; word:5,4; band=Two." << QStringList{"ONE.\nTWO."};
        QTest::newRow("band leaves on StopVoice and on a new text")
            << ""
            << "box:one two; run; word:4,3; band=two; stop; band=; box:three; run; word:0,5; "
               "band=three; say:x; band="
            << QStringList{"ONE TWO", "<stop>", "THREE", "x"};
        QTest::newRow("no band for a word beyond the text or a text not handed over")
            << ""
            << "box:one; run; word:0,3; band=one; word:50,3; band=; say:two; word:0,3; band="
            << QStringList{"ONE", "two"};
        QTest::newRow("sentence band until the first word, then words only")
            << ""
            << "box:One two. Three.; run; start; sentence:0,8; band=One two.; word:0,3; band=One; "
               "sentence:9,6; band=One; end; band="
            << QStringList{"ONE TWO. THREE."};
        QTest::newRow("an engine without word events shows the sentence")
            << ""
            << "box:Hello there.; run; start; sentence:0,12; band=Hello there.; end; band="
            << QStringList{"HELLO THERE."};
    }

    void script() {
        QFETCH(QString, list);
        QFETCH(QString, steps);
        QFETCH(QStringList, spoken);
        CoreRig rig(list, !steps.contains(QLatin1String("begin")));
        static const QRegularExpression separator(QStringLiteral("[:=@]"));
        for (const QString& step : steps.split(QStringLiteral("; "))) {
            const qsizetype at = step.indexOf(separator);
            const QString name = at < 0 ? step : step.left(at);
            const QString arg = at < 0 ? QString() : step.mid(at + 1);
            const int stream = step.at(qMax<qsizetype>(at, 0)) == u'@' ? arg.toInt() : 0;
            if (at >= 0 && step.at(at) == u'=') {
                const QString actual = name == "box" ? rig.core.speakBoxText() : rig.band;
                QVERIFY2(actual == arg,
                         qPrintable(QStringLiteral("%1, but it is \"%2\"").arg(step, actual)));
            } else if (name == "idle" || name == "busy") {
                QVERIFY2(rig.core.isSpeaking() == (name == "busy"), qPrintable(step));
            } else if (name == "box") {
                rig.core.setSpeakBoxText(arg);
            } else if (name == "say") {
                rig.core.speak(arg);
            } else if (name == "tick") {
                rig.core.tick();
            } else if (name == "run") {
                letQueuedCallsRun();
            } else if (name == "stop") {
                rig.core.stopVoice();
            } else if (name == "fail") {
                rig.voice.failSpeak = true;
            } else if (name == "begin") {
                rig.begin();
            } else if (name == "start") {
                rig.voice.startStream(stream);
            } else if (name == "end") {
                rig.voice.endStream(stream);
            } else if (name == "word") {
                raiseWord(rig.voice, arg);
            } else if (name == "sentence") {
                rig.voice.sentence(arg.section(u',', 0, 0).toInt(), arg.section(u',', 1).toInt());
            } else if (name == "through") {
                rig.voice.speakThrough();
            } else {
                QFAIL(qPrintable("unknown step " + step));
            }
        }
        QCOMPARE(rig.spoken(), spoken);
        for (const FakeVoice::SpeakCall& call : std::as_const(rig.voice.calls))
            QCOMPARE(call.flags, 11);
    }

    // The state is announced on every change of the engine's streams, also when it stays.
    void speakingStateSignal() {
        CoreRig rig;
        QSignalSpy states(&rig.core, &SpeakingCore::speakingStateApplied);
        rig.core.speak(QStringLiteral("one"));
        rig.voice.speakThrough();
        rig.voice.endStream();
        QCOMPARE(states.size(), 4);
        QCOMPARE(states.at(1).at(0).toBool(), true);
        QCOMPARE(states.at(3).at(0).toBool(), false);
        // A stop is busy until the event loop is free; each change is told once.
        QSignalSpy changes(&rig.core, &SpeakingCore::stateChanged);
        rig.core.speak(QStringLiteral("two"));
        rig.core.stopVoice();
        letQueuedCallsRun();
        QList<SpeakingCore::State> seen;
        for (const QList<QVariant>& change : std::as_const(changes))
            seen << change.at(0).value<SpeakingCore::State>();
        QCOMPARE(seen, (QList<SpeakingCore::State>{SpeakingCore::State::Speaking,
                                                   SpeakingCore::State::Stopping,
                                                   SpeakingCore::State::Idle}));
    }

    // Hostile input: each is taken, spoken, followed and ended without hanging, and the band
    // shows only what came from each heard word.
    void badInput_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("words"); // pos, length pairs in the spoken text
        QTest::addColumn<QStringList>("bands");
        const QString big(1 << 20, u'x');
        QTest::newRow("1 MB without a blank")
            << "" << big << QList<int>{0, 1 << 20} << QStringList{big};
        QTest::newRow("a list that grows to its step budget")
            << "A=AA"
            << "a b" << QList<int>{0, 9999, 10000, 1} << QStringList{"a", "b"};
        QTest::newRow("WORD= with an empty replacement")
            << "THE =|CAT="
            << "the cat the end" << QList<int>{1, 3} << QStringList{"end"};
        QTest::newRow("markup only") << ""
                                     << "<speak><break/></speak>" << QList<int>{} << QStringList{};
    }

    void badInput() {
        QFETCH(QString, list);
        QFETCH(QString, text);
        QFETCH(QList<int>, words);
        QFETCH(QStringList, bands);
        CoreRig rig(list);
        rig.core.setSpeakBoxText(text);
        letQueuedCallsRun();
        QCOMPARE(rig.voice.calls.size(), 1);
        rig.voice.startStream();
        for (int i = 0; i + 1 < words.size(); i += 2)
            rig.voice.word(words[i], words[i + 1]);
        rig.voice.endStream();
        QCOMPARE(rig.bands, bands);
        QVERIFY(rig.band.isEmpty());
        QVERIFY(!rig.core.isSpeaking());
    }

    // The next sentence is got ready once the voice has the one handed over, not before it.
    void nextTextGetsReadyAfterTheHandedOverOne() {
        CoreRig rig;
        rig.core.setSpeakBoxText(QStringLiteral("One."));
        rig.core.prepareHandOver(QStringLiteral("Two."));
        QVERIFY(rig.voice.prepared.isEmpty());
        letQueuedCallsRun();
        QCOMPARE(rig.voice.lastText(), QStringLiteral("ONE."));
        QCOMPARE(rig.voice.prepared.size(), 1);
        QCOMPARE(rig.voice.prepared[0].text, QStringLiteral("TWO."));
    }

    // Stop, Talk and Again at 50 a second: every press stops and hands over; late events of the
    // streams in between arrive. Only the last text is heard and followed, and all goes idle.
    void fastStopTalkAgain() {
        CoreRig rig;
        for (int i = 0; i < 50; ++i) {
            rig.core.stopVoice();
            rig.core.setSpeakBoxText(QStringLiteral("sentence %1").arg(i % 7));
            const bool picked = i % 3 == 0;
            if (picked)
                letQueuedCallsRun();
            // The stream this press stopped (the one before a text just picked up).
            const int stale = rig.voice.currentStream() - (picked ? 1 : 0);
            if (stale == 0)
                continue;
            rig.voice.startStream(stale);
            rig.voice.word(0, 8, stale);
            rig.voice.endStream(stale);
        }
        letQueuedCallsRun();
        QVERIFY(rig.band.isEmpty());
        QVERIFY(rig.bands.isEmpty());
        QCOMPARE(rig.voice.lastText(), QStringLiteral("SENTENCE 0"));
        QVERIFY(rig.core.speakBoxText().isEmpty());
        rig.voice.speakThrough();
        QCOMPARE(rig.bands, QStringList({"sentence", "0"}));
        QVERIFY(rig.band.isEmpty());
        QVERIFY(!rig.core.isSpeaking());
    }
};

QTEST_GUILESS_MAIN(TestSpeakingCore)
#include "test_speakingcore.moc"
