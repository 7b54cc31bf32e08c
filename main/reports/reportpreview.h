#ifndef REPORTPREVIEW_H
#define REPORTPREVIEW_H

#include "reportpages.h"

#include <QDialog>
#include <QString>

struct Desktop;
class OpenLog;
class QLabel;
class QPushButton;
class ReportLines;

// What the two report windows share: a panel with Print and Cancel above an
// editable text viewer, the open log they report on, the report made when the
// window is first shown, and printing the viewer's text to the printer or to
// a PDF file.
class ReportPreviewForm : public QDialog
{
    Q_OBJECT

public:
    // Panel1's caption is the window's message line.
    QLabel *Panel1 = nullptr;
    QPushButton *ButtonPrint = nullptr;
    QPushButton *ButtonCancel = nullptr;

    const QString &dataFileName() const;
    const OpenLog &log() const { return m_log; }

    // Makes the report's work file and loads it into the viewer.
    virtual void FormShow() = 0;
    void ButtonPrintClick();
    void ButtonCancelClick();

    void reject() override;

protected:
    // What tells one report window from the other.
    struct Kind
    {
        QString objectName;
        QString jobTitle;
        QString pdfFileName;
        int printedResult;
        int cancelledResult;
    };

    ReportPreviewForm(const Kind &kind, const OpenLog &log, Desktop &desktop, QWidget *parent);

    // Puts the viewer below the panel.
    void setViewer(QWidget *viewer);
    // What Print prints: the viewer's text, as its font lays it out.
    virtual const ReportLines &linesToPrint() = 0;
    virtual ReportPages::Look printLook() const = 0;
    virtual void showPanelMessage(const QString &text);
    // The report goes through its work file, as the viewer and the user's
    // other programs read it; each says on the panel when it failed.
    bool writeWorkFile(const QString &fileName, const QString &report);
    bool readWorkFile(const QString &fileName, QString &text);

    void showEvent(QShowEvent *event) override;

private:
    Kind m_kind;
    const OpenLog &m_log;
    Desktop &m_desktop;
    bool m_shown = false;
};

#endif // REPORTPREVIEW_H
