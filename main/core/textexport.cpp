#include "textexport.h"

#include "datafile.h"

#include "utf8filewriter.h"

namespace TextExport {

namespace {

constexpr CallRecord::Field Columns[] = {
    CallRecord::RecordNumber, CallRecord::Type,    CallRecord::Date,  CallRecord::Time,   CallRecord::Phone,
    CallRecord::Name,         CallRecord::Company, CallRecord::Notes, CallRecord::Status,
};

// Records read per step: the log is streamed, never held whole.
constexpr int RecordsPerRead = 1024;
// Room for the nine fields at their widths, the separators and the line feed.
constexpr qsizetype MaxLineUnits = 512;

const QString Heading = QStringLiteral("Rec#¬Type¬Date¬Time¬Phone #¬Name¬Company¬Notes¬OK\n");

// The line's text in UTF-16, straight from the record's bytes.
qsizetype lineUnits(const CallRecord &record, char16_t *out)
{
    char16_t *p = out;
    for (CallRecord::Field field : Columns) {
        if (field != CallRecord::RecordNumber)
            *p++ = FieldSeparator;
        p += record.copyText(field, p);
    }
    *p++ = u'\n';
    return p - out;
}

} // namespace

Outcome write(const QString &dataPath, const QString &exportPath)
{
    Outcome outcome;
    DataFile::LogReader data(dataPath);
    if (!data.open())
        return outcome;
    outcome.haveLastRecord = data.hasLastRecord();
    outcome.lastRecord = data.lastRecord();
    outcome.lastNumber = data.lastNumber();

    Utf8FileWriter writer(exportPath);
    if (!writer.open()) {
        outcome.result = Result::ExportUnwritable;
        return outcome;
    }
    writer.append(Heading);

    char16_t units[MaxLineUnits];
    const bool read = data.forEachBlock(
        [&](const CallRecord *records, qint64, qint64 count) {
            for (qint64 i = 0; i < count; ++i)
                writer.append(QStringView(units, lineUnits(records[i], units)));
            outcome.lastRecord = records[count - 1];
            return true;
        },
        RecordsPerRead);
    if (!read)
        return outcome; // the export file is dropped unwritten
    if (!writer.commit()) {
        outcome.result = Result::ExportUnwritable;
        return outcome;
    }
    outcome.result = Result::Written;
    outcome.lines = int(data.count());
    return outcome;
}

} // namespace TextExport
