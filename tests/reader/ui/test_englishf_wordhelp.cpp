// Word help in the reader window: Tools > "Show Syllables" (saved in "ReadingOptions.ini") dots
// the sentence box while the hand-over and the band keep to the words as written, and a click
// on a word opens "Word Help" without moving the reading place.
#include "ReaderWindowFixture.h"
#include "reader/ui/SentenceBox.h"
#include "reader/ui/WordHelp.h"

#include <QAction>
#include <QFile>
#include <QTest>
#include <QTextBlock>

using namespace orasent;
using namespace orasent::test;

namespace {
const QByteArray kPool = "The banana is yellow. Two. ";

QByteArray optionsFile() {
    QFile file(QStringLiteral("ReadingOptions.ini"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class EnglishFWordHelpTest : public QObject {
    Q_OBJECT
private slots:
    void showSyllables() {
        ReaderWindowFixture fixture;
        writeFile("ReadingOptions.ini", "SHOWSYLLABLES=1\r\n");
        fixture.open(true, kPool);
        QAction* item = fixture.action("ShowSyllables");
        QVERIFY(item && item->isCheckable() && item->isChecked());
        fixture.talk();
        auto* box = static_cast<SentenceBox*>(fixture.text1());
        QCOMPARE(box->shownText(), QStringLiteral("The ba·na·na is yel·low."));
        QCOMPARE(fixture.tts.spoken(), QStringLiteral("The banana is yellow."));
        // The band behind "banana" (the dots are painted, not part of the text).
        emit fixture.tts.core.handedOverWordHeard(fixture.tts.spoken(), 4, 6);
        const auto bands = fixture.text1()->extraSelections();
        QCOMPARE(bands.size(), 1);
        QCOMPARE(bands.first().cursor.selectedText(), QStringLiteral("banana"));

        item->trigger();
        QCOMPARE(box->shownText(), QStringLiteral("The banana is yellow."));
        QVERIFY(optionsFile().contains("SHOWSYLLABLES=0\r\n"));
    }

    void clickOpensWordHelp() {
        ReaderWindowFixture fixture;
        fixture.open(true, kPool);
        fixture.talk();
        const double place = fixture.model().nextPos();
        QPlainTextEdit* box = fixture.text1();
        QTextCursor cursor(box->document());
        cursor.setPosition(5); // inside "banana"
        const QPoint at = box->cursorRect(cursor).center();
        QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, at);
        WordHelp* help = fixture.reader->wordHelp();
        QVERIFY(help && help->isVisible());
        QCOMPARE(help->windowTitle(), QStringLiteral("Word Help"));
        QCOMPARE(help->findChild<SentenceBox*>(QStringLiteral("Syllables"))->toPlainText(),
                 QStringLiteral("ba·na·na"));
        QCOMPARE(fixture.model().nextPos(), place);
        QCOMPARE(box->toPlainText(), QStringLiteral("The banana is yellow."));
        QTest::keyClick(help, Qt::Key_Escape);
        QVERIFY(!help->isVisible());
    }

    // The keys of the word mark are no reader keys: Ctrl+Right and Enter open Word Help without
    // starting continuous play, which would move the reading place.
    void wordMarkKeysStartNoPlay() {
        ReaderWindowFixture fixture;
        fixture.open(true, kPool);
        fixture.talk();
        const double place = fixture.model().nextPos();
        QPlainTextEdit* box = fixture.text1();
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Right, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Return);
        WordHelp* help = fixture.reader->wordHelp();
        QVERIFY(help && help->isVisible());
        QCOMPARE(fixture.model().playMode(), ReaderModel::PlayMode::Off);
        QCOMPARE(fixture.model().nextPos(), place);
        QTest::keyClick(box, Qt::Key_Space); // any other key still starts it
        QCOMPARE(fixture.model().playMode(), ReaderModel::PlayMode::Continuous);
    }
};

QTEST_MAIN(EnglishFWordHelpTest)
#include "test_englishf_wordhelp.moc"
