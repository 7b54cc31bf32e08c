#ifndef DATAFILE_H
#define DATAFILE_H

#include "callrecord.h"

#include <QFile>
#include <QString>

#include <functional>
#include <vector>

// The data file: call records laid end to end, record n at byte (n - 1) * 992,
// no header. Every operation opens the file, works and closes it again.
namespace DataFile {

// What a data file holds, judged by its first record and its tail.
enum class LogState {
    Missing, // no file, or an empty one: a new log
    Whole, // whole records, the first numbered 1, the last numbered by its slot
    TornTail, // ends in a part of a record
    MisnumberedTail, // whole records, but the last ones do not name their slots
    NotALog, // the first record is not a record
    Unreadable, // the file is there but cannot be read
};

struct LogCheck
{
    LogState state = LogState::Missing;
    qint64 size = 0;
    // Records from the start that end before the damage.
    qint64 goodRecords = 0;
    // The damaged tail: from `strayOffset` to the file's end.
    qint64 strayOffset = 0;
    qint64 strayBytes = 0;
    // Number of the last whole record in the file (0 when there is none).
    int recordCount = 0;

    bool writable() const { return state == LogState::Missing || state == LogState::Whole; }
    bool damaged() const { return state == LogState::TornTail || state == LogState::MisnumberedTail; }
};

// Looks at the first record and the tail; reads more only when the tail is damaged.
LogCheck checkLog(const QString &path);

// True when the block's own recordNumber names `slot` exactly; an empty or
// sparse block names none.
bool namesSlot(const CallRecord &record, qint64 slot);

// Number of the last whole record in the file, 0 when the file cannot be
// opened or holds no whole record. A torn tail is not counted; the last whole
// record is copied to `lastRecord` when it is given.
int findRecordCount(const QString &path, CallRecord *lastRecord = nullptr);

// Every reader of a log goes through this one: it reads records 1 to N in
// file order, N being the number of the file's last whole record, but never
// more than the file's whole records. A torn tail or a damaged number never
// sends a reader past the end of the file.
class LogReader
{
public:
    explicit LogReader(const QString &path);

    // Opens the file and reads its last whole record; false when it cannot
    // be opened or that record cannot be read.
    bool open(QIODevice::OpenMode mode = QIODevice::ReadOnly);

    bool hasLastRecord() const { return m_hasLast; }
    // The last whole record, and its number as it stands.
    const CallRecord &lastRecord() const { return m_last; }
    int lastNumber() const { return m_hasLast ? m_last.number() : 0; }
    // N: how many records a reader reads.
    qint64 count() const { return m_count; }

    // Reads `n` records from record `first` + 1 into `into`; false when they
    // are not all among the N records or cannot be read.
    bool read(qint64 first, qint64 n, CallRecord *into);

    // Hands the N records to `visit` in blocks of at most `blockRecords`,
    // with the index of each block's first record, until `visit` returns
    // false. False when a block cannot be read.
    using Visitor = std::function<bool(const CallRecord *records, qint64 first, qint64 n)>;
    bool forEachBlock(const Visitor &visit, qint64 blockRecords = 1024);

