// Reading a whole log: every record re-checked on every core, the records
// handed on a chunk at a time, and the "X" marks written once at the end.

#include "datafile.h"

#include "callentry.h"
#include "platform.h"
#include "sharedwork.h"

#include <QThread>

#include <algorithm>
#include <atomic>
#include <memory>
#include <utility>

namespace DataFile {

namespace {

std::atomic<int> &threadSetting()
{
    static std::atomic<int> threads{0};
    return threads;
}

// Records hashed by one thread at a time.
constexpr qint64 HashBatch = 256;

// What a slot holds, as judged while the log is read.
enum Verdict : unsigned char { Good, Fails, Empty, Unread };

// Reads slots `first` to `first + n - 1`. A slot that lies wholly in a hole
// of a sparse file is judged empty without being read. Progress is reported
// after each piece of about a megabyte; false when a read fails.
bool readSlots(LogReader &reader, qint64 first, qint64 n, CallRecord *into, Verdict *verdicts,
               const std::function<bool(qint64 done)> &piece)
{
    constexpr qint64 pieceRecords = 1024;
    QFile &file = reader.file();
    qint64 slot = first;
    const qint64 end = first + n;
    while (slot < end) {
        const qint64 offset = slot * RecordSize;
        const qint64 data = Platform::nextData(file, offset);
        // Slots before the next stored byte are zeros on the disk.
        const qint64 firstStored = data < 0 ? end : qMin(end, data / RecordSize);
        if (firstStored > slot) {
            std::fill(verdicts + (slot - first), verdicts + (firstStored - first), Empty);
            slot = firstStored;
        } else {
            const qint64 hole = Platform::nextHole(file, qMax(offset, data));
            const qint64 stored = qBound(slot + 1, (hole + RecordSize - 1) / RecordSize, end);
            const qint64 count = qMin(pieceRecords, stored - slot);
            if (!reader.read(slot, count, into + (slot - first)))
                return false;
            std::fill(verdicts + (slot - first), verdicts + (slot - first + count), Unread);
            slot += count;
        }
        if (!piece(slot))
            return true;
    }
    return true;
}

int threadsFor(int asked)
{
    return asked > 0 ? asked : hashThreads();
}

bool allZero(const CallRecord &record)
{
    return std::all_of(record.bytes.begin(), record.bytes.end(), [](unsigned char b) { return b == 0; });
}

// Records read and judged at a time; two chunks are held, one being checked
// while the next is read and the one before is handed on.
constexpr qint64 ChunkRecords = 16384;

struct Chunk
{
    // On large pages where the system has them, and left as allocated: a
    // hole is never read into it.
    struct Storage
    {
        explicit Storage(qint64 records)
            : bytes(size_t(records) * sizeof(CallRecord))
            , room(bytes == 0 ? nullptr : Platform::allocateLargeBlock(bytes))
        {
            if (bytes != 0 && !room)
                throw std::bad_alloc();
        }
        Storage(Storage &&other) noexcept
            : bytes(std::exchange(other.bytes, 0))
            , room(std::exchange(other.room, nullptr))
        {
        }
        Storage &operator=(Storage &&other) noexcept
        {
            std::swap(bytes, other.bytes);
            std::swap(room, other.room);
            return *this;
        }
        ~Storage()
        {
            if (room)
                Platform::freeLargeBlock(room, bytes);
        }

        size_t bytes;
        void *room;
    };
    Storage storage;
    std::vector<Verdict> verdicts;
    qint64 first = 0;
    qint64 n = 0;

    explicit Chunk(qint64 records)
        : storage(records)
        , verdicts(size_t(records))
    {
    }
    CallRecord *records() { return static_cast<CallRecord *>(storage.room); }
};

// One scan of a log: its chunks read in file order, each checked on every
// core while the next is read and the one before handed to the visitor,
// then the marks.
class Scanner
{
public:
    Scanner(const QString &path, ScanMode mode, const RecordVisitor &visit, const ScanOptions &options)
        : m_path(path)
        , m_marking(mode == ScanMode::CheckAndMark)
        , m_visit(visit)
        , m_options(options)
        , m_reader(path)
    {
    }

