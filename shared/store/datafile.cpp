#include "datafile.h"

#include "callentry.h"

#include "platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>

namespace DataFile {

namespace {

std::function<void(const char *)> &faultHook()
{
    static std::function<void(const char *)> hook;
    return hook;
}

void reached(const char *step)
{
    if (faultHook())
        faultHook()(step);
}

bool readAt(QFile &file, qint64 offset, CallRecord &record)
{
    return file.seek(offset) && file.read(reinterpret_cast<char *>(record.bytes.data()), RecordSize) == RecordSize;
}

// ---- The journal -----------------------------------------------------------
//
// magic, kind ('A' append, 'E' edit, 'M' many appended), offset, old size,
// the old record, and a checksum of all that. A journal that is short or does
// not add up was never synced, so its save never touched the log. 'M' has no
// old record: its place holds the count of records appended.

constexpr char JournalMagic[8] = {'V', 'N', 'J', 'R', 'N', 'L', '0', '1'};
constexpr int JournalBody = 8 + 1 + 8 + 8 + RecordSize;
constexpr int JournalSize = JournalBody + 8;

std::uint64_t checksum(const unsigned char *data, size_t bytes)
{
    std::uint64_t h = 1469598103934665603ull;
    for (size_t i = 0; i < bytes; ++i) {
        h ^= data[i];
        h *= 1099511628211ull;
    }
    return h;
}

void putU64(unsigned char *p, std::uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

std::uint64_t getU64(const unsigned char *p)
{
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i)
        v |= std::uint64_t(p[i]) << (8 * i);
    return v;
}

struct Journal
{
    char kind = 'A';
    qint64 offset = 0;
    qint64 oldSize = 0;
    CallRecord old;
    qint64 appended = 1; // 'M': how many records follow the old end
};

enum class JournalWrite { Written, FolderRefused, Failed };

JournalWrite writeJournal(const QString &path, const Journal &journal)
{
    unsigned char bytes[JournalSize];
    std::memcpy(bytes, JournalMagic, 8);
    bytes[8] = static_cast<unsigned char>(journal.kind);
    putU64(bytes + 9, std::uint64_t(journal.offset));
    putU64(bytes + 17, std::uint64_t(journal.oldSize));
    std::memcpy(bytes + 25, journal.old.bytes.data(), RecordSize);
    if (journal.kind == 'M')
        putU64(bytes + 25, std::uint64_t(journal.appended));
    putU64(bytes + JournalBody, checksum(bytes, JournalBody));

    const QString name = journalPath(path);
    Platform::File file(name, Platform::File::Open::Replace);
    if (!file.isOpen()) {
        // A folder we may not write in takes no journal; the record still
        // goes to the disk in one write.
        return Platform::lastFailure() == Platform::Failure::Refused ? JournalWrite::FolderRefused
                                                                     : JournalWrite::Failed;
    }
    if (!file.writeAt(bytes, JournalSize, 0)) {
        Platform::removeFile(name);
        return JournalWrite::Failed;
    }
    reached("journal");
    if (!file.sync()) {
        Platform::removeFile(name);
        return JournalWrite::Failed;
    }
    Platform::syncFolderOf(path);
    reached("journal synced");
    return JournalWrite::Written;
}

// 1 read and valid, 0 none there, -1 there but not valid.
int readJournal(const QString &path, Journal &journal)
{
    QFile file(journalPath(path));
    if (!file.exists())
        return 0;
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray data = file.read(JournalSize + 1);
    if (data.size() != JournalSize)
        return -1;
    const auto *bytes = reinterpret_cast<const unsigned char *>(data.constData());
    if (std::memcmp(bytes, JournalMagic, 8) != 0 || getU64(bytes + JournalBody) != checksum(bytes, JournalBody))
        return -1;
    journal.kind = char(bytes[8]);
    journal.offset = qint64(getU64(bytes + 9));
    journal.oldSize = qint64(getU64(bytes + 17));
    std::memcpy(journal.old.bytes.data(), bytes + 25, RecordSize);
    journal.appended = journal.kind == 'M' ? qint64(getU64(bytes + 25)) : 1;
    if ((journal.kind != 'A' && journal.kind != 'E' && journal.kind != 'M') || journal.offset < 0 || journal.oldSize < 0
        || journal.appended < 0 || journal.appended > INT_MAX)
        return -1;
    return 1;
}

bool removeJournal(const QString &path)
{
    if (!Platform::removeFile(journalPath(path)))
        return false;
    Platform::syncFolderOf(path);
    return true;
}

// Undoes one save on an open log.
bool undo(Platform::File &log, const Journal &journal)
{
    if (journal.kind == 'A' || journal.kind == 'M') {
        const qint64 size = log.size();
        if (size < 0)
            return false;
        // Only the records that save added may go; anything longer is not
        // what that save left.
        if (size > journal.oldSize && size <= journal.oldSize + journal.appended * RecordSize
            && !log.resize(journal.oldSize))
            return false;
    } else if (!log.writeAt(journal.old.bytes.data(), RecordSize, journal.offset)) {
        return false;
    }
    return log.sync();
}

// ---- Reading ---------------------------------------------------------------

bool lockedElsewhere(const QString &path)
{
    return lockHolder(path) != 0;
}

// True when the first `size` bytes of `block` can be the start of record 1
// as a save writes it: a call type letter, then the number 1. A save torn
// in its first write leaves such a start; a text or any other file does not.
bool startsRecordOne(const CallRecord &block, qint64 size)
{
    const unsigned char letter = block.bytes[0];
    const unsigned char start[8] = {letter, 0, 0, 0, '1', 0, 0, 0};
    bool typed = false;
    for (CallType type : {CallType::In, CallType::Out, CallType::Message, CallType::None})
        typed = typed || letter == letterOf(type);
    return typed && std::memcmp(block.bytes.data(), start, size_t(qMin<qint64>(size, sizeof start))) == 0;
}

// The refusal that names why the system failed the last call, or `otherwise`.
WriteResult causeOf(Platform::Failure failure, WriteResult otherwise)
{
    switch (failure) {
    case Platform::Failure::DiskFull:
        return WriteResult::DiskFull;
    case Platform::Failure::TooLarge:
        return WriteResult::TooLarge;
    case Platform::Failure::Refused:
        return WriteResult::ReadOnly;
    case Platform::Failure::NameUnusable:
        return WriteResult::NameUnusable;
    case Platform::Failure::None:
    case Platform::Failure::NotFound:
    case Platform::Failure::Other:
        break;
    }
    return otherwise;
}

WriteResult lastCause(WriteResult otherwise)
{
    return causeOf(Platform::lastFailure(), otherwise);
}

} // namespace

QString lockPath(const QString &path)
{
    return path + QStringLiteral(".lock");
}

qint64 lockHolder(const QString &path)
{
    const QString lock = lockPath(path);
    if (!QFileInfo::exists(lock))
        return 0;
    QLockFile probe(lock);
    qint64 pid = 0;
    QString host;
    QString app;
    if (!probe.getLockInfo(&pid, &host, &app) || pid <= 0 || pid == QCoreApplication::applicationPid())
        return 0;
    // A lock whose program has ended is stale: the next program takes it over.
    return Platform::processRunning(pid) ? pid : 0;
}

bool namesSlot(const CallRecord &record, qint64 slot)
{
    char16_t text[16];
    const int length = record.copyText(CallRecord::RecordNumber, text);
    const QByteArray digits = QByteArray::number(slot);
    if (length != digits.size())
        return false;
    for (int i = 0; i < length; ++i) {
        if (text[i] != char16_t(digits[i]))
            return false;
    }
    return true;
}

LogCheck checkLog(const QString &path)
{
    LogCheck check;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        check.state = file.exists() ? LogState::Unreadable : LogState::Missing;
        return check;
    }
    check.size = file.size();
    if (check.size == 0)
        return check;
    const qint64 whole = check.size / RecordSize;
    CallRecord block;
    if (whole == 0) {
        // Shorter than one record: a log only when it is the start of record 1.
        if (!file.seek(0) || file.read(reinterpret_cast<char *>(block.bytes.data()), check.size) != check.size) {
            check.state = LogState::Unreadable;
            return check;
        }
        if (!startsRecordOne(block, check.size)) {
            check.state = LogState::NotALog;
            return check;
        }
    } else {
        if (!readAt(file, 0, block)) {
            check.state = LogState::Unreadable;
            return check;
        }
        if (!namesSlot(block, 1)) {
            check.state = LogState::NotALog;
            if (readAt(file, (whole - 1) * RecordSize, block))
                check.recordCount = block.number();
            return check;
        }
        if (!readAt(file, (whole - 1) * RecordSize, block)) {
            check.state = LogState::Unreadable;
            return check;
        }
        check.recordCount = block.number();
    }
    // From the end back to the last record that names its slot.
    qint64 good = whole;
    if (good > 0 && !namesSlot(block, good)) {
        constexpr qint64 chunkRecords = 1024;
        std::vector<CallRecord> chunk;
        --good;
        while (good > 0) {
            const qint64 first = qMax<qint64>(0, good - chunkRecords);
            chunk.resize(size_t(good - first));
            const qint64 bytes = qint64(chunk.size()) * RecordSize;
            if (!file.seek(first * RecordSize) || file.read(reinterpret_cast<char *>(chunk.data()), bytes) != bytes) {
                check.state = LogState::Unreadable;
                return check;
            }
            qint64 k = good;
            while (k > first && !namesSlot(chunk[size_t(k - 1 - first)], k))
                --k;
            good = k;
            if (k > first)
                break;
        }
    }
    check.goodRecords = good;
    check.strayOffset = good * RecordSize;
    check.strayBytes = check.size - check.strayOffset;
    if (check.strayBytes == 0)
        check.state = LogState::Whole;
    else
        check.state = check.size % RecordSize != 0 ? LogState::TornTail : LogState::MisnumberedTail;
    return check;
}

