#ifndef TESTRECORDS_H
#define TESTRECORDS_H

#include "callrecord.h"
#include "datafile.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QTest>

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

// Three calls as the entry window stores them, one of each type, each with a
// date, time and phone of its own: the second has the placeholder area code,
// the third a character beyond ASCII and a date in the next year. The golden
// exports and reports in tests/data are written from these.
inline const QList<Entry> threeEntries = {
    {"I", "06/14/2024", " 9:30AM", "555-123-4567", "Ann Lee", "Acme", "Call back"},
    {"O", "12/25/2024", "12:05PM", "###-555-1234", "Unknown Caller", "Unknown", "Wished a merry Christmas"},
    {"M", "01/02/2025", " 3:15PM", "800-555-1234", "Bob Stone", "Stone & Sons", "Left a message; café order"},
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

// A configuration file as the configuration manager writes it: its lines,
// then the NUL it ends with.
inline bool writeConfiguration(const QString &path, const QByteArray &lines)
{
    return writeAll(path, lines + '\0');
}

// A file as a command must write it, from tests/data (`name` within that folder).
inline QByteArray golden(const QString &name)
{
    const QByteArray bytes = readAll(QFINDTESTDATA(QStringLiteral("data/") + name));
    if (bytes.isEmpty())
        qWarning("no golden file %s", qPrintable(name));
    return bytes;
}

inline QByteArray recordBytes(const CallRecord &record)
{
    return QByteArray(reinterpret_cast<const char *>(record.bytes.data()), RecordSize);
}

// Appends `entries` to `path` with their real hashes, numbered on from the file's last record.
inline void appendEntries(const QString &path, const QList<Entry> &entries)
{
    int number = DataFile::findRecordCount(path);
    for (const Entry &entry : entries) {
        CallRecord record = make(++number, entry);
        QVERIFY(DataFile::appendRecord(path, record));
    }
}

// Overwrites field `field` of record n in the file, as another program would.
inline void patchField(const QString &path, int n, CallRecord::Field field, const QString &text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const qint64 at = qint64(n - 1) * RecordSize;
    QVERIFY(file.seek(at));
    CallRecord record;
    QCOMPARE(file.read(reinterpret_cast<char *>(record.bytes.data()), RecordSize), qint64(RecordSize));
    record.setText(field, text);
    QVERIFY(file.seek(at));
    QCOMPARE(file.write(reinterpret_cast<const char *>(record.bytes.data()), RecordSize), qint64(RecordSize));
}

// Status field of record n as it lies in the file.
inline QString statusOnDisk(const QString &path, int n)
{
    CallRecord record;
    if (DataFile::readRecord(path, n, record) != DataFile::ReadResult::Ok)
        return QStringLiteral("<none>");
    return record.text(CallRecord::Status);
}

} // namespace TestRecords

#endif // TESTRECORDS_H
