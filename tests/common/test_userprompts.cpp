// The real message box: it must not hold the caller in a loop of its own, nor outlive a quit.
#include "common/ui/UserPrompts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTest>

using namespace orasent;

namespace {
QList<QMessageBox*> openBoxes() {
    QList<QMessageBox*> boxes;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
            boxes << box;
    return boxes;
}
} // namespace

class TestUserPrompts : public QObject {
    Q_OBJECT
private slots:
    void messageReturnsAtOnceAndClosesForQuit() {
        UserPrompts prompts;
        prompts.showMessage(nullptr, QStringLiteral("first"), programTitle());
        prompts.showMessage(nullptr, QStringLiteral("second"), programTitle());
        const QList<QMessageBox*> boxes = openBoxes();
        QCOMPARE(boxes.size(), 2);
        QVERIFY(!prompts.isShowing()); // nothing from outside waits for a box without a loop
        const QPointer<QMessageBox> first = boxes.constFirst();
        prompts.closeForQuit();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(openBoxes().isEmpty());
        QVERIFY(first.isNull());
        prompts.showMessage(nullptr, QStringLiteral("after quit"), programTitle());
        QVERIFY(openBoxes().isEmpty());
    }
};

QTEST_MAIN(TestUserPrompts)
#include "test_userprompts.moc"
