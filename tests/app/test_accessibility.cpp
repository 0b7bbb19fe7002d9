// What a screen reader finds in the three windows, asked through Qt's accessibility interfaces,
// and what a keyboard user reaches with Tab and the mnemonics.
#include "AccessibleWindows.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTextCursor>

using namespace orasent;
using namespace orasent::test;

namespace {

bool nameIsDue(QAccessible::Role role) {
    switch (role) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::ComboBox:
    case QAccessible::Slider:
    case QAccessible::EditableText:
    case QAccessible::StaticText:
    case QAccessible::MenuItem:
    case QAccessible::Window:
    case QAccessible::Dialog:
        return true;
    default:
        return false;
    }
}

QString typed(QWidget* window, const QString& objectName) {
    QWidget* w = window->findChild<QWidget*>(objectName);
    if (auto* box = qobject_cast<QPlainTextEdit*>(w))
        return box->toPlainText();
    if (auto* line = qobject_cast<QLineEdit*>(w))
        return line->text();
    return {};
}

} // namespace
class AccessibilityTest : public QObject {
    Q_OBJECT
private slots:
    void controlNames_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("objectName");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("description");
        const QString reader = QStringLiteral("reader"), speech = QStringLiteral("speech"),
                      seconds = QStringLiteral("seconds");
        const char* const readerRows[][2] = {{"Text1", "Sentence"},
                                             {"Text2", "File path"},
                                             {"Command1", "Bigger"},
                                             {"Command2", "Smaller"},
                                             {"Command3", "Talk"},
                                             {"Command4", "Stop"},
                                             {"Command5", "Again"},
                                             {"Command6", "Quit"},
                                             {"Command7", "Set Bookmark"},
                                             {"Command8", "Next Bookmark"},
                                             {"Command9", "Prev Bookmark"},
                                             {"Command10", "Clear Bookmarks"},
                                             {"Command11", "Set 25 Bookmarks"},
                                             {"Openf", "Open File"},
                                             {"TQuestions", "Open Tech Question"},
                                             {"Gquestions", "Open General Question"},
                                             {"EQuestions", "Open Extra Questions"},
                                             {"Ex", "Exit"},
                                             {"TTSSet", "TTS Setup"},
                                             {"Secs", "Seconds "},
                                             {"HLP", "Help"},
                                             {"EnglishF", "Read Text"}};
        for (const auto& [object, name] : readerRows)
            QTest::addRow("reader %s", object) << reader << object << name << "";
        const char* const secondsRows[][2] = {
            {"Label1", "Enter the pause between sentences in seconds"},
            {"Text1", "Enter the pause between sentences in seconds"},
            {"Command1", "Close"},
            {"Command2", "Save"},
            {"SecondsF", "Seconds"}};
        for (const auto& [object, name] : secondsRows)
            QTest::addRow("seconds %s", object) << seconds << object << name << "";
        const char* const speechRows[][2] = {
            {"MainTxtBox", "Text to speak"},
            {"SpeakBtn", "Speak"},
            {"StopBtn", "Stop"},
            {"Command2", "Play Clipboard"},
            {"BtnTest", "Test"},
            {"ChkClipboard", "Monitor Clipboard"},
            {"ClearIt", "Clear after speak"},
            {"Label2", "Voice"},
            {"VoiceCB", "Voice"},
            {"Label5", "Format"},
            {"FormatCB", "Format"},
            {"Label3", "Rate"},
            {"Label1", "Audio Output"},
            {"AudioOutputCB", "Audio Output"},
            {"Label4", "Volume"},
            {"Command1", "CLOSE"},
            {"Label6", "Edit Word replacement List. I.E. RD = Road"},
            {"TalkBox", "Word replacement list"},
            {"Command3", "Test Last Word in List"},
            {"Command4", "Sort List"},
            {"Command5", "No Save"},
            {"Command6", "Save"},
            {"menuFileOpenText", "Open Text File"},
            {"menuFileExit", "Close"},
            {"menuHelp", "Help"},
            {"ST", "Edit List"},
            {"TTSSetup", "Text To Speech"}};
        for (const auto& [object, name] : speechRows)
            QTest::addRow("speech %s", object) << speech << object << name << "";
        QTest::addRow("speech RateSldr") << speech << "RateSldr"
                                         << "Rate"
                                         << "Changes voice playback rate";
        QTest::addRow("speech VolumeSldr") << speech << "VolumeSldr"
                                           << "Volume"
                                           << "Changes voice playback volume";
    }

    void controlNames() {
        QFETCH(QString, window);
        QFETCH(QString, objectName);
        QFETCH(QString, name);
        QFETCH(QString, description);
        Windows w;
        QAccessibleInterface* iface = find(w.window(window), objectName);
        QVERIFY2(iface, qPrintable(objectName));
        QCOMPARE(iface->text(QAccessible::Name), name);
        if (!description.isEmpty())
            QCOMPARE(iface->text(QAccessible::Description), description);
    }

    // No control anywhere is nameless or named by its code name; the helpers are hidden.
    void noCodeNames_data() {
        QTest::addColumn<QString>("window");
        QTest::newRow("reader") << "reader";
        QTest::newRow("seconds") << "seconds";
        QTest::newRow("speech") << "speech";
    }

    void noCodeNames() {
        QFETCH(QString, window);
        Windows w;
        QWidget* root = w.window(window);
        if (window == QLatin1String("speech"))
            w.tts->onEditListPressed(); // the word list panel open too
        QSet<QString> codeNames;
        for (const QObject* o : root->findChildren<QObject*>())
            codeNames << o->objectName();
        const QRegularExpression numbered(QStringLiteral("^[A-Za-z]+[0-9]+$"));
        int checked = 0;
        for (QAccessibleInterface* iface : everything(root)) {
            auto* widget = qobject_cast<QWidget*>(iface->object());
            if ((widget && isHiddenFromAssistiveTechnology(widget)) || !nameIsDue(iface->role()))
                continue;
            const QString name = iface->text(QAccessible::Name);
            const QString what = QStringLiteral("%1 (%2)").arg(
                iface->object() ? iface->object()->objectName() : QStringLiteral("?"), name);
            QVERIFY2(!name.trimmed().isEmpty(), qPrintable(what));
            QVERIFY2(!codeNames.contains(name) && !numbered.match(name).hasMatch(),
                     qPrintable(what));
            ++checked;
        }
        QVERIFY(checked >= 4);
        for (const char* helper : {"SPKBX", "VisemePicture"}) {
            auto* control = root->findChild<QWidget*>(QString::fromLatin1(helper));
            if (!control)
                continue;
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(control);
            QVERIFY(iface->state().invisible);
            QVERIFY(!iface->state().focusable);
        }
    }

    // The sentence and the word being highlighted can be read back.
    void textCanBeRead() {
        Windows w;
        QTest::mousePress(w.reader->findChild<QPushButton*>(QStringLiteral("Command3")),
                          Qt::LeftButton);
        QAccessibleTextInterface* sentence =
            find(w.reader.get(), QStringLiteral("Text1"))->textInterface();
        QVERIFY(sentence);
        QCOMPARE(sentence->text(0, sentence->characterCount()),
                 w.reader->findChild<QPlainTextEdit*>(QStringLiteral("Text1"))->toPlainText());
        QVERIFY(sentence->text(0, sentence->characterCount()).startsWith("First sentence."));

        // The spoken word is painted, not selected: the box's selection and caret stay put,
        // so a screen reader hears no selection change per word.
        auto* mainBox = w.tts->findChild<QPlainTextEdit*>(QStringLiteral("MainTxtBox"));
        mainBox->setPlainText("MAIN ROAD");
        QTextCursor caret = mainBox->textCursor();
        caret.setPosition(2);
        mainBox->setTextCursor(caret);
        w.tts->HighlightSpokenText(5, 4);
        QAccessibleTextInterface* main =
            find(w.tts.get(), QStringLiteral("MainTxtBox"))->textInterface();
        QCOMPARE(main->selectionCount(), 0);
        QCOMPARE(main->cursorPosition(), 2);
        const auto [start, length] = w.tts->highlightedSpan();
        QCOMPARE(main->text(start, start + length), QStringLiteral("ROAD"));
    }

    // Tab goes round each window in the order of the screen, out of every multi-line box.
    void tabOrder_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("panelOpen");
        QTest::addColumn<QStringList>("order");
        QStringList reader{"Text1"};
        for (int i = 1; i <= 11; ++i)
            reader << QStringLiteral("Command%1").arg(i);
        reader << "Text2";
        QTest::newRow("reader") << "reader" << false << reader;
        QTest::newRow("seconds") << "seconds" << false
                                 << QStringList{"Command1", "Command2", "Text1"};
        // Idle: Stop is disabled and Tab passes it by.
        const QStringList speech{"MainTxtBox",   "SpeakBtn",      "Command2",   "BtnTest",
                                 "ChkClipboard", "ClearIt",       "VoiceCB",    "FormatCB",
                                 "RateSldr",     "AudioOutputCB", "VolumeSldr", "Command1"};
        QTest::newRow("speech, panel closed") << "speech" << false << speech;
        QTest::newRow("speech, panel open")
            << "speech" << true
            << (speech + QStringList{"TalkBox", "Command3", "Command4", "Command5", "Command6"});
    }

    void tabOrder() {
        QFETCH(QString, window);
        QFETCH(bool, panelOpen);
        QFETCH(QStringList, order);
        Windows w;
        QWidget* root = w.activeWindow(window);
        if (panelOpen)
            w.tts->onEditListPressed();
        root->findChild<QWidget*>(order.first())->setFocus(Qt::OtherFocusReason);
        QStringList visited;
        for (int i = 0; i <= order.size(); ++i) {
            QWidget* focus = QApplication::focusWidget();
            QVERIFY(focus);
            visited << focus->objectName();
            const QString before = typed(root, focus->objectName());
            QTest::keyClick(focus, Qt::Key_Tab);
            QCOMPARE(typed(root, visited.last()), before); // no tab character typed
        }
        QCOMPARE(visited, order + QStringList{order.first()});
    }

    // Each caption's mnemonic presses its button; Talk's steps like a left press.
    void mnemonics_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("key");
        const int keys[] = {0,         Qt::Key_B, Qt::Key_S, Qt::Key_T, Qt::Key_O, Qt::Key_A,
                            Qt::Key_Q, Qt::Key_E, Qt::Key_N, Qt::Key_P, Qt::Key_C, Qt::Key_2};
        for (int i = 1; i <= 11; ++i)
            QTest::addRow("Command%d", i) << i << keys[i];
    }

    void mnemonics() {
        QFETCH(int, command);
        QFETCH(int, key);
        Windows w;
        QWidget* reader = w.activeWindow(QStringLiteral("reader"));
        auto* button = reader->findChild<QPushButton*>(QStringLiteral("Command%1").arg(command));
        QSignalSpy clicks(button, &QPushButton::clicked);
        QTest::keyClick(reader->windowHandle(), Qt::Key(key), Qt::AltModifier);
        if (command == 3) {
            QCOMPARE(w.reader->model().lastPos(), 1.0);
            QVERIFY(w.reader->findChild<QPlainTextEdit*>(QStringLiteral("Text1"))
                        ->toPlainText()
                        .startsWith("First sentence."));
        } else {
            QTRY_COMPARE(clicks.count(), 1); // the animated click lands a moment later
        }
        QCOMPARE(w.reader->model().playMode(), ReaderModel::PlayMode::Off);
    }
};

QTEST_MAIN(AccessibilityTest)
#include "test_accessibility.moc"
