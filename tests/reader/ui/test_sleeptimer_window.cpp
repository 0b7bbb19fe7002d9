// "Stop Reading After…" on a clock of the test's own: continuous play ends after the sentence
// being heard once the time is up or the chapter ends, and the time left is in the status line.
#include "ReaderWindowFixture.h"
#include "reader/ui/ReaderStatusLine.h"
#include "reader/ui/SleepTimerMenu.h"

#include <QtTest>

using namespace orasent;
using namespace orasent::test;

class SleepTimerWindowTest : public QObject {
    Q_OBJECT
private slots:
    void stopsAfterTheSentenceWhenTimeIsUp() {
        ReaderWindowFixture f;
        f.open();
        std::int64_t now = 0;
        SleepTimerMenu& sleep = *f.reader->sleepTimer();
        sleep.setClock([&now] { return now; });
        ReaderStatusLine& status = *f.reader->statusLine();

        f.action("SleepAfter5")->trigger();
        QCOMPARE(f.tts.spoken(), QString("Reading stops after 5 minutes."));
        QCOMPARE(status.text(), QString("Reading stops in 5 minutes"));
        QVERIFY(status.isVisible());
        // Under the path box, inside the window.
        QVERIFY(status.geometry().top() > f.text2()->geometry().bottom());
        QVERIFY2(f.reader->centralWidget()->rect().contains(status.geometry()),
                 qPrintable(QString("%1 %2")
                                .arg(status.geometry().bottom())
                                .arg(f.reader->centralWidget()->rect().bottom())));
        f.model().GetKey();
        now = 4 * 60000 + 1;
        sleep.check();
        QCOMPARE(status.text(), QString("Reading stops in 1 minute"));

        // Due while a sentence is heard: it is not cut off, and reading goes on until it ends.
        f.tts.setSpeaking(true);
        now = 5 * 60000;
        sleep.check();
        QCOMPARE(f.model().playMode(), ReaderModel::PlayMode::Continuous);
        f.tts.setSpeaking(false);
        f.tts.core.applySpeakingState(false);
        QCOMPARE(f.model().playMode(), ReaderModel::PlayMode::Off);
        QVERIFY(status.isHidden());
        QVERIFY(f.action("SleepOff")->isChecked());
    }

    // The end of the chapter: the step that would start the next chapter is not taken.
    void stopsAtTheChapterEnd_data() {
        QTest::addColumn<double>("nextPos");
        QTest::addColumn<int>("continuousPlay");
        QTest::newRow("inside the chapter") << 9.0 << -1;
        QTest::newRow("next chapter begins") << 10.0 << 0;
    }
    void stopsAtTheChapterEnd() {
        QFETCH(double, nextPos);
        QFETCH(int, continuousPlay);
        ReaderWindowFixture f;
        f.open(false);
        SleepTimerMenu& sleep = *f.reader->sleepTimer();
        sleep.setClock([] { return std::int64_t(0); });
        // Chapter "Two" begins at 11.
        DocumentLoad load;
        load.status = DocumentLoad::Status::Loaded;
        load.bookText = "One. Alpha. Two. Beta. ";
        load.document.contents = {{"One", 1, 0}, {"Two", 1, 1}};
        load.paragraphStarts = {0, 10};
        f.reader->setDocumentLoader([load](const QString&, const LoadProgress&) { return load; });
        QVERIFY(f.model().openChosenFile("book.txt"));
        f.model().setLastPos(5);
        f.action("SleepChapterEnd")->trigger();
        QCOMPARE(f.reader->statusLine()->text(),
                 QString("Reading stops at the end of the chapter"));
        f.model().GetKey();
        f.model().setNextPos(nextPos);
        f.tts.core.applySpeakingState(false);
        QCOMPARE(f.model().playMode() == ReaderModel::PlayMode::Continuous, continuousPlay != 0);
    }
};

QTEST_MAIN(SleepTimerWindowTest)
#include "test_sleeptimer_window.moc"
