#include "heatmapitem.h"

#include "statisticspalette.h"

#include <QChart>
#include <QFontMetricsF>
#include <QPainter>

HeatMapItem::HeatMapItem(QChart *chart, const Grid &grid)
    : QGraphicsObject(chart)
    , m_grid(grid)
{
    for (const auto &day : m_grid) {
        for (int calls : day)
            m_most = qMax(m_most, calls);
    }
    // Over the plot area's background and grid lines, under nothing else.
    setZValue(1);
    connect(chart, &QChart::plotAreaChanged, this, &HeatMapItem::setArea);
    setArea(chart->plotArea());
}

QRectF HeatMapItem::boundingRect() const
{
    return m_area;
}

void HeatMapItem::setArea(const QRectF &area)
{
    prepareGeometryChange();
    m_area = area;
}

void HeatMapItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (m_area.isEmpty())
        return;
    const qreal width = m_area.width() / 24;
    const qreal height = m_area.height() / 7;
    QFont font = painter->font();
    font.setPixelSize(int(qBound(7.0, height * 0.4, 12.0)));
    painter->setFont(font);
    const QFontMetricsF metrics(font);
    const bool numbersFit = metrics.horizontalAdvance(QString::number(m_most)) + 2 <= width;
    for (size_t day = 0; day < m_grid.size(); ++day) {
        for (size_t hour = 0; hour < 24; ++hour) {
            const int calls = m_grid[day][hour];
            const QRectF cell(m_area.left() + qreal(hour) * width, m_area.top() + qreal(day) * height, width, height);
            const double share = m_most > 0 ? double(calls) / m_most : 0.0;
            painter->fillRect(cell, calls == 0 ? QColor(Qt::white) : StatisticsPalette::heatColour(0.1 + 0.9 * share));
            painter->setPen(QPen(QColor(0xDD, 0xDD, 0xDD), 0));
            painter->drawRect(cell);
            if (calls > 0 && numbersFit) {
                painter->setPen(share > 0.5 ? Qt::white : Qt::black);
                painter->drawText(cell, Qt::AlignCenter, QString::number(calls));
            }
        }
    }
}