int findRecordCount(const QString &path, CallRecord *lastRecord)
{
    LogReader reader(path);
    if (!reader.open() || !reader.hasLastRecord())
        return 0;
    if (lastRecord)
        *lastRecord = reader.lastRecord();
    return reader.lastNumber();
}

ReadResult readRecord(const QString &path, int n, CallRecord &record)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ReadResult::OpenFailed;
    if (n < 1 || qint64(n) * RecordSize > file.size())
        return ReadResult::NoSuchRecord;
    CallRecord read;
    if (!readAt(file, qint64(n - 1) * RecordSize, read))
        return ReadResult::NoSuchRecord;
    record = read;
    return ReadResult::Ok;
}

LogReader::LogReader(const QString &path)
    : m_file(path)
{
}

bool LogReader::open(QIODevice::OpenMode mode)
{
    if (!m_file.open(mode))
        return false;
    const qint64 whole = m_file.size() / RecordSize;
    if (whole > 0) {
        if (!readAt(m_file, (whole - 1) * RecordSize, m_last)) {
            m_file.close();
            return false;
        }
        m_hasLast = true;
    }
    m_count = qMin<qint64>(qMax(lastNumber(), 0), whole);
    return true;
}

bool LogReader::read(qint64 first, qint64 n, CallRecord *into)
{
    static_assert(sizeof(CallRecord) == RecordSize, "records are read as one block");
    const qint64 bytes = n * RecordSize;
    return first >= 0 && n >= 0 && first + n <= m_count && m_file.seek(first * RecordSize)
        && m_file.read(reinterpret_cast<char *>(into), bytes) == bytes;
}

