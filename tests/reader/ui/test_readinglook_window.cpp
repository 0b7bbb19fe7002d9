// The reading look through the reader window: the start-up look, the dialog (OK, Cancel,
// presets, names), the highlight modes, Faster and Slower, and a save onto a full disk.
#include "FileBytes.h"
#include "ReaderWindowFixture.h"
#include "TmpfsMount.h"
#include "common/ui/Accessibility.h"
#include "reader/ui/FollowAlong.h"
#include "reader/ui/ReaderFonts.h"
#include "reader/ui/ReadingLookDialog.h"
#include "reader/ui/SentenceBox.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontMetricsF>
#include <QLabel>
#include <QSpinBox>
#include <QtTest>

using namespace orasent;
using namespace orasent::test;

namespace {
ReadingLookDialog* openDialog(ReaderWindowFixture& f) {
    f.action("menuReadingLook")->trigger();
    return f.reader->findChild<ReadingLookDialog*>();
}

SentenceBox* box(ReaderWindowFixture& f) {
    return qobject_cast<SentenceBox*>(f.text1());
}

void choosePreset(ReadingLookDialog* dialog, int index) {
    auto* presets = dialog->findChild<QComboBox*>("PresetCB");
    presets->setCurrentIndex(index);
    emit presets->activated(index);
}
} // namespace

class ReadingLookWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installAccessibleInterfaces(); }

    // Without a look file the box is as designed; with one, a restart shows that look, and
    // Bigger keeps the spacing in step with the size.
    void startUpLook() {
        ReaderWindowFixture f;
        f.open(false);
        QCOMPARE(f.text1()->font(), arialBlackFont(18));
        QCOMPARE(box(f)->sideMargin(), 0);
        QCOMPARE(box(f)->lineSpacing(), 1.0);
        QCOMPARE(f.text1()->palette(), SentenceBox().palette());
        f.reader.reset();

        writeFile("ReadingLook.ini", "TYPEFACE=No Such Face\r\nLETTERSPACING=35\r\n"
                                     "LINESPACING=1.5\r\nLINEWIDTH=40\r\nTEXTCOLOUR=#102030\r\n");
        f.open();
        f.text1()->resize(1200, 300);
        QCOMPARE(f.text1()->font().families().first(), QStringLiteral("No Such Face"));
        QVERIFY(f.text1()->font().families().contains(QStringLiteral("Liberation Sans")));
        QCOMPARE(box(f)->lineSpacing(), 1.5);
        QCOMPARE(box(f)->textColour(), QColor(0x10, 0x20, 0x30));
        QVERIFY(box(f)->sideMargin() > 0);
        f.click(1); // Bigger
        QCOMPARE(f.text1()->font().pointSizeF(), 28.0);
        QFont plain = f.text1()->font();
        plain.setLetterSpacing(QFont::PercentageSpacing, 100);
        // A QFont keeps spacing in 1/64 pixel.
        QVERIFY(qAbs(f.text1()->font().letterSpacing() -
                     QFontMetricsF(plain, f.text1()).averageCharWidth() * 0.35) < 1.0 / 32);
    }

    void okKeepsAndSaves() {
        ReaderWindowFixture f;
        f.open(false);
        ReadingLookDialog* dialog = openDialog(f);
        QVERIFY(dialog && dialog->isVisible() && !dialog->isModal());
        dialog->findChild<QDoubleSpinBox*>("LineSpacingSpin")->setValue(2);
        dialog->findChild<QCheckBox*>("BoldChk")->setChecked(false);
        QCOMPARE(box(f)->lineSpacing(), 2.0); // at once, before OK
        QCOMPARE(f.text1()->font().weight(), QFont::Normal);
        dialog->accept();
        QCOMPARE(box(f)->lineSpacing(), 2.0);
        QCOMPARE(readReadingLookFile("ReadingLook.ini").lineSpacing, 2.0);
        QVERIFY(f.prompts.messages.isEmpty());
    }

    void cancelRestores() {
        ReaderWindowFixture f;
        f.open(false);
        const QFont font = f.text1()->font();
        const QPalette palette = f.text1()->palette();
        ReadingLookDialog* dialog = openDialog(f);
        choosePreset(dialog, 2);
        dialog->findChild<QSpinBox*>("LetterSpacingSpin")->setValue(20);
        QVERIFY(f.text1()->font() != font);
        dialog->reject();
        QCOMPARE(f.text1()->font(), font);
        QCOMPARE(f.text1()->palette(), palette);
        QCOMPARE(f.reader->readingLook(), ReadingLook());
        QVERIFY(!QFile::exists("ReadingLook.ini"));
    }

    void presetsSetTheirColours_data() {
        QTest::addColumn<int>("preset");
        for (int i = 0; i < lookPresets().size(); ++i)
            QTest::addRow("%s", qPrintable(lookPresets()[i].name)) << i;
    }
    void presetsSetTheirColours() {
        QFETCH(int, preset);
        const LookPreset& p = lookPresets()[preset];
        ReaderWindowFixture f;
        f.open(false);
        const SentenceBox system;
        ReadingLookDialog* dialog = openDialog(f);
        choosePreset(dialog, preset == 0 ? 1 : 0); // from another preset
        choosePreset(dialog, preset);
        const QColor text = p.text.isValid() ? p.text : system.textColour();
        const QColor base = p.background.isValid() ? p.background : system.backgroundColour();
        QCOMPARE(box(f)->textColour(), text);
        QCOMPARE(box(f)->backgroundColour(), base);
        QVERIFY(contrastRatio(text, base) >= 4.5);
        if (p.wordBand.isValid()) {
            QVERIFY(contrastRatio(text, p.wordBand) >= 4.5);
            QVERIFY(contrastRatio(text, p.sentenceBand) >= 4.5);
        }
        QVERIFY(!dialog->findChild<QLabel*>("ContrastLbl")->text().startsWith("Low"));
    }

    void lowContrastWarns() {
        ReaderWindowFixture f;
        f.open(false);
        ReadingLookDialog* dialog = openDialog(f);
        f.prompts.colorAnswers = {QColor(0x99, 0x99, 0x99)};
        dialog->findChild<QPushButton*>("TextColourBtn")->click();
        QCOMPARE(box(f)->textColour(), QColor(0x99, 0x99, 0x99)); // taken all the same
        QVERIFY(dialog->findChild<QLabel*>("ContrastLbl")->text().startsWith("Low contrast"));
        QCOMPARE(dialog->findChild<QComboBox*>("PresetCB")->currentText(),
                 QStringLiteral("Own colours"));
    }

    void highlightModes_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("bands"); // the texts under the bands, in paint order
        QTest::newRow("off") << int(HighlightMode::Off) << QStringList{};
        QTest::newRow("word") << int(HighlightMode::Word) << QStringList{"Two"};
        QTest::newRow("sentence") << int(HighlightMode::Sentence)
                                  << QStringList{"One two Two three."};
        QTest::newRow("both") << int(HighlightMode::Both)
                              << QStringList{"One two Two three.", "Two"};
    }
    void highlightModes() {
        QFETCH(int, mode);
        QFETCH(QStringList, bands);
        ReaderWindowFixture f;
        f.open(false, "  One two Two three. Next. ");
        ReadingLook look;
        look.highlight = HighlightMode(mode);
        f.reader->applyReadingLook(look);
        f.talk();
        const QString sentence = f.tts.spoken();
        emit f.tts.core.handedOverWordHeard(sentence, int(sentence.indexOf("Two")), 3);
        QStringList painted;
        for (const QTextEdit::ExtraSelection& band : f.text1()->extraSelections())
            painted << band.cursor.selectedText();
        QCOMPARE(painted, bands);
        if (bands.size() == 2) // the sentence band is the lighter one
            QVERIFY(f.text1()->extraSelections()[0].format.background().color().lightness() >
                    f.text1()->extraSelections()[1].format.background().color().lightness());
    }

    void fasterAndSlower_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("rate");
        QTest::newRow("faster") << 0 << "menuFaster" << 1;
        QTest::newRow("slower") << 3 << "menuSlower" << 2;
        QTest::newRow("not past 10") << 10 << "menuFaster" << 10;
        QTest::newRow("not below -10") << -10 << "menuSlower" << -10;
    }
    void fasterAndSlower() {
        QFETCH(int, start);
        QFETCH(QString, action);
        QFETCH(int, rate);
        ReaderWindowFixture f;
        f.open();
        f.tts.rate = start;
        f.text1()->setFocus();
        const QKeySequence keys = f.action(qPrintable(action))->shortcut();
        QCOMPARE(keys, QKeySequence(action == "menuFaster" ? "Ctrl+]" : "Ctrl+["));
        QTest::keySequence(f.reader.get(), keys);
        QCOMPARE(f.tts.rate, rate);
        QCOMPARE(f.tts.spoken(), QStringLiteral("Rate %1").arg(rate));
        QCOMPARE(f.model().playMode(), ReaderModel::PlayMode::Off); // the shortcut types nothing
    }

    void dialogNames_data() {
        QTest::addColumn<QString>("objectName");
        QTest::addColumn<QString>("name");
        const char* const rows[][2] = {{"TypefaceCB", "Typeface"},
                                       {"BoldChk", "Bold"},
                                       {"LetterSpacingSpin", "Letter spacing"},
                                       {"WordSpacingSpin", "Word spacing"},
                                       {"LineSpacingSpin", "Line spacing"},
                                       {"LineWidthSpin", "Line width"},
                                       {"PresetCB", "Colours"},
                                       {"TextColourBtn", "Text colour…"},
                                       {"BackgroundColourBtn", "Background colour…"},
                                       {"HighlightCB", "Highlight"},
                                       {"BandColourBtn", "Band colour…"},
                                       {"SampleBox", "Sample"},
                                       {"ReadingLookDialog", "Reading Look"}};
        for (const auto& [object, name] : rows)
            QTest::newRow(object) << object << name;
    }
    void dialogNames() {
        QFETCH(QString, objectName);
        QFETCH(QString, name);
        ReaderWindowFixture f;
        f.open(false);
        ReadingLookDialog* dialog = openDialog(f);
        QWidget* control =
            objectName == dialog->objectName() ? dialog : dialog->findChild<QWidget*>(objectName);
        QVERIFY(control);
        QCOMPARE(QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name), name);
    }

    // Tab visits the controls top to bottom.
    void tabOrder() {
        ReaderWindowFixture f;
        f.open(false);
        ReadingLookDialog* dialog = openDialog(f);
        QStringList order;
        QWidget* first = dialog->findChild<QWidget*>("TypefaceCB");
        QWidget* w = first;
        do {
            if ((w->focusPolicy() & Qt::TabFocus) && !w->objectName().isEmpty() &&
                !w->objectName().startsWith("qt_") && w->window() == dialog &&
                !order.contains(w->objectName()))
                order << w->objectName();
            w = w->nextInFocusChain();
        } while (w && w != first);
        QCOMPARE(order,
                 (QStringList{"TypefaceCB", "BoldChk", "LetterSpacingSpin", "WordSpacingSpin",
                              "LineSpacingSpin", "LineWidthSpin", "DialogTypeSizeSpin", "PresetCB",
                              "TextColourBtn", "BackgroundColourBtn", "HighlightCB",
                              "BandColourBtn", "SampleBox", "OkBtn", "CancelBtn"}));
    }

    void saveOntoFullDisk() {
        TmpfsMount disk(64);
        if (!disk.isMounted())
            QSKIP("cannot mount a tmpfs here (needs root)");
        ReaderWindowFixture f;
        QVERIFY(QDir::setCurrent(disk.path()));
        writeFile("ReadingLook.ini", "LINESPACING=2\r\n");
        f.open(false);
        ReadingLookDialog* dialog = openDialog(f);
        dialog->findChild<QDoubleSpinBox*>("LineSpacingSpin")->setValue(3);
        disk.fill();
        dialog->accept();
        QCOMPARE(readAll(disk.filePath("ReadingLook.ini")), QByteArray("LINESPACING=2\r\n"));
        QCOMPARE(f.prompts.messages.size(), 1);
        QVERIFY(f.prompts.messages[0].text.contains("ReadingLook.ini"));
        QCOMPARE(box(f)->lineSpacing(), 3.0); // still used in this run
    }
};

QTEST_MAIN(ReadingLookWindowTest)
#include "test_readinglook_window.moc"
