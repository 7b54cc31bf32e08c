#ifndef CHARTPANE_H
#define CHARTPANE_H

#include "statisticscharts.h"

#include <QWidget>

class QChart;
class QChartView;
class QImage;
class QPainter;
class QStandardItemModel;
class QTableView;

// One chart of the statistics window above its numbers: the chart for the
// eye, the table for a screen reader and the keyboard.
class ChartPane : public QWidget
{
    Q_OBJECT

public:
    explicit ChartPane(const QString &objectName, QWidget *parent = nullptr);
    ~ChartPane() override;

    QChartView *ChartView = nullptr;
    QTableView *Table = nullptr;

    // Shows `chart`, taking its chart and table.
    void setChart(const StatisticsCharts::Chart &chart);

    QChart *chart() const;
    QStandardItemModel *numbers() const { return m_numbers; }
    const QString &name() const { return m_name; }
    const QString &description() const { return m_description; }
    const QString &fileName() const { return m_fileName; }

    // The size the chart is shown at, or a fair one while it has not been shown.
    QSize chartSize() const;
    // Draws the chart into `target` as it looks laid out at `size`.
    void renderChart(QPainter &painter, const QRectF &target, const QSizeF &size) const;
    // The chart as shown, at the screen's pixel ratio.
    QImage picture() const;
    // The table as lines of tab-separated cells, headings first.
    QString numbersAsText() const;

private:
    QStandardItemModel *m_numbers = nullptr;
    QString m_name;
    QString m_description;
    QString m_fileName;
};

#endif // CHARTPANE_H
