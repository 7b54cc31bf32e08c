// What the log-entry window opens on the open log: the exports, the review
// grid, the two report previews, and the About menu.

#include "VorlenMainFile.h"

#include "AboutVN.h"
#include "Print1rec.h"
#include "Printprefiewform.h"
#include "Stringgridreview.h"
#include "Warning.h"
#include "callbackmarks.h"
#include "csvexport.h"
#include "desktop.h"
#include "entryrow.h"
#include "manualpath.h"
#include "selectpanel.h"
#include "textexport.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QLineEdit>

void TMainForm::ExportFile1Click()
{
    const TextExport::Outcome outcome = TextExport::write(m_log.path());
    if (outcome.result != TextExport::Result::Written) {
        setIndicator(Red, OpenLog::HintFileOpenError);
        showMessage(OpenLog::HintFileOpenError, 12);
        return;
    }
    // The records pass through the record buffer, which keeps the last one.
    m_log.exported(outcome.lastRecord, outcome.haveLastRecord, outcome.lastNumber);
    ClearCurrent1Click();
    setIndicator(Lime, QStringLiteral("File Saved"));
    showMessage(QStringLiteral("Saved as VNExport.txt"), 12);
}

void TMainForm::ExportCsv1Click()
{
    const QString path = m_desktop.chooseFile(
        this, Desktop::FileChoice::saving(QStringLiteral("Export as CSV"),
                                          QDir::current().filePath(CsvExport::DefaultFileName), CsvExport::FileFilter));
    if (path.isEmpty())
        return;
    const CallBackMarks callBacks = m_log.callBackMarks();
    const CsvExport::Outcome outcome = CsvExport::writeLog(m_log.path(), path, &callBacks);
    if (!outcome.written) {
        setIndicator(Red, outcome.error);
        showMessage(outcome.error, 9);
        return;
    }
    showMessage(QStringLiteral("Saved as %1").arg(QFileInfo(path).fileName()), 12);
}

void TMainForm::Review1Click()
{
    reviewShowing(QString());
}

void TMainForm::reviewShowing(const QString &search)
{
    if (QFile file(m_log.path()); !file.open(QIODevice::ReadOnly)) {
        TFormWarning::showWarning(m_desktop, this);
        PrintCurrent->setEnabled(false);
        return;
    }

    std::optional<int> chosen;
    {
        TFormRecordReview review(m_log, m_desktop, this);
        if (!search.isEmpty())
            review.EditSearch->setText(search);
        m_desktop.runDialog(review);
        chosen = review.chosenRecord();
    }
    Panel2->showRecordCount(state().RecordCount);
    // Looking up a caller's calls leaves the entry being typed as it was.
    if (!chosen && !search.isEmpty())
        return;
    if (!chosen) {
        PrintCurrent->setEnabled(false);
        PrintCurrentAllowed = false;
        ClearCurrent1Click();
        return;
    }
    selectRecord(*chosen);
    PrintCurrent->setEnabled(true);
    PrintCurrentAllowed = true;
}

void TMainForm::Print1Click()
{
    TPrintPreviewForm preview(m_log, m_desktop, this);
    m_desktop.runDialog(preview);
}

void TMainForm::PrintCurrentClick()
{
    TForm1 preview(m_log, m_desktop, this);
    preview.PanelRec->setText(QString::number(state().SelectedRecord));
    // A cancelled preview leaves Print Current off until Read or Review turns it on.
    const bool printed = m_desktop.runDialog(preview) != TForm1::Cancelled;
    PrintCurrent->setEnabled(printed);
    PrintCurrentAllowed = printed;
}

void TMainForm::Vorlener1Click()
{
    TAbout2 about(this);
    m_desktop.runDialog(about);
}

void TMainForm::Manual1Click()
{
    // The message bar and indicator are the log's; a manual that does not
    // open is said in a box of its own.
    const QString path = ManualPath();
    QString problem;
    if (!QFileInfo::exists(path))
        problem = QStringLiteral("The manual %1 is not there.").arg(QDir::toNativeSeparators(path));
    else if (!m_desktop.openDocument(QUrl::fromLocalFile(path)))
        problem = QStringLiteral("No program on this computer opens the manual %1.\n"
                                 "Install a PDF viewer, or open the file by hand.")
                      .arg(QDir::toNativeSeparators(path));
    if (problem.isEmpty())
        return;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Manual"), problem, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("ManualNotOpened"));
    m_desktop.runDialog(box);
}
