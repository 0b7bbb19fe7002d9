// The reader window: its controls, start-up, layout, shut-down, and the model's view of it.
#include "reader/ui/EnglishF.h"

#include "common/ui/Accessibility.h"
#include "common/ui/UserPrompts.h"
#include "reader/StateFile.h"
#include "reader/ui/ReaderFonts.h"
#include "reader/ui/ReaderLayout.h"
#include "reader/ui/ReaderStatusLine.h"
#include "reader/ui/SecondsF.h"
#include "reader/ui/SentenceBox.h"
#include "reader/ui/SleepTimerMenu.h"
#include "speech/SpeakingCore.h"
#include "speech/SpeechWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace orasent {

namespace {
const char* const kButtonCaptions[12] = {nullptr,
                                         "&Bigger",
                                         "&Smaller",
                                         "&Talk",
                                         "St&op",
                                         "&Again",
                                         "&Quit",
                                         " S&et Bookmark",
                                         "&Next Bookmark",
                                         "&Prev Bookmark",
                                         "&Clear Bookmarks",
                                         "Set &25 Bookmarks"};

constexpr double kDesignedSentenceSize = 18; // points
constexpr double kPathBoxSize = 20.25;       // points
constexpr double kButtonSize = 24;           // points
constexpr double kStatusLineSize = 14;       // points
constexpr int kDesignedPauseMs = 2000;
// With no pause the timer only looks in now and then; the end of speech steps at once.
constexpr int kNoPausePollMs = 100;

const QString kStartText =
    QStringLiteral("Click the talk button to play each sentence. Or touch the "
                   "space bar to toggle continuous play on and off.\r\n");

// The sentence box shows a CR LF (or a lone CR) as one line break.
QString displayForm(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

QRect toPixels(const TwipRect& r, double dpi) {
    return QRect(twipsToPixels(r.left, dpi), twipsToPixels(r.top, dpi), twipsToPixels(r.width, dpi),
                 twipsToPixels(r.height, dpi));
}
} // namespace

EnglishF::EnglishF(SpeechWindow& tts, UserPrompts& prompts, QWidget* parent)
    : QMainWindow(parent), m_tts(tts), m_prompts(prompts), m_model(*this) {
    setObjectName(QStringLiteral("EnglishF"));
    setWindowTitle(QStringLiteral("Read Text"));
    createControls();
    createMenus();
    addExportCommand();
    addReadFromScreen();
    followSpeech();
    addLookTools();
    addReadNotes();
    m_sleepTimer = new SleepTimerMenu(m_model, m_tts, *m_statusLine, *m_toolsMenu, this);
    addLibraryTools();
    addScreenReaderTools();
    addStopLoading();
    addLanguageTool();
    addWordHelp();
}

EnglishF::~EnglishF() {
    stopLoadJobs(true);
}

void EnglishF::createControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("EnglishFClient"));
    setCentralWidget(client);
    installEventFilter(this);
    client->installEventFilter(this);
    setAcceptDrops(true); // a file dropped anywhere on the window opens like Open File

    m_text1 = new SentenceBox(client);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setAccessibleName(QStringLiteral("Sentence"));
    m_text1->setTabChangesFocus(true); // Tab leaves the box; Ctrl+Tab still types a tab
    m_text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text1->setFont(arialBlackFont(kDesignedSentenceSize));
    m_text1->installEventFilter(this);
    m_text1->setAcceptDrops(false);
    m_text1->viewport()->setAcceptDrops(false);
    setSentenceText(kStartText);

    m_text2 = new QLineEdit(client);
    m_text2->setObjectName(QStringLiteral("Text2"));
    m_text2->setAccessibleName(QStringLiteral("File path"));
    QFont pathFont = arialBlackFont(kPathBoxSize);
    m_text2->setFont(pathFont);
    m_text2->installEventFilter(this);
    m_text2->setAcceptDrops(false);
    m_statusLine = new ReaderStatusLine(client);
    m_statusLine->setFont(arialBlackFont(kStatusLineSize));
    createButtons(client);

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(kDesignedPauseMs);
    connect(m_timer1, &QTimer::timeout, this, &EnglishF::onPauseTick);
    connect(&m_tts.speakingCore(), &SpeakingCore::speakingStateApplied, this,
            &EnglishF::onSpeakingStateApplied);
}

