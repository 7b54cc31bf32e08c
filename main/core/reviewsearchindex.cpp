#include "reviewsearchindex.h"

#include "datafile.h"
#include "reviewrows.h"

#include <QDate>

#include <algorithm>
#include <cstring>
#include <functional>
#include <thread>

namespace {

constexpr int StatusColumn = 1;
constexpr int TypeColumn = 2;
constexpr int DateColumn = 3;
constexpr int PhoneColumn = 4;
// Name, company and notes: what the words of a search are looked for in.
constexpr int WordColumns[] = {6, 7, 8};

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The text of a cell folded as CallSearch::fold folds it, in the rows' own
// bytes. Most texts are plain ASCII and are only lowered.
void putFolded(QByteArrayView bytes, std::vector<char> &out)
{
    if (isAscii(bytes)) {
        for (char c : bytes)
            out.push_back(c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c);
        return;
    }
    char16_t units[ReviewRows::MaxTextUnits];
    const QString folded =
        CallSearch::fold(QString(reinterpret_cast<const QChar *>(units), ReviewRows::getUnits(bytes, units)));
    const size_t at = out.size();
    out.resize(at + 3 * size_t(folded.size()));
    out.resize(size_t(ReviewRows::putUnits(folded, out.data() + at) - out.data()));
}

QByteArray encoded(const QString &text)
{
    QByteArray bytes(3 * text.size(), Qt::Uninitialized);
    bytes.resize(ReviewRows::putUnits(text, bytes.data()) - bytes.constData());
    return bytes;
}

// A cell of exactly one unit as that unit, otherwise 0.
char16_t letterOf(const ReviewRows &rows, qint64 row, int column)
{
    char16_t units[ReviewRows::MaxTextUnits];
    return ReviewRows::getUnits(rows.bytes(row, column), units) == 1 ? units[0] : char16_t(0);
}

qint32 dayOf(const ReviewRows &rows, qint64 row)
{
    char16_t units[ReviewRows::MaxTextUnits];
    const QStringView date(units, rows.units(row, DateColumn, units));
    int year = 0;
    int month = 0;
    int day = 0;
    return CallSearch::storedDateParts(date, year, month, day) ? qint32(QDate(year, month, day).toJulianDay()) : 0;
}

} // namespace

QByteArrayView ReviewSearchIndex::Texts::row(qint64 r) const
{
    return QByteArrayView(bytes.data() + starts[size_t(r)], qsizetype(starts[size_t(r) + 1] - starts[size_t(r)] - 1));
}

void ReviewSearchIndex::Texts::find(QByteArrayView needle, unsigned char *hit) const
{
    const qint64 rows = qint64(starts.size()) - 1;
    if (needle.isEmpty()) {
        std::fill(hit, hit + rows, 1);
        return;
    }
    // A long log is searched in parts, one a core; each part sets only its own rows.
    const qint64 parts = rows >= SplitFrom ? qBound(1, DataFile::hashThreads(), 8) : 1;
    std::vector<std::thread> helpers;
    for (qint64 part = 1; part < parts; ++part)
        helpers.emplace_back([=] { findIn(needle, hit, rows * part / parts, rows * (part + 1) / parts); });
    findIn(needle, hit, 0, rows / parts);
    for (std::thread &helper : helpers)
        helper.join();
}

void ReviewSearchIndex::Texts::findIn(QByteArrayView needle, unsigned char *hit, qint64 firstRow, qint64 endRow) const
{
    if (firstRow >= endRow)
        return;
    const char *const begin = bytes.data();
    const char *const end = begin + starts[size_t(endRow)];
    const std::boyer_moore_horspool_searcher searcher(needle.begin(), needle.end());
    const char *at = begin + starts[size_t(firstRow)];
    qint64 row = firstRow;
    while (at < end) {
        const char *found = needle.size() == 1
            ? static_cast<const char *>(std::memchr(at, needle.front(), size_t(end - at)))
            : std::search(at, end, searcher);
        if (!found || found == end)
            break;
        const quint64 offset = quint64(found - begin);
        if (offset >= starts[size_t(row) + 1])
            row =
                qint64(std::upper_bound(starts.begin() + row + 1, starts.begin() + endRow + 1, offset) - starts.begin())
                - 1;
        // A row's text ends before its line feed; the next row's begins after it.
        if (offset + quint64(needle.size()) < starts[size_t(row) + 1]) {
            hit[row] = 1;
            at = begin + starts[size_t(row) + 1];
        } else {
            at = found + 1;
        }
    }
}

void ReviewSearchIndex::clear()
{
    *this = ReviewSearchIndex();
}

void ReviewSearchIndex::add(const ReviewRows &rows, qint64 row)
{
    for (int column : WordColumns) {
        putFolded(rows.bytes(row, column), m_words.bytes);
        m_words.bytes.push_back('\n');
    }
    m_words.starts.push_back(m_words.bytes.size());
    for (char c : rows.bytes(row, PhoneColumn)) {
        if (c >= '0' && c <= '9')
            m_digits.bytes.push_back(c);
    }
    m_digits.bytes.push_back('\n');
    m_digits.starts.push_back(m_digits.bytes.size());
    m_types.push_back(letterOf(rows, row, TypeColumn));
    m_statuses.push_back(letterOf(rows, row, StatusColumn));
    m_days.push_back(dayOf(rows, row));
}

void ReviewSearchIndex::build(const ReviewRows &rows)
{
    clear();
    const qint64 n = rows.size();
    // Room for every row at once: folding keeps an ASCII text's length.
    size_t words = 0;
    size_t digits = 0;
    for (qint64 row = 0; row < n; ++row) {
        for (int column : WordColumns)
            words += size_t(rows.bytes(row, column).size()) + 1;
        digits += size_t(rows.bytes(row, PhoneColumn).size()) + 1;
    }
    m_words.bytes.reserve(words);
    m_digits.bytes.reserve(digits);
    for (Texts *texts : {&m_words, &m_digits}) {
        texts->starts.reserve(size_t(n) + 1);
        texts->starts.push_back(0);
    }
    m_types.reserve(size_t(n));
    m_statuses.reserve(size_t(n));
    m_days.reserve(size_t(n));
    for (qint64 row = 0; row < n; ++row)
        add(rows, row);
}

std::vector<unsigned char> ReviewSearchIndex::matches(const CallSearch::Filter &filter) const
{
    const CallSearch::Matcher matcher(filter);
    const size_t n = size_t(size());
    const bool onlyWords = filter.type.isNull() && filter.status == CallSearch::StatusChoice::Any
        && !filter.from.isValid() && !filter.to.isValid();
    std::vector<unsigned char> pass(n, 1);
    for (size_t row = 0; !onlyWords && row < n; ++row)
        pass[row] = matcher.fieldsMatch(QChar(m_types[row]), QChar(m_statuses[row]), m_days[row]);
    std::vector<unsigned char> hit(n);
    for (const CallSearch::Matcher::Term &term : matcher.terms()) {
        std::fill(hit.begin(), hit.end(), 0);
        m_words.find(encoded(term.folded), hit.data());
        if (!term.digits.isEmpty())
            m_digits.find(encoded(term.digits), hit.data());
        for (size_t row = 0; row < n; ++row)
            pass[row] &= hit[row];
    }
    return pass;
}
