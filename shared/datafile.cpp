#include "datafile.h"

#include "platform.h"

#include <QFile>

#include <cstdint>

namespace DataFile {

namespace {

bool readAt(QFile &file, qint64 offset, CallRecord &record)
{
    return file.seek(offset)
        && file.read(reinterpret_cast<char *>(record.bytes.data()), RecordSize) == RecordSize;
}

bool writeAt(QFile &file, qint64 offset, const CallRecord &record)
{
    return file.seek(offset)
        && file.write(reinterpret_cast<const char *>(record.bytes.data()), RecordSize) == RecordSize
        && file.flush();
}

// Flushes Qt's buffer and asks the system to put the bytes on the disk.
bool sync(QFile &file)
{
    return file.flush() && Platform::syncToDisk(file);
}

// Second half of a store: read the record back from `offset`, hash what is
// on disk and write it again with its hash.
bool hashInPlace(const QString &path, qint64 offset, CallRecord &record)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        return false;
    CallRecord onDisk;
    if (!readAt(file, offset, onDisk))
        return false;
    onDisk.setText(CallRecord::Hash, onDisk.computeHash());
    if (!writeAt(file, offset, onDisk) || !sync(file))
        return false;
    record = onDisk;
    return true;
}

// A long log is read into one large block.
using Platform::adviseLargePages;

} // namespace

int findRecordCount(const QString &path, CallRecord *lastRecord)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const qint64 size = file.size();
    CallRecord last;
    if (size < RecordSize || !readAt(file, size - RecordSize, last))
        return 0;
    if (lastRecord)
        *lastRecord = last;
    return last.number();
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

bool appendRecord(const QString &path, CallRecord &record)
{
    const bool existed = QFile::exists(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const qint64 oldSize = file.size();
    // Record n belongs at (n - 1) * 992. A file that is not whole records, or
    // whose records do not end where this one begins, would put it off its slot.
    const bool fits = oldSize % RecordSize == 0 && oldSize / RecordSize + 1 == record.number();
    const bool written = fits && writeAt(file, oldSize, record);
    file.close();
    if (written && hashInPlace(path, oldSize, record))
        return true;
    // Take the unfinished record away again; what was there before stays as it was.
    if (existed)
        QFile::resize(path, oldSize);
    else
        QFile::remove(path);
    return false;
}

bool rewriteRecord(const QString &path, int n, CallRecord &record)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        return false;
    if (n < 1 || qint64(n) * RecordSize > file.size() || record.number() != n)
        return false;
    const qint64 offset = qint64(n - 1) * RecordSize;
    CallRecord previous;
    if (!readAt(file, offset, previous))
        return false;
    const bool written = writeAt(file, offset, record);
    file.close();
    if (written && hashInPlace(path, offset, record))
        return true;
    // Put the record back as it was before this save.
    QFile restore(path);
    if (restore.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) {
        writeAt(restore, offset, previous);
        sync(restore);
    }
    return false;
}

bool scanRecords(const QString &path, ScanMode mode, std::vector<CallRecord> &records)
{
    records.clear();
    QFile file(path);
    const QIODevice::OpenMode openMode = mode == ScanMode::CheckAndMark
        ? QIODevice::ReadWrite | QIODevice::ExistingOnly
        : QIODevice::ReadOnly;
    if (!file.open(openMode))
        return false;
    const qint64 size = file.size();
    CallRecord last;
    if (size < RecordSize || !readAt(file, size - RecordSize, last))
        return true;
    const qint64 wanted = qMin<qint64>(qMax(last.number(), 0), size / RecordSize);
    records.reserve(size_t(wanted));
    adviseLargePages(records.data(), size_t(wanted) * sizeof(CallRecord));
    records.resize(size_t(wanted));
    if (wanted == 0)
        return true;
    static_assert(sizeof(CallRecord) == RecordSize, "records are read as one block");
    const qint64 bytes = wanted * RecordSize;
    if (!file.seek(0) || file.read(reinterpret_cast<char *>(records.data()), bytes) != bytes) {
        records.clear();
        return true;
    }
    if (mode == ScanMode::CheckAndMark) {
        bool marked = false;
        for (size_t i = 0; i < records.size(); ++i) {
            CallRecord &record = records[i];
            if (record.verify())
                continue;
            record.setText(CallRecord::Status, QStringLiteral("X"));
            writeAt(file, qint64(i) * RecordSize, record);
            marked = true;
        }
        if (marked)
            sync(file);
    }
    return true;
}

} // namespace DataFile
