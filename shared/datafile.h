#ifndef DATAFILE_H
#define DATAFILE_H

#include "callrecord.h"

#include <QString>

#include <vector>

// The data file: call records laid end to end, record n at byte (n - 1) * 992,
// no header. Every operation opens the file, works and closes it again.
namespace DataFile {

// Number of the last record in the file: the recordNumber of the 992 bytes
// before its end, not its size. 0 when the file cannot be opened or is shorter
// than one record. The last record is copied to `lastRecord` when it is given.
int findRecordCount(const QString &path, CallRecord *lastRecord = nullptr);

enum class ReadResult { Ok, OpenFailed, NoSuchRecord };

// Reads record n, 1 <= n <= the whole records in the file. Never reads
// outside the file's whole records.
ReadResult readRecord(const QString &path, int n, CallRecord &record);

// Stores `record` as a new last record and gives it its hash: the record is
// written, read back, hashed over the bytes on disk and written again, and
// synced to the disk. The record's number must be one more than the whole
// records in the file, so that record k always sits in slot k. On success
// `record` holds what is on disk. On failure the file is left as it was,
// byte for byte, wherever the system allows it.
bool appendRecord(const QString &path, CallRecord &record);

// Stores `record`, numbered n, over record n (which must exist) by the same two writes.
bool rewriteRecord(const QString &path, int n, CallRecord &record);

enum class ScanMode {
    Unchecked,    // copy the records as they are (read only)
    CheckAndMark, // re-check every hash; a failing record gets status "X" in the file
};

// Reads records 1 to N in file order, N being the last record's number, but
// never past the file's last whole record. Returns false when the file cannot
// be opened (for reading, or for update in CheckAndMark mode).
bool scanRecords(const QString &path, ScanMode mode, std::vector<CallRecord> &records);

} // namespace DataFile

#endif // DATAFILE_H
