// The call-backs and contacts of the companion store: its rows, read and
// changed through the transactions of companionstore.cpp.

#include "companionstore.h"
#include "companionstore_p.h"

#include <QDateTime>
#include <QSqlQuery>
#include <QVariant>

using CompanionSql::exec;
using CompanionSql::text;

namespace {

const QString SelectCallBacks =
    QStringLiteral("SELECT record_number, saved_at, due_at, note, created_at, done_at FROM call_backs");

CallBack callBackFrom(const QSqlQuery &query)
{
    CallBack callBack;
    callBack.key = {query.value(0).toInt(), query.value(1).toLongLong()};
    callBack.dueAt = query.value(2).toLongLong();
    callBack.note = query.value(3).toString();
    callBack.createdAt = query.value(4).toLongLong();
    if (!query.value(5).isNull())
        callBack.doneAt = query.value(5).toLongLong();
    return callBack;
}

} // namespace

QString CompanionStore::fitNote(const QString &note)
{
    if (note.size() <= MaxNoteLength)
        return note;
    const int length = note.at(MaxNoteLength - 1).isHighSurrogate() ? MaxNoteLength - 1 : MaxNoteLength;
    return note.left(length);
}

CompanionStore::Result CompanionStore::setCallBack(const RecordKey &key, qint64 dueAt, const QString &note)
{
    if (!key.isValid())
        return refuse(Result::BadKey, QStringLiteral("Call-back needs a saved record - not saved"));
    if (note.size() > MaxNoteLength)
        return refuse(Result::NoteTooLong,
                      QStringLiteral("Call-back note longer than %1 characters - not saved").arg(MaxNoteLength));
    return change([&](QSqlQuery &query) {
        const QString sql = QStringLiteral(
            "INSERT INTO call_backs (record_number, saved_at, due_at, note, created_at) VALUES (?, ?, ?, ?, ?)"
            " ON CONFLICT (record_number, saved_at) DO UPDATE SET due_at = excluded.due_at, note = excluded.note");
        const QVariantList values = {key.number, key.savedAt, dueAt, text(note), QDateTime::currentSecsSinceEpoch()};
        return exec(query, sql, values) ? Result::Done : sqlFailed(query);
    });
}

CompanionStore::Result CompanionStore::setDone(const RecordKey &key, const QVariant &doneAt)
{
    return change([&](QSqlQuery &query) {
        const QString sql =
            QStringLiteral("UPDATE call_backs SET done_at = ? WHERE record_number = ? AND saved_at = ?");
        if (!exec(query, sql, {doneAt, key.number, key.savedAt}))
            return sqlFailed(query);
        return query.numRowsAffected() > 0 ? Result::Done : Result::NotFound;
    });
}

CompanionStore::Result CompanionStore::markDone(const RecordKey &key, qint64 when)
{
    return setDone(key, when);
}

CompanionStore::Result CompanionStore::reopen(const RecordKey &key)
{
    return setDone(key, QVariant());
}

CompanionStore::Result CompanionStore::remove(const RecordKey &key)
{
    return change([&](QSqlQuery &query) {
        const QString sql = QStringLiteral("DELETE FROM call_backs WHERE record_number = ? AND saved_at = ?");
        if (!exec(query, sql, {key.number, key.savedAt}))
            return sqlFailed(query);
        return query.numRowsAffected() > 0 ? Result::Done : Result::NotFound;
    });
}

std::optional<CallBack> CompanionStore::callBack(const RecordKey &key)
{
    if (!usable(false))
        return std::nullopt;
    QSqlQuery query(m_db);
    const QString sql = SelectCallBacks + QStringLiteral(" WHERE record_number = ? AND saved_at = ?");
    if (!exec(query, sql, {key.number, key.savedAt})) {
        failed(query.lastError(), Phase::Reading);
        return std::nullopt;
    }
    if (!query.next())
        return std::nullopt;
    return callBackFrom(query);
}

std::vector<CallBack> CompanionStore::callBacks(bool includeDone)
{
    std::vector<CallBack> list;
    if (!usable(false))
        return list;
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    const QString sql = SelectCallBacks + (includeDone ? QString() : QStringLiteral(" WHERE done_at IS NULL"))
        + QStringLiteral(" ORDER BY due_at, record_number, saved_at");
    if (!query.exec(sql)) {
        failed(query.lastError(), Phase::Reading);
        return list;
    }
    while (query.next())
        list.push_back(callBackFrom(query));
    return list;
}

