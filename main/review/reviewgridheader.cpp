#include "reviewgridheader.h"

ReviewGridHeader::ReviewGridHeader(ReviewCellPainter drawCell, QWidget *parent)
    : QHeaderView(Qt::Horizontal, parent)
    , m_drawCell(std::move(drawCell))
{
}

void ReviewGridHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    m_drawCell(painter, logicalIndex, 0, rect, false,
               model() ? model()->headerData(logicalIndex, Qt::Horizontal).toString() : QString());
}
