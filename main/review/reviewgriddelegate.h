#ifndef REVIEWGRIDDELEGATE_H
#define REVIEWGRIDDELEGATE_H

#include <QStyledItemDelegate>

#include <functional>

// Draws one grid cell: column, grid row (0 is the heading row, record rows
// start at 1), the cell's rectangle, whether the row is selected and the
// text the model holds for the cell.
using ReviewCellPainter =
    std::function<void(QPainter *painter, int column, int row, const QRect &rect, bool selected, const QString &text)>;

// Hands every record cell of the review grid, with the text of the model
// index the view asks for, to the window's own drawing; a sort or filter
// model between the records and the view is thus painted as it orders them.
// A cell's tool tip is what the model says of it, or else its whole text
// when the cell is too narrow to show it.
class ReviewGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    ReviewGridDelegate(ReviewCellPainter drawCell, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

    // A tool tip that wraps a long text instead of running off the screen.
    static QString wrappedTip(const QString &text);

private:
    ReviewCellPainter m_drawCell;
};

#endif // REVIEWGRIDDELEGATE_H