void EnglishF::createButtons(QWidget* client) {
    for (int i = 1; i <= 11; ++i) {
        auto* button = new QPushButton(QString::fromLatin1(kButtonCaptions[i]), client);
        const QString name = QStringLiteral("Command%1").arg(i);
        button->setObjectName(name);
        // Named by its caption as it is seen, without the mnemonic or the leading blank.
        button->setAccessibleName(
            QString::fromLatin1(kButtonCaptions[i]).remove(QLatin1Char('&')).trimmed());
        button->setFont(msSansSerifFont(kButtonSize, true));
        button->installEventFilter(this);
        m_command[i] = button;
    }
    // Tab follows the screen: the sentence box, the buttons row by row, the path box below.
    QWidget* previous = m_text1;
    for (int i = 1; i <= 11; ++i) {
        setTabOrder(previous, m_command[i]);
        previous = m_command[i];
    }
    setTabOrder(previous, m_text2);
    setTabOrder(m_text2, m_statusLine);

    // Talk acts on the mouse press (see eventFilter); it has no click action.
    connect(m_command[1], &QPushButton::clicked, this, &EnglishF::onBiggerClicked);
    connect(m_command[2], &QPushButton::clicked, this, &EnglishF::onSmallerClicked);
    connect(m_command[4], &QPushButton::clicked, this, [this] { m_model.stop(); });
    connect(m_command[5], &QPushButton::clicked, this, [this] { m_model.again(); });
    connect(m_command[6], &QPushButton::clicked, this, &EnglishF::onQuitClicked);
    connect(m_command[7], &QPushButton::clicked, this, [this] { m_model.setBookmark(); });
    connect(m_command[8], &QPushButton::clicked, this, [this] { m_model.nextBookmark(); });
    connect(m_command[9], &QPushButton::clicked, this, [this] { m_model.prevBookmark(); });
    connect(m_command[10], &QPushButton::clicked, this, [this] { m_model.clearBookmarks(); });
    connect(m_command[11], &QPushButton::clicked, this, [this] { m_model.SpreadBookmarks(); });
}

void EnglishF::setLifecycle(WindowLifecycle lifecycle) {
    if (lifecycle == m_lifecycle)
        return;
    m_lifecycle = lifecycle;
    emit lifecycleChanged(lifecycle);
}

void EnglishF::loadWindow() {
    if (m_lifecycle != WindowLifecycle::Created)
        return;
    restoreState();
    m_model.applyFirstRunDefaults();
    const QString startupRefusal =
        m_startupFile.isEmpty() ? QString() : m_model.openStartupFile(m_startupFile);

    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    const QRect screenRect = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    const ReaderLayout layout = computeReaderLayout(pixelsToTwips(screenRect.width(), dpi),
                                                    pixelsToTwips(screenRect.height(), dpi));
    applyLayout(layout, dpi);
    move(screenRect.topLeft());

    m_tts.setReaderSentenceBox(m_text1);
    m_tts.loadWindow();
    loadLibrary();
    m_model.alignPlaceAfterNextLoad();
    m_model.OpenfF();
    if (!startupRefusal.isEmpty())
        m_model.sayBeforeReading(startupRefusal);
    // The sentence box reaches up to the button column.
    m_text1->resize(twipsToPixels(layout.text1.width, dpi), m_text1->height());

    setLifecycle(WindowLifecycle::Loaded);
    m_timer1->start();
}

void EnglishF::restoreState() {
    const SavedReadingState state = readStateFile(stateFileName());
    applyState(state, m_model);
    if (state.fontSize && isUsableTypeSize(*state.fontSize)) {
        QFont font = m_text1->font();
        font.setPointSizeF(*state.fontSize);
        m_text1->setFont(font);
    }
    if (state.fileName)
        m_text2->setText(*state.fileName);
    // A saved 0 is what a pause never set looks like: the designed interval stays (an interval
    // of 0 ms would never tick).
    if (state.timerLineRead && m_model.seconds() > 0)
        setPauseInterval(m_model.seconds());
}

