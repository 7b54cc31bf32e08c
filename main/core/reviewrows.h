#ifndef REVIEWROWS_H
#define REVIEWROWS_H

#include "callrecord.h"

#include <QByteArrayView>
#include <QString>

#include <array>
#include <memory>
#include <vector>

// The texts the review grid shows, nine a record, kept compact: a record's
// texts lie side by side in one arena, each unit of UTF-16 written as UTF-8
// writes it alone (so a text comes back unit for unit, a lone surrogate
// included), and for each record only where its texts start and end. A
// record of 992 bytes costs about an eighth of that.
class ReviewRows
{
public:
    static constexpr int ColumnCount = 9;
    // Field shown in each column, left to right.
    static const std::array<CallRecord::Field, ColumnCount> ColumnFields;
    // Most UTF-16 units of one text: the notes.
    static constexpr int MaxTextUnits = CallRecord::MaxFieldWidth;

    ReviewRows() = default;
    ReviewRows(ReviewRows &&) noexcept = default;
    ReviewRows &operator=(ReviewRows &&) noexcept = default;

    // The rows of a run of records, made apart on any thread and added with
    // append() in the order of the records.
    struct Made
    {
        qint64 firstSlot = 0;
        std::vector<std::array<quint16, ColumnCount>> ends;
        std::unique_ptr<char[]> bytes;
        qint64 size = 0;
    };
    static Made make(const CallRecord *records, qint64 firstSlot, qint64 n);

    void reserve(qint64 rows);
    // Adds `n` records as rows; `firstSlot` is the place of the first in the
    // data file, counted from 0, and the others follow it. The texts are
    // made on every core.
    void append(const CallRecord *records, qint64 firstSlot, qint64 n);
    void append(const Made &made);
    // Row `row` shows `record` from now on.
    void replace(qint64 row, const CallRecord &record);

    qint64 size() const { return qint64(m_starts.size()); }
    QString text(qint64 row, int column) const;
    // The text as stored; the same text always has the same bytes.
    QByteArrayView bytes(qint64 row, int column) const;
    // The text's UTF-16 units, copied to `units` (MaxTextUnits at least); returns how many.
    int units(qint64 row, int column, char16_t *units) const;

    // The bytes that stand for `text`, written to `to` (three for each unit
    // at most); returns where they end. The bytes of a text hold those of
    // another exactly when the text holds the other.
    static char *putUnits(QStringView text, char *to);
    // The units that `bytes` stand for, written to `to`; returns how many.
    static int getUnits(QByteArrayView bytes, char16_t *to);

    // The slot of the record on row `row`, counted from 0.
    qint64 slot(qint64 row) const;
    // The row of the record in slot `slot`; -1 when none shows it.
    qint64 rowOf(qint64 slot) const;

private:
    static constexpr int BlockShift = 22;
    static constexpr qint64 BlockBytes = qint64(1) << BlockShift;

    struct FreeBlock
    {
        void operator()(char *block) const;
    };
    using Block = std::unique_ptr<char[], FreeBlock>;

    static char *putRow(const CallRecord &record, char *to, std::array<quint16, ColumnCount> &ends);
    char *roomFor(qint64 bytes);
    quint64 placeOf(const char *at) const;
    const char *rowBytes(qint64 row) const;

    // Fixed blocks, never moved: the arena grows without copying what it holds.
    std::vector<Block> m_blocks;
    qint64 m_used = BlockBytes; // bytes taken in the last block
    // Where each row's texts start: block number and place in the block.
    std::vector<quint64> m_starts;
    // Where each of a row's texts ends, counted from the row's start.
    std::vector<std::array<quint16, ColumnCount>> m_ends;
    // The rows that begin a run of records in consecutive slots.
    struct Run
    {
        qint64 row;
        qint64 slot;
    };
    std::vector<Run> m_runs;
};

#endif // REVIEWROWS_H
