#ifndef REVIEWGRIDDELEGATE_H
#define REVIEWGRIDDELEGATE_H

#include <QStyledItemDelegate>

#include <functional>

// Draws one grid cell: column, grid row (0 is the heading row, record rows
// start at 1), the cell's rectangle and whether the row is selected.
using ReviewCellPainter = std::function<void(QPainter *painter, int column, int row, const QRect &rect, bool selected)>;

// Hands every record cell of the review grid to the window's own drawing.
class ReviewGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    ReviewGridDelegate(ReviewCellPainter drawCell, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    ReviewCellPainter m_drawCell;
};

#endif // REVIEWGRIDDELEGATE_H
