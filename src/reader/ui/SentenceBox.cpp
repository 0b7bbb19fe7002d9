#include "reader/ui/SentenceBox.h"

#include "common/ui/Accessibility.h"
#include "reader/ui/ReaderFonts.h"

#include <QAccessible>
#include <QEvent>
#include <QFontMetricsF>
#include <QPlainTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <cmath>

namespace orasent {

// A plain text layout keeps lines at their natural height and ignores a block format's line
// height, so the spacing is added here: each line gets `factor` times its height, the extra
// split above and below it.
class SpacedTextLayout : public QPlainTextDocumentLayout {
public:
    using QPlainTextDocumentLayout::QPlainTextDocumentLayout;

    double factor() const { return m_factor; }
    void setFactor(double factor) {
        if (factor == m_factor)
            return;
        m_factor = factor;
        documentChanged(0, 0, document()->characterCount()); // every block again
    }

    QRectF blockBoundingRect(const QTextBlock& block) const override {
        const QRectF natural = QPlainTextDocumentLayout::blockBoundingRect(block);
        QTextLayout* layout = block.layout();
        if (m_factor == 1 || !layout || !block.isVisible() || layout->lineCount() == 0)
            return natural;
        // Worked out from the heights alone, so doing it again changes nothing.
        qreal y = 0;
        for (int i = 0; i < layout->lineCount(); ++i) {
            QTextLine line = layout->lineAt(i);
            const qreal height = line.height();
            line.setPosition(QPointF(line.position().x(), y + (m_factor - 1) * height / 2));
            y += height * m_factor;
        }
        if (!block.next().isValid())
            y += document()->documentMargin();
        return QRectF(natural.topLeft(), QSizeF(natural.width(), y));
    }

private:
    double m_factor = 1;
};

SentenceBox::SentenceBox(QWidget* parent) : QPlainTextEdit(parent) {
    m_systemPalette = palette();
    auto* document = new QTextDocument(this);
    m_layout = new SpacedTextLayout(document);
    document->setDocumentLayout(m_layout);
    document->setDefaultFont(font());
    setDocument(document); // the box's first document goes
}

void SentenceBox::setLook(const ReadingLook& look) {
    m_look = clamped(look);
    applyFont(font().pointSizeF());
    applyColours();
    m_layout->setFactor(m_look.lineSpacing);
    updateSideMargins();
    applyDots(true); // the gaps follow the typeface
}

void SentenceBox::showSentence(const QString& text) {
    clearWordMark();
    const bool told = assistiveTechnologyListens();
    const QString before = told ? cappedForAssistiveTechnology(toPlainText()) : QString();
    m_dots = m_dotting ? m_dotting(text).dotsBefore : QList<int>();
    applyDots(); // before the text: it is laid out once, with its gaps
    setPlainText(text);
    if (!told)
        return;
    QAccessibleTextUpdateEvent changed(this, 0, before, cappedForAssistiveTechnology(text));
    tellAssistiveTechnology(changed);
}

double SentenceBox::lineSpacing() const {
    return m_layout->factor();
}

QColor SentenceBox::textColour() const {
    return palette().color(QPalette::Active, QPalette::Text);
}

QColor SentenceBox::backgroundColour() const {
    return palette().color(QPalette::Active, QPalette::Base);
}

void SentenceBox::applyFont(double pointSize) {
    QFont font = readingFont(m_look.typeface, pointSize, m_look.bold);
    if (m_look.letterSpacing > 0) {
        const QFontMetricsF metrics(font, this);
        font.setLetterSpacing(QFont::AbsoluteSpacing,
                              metrics.averageCharWidth() * m_look.letterSpacing / 100);
    }
    if (m_look.wordSpacing > 0) {
        const double emPixels = pointSize * logicalDpiY() / 72.0;
        font.setWordSpacing(emPixels * m_look.wordSpacing / 100);
    }
    m_applying = true;
    setFont(font);
    m_applying = false;
    m_appliedSize = pointSize;
}

void SentenceBox::applyColours() {
    QPalette colours = m_systemPalette;
    if (m_look.text.isValid())
        colours.setColor(QPalette::Text, m_look.text);
    if (m_look.background.isValid()) {
        colours.setColor(QPalette::Base, m_look.background);
        colours.setColor(QPalette::Window, m_look.background); // the blank sides
    }
    setPalette(colours);
    setAutoFillBackground(m_look.background.isValid());
}

void SentenceBox::updateSideMargins() {
    int side = 0;
    if (m_look.lineWidth > 0) {
        const QFontMetricsF metrics(font(), this);
        const double perCharacter =
            metrics.averageCharWidth() + font().letterSpacing() * (m_look.letterSpacing > 0);
        const double column =
            m_look.lineWidth * perCharacter + 2 * document()->documentMargin() + 1;
        const int available = viewport()->width() + 2 * m_sideMargin;
        side = std::max(0, int(std::floor((available - column) / 2)));
    }
    if (side == m_sideMargin)
        return;
    m_sideMargin = side;
    setViewportMargins(side, 0, side, 0);
}

void SentenceBox::changeEvent(QEvent* event) {
    QPlainTextEdit::changeEvent(event);
    if (event->type() != QEvent::FontChange || m_applying)
        return;
    // A new size from Bigger, Smaller or the state file: the spacing in pixels follows it.
    if (font().pointSizeF() != m_appliedSize)
        applyFont(font().pointSizeF());
    updateSideMargins();
    applyDots(true); // the gaps follow the type size
}

void SentenceBox::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    updateSideMargins();
}

} // namespace orasent
