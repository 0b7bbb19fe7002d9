// A PDF locked with a password opens through the reader window's "Password" dialog: a wrong
// password says so and asks again, Cancel keeps the current reading.
#include "ReaderWindowFixture.h"
#include "common/ui/PasswordDialog.h"

#include <QDialogButtonBox>
#include <QtTest>

using namespace orasent;
using namespace orasent::test;

namespace {
// One page, AES-256, user password "secret".
QByteArray lockedPdf() {
    QFile file(qEnvironmentVariable("ORASENT_TEST_DATA") + "/documents/locked.pdf");
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class PdfPasswordTest : public QObject {
    Q_OBJECT
private slots:
    void opensAfterAWrongPassword_data() {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("bookText");
        QTest::addColumn<int>("asked");
        QTest::newRow("wrong, then right")
            << QStringList{"Secret", "secret"} << "The secret plan is ready. " << 2;
        QTest::newRow("Cancel keeps the reading")
            << QStringList{} << "One. Two. Three. Four. " << 1;
    }
    void opensAfterAWrongPassword() {
        QFETCH(QStringList, answers);
        QFETCH(QString, bookText);
        QFETCH(int, asked);
        ReaderWindowFixture f;
        f.open();
        f.model().setNextPos(6);
        writeFile("locked.pdf", lockedPdf());
        f.prompts.passwordAnswers = answers;
        f.model().openChosenFile("locked.pdf");
        QCOMPARE(f.model().bookText(), bookText);
        QCOMPARE(f.prompts.passwordRequests.size(), asked);
        QVERIFY(f.prompts.passwordRequests.first().contains("locked with a password"));
        if (asked > 1)
            QVERIFY(f.prompts.passwordRequests.last().contains("wrong"));
        if (answers.isEmpty()) {
            QCOMPARE(f.model().fileName(), QString("Tech Pool.txt"));
            QCOMPARE(f.model().nextPos(), 6.0);
        }
    }

    void dialogNamesItsField() {
        PasswordDialog dialog(nullptr, QStringLiteral("Type it."));
        QCOMPARE(dialog.windowTitle(), QString("Password"));
        auto* field = dialog.findChild<QLineEdit*>("Password");
        QVERIFY(field);
        QCOMPARE(field->accessibleName(), QString("Password"));
        QCOMPARE(field->echoMode(), QLineEdit::Password);
        auto* buttons = dialog.findChild<QDialogButtonBox*>();
        QCOMPARE(buttons->standardButtons(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        QTest::keyClicks(field, "pass word");
        QCOMPARE(dialog.takePassword(), QString("pass word"));
        QVERIFY(field->text().isEmpty());
    }
};

QTEST_MAIN(PdfPasswordTest)
#include "test_pdf_password.moc"
