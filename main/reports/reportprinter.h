#ifndef REPORTPRINTER_H
#define REPORTPRINTER_H

#include "reportpages.h"

#include <QString>

#include <functional>

class QPrinter;
class ReportLines;

// Prints a report's text as one job. With no printer on the system the same
// pages go to a PDF file in the working directory instead.
namespace ReportPrinter {

struct Outcome
{
    enum Kind { Printed, SavedAsPdf, Failed };
    Kind kind = Failed;
    QString where; // printer name, or the PDF's full path
    QString error; // why it failed
};

// The system's default printer, or an empty name when there is none.
QString systemDefaultPrinter();

// Prints the lines as `look` lays them out, with `jobTitle` as the document
// name, on the printer named; with no printer name, into `pdfFileName` in the
// working folder.
Outcome print(const ReportLines &lines, const ReportPages::Look &look, const QString &jobTitle,
              const QString &pdfFileName, const QString &printerName);

// Prints what `paint` draws on the printer as one job, the same way: on the
// printer named, or with no name into `pdfFileName` in the working folder.
// `paint` returns false when it could not draw.
Outcome printPages(const std::function<bool(QPrinter &printer)> &paint, const QString &jobTitle,
                   const QString &pdfFileName, const QString &printerName);

// The sentence that tells the user where a PDF went.
QString savedAsPdfMessage(const QString &pdfPath);

} // namespace ReportPrinter

#endif // REPORTPRINTER_H
