#include "Print1rec.h"

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

namespace {

const QString JobTitle = QStringLiteral("Single Record Report");
const QString PdfFileName = QStringLiteral("SingleRecordForm.pdf");

} // namespace

TForm1::TForm1(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form1"));
    buildControls();
    tellUser = [this](const QString &text) { QMessageBox::information(this, windowTitle(), text); };
    FormCreate();
}

void TForm1::buildControls()
{
    setWindowTitle(QStringLiteral("Print Preview"));
    resize(804, 581);
    ScreenFit::fit(this);
    setFont(QFont(QStringLiteral("Tahoma"), 8));

    Panel1 = new QLabel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(41);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setAlignment(Qt::AlignCenter);

    ButtonPrint = new QPushButton(QStringLiteral("Print"), Panel1);
    ButtonPrint->setObjectName(QStringLiteral("ButtonPrint"));
    ButtonPrint->setGeometry(48, 8, 75, 25);
    ButtonCancel = new QPushButton(QStringLiteral("Cancel"), Panel1);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    ButtonCancel->setGeometry(160, 8, 75, 25);
    PanelRec = new QLabel(Panel1);
    PanelRec->setObjectName(QStringLiteral("PanelRec"));
    PanelRec->setGeometry(680, 10, 73, 25);
    PanelRec->setFrameStyle(QFrame::Panel | QFrame::Raised);
    PanelRec->setAlignment(Qt::AlignCenter);

    RecordPreview = new QPlainTextEdit(this);
    RecordPreview->setObjectName(QStringLiteral("RecordPreview"));
    QFont previewFont(QStringLiteral("Arial"));
    previewFont.setPixelSize(15);
    RecordPreview->setFont(previewFont);
    RecordPreview->setTabStopDistance(48);
    RecordPreview->setPlainText(QString(26, QLatin1Char(' ')) + QLatin1Char('\n') + QString(20, QLatin1Char(' '))
                                + QStringLiteral("Vorlen Record # "));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(RecordPreview, 1);

    connect(ButtonPrint, &QPushButton::clicked, this, &TForm1::ButtonPrintClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &TForm1::ButtonCancelClick);
}

void TForm1::FormCreate()
{
    m_dataFileName = DefaultDataFileName;
    ReadDataFileName(m_dataFileName);
}

void TForm1::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous() && !m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TForm1::FormShow()
{
    const int number = textToInt(PanelRec->text());
    // A number outside the file's whole records reads nothing: the report
    // then shows empty fields rather than some other record's data.
    CallRecord record;
    if (DataFile::readRecord(m_dataFileName, number, record) == DataFile::ReadResult::OpenFailed) {
        Panel1->setText(QStringLiteral("NO FILE READ"));
        return;
    }
    Panel1->clear();

    // The check marks the copy only; the data file is left as it is.
    if (!record.verify())
        record.setText(CallRecord::Status, QStringLiteral("X"));

    QString error;
    if (!ReportText::writeWorkFile(ReportText::SingleRecordFileName, ReportText::singleRecord(record), &error)) {
        Panel1->setText(QStringLiteral("Report NOT written: %1").arg(error));
        return;
    }
    QString text;
    if (!ReportText::readWorkFile(ReportText::SingleRecordFileName, text, &error)) {
        Panel1->setText(QStringLiteral("Report NOT read: %1").arg(error));
        return;
    }
    RecordPreview->setPlainText(text);
}

void TForm1::ButtonPrintClick()
{
    const ReportPrinter::Outcome outcome = ReportPrinter::print(*RecordPreview, JobTitle, PdfFileName);
    if (outcome.kind == ReportPrinter::Outcome::Failed) {
        // Nothing was printed: the window stays so the user can try again or cancel.
        Panel1->setText(QStringLiteral("Print FAILED: %1").arg(outcome.error));
        return;
    }
    if (outcome.kind == ReportPrinter::Outcome::SavedAsPdf && tellUser)
        tellUser(ReportPrinter::savedAsPdfMessage(outcome.where));
    done(Printed);
}

void TForm1::ButtonCancelClick()
{
    done(Cancelled);
}

void TForm1::reject()
{
    ButtonCancelClick();
}
