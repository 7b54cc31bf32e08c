#include "VorlenMainFile.h"

#include "AboutVN.h"
#include "Stringgridreview.h"
#include "Warning.h"
#include "datafile.h"
#include "opendocument.h"

#include <QAction>
#include <QFile>
#include <QSaveFile>
#include <QSpinBox>

#include <algorithm>
#include <vector>

namespace {

const QString ExportFileName = QStringLiteral("VNExport.txt");
const QString OpenError = QStringLiteral("File: Open ERROR");

QString exportLine(const CallRecord &record)
{
    static constexpr CallRecord::Field columns[] = {
        CallRecord::RecordNumber, CallRecord::Type, CallRecord::Date,  CallRecord::Time,   CallRecord::Phone,
        CallRecord::Name,         CallRecord::Company, CallRecord::Notes, CallRecord::Status,
    };
    QString line;
    line.reserve(400);
    for (CallRecord::Field field : columns) {
        if (field != CallRecord::RecordNumber)
            line.append(QChar(FieldSeparator));
        line.append(record.text(field));
    }
    line.append(QLatin1Char('\n'));
    return line;
}

} // namespace

void TMainForm::ExportFile1Click()
{
    RecordState &s = state();
    // The buffer keeps what it holds when the file has no whole record.
    CallRecord last = s.buffer;
    const int lastNumber = DataFile::findRecordCount(s.DataFileName, &last);
    std::vector<CallRecord> records;
    if (!DataFile::scanRecords(s.DataFileName, DataFile::ScanMode::Unchecked, records)) {
        setIndicator(Red, OpenError);
        showMessage(OpenError, 12);
        return;
    }

    QByteArray text = QStringLiteral("Rec#¬Type¬Date¬Time¬Phone #¬Name¬Company¬Notes¬OK\n").toUtf8();
    for (const CallRecord &record : records)
        text.append(exportLine(record).toUtf8());

    // Written whole or not at all, so a failure leaves an earlier export as it was.
    QSaveFile file(ExportFileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        setIndicator(Red, OpenError);
        showMessage(OpenError, 12);
        return;
    }

    // Like a record-by-record copy, the buffer ends holding the last record copied.
    s.buffer = records.empty() ? last : records.back();
    s.RecordCount = lastNumber;
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

    const int recordCount = state().RecordCount;
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
    SpinEditSelect->setMaximum(state().RecordCount);
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
