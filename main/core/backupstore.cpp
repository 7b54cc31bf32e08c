// The companion store in a backup: copied by SQLite itself, so that a copy
// taken while the store is open is a consistent one, and checked by SQLite.

#include "backupinternal.h"

#include "gzipblocks.h"
#include "platform.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace Backup::Internal {

namespace {

// A connection of its own for one use, removed again when it ends.
class Connection
{
public:
    Connection(const QString &file, bool readOnly)
        : m_name(QStringLiteral("calllog-backup-%1").arg(counter().fetchAndAddRelaxed(1)))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(file);
        db.setConnectOptions(readOnly ? QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=3000")
                                      : QStringLiteral("QSQLITE_BUSY_TIMEOUT=3000"));
        m_open = db.open();
        if (!m_open)
            m_error = db.lastError().text();
    }
    ~Connection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    bool isOpen() const { return m_open; }
    QString error() const { return m_error; }
    QSqlDatabase database() const { return QSqlDatabase::database(m_name, false); }

private:
    static QAtomicInt &counter()
    {
        static QAtomicInt value;
        return value;
    }
    QString m_name;
    bool m_open = false;
    QString m_error;
};

QString vacuumInto(const QString &store, const QString &target)
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return QStringLiteral("the SQLite driver of Qt is not installed");
    Connection connection(store, true);
    if (!connection.isOpen())
        return QStringLiteral("the store cannot be opened: %1").arg(connection.error());
    QSqlQuery query(connection.database());
    if (!query.prepare(QStringLiteral("VACUUM INTO ?")))
        return query.lastError().text();
    query.addBindValue(target);
    if (!query.exec())
        return QStringLiteral("the store cannot be copied: %1").arg(query.lastError().text());
    return QString();
}

} // namespace

QString integrityOf(const QString &sqliteFile)
{
    Connection connection(sqliteFile, true);
    if (!connection.isOpen())
        return QStringLiteral("cannot be opened: %1").arg(connection.error());
    QSqlQuery query(connection.database());
    if (!query.exec(QStringLiteral("PRAGMA integrity_check")) || !query.next())
        return QStringLiteral("cannot be checked: %1").arg(query.lastError().text());
    return query.value(0).toString();
}

StoreCopy copyStore(const QString &store, const QString &rawTarget, const QString &gzTarget, const Progress &progress)
{
    StoreCopy copy;
    copy.present = QFileInfo(store).isFile();
    if (!copy.present)
        return copy;
    Platform::removeFile(rawTarget);
    copy.note = vacuumInto(store, rawTarget);
    if (copy.note.isEmpty()) {
        const QString integrity = integrityOf(rawTarget);
        copy.intact = integrity == QLatin1String("ok");
        if (!copy.intact)
            copy.note = QStringLiteral("the store's integrity check says: %1").arg(integrity);
        const GzipBlocks::Copy gz = GzipBlocks::copyVerified(rawTarget, gzTarget, {}, progress);
        copy.copied = gz.ok;
        copy.gzBytes = gz.gzBytes;
        copy.gzSha256 = gz.gzSha256;
        copy.cancelled = gz.cancelled;
        if (!gz.ok)
            copy.note = gz.error;
    }
    Platform::removeFile(rawTarget);
    return copy;
}

} // namespace Backup::Internal
