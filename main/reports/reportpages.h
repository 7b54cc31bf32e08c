#ifndef REPORTPAGES_H
#define REPORTPAGES_H

#include <QFont>

class QPrinter;
class ReportLines;

// A report's lines laid out on a printer's pages.
namespace ReportPages {

struct Look
{
    // The viewer's font; a size in pixels is taken at the viewer's dots per inch.
    QFont font;
    qreal viewerDpi = 96;
    // The full report: each field in its column, the columns measured on the
    // report in the printer's font. Otherwise tab stops `tabStopDistance`
    // viewer pixels apart.
    bool columns = false;
    qreal tabStopDistance = 48;
};

// Turns the page to landscape where the columns need it, then paints every
// line, numbering the pages. A line wider than the page goes on, indented,
// under the column it breaks in; a field too wide for its column goes on in
// its column. False when the printer could not be started.
bool print(const ReportLines &lines, const Look &look, QPrinter &printer);

} // namespace ReportPages

#endif // REPORTPAGES_H
