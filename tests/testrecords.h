#ifndef TESTRECORDS_H
#define TESTRECORDS_H

#include "callrecord.h"

#include <QByteArray>
#include <QFile>
#include <QString>

// Small helpers shared by the tests: known records and raw file access.
namespace TestRecords {

struct Entry
{
    QString type = QStringLiteral("I");
    QString date = QStringLiteral("06/14/2024");
    QString time = QStringLiteral(" 9:30AM");
    QString phone = QStringLiteral("555-123-4567");
    QString name = QStringLiteral("Ann Lee");
    QString company = QStringLiteral("Acme");
    QString notes = QStringLiteral("Call back");
    QString savedAt = QStringLiteral("1718357400");
    QString status = QStringLiteral("O");
};

inline CallRecord make(int number, const Entry &entry = Entry())
{
    CallRecord record;
    record.setText(CallRecord::Type, entry.type);
    record.setText(CallRecord::RecordNumber, QString::number(number));
    record.setText(CallRecord::Date, entry.date);
    record.setText(CallRecord::Time, entry.time);
    record.setText(CallRecord::Phone, entry.phone);
    record.setText(CallRecord::Name, entry.name);
    record.setText(CallRecord::Company, entry.company);
    record.setText(CallRecord::Notes, entry.notes);
    record.setText(CallRecord::Status, entry.status);
    record.setText(CallRecord::SavedAt, entry.savedAt);
    record.setText(CallRecord::Spare1, QStringLiteral("1001"));
    record.setText(CallRecord::Spare2, QStringLiteral("1002"));
    return record;
}

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Replaces the UTF-16LE character at `charIndex` of `field` in record n of a data file.
inline bool patchChar(const QString &path, int n, CallRecord::Field field, int charIndex, QChar c)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const qint64 at = qint64(n - 1) * RecordSize + CallRecord::offset(field) + 2 * charIndex;
    const char bytes[2] = {char(c.unicode() & 0xff), char(c.unicode() >> 8)};
    return file.seek(at) && file.write(bytes, 2) == 2;
}

inline QByteArray recordBytes(const CallRecord &record)
{
    return QByteArray(reinterpret_cast<const char *>(record.bytes.data()), RecordSize);
}

} // namespace TestRecords

#endif // TESTRECORDS_H
