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

// Watches for modal windows and hands each one to `act`, which must close it.
class ModalAnswerer : public QObject
{
public:
    explicit ModalAnswerer(std::function<void(QDialog *)> act)
        : m_act(std::move(act))
    {
        connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::poll);
        m_timer.start(5);
    }

    QStringList seen; // class names of the windows answered, in order

private:
    void poll()
    {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || dialog == m_last)
            return;
        m_last = dialog;
        seen.append(QString::fromLatin1(dialog->metaObject()->className()));
        m_act(dialog);
    }

    std::function<void(QDialog *)> m_act;
    QPointer<QDialog> m_last;
    QTimer m_timer;
};

#endif // REVIEWFIXTURES_H
