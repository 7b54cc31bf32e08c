#ifndef CALLSEARCH_H
#define CALLSEARCH_H

#include "callrecord.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

class QCollator;

// Finding calls in the log: the search text, the filters and the sort keys of
// the review grid, as pure functions over the stored texts.
namespace CallSearch {

// Case and accents folded away, so that "diaz" finds "Díaz".
QString fold(const QString &text);
// The digits of a phone number alone: "(800) 555-1234" gives "8005551234".
QString phoneDigits(const QString &text);

// A stored date (m/d/yyyy, with or without leading zeros) as a date; an
// invalid date when the text is not one.
QDate storedDate(QStringView text);
// The same as year, month and day; false when the text is not a date.
bool storedDateParts(QStringView text, int &year, int &month, int &day);
// A stored time ("9:30AM", " 2:05PM" or a 24-hour "14:05") as minutes after
// midnight; -1 when the text is not a time.
int storedMinutes(QStringView text);

// A date typed into a filter field: m/d/yyyy or yyyy-mm-dd. Blank is an open
// bound; anything else that is not a date is refused.
struct DateBound
{
    bool blank = true;
    bool valid = true;
    QDate date;
};
DateBound parseDateBound(const QString &text);

enum class StatusChoice { Any, AlteredOrEdited, Altered, Edited };

struct Filter
{
    QString text; // the search box as typed
    QChar type; // 'I', 'O', 'M', or null for every type
    QDate from; // invalid: open
    QDate to; // invalid: open
    StatusChoice status = StatusChoice::Any;
    bool openCallBacksOnly = false; // only calls with a call-back not yet done

    bool isEmpty() const;
};

// What a record offers to the search, prepared once per log.
struct Row
{
    QString words; // folded name, company and notes, one per line
    QString digits; // digits of the phone
    QChar type;
    QChar status;
    qint64 day = 0; // Julian day of the date, 0 when it cannot be read
};
Row rowOf(const CallRecord &record);

// A filter prepared once for a pass over every row.
class Matcher
{
public:
    explicit Matcher(const Filter &filter);
    bool matches(const Row &row) const;

    // The type, status and date part of matches(); the words are left out.
    bool fieldsMatch(QChar type, QChar status, qint64 day) const;
    struct Term
    {
        QString folded;
        QString digits; // set when the term is a phone number or part of one
    };
    // Every term must be found in the words, or in the digits where it has them.
    const std::vector<Term> &terms() const { return m_terms; }

private:
    std::vector<Term> m_terms;
    Filter m_filter;
};

// Rank of each text in the order of `collator`; equal texts share a rank.
std::vector<int> collationRanks(const std::vector<QString> &texts, const QCollator &collator);

} // namespace CallSearch

#endif // CALLSEARCH_H
