#ifndef PRINT1REC_H
#define PRINT1REC_H

#include "reportlines.h"
#include "reportpreview.h"

class QLabel;
class QPlainTextEdit;

// The single record report: the record whose number the opener puts into
// PanelRec, checked but never changed on disk, as a labelled page.
// Result 1 after printing, 2 after Cancel or a close through the frame.
class TForm1 : public ReportPreviewForm
{
    Q_OBJECT

public:
    TForm1(const OpenLog &log, Desktop &desktop, QWidget *parent = nullptr);

    enum Result { Printed = 1, Cancelled = 2 };

    QLabel *PanelRec = nullptr;
    QPlainTextEdit *RecordPreview = nullptr;

    // Reads the record named by PanelRec, writes the work file and loads it.
    void FormShow() override;

protected:
    const ReportLines &linesToPrint() override;
    ReportPages::Look printLook() const override;

private:
    ReportLines m_printed;
};

#endif // PRINT1REC_H
