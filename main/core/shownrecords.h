#ifndef SHOWNRECORDS_H
#define SHOWNRECORDS_H

#include "csvexport.h"

#include <QString>

#include <vector>

class ReviewRows;

// The records behind rows of the review grid, read again from the data file
// when a command needs more of them than the grid keeps.
namespace ShownRecords {

// Writes the records of `rows` listed in `order`, in that order, to the CSV
// file `csvPath`, each read again from `dataPath` (consecutive records in one
// read) with the status the grid shows, so that the file says what the user
// sees, with the call-backs of `callBacks`.
CsvExport::Outcome writeCsv(const QString &csvPath, const QString &dataPath, const ReviewRows &rows,
                            const std::vector<int> &order, const CallBackMarks *callBacks = nullptr);

} // namespace ShownRecords

#endif // SHOWNRECORDS_H
