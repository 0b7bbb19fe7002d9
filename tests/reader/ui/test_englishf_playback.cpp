// Talk, Stop, Again, the keys that start continuous play, the pause timer's ticks, and the
// follow-along band in Text1.
#include "ReaderWindowFixture.h"

#include <QScrollBar>
#include <QTextEdit>
#include <QtTest>

using namespace orasent;
using namespace orasent::test;

class TestEnglishFPlayback : public QObject {
    Q_OBJECT
private slots:
    void talkPresses_data() {
        QTest::addColumn<QList<int>>("buttons"); // Qt::MouseButton values
        QTest::addColumn<QString>("shown");
        QTest::addColumn<double>("nextPos");
        const int left = Qt::LeftButton, right = Qt::RightButton, middle = Qt::MiddleButton;
        QTest::newRow("left") << QList<int>{left} << "One." << 5.0;
        QTest::newRow("left x3: the last sentence too")
            << QList<int>{left, left, left} << " Three." << 17.0;
        QTest::newRow("middle") << QList<int>{middle} << "One." << 5.0;
        QTest::newRow("right with nothing read") << QList<int>{right} << "One." << 5.0;
        QTest::newRow("right after the first") << QList<int>{left, right} << " Two." << 10.0;
        QTest::newRow("right after the second") << QList<int>{left, left, right} << "One." << 5.0;
    }
    void talkPresses() {
        QFETCH(QList<int>, buttons);
        QFETCH(QString, shown);
        QFETCH(double, nextPos);
        ReaderWindowFixture f;
        f.open(true, "One. Two. Three.");
        for (int button : buttons)
            f.talk(Qt::MouseButton(button));
        QCOMPARE(f.text1()->toPlainText(), shown);
        QCOMPARE(f.tts.spoken(), shown);
        QCOMPARE(f.model().nextPos(), nextPos);
        QCOMPARE(f.tts.stopVoiceCalls, buttons.size());
    }

    void talkStepsOnThePressNotTheRelease() {
        ReaderWindowFixture f;
        f.open();
        f.talk();
        QTest::mouseRelease(f.command(3), Qt::LeftButton);
        QCOMPARE(f.model().nextPos(), 5.0);
        QTest::mouseDClick(f.command(3), Qt::LeftButton); // a quick second press still steps
        QCOMPARE(f.model().nextPos(), 10.0);
        QCOMPARE(f.text1()->toPlainText(), " Two.");
    }

    // Text1 is painted after the voice has its sentence, and never stays unpainted.
    void sentencePaintedOnceTheVoiceHasIt_data() {
        QTest::addColumn<bool>("speaking");
        QTest::addColumn<bool>("wordHeard");
        QTest::newRow("the pickup left nothing speaking") << false << false;
        QTest::newRow("speaking: painted at the first word") << true << true;
    }
    void sentencePaintedOnceTheVoiceHasIt() {
        QFETCH(bool, speaking);
        QFETCH(bool, wordHeard);
        ReaderWindowFixture f;
        f.open();
        QCoreApplication::processEvents();
        QVERIFY(f.text1()->updatesEnabled()); // the instructions: nothing handed over
        f.talk();
        QCoreApplication::processEvents();
        QVERIFY(!f.text1()->updatesEnabled());
        f.tts.setSpeaking(speaking);
        emit f.tts.core.pickupDone();
        QCOMPARE(f.text1()->updatesEnabled(), !speaking);
        if (wordHeard)
            emit f.tts.core.handedOverWordHeard(f.tts.spoken(), 0, 3);
        QVERIFY(f.text1()->updatesEnabled());
        QCOMPARE(f.text1()->toPlainText(), QStringLiteral("One."));
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
        QTest::newRow("space on Talk: no step") << "Command3" << int(Qt::Key_Space) << none << -1;
        QTest::newRow("digit on Command8") << "Command8" << int(Qt::Key_7) << none << -1;
        QTest::newRow("a on Command11") << "Command11" << int(Qt::Key_A) << none << -1;
        // On Stop the key switches play on and the click that follows switches it off again.
        QTest::newRow("space on Stop") << "Command4" << int(Qt::Key_Space) << none << 0;
        QTest::newRow("a on the window") << "window" << int(Qt::Key_A) << none << -1;
        QTest::newRow("Shift alone") << "Text1" << int(Qt::Key_Shift) << none << 0;
        QTest::newRow("Left arrow") << "Text1" << int(Qt::Key_Left) << none << 0;
        QTest::newRow("F5") << "Command3" << int(Qt::Key_F5) << none << 0;
        QTest::newRow("Alt+B") << "Command3" << int(Qt::Key_B) << int(Qt::AltModifier) << 0;
        QTest::newRow("Tab") << "Command3" << int(Qt::Key_Tab) << none << 0;
        QTest::newRow("a in Text2") << "Text2" << int(Qt::Key_A) << none << 0;
        QTest::newRow("space in Text2") << "Text2" << int(Qt::Key_Space) << none << 0;
        QTest::newRow("Enter in Text2") << "Text2" << int(Qt::Key_Return) << none << 0;
    }
    void keysThatStartContinuousPlay() {
        QFETCH(QString, target);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, expected);
        ReaderWindowFixture f;
        EnglishF& reader = f.open();
        QWidget* widget = target == "window" ? &reader : control<QWidget>(reader, target);
        QVERIFY(widget);
        if (widget != &reader)
            widget->setFocus(Qt::TabFocusReason);
        else if (QWidget* focus = QApplication::focusWidget())
            focus->clearFocus();
        QTest::keyClick(widget, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(f.model().playMode() == ReaderModel::PlayMode::Continuous, expected != 0);
        QCOMPARE(f.model().nextPos(), 0.0); // no key makes a sentence step
    }