bool LogReader::forEachBlock(const Visitor &visit, qint64 blockRecords)
{
    std::vector<CallRecord> block(size_t(qMin(m_count, blockRecords)));
    for (qint64 first = 0; first < m_count; first += blockRecords) {
        const qint64 n = qMin(blockRecords, m_count - first);
        if (!read(first, n, block.data()))
            return false;
        if (!visit(block.data(), first, n))
            break;
    }
    return true;
}

QString journalPath(const QString &path)
{
    return path + QStringLiteral(".journal");
}

Rollback rollBackJournal(const QString &path)
{
    Journal journal;
    const int found = readJournal(path, journal);
    if (found == 0)
        return Rollback::NoJournal;
    if (found < 0)
        return removeJournal(path) ? Rollback::Discarded : Rollback::Failed;
    Platform::File log(path, Platform::File::Open::ReadWrite);
    if (!log.isOpen()) {
        // No log, nothing to undo.
        if (Platform::lastFailure() == Platform::Failure::NotFound)
            return removeJournal(path) ? Rollback::Discarded : Rollback::Failed;
        return Rollback::Failed;
    }
    if (!undo(log, journal))
        return Rollback::Failed;
    return removeJournal(path) ? Rollback::RolledBack : Rollback::Failed;
}

namespace {

// One save: the journal, the record in one write, a sync, the journal gone.
WriteResult store(const QString &path, Platform::File &log, const Journal &journal, CallRecord &record)
{
    const JournalWrite journalled = writeJournal(path, journal);
    if (journalled == JournalWrite::Failed)
        return lastCause(WriteResult::WriteFailed);
    record.setText(CallRecord::Hash, record.computeHash());
    bool ok = log.writeAt(record.bytes.data(), RecordSize, journal.offset);
    reached("record");
    ok = ok && log.sync();
    if (ok)
        reached("record synced");
    if (ok && (journalled == JournalWrite::FolderRefused || removeJournal(path))) {
        reached("done");
        return WriteResult::Written;
    }
    const WriteResult cause = lastCause(WriteResult::WriteFailed);
    if (undo(log, journal))
        removeJournal(path);
    return cause;
}

WriteResult refusal(const LogCheck &check)
{
    switch (check.state) {
    case LogState::NotALog:
        return WriteResult::NotALog;
    case LogState::TornTail:
    case LogState::MisnumberedTail:
        return WriteResult::Damaged;
    case LogState::Unreadable:
        return WriteResult::OpenFailed;
    case LogState::Missing:
    case LogState::Whole:
        break;
    }
    return WriteResult::Written;
}

} // namespace

