// The word list editor panel, Test Last Word, and the File and Help menus.
#include "TTSSetupFixture.h"
#include "TmpfsMount.h"

#include <QLineEdit>
#include <QScreen>

using namespace orasent;
using namespace orasent::test;

namespace {
int pixelsWide(const QWidget& w, int twips) {
    return qRound(twips * w.screen()->logicalDotsPerInchX() / 1440);
}
} // namespace

class TestTTSSetupEditor : public QObject {
    Q_OBJECT
private slots:
    void editListToggles() {
        SpeechWindowFixture f;
        writeBytes(f.path("Speech.lst"), "rd=road\r\n\r\nst=street\r\n\r\n\r\n");
        TTSSetup& w = f.load();
        QAction* st = menuAction(&w, "ST");
        st->trigger();
        QVERIFY(w.isEditorOpen());
        QCOMPARE(w.frameGeometry().width(), pixelsWide(w, 14154));
        QCOMPARE(f.talkBox()->toPlainText(), QStringLiteral("rd=road\n\nst=street\n"));
        // Closing by the menu keeps the edits; opening again replaces them with the list.
        f.talkBox()->setPlainText(QStringLiteral("edited"));
        st->trigger();
        QVERIFY(!w.isEditorOpen());
        QCOMPARE(w.frameGeometry().width(), pixelsWide(w, 8220));
        QCOMPARE(f.talkBox()->toPlainText(), QStringLiteral("edited"));
        st->trigger();
        QCOMPARE(f.talkBox()->toPlainText(), QStringLiteral("rd=road\n\nst=street\n"));
        QCOMPARE(w.ReplacementList(), QStringLiteral("rd=road||st=street"));
    }

