#include "reviewrows.h"

#include "datafile.h"
#include "platform.h"
#include "sharedwork.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {

struct Place
{
    int offset; // in the record, in bytes
    int width; // in units, terminator included
};

// Where each column's field lies in a record, looked up once.
const std::array<Place, ReviewRows::ColumnCount> &places()
{
    static const std::array<Place, ReviewRows::ColumnCount> table = [] {
        std::array<Place, ReviewRows::ColumnCount> found{};
        for (int column = 0; column < ReviewRows::ColumnCount; ++column) {
            const CallRecord::Field field = ReviewRows::ColumnFields[size_t(column)];
            found[size_t(column)] = {CallRecord::offset(field), CallRecord::width(field)};
        }
        return found;
    }();
    return table;
}

// The bytes of all nine texts of a row, at most.
constexpr qint64 MostRowBytes = [] {
    int units = 2 + 15 + 3 + 12 + 14 + 10 + 75 + 50 + 200; // the fields' widths
    return qint64(3) * units;
}();

inline char *putUnit(char16_t unit, char *to)
{
    if (unit < 0x80) {
        *to++ = char(unit);
    } else if (unit < 0x800) {
        *to++ = char(0xC0 | (unit >> 6));
        *to++ = char(0x80 | (unit & 0x3F));
    } else {
        *to++ = char(0xE0 | (unit >> 12));
        *to++ = char(0x80 | ((unit >> 6) & 0x3F));
        *to++ = char(0x80 | (unit & 0x3F));
    }
    return to;
}

// The field's text up to its terminator, read straight from the record's
// little-endian bytes: every record of a long log passes here. Most texts
// are ASCII, taken four units at a time.
char *putField(const unsigned char *record, const Place &place, char *to)
{
    const unsigned char *p = record + place.offset;
    int i = 0;
    for (; i + 4 <= place.width; i += 4) {
        quint64 four;
        std::memcpy(&four, p + 2 * i, sizeof four);
        four = qFromLittleEndian(four);
        // Every unit 1 to 127: no high bits, and no unit zero.
        constexpr quint64 high = 0xFF80FF80FF80FF80ull;
        constexpr quint64 low = 0x0001000100010001ull;
        if ((four & high) != 0 || ((four - low) & ~four & 0x8000800080008000ull) != 0)
            break;
        to[0] = char(four);
        to[1] = char(four >> 16);
        to[2] = char(four >> 32);
        to[3] = char(four >> 48);
        to += 4;
    }
    for (; i < place.width; ++i) {
        const char16_t unit = char16_t(p[2 * i] | (p[2 * i + 1] << 8));
        if (unit == 0)
            break;
        to = putUnit(unit, to);
    }
    return to;
}

// Records whose texts one thread makes at a time.
constexpr qint64 AppendBatch = 1024;


} // namespace

const std::array<CallRecord::Field, ReviewRows::ColumnCount> ReviewRows::ColumnFields = {
    CallRecord::RecordNumber, CallRecord::Status, CallRecord::Type,    CallRecord::Date,  CallRecord::Phone,
    CallRecord::Time,         CallRecord::Name,   CallRecord::Company, CallRecord::Notes,
};

char *ReviewRows::putUnits(QStringView text, char *to)
{
    for (QChar c : text)
        to = putUnit(c.unicode(), to);
    return to;
}

int ReviewRows::getUnits(QByteArrayView bytes, char16_t *to)
{
    const auto *b = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype n = bytes.size();
    int count = 0;
    for (qsizetype i = 0; i < n;) {
        const unsigned char lead = b[i];
        if (lead < 0x80) {
            to[count++] = lead;
            i += 1;
        } else if (lead < 0xE0) {
            to[count++] = char16_t(((lead & 0x1F) << 6) | (b[i + 1] & 0x3F));
            i += 2;
        } else {
            to[count++] = char16_t(((lead & 0x0F) << 12) | ((b[i + 1] & 0x3F) << 6) | (b[i + 2] & 0x3F));
            i += 3;
        }
    }
    return count;
}

void ReviewRows::FreeBlock::operator()(char *block) const
{
    Platform::freeLargeBlock(block, size_t(BlockBytes));
}

void ReviewRows::reserve(qint64 rows)
{
    m_starts.reserve(size_t(rows));
    m_ends.reserve(size_t(rows));
    Platform::adviseLargePages(m_starts.data(), m_starts.capacity() * sizeof(m_starts[0]));
    Platform::adviseLargePages(m_ends.data(), m_ends.capacity() * sizeof(m_ends[0]));
}

char *ReviewRows::roomFor(qint64 bytes)
{
    // What is placed at once never straddles two blocks.
    if (m_blocks.empty() || m_used + bytes > BlockBytes) {
        // On large pages where the system has them: a long log fills many
        // blocks, and setting up fresh memory a small page at a time is slow.
        Block block(static_cast<char *>(Platform::allocateLargeBlock(size_t(BlockBytes))));
        if (!block)
            throw std::bad_alloc();
        m_blocks.push_back(std::move(block));
        m_used = 0;
    }
    return m_blocks.back().get() + m_used;
}

