// Picking a word in the sentence box (by the mouse, by the word mark) and the "Word Help" window,
// through the widgets, with the scripted voice and the installed lexicon and WordNet data.
#include "FakeVoice.h"
#include "common/ui/Accessibility.h"
#include "reader/ui/SentenceBox.h"
#include "reader/ui/WordHelp.h"
#include "speech/SpeakingCore.h"
#include "words/MeaningLookup.h"
#include "words/WordHelpModel.h"

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>

using namespace orasent;
using orasent::test::FakeVoice;

namespace {
const QString kSentence = QStringLiteral("The cat, sat on the banana.");

// The middle of the characters [from, to) of the box's text, in viewport coordinates.
QPoint middleOf(SentenceBox& box, int from, int to) {
    QTextCursor cursor(box.document());
    cursor.setPosition(from);
    const QRect start = box.cursorRect(cursor);
    cursor.setPosition(to);
    const QRect end = box.cursorRect(cursor);
    return QPoint((start.left() + end.left()) / 2, start.center().y());
}
} // namespace

class TestWordHelp : public QObject {
    Q_OBJECT
private slots:
    void clickPicksWord_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("picked"); // "": nothing picked
        QTest::newRow("a word") << 20 << 26 << "banana";
        QTest::newRow("the first word") << 0 << 3 << "The";
        QTest::newRow("on the comma") << 7 << 8 << "";
        QTest::newRow("on the full stop") << 26 << 27 << "";
        QTest::newRow("between words") << 8 << 9 << "";
    }
    void clickPicksWord() {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, picked);
        SentenceBox box;
        box.resize(800, 200);
        box.showSentence(kSentence);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        box.moveCursor(QTextCursor::End);
        QSignalSpy spy(&box, &SentenceBox::wordPicked);
        QTest::mouseClick(box.viewport(), Qt::LeftButton, {}, middleOf(box, from, to));
        QCOMPARE(spy.size(), picked.isEmpty() ? 0 : 1);
        if (!picked.isEmpty())
            QCOMPARE(spy.first().first().toString(), picked);
        QCOMPARE(box.toPlainText(), kSentence); // the sentence stays as it is
    }

    void clickPastLineEnd() {
        SentenceBox box;
        box.resize(800, 200);
        box.showSentence(kSentence);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QSignalSpy spy(&box, &SentenceBox::wordPicked);
        const QPoint end = middleOf(box, 27, 27);
        QTest::mouseClick(box.viewport(), Qt::LeftButton, {}, end + QPoint(100, 0));
        QCOMPARE(spy.size(), 0);
    }

    // Ctrl+Right and Ctrl+Left move the mark from the caret on; Enter picks the marked word.
    void keysMoveMark() {
        SentenceBox box;
        box.showSentence(kSentence);
        box.show();
        box.setFocus();
        QSignalSpy marked(&box, &SentenceBox::wordMarked);
        QSignalSpy picked(&box, &SentenceBox::wordPicked);
        const QStringList keys{"R", "R", "R", "L", "R", "R", "R", "R", "R"};
        const QStringList expected{"The", "cat", "sat", "cat", "sat", "on", "the", "banana"};
        for (const QString& key : keys)
            QTest::keyClick(&box, key == "R" ? Qt::Key_Right : Qt::Key_Left, Qt::ControlModifier);
        QStringList heard;
        for (const auto& args : marked)
            heard << args.first().toString();
        QCOMPARE(heard, expected); // the last Ctrl+Right finds no word after "banana"
        QCOMPARE(box.wordMark(), std::make_optional(std::make_pair(20, 6)));
        QCOMPARE(box.extraSelections().size(), 1);
        QCOMPARE(box.textCursor().position(), 0); // the caret stays
        QTest::keyClick(&box, Qt::Key_Return);
        QCOMPARE(picked.size(), 1);
        QCOMPARE(picked.first().first().toString(), QStringLiteral("banana"));
        QCOMPARE(box.toPlainText(), kSentence);
    }

    // "Show Syllables": the box shows the dots; the copy buffer, assistive technology, its text
    // and a picked word do not have them.
    void syllablesShown() {
        Syllables syllables;
        if (!syllables.hasLexicon())
            QSKIP("Festival's CMU lexicon (festlex-cmu) is not installed");
        SentenceBox box;
        box.resize(800, 200);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        box.setDotting([&](const QString& written) { return dottedText(written, syllables, {}); });
        QString told;
        setAccessibleEventObserver([&](QAccessibleEvent& event) {
            if (event.type() == QAccessible::TextUpdated)
                told = static_cast<QAccessibleTextUpdateEvent&>(event).textInserted();
        });
        const QString written = QStringLiteral("The banana is yellow.");
        box.showSentence(written);
        setAccessibleEventObserver({});
        QCOMPARE(box.shownText(), QStringLiteral("The ba·na·na is yel·low."));
        QCOMPARE(box.toPlainText(), written);
        QCOMPARE(told, written);
        box.selectAll();
        box.copy();
        QCOMPARE(QGuiApplication::clipboard()->text(), written);
        box.moveCursor(QTextCursor::Start);
        QSignalSpy picked(&box, &SentenceBox::wordPicked);
        QTest::mouseClick(box.viewport(), Qt::LeftButton, {}, middleOf(box, 14, 20));
        QCOMPARE(picked.size(), 1);
        QCOMPARE(picked.first().first().toString(), QStringLiteral("yellow"));
        box.setDotting(nullptr);
        QCOMPARE(box.shownText(), written);
    }

    void windowNamesAndTabOrder() {
        Rig rig;
        rig.model.setWord(QStringLiteral("banana"), QStringLiteral("en"));
        rig.window.show();
        QCOMPARE(rig.window.windowTitle(), QStringLiteral("Word Help"));
        const QStringList expected{"Syllables", "Say It",      "Say It Slowly", "Spell It",
                                   "Meaning",   "Say Meaning", "Close"};
        QStringList names;
        QWidget* widget = rig.window.findChild<QWidget*>(QStringLiteral("Syllables"));
        for (int i = 0; i < expected.size(); ++i) {
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
            names << accessible->text(QAccessible::Name);
            widget = widget->nextInFocusChain();
            while (widget->focusPolicy() == Qt::NoFocus || !widget->isVisible())
                widget = widget->nextInFocusChain();
        }
        QCOMPARE(names, expected);
        auto* syllables = rig.window.findChild<SentenceBox*>(QStringLiteral("Syllables"));
        QCOMPARE(syllables->toPlainText(), QStringLiteral("ba·na·na"));
        QSignalSpy meaning(&rig.model, &WordHelpModel::meaningChanged);
        QVERIFY(meaning.wait()); // the look-up answers queued
        if (!WordMeanings().open())
            QSKIP("WordNet's data (wordnet-base) is not installed");
        auto* field = rig.window.findChild<SentenceBox*>(QStringLiteral("Meaning"));
        QVERIFY2(field->toPlainText().startsWith(QStringLiteral("1. banana (noun): ")),
                 qPrintable(field->toPlainText()));
        QTest::keyClick(&rig.window, Qt::Key_Escape);
        QVERIFY(!rig.window.isVisible());
    }

    // Each button says its text through the rewriting step (upper case); the piece heard is
    // marked in the Syllables field.
    void sayings_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("spoken");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("wordPos");   // a Word event at this offset of the spoken text
        QTest::addColumn<int>("markStart"); // what gets marked in "ba·na·na"
        QTest::addColumn<int>("markLength");
        QTest::newRow("Say It") << "SayIt"
                                << "BANANA" << 2 << 0 << 0 << 0;
        QTest::newRow("Say It Slowly") << "SayItSlowly"
                                       << "BA NA NA" << 2 - WordHelpModel::kSlowerBy << 3 << 3 << 2;
        QTest::newRow("Spell It") << "SpellIt"
                                  << "B A N A N A" << 2 << 4 << 3 << 1;
    }
    void sayings() {
        QFETCH(QString, button);
        QFETCH(QString, spoken);
        QFETCH(int, rate);
        QFETCH(int, wordPos);
        QFETCH(int, markStart);
        QFETCH(int, markLength);
        Rig rig;
        rig.voice.setRate(2);
        rig.model.setWord(QStringLiteral("banana"), QStringLiteral("en"));
        rig.window.show();
        rig.window.findChild<QPushButton*>(button)->click();
        QCOMPARE(rig.voice.lastText(), spoken);
        QVERIFY(rig.voice.log.contains(QStringLiteral("setRate(%1)").arg(rate)));
        QCOMPARE(rig.voice.Rate(), 2); // the chosen rate is back for the reader
        rig.voice.word(wordPos, 1);
        auto* syllables = rig.window.findChild<SentenceBox*>(QStringLiteral("Syllables"));
        const auto marks = syllables->extraSelections();
        QCOMPARE(marks.size(), markLength > 0 ? 1 : 0);
        if (markLength > 0) {
            QCOMPARE(marks.first().cursor.selectionStart(), markStart);
            QCOMPARE(marks.first().cursor.selectionEnd(), markStart + markLength);
        }
        rig.voice.endStream();
        QCOMPARE(rig.model.state(), WordHelpModel::State::Idle);
        QVERIFY(syllables->extraSelections().isEmpty());
    }

private:
    struct Rig {
        FakeVoice voice;
        SpeakingCore core;
        Syllables syllables;
        MeaningLookup lookup{false};
        WordHelpModel model{syllables, lookup, core};
        WordHelp window{model};
        Rig() {
            core.setVoice(&voice);
            core.setSpeakFlags(SVSFlagsAsync | SVSFPurgeBeforeSpeak);
        }
    };
};

QTEST_MAIN(TestWordHelp)
#include "test_wordhelp.moc"
