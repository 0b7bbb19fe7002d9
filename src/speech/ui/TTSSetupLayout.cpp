// The speech window's controls, menus and geometry. Positions are in twips (1/1440 inch) and
// become pixels through the screen's logical DPI.
#include "speech/ui/TTSSetup.h"

#include "common/Twips.h"
#include "common/ui/Accessibility.h"

#include <QAbstractSlider>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTimer>
#include <QtMath>
#include <iterator>
#include <limits>

namespace orasent {

namespace {

QScreen* screenOf(const QWidget* widget) {
    QScreen* screen = widget->screen();
    return screen ? screen : QGuiApplication::primaryScreen();
}

double dpiX(const QWidget* widget) {
    QScreen* screen = screenOf(widget);
    return screen && screen->logicalDotsPerInchX() > 0 ? screen->logicalDotsPerInchX() : 96.0;
}

double dpiY(const QWidget* widget) {
    QScreen* screen = screenOf(widget);
    return screen && screen->logicalDotsPerInchY() > 0 ? screen->logicalDotsPerInchY() : 96.0;
}

template <typename T> T* named(T* control, const char* name) {
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

} // namespace

int TTSSetup::twipsToPxX(double twips) const {
    return twipsToPixels(twips, dpiX(this));
}
int TTSSetup::twipsToPxY(double twips) const {
    return twipsToPixels(twips, dpiY(this));
}
double TTSSetup::pxToTwipsX(int px) const {
    return pixelsToTwips(px, dpiX(this));
}
double TTSSetup::pxToTwipsY(int px) const {
    return pixelsToTwips(px, dpiY(this));
}

void TTSSetup::setTwipsGeometry(QWidget* control, int left, int top, int width, int height) {
    control->setGeometry(twipsToPxX(left), twipsToPxY(top), twipsToPxX(width), twipsToPxY(height));
}

double TTSSetup::outerWidthTwips() const {
    return pxToTwipsX(frameGeometry().width());
}

// Open when the outer width has reached the wide width, compared in pixels so that rounding at
// any DPI keeps the two states apart.
bool TTSSetup::isEditorOpen() const {
    return frameGeometry().width() >= twipsToPxX(kWideWidthTwips);
}

void TTSSetup::setOuterWidthTwips(double twips) {
    const int frameExtra = frameGeometry().width() - width();
    resize(qMax(1, twipsToPxX(twips) - frameExtra), height());
}

void TTSSetup::setOuterHeightTwips(double twips) {
    const int frameExtra = frameGeometry().height() - height();
    resize(width(), qMax(1, twipsToPxY(twips) - frameExtra));
}

void TTSSetup::buildControls() {
    setWindowTitle(QStringLiteral("Text To Speech"));
    // The controls' twip sizes fit an 8.25 pt sans-serif; the Arial-metric face keeps the check
    // box captions inside their boxes.
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    setFont(font);
    m_central = new QWidget(this);
    m_central->setObjectName(QStringLiteral("TTSSetupClientArea"));
    setCentralWidget(m_central);
    QWidget* c = m_central;

    // The mouth picture stays empty: no event draws in it.
    m_visemePicture = named(new QFrame(c), "VisemePicture");
    m_visemePicture->setFrameShape(QFrame::Box);
    hideFromAssistiveTechnology(m_visemePicture, "Mouth picture");
    setTwipsGeometry(m_visemePicture, 120, 60, 1700, 2175);

    m_mainTxtBox = named(new QPlainTextEdit(c), "MainTxtBox");
    m_mainTxtBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_mainTxtBox->setAccessibleName(QStringLiteral("Text to speak"));
    m_mainTxtBox->setTabChangesFocus(true);
    setTwipsGeometry(m_mainTxtBox, 1920, 60, 4335, 2175);

    m_speakBtn = named(new QPushButton(QStringLiteral("Speak"), c), "SpeakBtn");
    setTwipsGeometry(m_speakBtn, 6480, 60, 1485, 350);
    m_stopBtn = named(new QPushButton(QStringLiteral("Stop"), c), "StopBtn");
    setTwipsGeometry(m_stopBtn, 6480, 500, 1485, 350);
    m_command2 = named(new QPushButton(QStringLiteral("Play Clipboard"), c), "Command2");
    setTwipsGeometry(m_command2, 6480, 960, 1455, 375);
    m_btnTest = named(new QPushButton(QStringLiteral("Test"), c), "BtnTest");
    setTwipsGeometry(m_btnTest, 6480, 1440, 1455, 375);
    m_chkClipboard = named(new QCheckBox(QStringLiteral("Monitor Clipboard"), c), "ChkClipboard");
    setTwipsGeometry(m_chkClipboard, 6360, 1920, 1695, 375);
    m_clearIt = named(new QCheckBox(QStringLiteral("Clear after speak"), c), "ClearIt");
    setTwipsGeometry(m_clearIt, 6360, 2280, 1575, 255);

    m_label2 = named(new QLabel(QStringLiteral("Voice"), c), "Label2");
    setTwipsGeometry(m_label2, 1680, 2520, 495, 255);
    m_voiceCB = named(new QComboBox(c), "VoiceCB");
    setTwipsGeometry(m_voiceCB, 240, 2760, 3300, 315);
    m_label5 = named(new QLabel(QStringLiteral("Format"), c), "Label5");
    setTwipsGeometry(m_label5, 5880, 2520, 615, 255);
    m_formatCB = named(new QComboBox(c), "FormatCB");
    setTwipsGeometry(m_formatCB, 4680, 2760, 3300, 315);
    m_label3 = named(new QLabel(QStringLiteral("Rate"), c), "Label3");
    setTwipsGeometry(m_label3, 1680, 3240, 735, 255);

    m_rateSldr = named(new QSlider(Qt::Horizontal, c), "RateSldr");
    m_rateSldr->setRange(-10, 10);
    m_rateSldr->setSingleStep(1);
    m_rateSldr->setPageStep(1);
    m_rateSldr->setToolTip(QStringLiteral("Changes voice playback rate"));
    setTwipsGeometry(m_rateSldr, 240, 3480, 3300, 315);

    m_label1 = named(new QLabel(QStringLiteral("Audio Output"), c), "Label1");
    setTwipsGeometry(m_label1, 5640, 3240, 1335, 255);
    m_audioOutputCB = named(new QComboBox(c), "AudioOutputCB");
    setTwipsGeometry(m_audioOutputCB, 4680, 3480, 3300, 315);
    m_label4 = named(new QLabel(QStringLiteral("Volume"), c), "Label4");
    setTwipsGeometry(m_label4, 1560, 3960, 735, 255);

    m_volumeSldr = named(new QSlider(Qt::Horizontal, c), "VolumeSldr");
    m_volumeSldr->setRange(0, 100);
    m_volumeSldr->setSingleStep(1);
    m_volumeSldr->setPageStep(5);
    m_volumeSldr->setToolTip(QStringLiteral("Changes voice playback volume"));
    setTwipsGeometry(m_volumeSldr, 240, 4200, 3300, 315);

    m_command1 = named(new QPushButton(QStringLiteral("CLOSE"), c), "Command1");
    setTwipsGeometry(m_command1, 5160, 3960, 2175, 735);

    m_spkbx = named(new QLineEdit(c), "SPKBX");
    m_spkbx->setMaxLength(std::numeric_limits<int>::max()); // a sentence is never cut
    setTwipsGeometry(m_spkbx, 8760, 4440, 1455, 285);
    // The reader's hand-over slot, not a control for people.
    hideFromAssistiveTechnology(m_spkbx, "Speak box");

    // The word list editor panel, right of the narrow width.
    m_label6 = named(new QLabel(QStringLiteral("Edit Word replacement List. I.E. RD = Road"), c),
                     "Label6");
    setTwipsGeometry(m_label6, 8640, 120, 3855, 255);
    m_talkBox = named(new QPlainTextEdit(c), "TalkBox");
    m_talkBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_talkBox->setAccessibleName(QStringLiteral("Word replacement list"));
    m_talkBox->setTabChangesFocus(true);
    setTwipsGeometry(m_talkBox, 8520, 360, 4215, 3975);
    m_command3 = named(new QPushButton(QStringLiteral("Test Last Word in List"), c), "Command3");
    setTwipsGeometry(m_command3, 12960, 960, 855, 975);
    m_command4 = named(new QPushButton(QStringLiteral("Sort List"), c), "Command4");
    setTwipsGeometry(m_command4, 12960, 2040, 855, 375);
    m_command5 = named(new QPushButton(QStringLiteral("No Save"), c), "Command5");
    setTwipsGeometry(m_command5, 12960, 2520, 855, 375);
    m_command6 = named(new QPushButton(QStringLiteral("Save"), c), "Command6");
    setTwipsGeometry(m_command6, 12960, 3000, 855, 375);

    labelControls();
    buildMenus();

    // The window's size at load: narrow (panel cut off), and its outer height.
    resize(twipsToPxX(kNarrowWidthTwips), twipsToPxY(kLoadHeightTwips));
}

// Each list and slider is named by the label beside it; Tab follows the screen, the always
// visible part first, then the word list panel.
void TTSSetup::labelControls() {
    m_label2->setBuddy(m_voiceCB);
    m_label5->setBuddy(m_formatCB);
    m_label3->setBuddy(m_rateSldr);
    m_label1->setBuddy(m_audioOutputCB);
    m_label4->setBuddy(m_volumeSldr);

    QWidget* const order[] = {m_mainTxtBox,    m_speakBtn,   m_stopBtn,  m_command2, m_btnTest,
                              m_chkClipboard,  m_clearIt,    m_voiceCB,  m_formatCB, m_rateSldr,
                              m_audioOutputCB, m_volumeSldr, m_command1, m_talkBox,  m_command3,
                              m_command4,      m_command5,   m_command6};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

// While the narrow width cuts the word list panel off, Tab does not go into it.
void TTSSetup::updatePanelFocus() {
    const Qt::FocusPolicy policy = isEditorOpen() ? Qt::StrongFocus : Qt::NoFocus;
    for (QWidget* control : {static_cast<QWidget*>(m_talkBox), static_cast<QWidget*>(m_command3),
                             static_cast<QWidget*>(m_command4), static_cast<QWidget*>(m_command5),
                             static_cast<QWidget*>(m_command6)})
        control->setFocusPolicy(policy);
}

void TTSSetup::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    updatePanelFocus();
}

void TTSSetup::buildMenus() {
    QMenuBar* bar = menuBar();
    m_menuFile = named(bar->addMenu(QStringLiteral("File")), "menuFile");
    m_menuFile->menuAction()->setObjectName(QStringLiteral("menuFileAction"));
    m_menuFileOpenText = m_menuFile->addAction(QStringLiteral("&Open Text File"));
    m_menuFileOpenText->setObjectName(QStringLiteral("menuFileOpenText"));
    addPronunciationMenu();
    m_menuFileExit = m_menuFile->addAction(QStringLiteral("&Close"));
    m_menuFileExit->setObjectName(QStringLiteral("menuFileExit"));
    m_menuHelp = bar->addAction(QStringLiteral("Help"));
    m_menuHelp->setObjectName(QStringLiteral("menuHelp"));
    m_st = bar->addAction(QStringLiteral("Edit List"));
    m_st->setObjectName(QStringLiteral("ST"));
}

void TTSSetup::connectControls() {
    // User choices only; choices made from code call the handlers themselves.
    connect(m_voiceCB, qOverload<int>(&QComboBox::activated), this, [this] {
        onVoiceChosen();
        rememberVoiceForItsLanguage();
    });
    connect(m_formatCB, qOverload<int>(&QComboBox::activated), this, [this] { onFormatChosen(); });
    connect(m_audioOutputCB, qOverload<int>(&QComboBox::activated), this,
            [this] { onAudioOutputChosen(); });
    // Values set from code are set with signals blocked, so these are the user's moves.
    connect(m_rateSldr, &QAbstractSlider::valueChanged, this, [this] { onRateMoved(); });
    connect(m_volumeSldr, &QAbstractSlider::valueChanged, this, [this] { onVolumeMoved(); });

    connect(m_command2, &QPushButton::clicked, this, [this] { onPlayClipboardPressed(); });
    connect(m_btnTest, &QPushButton::clicked, this, [this] { onTestPressed(); });
    connect(m_command1, &QPushButton::clicked, this, [this] { onClosePressed(); });
    connect(m_speakBtn, &QPushButton::clicked, this, [this] { onSpeakPressed(); });
    connect(m_stopBtn, &QPushButton::clicked, this, [this] { onStopPressed(); });
    connect(m_command3, &QPushButton::clicked, this, [this] { onTestLastWordPressed(); });
    connect(m_command4, &QPushButton::clicked, this, [this] { onSortListPressed(); });
    connect(m_command5, &QPushButton::clicked, this, [this] { onNoSavePressed(); });
    connect(m_command6, &QPushButton::clicked, this, [this] { onSaveListPressed(); });

    connect(m_menuFileOpenText, &QAction::triggered, this, [this] { onOpenTextChosen(); });
    connect(m_menuFileExit, &QAction::triggered, this, [this] { onExitChosen(); });
    connect(m_menuHelp, &QAction::triggered, this, [this] { onHelpChosen(); });
    connect(m_st, &QAction::triggered, this, [this] { onEditListPressed(); });
}

} // namespace orasent
