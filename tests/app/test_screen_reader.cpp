// What a screen reader hears from the program beyond the names: the drop-down lists' values, the
// sentence once, announced when the user chose so, capped for a megabyte, and Alt+T with a
// screen reader that passes the Alt release on early.
#include "AccessibleWindows.h"
#include "reader/ReadingOptions.h"
#include "reader/ui/SentenceBox.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <memory>
#include <optional>
#include <vector>

using namespace orasent;
using namespace orasent::test;

namespace {
// Qt's bridge to the accessibility bus holds each key event back until the screen reader has
// said whether it takes it, then posts a copy to the same receiver. This does the same; the
// screen reader answers "not mine" when release() is called.
class KeysHeldByScreenReader : public QObject {
public:
    KeysHeldByScreenReader() { qApp->installEventFilter(this); }
    ~KeysHeldByScreenReader() override { qApp->removeEventFilter(this); }
    void release() {
        qApp->removeEventFilter(this);
        for (auto& [receiver, event] : m_held)
            if (receiver)
                QCoreApplication::postEvent(receiver, event.release());
        m_held.clear();
        QCoreApplication::processEvents();
    }

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (!event->spontaneous() ||
            (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease))
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        m_held.push_back({receiver, std::make_unique<QKeyEvent>(key->type(), key->key(),
                                                                key->modifiers(), key->text())});
        return true;
    }

private:
    std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QKeyEvent>>> m_held;
};
} // namespace

class ScreenReaderTest : public QObject {
    Q_OBJECT
private slots:
    // A drop-down list shows its entry as its text, wholly selected; a new entry is raised as
    // inserted text, which a screen reader speaks.
    void comboBoxValues_data() {
        QTest::addColumn<QString>("objectName");
        QTest::newRow("voice") << "VoiceCB";
        QTest::newRow("format") << "FormatCB";
        QTest::newRow("output") << "AudioOutputCB";
    }

    void comboBoxValues() {
        QFETCH(QString, objectName);
        Windows w;
        Events events;
        auto* box = w.tts->findChild<QComboBox*>(objectName);
        QAccessibleInterface* iface = find(w.tts.get(), objectName);
        QAccessibleTextInterface* text = iface->textInterface();
        QVERIFY(text);
        QCOMPARE(text->text(0, text->characterCount()), box->currentText());
        QVERIFY(!box->currentText().isEmpty());
        int start = -1, end = -1;
        text->selection(0, &start, &end);
        QCOMPARE(end - start, box->currentText().size());
        int startOffset = -1, endOffset = -1;
        QCOMPARE(text->textAtOffset(0, QAccessible::LineBoundary, &startOffset, &endOffset),
                 box->currentText());

        box->addItem(QStringLiteral("Another entry"));
        QTest::keyClick(box, Qt::Key_End); // as the arrow keys do, without opening the list
        QCOMPARE(box->currentText(), QStringLiteral("Another entry"));
        QCOMPARE(events.inserted(box), QStringList{"Another entry"});
        QVERIFY(iface->text(QAccessible::Name) != box->currentText()); // still its label
    }

    // Alt+T never leaves the menu bar open, whichever of Alt and T the window hears released
    // first (a screen reader that checks each key can pass the Alt release on early).
    void altReleaseAfterTalk_data() {
        QTest::addColumn<bool>("altUpFirst"); // the Alt release before the T press, else after it
        QTest::addColumn<bool>("held");       // the keys held back by a screen reader
        QTest::newRow("Alt released before the T arrives") << true << false;
        QTest::newRow("Alt released before the T is") << false << false;
        QTest::newRow("keys held by a screen reader") << false << true;
    }

    void altReleaseAfterTalk() {
        QFETCH(bool, altUpFirst);
        QFETCH(bool, held);
        Windows w;
        QWindow* reader = w.activeWindow(QStringLiteral("reader"))->windowHandle();
        auto* bar = w.reader->findChild<QMenuBar*>();
        std::optional<KeysHeldByScreenReader> screenReader;
        if (held)
            screenReader.emplace();
        QTest::keyPress(reader, Qt::Key_Alt);
        if (altUpFirst) {
            QTest::keyRelease(reader, Qt::Key_Alt);
            if (!bar->activeAction())
                QSKIP("this style opens no menu bar at a lone Alt");
            QTest::keyPress(reader, Qt::Key_T, Qt::AltModifier);
            QTest::keyRelease(reader, Qt::Key_T, Qt::AltModifier);
        } else {
            QTest::keyPress(reader, Qt::Key_T, Qt::AltModifier);
            QTest::keyRelease(reader, Qt::Key_Alt);
            QTest::keyRelease(reader, Qt::Key_T);
        }
        if (screenReader)
            screenReader->release();
        QCOMPARE(w.reader->model().lastPos(), 1.0); // Talk stepped
        QCOMPARE(bar->activeAction(), nullptr);
        QVERIFY(!bar->hasFocus());
        // A lone Alt still opens the menu bar for the keyboard.
        if (held)
            screenReader.emplace();
        QTest::keyPress(reader, Qt::Key_Alt);
        QTest::keyRelease(reader, Qt::Key_Alt);
        if (screenReader)
            screenReader->release();
        QVERIFY(bar->activeAction());
    }

