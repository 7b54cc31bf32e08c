#ifndef REVIEWSEARCHINDEX_H
#define REVIEWSEARCHINDEX_H

#include "callsearch.h"

#include <QByteArrayView>

#include <vector>

class ReviewRows;

// What the review's rows offer to the search, for all of them at once: the
// folded name, company and notes of every row in one buffer, the digits of
// every phone in another, and each row's type, status and day. Made on the
// first search after the log is read; a keystroke then costs one pass over
// the buffers. A row passes exactly when CallSearch::Matcher passes the
// CallSearch::Row of its record.
class ReviewSearchIndex
{
public:
    // Fewer rows than this are searched on one core.
    static constexpr qint64 SplitFrom = 200000;

    void build(const ReviewRows &rows);
    void clear();
    qint64 size() const { return qint64(m_types.size()); }

    // One byte a row: 1 where the row passes `filter`.
    std::vector<unsigned char> matches(const CallSearch::Filter &filter) const;

private:
    // The texts of all rows, each row's bytes followed by a line feed.
    struct Texts
    {
        std::vector<char> bytes;
        std::vector<quint64> starts; // one more than there are rows
        QByteArrayView row(qint64 r) const;
        // Sets hit[r] for every row r whose text holds `needle`.
        void find(QByteArrayView needle, unsigned char *hit) const;
        // The same for rows firstRow to endRow - 1.
        void findIn(QByteArrayView needle, unsigned char *hit, qint64 firstRow, qint64 endRow) const;
    };

    void add(const ReviewRows &rows, qint64 row);

    Texts m_words;
    Texts m_digits;
    std::vector<char16_t> m_types; // 0 when the type is not one letter
    std::vector<char16_t> m_statuses;
    std::vector<qint32> m_days; // Julian day, 0 when the date cannot be read
};

#endif // REVIEWSEARCHINDEX_H
