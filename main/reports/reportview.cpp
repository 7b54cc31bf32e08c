#include "reportview.h"

#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

// Room around the text, as a plain text editor leaves.
constexpr int Margin = 4;
// A line's kind is found from the nearest record line before it; a note
// holds at most some 200 line breaks.
constexpr qsizetype FarthestBack = 1024;

// A line break inside a line (a note typed with Shift+Enter) is shown as a
// mark: each line of the report keeps to one line on screen.
QString onOneLine(QString text)
{
    for (QChar &c : text) {
        if (c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QChar(0x21B5);
    }
    return text;
}

} // namespace

ReportView::ReportView(QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_columns(font())
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    setAccessibleName(QStringLiteral("Report"));
    restart();
}

// ---- The text ---------------------------------------------------------------

bool ReportView::showFile(const QString &path, QString *error)
{
    ReportColumns columns(font());
    LineKind kind = LineKind::Plain;
    const auto measure = [&](qsizetype, QStringView line) {
        kind = ReportText::lineKind(line, kind);
        columns.measure(line, kind);
    };
    if (!m_lines.openFile(path, measure, error))
        return false;
    m_columns = std::move(columns);
    restart();
    return true;
}

void ReportView::setPlainText(const QString &text)
{
    m_lines.setText(text);
    measureAll();
    restart();
}

QString ReportView::toPlainText() const
{
    const QString text = m_lines.text();
    reportReadError();
    return text;
}

void ReportView::restart()
{
    m_caret = m_anchor = Position();
    m_desiredX = -1;
    m_undo.clear();
    m_redo.clear();
    m_widest = 0;
    m_reportedError.clear();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
}

void ReportView::measureAll()
{
    m_columns = ReportColumns(font());
    measure(0, m_lines.count() - 1);
}

void ReportView::measure(qsizetype first, qsizetype last)
{
    LineKind kind = kindBefore(first);
    m_lines.read(first, last - first + 1, [&](qsizetype, QStringView line) {
        kind = ReportText::lineKind(line, kind);
        m_columns.measure(line, kind);
    });
    reportReadError();
}

std::vector<ReportView::Shown> ReportView::shownLines(qsizetype first, qsizetype n) const
{
    std::vector<Shown> shown;
    LineKind kind = kindBefore(first);
    m_lines.read(first, n, [&](qsizetype, QStringView line) {
        kind = ReportText::lineKind(line, kind);
        shown.push_back(Shown{line.toString(), kind});
    });
    reportReadError();
    return shown;
}

ReportView::LineKind ReportView::kindBefore(qsizetype index) const
{
    // Heading and record lines tell their kind by themselves; the lines
    // after a record line follow from it.
    const auto telling = [](QStringView line) {
        return ReportText::lineKind(line, LineKind::Plain) != LineKind::Plain;
    };
    for (qsizetype back = 16;; back *= 4) {
        const qsizetype from = std::max<qsizetype>(0, index - back);
        qsizetype start = -1;
        m_lines.read(from, index - from, [&](qsizetype i, QStringView line) {
            if (telling(line))
                start = i;
        });
        if (start < 0 && from > 0 && back < FarthestBack)
            continue;
        LineKind kind = LineKind::Plain;
        m_lines.read(start < 0 ? from : start, index - (start < 0 ? from : start),
                     [&](qsizetype, QStringView line) { kind = ReportText::lineKind(line, kind); });
        return kind;
    }
}

void ReportView::reportReadError() const
{
    const QString error = m_lines.readError();
    if (error.isEmpty() || error == m_reportedError)
        return;
    m_reportedError = error;
    // Told after the paint or the read that found it.
    auto *self = const_cast<ReportView *>(this);
    QTimer::singleShot(0, self, [self, error] { emit self->readFailed(error); });
}

// ---- Laying out and painting ------------------------------------------------

