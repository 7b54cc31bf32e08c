#ifndef REVIEWFIXTURES_H
#define REVIEWFIXTURES_H

#include "callrecord.h"
#include "datafile.h"

#include "testrecords.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QPointer>
#include <QTimer>
#include <QtTest>

#include <functional>

using TestRecords::Entry;

// Appends `entries` to `path` with their real hashes, numbered on from the file's last record.
inline void appendEntries(const QString &path, const QList<Entry> &entries)
{
    int number = DataFile::findRecordCount(path);
    for (const Entry &entry : entries) {
        CallRecord record = TestRecords::make(++number, entry);
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

#endif // REVIEWFIXTURES_H
