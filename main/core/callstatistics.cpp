#include "callstatistics.h"

#include "callentry.h"
#include "recordtablemodel.h"

#include <QHash>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace CallStatistics {

namespace {

int columnOf(CallRecord::Field field)
{
    const auto &fields = RecordTableModel::ColumnFields;
    return int(std::find(fields.begin(), fields.end(), field) - fields.begin());
}

struct Columns
{
    int record = columnOf(CallRecord::RecordNumber);
    int type = columnOf(CallRecord::Type);
    int date = columnOf(CallRecord::Date);
    int phone = columnOf(CallRecord::Phone);
    int time = columnOf(CallRecord::Time);
    int name = columnOf(CallRecord::Name);
    int company = columnOf(CallRecord::Company);
};

// A number or company met in the pass: its counted calls and the row that last held it.
struct Tally
{
    QString key; // the number's digits, or the company folded
    int calls = 0;
    int lastRow = -1;
    bool met = false; // in any row so far, counted or not
};

// What a call names when the person typed nothing: not a caller or company to rank.
const QString UnknownCaller = QStringLiteral("Unknown Caller");
const QString UnknownCompany = QStringLiteral("unknown");

// A stored time as minutes after midnight, -1 when it cannot be read. The
// entry rules keep the hour typed as "0005" as "00:05AM", which the search
// does not read as a time; here it is the first hour of the day.
int minutesOf(const QString &stored)
{
    const int minutes = CallSearch::storedMinutes(stored);
    if (minutes >= 0)
        return minutes;
    const QStringView text = QStringView(stored).trimmed();
    const bool midnightHour = text.size() == 7 && text.startsWith(QLatin1String("00:")) && text.at(3).isDigit()
        && text.at(4).isDigit() && text.endsWith(QLatin1String("AM"), Qt::CaseInsensitive);
    const int minute = midnightHour ? text.mid(3, 2).toInt() : 60;
    return minute < 60 ? minute : -1;
}

void name(Unreadable &unreadable, const QString &record)
{
    ++unreadable.calls;
    if (unreadable.records.size() < Unreadable::MostNamed)
        unreadable.records << record.trimmed();
}

// The `top` tallies with the most calls; equals in the order of their keys.
std::vector<const Tally *> topOf(const std::vector<Tally> &tallies, int top)
{
    std::vector<const Tally *> ranked;
    for (const Tally &tally : tallies) {
        if (tally.calls > 0)
            ranked.push_back(&tally);
    }
    const auto before = [](const Tally *a, const Tally *b) {
        return a->calls != b->calls ? a->calls > b->calls : a->key < b->key;
    };
    const size_t kept = std::min(ranked.size(), size_t(std::max(top, 0)));
    std::partial_sort(ranked.begin(), ranked.begin() + std::ptrdiff_t(kept), ranked.end(), before);
    ranked.resize(kept);
    return ranked;
}

// Tallies by a key made from a field's text. A log repeats the same few
// texts, so each text is made into its key once and then found as it is.
class Tallies
{
public:
    template<typename MakeKey> Tally *find(const QString &text, MakeKey makeKey)
    {
        auto known = m_byText.constFind(text);
        if (known == m_byText.constEnd()) {
            const QString key = makeKey(text);
            int id = -1;
            if (!key.isEmpty()) {
                auto same = m_byKey.constFind(key);
                if (same == m_byKey.constEnd()) {
                    id = int(m_tallies.size());
                    m_byKey.insert(key, id);
                    m_tallies.push_back(Tally{key});
                } else {
                    id = *same;
                }
            }
            known = m_byText.insert(text, id);
        }
        return *known < 0 ? nullptr : &m_tallies[size_t(*known)];
    }

    const std::vector<Tally> &all() const { return m_tallies; }

private:
    QHash<QString, int> m_byText;
    QHash<QString, int> m_byKey;
    std::vector<Tally> m_tallies;
};

class Counter
{
public:
    Counter(const RecordTableModel &records, Counts &counts)
        : m_records(records)
        , m_counts(counts)
    {
    }

    void visit(int row, bool counted);
    void rank(int top);

private:
    void countCall(int row, bool seenBefore);
    void countWhen(int row, TypeIndex type);

