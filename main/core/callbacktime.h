#ifndef CALLBACKTIME_H
#define CALLBACKTIME_H

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <optional>

struct CallBack;

// When a call is to be returned: the dates and times a person types and
// reads, as pure functions. Typed and shown as the log shows its own dates
// and times (03/10/2026, 3:00PM), kept as seconds since 1970 UTC, and turned
// into local time through the system's time zone.
namespace CallBackTime {

// A date typed as m/d/yyyy (or mm/dd/yyyy); an invalid date when it is not a
// day of the calendar between the years 1970 and 9999.
QDate parseDate(const QString &text);
// A time typed as h:mmAM or h:mmPM (either case, a blank before AM or PM
// allowed), or on the 24-hour clock as h:mm or hhmm; invalid otherwise.
QTime parseTime(const QString &text);

// 03/10/2026, 3:00PM, 03/10.
QString dateText(const QDate &date);
QString timeText(const QTime &time);
QString dayText(const QDate &date);
// A moment as local date and time: 03/10/2026 3:00PM.
QString dueText(qint64 secs);
// The same without the year when it is this year's: 03/10 3:00PM.
QString shortDueText(qint64 secs, const QDateTime &now);
// 2026-03-10T15:00:00Z; an empty text for none.
QString isoText(std::optional<qint64> secs);

// The local moment of a typed date and time, in seconds since 1970 UTC.
qint64 secsOf(const QDate &date, const QTime &time);
// What the dialog offers: the next full hour at least half an hour away.
QDateTime defaultDue(const QDateTime &now);

// The local day `now` falls on, as the store's counts take it.
struct Day
{
    qint64 start = 0;
    qint64 end = 0;
};
Day dayOf(const QDateTime &now);

enum class Due { Later, Today, Overdue, Done };
// An open call-back due before `now` is overdue; one due later today is due today.
Due dueOf(const CallBack &callBack, const QDateTime &now);
// The same for many, with the day worked out once.
Due dueOf(const CallBack &callBack, qint64 now, const Day &today);

} // namespace CallBackTime

#endif // CALLBACKTIME_H
