#include "Printprefiewform.h"

#include "datafile.h"
#include "openlog.h"
#include "preparedruns.h"
#include "reporttext.h"
#include "scanprogress.h"
#include "screenfit.h"
#include "windowfont.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <memory>
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
        // data file itself, so the file must open for update. The report is
        // written as the records are read; they are never held all at once.
        auto writer = std::make_unique<ReportText::FullReportWriter>(m_workFile);
        const bool opened = writer->open();
        // The lines are made as the records are checked, and written in order.
        PreparedRuns<QByteArray> lines;
        const DataFile::ScanOutcome outcome = scanLog(
            this, dataFileName(), DataFile::ScanMode::CheckAndMark,
            [&](const CallRecord *, qint64 first, qint64 n) {
                lines.takeUpTo(first, n, [&](const QByteArray &made) {
                    if (opened)
                        writer->appendLines(made);
                });
                return true;
            },
            log().holder() == 0,
            [&lines, opened](const CallRecord *records, qint64 first, qint64 n) {
                if (opened)
                    lines.put(first, ReportText::FullReportWriter::lines(records, qsizetype(n)));
            });
        if (!outcome.opened) {
            showPanelMessage(QStringLiteral("NO FILE READ: Cancel & Save Records"));
            return;
        }
        Panel1->clear();
        if (!scanNotice(outcome).isEmpty())
            showPanelMessage(scanNotice(outcome));
        if (!opened) {
            showPanelMessage(QStringLiteral("Report NOT written: %1").arg(writer->error()));
            return;
        }
        if (outcome.cancelled || !outcome.unmarked.empty()) {
            // A cancelled reading reports nothing; a record whose mark did
            // not reach the file is reported as the file holds it.
            writer = std::make_unique<ReportText::FullReportWriter>(m_workFile);
            if (writer->open() && !outcome.cancelled && !reportAsFiled(*writer, outcome.unmarked)) {
                showPanelMessage(QStringLiteral("Report NOT written: the log could not be read again"));
                return;
            }
        }
        if (!writer->commit()) {
            showPanelMessage(QStringLiteral("Report NOT written: %1").arg(writer->error()));
            return;
        }
    }
    QString error;
    if (!REditReport->showFile(m_workFile, &error))
        showPanelMessage(QStringLiteral("Report NOT read: %1").arg(error));
}

bool TPrintPreviewForm::reportAsFiled(ReportText::FullReportWriter &writer, const std::vector<qint64> &unmarked)
{
    const QString path = dataFileName();
    DataFile::ScanOptions options;
    options.mayWrite = false;
    std::vector<CallRecord> block;
    const DataFile::ScanOutcome again = DataFile::scan(
        path, DataFile::ScanMode::CheckAndMark,
        [&](const CallRecord *records, qint64 first, qint64 n) {
            block.assign(records, records + n);
            for (auto slot = std::lower_bound(unmarked.begin(), unmarked.end(), first);
                 slot != unmarked.end() && *slot < first + n; ++slot)
                DataFile::readRecord(path, int(*slot + 1), block[size_t(*slot - first)]);
            writer.append(block.data(), qsizetype(n));
            return true;
        },
        options);
    return again.opened && !again.cancelled;
}
