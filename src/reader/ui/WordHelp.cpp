#include "reader/ui/WordHelp.h"

#include "reader/ui/FollowAlong.h"
#include "reader/ui/SentenceBox.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

namespace orasent {

namespace {
SentenceBox* readOnlyField(const QString& name, QWidget* parent) {
    auto* field = new SentenceBox(parent);
    field->setObjectName(name);
    field->setReadOnly(true);
    field->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    field->setTabChangesFocus(true);
    return field;
}

QLabel* labelFor(const QString& caption, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    // A screen reader names the field by the label a person sees.
    buddy->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    return label;
}
} // namespace

WordHelp::WordHelp(WordHelpModel& model, QWidget* parent) : QDialog(parent), m_model(model) {
    setObjectName(QStringLiteral("WordHelp"));
    setWindowTitle(QStringLiteral("Word Help"));
    setAccessibleName(QStringLiteral("Word Help"));
    setModal(false);
    m_syllables = readOnlyField(QStringLiteral("Syllables"), this);
    m_syllables->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_syllables->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_meaning = readOnlyField(QStringLiteral("Meaning"), this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(labelFor(QStringLiteral("Syllables"), m_syllables, this));
    layout->addWidget(m_syllables);
    auto* sayRow = new QHBoxLayout;
    layout->addLayout(sayRow);
    layout->addWidget(labelFor(QStringLiteral("Meaning"), m_meaning, this));
    layout->addWidget(m_meaning, 1);
    auto* lastRow = new QHBoxLayout;
    layout->addLayout(lastRow);

    // Created in the order they stand, which is the Tab order.
    QPushButton* sayIt = addButton(QStringLiteral("Say &It"), "SayIt");
    QPushButton* slowly = addButton(QStringLiteral("Say It &Slowly"), "SayItSlowly");
    QPushButton* spell = addButton(QStringLiteral("Spell I&t"), "SpellIt");
    sayRow->addWidget(sayIt);
    sayRow->addWidget(slowly);
    sayRow->addWidget(spell);
    setTabOrder(m_syllables, sayIt);
    setTabOrder(sayIt, slowly);
    setTabOrder(slowly, spell);
    setTabOrder(spell, m_meaning);
    QPushButton* sayMeaning = addButton(QStringLiteral("Say &Meaning"), "SayMeaning");
    QPushButton* close = addButton(QStringLiteral("Close"), "Close");
    lastRow->addWidget(sayMeaning);
    lastRow->addStretch();
    lastRow->addWidget(close);
    setTabOrder(m_meaning, sayMeaning);
    setTabOrder(sayMeaning, close);

    connect(sayIt, &QPushButton::clicked, &m_model, &WordHelpModel::sayIt);
    connect(slowly, &QPushButton::clicked, &m_model, &WordHelpModel::sayItSlowly);
    connect(spell, &QPushButton::clicked, &m_model, &WordHelpModel::spellIt);
    connect(sayMeaning, &QPushButton::clicked, &m_model, &WordHelpModel::sayMeaning);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(&m_model, &WordHelpModel::wordChanged, this, [this] {
        m_syllables->showSentence(m_model.dotted());
        fitSyllablesField();
    });
    connect(&m_model, &WordHelpModel::meaningChanged, m_meaning, &SentenceBox::showSentence);
    connect(&m_model, &WordHelpModel::markChanged, this, &WordHelp::showMark);
}

QPushButton* WordHelp::addButton(const QString& caption, const char* name) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

void WordHelp::setLook(const ReadingLook& look, double pointSize, const QColor& band) {
    for (SentenceBox* field : {m_syllables, m_meaning}) {
        QFont font = field->font();
        font.setPointSizeF(pointSize);
        field->setFont(font);
        field->setLook(look);
    }
    m_band = band;
    fitSyllablesField();
}

// One line of the syllables, whatever the type size.
void WordHelp::fitSyllablesField() {
    const QFontMetrics metrics(m_syllables->font());
    const int frame =
        2 * (m_syllables->frameWidth() + int(m_syllables->document()->documentMargin()));
    m_syllables->setFixedHeight(int(metrics.lineSpacing() * m_syllables->lineSpacing()) + frame +
                                4);
    m_syllables->setMinimumWidth(
        qMin(metrics.horizontalAdvance(m_model.dotted()) + frame + 8, 1200));
}

// The part being heard gets the band, as the sentence box marks the word being heard.
void WordHelp::showMark(int start, int length) {
    if (length <= 0) {
        m_syllables->setExtraSelections({});
        return;
    }
    QTextEdit::ExtraSelection mark;
    mark.cursor = QTextCursor(m_syllables->document());
    mark.cursor.setPosition(start);
    mark.cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    mark.format.setBackground(m_band.isValid() ? m_band
                                               : defaultBandColour(m_syllables->palette()));
    m_syllables->setExtraSelections({mark});
}

// Closing (Close, Escape, the title bar) stops what it says.
void WordHelp::done(int result) {
    m_model.stop();
    QDialog::done(result);
}

} // namespace orasent
