// Talk, Stop, Again, the keys that start continuous play, and the pause timer's ticks.
#include "ReaderWindowFixture.h"

#include <QtTest>

using namespace orasent;
using namespace orasent::test;

namespace {
const QByteArray kWorkedExample = "One. Two. Three.";
}

class TestEnglishFPlayback : public QObject {
    Q_OBJECT
private slots:
    void talkPresses_data() {
        QTest::addColumn<QList<int>>("buttons");  // 1 left, 2 right, 4 middle
        QTest::addColumn<QString>("shown");
        QTest::addColumn<double>("lastPos");
        QTest::addColumn<double>("nextPos");
        QTest::newRow("left") << QList<int>{1} << "One." << 1.0 << 5.0;
        QTest::newRow("left, left") << QList<int>{1, 1} << " Two." << 5.0 << 10.0;
        QTest::newRow("left x3: Three. is never shown") << QList<int>{1, 1, 1} << " Two." << 5.0
                                                        << 10.0;
        QTest::newRow("middle") << QList<int>{4} << "One." << 1.0 << 5.0;
        QTest::newRow("right with nothing read") << QList<int>{2} << "One." << 1.0 << 5.0;
        QTest::newRow("right after the second") << QList<int>{1, 1, 2} << "One." << 1.0 << 5.0;
        QTest::newRow("right after the first") << QList<int>{1, 2} << " Two." << 5.0 << 10.0;
    }
    void talkPresses() {
        QFETCH(QList<int>, buttons);
        QFETCH(QString, shown);
        QFETCH(double, lastPos);
        QFETCH(double, nextPos);
        ReaderWindowFixture f;
        writeFile(QStringLiteral("Tech Pool.txt"), kWorkedExample);
        EnglishF& reader = f.open();
        for (int b : buttons) {
            const Qt::MouseButton button =
                b == 1 ? Qt::LeftButton : b == 2 ? Qt::RightButton : Qt::MiddleButton;
            QTest::mousePress(f.command(3), button);
            QTest::mouseRelease(f.command(3), button);
        }
        QCOMPARE(f.text1()->toPlainText(), shown);
        QCOMPARE(f.tts.spoken(), shown);
        QCOMPARE(reader.model().LastPos, lastPos);
        QCOMPARE(reader.model().NextPos, nextPos);
        QCOMPARE(f.tts.stopVoiceCalls, buttons.size());
        QCOMPARE(reader.model().ContinuousPlay, 0);
    }

    void talkStepsOnThePressNotTheRelease() {
        ReaderWindowFixture f;
        writeFile(QStringLiteral("Tech Pool.txt"), kWorkedExample);
        EnglishF& reader = f.open();
        QTest::mousePress(f.command(3), Qt::LeftButton);
        QCOMPARE(reader.model().NextPos, 5.0);
        QTest::mouseRelease(f.command(3), Qt::LeftButton);
        QCOMPARE(reader.model().NextPos, 5.0);
        // A quick second press arrives as a double click and still steps.
        QTest::mouseDClick(f.command(3), Qt::LeftButton);
        QCOMPARE(reader.model().NextPos, 10.0);
        QCOMPARE(f.text1()->toPlainText(), QStringLiteral(" Two."));
    }

    void keyboardActivationOfTalkDoesNotStep() {
        ReaderWindowFixture f;
        writeFile(QStringLiteral("Tech Pool.txt"), kWorkedExample);
        EnglishF& reader = f.open();
        const QString before = f.text1()->toPlainText();
        f.command(3)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(f.command(3), Qt::Key_Space);
        QCOMPARE(reader.model().NextPos, 0.0);
        QCOMPARE(f.text1()->toPlainText(), before);
        QCOMPARE(reader.model().ContinuousPlay, -1);  // the key itself starts continuous play
    }