    QFile &file() { return m_file; }

private:
    QFile m_file;
    CallRecord m_last;
    bool m_hasLast = false;
    qint64 m_count = 0;
};

enum class ReadResult { Ok, OpenFailed, NoSuchRecord };

// Reads record n, 1 <= n <= the whole records in the file. Never reads
// outside the file's whole records.
ReadResult readRecord(const QString &path, int n, CallRecord &record);

enum class WriteResult {
    Written,
    OpenFailed, // the file cannot be opened or created
    NotALog, // refused: the file is not a call log
    Damaged, // refused: the log is not whole records (see repairLog)
    NumberTaken, // refused: the log has another last record than the one expected
    NoSuchRecord, // refused: the record to replace is not in the log
    CountAtLimit, // refused: the log holds the largest record number there is
    InUse, // refused: another running program holds the log's lock
    WriteFailed, // a write or sync failed; the file is as it was
    // The disk refused the write for a named reason; the file is as it was.
    DiskFull, // no space left on the disk, or the user's quota is used up
    TooLarge, // the log would grow past the largest file allowed
    ReadOnly, // the log or its folder may not be written
    NameUnusable, // the system refuses the data file's name
};

// Stores `record` as a new last record with its hash, in one write, synced
// to the disk. The record's number must be one more than the whole records in
// a whole log, so that record k always sits in slot k. On success `record`
// holds what is on disk. Otherwise nothing of it stays in the file.
WriteResult storeNew(const QString &path, CallRecord &record);
// The same; true when written.
bool appendRecord(const QString &path, CallRecord &record);

// Stores `record`, numbered n, over record n (which must exist) in the same
// way; a crash leaves the record either new or as it was.
WriteResult storeEdit(const QString &path, int n, CallRecord &record);
// The same; true when written.
bool rewriteRecord(const QString &path, int n, CallRecord &record);

// Stores `records` as new last records, each with its hash, in one step
// under one journal, synced to the disk: a crash leaves the log as it was or
// with every one of them. They must be numbered on from the whole records of
// a whole log. On success `records` hold what is on disk; otherwise none of
// them stays in the file. An empty list writes nothing.
WriteResult storeMany(const QString &path, std::vector<CallRecord> &records);

// The lock file beside a data file that the program holding the log keeps.
QString lockPath(const QString &path);

// The process id of another running program that holds the log's lock, or 0.
qint64 lockHolder(const QString &path);

// The rollback journal beside a data file. It is written and synced before a
// record is, and removed once the record is on the disk.
QString journalPath(const QString &path);

enum class Rollback { NoJournal, RolledBack, Discarded, Failed };

// Puts back what an interrupted save left: a new record, or the records of
// an import, are taken away, an edited one gets its old bytes. Run before
// the log is used.
Rollback rollBackJournal(const QString &path);

struct RepairResult
{
    bool repaired = false;
    QString movedTo; // the file that now holds the stray bytes
    qint64 movedBytes = 0;
    QString error;
    // Written once repaired, and when there was nothing to repair; otherwise
    // why not: NotALog, InUse, or the cause of a refused read or write.
    WriteResult cause = WriteResult::Written;
};

// Moves the damaged tail of a log into a dated file beside it and shortens
// the log to its good records. Every byte is kept: the log is shortened only
// after the moved bytes are synced and read back. A file that is not a call
// log is never shortened.
RepairResult repairLog(const QString &path, const QString &stamp);

enum class ScanMode {
    Unchecked, // copy the records as they are (read only)
    CheckAndMark, // re-check every hash; a failing record gets status "X" in the file
};

// Called while a long scan runs with the records done and the records to do;
// returning false cancels the scan.
using Progress = std::function<bool(qint64 done, qint64 total)>;

struct ScanOutcome
{
    bool opened = false;
    LogCheck check;
    bool cancelled = false;
    // CheckAndMark only: the file could not be marked (read-only, damaged,
    // or another window's) and was only read.
    bool readOnly = false;
    int marked = 0;
    // CheckAndMark only: a mark could not be written or synced. A record
    // whose mark is not in the file keeps the status the file holds.
    bool markFailed = false;
    QString markError;
    // Records handed out.
    qint64 listed = 0;
    // Slots of nothing but zeros among records 1 to N: damage, never listed,
    // and a log that has any takes no marks.
    qint64 emptySlots = 0;
    qint64 firstEmptyOffset = -1;
    // Slots (counted from 0) that were handed out as "X" but whose mark did
    // not reach the file.
    std::vector<qint64> unmarked;
};

// Receives the records in file order, a run of consecutive slots at a time,
// `first` being the slot of the run's first record counted from 0; records
// that fail their check already show "X". Returning false cancels the scan.
using RecordVisitor = std::function<bool(const CallRecord *records, qint64 first, qint64 n)>;

// Works on the records as they are judged, on the threads that judge them:
// runs of records that the visitor is handed later (a few hundred at most,
// already showing "X" where they fail), on any thread and in any order, each
// record once. What it makes can wait for the visitor in a PreparedRuns.
using RecordPreparer = std::function<void(const CallRecord *records, qint64 first, qint64 n)>;

struct ScanOptions
{
    Progress progress;
    RecordPreparer prepare;
    bool mayWrite = true;
    // Threads that hash; 0 takes hashThreads().
    int threads = 0;
    // Told how many slots the scan will read, before the first is read.
    std::function<void(qint64 expected)> starting;
};

// Reads records 1 to N once, in large blocks, in file order, N being the
// last whole record's number, but never past the file's last whole record;
// each block is checked on every core and handed to `visit`. A file that is
// not a call log gives no records. "X" marks are written once the whole log
// has been read, in record order, and only into whole records that name
// their own slot, in a whole log without empty slots that can be written; a
// cancelled scan marks nothing.
ScanOutcome scan(const QString &path, ScanMode mode, const RecordVisitor &visit,
                 const ScanOptions &options = ScanOptions());

// The same, keeping every record; a record whose mark did not reach the
// file shows what the file holds.
ScanOutcome scan(const QString &path, ScanMode mode, std::vector<CallRecord> &records,
                 const Progress &progress = Progress(), bool mayWrite = true);

// The same; false when the file cannot be opened.
bool scanRecords(const QString &path, ScanMode mode, std::vector<CallRecord> &records);

// The records among `records[0]` to `records[n - 1]` whose hash check fails,
// in ascending order, hashed on `threads` threads (0: hashThreads()). The
// answer does not depend on the number of threads.
std::vector<qint64> failingRecords(const CallRecord *records, qint64 n, int threads = 0);

// Threads that hash many records: every core unless set; 0 sets it back.
int hashThreads();
void setHashThreads(int threads);

// Files this process creates from now on are its user's alone (0600,
// folders 0700), whatever the inherited umask; existing files keep their mode.
void keepNewFilesPrivate();

// Test seam: called after each step of a save ("journal", "journal synced",
// "record", "record synced", "done"; storeMany: "records begun" after its
// first megabyte, "records", "records synced") and of a repair ("moved": the
// stray bytes are in their file, not yet read back). A crash test ends the
// process there.
void setFaultHook(std::function<void(const char *step)> hook);

} // namespace DataFile

#endif // DATAFILE_H
