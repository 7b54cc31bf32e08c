#include "Print1rec.h"

#include "callentry.h"
#include "datafile.h"
#include "reporttext.h"
#include "screenfit.h"
#include "windowfont.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

TForm1::TForm1(const OpenLog &log, Desktop &desktop, QWidget *parent)
    : ReportPreviewForm({QStringLiteral("Form1"), QStringLiteral("Single Record Report"),
                         QStringLiteral("SingleRecordForm.pdf"), Printed, Cancelled},
                        log, desktop, parent)
{
    resize(804, 581);
    ScreenFit::fit(this);
    Panel1->setFixedHeight(41);
    ButtonPrint->setGeometry(48, 8, 75, 25);
    ButtonCancel->setGeometry(160, 8, 75, 25);
    PanelRec = new QLabel(Panel1);
    PanelRec->setObjectName(QStringLiteral("PanelRec"));
    PanelRec->setGeometry(680, 10, 73, 25);
    PanelRec->setFrameStyle(QFrame::Panel | QFrame::Raised);
    PanelRec->setAlignment(Qt::AlignCenter);

    RecordPreview = new QPlainTextEdit(this);
    RecordPreview->setObjectName(QStringLiteral("RecordPreview"));
    RecordPreview->setFont(WindowFont::arial(15));
    RecordPreview->setTabStopDistance(48);
    RecordPreview->setPlainText(QString(26, QLatin1Char(' ')) + QLatin1Char('\n') + QString(20, QLatin1Char(' '))
                                + QStringLiteral("Vorlen Record # "));
    setViewer(RecordPreview);
}

const ReportLines &TForm1::linesToPrint()
{
    m_printed.setText(RecordPreview->toPlainText());
    return m_printed;
}

ReportPages::Look TForm1::printLook() const
{
    ReportPages::Look look;
    look.font = RecordPreview->font();
    look.viewerDpi = RecordPreview->logicalDpiY();
    look.tabStopDistance = RecordPreview->tabStopDistance();
    return look;
}

void TForm1::FormShow()
{
    const int number = textToInt(PanelRec->text());
    // A number outside the file's whole records reads nothing: the report
    // then shows empty fields rather than some other record's data.
    CallRecord record;
    if (DataFile::readRecord(dataFileName(), number, record) == DataFile::ReadResult::OpenFailed) {
        showPanelMessage(QStringLiteral("NO FILE READ"));
        return;
    }
    Panel1->clear();

    // The check marks the copy only; the data file is left as it is.
    if (!record.verify())
        setStatus(record, RecordStatus::Compromised);

    QString text;
    const QString workFile = ReportText::workFilePath(ReportText::SingleRecordFileName);
    if (writeWorkFile(workFile, ReportText::singleRecord(record)) && readWorkFile(workFile, text))
        RecordPreview->setPlainText(text);
}
