// What the log-entry window opens on the open log: the exports, the review
// grid, the two report previews, and the About menu.

#include "VorlenMainFile.h"

#include "AboutVN.h"
#include "Print1rec.h"
#include "Printprefiewform.h"
#include "Stringgridreview.h"
#include "Warning.h"
#include "csvexport.h"
#include "desktop.h"
#include "entryrow.h"
#include "manualpath.h"
#include "selectpanel.h"
#include "statisticswindow.h"
#include "textexport.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>

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
    Desktop::FileChoice choice;
    choice.mode = Desktop::FileChoice::Mode::Save;
    choice.title = QStringLiteral("Export as CSV");
    choice.suggested = QDir::current().filePath(CsvExport::DefaultFileName);
    choice.filter = QStringLiteral("CSV (*.csv)");
    const QString path = m_desktop.chooseFile(this, choice);
    if (path.isEmpty())
        return;
    const CsvExport::Outcome outcome = CsvExport::writeLog(m_log.path(), path);
    if (!outcome.written) {
        setIndicator(Red, outcome.error);
        showMessage(outcome.error, 9);
        return;
    }
    showMessage(QStringLiteral("Saved as %1").arg(QFileInfo(path).fileName()), 12);
}

void TMainForm::Review1Click()
{
    if (QFile file(m_log.path()); !file.open(QIODevice::ReadOnly)) {
        TFormWarning::showWarning(m_desktop, this);
        PrintCurrent->setEnabled(false);
        return;
    }

    std::optional<int> chosen;
    {
        TFormRecordReview review(m_log, m_desktop, this);
        m_desktop.runDialog(review);
        chosen = review.chosenRecord();
    }
    Panel2->showRecordCount(state().RecordCount);
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

void TMainForm::Statistics1Click()
{
    StatisticsWindow::showLog(m_log, m_desktop, this);
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
    // Nothing is said when the manual is missing or nothing opens it.
    m_desktop.openDocument(QUrl::fromLocalFile(ManualPath()));
}
