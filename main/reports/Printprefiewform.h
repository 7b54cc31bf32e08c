#ifndef PRINTPREFIEWFORM_H
#define PRINTPREFIEWFORM_H

#include "reportpreview.h"

class QPlainTextEdit;

// The full log report: every record of the data file, re-checked, as a
// tab-aligned text that the user can edit and print.
class TPrintPreviewForm : public ReportPreviewForm
{
    Q_OBJECT

public:
    TPrintPreviewForm(const OpenLog &log, Desktop &desktop, QWidget *parent = nullptr);

    QPlainTextEdit *REditReport = nullptr;

    // Writes the work file from the data file and loads it into the viewer.
    void FormShow() override;

protected:
    // The full report's messages stand out in red.
    void showPanelMessage(const QString &text) override;
};

#endif // PRINTPREFIEWFORM_H
