#ifndef REVIEWGRIDHEADER_H
#define REVIEWGRIDHEADER_H

#include "reviewgriddelegate.h"

#include <QHeaderView>

// The review grid's fixed heading row, drawn by the same cell drawing as the
// records. Tells a column edge the user drags from widths the program sets.
class ReviewGridHeader : public QHeaderView
{
    Q_OBJECT

public:
    ReviewGridHeader(ReviewCellPainter drawCell, QWidget *parent = nullptr);

signals:
    // The user dragged the right edge of column `logicalIndex`.
    void sectionDragged(int logicalIndex);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    ReviewCellPainter m_drawCell;
    bool m_mouseDown = false;
};

#endif // REVIEWGRIDHEADER_H