    const RecordTableModel &m_records;
    Counts &m_counts;
    Columns m_columns;
    Tallies m_numbers; // every number of the log met so far
    Tallies m_companies;
};

void Counter::visit(int row, bool counted)
{
    Tally *number = m_numbers.find(m_records.text(row, m_columns.phone), CallSearch::phoneDigits);
    const bool seenBefore = number && number->met;
    if (number)
        number->met = true;
    if (!counted)
        return;
    countCall(row, seenBefore);
    if (number) {
        ++number->calls;
        number->lastRow = row;
    }
}

void Counter::countCall(int row, bool seenBefore)
{
    ++m_counts.calls;
    if (seenBefore)
        ++m_counts.repeatCalls;
    const TypeIndex type = typeIndexOf(m_records.text(row, m_columns.type));
    ++m_counts.byType.calls[type];
    countWhen(row, type);

    Tally *company = m_companies.find(m_records.text(row, m_columns.company), [](const QString &text) {
        const QString key = CallSearch::fold(text.trimmed());
        return key == UnknownCompany ? QString() : key;
    });
    if (company) {
        ++company->calls;
        company->lastRow = row;
    }
    if (m_counts.someRows) {
        bool ok = false;
        const int number = m_records.text(row, m_columns.record).trimmed().toInt(&ok);
        if (ok)
            m_counts.numbers.push_back(number);
    }
}

void Counter::countWhen(int row, TypeIndex type)
{
    int year = 0;
    int month = 0;
    int day = 0;
    const bool dateRead = CallSearch::storedDateParts(m_records.text(row, m_columns.date), year, month, day);
    const int minutes = minutesOf(m_records.text(row, m_columns.time));
    if (!dateRead || minutes < 0) {
        const QString record = m_records.text(row, m_columns.record);
        if (!dateRead)
            name(m_counts.dates, record);
        if (minutes < 0)
            name(m_counts.times, record);
    }
    if (!dateRead)
        return;
    const QDate date(year, month, day);
    ++m_counts.days[date.toJulianDay()].calls[type];
    if (minutes >= 0) {
        ++m_counts.weekHours[size_t(date.dayOfWeek() - 1)][size_t(minutes / 60)];
        ++m_counts.inWeekHours;
    }
}

void Counter::rank(int top)
{
    for (const Tally *tally : topOf(m_numbers.all(), top)) {
        Ranked caller;
        caller.phone = m_records.text(tally->lastRow, m_columns.phone).trimmed();
        const QString name = m_records.text(tally->lastRow, m_columns.name).trimmed();
        caller.label = name.isEmpty() || name == UnknownCaller ? caller.phone : name;
        caller.calls = tally->calls;
        m_counts.topCallers.push_back(caller);
    }
    for (const Tally *tally : topOf(m_companies.all(), top)) {
        Ranked company;
        company.label = m_records.text(tally->lastRow, m_columns.company).trimmed();
        company.calls = tally->calls;
        m_counts.topCompanies.push_back(company);
    }
}

QString callsText(qint64 n)
{
    return n == 1 ? QStringLiteral("1 call") : QStringLiteral("%1 calls").arg(shownNumber(n));
}

} // namespace

TypeIndex typeIndexOf(QStringView stored)
{
    switch (callTypeOf(stored)) {
    case CallType::In:
        return In;
    case CallType::Out:
        return Out;
    case CallType::Message:
        return Msg;
    case CallType::None:
        break;
    }
    return OtherType;
}

QString typeName(int index)
{
    static const QString names[TypeCount] = {QStringLiteral("In"), QStringLiteral("Out"), QStringLiteral("Msg"),
                                             QStringLiteral("Other")};
    return index >= 0 && index < TypeCount ? names[index] : QString();
}

QDate Counts::first() const
{
    return days.empty() ? QDate() : QDate::fromJulianDay(days.begin()->first);
}

QDate Counts::last() const
{
    return days.empty() ? QDate() : QDate::fromJulianDay(days.rbegin()->first);
}

QDate Counts::busiestDay(int *calls) const
{
    QDate busiest;
    int most = 0;
    for (const auto &[day, counts] : days) {
        if (counts.total() > most) {
            most = counts.total();
            busiest = QDate::fromJulianDay(day);
        }
    }
    if (calls)
        *calls = most;
    return busiest;
}

