#include "reviewgriddelegate.h"

ReviewGridDelegate::ReviewGridDelegate(ReviewCellPainter drawCell, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_drawCell(std::move(drawCell))
{
}

void ReviewGridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    m_drawCell(painter, index.column(), index.row() + 1, option.rect, option.state & QStyle::State_Selected,
               index.data().toString());
}
