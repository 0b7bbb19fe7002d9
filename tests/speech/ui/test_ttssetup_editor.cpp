// The word list editor panel, the Test button, and the File and Help menus with Speak and Stop.
#include "TTSSetupFixture.h"
#include "TmpfsMount.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace orasent;
using namespace orasent::test;

class TestTTSSetupEditor : public QObject {
    Q_OBJECT
private slots:
    void editListToggles();
    void emptyListOpenedAndSaved();
    void saveKeepsTheFileAsTypedAndTheListInUpperCase();
    void saveFailureKeepsListFileAndEdits();
    void noSave();
    void sort_data();
    void sort();
    void sortLimitMessage();
    void testLastWord_data();
    void testLastWord();
    void testButton();

    void openTextFileCancelled();
    void openTextFileDecodesWindows1252();
    void openTextFileMissing();
    void openTextFileDialogRequest();
    void help();
    void stopButton();
};

void TestTTSSetupEditor::editListToggles() {
    SpeechWindowFixture f;
    writeBytes(f.path("Speech.lst"), "rd=road\r\n\r\nst=street\r\n\r\n\r\n");
    TTSSetup& w = f.load();
    QCOMPARE(w.ReplacementList(), QStringLiteral("rd=road||st=street"));
    auto* talk = control<QPlainTextEdit>(&w, "TalkBox");
    QAction* st = menuAction(&w, "ST");
    st->trigger();
    QVERIFY(w.isEditorOpen());
    QCOMPARE(w.frameGeometry().width(), qRound(14154 * w.screen()->logicalDotsPerInchX() / 1440));
    QCOMPARE(talk->toPlainText(), QStringLiteral("rd=road\n\nst=street\n"));
    // Closing by the menu keeps the edits; opening again replaces them with the list.
    talk->setPlainText(QStringLiteral("edited"));
    st->trigger();
    QVERIFY(!w.isEditorOpen());
    QCOMPARE(w.frameGeometry().width(), qRound(8220 * w.screen()->logicalDotsPerInchX() / 1440));
    QCOMPARE(talk->toPlainText(), QStringLiteral("edited"));
    st->trigger();
    QCOMPARE(talk->toPlainText(), QStringLiteral("rd=road\n\nst=street\n"));
    QCOMPARE(w.ReplacementList(), QStringLiteral("rd=road||st=street"));
}

void TestTTSSetupEditor::emptyListOpenedAndSaved() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    menuAction(&w, "ST")->trigger();
    control<QPushButton>(&w, "Command6")->click();
    QCOMPARE(readBytes(f.path("Speech.lst")), QByteArray("\r\n\r\n"));
    QCOMPARE(w.ReplacementList(), QString());
    QVERIFY(!w.isEditorOpen());
    QVERIFY(control<QPlainTextEdit>(&w, "TalkBox")->toPlainText().isEmpty());
}

void TestTTSSetupEditor::saveKeepsTheFileAsTypedAndTheListInUpperCase() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    menuAction(&w, "ST")->trigger();
    control<QPlainTextEdit>(&w, "TalkBox")->setPlainText(QStringLiteral("rd=Road\nX=Y\n\nC=D|e=f\n"));
    control<QPushButton>(&w, "Command6")->click();
    QCOMPARE(readBytes(f.path("Speech.lst")), QByteArray("rd=Road\r\nX=Y\r\n\r\nC=D|e=f\r\n\r\n"));
    QCOMPARE(w.ReplacementList(), QStringLiteral("RD=ROAD|X=Y||C=D|E=F"));
    // The new list applies to the next sentence at once.
    w.SPKBX()->setText(QStringLiteral("main rd"));
    w.Timer1_Timer();
    QCOMPARE(f.voice->lastText(), QStringLiteral("MAIN ROAD"));
    // A "|" typed inside a line shows as a line break when the panel opens again.
    menuAction(&w, "ST")->trigger();
    QCOMPARE(control<QPlainTextEdit>(&w, "TalkBox")->toPlainText(), QStringLiteral("RD=ROAD\nX=Y\n\nC=D\nE=F\n"));
}

void TestTTSSetupEditor::saveFailureKeepsListFileAndEdits() {
    TmpfsMount disk(64);
    if (!disk.isMounted())
        QSKIP("cannot mount a tmpfs here");
    SpeechWindowFixture f;
    QDir::setCurrent(disk.path());
    const QByteArray old = "rd=road\r\n";
    writeBytes(disk.filePath("Speech.lst"), old);
    TTSSetup& w = f.load();
    menuAction(&w, "ST")->trigger();
    auto* talk = control<QPlainTextEdit>(&w, "TalkBox");
    talk->setPlainText(talk->toPlainText() + QStringLiteral("st=street\n") + QString(40000, QLatin1Char('x')));
    const QString edits = talk->toPlainText();
    disk.fill();
    control<QPushButton>(&w, "Command6")->click();
    QCOMPARE(readBytes(disk.filePath("Speech.lst")), old);
    QCOMPARE(w.ReplacementList(), QStringLiteral("rd=road"));
    QCOMPARE(f.prompts.messages.size(), 1);
    QVERIFY(f.prompts.messages[0].text.contains("Speech.lst"));
    QCOMPARE(talk->toPlainText(), edits);
    QVERIFY(w.isEditorOpen());
    QDir::setCurrent(f.folder.path());
}

