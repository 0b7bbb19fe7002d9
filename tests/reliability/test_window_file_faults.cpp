// Saving through the windows onto a full or read-only disk: the reader's Quit ("Orasent.txt",
// then "VIC.INI" as the speech window unloads) and the word list editor's Save ("Speech.lst").
// Every file keeps its old bytes, no temporary is left, and the user gets one message per file.
#include "SpeakingFixture.h"
#include "TmpfsMount.h"
#include "common/ui/UserPrompts.h"

#include <QAction>
#include <QtTest>

using namespace orasent;
using namespace orasent::test;

namespace {
QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
} // namespace

class TestWindowFileFaults : public QObject {
    Q_OBJECT
private slots:
    void saveFails_data();
    void saveFails();
};

void TestWindowFileFaults::saveFails_data() {
    QTest::addColumn<bool>("quit"); // else the list editor's Save
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QStringList>("files");
    const QStringList atQuit{QStringLiteral("Library.ini"), QStringLiteral("Orasent.txt"),
                             QStringLiteral("VIC.INI")};
    QTest::newRow("Quit, full disk") << true << false << atQuit;
    QTest::newRow("Quit, read-only") << true << true << atQuit;
    QTest::newRow("list Save, full disk")
        << false << false << QStringList{QStringLiteral("Speech.lst")};
    QTest::newRow("list Save, read-only")
        << false << true << QStringList{QStringLiteral("Speech.lst")};
}

void TestWindowFileFaults::saveFails() {
    QFETCH(bool, quit);
    QFETCH(bool, readOnly);
    QFETCH(QStringList, files);
    TmpfsMount disk(64);
    if (!disk.isMounted())
        QSKIP("cannot mount a tmpfs here (needs root)");
    SpeakingRig rig(false);
    QVERIFY(QDir::setCurrent(disk.path()));
    const QMap<QString, QByteArray> old{
        {QStringLiteral("Tech Pool.txt"), SpeakingRig::kText},
        {QStringLiteral("Orasent.txt"), "Tech Pool.txt\r\n 5\r\n 1\r\n"},
        {QStringLiteral("VIC.INI"), "VOICECB= 1\r\nRATESLDR= 2\r\n"},
        {QStringLiteral("Speech.lst"), "rd=road\r\n"}};
    for (auto it = old.begin(); it != old.end(); ++it) {
        QFile file(disk.filePath(it.key()));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(it.value()), qint64(it.value().size()));
    }
    rig.load();
    if (!quit) {
        rig.tts->findChild<QAction*>(QStringLiteral("ST"))->trigger();
        auto* talkBox = rig.tts->findChild<QPlainTextEdit*>(QStringLiteral("TalkBox"));
        talkBox->setPlainText(talkBox->toPlainText() + QStringLiteral("st=street\n") +
                              QString(20000, QLatin1Char('x')));
    }
    if (readOnly)
        QVERIFY(disk.remountReadOnly());
    else
        disk.fill();
    const QStringList before = QDir(disk.path()).entryList(QDir::Files | QDir::Hidden);

    if (quit)
        rig.readerButton(6)->click();
    else
        rig.tts->findChild<QPushButton*>(QStringLiteral("Command6"))->click();

    for (auto it = old.begin(); it != old.end(); ++it)
        QCOMPARE(bytesOf(disk.filePath(it.key())), it.value());
    QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), before);
    QCOMPARE(rig.prompts.messages.size(), files.size());
    for (int i = 0; i < files.size(); ++i) {
        QVERIFY2(rig.prompts.messages[i].text.contains(files[i]),
                 qPrintable(rig.prompts.messages[i].text));
        QCOMPARE(rig.prompts.messages[i].title, programTitle());
    }
}

QTEST_MAIN(TestWindowFileFaults)
#include "test_window_file_faults.moc"
