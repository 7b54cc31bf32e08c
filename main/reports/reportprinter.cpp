#include "reportprinter.h"

#include "reportlines.h"
#include "reporttext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>

namespace ReportPrinter {

QString systemDefaultPrinter()
{
    return QPrinterInfo::defaultPrinterName();
}

Outcome printPages(const std::function<bool(QPrinter &printer)> &paint, const QString &jobTitle,
                   const QString &pdfFileName, const QString &printerName)
{
    Outcome outcome;
    const QPrinterInfo info = printerName.isEmpty() ? QPrinterInfo() : QPrinterInfo::printerInfo(printerName);
    if (!info.isNull()) {
        QPrinter printer(info, QPrinter::HighResolution);
        printer.setDocName(jobTitle);
        outcome.where = info.printerName();
        if (!paint(printer) || printer.printerState() == QPrinter::Error) {
            outcome.error = QStringLiteral("the printer %1 refused the job").arg(outcome.where);
            return outcome;
        }
        outcome.kind = Outcome::Printed;
        return outcome;
    }

    const QString path = QDir::current().absoluteFilePath(ReportText::workFilePath(pdfFileName));
    outcome.where = path;
    // The PDF engine says nothing when it cannot open its file, so a file
    // that cannot be replaced is found out before printing.
    if (QFileInfo(path).isDir()) {
        outcome.error = QStringLiteral("%1 is a folder").arg(path);
        return outcome;
    }
    {
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly)) {
            outcome.error = QStringLiteral("%1: %2").arg(path, probe.errorString());
            return outcome;
        }
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setDocName(jobTitle);
    printer.setCreator(QStringLiteral("Vorlen3"));
    if (!paint(printer) || printer.printerState() == QPrinter::Error || QFileInfo(path).size() == 0) {
        outcome.error = QStringLiteral("%1 could not be written").arg(path);
        return outcome;
    }
    outcome.kind = Outcome::SavedAsPdf;
    return outcome;
}

Outcome print(const ReportLines &lines, const ReportPages::Look &look, const QString &jobTitle,
              const QString &pdfFileName, const QString &printerName)
{
    Outcome outcome = printPages([&](QPrinter &printer) { return ReportPages::print(lines, look, printer); }, jobTitle,
                                 pdfFileName, printerName);
    // Lines that could not be read went to paper empty.
    if (outcome.kind != Outcome::Failed && !lines.readError().isEmpty()) {
        outcome.kind = Outcome::Failed;
        outcome.error = lines.readError();
    }
    return outcome;
}

QString savedAsPdfMessage(const QString &pdfPath)
{
    return QStringLiteral("No printer is set up on this computer.\nThe report was saved as %1").arg(pdfPath);
}

} // namespace ReportPrinter
