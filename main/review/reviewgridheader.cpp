#include "reviewgridheader.h"

ReviewGridHeader::ReviewGridHeader(ReviewCellPainter drawCell, QWidget *parent)
    : QHeaderView(Qt::Horizontal, parent)
    , m_drawCell(std::move(drawCell))
{
    // A section changes size under a held button only when its edge is dragged.
    connect(this, &QHeaderView::sectionResized, this, [this](int logicalIndex) {
        if (m_mouseDown)
            emit sectionDragged(logicalIndex);
    });
}

void ReviewGridHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    m_drawCell(painter, logicalIndex, 0, rect, false,
               model() ? model()->headerData(logicalIndex, Qt::Horizontal).toString() : QString());
}

void ReviewGridHeader::mousePressEvent(QMouseEvent *event)
{
    m_mouseDown = true;
    QHeaderView::mousePressEvent(event);
}

void ReviewGridHeader::mouseReleaseEvent(QMouseEvent *event)
{
    QHeaderView::mouseReleaseEvent(event);
    m_mouseDown = false;
}
