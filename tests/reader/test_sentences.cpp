// Sentence steps, the right-button replay, Again, Stop and continuous play.
#include "RecordingReaderPort.h"
#include "reader/ReaderModel.h"

#include <QtTest>

using namespace orasent;
using orasent::test::RecordingReaderPort;
using Tick = ReaderModel::TickOutcome;

class SentencesTest : public QObject {
    Q_OBJECT
private slots:
    void talk_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("buttons"); // 1 left, 2 right, 4 middle
        QTest::addColumn<QString>("shown");
        QTest::addColumn<double>("lastPos");
        QTest::addColumn<double>("nextPos");
        QTest::addColumn<bool>("lastStepped");
        const QString example = "One. Two. Three.";
        const QString four = "One. Two. Three. Four";
        QTest::newRow("left") << example << QList<int>{1} << "One." << 1.0 << 5.0 << true;
        QTest::newRow("left x2") << example << QList<int>{1, 1} << " Two." << 5.0 << 10.0 << true;
        QTest::newRow("the text after the last \". \" is a sentence")
            << example << QList<int>{1, 1, 1} << " Three." << 10.0 << 17.0 << true;
        QTest::newRow("end of text: only StopVoice")
            << example << QList<int>{1, 1, 1, 1} << " Three." << 10.0 << 17.0 << false;
        QTest::newRow("middle") << example << QList<int>{4} << "One." << 1.0 << 5.0 << true;
        QTest::newRow("right, nothing read")
            << example << QList<int>{2} << "One." << 1.0 << 5.0 << true;
        QTest::newRow("right after the first")
            << example << QList<int>{1, 2} << " Two." << 5.0 << 10.0 << true;
        QTest::newRow("right after the second")
            << example << QList<int>{1, 1, 2} << "One." << 1.0 << 5.0 << true;
        QTest::newRow("right after the third")
            << four << QList<int>{1, 1, 1, 2} << " Two." << 5.0 << 10.0 << true;
        QTest::newRow("no \". \": one sentence, replayed")
            << "No period here! Nor.here." << QList<int>{1, 2} << "No period here! Nor.here." << 1.0
            << 26.0 << true;
        QTest::newRow("only blanks after the last \". \"")
            << "One. \r\n \t" << QList<int>{1, 1} << "One." << 1.0 << 5.0 << false;
        QTest::newRow("empty text") << "" << QList<int>{2, 1} << "" << 0.0 << 1.0 << false;
    }
    void talk() {
        QFETCH(QString, text);
        QFETCH(QList<int>, buttons);
        QFETCH(QString, shown);
        QFETCH(double, lastPos);
        QFETCH(double, nextPos);
        QFETCH(bool, lastStepped);
        RecordingReaderPort port;
        ReaderModel model(port);
        model.setBookText(text);
        for (int i = 0; i < buttons.size(); ++i) {
            if (i == buttons.size() - 1)
                port.log.clear(), port.prepared.clear();
            model.talk(buttons[i]);
        }
        const QStringList ready = port.prepared;
        QCOMPARE(port.text1, shown);
        QCOMPARE(model.lastPos(), lastPos);
        QCOMPARE(model.nextPos(), nextPos);
        QStringList last{"StopVoice"};
        if (lastStepped)
            last << "setSentenceText"
                 << "handOver:" + shown;
        QCOMPARE(port.log, last);
        QCOMPARE(model.playMode(), ReaderModel::PlayMode::Off);
        // What was got ready is what the next Talk hands over.
        const qsizetype handed = port.handedOver.size();
        model.talk(1);
        QCOMPARE(ready, port.handedOver.size() > handed ? QStringList{port.lastHandedOver()}
                                                        : QStringList());
    }

    void stepFromPosition_data() {
        QTest::addColumn<double>("nextPos");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<double>("newNextPos");
        // "One. Two. Three. " : ". " at 4, 9 and 16.
        QTest::newRow("0 reads from the start") << 0.0 << "One." << 5.0;
        QTest::newRow("negative reads from the start") << -7.5 << "One." << 5.0;
        QTest::newRow("fraction rounds down") << 5.04 << " Two." << 10.0;
        QTest::newRow("fraction rounds up") << 4.6 << " Two." << 10.0;
        QTest::newRow("half goes to even") << 5.5 << "Two." << 10.0;
        QTest::newRow("inside a sentence") << 7.0 << "wo." << 10.0;
        QTest::newRow("on the period itself finds the next") << 9.0 << ". Three." << 17.0;
        QTest::newRow("past the end") << 100.0 << "" << 100.0;
        QTest::newRow("absurdly far") << 1e300 << "" << 1e300;
    }
    void stepFromPosition() {
        QFETCH(double, nextPos);
        QFETCH(QString, shown);
        QFETCH(double, newNextPos);
        RecordingReaderPort port;
        ReaderModel model(port);
        model.setBookText("One. Two. Three. ");
        model.setNextPos(nextPos);
        QCOMPARE(model.SayNextSentence(), !shown.isEmpty());
        QCOMPARE(port.text1, shown);
        QCOMPARE(model.nextPos(), newNextPos);
        QCOMPARE(port.count("StopVoice"), 1);
    }

    void replayScan_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("lastPos");
        QTest::addColumn<double>("nextPos");
        const QString three = "One. Two. Three. ";
        QTest::newRow("far past the end: back to the last \". \"") << three << 1e300 << 17.0;
        QTest::newRow("the fraction is kept") << three << 1000.25 << 17.25;
        QTest::newRow("one sentence back") << three << 17.25 << 10.25;
        // Halves go to the even neighbour: the ". " at 9 is passed over, the one at 4 found.
        QTest::newRow("half position") << three << 12.5 << 5.5;
        QTest::newRow("not found leaves a fraction below 2") << "abcdefgh. x" << 7.3 << 1.3;
        QTest::newRow("empty text, far position") << "" << 1e300 << 1.0;
        QTest::newRow("empty text, fraction") << "" << 57.25 << 0.25;
    }
    void replayScan() {
        QFETCH(QString, text);
        QFETCH(double, lastPos);
        QFETCH(double, nextPos);
        RecordingReaderPort port;
        ReaderModel model(port);
        model.setBookText(text);
        model.setLastPos(lastPos);
        model.ReplayScan();
        QCOMPARE(model.nextPos(), nextPos);
    }

    // Long stretches without ". " are read in pieces of at most 1,000 characters: every character
    // is read once, in order, and the right button goes back one piece.
    void longStretches_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("firstPieces"); // as shown; the rest is checked as a whole
        QTest::addColumn<int>("pieces");
        const QString words = QString("word ").repeated(500);
        QTest::newRow("2,500 letters: cut where the limit falls")
            << QString(2500, 'x') << QStringList{QString(1000, 'x')} << 3;
        QTest::newRow("2,500 characters of words: cut before a blank")
            << words << QStringList{words.left(999)} << 3;
        QTest::newRow("a question mark ends a piece")
            << QString(600, 'a') + "? " + QString(600, 'b') + ". "
            << QStringList{QString(600, 'a') + "?", " " + QString(600, 'b') + "."} << 2;
        QTest::newRow("a period at a line end ends a piece")
            << QString(999, 'a') + ".\r\n" + QString(600, 'b')
            << QStringList{QString(999, 'a') + "."} << 2;
        QTest::newRow("a line break ends a piece, with the break")
            << QString(600, 'a') + "\r\n" + QString(600, 'b')
            << QStringList{QString(600, 'a') + "\r\n"} << 2;
        QTest::newRow("a surrogate pair is never split")
            << QString(999, 'x') + QString::fromUtf8("😀") + "x" << QStringList{QString(999, 'x')}
            << 2;
        QTest::newRow("a long sentence before a short one")
            << words + "end. Next. " << QStringList{words.left(999)} << 4;
    }
    void longStretches() {
        QFETCH(QString, text);
        QFETCH(QStringList, firstPieces);
        QFETCH(int, pieces);
        RecordingReaderPort port;
        ReaderModel model(port);
        model.setBookText(text);
        QStringList shown;
        while (model.SayNextSentence())
            shown << port.text1;
        QCOMPARE(shown.size(), pieces);
        QCOMPARE(shown.mid(0, firstPieces.size()), firstPieces);
        const QString read = shown.join(QString());
        QVERIFY(text.startsWith(read));
        QVERIFY(text.mid(read.size()).trimmed().isEmpty());
        for (const QString& piece : std::as_const(shown))
            QVERIFY(piece.size() <= 1000);
        model.talk(2);
        QCOMPARE(port.text1, shown.at(shown.size() - 2));
    }

    void spreadBookmarksOverPieces() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.setBookText(QString("a poem without periods\r\n").repeated(4000)); // pieces of ~1,000
        model.SpreadBookmarks();
        const double step = double(model.bookText().size()) / 25;
        for (int slot = 2; slot <= 25; ++slot) {
            // Each mark is where the piece holding its share of the text begins.
            model.setNextPos(model.bookMarks()[slot]);
            QVERIFY(model.SayNextSentence());
            QVERIFY2(model.lastPos() <= (slot - 1) * step && model.nextPos() > (slot - 1) * step,
                     qPrintable(QString("slot %1: %2 to %3 for %4")
                                    .arg(slot)
                                    .arg(model.lastPos())
                                    .arg(model.nextPos())
                                    .arg((slot - 1) * step)));
        }
    }

    // A place saved by a version that joined lines differently may fall inside a sentence.
    void resumedPlaceMovesToItsSentence_data() {
        QTest::addColumn<double>("saved");
        QTest::addColumn<double>("aligned");
        // "One two. Three four. Five. ": ". " at 8 and 20.
        QTest::newRow("a sentence start stays") << 9.0 << 9.0;
        QTest::newRow("inside a word") << 13.0 << 9.0;
        QTest::newRow("inside the first sentence") << 3.0 << 1.0;
        QTest::newRow("on the period") << 20.0 << 9.0;
        QTest::newRow("the start of the text") << 0.0 << 0.0;
    }
    void resumedPlaceMovesToItsSentence() {
        QFETCH(double, saved);
        QFETCH(double, aligned);
        RecordingReaderPort port;
        ReaderModel model(port);
        model.setBookText("One two. Three four. Five. ");
        model.setNextPos(saved), model.setLastPos(saved);
        model.alignToSentenceStart();
        QCOMPARE(model.nextPos(), aligned);
        QCOMPARE(model.lastPos(), aligned);
    }

    void continuousPlay() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.setBookText("One. Two. Three.");
        QCOMPARE(model.timerTick(), Tick::Off);
        model.GetKey();
        model.GetKey(); // a second key leaves it on
        QCOMPARE(model.playMode(), ReaderModel::PlayMode::Continuous);
        port.idle = false;
        QCOMPARE(model.timerTick(), Tick::Busy);
        QVERIFY(port.log.isEmpty());

        port.idle = true;
        QCOMPARE(model.timerTick(), Tick::Stepped);
        QCOMPARE(port.text1, "One.");
        model.talk(1); // Talk leaves play on
        QCOMPARE(port.text1, " Two.");
        QCOMPARE(model.timerTick(), Tick::Stepped);
        QCOMPARE(port.text1, " Three.");
        port.clear();
        for (int i = 0; i < 3; ++i)
            QCOMPARE(model.timerTick(), Tick::EndOfText);
        QCOMPARE(port.log, QStringList(3, "StopVoice"));
        QCOMPARE(model.playMode(), ReaderModel::PlayMode::Continuous);

        model.startNewReading(); // a new file keeps play on
        QCOMPARE(model.nextPos(), 0.0);
        QCOMPARE(model.playMode(), ReaderModel::PlayMode::Continuous);
        port.clear();
        model.stop();
        QCOMPARE(port.log, QStringList{"StopVoice"});
        QCOMPARE(model.timerTick(), Tick::Off);
    }
};

QTEST_GUILESS_MAIN(SentencesTest)
#include "test_sentences.moc"
