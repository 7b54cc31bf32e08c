#include "Printprefiewform.h"

#include "datafile.h"
#include "openlog.h"
#include "reporttext.h"
#include "scanprogress.h"
#include "screenfit.h"
#include "windowfont.h"

#include <QLabel>
#include <QPushButton>

#include <vector>

TPrintPreviewForm::TPrintPreviewForm(const OpenLog &log, Desktop &desktop, QWidget *parent)
    : ReportPreviewForm(
        {QStringLiteral("PrintPreviewForm"), QStringLiteral("Data Report"), QStringLiteral("DataOutputForm.pdf"), 1, 1},
        log, desktop, parent)
{
    resize(1049, 655);
    ScreenFit::fit(this);
    Panel1->setFixedHeight(49);
    Panel1->setLineWidth(2);
    Panel1->setFont(WindowFont::tahoma(16, true));
    ButtonPrint->setGeometry(72, 13, 75, 25);
    ButtonCancel->setGeometry(168, 13, 75, 25);
    // The buttons keep the window's own font, not the panel's.
    ButtonPrint->setFont(font());
    ButtonCancel->setFont(font());

    REditReport = new ReportView(this);
    REditReport->setObjectName(QStringLiteral("REditReport"));
    REditReport->setFont(WindowFont::pixels(QStringLiteral("Arial Narrow"), 15));
    REditReport->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    REditReport->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(REditReport, &ReportView::readFailed, this,
            [this](const QString &error) { showPanelMessage(QStringLiteral("Report NOT read: %1").arg(error)); });
    setViewer(REditReport);
}

const ReportLines &TPrintPreviewForm::linesToPrint()
{
    return REditReport->lines();
}

ReportPages::Look TPrintPreviewForm::printLook() const
{
    ReportPages::Look look;
    look.font = REditReport->font();
    look.viewerDpi = REditReport->logicalDpiY();
    look.columns = true;
    return look;
}

void TPrintPreviewForm::showPanelMessage(const QString &text)
{
    QFont messageFont = Panel1->font();
    messageFont.setPointSize(12);
    Panel1->setFont(messageFont);
    QPalette palette = Panel1->palette();
    palette.setColor(QPalette::WindowText, QColor(255, 0, 0));
    Panel1->setPalette(palette);
    Panel1->setText(text);
}

void TPrintPreviewForm::FormShow()
{
    m_workFile = ReportText::workFilePath(ReportText::FullReportFileName);
    {
        // Every record is re-checked and a failing one is marked "X" in the
        // data file itself, so the file must open for update. The records
        // are let go before the report is shown.
        std::vector<CallRecord> records;
        const DataFile::ScanOutcome outcome =
            scanLog(this, dataFileName(), DataFile::ScanMode::CheckAndMark, records, log().holder() == 0);
        if (!outcome.opened) {
            showPanelMessage(QStringLiteral("NO FILE READ: Cancel & Save Records"));
            return;
        }
        Panel1->clear();
        if (!scanNotice(outcome).isEmpty())
            showPanelMessage(scanNotice(outcome));
        QString error;
        if (!ReportText::writeFullReport(m_workFile, records, &error)) {
            showPanelMessage(QStringLiteral("Report NOT written: %1").arg(error));
            return;
        }
    }
    QString error;
    if (!REditReport->showFile(m_workFile, &error))
        showPanelMessage(QStringLiteral("Report NOT read: %1").arg(error));
}
