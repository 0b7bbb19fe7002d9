#include "export/ui/ExportDialog.h"

#include "common/ui/UserPrompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace orasent {

namespace {
constexpr AudioFileFormat kFormats[] = {AudioFileFormat::Wav,       AudioFileFormat::Flac,
                                        AudioFileFormat::OggVorbis, AudioFileFormat::Opus,
                                        AudioFileFormat::Mp3,       AudioFileFormat::Epub};
constexpr ExportQuality kQualities[] = {ExportQuality::Small, ExportQuality::Standard,
                                        ExportQuality::High};
constexpr CaptionFormat kCaptions[] = {CaptionFormat::None, CaptionFormat::Srt, CaptionFormat::Vtt,
                                       CaptionFormat::Lrc};

QLabel* buddyLabel(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}
} // namespace

ExportDialog::ExportDialog(UserPrompts& prompts, const QString& suggestedPath, QWidget* parent)
    : QDialog(parent), m_prompts(prompts) {
    setObjectName(QStringLiteral("ExportDialog"));
    setWindowTitle(QStringLiteral("Export to Audio"));

    auto* what = new QGroupBox(QStringLiteral("Export"), this);
    m_wholeText = new QRadioButton(QStringLiteral("The &whole text"), what);
    m_wholeText->setObjectName(QStringLiteral("WholeText"));
    m_fromCurrent = new QRadioButton(QStringLiteral("From the &current sentence"), what);
    m_fromCurrent->setObjectName(QStringLiteral("FromCurrent"));
    m_wholeText->setChecked(true);
    auto* whatLayout = new QVBoxLayout(what);
    whatLayout->addWidget(m_wholeText);
    whatLayout->addWidget(m_fromCurrent);

    m_path = new QLineEdit(suggestedPath, this);
    m_path->setObjectName(QStringLiteral("OutputPath"));
    auto* browseButton = new QPushButton(QStringLiteral("&Browse..."), this);
    browseButton->setObjectName(QStringLiteral("Browse"));
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(browseButton);

    m_format = new QComboBox(this);
    m_format->setObjectName(QStringLiteral("AudioFormat"));
    for (AudioFileFormat f : kFormats)
        m_format->addItem(audioFormatCaption(f), int(f));
    m_quality = new QComboBox(this);
    m_quality->setObjectName(QStringLiteral("Quality"));
    for (ExportQuality q : kQualities)
        m_quality->addItem(exportQualityCaption(q), int(q));
    m_quality->setCurrentIndex(int(ExportQuality::Standard));
    m_split = new QCheckBox(QStringLiteral("One file per c&hapter"), this);
    m_split->setObjectName(QStringLiteral("SplitChapters"));
    m_captions = new QComboBox(this);
    m_captions->setObjectName(QStringLiteral("Captions"));
    for (CaptionFormat c : kCaptions)
        m_captions->addItem(captionFormatCaption(c), int(c));

    auto* form = new QFormLayout;
    form->addRow(buddyLabel(QStringLiteral("&Save as:"), m_path, this), pathRow);
    form->addRow(buddyLabel(QStringLiteral("Audio &format:"), m_format, this), m_format);
    form->addRow(buddyLabel(QStringLiteral("&Quality:"), m_quality, this), m_quality);
    form->addRow(QString(), m_split);
    form->addRow(buddyLabel(QStringLiteral("Ca&ptions:"), m_captions, this), m_captions);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* exportButton =
        buttons->addButton(QStringLiteral("&Export"), QDialogButtonBox::AcceptRole);
    exportButton->setObjectName(QStringLiteral("ExportButton"));
    exportButton->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelButton"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(what);
    layout->addLayout(form);
    m_voiceNote = new QLabel(this);
    m_voiceNote->setObjectName(QStringLiteral("VoiceNote"));
    m_voiceNote->setWordWrap(true);
    m_voiceNote->hide();
    layout->addWidget(m_voiceNote);
    layout->addWidget(buttons);

    const auto fromPath = audioFormatFromPath(suggestedPath);
    m_format->setCurrentIndex(int(fromPath.value_or(AudioFileFormat::OggVorbis)));
    connect(browseButton, &QPushButton::clicked, this, &ExportDialog::browse);
    connect(m_format, &QComboBox::currentIndexChanged, this, &ExportDialog::formatChanged);
    connect(buttons, &QDialogButtonBox::accepted, this, &ExportDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ExportDialog::reject);
    const QList<QWidget*> order{m_wholeText, m_fromCurrent, m_path,     browseButton, m_format,
                                m_quality,   m_split,       m_captions, exportButton};
    for (int i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);
}

ExportChoice ExportDialog::choice() const {
    ExportChoice c;
    c.fromCurrentSentence = m_fromCurrent->isChecked();
    c.outputPath = m_path->text().trimmed();
    c.format = AudioFileFormat(m_format->currentData().toInt());
    c.quality = ExportQuality(m_quality->currentData().toInt());
    c.splitChapters = m_split->isChecked() && c.format != AudioFileFormat::Epub;
    c.captions = CaptionFormat(m_captions->currentData().toInt());
    return c;
}

void ExportDialog::setVoiceNote(const QString& note) {
    m_voiceNote->setText(note);
    m_voiceNote->setVisible(!note.isEmpty());
}

void ExportDialog::setChoice(const ExportChoice& c) {
    (c.fromCurrentSentence ? m_fromCurrent : m_wholeText)->setChecked(true);
    m_format->setCurrentIndex(int(c.format));
    m_quality->setCurrentIndex(int(c.quality));
    m_split->setChecked(c.splitChapters);
    m_captions->setCurrentIndex(int(c.captions));
    m_path->setText(c.outputPath);
}

QString ExportDialog::filterFor(AudioFileFormat format) const {
    const QString pattern = QStringLiteral("*.") + audioFormatExtension(format);
    return QStringLiteral("%1 (%2)|%2").arg(audioFormatCaption(format), pattern);
}

void ExportDialog::browse() {
    SaveFileRequest request;
    request.title = QStringLiteral("Export to Audio");
    request.path = m_path->text().trimmed();
    request.filter = filterFor(choice().format);
    if (const auto path = m_prompts.getSaveFileName(this, request)) {
        m_path->setText(*path);
        if (const auto format = audioFormatFromPath(*path))
            m_format->setCurrentIndex(int(*format));
    }
}

// The file name follows the chosen format.
void ExportDialog::formatChanged() {
    // A read-along book holds its chapters and its own timing.
    const bool epub = choice().format == AudioFileFormat::Epub;
    m_split->setEnabled(!epub);
    m_captions->setEnabled(!epub);
    const QString path = m_path->text().trimmed();
    if (path.isEmpty())
        return;
    const QString extension = audioFormatExtension(choice().format);
    const QFileInfo info(path);
    const QString stem = info.suffix().isEmpty() ? path : path.chopped(info.suffix().size() + 1);
    m_path->setText(stem + QLatin1Char('.') + extension);
}

void ExportDialog::accept() {
    if (choice().outputPath.isEmpty()) {
        m_prompts.showMessage(this, QStringLiteral("Choose where to save the audio file."),
                              windowTitle());
        m_path->setFocus();
        return;
    }
    QDialog::accept();
}

} // namespace orasent
