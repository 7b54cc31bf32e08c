#ifndef COMPANIONSTORE_P_H
#define COMPANIONSTORE_P_H

// What the two halves of the companion store share; not part of its interface.

#include <QSqlQuery>
#include <QString>
#include <QVariant>

namespace CompanionSql {

inline bool exec(QSqlQuery &query, const QString &sql, const QVariantList &values = {})
{
    if (!query.prepare(sql))
        return false;
    for (const QVariant &value : values)
        query.addBindValue(value);
    return query.exec();
}

// Qt binds a null text as NULL; the store keeps an empty text as ''.
inline QString text(const QString &value)
{
    return value.isNull() ? QStringLiteral("") : value;
}

} // namespace CompanionSql

#endif // COMPANIONSTORE_P_H
