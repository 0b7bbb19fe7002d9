// The pause dialog "Seconds": opened and closed from the menu bar, Save and Close.
#include "ReaderWindowFixture.h"
#include "common/ui/UserPrompts.h"
#include "reader/ui/ReaderLayout.h"
#include "reader/ui/SecondsF.h"

#include <QLabel>
#include <QtTest>

using namespace orasent;
using namespace orasent::test;

namespace {
SecondsF* openPauseDialog(ReaderWindowFixture& f) {
    f.clickMenuBar("Secs");
    return f.reader->pauseDialog();
}

QPushButton* button(SecondsF& dialog, const char* name) {
    return control<QPushButton>(dialog, QString::fromLatin1(name));
}
// A reader on a small text, so start-up has nothing to report.
EnglishF& openReader(ReaderWindowFixture& f) {
    writeFile(QStringLiteral("Tech Pool.txt"), "One. Two. ");
    return f.open();
}

QLineEdit* entry(SecondsF& dialog) { return control<QLineEdit>(dialog, QStringLiteral("Text1")); }
} // namespace

class TestSecondsF : public QObject {
    Q_OBJECT
private slots:
    void controls() {
        ReaderWindowFixture f;
        openReader(f);
        SecondsF* dialog = openPauseDialog(f);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Seconds"));
        QVERIFY(!dialog->isModal());
        auto* label = control<QLabel>(*dialog, QStringLiteral("Label1"));
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("Enter the pause between sentences in seconds"));
        QCOMPARE(label->font().pointSizeF(), 9.75);
        QVERIFY(label->font().bold());
        QCOMPARE(button(*dialog, "Command2")->text(), QStringLiteral("Save"));
        QCOMPARE(button(*dialog, "Command1")->text(), QStringLiteral("Close"));
        // Tab order: Close, Save, the entry box.
        QStringList order;
        QWidget* w = button(*dialog, "Command1");
        do {
            if (w->focusPolicy() & Qt::TabFocus)
                order << w->objectName();
            w = w->nextInFocusChain();
        } while (w != button(*dialog, "Command1"));
        QCOMPARE(order, (QStringList{"Command1", "Command2", "Text1"}));
        const double dpi = dialog->screen()->logicalDotsPerInch();
        QCOMPARE(dialog->size(), QSize(twipsToPixels(4680, dpi), twipsToPixels(3195, dpi)));
        QCOMPARE(entry(*dialog)->geometry(),
                 QRect(twipsToPixels(1920, dpi), twipsToPixels(1440, dpi), twipsToPixels(615, dpi),
                       twipsToPixels(375, dpi)));
    }

    void firstUseShowsOneAndCloseKeepsTheTimer() {
        ReaderWindowFixture f;
        EnglishF& reader = openReader(f);
        QCOMPARE(reader.model().Seconds, 0);
        SecondsF* dialog = openPauseDialog(f);
        QVERIFY(dialog);
        QCOMPARE(entry(*dialog)->text(), QStringLiteral("1"));
        QCOMPARE(reader.model().Seconds, 1);
        QTest::mouseClick(button(*dialog, "Command1"), Qt::LeftButton);  // Close
        QVERIFY(!reader.pauseDialog());
        QCOMPARE(f.timer1()->interval(), 2000);
        QCOMPARE(reader.model().Seconds, 1);
    }

    void save_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("interval");
        QTest::addColumn<bool>("timerActive");
        QTest::addColumn<bool>("refused");
        QTest::newRow("3") << "3" << 3 << 3000 << true << false;
        QTest::newRow("2.5 rounds to even") << "2.5" << 2 << 2000 << true << false;
        QTest::newRow("3.5 rounds to even") << "3.5" << 4 << 4000 << true << false;
        QTest::newRow("' 7 seconds'") << " 7 seconds" << 7 << 7000 << true << false;
        QTest::newRow("32") << "32" << 32 << 32000 << true << false;
        QTest::newRow("0 stops the timer") << "0" << 0 << 0 << false << false;
        QTest::newRow("not a number saves 0") << "soon" << 0 << 0 << false << false;
        QTest::newRow("33 is refused") << "33" << 1 << 2000 << true << true;
        QTest::newRow("-1 is refused") << "-1" << 1 << 2000 << true << true;
    }
    void save() {
        QFETCH(QString, typed);
        QFETCH(int, seconds);
        QFETCH(int, interval);
        QFETCH(bool, timerActive);
        QFETCH(bool, refused);
        ReaderWindowFixture f;
        EnglishF& reader = openReader(f);
        SecondsF* dialog = openPauseDialog(f);
        QVERIFY(dialog);
        QLineEdit* box = entry(*dialog);
        box->setFocus(Qt::TabFocusReason);
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, typed);
        QTest::mouseClick(button(*dialog, "Command2"), Qt::LeftButton);  // Save
        QCOMPARE(reader.model().Seconds, seconds);
        QCOMPARE(f.timer1()->interval(), interval);
        QCOMPARE(f.timer1()->isActive(), timerActive);
        QCOMPARE(f.prompts.messages.size(), refused ? 1 : 0);
        if (refused) {
            QCOMPARE(f.prompts.messages[0].title, programTitle());
            QCOMPARE(reader.pauseDialog(), dialog);  // still open for another try
        } else {
            QVERIFY(!reader.pauseDialog());
        }
        QCOMPARE(reader.model().ContinuousPlay, 0);  // typing in the dialog is not a reader key
    }

    void secondsMenuWhileOpenClosesWithoutSaving() {
        ReaderWindowFixture f;
        EnglishF& reader = openReader(f);
        SecondsF* dialog = openPauseDialog(f);
        QVERIFY(dialog);
        entry(*dialog)->setText(QStringLiteral("9"));
        f.clickMenuBar("Secs");
        QVERIFY(!reader.pauseDialog());
        QCOMPARE(reader.model().Seconds, 1);
        QCOMPARE(f.timer1()->interval(), 2000);
        // Opened again, it shows the pause as it stands.
        SecondsF* again = openPauseDialog(f);
        QVERIFY(again);
        QCOMPARE(entry(*again)->text(), QStringLiteral("1"));
    }

    void readerCloseClosesTheDialog() {
        ReaderWindowFixture f;
        EnglishF& reader = openReader(f);
        QVERIFY(openPauseDialog(f));
        reader.close();
        QVERIFY(!reader.pauseDialog());
    }

    void positiveIntervalRestartsAStoppedTimer() {
        ReaderWindowFixture f;
        EnglishF& reader = openReader(f);
        SecondsF* dialog = openPauseDialog(f);
        entry(*dialog)->setText(QStringLiteral("0"));
        QTest::mouseClick(button(*dialog, "Command2"), Qt::LeftButton);
        QVERIFY(!f.timer1()->isActive());
        dialog = openPauseDialog(f);
        QCOMPARE(entry(*dialog)->text(), QStringLiteral("1"));
        entry(*dialog)->setText(QStringLiteral("5"));
        QTest::mouseClick(button(*dialog, "Command2"), Qt::LeftButton);
        QVERIFY(f.timer1()->isActive());
        QCOMPARE(f.timer1()->interval(), 5000);
        QCOMPARE(reader.model().Seconds, 5);
    }
};

QTEST_MAIN(TestSecondsF)
#include "test_secondsf.moc"
