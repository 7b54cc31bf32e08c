#ifndef PRINTPREFIEWFORM_H
#define PRINTPREFIEWFORM_H

#include "reportpreview.h"
#include "reporttext.h"
#include "reportview.h"

#include <vector>

// The full log report: every record of the data file, re-checked, as a
// tab-aligned text that the user can edit and print. The viewer pages the
// work file rather than holding the report.
class TPrintPreviewForm : public ReportPreviewForm
{
    Q_OBJECT

public:
    TPrintPreviewForm(const OpenLog &log, Desktop &desktop, QWidget *parent = nullptr);

    ReportView *REditReport = nullptr;

    // Writes the work file from the data file and shows it in the viewer.
    void FormShow() override;

protected:
    // The full report's messages stand out in red.
    void showPanelMessage(const QString &text) override;
    const ReportLines &linesToPrint() override;
    ReportPages::Look printLook() const override;

private:
    QString m_workFile; // where the report is written and read back
    // Writes the report again from the log, read only, with the records in
    // `unmarked` slots as the file holds them; false when it cannot be read.
    bool reportAsFiled(ReportText::FullReportWriter &writer, const std::vector<qint64> &unmarked);
};

#endif // PRINTPREFIEWFORM_H