    ScanOutcome run();

private:
    bool open();
    bool read(Chunk &chunk, qint64 first);
    std::unique_ptr<SharedWork> judge(Chunk &chunk);
    void handOut(Chunk &chunk);
    void writeMarks();
    void markFailed(qint64 slot);

    const QString &m_path;
    const bool m_marking;
    const RecordVisitor &m_visit;
    const ScanOptions &m_options;
    ScanOutcome m_outcome;
    LogReader m_reader;
    // The one writer of the marks.
    std::unique_ptr<Platform::File> m_marker;
    std::vector<qint64> m_toMark;
};

bool Scanner::open()
{
    m_outcome.check = checkLog(m_path);
    const LogCheck &check = m_outcome.check;
    // Opened before the log is read, so that a log that cannot take marks is known at once.
    if (m_marking && m_options.mayWrite && check.writable() && lockHolder(m_path) == 0) {
        m_marker = std::make_unique<Platform::File>(m_path, Platform::File::Open::ReadWrite);
        if (!m_marker->isOpen())
            m_marker.reset();
    }
    if (!m_reader.open())
        return false;
    m_outcome.opened = true;
    m_outcome.readOnly = m_marking && !m_marker;
    return check.state != LogState::NotALog && check.state != LogState::Unreadable;
}

// False when the chunk could not be read or the scan was cancelled.
bool Scanner::read(Chunk &chunk, qint64 first)
{
    const qint64 total = m_reader.count();
    chunk.first = first;
    chunk.n = qMin(ChunkRecords, total - first);
    const auto piece = [&](qint64 done) {
        m_outcome.cancelled = m_options.progress && !m_options.progress(done, total);
        return !m_outcome.cancelled;
    };
    if (!readSlots(m_reader, first, chunk.n, chunk.records(), chunk.verdicts.data(), piece)) {
        m_outcome.opened = false;
        return false;
    }
    return !m_outcome.cancelled;
}

std::unique_ptr<SharedWork> Scanner::judge(Chunk &chunk)
{
    CallRecord *records = chunk.records();
    Verdict *verdicts = chunk.verdicts.data();
    const bool marking = m_marking;
    const RecordPreparer *prepare = m_options.prepare ? &m_options.prepare : nullptr;
    const qint64 first = chunk.first;
    // Without hashing there is too little to share out, unless the records are prepared too.
    const int threads = marking || prepare ? threadsFor(m_options.threads) : 1;
    return std::make_unique<SharedWork>(
        chunk.n, HashBatch, threads, [records, verdicts, marking, prepare, first](qint64 begin, qint64 end) {
            for (qint64 i = begin; i < end; ++i) {
                Verdict &verdict = verdicts[i];
                if (verdict == Empty || allZero(records[i]))
                    verdict = Empty;
                else if (!marking || records[i].verify())
                    verdict = Good;
                else {
                    verdict = Fails;
                    setStatus(records[i], RecordStatus::Compromised);
                }
            }
            if (!prepare)
                return;
            // While the batch is still in this core's cache.
            qint64 run = begin;
            for (qint64 i = begin; i <= end; ++i) {
                if (i < end && verdicts[i] != Empty)
                    continue;
                if (i > run)
                    (*prepare)(records + run, first + run, i - run);
                run = i + 1;
            }
        });
}

// Runs of records between the empty slots go to the visitor.
void Scanner::handOut(Chunk &chunk)
{
    CallRecord *records = chunk.records();
    const qint64 n = chunk.n;
    qint64 run = 0;
    for (qint64 i = 0; i <= n && !m_outcome.cancelled; ++i) {
        if (i < n && chunk.verdicts[size_t(i)] != Empty) {
            // Only a record in its own slot takes a mark.
            if (chunk.verdicts[size_t(i)] == Fails && namesSlot(records[i], chunk.first + i + 1))
                m_toMark.push_back(chunk.first + i);
            continue;
        }
        if (i > run) {
            m_outcome.listed += i - run;
            m_outcome.cancelled = m_visit && !m_visit(records + run, chunk.first + run, i - run);
        }
        if (i < n && m_outcome.emptySlots++ == 0)
            m_outcome.firstEmptyOffset = (chunk.first + i) * RecordSize;
        run = i + 1;
    }
}

ScanOutcome Scanner::run()
{
    if (!open())
        return m_outcome;
    const qint64 total = m_reader.count();
    if (m_options.starting)
        m_options.starting(total);
    const qint64 chunkSize = qMin(total, ChunkRecords);
    Chunk current(chunkSize);
    Chunk next(total > ChunkRecords ? chunkSize : 0);
    if (total > 0 && !read(current, 0))
        return m_outcome;
    std::unique_ptr<SharedWork> judging = total > 0 ? judge(current) : nullptr;
    while (judging) {
        const qint64 following = current.first + current.n;
        const bool more = following < total;
        if (more && !read(next, following))
            return m_outcome; // judging is cancelled on the way out
        judging->finish();
        judging = more ? judge(next) : nullptr;
        handOut(current);
        if (m_outcome.cancelled)
            return m_outcome;
        std::swap(current, next);
    }
    if (m_marker && m_outcome.emptySlots == 0)
        writeMarks();
    return m_outcome;
}

void Scanner::markFailed(qint64 slot)
{
    m_outcome.markFailed = true;
    m_outcome.markError = Platform::lastError();
    m_outcome.unmarked.push_back(slot);
}

// The marks, in record order. Each slot is read again just before it is
// written, so that a record changed since it was judged is left alone.
void Scanner::writeMarks()
{
    for (qint64 slot : m_toMark) {
        CallRecord record;
        const qint64 offset = slot * RecordSize;
        if (!m_marker->readAt(record.bytes.data(), RecordSize, offset)) {
            markFailed(slot);
            continue;
        }
        if (record.verify() || !namesSlot(record, slot + 1))
            continue;
        setStatus(record, RecordStatus::Compromised);
        if (m_marker->writeAt(record.bytes.data(), RecordSize, offset))
            ++m_outcome.marked;
        else
            markFailed(slot);
    }
    if (m_outcome.marked > 0 && !m_marker->sync()) {
        m_outcome.markFailed = true;
        m_outcome.markError = Platform::lastError();
    }
}

} // namespace

int hashThreads()
{
    const int set = threadSetting().load();
    return set > 0 ? set : qMax(1, QThread::idealThreadCount());
}

void setHashThreads(int threads)
{
    threadSetting().store(qMax(0, threads));
}

std::vector<qint64> failingRecords(const CallRecord *records, qint64 n, int threads)
{
    std::vector<unsigned char> fails(size_t(qMax<qint64>(n, 0)));
    SharedWork::run(n, HashBatch, threadsFor(threads), [&](qint64 begin, qint64 end) {
        for (qint64 i = begin; i < end; ++i)
            fails[size_t(i)] = !records[i].verify();
    });
    std::vector<qint64> failing;
    for (qint64 i = 0; i < n; ++i) {
        if (fails[size_t(i)])
            failing.push_back(i);
    }
    return failing;
}

ScanOutcome scan(const QString &path, ScanMode mode, const RecordVisitor &visit, const ScanOptions &options)
{
    return Scanner(path, mode, visit, options).run();
}

ScanOutcome scan(const QString &path, ScanMode mode, std::vector<CallRecord> &records, const Progress &progress,
                 bool mayWrite)
{
    records.clear();
    ScanOptions options;
    options.progress = progress;
    options.mayWrite = mayWrite;
    options.starting = [&records](qint64 expected) {
        // Room for every record at once.
        records.reserve(size_t(expected));
        Platform::adviseLargePages(records.data(), size_t(expected) * sizeof(CallRecord));
    };
    ScanOutcome outcome = scan(
        path, mode,
        [&records](const CallRecord *block, qint64, qint64 n) {
            records.insert(records.end(), block, block + n);
            return true;
        },
        options);
    if (outcome.cancelled || !outcome.opened) {
        records.clear();
        return outcome;
    }
    // Marks are written only into a log without empty slots, where the
    // records are their slots: show what the file holds where a mark failed.
    for (qint64 slot : outcome.unmarked) {
        CallRecord asFiled;
        if (slot < qint64(records.size()) && readRecord(path, int(slot + 1), asFiled) == ReadResult::Ok)
            records[size_t(slot)] = asFiled;
    }
    return outcome;
}

bool scanRecords(const QString &path, ScanMode mode, std::vector<CallRecord> &records)
{
    return scan(path, mode, records).opened;
}

} // namespace DataFile