CallBackCounts CompanionStore::counts(qint64 now, qint64 dayStart, qint64 dayEnd)
{
    CallBackCounts counts;
    if (!usable(false))
        return counts;
    QSqlQuery query(m_db);
    const QString sql = QStringLiteral("SELECT count(*), coalesce(sum(due_at < ?), 0),"
                                       " coalesce(sum(due_at >= ? AND due_at < ?), 0)"
                                       " FROM call_backs WHERE done_at IS NULL");
    if (!exec(query, sql, {now, dayStart, dayEnd}) || !query.next()) {
        failed(query.lastError(), Phase::Reading);
        return counts;
    }
    counts.open = query.value(0).toInt();
    counts.overdue = query.value(1).toInt();
    counts.dueToday = query.value(2).toInt();
    return counts;
}

QString CompanionStore::phoneDigits(const QString &phone)
{
    QString digits;
    for (const QChar c : phone) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits.append(c);
    }
    if (digits.size() == 11 && digits.startsWith(QLatin1Char('1')))
        digits.remove(0, 1);
    return digits;
}

CompanionStore::Result CompanionStore::addContacts(const std::vector<Contact> &contacts, const QString &source,
                                                   qint64 importedAt, int *added)
{
    int count = 0;
    const Result result = change([&](QSqlQuery &query) {
        count = 0;
        QSqlQuery phones(m_db);
        if (!query.prepare(
                QStringLiteral("INSERT INTO contacts (name, company, source, imported_at) VALUES (?, ?, ?, ?)")))
            return sqlFailed(query);
        if (!phones.prepare(
                QStringLiteral("INSERT INTO contact_phones (contact_id, position, digits, last7) VALUES (?, ?, ?, ?)")))
            return sqlFailed(phones);
        for (const Contact &contact : contacts) {
            QStringList digits;
            for (const QString &phone : contact.phones) {
                const QString d = phoneDigits(phone);
                if (!d.isEmpty() && !digits.contains(d))
                    digits.append(d);
            }
            const QString name = text(contact.name.trimmed());
            const QString company = text(contact.company.trimmed());
            if (name.isEmpty() && company.isEmpty() && digits.isEmpty())
                continue;
            for (const QVariant &value :
                 {QVariant(name), QVariant(company), QVariant(text(source)), QVariant(importedAt)})
                query.addBindValue(value);
            if (!query.exec())
                return sqlFailed(query);
            const qint64 id = query.lastInsertId().toLongLong();
            for (int i = 0; i < digits.size(); ++i) {
                const QVariant last7 = digits.at(i).size() >= 7 ? QVariant(digits.at(i).right(7)) : QVariant();
                for (const QVariant &value : {QVariant(id), QVariant(i), QVariant(digits.at(i)), last7})
                    phones.addBindValue(value);
                if (!phones.exec())
                    return sqlFailed(phones);
            }
            ++count;
        }
        return Result::Done;
    });
    if (added)
        *added = result == Result::Done ? count : 0;
    return result;
}

std::vector<ImportedContact> CompanionStore::contactsFor(const QString &phone)
{
    std::vector<ImportedContact> found;
    const QString digits = phoneDigits(phone);
    if (digits.isEmpty() || !usable(false))
        return found;
    // Seven digits match any number ending in them; a longer number matches a stored seven-digit one by its end.
    const QVariant none;
    const QVariant seven = digits.size() == 7 ? QVariant(digits) : none;
    const QVariant tail = digits.size() > 7 ? QVariant(digits.right(7)) : none;
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    const QString sql =
        QStringLiteral("SELECT c.name, c.company, c.source, c.imported_at,"
                       " (SELECT group_concat(p.digits, ' ') FROM contact_phones p WHERE p.contact_id = c.id)"
                       " FROM contacts c WHERE c.id IN (SELECT contact_id FROM contact_phones"
                       " WHERE digits = ? OR last7 = ? OR digits = ?) ORDER BY c.imported_at DESC, c.id DESC");
    if (!exec(query, sql, {digits, seven, tail})) {
        failed(query.lastError(), Phase::Reading);
        return found;
    }
    while (query.next()) {
        ImportedContact contact;
        contact.contact = {query.value(0).toString(), query.value(1).toString(),
                           query.value(4).toString().split(QLatin1Char(' '), Qt::SkipEmptyParts)};
        contact.source = query.value(2).toString();
        contact.importedAt = query.value(3).toLongLong();
        found.push_back(contact);
    }
    return found;
}
