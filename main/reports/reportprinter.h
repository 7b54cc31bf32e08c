#ifndef REPORTPRINTER_H
#define REPORTPRINTER_H

#include <QPrinterInfo>
#include <QString>

#include <functional>

class QPlainTextEdit;

// Prints a report viewer's text as one job. With no printer on the system the
// same pages go to a PDF file in the working directory instead.
namespace ReportPrinter {

struct Outcome
{
    enum Kind { Printed, SavedAsPdf, Failed };
    Kind kind = Failed;
    QString where; // printer name, or the PDF's full path
    QString error; // why it failed
};

// The system's default printer; a null QPrinterInfo means there is none.
// Tests replace it so that nothing ever reaches paper.
extern std::function<QPrinterInfo()> defaultPrinter;

// Prints the viewer's whole text with `jobTitle` as the document name.
Outcome print(const QPlainTextEdit &viewer, const QString &jobTitle, const QString &pdfFileName);

// The sentence that tells the user where a PDF went.
QString savedAsPdfMessage(const QString &pdfPath);

} // namespace ReportPrinter

#endif // REPORTPRINTER_H
