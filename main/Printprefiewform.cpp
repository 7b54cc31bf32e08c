#include "Printprefiewform.h"

#include "configfile.h"
#include "datafile.h"
#include "reportprinter.h"
#include "reporttext.h"
#include "screenfit.h"

#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <utility>
#include <vector>

namespace {

const QString JobTitle = QStringLiteral("Data Report");
const QString PdfFileName = QStringLiteral("DataOutputForm.pdf");

} // namespace

TPrintPreviewForm::TPrintPreviewForm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("PrintPreviewForm"));
    buildControls();
    tellUser = [this](const QString &text) { QMessageBox::information(this, windowTitle(), text); };
    FormCreate();
}

void TPrintPreviewForm::buildControls()
{
    setWindowTitle(QStringLiteral("Print Preview"));
    resize(1049, 655);
    ScreenFit::fit(this);
    setFont(QFont(QStringLiteral("Tahoma"), 8));

    Panel1 = new QLabel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(49);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(2);
    Panel1->setAlignment(Qt::AlignCenter);
    QFont panelFont(QStringLiteral("Tahoma"));
    panelFont.setPixelSize(16);
    panelFont.setBold(true);
    Panel1->setFont(panelFont);

    ButtonPrint = new QPushButton(QStringLiteral("Print"), Panel1);
    ButtonPrint->setObjectName(QStringLiteral("ButtonPrint"));
    ButtonPrint->setGeometry(72, 13, 75, 25);
    ButtonCancel = new QPushButton(QStringLiteral("Cancel"), Panel1);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    ButtonCancel->setGeometry(168, 13, 75, 25);
    // The buttons keep the window's own font, not the panel's.
    ButtonPrint->setFont(font());
    ButtonCancel->setFont(font());

    REditReport = new QPlainTextEdit(this);
    REditReport->setObjectName(QStringLiteral("REditReport"));
    QFont reportFont(QStringLiteral("Arial Narrow"));
    reportFont.setPixelSize(15);
    REditReport->setFont(reportFont);
    REditReport->setLineWrapMode(QPlainTextEdit::NoWrap);
    REditReport->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    REditReport->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Half-inch tab stops, as the report's columns were laid out for.
    REditReport->setTabStopDistance(48);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(REditReport, 1);

    connect(ButtonPrint, &QPushButton::clicked, this, &TPrintPreviewForm::ButtonPrintClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &TPrintPreviewForm::ButtonCancelClick);
}

void TPrintPreviewForm::FormCreate()
{
    m_dataFileName = DefaultDataFileName;
    ReadDataFileName(m_dataFileName);
}

void TPrintPreviewForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous() && !m_shown) {
        m_shown = true;
        FormShow();
    }
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
    QString error;
    {
        // Every record is re-checked and a failing one is marked "X" in the
        // data file itself, so the file must open for update.
        std::vector<CallRecord> records;
        if (!DataFile::scanRecords(m_dataFileName, DataFile::ScanMode::CheckAndMark, records)) {
            showPanelMessage(QStringLiteral("NO FILE READ: Cancel & Save Records"));
            return;
        }
        Panel1->clear();
        if (!ReportText::writeWorkFile(ReportText::FullReportFileName, ReportText::fullReport(records), &error)) {
            showPanelMessage(QStringLiteral("Report NOT written: %1").arg(error));
            return;
        }
    }
    QString text;
    if (!ReportText::readWorkFile(ReportText::FullReportFileName, text, &error)) {
        showPanelMessage(QStringLiteral("Report NOT read: %1").arg(error));
        return;
    }
    REditReport->setPlainText(ReportText::forViewer(std::move(text)));
}

void TPrintPreviewForm::ButtonPrintClick()
{
    const ReportPrinter::Outcome outcome = ReportPrinter::print(*REditReport, JobTitle, PdfFileName);
    if (outcome.kind == ReportPrinter::Outcome::Failed) {
        // Nothing was printed: the window stays so the user can try again or cancel.
        showPanelMessage(QStringLiteral("Print FAILED: %1").arg(outcome.error));
        return;
    }
    if (outcome.kind == ReportPrinter::Outcome::SavedAsPdf && tellUser)
        tellUser(ReportPrinter::savedAsPdfMessage(outcome.where));
    done(1);
}

void TPrintPreviewForm::ButtonCancelClick()
{
    done(1);
}

void TPrintPreviewForm::reject()
{
    ButtonCancelClick();
}
