// The reader's dialogs and the Stop Reading After menu in the reading type's size (or the size
// chosen in the look), measured on their controls after they open.
#include "ReaderWindowFixture.h"
#include "common/ui/PasswordDialog.h"
#include "export/ui/ExportDialog.h"
#include "reader/ReadingLook.h"
#include "reader/ui/ContentsDialog.h"
#include "reader/ui/EnglishF.h"
#include "reader/ui/RecentDocumentsDialog.h"

#include <QMenu>
#include <QtTest>

using namespace orasent;
using namespace orasent::test;

namespace {
// The dialog (or menu) `which` of the reader, opened as a person opens it.
QWidget* openWindow(ReaderWindowFixture& f, const QString& which) {
    EnglishF& reader = *f.reader;
    if (which == "Contents") {
        QTest::keyClick(f.text1(), Qt::Key_G, Qt::ControlModifier);
        return reader.findChild<ContentsDialog*>();
    }
    if (which == "Recent Documents") {
        QTest::keyClick(f.text1(), Qt::Key_R, Qt::ControlModifier);
        return reader.findChild<RecentDocumentsDialog*>();
    }
    if (which == "Stop Reading After") {
        auto* menu = reader.findChild<QMenu*>("StopReadingAfter");
        menu->popup(reader.geometry().center());
        return menu;
    }
    // These two are modal; shown here as the prompts and the Tools item show them.
    QDialog* dialog = which == "Password"
                          ? static_cast<QDialog*>(new PasswordDialog(&reader, "Locked."))
                          : new ExportDialog(f.prompts, "book.wav", &reader);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    return dialog;
}
} // namespace

class TestDialogType : public QObject {
    Q_OBJECT
private slots:
    void followsReadingType_data() {
        QTest::addColumn<QString>("which");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<double>("expected");
        for (const char* which :
             {"Contents", "Recent Documents", "Stop Reading After", "Password", "Export"})
            QTest::newRow(which) << QString(which) << 0 << 40.0;
        QTest::newRow("Contents, size chosen in the look") << QString("Contents") << 22 << 22.0;
        QTest::newRow("Stop Reading After, size chosen")
            << QString("Stop Reading After") << 22 << 22.0;
    }
    void followsReadingType() {
        QFETCH(QString, which);
        QFETCH(int, chosen);
        QFETCH(double, expected);
        ReaderWindowFixture f;
        f.open();
        QFont large = f.text1()->font();
        large.setPointSizeF(40);
        f.text1()->setFont(large);
        ReadingLook look;
        look.dialogTypeSize = chosen;
        f.reader->applyReadingLook(look);
        QWidget* window = openWindow(f, which);
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->font().pointSizeF(), expected);
        const auto controls = window->findChildren<QWidget*>();
        QVERIFY(!controls.isEmpty() || qobject_cast<QMenu*>(window));
        for (QWidget* control : controls)
            QCOMPARE(control->font().pointSizeF(), expected);
        window->close();
    }
};

QTEST_MAIN(TestDialogType)
#include "test_dialog_type.moc"
