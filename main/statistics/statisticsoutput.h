#ifndef STATISTICSOUTPUT_H
#define STATISTICSOUTPUT_H

#include <QString>
#include <QStringList>

#include <vector>

class ChartPane;
class QPrinter;

// What the statistics window hands out: a chart on the clipboard, a chart
// in a file, and the page on paper.
namespace StatisticsOutput {

// Writes the chart of `pane` to `path`, a PNG picture or an SVG drawing as
// the name ends, whole or not at all. Returns why it failed, or an empty text.
QString saveChart(const ChartPane &pane, const QString &path);

// The chart as a picture, and its numbers as text, on the clipboard.
void copyChart(const ChartPane &pane);

struct Page
{
    QString title;
    QStringList lines; // what the window says above its charts
    std::vector<const ChartPane *> panes;
};

// The page's lines, then each chart with its description under it, two to a sheet.
bool paintPages(QPrinter &printer, const Page &page);

} // namespace StatisticsOutput

#endif // STATISTICSOUTPUT_H
