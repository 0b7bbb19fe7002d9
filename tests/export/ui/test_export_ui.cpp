// The export's windows: the Tools menu item, the dialog's names, keys and file choice, and a
// run that reports where its file is, or leaves nothing after Cancel.
#include "../../reader/ui/ReaderWindowFixture.h"
#include "FakePrompts.h"
#include "common/ui/Accessibility.h"
#include "export/ui/ExportDialog.h"
#include "export/ui/ExportRun.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace orasent;
using namespace orasent::test;

Q_DECLARE_METATYPE(orasent::ExportResult)

class TestExportUi : public QObject {
    Q_OBJECT
private slots:
    void toolsMenuOffersExport();
    void accessibleNames_data();
    void accessibleNames();
    void fileNameFollowsFormat();
    void browseUsesTheSaveDialog();
    void finishedRunSaysWhereTheFileIs();
    void cancelledRunLeavesNothing();
};

void TestExportUi::toolsMenuOffersExport() {
    ReaderWindowFixture fixture;
    EnglishF& reader = fixture.open(false);
    auto* tools = reader.findChild<QMenu*>(QStringLiteral("ToolsMenu"));
    QVERIFY(tools);
    QAction* item = tools->findChild<QAction*>(QStringLiteral("ExportToAudio"));
    QVERIFY(item && tools->actions().contains(item));
    QCOMPARE(item->text(), QStringLiteral("&Export to Audio..."));
}

void TestExportUi::accessibleNames_data() {
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QString>("name");
    QTest::newRow("whole text") << "WholeText"
                                << "The whole text";
    QTest::newRow("from current") << "FromCurrent"
                                  << "From the current sentence";
    QTest::newRow("path") << "OutputPath"
                          << "Save as:";
    QTest::newRow("browse") << "Browse"
                            << "Browse...";
    QTest::newRow("format") << "AudioFormat"
                            << "Audio format:";
    QTest::newRow("quality") << "Quality"
                             << "Quality:";
    QTest::newRow("one file per chapter") << "SplitChapters"
                                          << "One file per chapter";
    QTest::newRow("captions") << "Captions"
                              << "Captions:";
    QTest::newRow("export") << "ExportButton"
                            << "Export";
}

void TestExportUi::accessibleNames() {
    QFETCH(QString, objectName);
    QFETCH(QString, name);
    installAccessibleInterfaces();
    FakePrompts prompts;
    ExportDialog dialog(prompts, QStringLiteral("book.ogg"));
    auto* control = dialog.findChild<QWidget*>(objectName);
    QVERIFY(control);
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
    QVERIFY(face);
    QCOMPARE(face->text(QAccessible::Name), name);
}

void TestExportUi::fileNameFollowsFormat() {
    FakePrompts prompts;
    ExportDialog dialog(prompts, QStringLiteral("/tmp/book.ogg"));
    QCOMPARE(dialog.choice().format, AudioFileFormat::OggVorbis);
    dialog.findChild<QComboBox*>(QStringLiteral("AudioFormat"))
        ->setCurrentIndex(int(AudioFileFormat::Mp3));
    QCOMPARE(dialog.choice().outputPath, QStringLiteral("/tmp/book.mp3"));
    // A read-along book holds its own chapters and timing.
    auto* split = dialog.findChild<QCheckBox*>(QStringLiteral("SplitChapters"));
    split->setChecked(true);
    QVERIFY(dialog.choice().splitChapters);
    dialog.findChild<QComboBox*>(QStringLiteral("AudioFormat"))
        ->setCurrentIndex(int(AudioFileFormat::Epub));
    QCOMPARE(dialog.choice().outputPath, QStringLiteral("/tmp/book.epub"));
    QVERIFY(!split->isEnabled());
    QVERIFY(!dialog.choice().splitChapters);
}

void TestExportUi::browseUsesTheSaveDialog() {
    FakePrompts prompts;
    prompts.saveAnswers << QStringLiteral("/tmp/other.flac");
    ExportDialog dialog(prompts, QStringLiteral("/tmp/book.ogg"));
    dialog.browse();
    QCOMPARE(prompts.saveRequests.size(), 1);
    QCOMPARE(prompts.saveRequests.first().path, QStringLiteral("/tmp/book.ogg"));
    QCOMPARE(dialog.choice().outputPath, QStringLiteral("/tmp/other.flac"));
    QCOMPARE(dialog.choice().format, AudioFileFormat::Flac);
}

void TestExportUi::finishedRunSaysWhereTheFileIs() {
    QTemporaryDir dir;
    FakePrompts prompts;
    QWidget window;
    ExportRequest request;
    request.text = QStringLiteral("A short text. To hear later.");
    request.outputPath = dir.filePath(QStringLiteral("later.wav"));
    request.captions = CaptionFormat::Vtt;
    auto* run = new ExportRun(request, prompts, &window);
    QSignalSpy finished(run, &ExportRun::finished);
    QVERIFY(finished.wait(60000));
    QVERIFY(!run->isRunning());
    QCOMPARE(prompts.messages.size(), 1);
    QVERIFY(prompts.messages.first().text.contains(request.outputPath));
    QVERIFY(prompts.messages.first().text.contains(dir.filePath(QStringLiteral("later.vtt"))));
}

void TestExportUi::cancelledRunLeavesNothing() {
    QTemporaryDir dir;
    FakePrompts prompts;
    QWidget window;
    ExportRequest request;
    request.text = QString(QStringLiteral("A sentence to cancel. ")).repeated(200);
    request.outputPath = dir.filePath(QStringLiteral("never.ogg"));
    auto* run = new ExportRun(request, prompts, &window);
    QSignalSpy finished(run, &ExportRun::finished);
    auto* cancel = run->progressDialog()->findChild<QPushButton*>();
    QVERIFY(cancel);
    cancel->click();
    QVERIFY(finished.wait(60000));
    QVERIFY2(prompts.messages.isEmpty(), qPrintable(prompts.messages.value(0).text));
    QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

QTEST_MAIN(TestExportUi)
#include "test_export_ui.moc"
