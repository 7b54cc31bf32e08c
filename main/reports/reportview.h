#ifndef REPORTVIEW_H
#define REPORTVIEW_H

#include "reportcolumns.h"
#include "reportlines.h"

#include <QAbstractScrollArea>
#include <QTextCursor>

#include <vector>

class QTextLayout;

// The full report's viewer. It pages the work file: only the lines on screen
// are read from it, through an index of where the lines start, so that a long
// log's report is never held whole. Every line is laid out in the report's
// columns, measured on the report itself. The viewer is an editor: the user's
// changes are kept beside the work file, which stays as it was written, and
// the text shown, changes and all, is what is printed.
class ReportView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    using Position = ReportLines::Position;
    using LineKind = ReportText::LineKind;

    explicit ReportView(QWidget *parent = nullptr);

    // Shows the file's lines and measures the columns on them. On failure
    // the view stays as it was.
    bool showFile(const QString &path, QString *error = nullptr);
    void setPlainText(const QString &text);
    QString toPlainText() const;
    const ReportLines &lines() const { return m_lines; }

    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly);

    Position cursorPosition() const { return m_caret; }
    void setCursorPosition(Position position, QTextCursor::MoveMode mode = QTextCursor::MoveAnchor);
    void moveCursor(QTextCursor::MoveOperation operation, QTextCursor::MoveMode mode = QTextCursor::MoveAnchor);
    // Where the text at `position` is drawn, in the viewport.
    QRect cursorRect(Position position) const;
    QString selectedText() const;

    void insertPlainText(const QString &text);
    void undo();
    void redo();
    void cut();
    void copy() const;
    void paste();
    void selectAll();

signals:
    // Lines of the work file could not be read after it was shown.
    void readFailed(const QString &error);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    // Tab is typed into the report, as in any text editor.
    bool focusNextPrevChild(bool next) override;

private:
    struct Shown
    {
        QString text;
        LineKind kind;
    };
    // One change of the text, and what undoes it.
    struct Edit
    {
        Position from;
        QString removed;
        QString inserted;
    };

    std::vector<Shown> shownLines(qsizetype first, qsizetype n) const;
    LineKind kindBefore(qsizetype index) const;
    void layOut(QTextLayout &layout, const Shown &line) const;
    QPointF origin(qsizetype index) const;
    Position positionAt(const QPoint &point) const;
    Position clamped(Position position) const;
    Position stepped(Position position, bool forward, int mode) const;
    Position vertical(qsizetype lines);
    qreal caretX() const;

    bool typeKey(QKeyEvent *event);
    bool moveKey(QKeyEvent *event);
    bool editKey(QKeyEvent *event);
    void deleteOne(bool forward);
    void replaceSelection(const QString &text);
    Position apply(Position from, Position to, const QString &text);

    void restart();
    void measureAll();
    void measure(qsizetype first, qsizetype last);
    int lineHeight() const;
    qsizetype visibleLines() const;
    void updateScrollBars();
    void ensureCaretVisible();
    void reportReadError() const;

    ReportLines m_lines;
    ReportColumns m_columns;
    Position m_caret;
    Position m_anchor;
    qreal m_desiredX = -1;
    std::vector<Edit> m_undo;
    std::vector<Edit> m_redo;
    bool m_readOnly = false;
    // The widest line drawn, which the measuring may have missed.
    mutable qreal m_widest = 0;
    mutable QString m_reportedError;
};

#endif // REPORTVIEW_H