    void typedKeyStillReachesTheControl() {
        ReaderWindowFixture f;
        f.open();
        f.text1()->setPlainText(QString());
        f.text1()->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(f.text1(), "ab");
        QCOMPARE(f.text1()->toPlainText(), "ab");
        QCOMPARE(f.model().playMode(), ReaderModel::PlayMode::Continuous);
    }

    void altShortcutPressesItsButton() {
        ReaderWindowFixture f;
        EnglishF& reader = f.open();
        f.command(3)->setFocus(Qt::TabFocusReason);
        // Through the window system, as a user types it, so the shortcut map sees it.
        QTest::keyClick(reader.windowHandle(), Qt::Key_B, Qt::AltModifier);
        QTRY_COMPARE(f.text1()->font().pointSizeF(), 28.0); // the animated click lands later
        QCOMPARE(f.model().playMode(), ReaderModel::PlayMode::Off);
    }

    void stopAndAgain() {
        ReaderWindowFixture f;
        f.open();
        f.talk();
        f.model().setPlayMode(ReaderModel::PlayMode::Continuous);
        f.tts.takeSpeakBox(); // the speech window took the sentence
        f.click(5);           // Again
        QCOMPARE(f.tts.spoken(), "One.");
        QCOMPARE(f.tts.stopVoiceCalls, 2);
        QCOMPARE(f.model().nextPos(), 5.0);
        f.click(4); // Stop
        QCOMPARE(f.model().playMode(), ReaderModel::PlayMode::Off);
        QCOMPARE(f.tts.stopVoiceCalls, 3);
        QCOMPARE(f.tts.spoken(), "One."); // the speak box is left alone
    }

    void tickSeesTheSpeakButton() {
        ReaderWindowFixture f;
        EnglishF& reader = f.open();
        f.model().setPlayMode(ReaderModel::PlayMode::Continuous);
        f.tts.setSpeaking(true);
        reader.onPauseTick();
        QCOMPARE(f.tts.stopVoiceCalls, 0);
        f.tts.setSpeaking(false);
        reader.onPauseTick();
        QCOMPARE(f.text1()->toPlainText(), "One.");
        QCOMPARE(f.tts.spoken(), "One.");
        QVERIFY(reader.isInHandOverWait()); // until the pickup has taken it
        emit f.tts.core.pickupDone();
        QVERIFY(!reader.isInHandOverWait());
    }

    void tickDuringTheWaitIsSkippedAndStopIsHandled() {
        ReaderWindowFixture f;
        EnglishF& reader = f.open();
        f.model().setPlayMode(ReaderModel::PlayMode::Continuous);
        reader.onPauseTick(); // a step, waiting for the pickup
        QVERIFY(reader.isInHandOverWait());
        reader.onPauseTick();
        QCOMPARE(f.model().nextPos(), 5.0); // the tick in the wait made no step
        f.click(4);                         // Stop
        QCOMPARE(f.model().playMode(), ReaderModel::PlayMode::Off);
        QCOMPARE(f.tts.stopVoiceCalls, 2); // the step and Stop
        emit f.tts.core.pickupDone();
        QVERIFY(!reader.isInHandOverWait());
        reader.onPauseTick(); // play is off now
        QCOMPARE(f.model().nextPos(), 5.0);
    }

