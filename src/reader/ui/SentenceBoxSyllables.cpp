// "Show Syllables" in the sentence box: the letter before each syllable break gets extra
// spacing from a highlighter (formats of the layout, not of the text), and a middle dot is
// painted in that gap. The text stays as written for everything that reads it.
#include "reader/ui/SentenceBox.h"
#include "words/Syllables.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QSyntaxHighlighter>
#include <QTextBlock>

namespace orasent {

class SyllableGaps : public QSyntaxHighlighter {
public:
    using QSyntaxHighlighter::QSyntaxHighlighter;

    // Widens the letter before each of `dots` (positions in the document) by `width` pixels.
    void setGaps(const QList<int>& dots, double letterSpacing, double width) {
        m_dots = dots;
        m_format = QTextCharFormat();
        m_format.setFontLetterSpacingType(QFont::AbsoluteSpacing);
        m_format.setFontLetterSpacing(letterSpacing + width);
    }

protected:
    void highlightBlock(const QString& text) override {
        const int start = currentBlock().position();
        for (int dot : std::as_const(m_dots)) {
            const int letter = dot - 1 - start;
            if (letter >= 0 && letter < text.size())
                setFormat(letter, 1, m_format);
        }
    }

private:
    QList<int> m_dots;
    QTextCharFormat m_format;
};

void SentenceBox::setDotting(Dotting dotting) {
    m_dotting = std::move(dotting);
    m_dots = m_dotting ? m_dotting(toPlainText()).dotsBefore : QList<int>();
    clearWordMark();
    applyDots(true);
    viewport()->update();
}

// A dot and a little air around it.
double SentenceBox::dotWidth() const {
    return 1.4 * QFontMetricsF(font(), this).horizontalAdvance(Syllables::kDot);
}

void SentenceBox::applyDots(bool layOutAgain) {
    if (!m_gaps) {
        if (m_dots.isEmpty())
            return;
        m_gaps = new SyllableGaps(document());
    }
    m_gaps->setGaps(m_dots, font().letterSpacing(), dotWidth());
    if (layOutAgain)
        m_gaps->rehighlight();
}

QString SentenceBox::shownText() const {
    QString shown = toPlainText();
    for (int k = int(m_dots.size()) - 1; k >= 0; --k)
        if (m_dots.at(k) > 0 && m_dots.at(k) < shown.size())
            shown.insert(m_dots.at(k), Syllables::kDot);
    return shown;
}

void SentenceBox::paintEvent(QPaintEvent* event) {
    QPlainTextEdit::paintEvent(event);
    if (m_dots.isEmpty())
        return;
    QPainter painter(viewport());
    painter.setFont(font());
    painter.setPen(textColour());
    const double width = dotWidth();
    const int size = int(toPlainText().size());
    for (int dot : std::as_const(m_dots)) {
        if (dot <= 0 || dot >= size)
            continue;
        QTextCursor cursor(document());
        cursor.setPosition(dot);
        const QRect at = cursorRect(cursor);
        // The gap is the widened advance of the letter before the caret position.
        const QRectF gap(at.left() - width, at.top(), width, at.height());
        painter.drawText(gap, Qt::AlignCenter, QString(Syllables::kDot));
    }
}

} // namespace orasent
