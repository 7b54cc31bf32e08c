#include "reviewgriddelegate.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QTextDocument>
#include <QToolTip>

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

bool ReviewGridDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                                   const QModelIndex &index)
{
    if (!event || !view || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    QString tip = index.data(Qt::ToolTipRole).toString();
    if (tip.isEmpty()) {
        const QString text = index.data().toString();
        // The cell's text is drawn in the grid's font across the whole cell.
        if (QFontMetrics(view->font()).horizontalAdvance(text) > option.rect.width())
            tip = text;
    }
    if (tip.isEmpty()) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(event->globalPos(), wrappedTip(tip), view->viewport(), option.rect);
    return true;
}

QString ReviewGridDelegate::wrappedTip(const QString &text)
{
    // As rich text a note that looks like markup still shows as typed; a
    // short text keeps to one line (its blanks made non-breaking), a long one wraps.
    constexpr int LongestLine = 480;
    const bool wraps = QFontMetrics(QToolTip::font()).horizontalAdvance(text) > LongestLine;
    return Qt::convertFromPlainText(text, wraps ? Qt::WhiteSpaceNormal : Qt::WhiteSpacePre);
}