    void talkDuringTheWaitSteps() {
        ReaderWindowFixture f;
        EnglishF& reader = f.open();
        f.model().setPlayMode(ReaderModel::PlayMode::Continuous);
        reader.onPauseTick();
        f.talk();
        QCOMPARE(f.model().nextPos(), 10.0);
        QCOMPARE(f.tts.spoken(), " Two.");
    }

    void timerDrivesTheTicks() {
        ReaderWindowFixture f;
        f.open();
        f.model().setPlayMode(ReaderModel::PlayMode::Continuous);
        f.timer1()->setInterval(10); // the wiring, not the pace
        QTRY_VERIFY(f.model().nextPos() >= 5.0);
    }

    // A word heard gets a band in Text1; nothing else of Text1 changes. A word of a text Text1
    // does not show, or one that maps to nothing, takes the band away.
    void followAlongBand_data() {
        QTest::addColumn<QString>("handedOver"); // empty: the sentence Text1 shows
        QTest::addColumn<int>("start");          // -1: where "The" starts
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("band"); // empty: no band
        QTest::newRow("a word") << "" << 0 << 1 << "Q";
        QTest::newRow("after a CR LF") << "" << -1 << 3 << "The";
        QTest::newRow("a text Text1 does not show") << "Other text." << 0 << 5 << "";
        QTest::newRow("nothing") << "" << 3 << 0 << "";
        QTest::newRow("beyond the text") << "" << 10 << 5000 << "";
    }
    void followAlongBand() {
        QFETCH(QString, handedOver);
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(QString, band);
        ReaderWindowFixture f;
        // A question pool puts the answer on a line of its own: a CR LF within the sentence.
        f.open(true, "Q" + QByteArray(" word").repeated(150) + "?\r\nThe answer is A. Next. ");
        f.talk();
        const QString sentence = f.tts.spoken();
        QVERIFY(sentence.contains(QLatin1String("?\r\nThe")));
        if (start < 0)
            start = int(sentence.indexOf(QLatin1String("The")));
        QPlainTextEdit* text1 = f.text1();
        text1->resize(200, 80);
        QCoreApplication::processEvents();
        QTextCursor caret(text1->document());
        caret.setPosition(6);
        caret.setPosition(9, QTextCursor::KeepAnchor);
        text1->setTextCursor(caret);
        text1->verticalScrollBar()->setValue(1);
        QCOMPARE(text1->verticalScrollBar()->value(), 1);
        f.command(5)->setFocus();
        const QString shown = text1->toPlainText();

        emit f.tts.core.handedOverWordHeard(sentence, 2, 4);
        QCOMPARE(text1->extraSelections().size(), 1);
        const QString heard = handedOver.isEmpty() ? sentence : handedOver;
        emit f.tts.core.handedOverWordHeard(heard, start, length);
        const QList<QTextEdit::ExtraSelection> bands = text1->extraSelections();
        QCOMPARE(bands.size(), band.isEmpty() ? 0 : 1);
        if (!band.isEmpty()) {
            QCOMPARE(bands[0].cursor.selectedText(), band);
            QCOMPARE(bands[0].format.background().color(), defaultBandColour(text1->palette()));
        }
        QCOMPARE(text1->toPlainText(), shown);
        QCOMPARE(text1->textCursor().anchor(), 6);
        QCOMPARE(text1->textCursor().position(), 9);
        QCOMPARE(text1->verticalScrollBar()->value(), 1);
        QCOMPARE(QApplication::focusWidget(), f.command(5));
        emit f.tts.core.handedOverSpeechEnded();
        QVERIFY(text1->extraSelections().isEmpty());
    }

    void bandColourContrast_data() {
        QTest::addColumn<QColor>("text");
        QTest::addColumn<QColor>("base");
        QTest::newRow("black on white") << QColor(Qt::black) << QColor(Qt::white);
        QTest::newRow("white on black") << QColor(Qt::white) << QColor(Qt::black);
        QTest::newRow("mid grey") << QColor(0x77, 0x77, 0x77) << QColor(Qt::white);
        QTest::newRow("yellow on navy") << QColor(Qt::yellow) << QColor(0, 0, 80);
    }
    void bandColourContrast() {
        QFETCH(QColor, text);
        QFETCH(QColor, base);
        QPalette palette;
        palette.setColor(QPalette::Text, text);
        palette.setColor(QPalette::Base, base);
        QVERIFY(contrastRatio(defaultBandColour(palette), text) >= 4.5);
    }
};

QTEST_MAIN(TestEnglishFPlayback)
#include "test_englishf_playback.moc"
