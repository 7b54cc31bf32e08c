#ifndef HEATMAPITEM_H
#define HEATMAPITEM_H

#include <QGraphicsObject>

#include <array>

class QChart;

// The cells of the weekday and hour grid, drawn over a chart's plot area:
// Monday at the top, midnight at the left, darker for more calls, each cell
// with its number where there is room for it.
class HeatMapItem : public QGraphicsObject
{
    Q_OBJECT

public:
    using Grid = std::array<std::array<int, 24>, 7>;

    HeatMapItem(QChart *chart, const Grid &grid);

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    void setArea(const QRectF &area);

    Grid m_grid;
    int m_most = 0;
    QRectF m_area;
};

#endif // HEATMAPITEM_H
