#include "chartpane.h"

#include <QChart>
#include <QChartView>
#include <QGraphicsScene>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// What a chart that has not been shown yet is drawn at.
const QSize FairSize(900, 450);

} // namespace

ChartPane::ChartPane(const QString &objectName, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(objectName);
    ChartView = new QChartView(this);
    ChartView->setObjectName(objectName + QLatin1String("Chart"));
    ChartView->setRenderHint(QPainter::Antialiasing);
    ChartView->setFrameShape(QFrame::NoFrame);
    // The table below holds what the chart shows; the keyboard goes there.
    ChartView->setFocusPolicy(Qt::NoFocus);
    ChartView->setMinimumHeight(160);

    Table = new QTableView(this);
    Table->setObjectName(objectName + QLatin1String("Table"));
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->setTabKeyNavigation(false);
    Table->setAlternatingRowColors(true);
    Table->verticalHeader()->hide();
    Table->setMinimumHeight(80);

    auto *splitter = new QSplitter(Qt::Vertical, this);
    splitter->setObjectName(objectName + QLatin1String("Splitter"));
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(ChartView);
    splitter->addWidget(Table);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
}

ChartPane::~ChartPane() = default;

void ChartPane::setChart(const StatisticsCharts::Chart &chart)
{
    QChart *before = ChartView->chart();
    ChartView->setChart(chart.chart);
    delete before;
    QStandardItemModel *beforeNumbers = m_numbers;
    m_numbers = chart.numbers;
    m_numbers->setParent(this);
    Table->setModel(m_numbers);
    delete beforeNumbers;
    Table->resizeColumnsToContents();

    m_name = chart.name;
    m_description = chart.description;
    m_fileName = chart.fileName;
    ChartView->setAccessibleName(m_name + QLatin1String(" chart"));
    ChartView->setAccessibleDescription(m_description);
    ChartView->setToolTip(m_description);
    Table->setAccessibleName(m_name + QLatin1String(": the chart's numbers"));
    Table->setAccessibleDescription(m_description);
}

QChart *ChartPane::chart() const
{
    return ChartView->chart();
}

QSize ChartPane::chartSize() const
{
    const QSize shown = ChartView->size();
    return ChartView->isVisible() && !shown.isEmpty() ? shown : FairSize;
}

void ChartPane::renderChart(QPainter &painter, const QRectF &target, const QSizeF &size) const
{
    QChart *shown = chart();
    const QSizeF before = shown->size();
    shown->resize(size);
    shown->scene()->render(&painter, target, QRectF(shown->pos(), size), Qt::KeepAspectRatio);
    shown->resize(before);
}

QImage ChartPane::picture() const
{
    const QSize size = chartSize();
    const qreal ratio = ChartView->devicePixelRatioF();
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderChart(painter, QRectF(QPointF(0, 0), QSizeF(size)), size);
    return image;
}

QString ChartPane::numbersAsText() const
{
    if (!m_numbers)
        return QString();
    QStringList lines{m_name};
    QStringList cells;
    for (int column = 0; column < m_numbers->columnCount(); ++column)
        cells << m_numbers->headerData(column, Qt::Horizontal).toString();
    lines << cells.join(QLatin1Char('\t'));
    for (int row = 0; row < m_numbers->rowCount(); ++row) {
        cells.clear();
        for (int column = 0; column < m_numbers->columnCount(); ++column)
            cells << m_numbers->index(row, column).data().toString();
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}
