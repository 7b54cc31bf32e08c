#include "statisticsoutput.h"

#include "chartpane.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QSaveFile>
#include <QSvgGenerator>

namespace StatisticsOutput {

namespace {

// The size a chart is laid out at on paper, scaled to the page's width.
const QSizeF PrintedChart(900, 450);

bool writeSvg(const ChartPane &pane, QIODevice &file)
{
    const QSize size = pane.chartSize();
    QSvgGenerator drawing;
    drawing.setOutputDevice(&file);
    drawing.setSize(size);
    drawing.setViewBox(QRect(QPoint(0, 0), size));
    drawing.setTitle(pane.name());
    // The drawing carries its text alternative.
    drawing.setDescription(pane.description());
    QPainter painter;
    if (!painter.begin(&drawing))
        return false;
    pane.renderChart(painter, QRectF(QPointF(0, 0), QSizeF(size)), size);
    return painter.end();
}

// Draws `text` wrapped across `width` at `top`; returns the height it took.
qreal paragraph(QPainter &painter, const QFont &font, const QString &text, qreal top, qreal width)
{
    painter.setFont(font);
    const QRectF area(0, top, width, 1e6);
    QRectF taken;
    painter.drawText(area, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text, &taken);
    return taken.height();
}

QFont printFont(qreal points, bool bold = false)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

} // namespace

QString saveChart(const ChartPane &pane, const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("png") && suffix != QLatin1String("svg"))
        return QStringLiteral("%1: choose a name that ends in .png or .svg").arg(QFileInfo(path).fileName());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("%1: %2").arg(path, file.errorString());
    const bool drawn = suffix == QLatin1String("png") ? pane.picture().save(&file, "PNG") : writeSvg(pane, file);
    if (!drawn || !file.commit())
        return QStringLiteral("%1: %2").arg(
            path, drawn ? file.errorString() : QStringLiteral("the chart could not be drawn"));
    return QString();
}

void copyChart(const ChartPane &pane)
{
    auto *data = new QMimeData;
    data->setImageData(pane.picture());
    data->setText(pane.numbersAsText());
    QApplication::clipboard()->setMimeData(data);
}

bool paintPages(QPrinter &printer, const Page &page)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QSizeF sheet = printer.pageLayout().paintRectPixels(printer.resolution()).size();
    const qreal gap = sheet.height() / 60;
    qreal top = paragraph(painter, printFont(14, true), page.title, 0, sheet.width()) + gap;
    for (const QString &line : page.lines)
        top += paragraph(painter, printFont(9), line, top, sheet.width()) + gap / 2;
    top += gap;
    const qreal chartHeight = sheet.width() * PrintedChart.height() / PrintedChart.width();
    for (const ChartPane *pane : page.panes) {
        const qreal description = painter.fontMetrics().lineSpacing() * 3;
        if (top + chartHeight + description > sheet.height()) {
            if (!printer.newPage())
                return false;
            top = 0;
        }
        pane->renderChart(painter, QRectF(0, top, sheet.width(), chartHeight), PrintedChart);
        top += chartHeight + gap / 2;
        top += paragraph(painter, printFont(8), pane->description(), top, sheet.width()) + gap * 2;
    }
    return painter.end();
}

} // namespace StatisticsOutput
