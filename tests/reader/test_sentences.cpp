// Sentence steps, the right-button replay, Again, Stop and continuous play.
#include "RecordingReaderPort.h"
#include "reader/ReaderModel.h"

#include <QtTest>

using namespace orasent;
using orasent::test::RecordingReaderPort;

class SentencesTest : public QObject {
    Q_OBJECT

private slots:
    void workedExample() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.BookText = QStringLiteral("One. Two. Three.");
        model.talk(1);
        QCOMPARE(port.text1, QStringLiteral("One."));
        QCOMPARE(port.lastHandedOver(), QStringLiteral("One."));
        QCOMPARE(model.LastPos, 1.0);
        QCOMPARE(model.NextPos, 5.0);
        model.talk(1);
        QCOMPARE(port.text1, QStringLiteral(" Two."));
        QCOMPARE(model.LastPos, 5.0);
        QCOMPARE(model.NextPos, 10.0);
        port.clear();
        QVERIFY(!model.SayNextSentence());
        QCOMPARE(port.log, QStringList{QStringLiteral("StopVoice")});
        QCOMPARE(port.text1, QStringLiteral(" Two."));
        QCOMPARE(model.LastPos, 5.0);
        QCOMPARE(model.NextPos, 10.0);
    }

    void stepStopsVoiceFirst() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.BookText = QStringLiteral("One. Two. ");
        model.talk(1);
        QCOMPARE(port.log.first(), QStringLiteral("StopVoice"));
        QCOMPARE(port.log.last(), QStringLiteral("handOver:One."));
    }

    void rightClickReplays_data() {
        QTest::addColumn<int>("leftPresses");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<double>("lastPos");
        QTest::addColumn<double>("nextPos");
        QTest::newRow("nothing read yet shows the first") << 0 << QStringLiteral("One.") << 1.0 << 5.0;
        QTest::newRow("after the first shows the second") << 1 << QStringLiteral(" Two.") << 5.0 << 10.0;
        QTest::newRow("after the second shows the first") << 2 << QStringLiteral("One.") << 1.0 << 5.0;
        QTest::newRow("after the third shows the second") << 3 << QStringLiteral(" Two.") << 5.0 << 10.0;
    }
    void rightClickReplays() {
        QFETCH(int, leftPresses);
        QFETCH(QString, shown);
        QFETCH(double, lastPos);
        QFETCH(double, nextPos);
        RecordingReaderPort port;
        ReaderModel model(port);
        model.BookText = QStringLiteral("One. Two. Three. Four");
        for (int i = 0; i < leftPresses; ++i)
            model.talk(1);
        model.talk(2);
        QCOMPARE(port.text1, shown);
        QCOMPARE(model.LastPos, lastPos);
        QCOMPARE(model.NextPos, nextPos);
    }

    void middleButtonSteps() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.BookText = QStringLiteral("One. Two. ");
        model.talk(4);
        QCOMPARE(port.text1, QStringLiteral("One."));
    }

    void stepFromPosition_data() {
        QTest::addColumn<double>("nextPos");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<double>("newNextPos");
        // "One. Two. Three. " : ". " at 4, 9 and 16.
        QTest::newRow("0 reads from the start") << 0.0 << QStringLiteral("One.") << 5.0;
        QTest::newRow("negative reads from the start") << -7.5 << QStringLiteral("One.") << 5.0;
        QTest::newRow("fraction rounds down") << 5.04 << QStringLiteral(" Two.") << 10.0;
        QTest::newRow("fraction rounds up") << 4.6 << QStringLiteral(" Two.") << 10.0;
        QTest::newRow("half goes to even") << 5.5 << QStringLiteral("Two.") << 10.0;
        QTest::newRow("inside a sentence") << 7.0 << QStringLiteral("wo.") << 10.0;
        QTest::newRow("on the period itself finds the next") << 9.0 << QStringLiteral(". Three.") << 17.0;
        QTest::newRow("past the end") << 100.0 << QString() << 100.0;
        QTest::newRow("absurdly far") << 1e300 << QString() << 1e300;
    }
    void stepFromPosition() {
        QFETCH(double, nextPos);
        QFETCH(QString, shown);
        QFETCH(double, newNextPos);
        RecordingReaderPort port;
        ReaderModel model(port);
        model.BookText = QStringLiteral("One. Two. Three. ");
        model.NextPos = nextPos;
        const bool stepped = model.SayNextSentence();
        QCOMPARE(stepped, !shown.isEmpty());
        QCOMPARE(port.text1, shown);
        QCOMPARE(model.NextPos, newNextPos);
        QCOMPARE(port.stopVoiceCalls, 1);
    }

    void textWithoutBoundaryShowsNothing() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.BookText = QStringLiteral("No period here! Nor.here.");
        model.talk(1);
        model.talk(2);
        QVERIFY(port.text1.isEmpty());
        QVERIFY(port.handedOver.isEmpty());
        QCOMPARE(port.stopVoiceCalls, 2);
    }

    void emptyTextReplayDoesNotFail() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.LastPos = 1e300;
        model.talk(2);
        QVERIFY(port.handedOver.isEmpty());
        model.LastPos = 57.25;
        model.talk(2);
        QVERIFY(port.handedOver.isEmpty());
    }

    void replayFromFarPastTheEnd() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.BookText = QStringLiteral("One. Two. Three. ");
        // The scan comes back to the last ". ", after which no sentence ends: nothing is shown.
        model.LastPos = 1e300;
        model.talk(2);
        QVERIFY(port.text1.isEmpty());
        QCOMPARE(model.NextPos, 17.0);
        model.LastPos = 1000.25;  // keeps its fraction while scanning back
        model.ReplayScan();
        QCOMPARE(model.NextPos, 17.25);
        model.LastPos = 17.25;
        model.ReplayScan();
        QCOMPARE(model.NextPos, 10.25);
    }

    void replayWithHalfPosition() {
        // Halves go to the even neighbour, so only even characters are examined: the ". " at 9
        // is passed over and the one at 4 (examined from 4.5) is found.
        RecordingReaderPort port;
        ReaderModel model(port);
        model.BookText = QStringLiteral("One. Two. Three. ");
        model.LastPos = 12.5;
        model.ReplayScan();
        QCOMPARE(model.NextPos, 5.5);
    }

    void replayNotFoundLeavesFractionBelowTwo() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.BookText = QStringLiteral("abcdefgh. x");
        model.LastPos = 7.3;
        model.ReplayScan();
        QCOMPARE(model.NextPos, 1.3);
    }

    void againRepeatsSentenceBox() {
        RecordingReaderPort port;
        ReaderModel model(port);
        port.text1 = QStringLiteral("Bookmark number  3. \r\nA sentence.");
        model.NextPos = 42;
        model.again();
        QCOMPARE(port.log, (QStringList{QStringLiteral("StopVoice"), QStringLiteral("handOver:") + port.text1}));
        QCOMPARE(model.NextPos, 42.0);
    }

    void stopSwitchesContinuousPlayOff() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.GetKey();
        QCOMPARE(model.ContinuousPlay, -1);
        model.GetKey();
        QCOMPARE(model.ContinuousPlay, -1);
        model.stop();
        QCOMPARE(model.ContinuousPlay, 0);
        QCOMPARE(port.stopVoiceCalls, 1);
        QVERIFY(port.handedOver.isEmpty());
    }

    void talkLeavesContinuousPlay() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.BookText = QStringLiteral("One. Two. ");
        model.talk(1);
        QCOMPARE(model.ContinuousPlay, 0);
        model.GetKey();
        model.talk(2);
        QCOMPARE(model.ContinuousPlay, -1);
    }

    void continuousPlayTicks() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.BookText = QStringLiteral("One. Two. Three.");
        QCOMPARE(model.timerTick(), ReaderModel::TickOutcome::Off);
        QVERIFY(port.log.isEmpty());

        model.GetKey();
        port.idle = false;
        QCOMPARE(model.timerTick(), ReaderModel::TickOutcome::Busy);
        QVERIFY(port.log.isEmpty());

        port.idle = true;
        QCOMPARE(model.timerTick(), ReaderModel::TickOutcome::Stepped);
        QCOMPARE(port.text1, QStringLiteral("One."));
        QCOMPARE(model.timerTick(), ReaderModel::TickOutcome::Stepped);
        QCOMPARE(port.text1, QStringLiteral(" Two."));

        port.clear();
        for (int i = 0; i < 3; ++i)
            QCOMPARE(model.timerTick(), ReaderModel::TickOutcome::EndOfText);
        QCOMPARE(port.stopVoiceCalls, 3);
        QVERIFY(port.handedOver.isEmpty());
        QCOMPARE(model.ContinuousPlay, -1);

        model.stop();
        QCOMPARE(model.timerTick(), ReaderModel::TickOutcome::Off);
    }

    void newFileContinuesContinuousPlay() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.GetKey();
        model.NextPos = 50;
        model.startNewReading();
        QCOMPARE(model.NextPos, 0.0);
        QCOMPARE(model.ContinuousPlay, -1);
    }
};

QTEST_GUILESS_MAIN(SentencesTest)
#include "test_sentences.moc"
