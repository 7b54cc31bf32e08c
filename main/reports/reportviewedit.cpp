#include "reportview.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTextLayout>

#include <algorithm>
#include <functional>

// The viewer as an editor: the keys, the mouse, the clipboard and undo.

namespace {

// What a plain text editor takes as typed text.
bool typedText(const QKeyEvent *event)
{
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    const QChar c = text.at(0);
    if (c.category() == QChar::Other_Format)
        return true;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::ControlModifier || modifiers == (Qt::ShiftModifier | Qt::ControlModifier))
        return false;
    return c.isPrint() || c.category() == QChar::Other_PrivateUse
        || (c.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate());
}

ReportLines::Position endOf(ReportLines::Position from, const QString &text)
{
    const qsizetype feeds = text.count(QLatin1Char('\n'));
    if (feeds == 0)
        return {from.line, from.column + text.size()};
    return {from.line + feeds, text.size() - text.lastIndexOf(QLatin1Char('\n')) - 1};
}

} // namespace

// ---- Editing ----------------------------------------------------------------

void ReportView::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    setAttribute(Qt::WA_InputMethodEnabled, !readOnly);
}

ReportView::Position ReportView::apply(Position from, Position to, const QString &text)
{
    const Position end = m_lines.replace(from, to, text);
    m_desiredX = -1;
    measure(from.line, end.line);
    updateScrollBars();
    setCursorPosition(end);
    return end;
}

void ReportView::replaceSelection(const QString &text)
{
    if (m_readOnly)
        return;
    const Position from = std::min(m_anchor, m_caret);
    const Position to = std::max(m_anchor, m_caret);
    if (from == to && text.isEmpty())
        return;
    Edit edit{from, m_lines.text(from, to), text};
    apply(from, to, text);
    m_undo.push_back(std::move(edit));
    m_redo.clear();
}

void ReportView::insertPlainText(const QString &text)
{
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    lines.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    replaceSelection(lines);
}

void ReportView::deleteOne(bool forward)
{
    if (m_anchor == m_caret)
        m_caret = stepped(m_caret, forward, QTextLayout::SkipCharacters);
    replaceSelection(QString());
}

void ReportView::undo()
{
    if (m_readOnly || m_undo.empty())
        return;
    Edit edit = std::move(m_undo.back());
    m_undo.pop_back();
    apply(edit.from, endOf(edit.from, edit.inserted), edit.removed);
    m_redo.push_back(std::move(edit));
}

void ReportView::redo()
{
    if (m_readOnly || m_redo.empty())
        return;
    Edit edit = std::move(m_redo.back());
    m_redo.pop_back();
    apply(edit.from, endOf(edit.from, edit.removed), edit.inserted);
    m_undo.push_back(std::move(edit));
}

void ReportView::copy() const
{
    if (m_anchor != m_caret)
        QGuiApplication::clipboard()->setText(selectedText());
}

void ReportView::cut()
{
    if (m_readOnly || m_anchor == m_caret)
        return;
    copy();
    replaceSelection(QString());
}

void ReportView::paste()
{
    insertPlainText(QGuiApplication::clipboard()->text());
}

void ReportView::selectAll()
{
    m_anchor = Position();
    m_caret = m_lines.end();
    viewport()->update();
}

// ---- Keys, mouse and menu ---------------------------------------------------