namespace {

// A log opened to take records at its end: an interrupted save undone, the
// log checked, and `records` numbered for the slots after its last whole one.
// A log this created is removed again when the records do not go in.
class AppendTarget
{
public:
    AppendTarget(const QString &path, const CallRecord *records, qint64 n)
        : m_path(path)
        , m_existed(Platform::exists(path))
        // A new log is never created through a link that points nowhere.
        , m_log(path, m_existed ? Platform::File::Open::ReadWrite : Platform::File::Open::CreateNew)
    {
        if (!m_log.isOpen()) {
            m_refused = lastCause(WriteResult::OpenFailed);
            return;
        }
        rollBackJournal(path);
        m_check = checkLog(path);
        m_refused = refusal(m_check);
        const qint64 whole = m_check.size / RecordSize;
        if (m_refused != WriteResult::Written)
            return;
        // A log that is gone is not started again under a later number.
        if (!m_existed && !namesSlot(records[0], 1))
            m_refused = WriteResult::OpenFailed;
        else if (whole + n > INT_MAX)
            m_refused = WriteResult::CountAtLimit;
        // Record k belongs at (k - 1) * 992: each number must name its slot.
        for (qint64 i = 0; i < n && m_refused == WriteResult::Written; ++i) {
            if (!namesSlot(records[i], whole + 1 + i))
                m_refused = WriteResult::NumberTaken;
        }
    }

    WriteResult refused() const { return m_refused; }
    Platform::File &log() { return m_log; }
    qint64 size() const { return m_check.size; }

    WriteResult outcome(WriteResult result)
    {
        if (result != WriteResult::Written && !m_existed && m_log.isOpen())
            Platform::removeFile(m_path);
        return result;
    }

private:
    QString m_path;
    bool m_existed;
    Platform::File m_log;
    LogCheck m_check;
    WriteResult m_refused = WriteResult::Written;
};

} // namespace

WriteResult storeNew(const QString &path, CallRecord &record)
{
    if (lockedElsewhere(path))
        return WriteResult::InUse;
    AppendTarget target(path, &record, 1);
    if (target.refused() != WriteResult::Written)
        return target.outcome(target.refused());
    Journal journal;
    journal.kind = 'A';
    journal.offset = target.size();
    journal.oldSize = target.size();
    return target.outcome(store(path, target.log(), journal, record));
}

WriteResult storeEdit(const QString &path, int n, CallRecord &record)
{
    if (lockedElsewhere(path))
        return WriteResult::InUse;
    Platform::File log(path, Platform::File::Open::ReadWrite);
    if (!log.isOpen())
        return lastCause(WriteResult::OpenFailed);
    rollBackJournal(path);
    const LogCheck check = checkLog(path);
    const WriteResult refused = refusal(check);
    if (refused != WriteResult::Written)
        return refused;
    Journal journal;
    journal.kind = 'E';
    journal.offset = qint64(n - 1) * RecordSize;
    journal.oldSize = check.size;
    if (n < 1 || qint64(n) * RecordSize > check.size || !namesSlot(record, n)
        || !log.readAt(journal.old.bytes.data(), RecordSize, journal.offset) || !namesSlot(journal.old, n))
        return WriteResult::NoSuchRecord;
    return store(path, log, journal, record);
}

namespace {

// The records of one import, hashed and written under one journal in pieces
// of a megabyte, synced once; the journal goes only when all are on the disk.
WriteResult storeAppended(const QString &path, Platform::File &log, const Journal &journal,
                          std::vector<CallRecord> &records)
{
    const JournalWrite journalled = writeJournal(path, journal);
    if (journalled == JournalWrite::Failed)
        return lastCause(WriteResult::WriteFailed);
    for (CallRecord &record : records)
        record.setText(CallRecord::Hash, record.computeHash());
    constexpr size_t piece = 1024;
    bool ok = true;
    for (size_t first = 0; ok && first < records.size(); first += piece) {
        const size_t n = qMin(piece, records.size() - first);
        ok = log.writeAt(records[first].bytes.data(), n * RecordSize, journal.offset + qint64(first) * RecordSize);
        if (first == 0 && n < records.size())
            reached("records begun");
    }
    reached("records");
    ok = ok && log.sync();
    if (ok)
        reached("records synced");
    if (ok && (journalled == JournalWrite::FolderRefused || removeJournal(path))) {
        reached("done");
        return WriteResult::Written;
    }
    // Named before the undo, whose own calls would hide why the disk refused.
    const WriteResult failed = lastCause(WriteResult::WriteFailed);
    if (undo(log, journal))
        removeJournal(path);
    return failed;
}

} // namespace

