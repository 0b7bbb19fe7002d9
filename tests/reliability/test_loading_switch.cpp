// Both windows as the program wires them, on the scripted engine: continuous play runs while a
// long PDF is opened through File > Open File, and after the switch no sentence of the old text
// is shown or spoken; the new one is read from its first sentence while it still arrives.
#include "SpeakingFixture.h"

#include <QAction>
#include <QPainter>
#include <QPdfWriter>
#include <QtTest>

using namespace orasent;
using namespace orasent::test;

namespace {

constexpr int kPages = 120;

// Three sentences a page, each naming its page.
bool writeLongPdf(const QString& path) {
    QPdfWriter writer(path);
    writer.setResolution(72);
    QPainter painter(&writer);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    painter.setFont(font);
    for (int page = 1; page <= kPages; ++page) {
        if (page > 1)
            writer.newPage();
        for (int s = 0; s < 3; ++s)
            painter.drawText(QPointF(60, 300 + 40 * s), // clear of the header band
                             QStringLiteral("Page %1 line %2 is new.").arg(page).arg(s + 1));
    }
    return painter.end();
}

bool fromOldText(const QString& shown) {
    for (const QString& old : QString::fromLatin1(SpeakingRig::kText).split(QStringLiteral(". ")))
        if (!old.trimmed().isEmpty() && shown.contains(old.trimmed(), Qt::CaseInsensitive))
            return true;
    return false;
}

} // namespace

class TestLoadingSwitch : public QObject {
    Q_OBJECT
private slots:
    void continuousPlayAcrossOpen();
};

void TestLoadingSwitch::continuousPlayAcrossOpen() {
    SpeakingRig rig(false);
    rig.load();
    rig.tts->Timer1()->stop(); // the test takes the speak box itself
    QVERIFY(writeLongPdf(QDir::current().filePath(QStringLiteral("long.pdf"))));
    ReaderModel& model = rig.reader->model();
    auto* text1 = rig.reader->findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
    QStringList shown;
    connect(text1, &QPlainTextEdit::textChanged, [&] { shown << text1->toPlainText(); });

    // One continuous-play step of the speech window and the reader, as their timers would.
    const auto step = [&] {
        rig.tts->onSpeakingTick();
        while (!rig.tts->SpeakBtn()->isEnabled()) // the scripted engine plays it through
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        rig.reader->onPauseTick();
        QCoreApplication::processEvents(); // the pickup queued by the hand-over, as the loop runs
                                           // it
    };
    model.GetKey();
    step();
    step();
    QVERIFY(fromOldText(rig.sentence()));

    rig.prompts.fileAnswers << QDir::current().filePath(QStringLiteral("long.pdf"));
    rig.reader->findChild<QAction*>(QStringLiteral("Openf"))->trigger();
    const int switchedAt = int(shown.size());
    const int spokenAt = int(rig.fake->calls.size());
    int newSentences = 0;
    while (newSentences < 4) {
        const QString before = rig.sentence();
        step();
        if (rig.sentence() != before && rig.sentence().contains(QLatin1String("is new.")))
            ++newSentences;
        else if (model.state() == ReaderState::Loading)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents); // the next part
    }
    QCOMPARE(model.fileName(), QDir::current().filePath(QStringLiteral("long.pdf")));
    for (int i = switchedAt; i < shown.size(); ++i)
        QVERIFY2(!fromOldText(shown[i]), qPrintable(shown[i]));
    for (int i = spokenAt; i < rig.fake->calls.size(); ++i)
        QVERIFY2(!fromOldText(rig.fake->calls[i].text), qPrintable(rig.fake->calls[i].text));
    const QStringList sentences = shown.mid(switchedAt).filter(QStringLiteral("is new."));
    QVERIFY(!sentences.isEmpty());
    QCOMPARE(sentences.first(), QStringLiteral("Page 1 line 1 is new."));
    waitForLoad(*rig.reader);
    QCOMPARE(model.state(), ReaderState::Reading);
}

QTEST_MAIN(TestLoadingSwitch)
#include "test_loading_switch.moc"