bool ReportView::moveKey(QKeyEvent *event)
{
    struct Move
    {
        QKeySequence::StandardKey move, select;
        QTextCursor::MoveOperation operation;
    };
    static const Move moves[] = {
        {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, QTextCursor::Right},
        {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, QTextCursor::Left},
        {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord, QTextCursor::WordRight},
        {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord, QTextCursor::WordLeft},
        {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, QTextCursor::Down},
        {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, QTextCursor::Up},
        {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, QTextCursor::StartOfLine},
        {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, QTextCursor::EndOfLine},
        {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument, QTextCursor::Start},
        {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, QTextCursor::End},
    };
    for (const Move &move : moves) {
        if (event->matches(move.move) || event->matches(move.select)) {
            moveCursor(move.operation, event->matches(move.select) ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
            return true;
        }
    }
    const bool down = event->matches(QKeySequence::MoveToNextPage) || event->matches(QKeySequence::SelectNextPage);
    const bool up =
        event->matches(QKeySequence::MoveToPreviousPage) || event->matches(QKeySequence::SelectPreviousPage);
    if (!down && !up)
        return false;
    const qsizetype page = down ? visibleLines() : -visibleLines();
    const bool select =
        event->matches(QKeySequence::SelectNextPage) || event->matches(QKeySequence::SelectPreviousPage);
    verticalScrollBar()->setValue(int(verticalScrollBar()->value() + page));
    setCursorPosition(vertical(page), select ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    return true;
}

bool ReportView::editKey(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy))
        copy();
    else if (event->matches(QKeySequence::SelectAll))
        selectAll();
    else if (m_readOnly)
        return false;
    else if (event->matches(QKeySequence::Cut))
        cut();
    else if (event->matches(QKeySequence::Paste))
        paste();
    else if (event->matches(QKeySequence::Undo))
        undo();
    else if (event->matches(QKeySequence::Redo))
        redo();
    else if (event->matches(QKeySequence::Delete))
        deleteOne(true);
    else if (event->key() == Qt::Key_Backspace && !(event->modifiers() & ~Qt::ShiftModifier))
        deleteOne(false);
    else
        return false;
    return true;
}

bool ReportView::typeKey(QKeyEvent *event)
{
    if (m_readOnly)
        return false;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !modifiers)
        insertPlainText(QStringLiteral("\n"));
    else if (event->key() == Qt::Key_Tab && !modifiers)
        insertPlainText(QStringLiteral("\t"));
    else if (typedText(event))
        insertPlainText(event->text());
    else
        return false;
    return true;
}

void ReportView::keyPressEvent(QKeyEvent *event)
{
    if (editKey(event) || moveKey(event) || typeKey(event))
        event->accept();
    else
        QAbstractScrollArea::keyPressEvent(event);
}

bool ReportView::focusNextPrevChild(bool next)
{
    return m_readOnly && QAbstractScrollArea::focusNextPrevChild(next);
}

void ReportView::inputMethodEvent(QInputMethodEvent *event)
{
    if (!event->commitString().isEmpty())
        insertPlainText(event->commitString());
    event->accept();
}

QVariant ReportView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (query == Qt::ImCursorRectangle)
        return cursorRect(m_caret);
    if (query == Qt::ImEnabled)
        return !m_readOnly;
    return QAbstractScrollArea::inputMethodQuery(query);
}

void ReportView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    m_desiredX = -1;
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    setCursorPosition(positionAt(event->position().toPoint()),
                      extend ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
}

void ReportView::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        setCursorPosition(positionAt(event->position().toPoint()), QTextCursor::KeepAnchor);
}

void ReportView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    const bool selected = m_anchor != m_caret;
    const auto add = [&](const QString &text, QKeySequence::StandardKey key, bool enabled,
                         const std::function<void()> &act) {
        QAction *action = menu.addAction(text);
        action->setShortcut(key);
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, act);
    };
    add(QStringLiteral("&Undo"), QKeySequence::Undo, !m_readOnly && !m_undo.empty(), [this] { undo(); });
    add(QStringLiteral("&Redo"), QKeySequence::Redo, !m_readOnly && !m_redo.empty(), [this] { redo(); });
    menu.addSeparator();
    add(QStringLiteral("Cu&t"), QKeySequence::Cut, !m_readOnly && selected, [this] { cut(); });
    add(QStringLiteral("&Copy"), QKeySequence::Copy, selected, [this] { copy(); });
    add(QStringLiteral("&Paste"), QKeySequence::Paste, !m_readOnly, [this] { paste(); });
    menu.addSeparator();
    add(QStringLiteral("Select All"), QKeySequence::SelectAll, true, [this] { selectAll(); });
    menu.exec(event->globalPos());
}

void ReportView::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void ReportView::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}
