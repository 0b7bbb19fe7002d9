// The pause dialog "Seconds": opened and closed from the menu bar, Save and Close.
#include "ReaderWindowFixture.h"
#include "common/ui/UserPrompts.h"
#include "reader/ui/ReaderLayout.h"
#include "reader/ui/SecondsF.h"

#include <QLabel>
#include <QScreen>
#include <QtTest>

using namespace orasent;
using namespace orasent::test;

namespace {
SecondsF* openPauseDialog(ReaderWindowFixture& f) {
    f.clickMenuBar("Secs");
    return f.reader->pauseDialog();
}
QPushButton* button(SecondsF* dialog, const char* name) {
    return control<QPushButton>(*dialog, name);
}
QLineEdit* entry(SecondsF* dialog) {
    return control<QLineEdit>(*dialog, "Text1");
}
} // namespace

class TestSecondsF : public QObject {
    Q_OBJECT
private slots:
    void controls() {
        ReaderWindowFixture f;
        f.open();
        SecondsF* dialog = openPauseDialog(f);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), "Seconds");
        QVERIFY(!dialog->isModal());
        auto* label = control<QLabel>(*dialog, "Label1");
        QCOMPARE(label->text(), "Enter the pause between sentences in seconds");
        QCOMPARE(label->font().pointSizeF(), 9.75);
        QVERIFY(label->font().bold());
        QCOMPARE(button(dialog, "Command2")->text(), "Save");
        QCOMPARE(button(dialog, "Command1")->text(), "Close");
        QStringList order; // tab order: Close, Save, the entry box
        QWidget* w = button(dialog, "Command1");
        do {
            if (w->focusPolicy() & Qt::TabFocus)
                order << w->objectName();
            w = w->nextInFocusChain();
        } while (w != button(dialog, "Command1"));
        QCOMPARE(order, (QStringList{"Command1", "Command2", "Text1"}));
        const double dpi = dialog->screen()->logicalDotsPerInch();
        auto px = [dpi](double twips) { return twipsToPixels(twips, dpi); };
        QCOMPARE(dialog->size(), QSize(px(4680), px(3195)));
        QCOMPARE(entry(dialog)->geometry(), QRect(px(1920), px(1440), px(615), px(375)));
    }

    void firstUseShowsOneAndCloseKeepsTheTimer() {
        ReaderWindowFixture f;
        EnglishF& reader = f.open();
        QCOMPARE(f.model().seconds(), 0);
        SecondsF* dialog = openPauseDialog(f);
        QCOMPARE(entry(dialog)->text(), "1");
        QCOMPARE(f.model().seconds(), 1);
        QTest::mouseClick(button(dialog, "Command1"), Qt::LeftButton); // Close
        QVERIFY(!reader.pauseDialog());
        QCOMPARE(f.timer1()->interval(), 2000);
        QCOMPARE(f.model().seconds(), 1);
    }

    void save_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("interval");
        QTest::addColumn<bool>("refused");
        QTest::newRow("2.5 rounds to even") << "2.5" << 2 << 2000 << false;
        QTest::newRow("3.5 rounds to even") << "3.5" << 4 << 4000 << false;
        QTest::newRow("' 7 seconds'") << " 7 seconds" << 7 << 7000 << false;
        QTest::newRow("32") << "32" << 32 << 32000 << false;
        QTest::newRow("0: no pause") << "0" << 0 << 100 << false;
        QTest::newRow("not a number saves 0") << "soon" << 0 << 100 << false;
        QTest::newRow("33 is refused") << "33" << 1 << 2000 << true;
        QTest::newRow("-1 is refused") << "-1" << 1 << 2000 << true;
        QTest::newRow("huge is refused") << "99999999999999999999" << 1 << 2000 << true;
    }
    void save() {
        QFETCH(QString, typed);
        QFETCH(int, seconds);
        QFETCH(int, interval);
        QFETCH(bool, refused);
        ReaderWindowFixture f;
        EnglishF& reader = f.open();
        SecondsF* dialog = openPauseDialog(f);
        QLineEdit* box = entry(dialog);
        box->setFocus(Qt::TabFocusReason);
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, typed);
        QTest::mouseClick(button(dialog, "Command2"), Qt::LeftButton); // Save
        QCOMPARE(f.model().seconds(), seconds);
        QCOMPARE(f.timer1()->interval(), interval);
        QVERIFY(f.timer1()->isActive());
        QCOMPARE(reader.hasNoPause(), seconds == 0);
        QCOMPARE(f.prompts.messages.size(), refused ? 1 : 0);
        if (refused)
            QCOMPARE(f.prompts.messages[0].title, programTitle());
        QCOMPARE(reader.pauseDialog(), refused ? dialog : nullptr); // refused: open for another try
        QCOMPARE(f.model().playMode(),
                 ReaderModel::PlayMode::Off); // typing in the dialog is not a reader key
    }

    void secondsMenuWhileOpenClosesWithoutSaving() {
        ReaderWindowFixture f;
        EnglishF& reader = f.open();
        entry(openPauseDialog(f))->setText("9");
        f.clickMenuBar("Secs");
        QVERIFY(!reader.pauseDialog());
        QCOMPARE(f.model().seconds(), 1);
        QCOMPARE(f.timer1()->interval(), 2000);
        QCOMPARE(entry(openPauseDialog(f))->text(), "1"); // opened again: the pause as it stands
        reader.close();                                   // closing the reader closes the dialog
        QVERIFY(!reader.pauseDialog());
    }

    // With no pause, continuous play steps as soon as the voice has finished, and a pause set
    // afterwards is kept to again.
    void noPauseStepsWhenSpeechEnds() {
        ReaderWindowFixture f;
        EnglishF& reader = f.open();
        reader.setHandOverWait(0);
        SecondsF* dialog = openPauseDialog(f);
        entry(dialog)->setText("0");
        QTest::mouseClick(button(dialog, "Command2"), Qt::LeftButton);
        f.model().setPlayMode(ReaderModel::PlayMode::Continuous);
        f.tts.setSpeaking(true);
        f.tts.core.applySpeakingState(true);
        QCoreApplication::processEvents();
        QCOMPARE(f.model().nextPos(), 0.0); // still speaking: no step
        f.tts.setSpeaking(false);
        f.tts.core.applySpeakingState(false);
        QCoreApplication::processEvents(); // the queued step, no timer tick
        QCOMPARE(f.tts.spoken(), "One.");
        dialog = openPauseDialog(f);
        QCOMPARE(entry(dialog)->text(), "1");
        entry(dialog)->setText("5");
        QTest::mouseClick(button(dialog, "Command2"), Qt::LeftButton);
        QVERIFY(f.timer1()->isActive());
        QCOMPARE(f.timer1()->interval(), 5000);
        QVERIFY(!reader.hasNoPause());
    }
};

QTEST_MAIN(TestSecondsF)
#include "test_secondsf.moc"