void EnglishF::applyLayout(const ReaderLayout& layout, double dpi) {
    resize(twipsToPixels(layout.window.width, dpi), twipsToPixels(layout.window.height, dpi));
    for (int i = 1; i <= 11; ++i)
        m_command[i]->setGeometry(toPixels(layout.command[i], dpi));
    m_text1->setGeometry(toPixels(layout.text1, dpi));
    m_text2->setGeometry(toPixels(layout.text2, dpi));
    const QRect path = m_text2->geometry();
    m_statusLine->setGeometry(path.left(), path.bottom() + 1, path.width(),
                              m_statusLine->sizeHint().height());
}

void EnglishF::setPauseInterval(int seconds) {
    m_noPause = seconds <= 0;
    m_timer1->setInterval(m_noPause ? kNoPausePollMs : seconds * 1000);
    if (m_lifecycle == WindowLifecycle::Loaded)
        m_timer1->start();
}

void EnglishF::onSpeakingStateApplied(bool speaking) {
    // With no pause the next sentence follows as soon as the voice has finished.
    if (!speaking && m_noPause && m_model.playMode() == ReaderModel::PlayMode::Continuous)
        QMetaObject::invokeMethod(this, &EnglishF::onPauseTick, Qt::QueuedConnection);
}

void EnglishF::closeEvent(QCloseEvent* event) {
    unloadWindow();
    event->accept();
    // The reader is the program's main window: with it gone the program ends.
    QCoreApplication::quit();
}

void EnglishF::unloadWindow() {
    if (m_lifecycle == WindowLifecycle::Unloading || m_lifecycle == WindowLifecycle::Unloaded)
        return;
    setLifecycle(WindowLifecycle::Unloading);
    m_timer1->stop();
    stopLoadJobs(false); // quits at once: the place read before the load is saved below
    m_model.leaveDocument(true);
    QString error;
    if (!writeStateFile(stateFileName(), m_model, m_text1->font().pointSizeF(), &error)) {
        showMessage(QStringLiteral("The reading state could not be saved to \"%1\". %2")
                        .arg(stateFileName(), error));
    }
    m_tts.unloadWindow();
    if (m_secondsDialog)
        m_secondsDialog->close();
    setLifecycle(WindowLifecycle::Unloaded);
}

// ReaderPort

void EnglishF::StopVoice() {
    m_tts.StopVoice();
}

void EnglishF::handOver(const QString& text) {
    if (handsOverToScreenReader()) {
        m_notice->announce(text);
        return;
    }
    if (m_sentencePaint == SentencePaint::Held)
        m_sentencePaint = SentencePaint::HeldForPickup;
    m_tts.handOver(text);
}

void EnglishF::handOverInLanguage(const QString& text, const QString& language, int document) {
    m_shownLanguage = language;
    if (handsOverToScreenReader()) {
        m_notice->announce(text);
        return;
    }
    if (m_sentencePaint == SentencePaint::Held)
        m_sentencePaint = SentencePaint::HeldForPickup;
    m_tts.handOverInLanguage(text, language, document);
}

void EnglishF::prepareHandOver(const QString& text) {
    if (!handsOverToScreenReader())
        m_tts.prepareHandOver(text);
}

bool EnglishF::speechIdle() const {
    return m_tts.isIdle();
}

QString EnglishF::sentenceText() const {
    const QString shown = m_text1->toPlainText();
    if (shown == displayForm(m_shownSentence))
        return m_shownSentence;
    // Edited by the user: line breaks read back as CR LF.
    QString edited = shown;
    edited.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return edited;
}

void EnglishF::setSentenceText(const QString& text) {
    m_shownSentence = text;
    holdSentencePaint();
    clearBand();
    m_showingSentence = true;
    static_cast<SentenceBox*>(m_text1)->showSentence(displayForm(text));
    m_showingSentence = false;
}

void EnglishF::focusSentenceBox() {
    m_text1->setFocus(Qt::OtherFocusReason);
}

void EnglishF::showPathBox(const QString& path) {
    m_text2->setText(path);
}

void EnglishF::showMessage(const QString& text) {
    m_prompts.showMessage(this, text, programTitle());
}

} // namespace orasent
