#ifndef REVIEWGRIDHEADER_H
#define REVIEWGRIDHEADER_H

#include "reviewgriddelegate.h"

#include <QHeaderView>

// The review grid's fixed heading row, drawn by the same cell drawing as the records.
class ReviewGridHeader : public QHeaderView
{
    Q_OBJECT

public:
    ReviewGridHeader(ReviewCellPainter drawCell, QWidget *parent = nullptr);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    ReviewCellPainter m_drawCell;
};

#endif // REVIEWGRIDHEADER_H