WriteResult storeMany(const QString &path, std::vector<CallRecord> &records)
{
    static_assert(sizeof(CallRecord) == RecordSize, "records are written as one block");
    if (records.empty())
        return WriteResult::Written;
    if (lockedElsewhere(path))
        return WriteResult::InUse;
    AppendTarget target(path, records.data(), qint64(records.size()));
    if (target.refused() != WriteResult::Written)
        return target.outcome(target.refused());
    Journal journal;
    journal.kind = 'M';
    journal.offset = target.size();
    journal.oldSize = target.size();
    journal.appended = qint64(records.size());
    return target.outcome(storeAppended(path, target.log(), journal, records));
}

bool appendRecord(const QString &path, CallRecord &record)
{
    return storeNew(path, record) == WriteResult::Written;
}

bool rewriteRecord(const QString &path, int n, CallRecord &record)
{
    return storeEdit(path, n, record) == WriteResult::Written;
}

RepairResult repairLog(const QString &path, const QString &stamp)
{
    RepairResult result;
    const auto fail = [&result](WriteResult cause, const QString &error) {
        result.cause = cause;
        result.error = error;
        return result;
    };
    if (lockedElsewhere(path))
        return fail(WriteResult::InUse, QStringLiteral("the log is in use by another program"));
    const LogCheck check = checkLog(path);
    if (!check.damaged()) {
        if (check.state == LogState::NotALog)
            return fail(WriteResult::NotALog, QStringLiteral("not a call log"));
        if (check.state == LogState::Unreadable)
            return fail(WriteResult::OpenFailed, QStringLiteral("the log cannot be read"));
        result.error = QStringLiteral("nothing to repair");
        return result;
    }
    // Opened for writing first: a log that may not be shortened gets no side file.
    Platform::File log(path, Platform::File::Open::ReadWrite);
    if (!log.isOpen())
        return fail(lastCause(WriteResult::OpenFailed), Platform::lastError());
    QByteArray stray(check.strayBytes, Qt::Uninitialized);
    if (!log.readAt(stray.data(), size_t(stray.size()), check.strayOffset))
        return fail(lastCause(WriteResult::OpenFailed), Platform::lastError());
    if (log.size() != check.size)
        return fail(WriteResult::WriteFailed, QStringLiteral("the log changed while it was read"));
    const QFileInfo info(path);
    QString target = info.dir().filePath(QStringLiteral("%1.damaged-%2").arg(info.fileName(), stamp));
    for (int i = 2; QFileInfo::exists(target); ++i)
        target = info.dir().filePath(QStringLiteral("%1.damaged-%2-%3").arg(info.fileName(), stamp).arg(i));
    {
        Platform::File movedTo(target, Platform::File::Open::CreateNew);
        if (!movedTo.isOpen() || !movedTo.writeAt(stray.constData(), size_t(stray.size()), 0) || !movedTo.sync()) {
            const RepairResult failed = fail(lastCause(WriteResult::WriteFailed), Platform::lastError());
            if (movedTo.isOpen())
                Platform::removeFile(target);
            return failed;
        }
    }
    Platform::syncFolderOf(target);
    reached("moved");
    // Shorten the log only when the moved bytes read back the same.
    {
        QByteArray back(stray.size() + 1, Qt::Uninitialized);
        Platform::File moved(target, Platform::File::Open::ReadOnly);
        if (!moved.isOpen() || moved.size() != stray.size() || !moved.readAt(back.data(), size_t(stray.size()), 0)
            || back.left(stray.size()) != stray)
            return fail(WriteResult::WriteFailed, QStringLiteral("the moved bytes did not read back"));
    }
    if (log.size() != check.size)
        return fail(WriteResult::WriteFailed, QStringLiteral("the log changed while it was repaired"));
    if (!log.resize(check.strayOffset) || !log.sync())
        return fail(lastCause(WriteResult::WriteFailed), Platform::lastError());
    result.repaired = true;
    result.movedTo = target;
    result.movedBytes = stray.size();
    return result;
}

void keepNewFilesPrivate()
{
    Platform::keepNewFilesPrivate();
}

void setFaultHook(std::function<void(const char *step)> hook)
{
    faultHook() = std::move(hook);
}

} // namespace DataFile