void TestTTSSetupEditor::noSave() {
    SpeechWindowFixture f;
    writeBytes(f.path("Speech.lst"), "rd=road\r\n");
    TTSSetup& w = f.load();
    w.showWindow();
    menuAction(&w, "ST")->trigger();
    control<QPlainTextEdit>(&w, "TalkBox")->setPlainText(QStringLiteral("x=y\n"));
    control<QPushButton>(&w, "Command5")->click();
    QVERIFY(!w.isEditorOpen());
    QVERIFY(control<QPlainTextEdit>(&w, "TalkBox")->toPlainText().isEmpty());
    QCOMPARE(w.ReplacementList(), QStringLiteral("rd=road"));
    QCOMPARE(readBytes(f.path("Speech.lst")), QByteArray("rd=road\r\n"));
}

void TestTTSSetupEditor::sort_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::newRow("case ignored, equal keep order") << "b=x\nA=y\na=y\n" << "A=y\na=y\nb=x\n";
    QTest::newRow("equal upper case keep order") << "a=1\nA=0\n" << "A=0\na=1\n";
    QTest::newRow("blank lines dropped") << "c=1\n\nb=2\n\n" << "b=2\nc=1\n";
    QTest::newRow("last line without break") << "z=1\ny=2" << "y=2\nz=1\n";
}

void TestTTSSetupEditor::sort() {
    QFETCH(QString, before);
    QFETCH(QString, after);
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    menuAction(&w, "ST")->trigger();
    auto* talk = control<QPlainTextEdit>(&w, "TalkBox");
    talk->setPlainText(before);
    control<QPushButton>(&w, "Command4")->click();
    QCOMPARE(talk->toPlainText(), after);
    QVERIFY(f.prompts.messages.isEmpty());
    QVERIFY(!QFile::exists(f.path("Speech.lst")));
}

void TestTTSSetupEditor::sortLimitMessage() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    auto* talk = control<QPlainTextEdit>(&w, "TalkBox");
    QString text;
    for (int i = 2000; i > 0; --i)
        text += QStringLiteral("w%1=x\n").arg(i);
    talk->setPlainText(text);
    control<QPushButton>(&w, "Command4")->click();
    QCOMPARE(f.prompts.messages.size(), 1);
    QCOMPARE(f.prompts.messages[0].text, QStringLiteral("Could not sort the list. Only 2000 entries allowed"));
    QCOMPARE(f.prompts.messages[0].title, programTitle());
    QCOMPARE(talk->toPlainText(), text);

    // 1999 lines are sorted.
    text = text.section(QLatin1Char('\n'), 1);
    talk->setPlainText(text);
    control<QPushButton>(&w, "Command4")->click();
    QCOMPARE(f.prompts.messages.size(), 1);
    // Ordinal: "0" sorts before "=".
    QVERIFY(talk->toPlainText().startsWith(QStringLiteral("w1000=x\nw1001=x\n")));
    QCOMPARE(talk->toPlainText().count(QLatin1Char('\n')), 1999);
}

void TestTTSSetupEditor::testLastWord_data() {
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("spoken");
    QTest::newRow("last entry with its line break") << "ST=STREET\nRD=ROAD\n" << "ROAD\r\n";
    QTest::newRow("no equal sign") << QString(300, QLatin1Char('a')) << QString(255, QLatin1Char('a'));
}

void TestTTSSetupEditor::testLastWord() {
    QFETCH(QString, edit);
    QFETCH(QString, spoken);
    SpeechWindowFixture f;
    writeBytes(f.path("Speech.lst"), "ROAD=AVENUE\r\n");
    TTSSetup& w = f.load();
    control<QPlainTextEdit>(&w, "TalkBox")->setPlainText(edit);
    control<QPushButton>(&w, "Command3")->click();
    QCOMPARE(f.voice->calls.size(), 1);
    QCOMPARE(f.voice->calls[0].text, spoken);  // no replacements
    QCOMPARE(f.voice->calls[0].flags, 0);
    f.voice->failSpeak = true;
    control<QPushButton>(&w, "Command3")->click();
    QVERIFY(f.prompts.messages.isEmpty());
}