    // Each new sentence reaches assistive technology as changed text of the Sentence box, capped
    // for a megabyte; with "Screen reader speaks the sentences" it is announced instead of being
    // handed to the speech window, and the choice is saved.
    void sentenceToScreenReader_data() {
        QTest::addColumn<bool>("screenReaderSpeaks");
        QTest::addColumn<bool>(
            "listening"); // assistive technology (not so with QT_ACCESSIBILITY=0)
        QTest::newRow("program speaks") << false << true;
        QTest::newRow("screen reader speaks") << true << true;
        // Nobody would hear an announcement: the program's voice reads the sentence.
        QTest::newRow("screen reader chosen, none listening") << true << false;
    }

    void sentenceToScreenReader() {
        QFETCH(bool, screenReaderSpeaks);
        QFETCH(bool, listening);
        Windows w;
        std::optional<Events> events;
        if (listening)
            events.emplace();
        auto* item = w.reader->findChild<QAction*>(QStringLiteral("menuScreenReaderSpeaks"));
        QVERIFY(item && item->isCheckable());
        QCOMPARE(item->isChecked(), false); // off by default
        item->setChecked(true);
        item->setChecked(screenReaderSpeaks);
        auto* text1 = w.reader->findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
        QTest::mousePress(w.reader->findChild<QPushButton*>(QStringLiteral("Command3")),
                          Qt::LeftButton);
        const QString sentence = text1->toPlainText();
        QVERIFY(sentence.startsWith("First sentence."));
        if (events)
            QCOMPARE(events->inserted(text1), QStringList{sentence});
        const bool announced = screenReaderSpeaks && listening;
        auto* notice = w.reader->findChild<QWidget*>(QStringLiteral("AccessibleNotice"));
        QCOMPARE(w.tts->handedOverBox()->text(), announced ? QString() : sentence);
        QCOMPARE(w.reader->lastAnnouncement(), announced ? sentence : QString());
        QCOMPARE(!notice->isHidden(), announced); // shown as it announces
        QCOMPARE(QAccessible::queryAccessibleInterface(notice)->role(), QAccessible::Notification);

        // Saved, and read by the next start.
        QCOMPARE(readReadingOptionsFile(kReadingOptionsFileName).screenReaderSpeaks,
                 screenReaderSpeaks);
        EnglishF next(*w.tts, w.prompts);
        QCOMPARE(next.findChild<QAction*>(QStringLiteral("menuScreenReaderSpeaks"))->isChecked(),
                 screenReaderSpeaks);
    }

    // A megabyte in the Sentence box or an announcement reaches assistive technology cut short.
    void megabyteIsCapped() {
        Windows w;
        Events events;
        QString megabyte;
        for (int i = 0; megabyte.size() < (1 << 20); ++i)
            megabyte += QStringLiteral("word%1 ").arg(i);
        auto* text1 = w.reader->findChild<SentenceBox*>(QStringLiteral("Text1"));
        text1->showSentence(megabyte);
        QCOMPARE(text1->toPlainText(), megabyte); // shown whole
        const QStringList changes = events.inserted(text1);
        QCOMPARE(changes.size(), 1);
        QVERIFY(changes.first().size() <= kAssistiveTextLimit + 1);
        QVERIFY(changes.first().endsWith(QChar(0x2026)));
        QVERIFY(megabyte.startsWith(changes.first().chopped(1)));

        AccessibleNotice notice(w.reader.get());
        notice.announce(megabyte);
        QVERIFY(notice.lastText().size() <= kAssistiveTextLimit + 1);
        QVERIFY(megabyte.startsWith(notice.lastText().chopped(1)));
    }
};

QTEST_MAIN(ScreenReaderTest)
#include "test_screen_reader.moc"