int ReportView::lineHeight() const
{
    return std::max(1, int(std::ceil(QFontMetricsF(font()).height())));
}

qsizetype ReportView::visibleLines() const
{
    return std::max<qsizetype>(1, (viewport()->height() - 2 * Margin) / lineHeight());
}

void ReportView::layOut(QTextLayout &layout, const Shown &line) const
{
    const qreal indent = m_columns.indent(line.kind);
    layout.setText(onOneLine(line.text));
    layout.setFont(font());
    layout.setTextOption(m_columns.option(line.text, line.kind, indent));
    layout.beginLayout();
    QTextLine text = layout.createLine();
    text.setLineWidth(1e6);
    text.setPosition(QPointF(indent, 0));
    layout.endLayout();
    m_widest = std::max(m_widest, indent + text.naturalTextWidth());
}

QPointF ReportView::origin(qsizetype index) const
{
    return QPointF(Margin - horizontalScrollBar()->value(),
                   Margin + (index - verticalScrollBar()->value()) * lineHeight());
}

void ReportView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Text));
    const qsizetype first = verticalScrollBar()->value();
    const std::vector<Shown> shown = shownLines(first, visibleLines() + 1);
    const Position from = std::min(m_anchor, m_caret);
    const Position to = std::max(m_anchor, m_caret);
    const qreal widest = m_widest;
    for (size_t i = 0; i < shown.size(); ++i) {
        const qsizetype index = first + qsizetype(i);
        QTextLayout layout;
        layOut(layout, shown[i]);
        QList<QTextLayout::FormatRange> selection;
        if (from != to && index >= from.line && index <= to.line) {
            QTextLayout::FormatRange range;
            range.start = int(index == from.line ? from.column : 0);
            // A selection that goes on past the line takes its line end along.
            range.length = int((index == to.line ? to.column : shown[i].text.size() + 1) - range.start);
            range.format.setBackground(palette().highlight());
            range.format.setForeground(palette().highlightedText());
            selection.append(range);
        }
        layout.draw(&painter, origin(index), selection);
        if (index == m_caret.line && hasFocus())
            layout.drawCursor(&painter, origin(index), int(m_caret.column));
    }
    if (m_widest > widest)
        QTimer::singleShot(0, this, &ReportView::updateScrollBars);
}

void ReportView::updateScrollBars()
{
    const qsizetype visible = visibleLines();
    verticalScrollBar()->setRange(0, int(std::max<qsizetype>(0, m_lines.count() - visible)));
    verticalScrollBar()->setPageStep(int(visible));
    verticalScrollBar()->setSingleStep(1);
    const int width = int(std::ceil(std::max(m_columns.width(), m_widest))) + 2 * Margin + 1;
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(20);
}

void ReportView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void ReportView::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        measureAll();
        updateScrollBars();
    }
}

void ReportView::scrollContentsBy(int, int)
{
    viewport()->update();
}

// ---- The cursor -------------------------------------------------------------

ReportView::Position ReportView::clamped(Position position) const
{
    position.line = std::clamp<qsizetype>(position.line, 0, m_lines.count() - 1);
    position.column = std::clamp<qsizetype>(position.column, 0, m_lines.line(position.line).size());
    return position;
}

QRect ReportView::cursorRect(Position position) const
{
    position = clamped(position);
    QTextLayout layout;
    layOut(layout, shownLines(position.line, 1).front());
    const QPointF at = origin(position.line);
    return QRect(int(at.x() + layout.lineAt(0).cursorToX(int(position.column))), int(at.y()), 1, lineHeight());
}

ReportView::Position ReportView::positionAt(const QPoint &point) const
{
    // Above the view is the line before the first shown, as a drag scrolls.
    const qsizetype line =
        verticalScrollBar()->value() + qsizetype(std::floor((point.y() - Margin) / qreal(lineHeight())));
    Position position = clamped(Position{line, 0});
    QTextLayout layout;
    layOut(layout, shownLines(position.line, 1).front());
    position.column = layout.lineAt(0).xToCursor(point.x() - origin(position.line).x());
    return position;
}

