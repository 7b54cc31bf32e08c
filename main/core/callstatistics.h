#ifndef CALLSTATISTICS_H
#define CALLSTATISTICS_H

#include "callsearch.h"
#include "companionstore.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <map>
#include <vector>

class RecordTableModel;

// What the statistics window shows, counted from the rows the review grid
// holds: calls by day and type, by weekday and hour, the callers and
// companies called most, repeat numbers, and the records whose date or time
// cannot be read, named so that none is left out silently.
namespace CallStatistics {

// In, Out, Msg, and any other letter a record may hold.
enum TypeIndex { In, Out, Msg, OtherType, TypeCount };

struct TypeCounts
{
    std::array<int, TypeCount> calls{};

    int total() const { return calls[In] + calls[Out] + calls[Msg] + calls[OtherType]; }
    bool operator==(const TypeCounts &other) const { return calls == other.calls; }
};

// The type index of a stored type letter.
TypeIndex typeIndexOf(QStringView stored);
// "In", "Out", "Msg" or "Other".
QString typeName(int index);

struct Ranked
{
    QString label; // the caller's name or the company
    QString phone; // callers only: the number as last stored
    int calls = 0;
};

// Records counted apart, named by their record numbers (the first MostNamed).
struct Unreadable
{
    static constexpr int MostNamed = 12;
    int calls = 0;
    QStringList records;
};

struct Counts
{
    int records = 0; // every row the grid holds
    int calls = 0; // the rows counted
    TypeCounts byType;
    std::map<qint64, TypeCounts> days; // by Julian day, readable dates only
    // Monday first; by the hour of the day. Only calls whose date and time can be read.
    std::array<std::array<int, 24>, 7> weekHours{};
    int inWeekHours = 0;
    std::vector<Ranked> topCallers;
    std::vector<Ranked> topCompanies;
    // Counted calls to a number that an earlier record of the log holds.
    int repeatCalls = 0;
    Unreadable dates;
    Unreadable times;
    // Record numbers of the counted rows, ascending; filled when only some rows are counted.
    std::vector<int> numbers;
    bool someRows = false;

    QDate first() const;
    QDate last() const;
    // The day with the most calls (the earliest of equals) and its calls.
    QDate busiestDay(int *calls = nullptr) const;
};

// Counts the grid's rows in one pass in file order; `rows` (the rows a
// filter leaves, in any order) limits the count, null counts them all.
// Numbers seen before are looked for in every earlier record, shown or not.
Counts count(const RecordTableModel &records, const std::vector<int> *rows = nullptr, int top = 10);

enum class Period { Week, Month, Year };

struct PeriodCounts
{
    QDate start;
    QDate end; // the last day
    TypeCounts calls;
};

// Weeks begin on Monday.
QDate periodStart(QDate day, Period period);
QDate nextPeriod(QDate start, Period period);
// Every period from the first call to the last, empty ones too. Where
// `period` would give more than `most` periods, the next longer one is taken
// and `period` says which.
std::vector<PeriodCounts> perPeriod(const Counts &counts, Period &period, int most = 600);

struct CallBackPoint
{
    QDate start;
    QDate end;
    int open = 0; // made and not done at the period's end
    int overdue = 0; // of those, due before it
};

// For each period from the first call-back's making to `now`: the call-backs
// open and overdue at its end (or at `now`, for the period that holds it).
// With `numbers` (ascending), only the call-backs of those records count.
std::vector<CallBackPoint> callBacksOverTime(const std::vector<CallBack> &callBacks, Period period,
                                             const QDateTime &now, const std::vector<int> *numbers = nullptr);

// Dates as the log shows them: mm/dd/yyyy.
QString shownDate(QDate date);
// "1,234"
QString shownNumber(qint64 n);
QString periodName(Period period); // "week"
QString periodLabel(const PeriodCounts &counts, Period period);

// "All 5,000 calls in the log" or "1,234 of 5,000 calls: search "acme", type In".
QString scopeLine(const Counts &counts, const CallSearch::Filter &filter);
// Calls in the period, the busiest day and the share to numbers seen before.
QString summaryLine(const Counts &counts);
// "3 calls with dates that could not be read: records 12, 40, 77 (...)", one
// line for dates and one for times; empty when all could be read.
QStringList unreadableLines(const Counts &counts);

} // namespace CallStatistics

#endif // CALLSTATISTICS_H