Counts count(const RecordTableModel &records, const std::vector<int> *rows, int top)
{
    Counts counts;
    const int n = records.rowCount();
    counts.records = n;
    std::vector<char> shown;
    if (rows) {
        counts.someRows = true;
        shown.assign(size_t(n), 0);
        for (int row : *rows) {
            if (row >= 0 && row < n)
                shown[size_t(row)] = 1;
        }
    }
    Counter counter(records, counts);
    for (int row = 0; row < n; ++row)
        counter.visit(row, !rows || shown[size_t(row)]);
    counter.rank(top);
    std::sort(counts.numbers.begin(), counts.numbers.end());
    return counts;
}

// ---- Periods ----------------------------------------------------------------

QDate periodStart(QDate day, Period period)
{
    switch (period) {
    case Period::Week:
        return day.addDays(1 - day.dayOfWeek());
    case Period::Month:
        return QDate(day.year(), day.month(), 1);
    case Period::Year:
        break;
    }
    return QDate(day.year(), 1, 1);
}

QDate nextPeriod(QDate start, Period period)
{
    switch (period) {
    case Period::Week:
        return start.addDays(7);
    case Period::Month:
        return start.addMonths(1);
    case Period::Year:
        break;
    }
    return start.addYears(1);
}

namespace {

qint64 periodsBetween(QDate first, QDate last, Period period)
{
    const QDate a = periodStart(first, period);
    const QDate b = periodStart(last, period);
    switch (period) {
    case Period::Week:
        return (b.toJulianDay() - a.toJulianDay()) / 7 + 1;
    case Period::Month:
        return qint64(b.year() - a.year()) * 12 + b.month() - a.month() + 1;
    case Period::Year:
        break;
    }
    return qint64(b.year()) - a.year() + 1;
}

} // namespace

std::vector<PeriodCounts> perPeriod(const Counts &counts, Period &period, int most)
{
    std::vector<PeriodCounts> periods;
    if (counts.days.empty())
        return periods;
    const QDate first = counts.first();
    const QDate last = counts.last();
    while (period != Period::Year && periodsBetween(first, last, period) > most)
        period = period == Period::Week ? Period::Month : Period::Year;
    periods.reserve(size_t(periodsBetween(first, last, period)));
    auto day = counts.days.cbegin();
    for (QDate start = periodStart(first, period); start <= last; start = nextPeriod(start, period)) {
        PeriodCounts here;
        here.start = start;
        const QDate next = nextPeriod(start, period);
        here.end = next.addDays(-1);
        for (; day != counts.days.cend() && day->first < next.toJulianDay(); ++day) {
            for (int type = 0; type < TypeCount; ++type)
                here.calls.calls[size_t(type)] += day->second.calls[size_t(type)];
        }
        periods.push_back(here);
    }
    return periods;
}

std::vector<CallBackPoint> callBacksOverTime(const std::vector<CallBack> &callBacks, Period period,
                                             const QDateTime &now, const std::vector<int> *numbers)
{
    std::vector<const CallBack *> kept;
    for (const CallBack &callBack : callBacks) {
        if (!numbers || std::binary_search(numbers->begin(), numbers->end(), callBack.key.number))
            kept.push_back(&callBack);
    }
    std::vector<CallBackPoint> points;
    if (kept.empty())
        return points;
    qint64 firstMade = kept.front()->createdAt;
    for (const CallBack *callBack : kept)
        firstMade = std::min(firstMade, callBack->createdAt);
    const QDate first = QDateTime::fromSecsSinceEpoch(firstMade).date();
    const QDate last = std::max(first, now.date());
    const qint64 nowSecs = now.toSecsSinceEpoch();
    for (QDate start = periodStart(first, period); start <= last; start = nextPeriod(start, period)) {
        CallBackPoint point;
        point.start = start;
        point.end = nextPeriod(start, period).addDays(-1);
        // The moment the period ends, or now for the period still running.
        const qint64 at = std::min(nextPeriod(start, period).startOfDay().toSecsSinceEpoch(), nowSecs);
        for (const CallBack *callBack : kept) {
            const bool open = callBack->createdAt < at && (!callBack->doneAt || *callBack->doneAt >= at);
            point.open += open ? 1 : 0;
            point.overdue += open && callBack->dueAt < at ? 1 : 0;
        }
        points.push_back(point);
    }
    return points;
}

// ---- Texts ------------------------------------------------------------------