quint64 ReviewRows::placeOf(const char *at) const
{
    return (quint64(m_blocks.size() - 1) << BlockShift) | quint64(at - m_blocks.back().get());
}

// The row's texts written at `to`, their ends noted; returns where they end.
char *ReviewRows::putRow(const CallRecord &record, char *to, std::array<quint16, ColumnCount> &ends)
{
    char *const start = to;
    for (int column = 0; column < ColumnCount; ++column) {
        to = putField(record.bytes.data(), places()[size_t(column)], to);
        ends[size_t(column)] = quint16(to - start);
    }
    return to;
}

ReviewRows::Made ReviewRows::make(const CallRecord *records, qint64 firstSlot, qint64 n)
{
    // Made in this thread's room, then kept at their size.
    thread_local std::unique_ptr<char[]> room;
    thread_local qint64 roomBytes = 0;
    if (roomBytes < n * MostRowBytes) {
        roomBytes = n * MostRowBytes;
        room.reset(new char[size_t(roomBytes)]);
    }
    Made made;
    made.firstSlot = firstSlot;
    made.ends.resize(size_t(qMax<qint64>(n, 0)));
    char *to = room.get();
    for (qint64 i = 0; i < n; ++i)
        to = putRow(records[i], to, made.ends[size_t(i)]);
    made.size = to - room.get();
    made.bytes.reset(new char[size_t(made.size)]);
    std::memcpy(made.bytes.get(), room.get(), size_t(made.size));
    return made;
}

void ReviewRows::append(const CallRecord *records, qint64 firstSlot, qint64 n)
{
    const qint64 batches = (qMax<qint64>(n, 0) + AppendBatch - 1) / AppendBatch;
    std::vector<Made> made(static_cast<size_t>(batches));
    SharedWork::run(n, AppendBatch, DataFile::hashThreads(), [&](qint64 begin, qint64 end) {
        made[size_t(begin / AppendBatch)] = make(records + begin, firstSlot + begin, end - begin);
    });
    for (const Made &batch : made)
        append(batch);
}

void ReviewRows::append(const Made &made)
{
    const qint64 n = qint64(made.ends.size());
    if (n == 0)
        return;
    if (m_runs.empty() || slot(size() - 1) + 1 != made.firstSlot)
        m_runs.push_back(Run{size(), made.firstSlot});
    char *to = roomFor(made.size);
    std::memcpy(to, made.bytes.get(), size_t(made.size));
    m_used += made.size;
    for (const std::array<quint16, ColumnCount> &ends : made.ends) {
        m_starts.push_back(placeOf(to));
        m_ends.push_back(ends);
        to += ends[ColumnCount - 1];
    }
}

void ReviewRows::replace(qint64 row, const CallRecord &record)
{
    if (row < 0 || row >= size())
        return;
    char *to = roomFor(MostRowBytes);
    m_starts[size_t(row)] = placeOf(to);
    m_used += putRow(record, to, m_ends[size_t(row)]) - to;
}

const char *ReviewRows::rowBytes(qint64 row) const
{
    const quint64 start = m_starts[size_t(row)];
    return m_blocks[size_t(start >> BlockShift)].get() + (start & quint64(BlockBytes - 1));
}

QByteArrayView ReviewRows::bytes(qint64 row, int column) const
{
    if (row < 0 || row >= size() || column < 0 || column >= ColumnCount)
        return QByteArrayView();
    const std::array<quint16, ColumnCount> &ends = m_ends[size_t(row)];
    const int from = column > 0 ? ends[size_t(column - 1)] : 0;
    return QByteArrayView(rowBytes(row) + from, ends[size_t(column)] - from);
}

int ReviewRows::units(qint64 row, int column, char16_t *units) const
{
    return getUnits(bytes(row, column), units);
}

QString ReviewRows::text(qint64 row, int column) const
{
    char16_t units[MaxTextUnits];
    return QString(reinterpret_cast<const QChar *>(units), getUnits(bytes(row, column), units));
}

qint64 ReviewRows::slot(qint64 row) const
{
    const auto after =
        std::upper_bound(m_runs.begin(), m_runs.end(), row, [](qint64 r, const Run &run) { return r < run.row; });
    if (row < 0 || row >= size() || after == m_runs.begin())
        return -1;
    const Run &run = *(after - 1);
    return run.slot + (row - run.row);
}

qint64 ReviewRows::rowOf(qint64 slot) const
{
    const auto after =
        std::upper_bound(m_runs.begin(), m_runs.end(), slot, [](qint64 s, const Run &run) { return s < run.slot; });
    if (after == m_runs.begin())
        return -1;
    const Run &run = *(after - 1);
    const qint64 runEnd = after == m_runs.end() ? size() : after->row;
    const qint64 row = run.row + (slot - run.slot);
    return row < runEnd ? row : -1;
}
