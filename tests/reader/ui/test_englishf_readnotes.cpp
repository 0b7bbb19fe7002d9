// Tools > "Read Notes": starts as "ReadingOptions.ini" says, keeps the other options when it
// saves, and the documents opened after it changes are read with or without their notes.
#include "ReaderWindowFixture.h"

#include <QAction>
#include <QFile>
#include <QTest>

using namespace orasent;
using namespace orasent::test;

namespace {
const QByteArray kPage = "# Title\n\nText[^1] here.\n\n[^1]: The note.\n";

QByteArray optionsFile() {
    QFile file(QStringLiteral("ReadingOptions.ini"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class EnglishFReadNotesTest : public QObject {
    Q_OBJECT
private slots:
    void toggleAndReopen() {
        ReaderWindowFixture fixture;
        writeFile("ReadingOptions.ini", "DOCUMENTLANGUAGE=0\r\nREADNOTES=0\r\n");
        writeFile("page.md", kPage);
        fixture.open(false);
        QAction* readNotes = fixture.action("ReadNotes");
        QVERIFY(readNotes && readNotes->isCheckable());
        QCOMPARE(readNotes->text(), QStringLiteral("Read &Notes"));
        QVERIFY(!readNotes->isChecked());

        QVERIFY(fixture.model().openChosenFile(QStringLiteral("page.md")));
        QCOMPARE(fixture.model().bookText(), QStringLiteral("Title. \r\nText here. "));

        readNotes->trigger();
        QVERIFY(readNotes->isChecked());
        QCOMPARE(optionsFile(),
                 QByteArray("DOCUMENTLANGUAGE=0\r\nREADNOTES=1\r\nSCREENREADERSPEAKS=0\r\n"
                            "SHOWSYLLABLES=0\r\n"));
        QVERIFY(fixture.model().openChosenFile(QStringLiteral("page.md")));
        QCOMPARE(fixture.model().bookText(),
                 QStringLiteral("Title. \r\nText here. \r\nNotes. \r\nThe note. "));
        QVERIFY(fixture.prompts.messages.isEmpty());
    }
};

QTEST_MAIN(EnglishFReadNotesTest)
#include "test_englishf_readnotes.moc"