void TestTTSSetupEditor::testButton() {
    SpeechWindowFixture f;
    writeBytes(f.path("Speech.lst"), "test=exam\r\n");
    TTSSetup& w = f.load();
    control<QPushButton>(&w, "BtnTest")->click();
    QCOMPARE(f.voice->lastText(), QStringLiteral("This is a test of the Speech Recognition System."));
    QCOMPARE(f.voice->calls.last().flags, 11);
    QVERIFY(!w.SpeakBtn()->isEnabled());
}

void TestTTSSetupEditor::openTextFileCancelled() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    auto* box = control<QPlainTextEdit>(&w, "MainTxtBox");
    box->setPlainText(QStringLiteral("kept"));
    menuAction(&w, "menuFileOpenText")->trigger();
    QCOMPARE(f.prompts.openRequests.size(), 1);
    QCOMPARE(box->toPlainText(), QStringLiteral("kept"));
    QVERIFY(f.prompts.messages.isEmpty());
    QVERIFY(f.voice->calls.isEmpty());
}

void TestTTSSetupEditor::openTextFileDecodesWindows1252() {
    SpeechWindowFixture f;
    writeBytes(f.path("caf.txt"), QByteArray("Caf\xe9 \x93quoted\x94\r\n<speak>x</speak>"));
    TTSSetup& w = f.load();
    f.prompts.fileAnswers << f.path("caf.txt");
    menuAction(&w, "menuFileOpenText")->trigger();
    QCOMPARE(control<QPlainTextEdit>(&w, "MainTxtBox")->toPlainText(),
             QStringLiteral("Caf\u00e9 \u201cquoted\u201d\n<speak>x</speak>"));
    QVERIFY(f.voice->calls.isEmpty());  // loaded, not spoken
}

void TestTTSSetupEditor::openTextFileMissing() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    auto* box = control<QPlainTextEdit>(&w, "MainTxtBox");
    box->setPlainText(QStringLiteral("kept"));
    f.prompts.fileAnswers << f.path("missing.txt") << f.folder.path();
    menuAction(&w, "menuFileOpenText")->trigger();
    menuAction(&w, "menuFileOpenText")->trigger();
    QCOMPARE(box->toPlainText(), QStringLiteral("kept"));
    QVERIFY(f.prompts.messages.isEmpty());
}

void TestTTSSetupEditor::openTextFileDialogRequest() {
    SpeechWindowFixture f;
    f.setUpVoice = [](FakeVoice& v) { v.m_sdkPath = QStringLiteral("/opt/speech/"); };
    TTSSetup& w = f.load();
    menuAction(&w, "menuFileOpenText")->trigger();
    const OpenFileRequest& request = f.prompts.openRequests.value(0);
    QCOMPARE(request.title, QStringLiteral("Open a Text File"));
    QCOMPARE(request.filter, QStringLiteral("All Files (*.*)|*.*|Text, XML Files (*.txt;*.xml)|*.txt;*.xml"));
    QCOMPARE(request.selectedFilter, 1);
    QVERIFY(request.mustExist);
    QCOMPARE(request.directory, QStringLiteral("/opt/speech/samples/common"));
}

void TestTTSSetupEditor::help() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    QPlainTextEdit readerText1;
    w.setReaderSentenceBox(&readerText1);
    control<QPlainTextEdit>(&w, "MainTxtBox")->setPlainText(QStringLiteral("busy"));
    w.SpeakItX();
    menuAction(&w, "menuHelp")->trigger();
    const QString help = QStringLiteral(
        "Orasent Version 1.1\r\nIf you have different voices installed you can select them from the voice drop "
        "down. To add new pronunciations click edit list. Add the word to the list plus an equal sign and then the "
        "new pronunciation. ");
    QCOMPARE(w.SPKBX()->text(), help);
    QCOMPARE(readerText1.toPlainText(), QString(help).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    // Spoken once the window is idle again.
    f.voice->speakThrough();
    w.Timer1_Timer();
    QCOMPARE(f.voice->lastText(), help.toUpper().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void TestTTSSetupEditor::stopButton() {
    SpeechWindowFixture f;
    TTSSetup& w = f.load();
    auto* box = control<QPlainTextEdit>(&w, "MainTxtBox");
    box->setPlainText(QStringLiteral("long text"));
    control<QPushButton>(&w, "SpeakBtn")->click();
    QCOMPARE(f.voice->lastText(), QStringLiteral("long text"));
    w.SPKBX()->setText(QStringLiteral("waiting"));
    control<QPushButton>(&w, "StopBtn")->click();
    QVERIFY(box->toPlainText().isEmpty());
    QVERIFY(w.SPKBX()->text().isEmpty());
    QCOMPARE(f.voice->lastText(), QStringLiteral(" "));
    f.voice->speakThrough();
    w.Timer1_Timer();
    QCOMPARE(f.voice->lastText(), QStringLiteral(" "));
}

QTEST_MAIN(TestTTSSetupEditor)
#include "test_ttssetup_editor.moc"
