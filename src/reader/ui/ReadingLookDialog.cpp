#include "reader/ui/ReadingLookDialog.h"

#include "common/ui/UserPrompts.h"
#include "reader/ui/FollowAlong.h"
#include "reader/ui/SentenceBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTextCursor>
#include <QVBoxLayout>

#include <algorithm>

namespace orasent {

namespace {
constexpr double kMinimumContrast = 4.5;
constexpr double kLargestSampleSize = 28;              // points: the dialog stays on the screen
constexpr int kFullWidth = kMinLineWidth - 1;          // the line width box's "Full box" step
constexpr int kAsReadingType = kMinDialogTypeSize - 1; // the dialog type box's first step

const char* const kHighlightCaptions[] = {"Off", "The word being heard", "The sentence being heard",
                                          "Word and sentence"};

template <class T> T* named(T* control, const char* name) {
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

// A label whose buddy is `control`, so both are named by its text.
QLabel* labelFor(const QString& caption, QWidget* control, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setBuddy(control);
    return label;
}
} // namespace

ReadingLookDialog::ReadingLookDialog(const ReadingLook& initial, const QString& sample,
                                     double sampleSize, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), m_prompts(prompts), m_initial(clamped(initial)), m_look(m_initial) {
    setObjectName(QStringLiteral("ReadingLookDialog"));
    setWindowTitle(QStringLiteral("Reading Look"));
    setModal(false);
    auto* form = new QFormLayout;
    buildTypeControls(form);
    buildColourControls(form);

    m_sample = named(new SentenceBox(this), "SampleBox");
    m_sample->setReadOnly(true);
    m_sample->setTabChangesFocus(true);
    m_sample->setPlainText(sample.simplified());
    QFont sampleFont = m_sample->font();
    sampleFont.setPointSizeF(std::min(sampleSize, kLargestSampleSize));
    m_sample->setFont(sampleFont);
    m_sample->setMinimumSize(560, 150);
    form->addRow(labelFor(QStringLiteral("Sa&mple"), m_sample, this), m_sample);

    auto* buttons = named(
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this), "Buttons");
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OkBtn"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelBtn"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(buttons);
    showLook();
}

QStringList ReadingLookDialog::recommendedFaces() {
    return {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
            QStringLiteral("OpenDyslexic")};
}

void ReadingLookDialog::buildTypeControls(QFormLayout* form) {
    m_typeface = named(new QComboBox(this), "TypefaceCB");
    fillTypefaces();
    form->addRow(labelFor(QStringLiteral("&Typeface"), m_typeface, this), m_typeface);
    m_bold = named(new QCheckBox(QStringLiteral("&Bold"), this), "BoldChk");
    form->addRow(QString(), m_bold);

    m_letterSpacing = named(new QSpinBox(this), "LetterSpacingSpin");
    m_letterSpacing->setRange(0, kMaxLetterSpacing);
    m_letterSpacing->setSuffix(QStringLiteral(" % of a letter's width"));
    form->addRow(labelFor(QStringLiteral("&Letter spacing"), m_letterSpacing, this),
                 m_letterSpacing);
    m_wordSpacing = named(new QSpinBox(this), "WordSpacingSpin");
    m_wordSpacing->setRange(0, kMaxWordSpacing);
    m_wordSpacing->setSuffix(QStringLiteral(" % of the type size"));
    form->addRow(labelFor(QStringLiteral("&Word spacing"), m_wordSpacing, this), m_wordSpacing);
    m_lineSpacing = named(new QDoubleSpinBox(this), "LineSpacingSpin");
    m_lineSpacing->setRange(kMinLineSpacing, kMaxLineSpacing);
    m_lineSpacing->setSingleStep(0.1);
    m_lineSpacing->setDecimals(2);
    m_lineSpacing->setSuffix(QStringLiteral(" lines"));
    form->addRow(labelFor(QStringLiteral("Line &spacing"), m_lineSpacing, this), m_lineSpacing);
    m_lineWidth = named(new QSpinBox(this), "LineWidthSpin");
    m_lineWidth->setRange(kFullWidth, kMaxLineWidth);
    m_lineWidth->setSpecialValueText(QStringLiteral("Full box"));
    m_lineWidth->setSuffix(QStringLiteral(" characters"));
    form->addRow(labelFor(QStringLiteral("Line wi&dth"), m_lineWidth, this), m_lineWidth);
    m_dialogType = named(new QSpinBox(this), "DialogTypeSizeSpin");
    m_dialogType->setRange(kAsReadingType, kMaxDialogTypeSize);
    m_dialogType->setSpecialValueText(QStringLiteral("As the reading type"));
    m_dialogType->setSuffix(QStringLiteral(" points"));
    form->addRow(labelFor(QStringLiteral("Dialo&g type size"), m_dialogType, this), m_dialogType);

    connect(m_typeface, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &ReadingLookDialog::changed);
    connect(m_bold, &QCheckBox::toggled, this, &ReadingLookDialog::changed);
    for (QSpinBox* box : {m_letterSpacing, m_wordSpacing, m_lineWidth, m_dialogType})
        connect(box, qOverload<int>(&QSpinBox::valueChanged), this, &ReadingLookDialog::changed);
    connect(m_lineSpacing, qOverload<double>(&QDoubleSpinBox::valueChanged), this,
            &ReadingLookDialog::changed);
}

void ReadingLookDialog::buildColourControls(QFormLayout* form) {
    m_preset = named(new QComboBox(this), "PresetCB");
    for (const LookPreset& preset : lookPresets())
        m_preset->addItem(preset.name);
    form->addRow(labelFor(QStringLiteral("Colo&urs"), m_preset, this), m_preset);
    m_textColour = named(new QPushButton(QStringLiteral("Te&xt colour…"), this), "TextColourBtn");
    m_backgroundColour =
        named(new QPushButton(QStringLiteral("Bac&kground colour…"), this), "BackgroundColourBtn");
    auto* colourRow = new QHBoxLayout;
    colourRow->addWidget(m_textColour);
    colourRow->addWidget(m_backgroundColour);
    form->addRow(QString(), colourRow);
    m_contrast = named(new QLabel(this), "ContrastLbl");
    m_contrast->setWordWrap(true);
    form->addRow(QString(), m_contrast);

    m_highlight = named(new QComboBox(this), "HighlightCB");
    for (const char* caption : kHighlightCaptions)
        m_highlight->addItem(QString::fromLatin1(caption));
    form->addRow(labelFor(QStringLiteral("&Highlight"), m_highlight, this), m_highlight);
    m_bandColour = named(new QPushButton(QStringLiteral("Band colou&r…"), this), "BandColourBtn");
    form->addRow(QString(), m_bandColour);

    connect(m_preset, qOverload<int>(&QComboBox::activated), this,
            &ReadingLookDialog::choosePreset);
    connect(m_highlight, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &ReadingLookDialog::changed);
    connect(m_textColour, &QPushButton::clicked, this, [this] {
        chooseColour(&ReadingLook::text, QStringLiteral("Text colour"), m_sample->textColour());
    });
    connect(m_backgroundColour, &QPushButton::clicked, this, [this] {
        chooseColour(&ReadingLook::background, QStringLiteral("Background colour"),
                     m_sample->backgroundColour());
    });
    connect(m_bandColour, &QPushButton::clicked, this, [this] {
        chooseColour(&ReadingLook::wordBand, QStringLiteral("Band colour"),
                     m_look.wordBand.isValid() ? m_look.wordBand
                                               : defaultBandColour(m_sample->palette()));
    });
}

// "As designed" first, then the recommended faces that are installed, then every installed face.
void ReadingLookDialog::fillTypefaces() {
    const QStringList installed = QFontDatabase::families();
    m_typeface->addItem(QStringLiteral("As designed (Arial Black)"), QString());
    for (const QString& face : recommendedFaces())
        if (installed.contains(face))
            m_typeface->addItem(face, face);
    m_typeface->insertSeparator(m_typeface->count());
    for (const QString& face : installed)
        m_typeface->addItem(face, face);
    // A saved face that is no longer installed stays choosable; the box falls back meanwhile.
    if (!m_initial.typeface.isEmpty() && m_typeface->findData(m_initial.typeface) < 0)
        m_typeface->insertItem(1, m_initial.typeface + QStringLiteral(" (not installed)"),
                               m_initial.typeface);
}

// The controls show m_look without announcing anything.
void ReadingLookDialog::showLook() {
    m_showing = true;
    m_typeface->setCurrentIndex(std::max(0, m_typeface->findData(m_look.typeface)));
    m_bold->setChecked(m_look.bold);
    m_letterSpacing->setValue(m_look.letterSpacing);
    m_wordSpacing->setValue(m_look.wordSpacing);
    m_lineSpacing->setValue(m_look.lineSpacing);
    m_lineWidth->setValue(m_look.lineWidth == 0 ? kFullWidth : m_look.lineWidth);
    m_dialogType->setValue(m_look.dialogTypeSize == 0 ? kAsReadingType : m_look.dialogTypeSize);
    const int preset = matchingPreset(m_look);
    if (preset < 0 && m_preset->count() == lookPresets().size())
        m_preset->addItem(QStringLiteral("Own colours"));
    m_preset->setCurrentIndex(preset < 0 ? int(lookPresets().size()) : preset);
    m_highlight->setCurrentIndex(int(m_look.highlight));
    m_bandColour->setEnabled(m_look.highlight != HighlightMode::Off);
    m_showing = false;

    m_sample->setLook(m_look);
    QTextEdit::ExtraSelection band;
    band.cursor = QTextCursor(m_sample->document());
    band.cursor.movePosition(QTextCursor::EndOfWord, QTextCursor::KeepAnchor);
    const QColor word =
        m_look.wordBand.isValid() ? m_look.wordBand : defaultBandColour(m_sample->palette());
    band.format.setBackground(word);
    QTextEdit::ExtraSelection sentence;
    sentence.cursor = QTextCursor(m_sample->document());
    sentence.cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    sentence.format.setBackground(m_look.sentenceBand.isValid()
                                      ? m_look.sentenceBand
                                      : lighterBand(word, m_sample->backgroundColour()));
    const bool showWord =
        m_look.highlight == HighlightMode::Word || m_look.highlight == HighlightMode::Both;
    const bool showSentence =
        m_look.highlight == HighlightMode::Sentence || m_look.highlight == HighlightMode::Both;
    QList<QTextEdit::ExtraSelection> bands;
    if (showSentence)
        bands << sentence;
    if (showWord)
        bands << band;
    m_sample->setExtraSelections(bands);
    showContrast();
}

void ReadingLookDialog::changed() {
    if (m_showing)
        return;
    m_look.typeface = m_typeface->currentData().toString();
    m_look.bold = m_bold->isChecked();
    m_look.letterSpacing = m_letterSpacing->value();
    m_look.wordSpacing = m_wordSpacing->value();
    m_look.lineSpacing = m_lineSpacing->value();
    m_look.lineWidth = m_lineWidth->value() == kFullWidth ? 0 : m_lineWidth->value();
    m_look.dialogTypeSize = m_dialogType->value() == kAsReadingType ? 0 : m_dialogType->value();
    m_look.highlight = HighlightMode(std::clamp(m_highlight->currentIndex(), 0, 3));
    m_look = clamped(m_look);
    showLook();
    emit lookChanged(m_look);
}

void ReadingLookDialog::choosePreset(int index) {
    if (index < 0 || index >= lookPresets().size())
        return; // "Own colours" stays as it is
    applyPreset(m_look, lookPresets()[index]);
    showLook();
    emit lookChanged(m_look);
}

void ReadingLookDialog::chooseColour(QColor ReadingLook::*which, const QString& title,
                                     QColor shown) {
    const std::optional<QColor> chosen = m_prompts.getColor(this, shown, title);
    if (!chosen || !chosen->isValid())
        return;
    m_look.*which = QColor(chosen->rgb());
    showLook();
    emit lookChanged(m_look);
}

// A warning, never a refusal: some readers need a low contrast.
void ReadingLookDialog::showContrast() {
    const double ratio = contrastRatio(m_sample->textColour(), m_sample->backgroundColour());
    const QString figure = QString::number(ratio, 'f', 1);
    if (ratio < kMinimumContrast)
        m_contrast->setText(
            QStringLiteral("Low contrast, %1:1. Text is easier to read at 4.5:1 or more.")
                .arg(figure));
    else
        m_contrast->setText(QStringLiteral("Contrast %1:1.").arg(figure));
}

void ReadingLookDialog::done(int result) {
    if (result != QDialog::Accepted && m_look != m_initial) {
        m_look = m_initial;
        emit lookChanged(m_initial); // put back what was there
    }
    QDialog::done(result);
}

} // namespace orasent