    void saveKeepsTheFileAsTypedAndTheListInUpperCase_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("list");
        QTest::newRow("empty list") << QString() << QByteArray("\r\n\r\n") << QString();
        QTest::newRow("mixed") << "rd=Road\nX=Y\n\nC=D|e=f\n"
                               << QByteArray("rd=Road\r\nX=Y\r\n\r\nC=D|e=f\r\n\r\n")
                               << "RD=ROAD|X=Y||C=D|E=F";
    }

    void saveKeepsTheFileAsTypedAndTheListInUpperCase() {
        QFETCH(QString, typed);
        QFETCH(QByteArray, file);
        QFETCH(QString, list);
        SpeechWindowFixture f;
        TTSSetup& w = f.load();
        menuAction(&w, "ST")->trigger();
        if (!typed.isNull())
            f.talkBox()->setPlainText(typed);
        f.click("Command6");
        QCOMPARE(readBytes(f.path("Speech.lst")), file);
        QCOMPARE(w.ReplacementList(), list);
        QVERIFY(!w.isEditorOpen());
        QVERIFY(f.talkBox()->toPlainText().isEmpty());
        // The new list applies to the next sentence at once.
        w.handedOverBox()->setText(QStringLiteral("main rd"));
        w.onSpeakingTick();
        QCOMPARE(f.voice->lastText(),
                 list.isEmpty() ? QStringLiteral("MAIN RD") : QStringLiteral("MAIN ROAD"));
    }

    void saveFailureKeepsListFileAndEdits() {
        TmpfsMount disk(64);
        if (!disk.isMounted())
            QSKIP("cannot mount a tmpfs here");
        SpeechWindowFixture f;
        QDir::setCurrent(disk.path());
        writeBytes(disk.filePath("Speech.lst"), "rd=road\r\n");
        TTSSetup& w = f.load();
        menuAction(&w, "ST")->trigger();
        const QString edits =
            f.talkBox()->toPlainText() + QStringLiteral("st=street\n") + QString(40000, u'x');
        f.talkBox()->setPlainText(edits);
        disk.fill();
        f.click("Command6");
        QCOMPARE(readBytes(disk.filePath("Speech.lst")), QByteArray("rd=road\r\n"));
        QCOMPARE(w.ReplacementList(), QStringLiteral("rd=road"));
        QCOMPARE(f.prompts.messages.size(), 1);
        QVERIFY(f.prompts.messages[0].text.contains("Speech.lst"));
        QCOMPARE(f.talkBox()->toPlainText(), edits);
        QVERIFY(w.isEditorOpen());
    }

    void noSave() {
        SpeechWindowFixture f;
        writeBytes(f.path("Speech.lst"), "rd=road\r\n");
        TTSSetup& w = f.load();
        w.showWindow(); // the panel is closed only on a shown window
        menuAction(&w, "ST")->trigger();
        f.talkBox()->setPlainText(QStringLiteral("x=y\n"));
        f.click("Command5");
        QVERIFY(!w.isEditorOpen());
        QVERIFY(f.talkBox()->toPlainText().isEmpty());
        QCOMPARE(w.ReplacementList(), QStringLiteral("rd=road"));
        QCOMPARE(readBytes(f.path("Speech.lst")), QByteArray("rd=road\r\n"));
    }

    // The ordering and the 1999/2000 rule are the word list's; here the box and the message.
    void sortAndItsLimit() {
        SpeechWindowFixture f;
        f.load();
        f.talkBox()->setPlainText(QStringLiteral("b=x\n\nA=y\na=y"));
        f.click("Command4");
        QCOMPARE(f.talkBox()->toPlainText(), QStringLiteral("A=y\na=y\nb=x\n"));
        QVERIFY(f.prompts.messages.isEmpty());
        QVERIFY(!QFile::exists(f.path("Speech.lst")));

        const QString text = QStringLiteral("w=x\n").repeated(2000);
        f.talkBox()->setPlainText(text);
        f.click("Command4");
        QCOMPARE(f.prompts.messages.size(), 1);
        QCOMPARE(f.prompts.messages[0].text,
                 QStringLiteral("Could not sort the list. Only 2000 entries allowed"));
        QCOMPARE(f.prompts.messages[0].title, programTitle());
        QCOMPARE(f.talkBox()->toPlainText(), text);
    }

    void testLastWord_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("RD=ROAD with its line break") << "RD=ROAD\n"
                                                     << "ROAD\r\n";
        QTest::newRow("no equal sign") << QString(300, u'a') << QString(255, u'a');
    }

    void testLastWord() {
        QFETCH(QString, edit);
        QFETCH(QString, spoken);
        SpeechWindowFixture f;
        writeBytes(f.path("Speech.lst"), "ROAD=AVENUE\r\n");
        f.load();
        f.talkBox()->setPlainText(edit);
        f.click("Command3");
        QCOMPARE(f.spoken(), QStringList{spoken});             // no replacements
        QCOMPARE(f.voice->calls[0].flags, int(SVSFlagsAsync)); // after what is heard, at once
        f.voice->failSpeak = true;
        f.click("Command3");
        QVERIFY(f.prompts.messages.isEmpty());
    }

    void openTextFile() {
        SpeechWindowFixture f;
        f.setUpVoice = [](FakeVoice& v) { v.m_sdkPath = QStringLiteral("/opt/speech/"); };
        writeBytes(f.path("caf.txt"), QByteArray("Caf\xe9 \x93quoted\x94\r\n<speak>x</speak>"));
        TTSSetup& w = f.load();
        f.mainText()->setPlainText(QStringLiteral("kept"));
        f.prompts.fileAnswers << f.path("missing.txt") << f.folder.path();
        for (int i = 0; i < 3; ++i) // a missing file, a folder, cancelled
            menuAction(&w, "menuFileOpenText")->trigger();
        QCOMPARE(f.mainText()->toPlainText(), QStringLiteral("kept"));
        const OpenFileRequest& request = f.prompts.openRequests.value(0);
        QCOMPARE(request.title, QStringLiteral("Open a Text File"));
        QCOMPARE(request.filter,
                 QStringLiteral("All Files (*.*)|*.*|Text, XML Files (*.txt;*.xml)|*.txt;*.xml"));
        QCOMPARE(request.selectedFilter, 1);
        QVERIFY(request.mustExist);
        QCOMPARE(request.directory, QStringLiteral("/opt/speech/samples/common"));
        // Bytes that are not UTF-8 are read as Windows-1252; the text is loaded, not spoken.
        f.prompts.fileAnswers << f.path("caf.txt");
        menuAction(&w, "menuFileOpenText")->trigger();
        QCOMPARE(f.mainText()->toPlainText(),
                 QStringLiteral("Caf\u00e9 \u201cquoted\u201d\n<speak>x</speak>"));
        QVERIFY(f.prompts.messages.isEmpty());
        QVERIFY(f.voice->calls.isEmpty());
    }

    void help() {
        SpeechWindowFixture f;
        TTSSetup& w = f.load();
        QPlainTextEdit readerText1;
        w.setReaderSentenceBox(&readerText1);
        f.mainText()->setPlainText(QStringLiteral("busy"));
        w.SpeakItX();
        menuAction(&w, "menuHelp")->trigger();
        const QString help = QStringLiteral("Orasent Version 1.1\r\nIf you have different voices "
                                            "installed you can select them from the voice drop "
                                            "down. To add new pronunciations click edit list. Add "
                                            "the word to the list plus an equal sign and then the "
                                            "new pronunciation. ");
        QCOMPARE(w.handedOverBox()->text(), help);
        QCOMPARE(readerText1.toPlainText(),
                 QString(help).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        // Spoken once the window is idle again.
        f.voice->speakThrough();
        w.onSpeakingTick();
        QCOMPARE(f.voice->lastText(),
                 help.toUpper().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }
};

QTEST_MAIN(TestTTSSetupEditor)
#include "test_ttssetup_editor.moc"