qreal ReportView::caretX() const
{
    return cursorRect(m_caret).x() - origin(m_caret.line).x();
}

void ReportView::setCursorPosition(Position position, QTextCursor::MoveMode mode)
{
    m_caret = clamped(position);
    if (mode == QTextCursor::MoveAnchor)
        m_anchor = m_caret;
    ensureCaretVisible();
    viewport()->update();
}

void ReportView::ensureCaretVisible()
{
    QScrollBar *lines = verticalScrollBar();
    if (m_caret.line < lines->value())
        lines->setValue(int(m_caret.line));
    else if (m_caret.line >= lines->value() + visibleLines())
        lines->setValue(int(m_caret.line - visibleLines() + 1));
    QScrollBar *across = horizontalScrollBar();
    const int x = int(caretX());
    const int room = viewport()->width() - 2 * Margin;
    if (x < across->value())
        across->setValue(std::max(0, x - room / 4));
    else if (x > across->value() + room)
        across->setValue(x - room * 3 / 4);
}

ReportView::Position ReportView::stepped(Position position, bool forward, int mode) const
{
    QTextLayout layout;
    layOut(layout, shownLines(position.line, 1).front());
    const int size = layout.text().size();
    if (forward && position.column >= size)
        return position.line + 1 < m_lines.count() ? Position{position.line + 1, 0} : position;
    if (!forward && position.column <= 0)
        return position.line > 0 ? Position{position.line - 1, m_lines.line(position.line - 1).size()} : position;
    const auto skip = QTextLayout::CursorMode(mode);
    position.column = forward ? layout.nextCursorPosition(int(position.column), skip)
                              : layout.previousCursorPosition(int(position.column), skip);
    return position;
}

ReportView::Position ReportView::vertical(qsizetype lines)
{
    if (m_desiredX < 0)
        m_desiredX = caretX();
    Position position = clamped(Position{m_caret.line + lines, 0});
    QTextLayout layout;
    layOut(layout, shownLines(position.line, 1).front());
    position.column = layout.lineAt(0).xToCursor(m_desiredX);
    return position;
}

void ReportView::moveCursor(QTextCursor::MoveOperation operation, QTextCursor::MoveMode mode)
{
    Position position = m_caret;
    switch (operation) {
    case QTextCursor::Start:
        position = Position();
        break;
    case QTextCursor::End:
        position = m_lines.end();
        break;
    case QTextCursor::StartOfLine:
    case QTextCursor::StartOfBlock:
        position.column = 0;
        break;
    case QTextCursor::EndOfLine:
    case QTextCursor::EndOfBlock:
        position.column = m_lines.line(position.line).size();
        break;
    case QTextCursor::Left:
    case QTextCursor::PreviousCharacter:
        position = stepped(position, false, QTextLayout::SkipCharacters);
        break;
    case QTextCursor::Right:
    case QTextCursor::NextCharacter:
        position = stepped(position, true, QTextLayout::SkipCharacters);
        break;
    case QTextCursor::WordLeft:
    case QTextCursor::PreviousWord:
        position = stepped(position, false, QTextLayout::SkipWords);
        break;
    case QTextCursor::WordRight:
    case QTextCursor::NextWord:
        position = stepped(position, true, QTextLayout::SkipWords);
        break;
    case QTextCursor::Up:
        position = vertical(-1);
        break;
    case QTextCursor::Down:
        position = vertical(1);
        break;
    default:
        return;
    }
    // Up and down keep to the place across where they started.
    if (operation != QTextCursor::Up && operation != QTextCursor::Down)
        m_desiredX = -1;
    setCursorPosition(position, mode);
}

QString ReportView::selectedText() const
{
    return m_lines.text(std::min(m_anchor, m_caret), std::max(m_anchor, m_caret));
}
