#ifndef CSVEXPORT_H
#define CSVEXPORT_H

#include "callrecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class CallBackMarks;

// The log as comma-separated values for spreadsheets: UTF-8, one heading row,
// fields quoted where they hold a comma, a quote or a line break, CR LF after
// every row. Dates and times are written in their international forms; a text
// that is not a date or a time is written as it is stored. Each row ends with
// the call's call-back: when it is due and when it was done (UTC), or nothing.
namespace CsvExport {

inline const QString DefaultFileName = QStringLiteral("VNExport.csv");
// What a file dialog offers.
inline const QString FileFilter = QStringLiteral("CSV (*.csv)");

// One field, quoted when it must be.
QString quoted(const QString &text);
// A row of fields with its CR LF, as UTF-8.
QByteArray row(const QStringList &fields);

QStringList headings();

// "06/14/2024" as "2024-06-14".
QString isoDate(const QString &stored);
// " 2:05PM" as "14:05".
QString clockTime(const QString &stored);
// Seconds since 1970 as "2024-06-14T09:30:00Z".
QString utcTime(const QString &storedSeconds);
// I, O and M as In, Out and Msg.
QString typeWord(const QString &stored);

struct Outcome
{
    bool written = false;
    int rows = 0;
    QString error; // names the file that failed
};

// Writes `records` (only the rows listed in `order`, in that order, when it is
// given) to `path`, with the call-backs of `callBacks`. The file is replaced
// whole or not at all.
Outcome write(const QString &path, const std::vector<CallRecord> &records, const std::vector<int> *order = nullptr,
              const CallBackMarks *callBacks = nullptr);
// Writes `count` records, the i-th being what `recordAt(i)` gives; a null
// record ends the export unwritten. The file is replaced whole or not at all.
using RecordAt = std::function<const CallRecord *(qint64 index)>;
Outcome write(const QString &path, qint64 count, const RecordAt &recordAt, const CallBackMarks *callBacks = nullptr);
// Writes every record of the data file, read as the other exports read it.
Outcome writeLog(const QString &dataPath, const QString &path, const CallBackMarks *callBacks = nullptr);

} // namespace CsvExport

#endif // CSVEXPORT_H
