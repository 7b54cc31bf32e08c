#include "callerhistory.h"

#include "callbacktime.h"

#include <QStringList>

namespace {

const QString Dash = QStringLiteral(" \u2013 ");

// A name with its company, leaving out what the entry rules put in an empty field.
QString whoText(const QString &name, const QString &company)
{
    const QString who = name.trimmed();
    const QString where = company.trimmed();
    if (where.isEmpty() || where == QLatin1String("Unknown"))
        return who;
    return who.isEmpty() ? where : who + QStringLiteral(", ") + where;
}

QString callBackText(const CallBack &next, int open, const QDateTime &now)
{
    const bool overdue = CallBackTime::dueOf(next, now) == CallBackTime::Due::Overdue;
    const QString when = CallBackTime::shortDueText(next.dueAt, now);
    const QString due = overdue ? QStringLiteral("overdue since %1").arg(when) : QStringLiteral("due %1").arg(when);
    if (open == 1)
        return QStringLiteral("open call-back ") + due;
    return QStringLiteral("%1 open call-backs, first %2").arg(open).arg(due);
}

} // namespace

QString CallerHistory::text(const QDateTime &now) const
{
    QStringList parts;
    if (earlierCalls > 0) {
        const QString calls =
            earlierCalls == 1 ? QStringLiteral("1 earlier call") : QStringLiteral("%1 earlier calls").arg(earlierCalls);
        parts << QStringLiteral("%1, last %2").arg(calls, lastDate.trimmed());
        const QString who = whoText(lastName, lastCompany);
        if (!who.isEmpty())
            parts << who;
    } else if (!contactName.isEmpty() || !contactCompany.isEmpty()) {
        parts << QStringLiteral("No earlier calls")
              << QStringLiteral("in contacts: ") + whoText(contactName, contactCompany);
    }
    if (nextCallBack)
        parts << callBackText(*nextCallBack, openCallBacks, now);
    return parts.join(Dash);
}
