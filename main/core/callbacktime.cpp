#include "callbacktime.h"

#include "companionstore.h"
#include "csvexport.h"

#include <QRegularExpression>

namespace CallBackTime {

namespace {

constexpr int FirstYear = 1970;
constexpr int LastYear = 9999;

} // namespace

QDate parseDate(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{4})$"));
    const QRegularExpressionMatch match = form.match(text.trimmed());
    if (!match.hasMatch())
        return QDate();
    const int year = match.captured(3).toInt();
    if (year < FirstYear || year > LastYear)
        return QDate();
    return QDate(year, match.captured(1).toInt(), match.captured(2).toInt());
}

QTime parseTime(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{1,2}):?(\\d{2}) ?([AaPp][Mm])?$"));
    const QRegularExpressionMatch match = form.match(text.trimmed());
    if (!match.hasMatch())
        return QTime();
    int hour = match.captured(1).toInt();
    const int minute = match.captured(2).toInt();
    const QString designator = match.captured(3).toUpper();
    if (!designator.isEmpty()) {
        if (hour < 1 || hour > 12)
            return QTime();
        hour = hour % 12 + (designator == QLatin1String("PM") ? 12 : 0);
    }
    return QTime(hour, minute);
}

QString dateText(const QDate &date)
{
    return date.toString(QStringLiteral("MM/dd/yyyy"));
}

QString timeText(const QTime &time)
{
    const int hour = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return QStringLiteral("%1:%2%3")
        .arg(hour)
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.hour() < 12 ? QLatin1String("AM") : QLatin1String("PM"));
}

QString dayText(const QDate &date)
{
    return date.toString(QStringLiteral("MM/dd"));
}

QString dueText(qint64 secs)
{
    const QDateTime local = QDateTime::fromSecsSinceEpoch(secs);
    return dateText(local.date()) + QLatin1Char(' ') + timeText(local.time());
}

QString shortDueText(qint64 secs, const QDateTime &now)
{
    const QDateTime local = QDateTime::fromSecsSinceEpoch(secs);
    const QString day =
        local.date().year() == now.toLocalTime().date().year() ? dayText(local.date()) : dateText(local.date());
    return day + QLatin1Char(' ') + timeText(local.time());
}

QString isoText(std::optional<qint64> secs)
{
    return secs ? CsvExport::utcTime(QString::number(*secs)) : QString();
}

qint64 secsOf(const QDate &date, const QTime &time)
{
    return QDateTime(date, time).toSecsSinceEpoch();
}

QDateTime defaultDue(const QDateTime &now)
{
    const QDateTime local = now.toLocalTime();
    const QDateTime hour(local.date(), QTime(local.time().hour(), 0));
    return hour.addSecs(local.time().minute() < 30 ? 3600 : 7200);
}

Day dayOf(const QDateTime &now)
{
    const QDate today = now.toLocalTime().date();
    return {today.startOfDay().toSecsSinceEpoch(), today.addDays(1).startOfDay().toSecsSinceEpoch()};
}

Due dueOf(const CallBack &callBack, const QDateTime &now)
{
    return dueOf(callBack, now.toSecsSinceEpoch(), dayOf(now));
}

Due dueOf(const CallBack &callBack, qint64 now, const Day &today)
{
    if (callBack.isDone())
        return Due::Done;
    if (callBack.dueAt < now)
        return Due::Overdue;
    return callBack.dueAt < today.end ? Due::Today : Due::Later;
}

} // namespace CallBackTime