    void keysThatStartContinuousPlay_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("expected");
        const int none = Qt::NoModifier;
        QTest::newRow("space on Text1") << "Text1" << int(Qt::Key_Space) << none << -1;
        QTest::newRow("a on Text1") << "Text1" << int(Qt::Key_A) << none << -1;
        QTest::newRow("Enter on Text1") << "Text1" << int(Qt::Key_Return) << none << -1;
        QTest::newRow("digit on Command8") << "Command8" << int(Qt::Key_7) << none << -1;
        QTest::newRow("space on Command5") << "Command5" << int(Qt::Key_Space) << none << -1;
        // On Stop the key switches play on and the click that follows switches it off again.
        QTest::newRow("space on Stop") << "Command4" << int(Qt::Key_Space) << none << 0;
        QTest::newRow("a on Command11") << "Command11" << int(Qt::Key_A) << none << -1;
        QTest::newRow("Shift alone") << "Text1" << int(Qt::Key_Shift) << none << 0;
        QTest::newRow("Left arrow") << "Text1" << int(Qt::Key_Left) << none << 0;
        QTest::newRow("F5") << "Command3" << int(Qt::Key_F5) << none << 0;
        QTest::newRow("Alt+B") << "Command3" << int(Qt::Key_B) << int(Qt::AltModifier) << 0;
        QTest::newRow("Tab") << "Command3" << int(Qt::Key_Tab) << none << 0;
        QTest::newRow("a in Text2") << "Text2" << int(Qt::Key_A) << none << 0;
        QTest::newRow("space in Text2") << "Text2" << int(Qt::Key_Space) << none << 0;
        QTest::newRow("Enter in Text2") << "Text2" << int(Qt::Key_Return) << none << 0;
        QTest::newRow("a on the window") << "window" << int(Qt::Key_A) << none << -1;
    }
    void keysThatStartContinuousPlay() {
        QFETCH(QString, target);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, expected);
        ReaderWindowFixture f;
        writeFile(QStringLiteral("Tech Pool.txt"), kWorkedExample);
        EnglishF& reader = f.open();
        QWidget* widget = target == QLatin1String("window")
                              ? static_cast<QWidget*>(&reader)
                              : control<QWidget>(reader, target);
        QVERIFY(widget);
        if (widget == &reader) {
            if (QWidget* focus = QApplication::focusWidget())
                focus->clearFocus();
        } else {
            widget->setFocus(Qt::TabFocusReason);
        }
        QTest::keyClick(widget, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(reader.model().ContinuousPlay, expected);
        QCOMPARE(reader.model().NextPos, 0.0);  // no key makes a sentence step
    }

    void typedKeyStillReachesTheControl() {
        ReaderWindowFixture f;
        writeFile(QStringLiteral("Tech Pool.txt"), kWorkedExample);
        EnglishF& reader = f.open();
        f.text1()->setPlainText(QString());
        f.text1()->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(f.text1(), QStringLiteral("ab"));
        QCOMPARE(f.text1()->toPlainText(), QStringLiteral("ab"));
        QCOMPARE(reader.model().ContinuousPlay, -1);
    }

    void altShortcutPressesItsButton() {
        ReaderWindowFixture f;
        writeFile(QStringLiteral("Tech Pool.txt"), kWorkedExample);
        EnglishF& reader = f.open();
        f.command(3)->setFocus(Qt::TabFocusReason);
        // Through the window system, as a user types it, so the shortcut map sees it.
        QTest::keyClick(reader.windowHandle(), Qt::Key_B, Qt::AltModifier);
        // The shortcut animates a click, which lands a moment later.
        QTRY_COMPARE(f.text1()->font().pointSizeF(), 28.0);
        QCOMPARE(reader.model().ContinuousPlay, 0);
    }

    void stopAndAgain() {
        ReaderWindowFixture f;
        writeFile(QStringLiteral("Tech Pool.txt"), kWorkedExample);
        EnglishF& reader = f.open();
        QTest::mousePress(f.command(3), Qt::LeftButton);
        reader.model().ContinuousPlay = -1;
        f.tts.SPKBX()->clear();  // the speech window took the sentence
        QTest::mouseClick(f.command(5), Qt::LeftButton);  // Again
        QCOMPARE(f.tts.spoken(), QStringLiteral("One."));
        QCOMPARE(f.tts.stopVoiceCalls, 2);
        QCOMPARE(reader.model().NextPos, 5.0);
        QTest::mouseClick(f.command(4), Qt::LeftButton);  // Stop
        QCOMPARE(reader.model().ContinuousPlay, 0);
        QCOMPARE(f.tts.stopVoiceCalls, 3);
        QCOMPARE(f.tts.spoken(), QStringLiteral("One."));  // the speak box is left alone
    }

    void ticks() {
        ReaderWindowFixture f;
        writeFile(QStringLiteral("Tech Pool.txt"), kWorkedExample);
        EnglishF& reader = f.open();
        ReaderModel& m = reader.model();

        reader.Timer1_Timer();  // continuous play off
        QCOMPARE(m.NextPos, 0.0);
        QCOMPARE(f.tts.stopVoiceCalls, 0);

        m.ContinuousPlay = -1;
        f.tts.setSpeaking(true);
        reader.Timer1_Timer();  // still speaking: nothing
        QCOMPARE(m.NextPos, 0.0);
        QCOMPARE(f.tts.stopVoiceCalls, 0);

        f.tts.setSpeaking(false);
        reader.Timer1_Timer();  // idle: one step, then the wait
        QCOMPARE(f.text1()->toPlainText(), QStringLiteral("One."));
        QCOMPARE(m.NextPos, 5.0);
        QVERIFY(!reader.isInHandOverWait());
        reader.Timer1_Timer();
        QCOMPARE(m.NextPos, 10.0);
        const int stops = f.tts.stopVoiceCalls;
        reader.Timer1_Timer();  // end of the text: only StopVoice, and play stays on
        reader.Timer1_Timer();
        QCOMPARE(f.tts.stopVoiceCalls, stops + 2);
        QCOMPARE(m.NextPos, 10.0);
        QCOMPARE(m.ContinuousPlay, -1);
        QCOMPARE(f.text1()->toPlainText(), QStringLiteral(" Two."));
    }

    void tickDuringTheWaitIsSkippedAndStopIsHandled() {
        ReaderWindowFixture f;
        writeFile(QStringLiteral("Tech Pool.txt"), "One. Two. Three. Four. ");
        EnglishF& reader = f.open();
        ReaderModel& m = reader.model();
        m.ContinuousPlay = -1;
        bool ranInsideTheWait = false;
        double nextPosAfterInnerTick = -1;
        // Runs as a pending event while the first tick waits.
        QTimer::singleShot(0, &reader, [&] {
            ranInsideTheWait = reader.isInHandOverWait();
            reader.Timer1_Timer();
            nextPosAfterInnerTick = m.NextPos;
            QTest::mouseClick(f.command(4), Qt::LeftButton);  // Stop
        });
        reader.Timer1_Timer();
        QVERIFY(ranInsideTheWait);
        QCOMPARE(nextPosAfterInnerTick, 5.0);  // the inner tick made no step
        QCOMPARE(m.ContinuousPlay, 0);
        QCOMPARE(f.tts.stopVoiceCalls, 2);  // the step and Stop
        QVERIFY(!reader.isInHandOverWait());
        reader.Timer1_Timer();  // play is off now
        QCOMPARE(m.NextPos, 5.0);
    }

    void talkDuringTheWaitSteps() {
        ReaderWindowFixture f;
        writeFile(QStringLiteral("Tech Pool.txt"), "One. Two. Three. Four. ");
        EnglishF& reader = f.open();
        reader.model().ContinuousPlay = -1;
        QTimer::singleShot(0, &reader, [&] { QTest::mousePress(f.command(3), Qt::LeftButton); });
        reader.Timer1_Timer();
        QCOMPARE(reader.model().NextPos, 10.0);
        QCOMPARE(f.tts.spoken(), QStringLiteral(" Two."));
    }

    void timerDrivesTheTicks() {
        ReaderWindowFixture f;
        writeFile(QStringLiteral("Tech Pool.txt"), kWorkedExample);
        EnglishF& reader = f.open();
        QCOMPARE(f.timer1()->interval(), 2000);
        reader.model().ContinuousPlay = -1;
        QSignalSpy ticks(f.timer1(), &QTimer::timeout);
        f.timer1()->setInterval(10);  // the wiring, not the pace
        QTRY_VERIFY(reader.model().NextPos >= 5.0);
        QVERIFY(ticks.count() >= 1);
    }
};

QTEST_MAIN(TestEnglishFPlayback)
#include "test_englishf_playback.moc"
