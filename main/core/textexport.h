#ifndef TEXTEXPORT_H
#define TEXTEXPORT_H

#include "callrecord.h"

#include <QString>

// The log as a text file for a spreadsheet: a heading line, then one line
// per record in file order, its fields joined by "¬"; UTF-8, LF line ends.
namespace TextExport {

inline const QString FileName = QStringLiteral("VNExport.txt");

enum class Result { Written, DataFileUnreadable, ExportUnwritable };

struct Outcome
{
    Result result = Result::DataFileUnreadable;
    bool haveLastRecord = false; // the data file holds at least one whole record
    CallRecord lastRecord; // the last record copied, or else the file's last record
    int lastNumber = 0; // recordNumber of the file's last record
    int lines = 0; // record lines written
};

// Copies records 1 to N of `dataPath` unchecked, N being the last record's
// number but never more than the file's whole records. The export file is
// replaced whole, or left as it was when anything fails.
Outcome write(const QString &dataPath, const QString &exportPath = FileName);

} // namespace TextExport

#endif // TEXTEXPORT_H
