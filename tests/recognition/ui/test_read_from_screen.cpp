// "Read from Screen" under a real X display (the private one of with-accessibility-bus.sh): a
// window with known text is grabbed, a rectangle dragged over it is read, shown and spoken, and
// the book's place stays. Without that display only the disabled menu item is checked.
#include "../../reader/ui/ReaderWindowFixture.h"
#include "RenderedPages.h"
#include "reader/ui/ScreenReading.h"
#include "reader/ui/ScreenSelection.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QtTest>

using namespace orasent;
using namespace orasent::test;

namespace {
const QString kShown = QStringLiteral("Reading from the screen works well.");

bool onX11() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}
} // namespace

class TestReadFromScreen : public QObject {
    Q_OBJECT
private slots:
    void menuItemSaysWhyWhenUnavailable() {
        ReaderWindowFixture fixture;
        fixture.open(false);
        QAction* item = fixture.action("ReadFromScreen");
        QVERIFY(item);
        QCOMPARE(item->text(), QStringLiteral("Read from Screen"));
        QCOMPARE(item->isEnabled(), onX11());
        if (!onX11())
            QVERIFY2(item->toolTip().contains(QGuiApplication::platformName()),
                     qPrintable(item->toolTip()));
    }

    void readsTheRectangleDraggedOverText() {
        if (!onX11())
            QSKIP("needs the X display of scripts/with-accessibility-bus.sh");
        QLabel shown(kShown);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(30);
        shown.setFont(font);
        shown.setStyleSheet(QStringLiteral("background: white; color: black; padding: 20px"));
        shown.move(40, 40);
        shown.show();
        QVERIFY(QTest::qWaitForWindowExposed(&shown));
        QCoreApplication::processEvents();

        ReaderWindowFixture fixture;
        fixture.open(false);
        fixture.model().setNextPos(7);
        fixture.model().setLastPos(3);
        fixture.action("ReadFromScreen")->trigger();
        ScreenReading* reading = fixture.reader->screenReading();
        reading->grabAndSelect();
        ScreenSelection* selection = reading->selection();
        QVERIFY(selection);
        QCOMPARE(QAccessible::queryAccessibleInterface(selection)->text(QAccessible::Name),
                 QStringLiteral("Read from Screen"));
        const QRect over(shown.mapToGlobal(QPoint(0, 0)), shown.size());
        const QPoint from = selection->mapFromGlobal(over.topLeft() - QPoint(5, 5));
        const QPoint to = selection->mapFromGlobal(over.bottomRight() + QPoint(5, 5));
        QTest::mousePress(selection, Qt::LeftButton, {}, from);
        QTest::mouseMove(selection, to);
        QTest::mouseRelease(selection, Qt::LeftButton, {}, to);
        reading->finishReading();

        QVERIFY2(wordAccuracy(kShown, fixture.tts.spoken()) >= 0.98,
                 qPrintable(fixture.tts.spoken()));
        QCOMPARE(fixture.text1()->toPlainText().trimmed(), fixture.tts.spoken().trimmed());
        QCOMPARE(fixture.model().nextPos(), 7.0);
        QCOMPARE(fixture.model().lastPos(), 3.0);
        QVERIFY(fixture.reader->isVisible());
    }

    void escapeCancels() {
        if (!onX11())
            QSKIP("needs the X display of scripts/with-accessibility-bus.sh");
        ReaderWindowFixture fixture;
        fixture.open(false);
        const QString spoken = fixture.tts.spoken();
        fixture.action("ReadFromScreen")->trigger();
        ScreenReading* reading = fixture.reader->screenReading();
        reading->grabAndSelect();
        QVERIFY(reading->selection());
        QTest::keyClick(reading->selection(), Qt::Key_Escape);
        QCOMPARE(reading->state(), ScreenReading::State::Idle);
        QCOMPARE(fixture.tts.spoken(), spoken);
        QVERIFY(fixture.reader->isVisible());
    }
};

// On the private X display when there is one, else on the offscreen platform.
int main(int argc, char** argv) {
    const QByteArray display = qgetenv("ORASENT_A11Y_DISPLAY");
    if (!display.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        qputenv("DISPLAY", display);
    }
    QApplication app(argc, argv);
    TestReadFromScreen test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_read_from_screen.moc"