QString shownDate(QDate date)
{
    return date.isValid() ? date.toString(QStringLiteral("MM/dd/yyyy")) : QString();
}

QString shownNumber(qint64 n)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(n);
}

QString periodName(Period period)
{
    switch (period) {
    case Period::Week:
        return QStringLiteral("week");
    case Period::Month:
        return QStringLiteral("month");
    case Period::Year:
        break;
    }
    return QStringLiteral("year");
}

QString periodLabel(const PeriodCounts &counts, Period period)
{
    switch (period) {
    case Period::Week:
        return shownDate(counts.start);
    case Period::Month:
        return counts.start.toString(QStringLiteral("MM/yyyy"));
    case Period::Year:
        break;
    }
    return QString::number(counts.start.year());
}

QString scopeLine(const Counts &counts, const CallSearch::Filter &filter)
{
    if (!counts.someRows || (filter.isEmpty() && counts.calls == counts.records))
        return counts.records == 1 ? QStringLiteral("The 1 call in the log")
                                   : QStringLiteral("All %1 in the log").arg(callsText(counts.records));
    QStringList parts;
    if (!filter.text.trimmed().isEmpty())
        parts << QStringLiteral("search \"%1\"").arg(filter.text.trimmed());
    if (!filter.type.isNull())
        parts << QStringLiteral("type %1").arg(typeName(typeIndexOf(QStringView(&filter.type, 1))));
    if (filter.from.isValid())
        parts << QStringLiteral("from %1").arg(shownDate(filter.from));
    if (filter.to.isValid())
        parts << QStringLiteral("to %1").arg(shownDate(filter.to));
    switch (filter.status) {
    case CallSearch::StatusChoice::Any:
        break;
    case CallSearch::StatusChoice::AlteredOrEdited:
        parts << QStringLiteral("altered or edited");
        break;
    case CallSearch::StatusChoice::Altered:
        parts << QStringLiteral("altered");
        break;
    case CallSearch::StatusChoice::Edited:
        parts << QStringLiteral("edited");
        break;
    }
    QString line = QStringLiteral("%1 of %2").arg(shownNumber(counts.calls), callsText(counts.records));
    if (!parts.isEmpty())
        line += QStringLiteral(": ") + parts.join(QStringLiteral(", "));
    return line;
}

QString summaryLine(const Counts &counts)
{
    if (counts.calls == 0)
        return QStringLiteral("No calls to count");
    QStringList parts;
    if (counts.days.empty())
        parts << callsText(counts.calls);
    else
        parts << QStringLiteral("%1 from %2 to %3")
                     .arg(callsText(counts.calls), shownDate(counts.first()), shownDate(counts.last()));
    int busiest = 0;
    const QDate day = counts.busiestDay(&busiest);
    if (day.isValid())
        parts << QStringLiteral("busiest day %1 (%2)").arg(shownDate(day), callsText(busiest));
    const int share = int(std::lround(100.0 * counts.repeatCalls / counts.calls));
    parts << QStringLiteral("%1% to numbers seen before").arg(share);
    return parts.join(QStringLiteral("; "));
}

QStringList unreadableLines(const Counts &counts)
{
    QStringList lines;
    const auto line = [](const Unreadable &unreadable, const QString &what, const QString &whatMany,
                         const QString &where) {
        if (unreadable.calls == 0)
            return QString();
        const bool one = unreadable.calls == 1;
        QString text = QStringLiteral("%1 with %2 that could not be read: %3 %4")
                           .arg(callsText(unreadable.calls), one ? what : whatMany,
                                one ? QStringLiteral("record") : QStringLiteral("records"),
                                unreadable.records.join(QStringLiteral(", ")));
        const int more = unreadable.calls - int(unreadable.records.size());
        if (more > 0)
            text += QStringLiteral(" and %1 more").arg(shownNumber(more));
        return text + QStringLiteral(" (") + where + QLatin1Char(')');
    };
    const QString dates = line(counts.dates, QStringLiteral("a date"), QStringLiteral("dates"),
                               QStringLiteral("counted in the totals, not by date"));
    const QString times = line(counts.times, QStringLiteral("a time"), QStringLiteral("times"),
                               QStringLiteral("not in the weekday and hour grid"));
    for (const QString &text : {dates, times}) {
        if (!text.isEmpty())
            lines << text;
    }
    return lines;
}

} // namespace CallStatistics
