// Picking a word in the sentence box, by the mouse or by the word mark, for Word Help.
#include "reader/ui/FollowAlong.h"
#include "reader/ui/SentenceBox.h"
#include "words/WordSpans.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTextCursor>

namespace orasent {

void SentenceBox::mousePressEvent(QMouseEvent* event) {
    m_pressedAt = event->button() == Qt::LeftButton ? event->position().toPoint() : QPoint(-1, -1);
    QPlainTextEdit::mousePressEvent(event);
}

// A click that selected nothing picks the word under it; a drag still selects.
void SentenceBox::mouseReleaseEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseReleaseEvent(event);
    const QPoint at = event->position().toPoint();
    const bool click = event->button() == Qt::LeftButton && m_pressedAt != QPoint(-1, -1) &&
                       (at - m_pressedAt).manhattanLength() < QApplication::startDragDistance();
    m_pressedAt = QPoint(-1, -1);
    if (!click || textCursor().hasSelection())
        return;
    if (const auto span = wordUnder(at))
        emit wordPicked(writtenWord(toPlainText(), *span), span->first);
}

// The word whose letters are under the point: the nearest caret position is not enough, since
// a click past a line's end or between words would find a word too.
std::optional<std::pair<int, int>> SentenceBox::wordUnder(const QPoint& point) const {
    const QString text = toPlainText();
    const int caret = cursorForPosition(point).position();
    for (int position : {caret, caret - 1}) {
        const auto span = wordAt(text, position);
        if (!span)
            continue;
        QTextCursor from(document()), to(document());
        from.setPosition(span->first);
        to.setPosition(span->first + span->second);
        const QRect start = cursorRect(from), end = cursorRect(to);
        if (start.top() != end.top())
            continue; // a word broken over two lines is picked by the keyboard only
        if (point.x() >= start.left() && point.x() <= end.left() && point.y() >= start.top() &&
            point.y() <= start.bottom())
            return span;
    }
    return std::nullopt;
}

bool SentenceBox::takesForWordMark(const QKeyEvent& event) const {
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    const int key = event.key();
    if (modifiers == Qt::ControlModifier && (key == Qt::Key_Right || key == Qt::Key_Left))
        return true;
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    return m_wordMark && ((enter && modifiers == Qt::NoModifier) || key == Qt::Key_Escape);
}

void SentenceBox::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool ctrlOnly = modifiers == Qt::ControlModifier;
    if (ctrlOnly && (event->key() == Qt::Key_Right || event->key() == Qt::Key_Left)) {
        moveWordMark(event->key() == Qt::Key_Right);
        event->accept();
        return;
    }
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && modifiers == Qt::NoModifier && m_wordMark) {
        emit wordPicked(writtenWord(toPlainText(), *m_wordMark), m_wordMark->first);
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape && m_wordMark) {
        clearWordMark();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

// From the mark, or from the caret when there is none (the word at or after it going right,
// the word before it going left); at either end the mark stays.
void SentenceBox::moveWordMark(bool forward) {
    const QString text = toPlainText();
    const int caret = textCursor().position();
    const int from = m_wordMark ? m_wordMark->first : (forward ? caret - 1 : caret);
    const std::optional<std::pair<int, int>> next = nextWord(text, from, forward);
    if (!next)
        return;
    m_wordMark = next;
    showWordMark();
    emit wordMarked(writtenWord(text, *next));
}

void SentenceBox::showWordMark() {
    if (!m_wordMark) {
        setExtraSelections({});
        return;
    }
    QTextEdit::ExtraSelection mark;
    mark.cursor = QTextCursor(document());
    mark.cursor.setPosition(m_wordMark->first);
    mark.cursor.setPosition(m_wordMark->first + m_wordMark->second, QTextCursor::KeepAnchor);
    mark.format.setBackground(m_markColour.isValid() ? m_markColour : defaultBandColour(palette()));
    setExtraSelections({mark});
}

void SentenceBox::clearWordMark() {
    if (!m_wordMark)
        return;
    m_wordMark.reset();
    showWordMark();
}

} // namespace orasent
