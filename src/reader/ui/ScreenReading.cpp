#include "reader/ui/ScreenReading.h"

#include "common/ParagraphText.h"
#include "reader/ui/ScreenCapture.h"
#include "reader/ui/ScreenSelection.h"

#include <QApplication>
#include <QProgressDialog>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QtConcurrent/QtConcurrentRun>

namespace orasent {

namespace {
constexpr int kProgressAfterMs = 1000;
} // namespace

ScreenReading::ScreenReading(Hooks hooks, QObject* parent)
    : QObject(parent), m_hooks(std::move(hooks)) {
    connect(&m_watcher, &QFutureWatcher<PictureReading>::finished, this, [this] {
        if (m_state == State::Reading)
            deliver(m_watcher.result());
    });
}

ScreenReading::~ScreenReading() {
    if (m_cancel)
        *m_cancel = true;
    m_watcher.waitForFinished();
    if (m_selection)
        m_selection->close();
}

void ScreenReading::start() {
    if (m_state != State::Idle)
        return;
    m_state = State::Hiding;
    if (m_hooks.window)
        m_hooks.window->hide();
    QTimer::singleShot(kStepAsideMs, this, &ScreenReading::grabAndSelect);
}

void ScreenReading::grabAndSelect() {
    if (m_state != State::Hiding)
        return;
    m_state = State::Selecting;
    QScreen* screen = m_hooks.window ? m_hooks.window->screen() : nullptr;
    captureScreen(screen, this, [this](const QImage& picture, int dpi, QString error) {
        pictureTaken(picture, dpi, error);
    });
}

void ScreenReading::pictureTaken(const QImage& picture, int dotsPerInch, const QString& error) {
    if (m_state != State::Selecting)
        return;
    if (picture.isNull()) {
        backToReader();
        m_hooks.speak(error);
        return;
    }
    m_picture = picture;
    m_dotsPerInch = dotsPerInch;
    QScreen* screen = m_hooks.window ? m_hooks.window->screen() : QApplication::primaryScreen();
    m_selection = new ScreenSelection(picture);
    connect(m_selection, &ScreenSelection::selected, this,
            [this](const QRect& part) { read(m_picture.copy(part), m_dotsPerInch); });
    connect(m_selection, &ScreenSelection::cancelled, this, &ScreenReading::backToReader);
    m_selection->showOver(screen ? screen->geometry() : picture.rect());
}

void ScreenReading::read(const QImage& part, int dotsPerInch) {
    m_picture = QImage();
    backToReader();
    m_state = State::Reading;
    m_language = recognitionLanguageFor(m_hooks.voiceLanguage ? m_hooks.voiceLanguage() : "");
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    m_progress = new QProgressDialog(QStringLiteral("Reading the text from the screen..."),
                                     QStringLiteral("Cancel"), 0, 0, m_hooks.window);
    m_progress->setObjectName(QStringLiteral("ScreenReadingProgress"));
    m_progress->setWindowTitle(QStringLiteral("Read from Screen"));
    m_progress->setMinimumDuration(kProgressAfterMs);
    m_progress->setValue(0); // starts the wait before it shows
    connect(m_progress, &QProgressDialog::canceled, this, [this] {
        *m_cancel = true;
        deliver(PictureReading{PictureReading::Status::Cancelled, {}, {}});
    });
    const auto cancel = m_cancel;
    const RecognitionLanguage language = m_language;
    m_watcher.setFuture(QtConcurrent::run([part, dotsPerInch, language, cancel] {
        return recognizeImage(part, dotsPerInch, language, [cancel] { return cancel->load(); });
    }));
}

void ScreenReading::finishReading() {
    if (m_state != State::Reading)
        return;
    m_watcher.waitForFinished();
    if (m_state == State::Reading)
        deliver(m_watcher.result());
}

void ScreenReading::deliver(const PictureReading& reading) {
    m_state = State::Idle;
    QApplication::restoreOverrideCursor();
    if (m_progress) {
        m_progress->blockSignals(true);
        m_progress->deleteLater();
    }
    switch (reading.status) {
    case PictureReading::Status::Cancelled:
        return;
    case PictureReading::Status::Read: {
        QString text = bookTextFromParagraphs(reading.paragraphs);
        const QString notice = takeFallbackNoticeOnce(m_language);
        if (!notice.isEmpty())
            text = notice + QStringLiteral("\r\n") + text;
        m_hooks.show(text);
        m_hooks.speak(text);
        return;
    }
    default:
        m_hooks.speak(reading.error);
    }
}

void ScreenReading::backToReader() {
    if (m_state != State::Reading)
        m_state = State::Idle;
    if (m_hooks.window) {
        m_hooks.window->show();
        m_hooks.window->activateWindow();
    }
}

} // namespace orasent
