#include "VorlenMainFile.h"

#include "AboutVN.h"
#include "Stringgridreview.h"
#include "Warning.h"
#include "opendocument.h"
#include "textexport.h"

#include <QAction>
#include <QFile>
#include <QSpinBox>

#include <algorithm>

void TMainForm::ExportFile1Click()
{
    const QString openError = QStringLiteral("File: Open ERROR");
    const TextExport::Outcome outcome = TextExport::write(state().DataFileName);
    if (outcome.result != TextExport::Result::Written) {
        setIndicator(Red, openError);
        showMessage(openError, 12);
        return;
    }
    RecordState &s = state();
    // The records pass through the record buffer, which keeps the last one.
    if (outcome.haveLastRecord)
        s.buffer = outcome.lastRecord;
    s.RecordCount = outcome.lastNumber;
    ClearCurrent1Click();
    setIndicator(Lime, QStringLiteral("File Saved"));
    showMessage(QStringLiteral("Saved as VNExport.txt"), 12);
}

void TMainForm::Review1Click()
{
    {
        QFile file(state().DataFileName);
        if (!file.open(QIODevice::ReadOnly)) {
            TFormWarning::showWarning(this);
            PrintCurrent->setEnabled(false);
            return;
        }
    }

    int result = 1;
    {
        TFormRecordReview review(this);
        result = review.exec();
    }

    // A damaged number in the last record can make the count negative; the
    // spin edit's bounds never go below zero.
    const int recordCount = qMax(state().RecordCount, 0);
    SpinEditSelect->setMaximum(recordCount);
    if (result < 2) {
        PrintCurrent->setEnabled(false);
        PrintCurrentAllowed = false;
        ClearCurrent1Click();
        return;
    }
    const int chosen = result - 1;
    // The grid may list a record beyond the count this window last read; the
    // spin edit must carry the chosen number to Select before its bounds return.
    SpinEditSelect->setMaximum(std::max(recordCount, chosen));
    SpinEditSelect->setValue(chosen);
    ButtonSelectClick();
    SpinEditSelect->setMaximum(qMax(state().RecordCount, 0));
    PrintCurrent->setEnabled(true);
    PrintCurrentAllowed = true;
}

void TMainForm::Vorlener1Click()
{
    TAbout2 about(this);
    about.exec();
}

void TMainForm::Manual1Click()
{
    // Nothing is said when the manual is missing or nothing opens it.
    OpenDocument(QUrl::fromLocalFile(ManualPath()));
}
