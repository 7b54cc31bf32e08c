#include "companionstore.h"
#include "companionstore_p.h"

#include "callrecord.h"
#include "datafile.h"
#include "platform.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <limits>

using CompanionSql::exec;

namespace {

constexpr int BusyTimeoutMs = 250;

// SQLite's primary result codes that decide what a failure means.
enum SqliteCode { SqliteBusy = 5, SqliteLocked = 6, SqliteReadOnly = 8, SqliteCorrupt = 11, SqliteNotADatabase = 26 };

// One step per schema version: step n turns a store of version n - 1 into version n.
const QStringList &migrationStep(int version)
{
    static const QStringList steps[CompanionStore::SchemaVersion] = {
        {
            // 1: the log the store belongs to, and call-backs.
            QStringLiteral("CREATE TABLE log_identity (id INTEGER PRIMARY KEY CHECK (id = 1),"
                           " first_saved_at INTEGER NOT NULL, first_hash TEXT NOT NULL)"),
            QStringLiteral("CREATE TABLE call_backs (record_number INTEGER NOT NULL, saved_at INTEGER NOT NULL,"
                           " due_at INTEGER NOT NULL, note TEXT NOT NULL, created_at INTEGER NOT NULL,"
                           " done_at INTEGER, PRIMARY KEY (record_number, saved_at))"),
            QStringLiteral("CREATE INDEX call_backs_due ON call_backs (due_at, record_number)"),
        },
        {
            // 2: imported contacts, found by their phones' digits.
            QStringLiteral("CREATE TABLE contacts (id INTEGER PRIMARY KEY, name TEXT NOT NULL,"
                           " company TEXT NOT NULL, source TEXT NOT NULL, imported_at INTEGER NOT NULL)"),
            QStringLiteral("CREATE TABLE contact_phones (contact_id INTEGER NOT NULL REFERENCES contacts (id),"
                           " position INTEGER NOT NULL, digits TEXT NOT NULL, last7 TEXT,"
                           " PRIMARY KEY (contact_id, position)) WITHOUT ROWID"),
            QStringLiteral("CREATE INDEX contact_phones_digits ON contact_phones (digits)"),
            QStringLiteral("CREATE INDEX contact_phones_last7 ON contact_phones (last7)"),
        },
    };
    return steps[version - 1];
}

QString stateText(CompanionStore::State state)
{
    switch (state) {
    case CompanionStore::State::ReadOnly:
        return QStringLiteral("Call-back store is read-only - changes not saved");
    case CompanionStore::State::Newer:
        return QStringLiteral("Call-back store is from a newer Vorlen3 - read only");
    case CompanionStore::State::Busy:
        return QStringLiteral("Call-back store in use by another program - try again");
    case CompanionStore::State::Damaged:
        return QStringLiteral("Call-back store damaged - not used");
    case CompanionStore::State::ForeignLog:
        return QStringLiteral("Call-back store belongs to another log - not used");
    case CompanionStore::State::Closed:
        return QStringLiteral("Call-back store not open");
    default:
        return QString();
    }
}

std::function<void(const char *)> &faultHook()
{
    static std::function<void(const char *)> hook;
    return hook;
}

void reach(const char *step)
{
    if (faultHook())
        faultHook()(step);
}

QString nextConnectionName(const char *what)
{
    static QAtomicInt counter;
    return QStringLiteral("calllog-%1-%2").arg(QLatin1String(what)).arg(counter.fetchAndAddRelaxed(1));
}

// The save time as 64 bits: a log kept past 2038 has larger times.
qint64 leadingDigits(const QString &text)
{
    qint64 value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9') || value > (std::numeric_limits<qint64>::max() - 9) / 10)
            break;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

// SQLite's integrity check through a connection of its own that cannot write.
bool checkFile(const QString &path, QString *why)
{
    const QString name = nextConnectionName("check");
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
        QSqlQuery query(db);
        if (db.open() && query.exec(QStringLiteral("PRAGMA integrity_check")) && query.next()) {
            const QString first = query.value(0).toString();
            ok = first == QLatin1String("ok") && !query.next();
            if (!ok && why)
                *why = first;
        } else if (why) {
            *why = query.lastError().databaseText();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

} // namespace

RecordKey RecordKey::of(const CallRecord &record)
{
    return {record.number(), leadingDigits(record.text(CallRecord::SavedAt))};
}

CompanionStore::CompanionStore()
    : m_connection(nextConnectionName("companion"))
    , m_stateProblem(stateText(State::Closed))
{
}

CompanionStore::~CompanionStore()
{
    disconnect();
}

QString CompanionStore::pathFor(const QString &dataFile)
{
    return dataFile + QStringLiteral(".sqlite");
}

void CompanionStore::setFaultHook(std::function<void(const char *step)> hook)
{
    faultHook() = std::move(hook);
}

QString CompanionStore::problem() const
{
    return m_lastProblem.isEmpty() ? m_stateProblem : m_lastProblem;
}

CompanionStore::State CompanionStore::open(const QString &dataFile)
{
    disconnect();
    m_dataFile = dataFile;
    m_path = pathFor(dataFile);
    m_lastProblem.clear();
    if (!Platform::exists(m_path))
        return settle(State::Absent);
    return connectAndCheck();
}

void CompanionStore::close()
{
    settle(State::Closed);
    m_lastProblem.clear();
}

CompanionStore::State CompanionStore::settle(State state, const QString &problem)
{
    m_state = state;
    m_stateProblem = problem.isEmpty() ? stateText(state) : problem;
    if (state != State::Ready && state != State::ReadOnly && state != State::Newer)
        disconnect();
    return state;
}

bool CompanionStore::connect(bool readOnly)
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        settle(State::Unavailable, QStringLiteral("Call-back store needs the Qt SQLite driver - not used"));
        return false;
    }
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    m_db.setDatabaseName(m_path);
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs);
    if (readOnly)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    m_db.setConnectOptions(options);
    if (!m_db.open()) {
        settle(State::Unavailable,
               QStringLiteral("Call-back store cannot be opened: %1").arg(m_db.lastError().databaseText()));
        return false;
    }
    m_fileIdentity = Platform::fileIdentity(m_path);
    // A commit is on the disk before it is reported.
    QSqlQuery query(m_db);
    query.exec(QStringLiteral("PRAGMA synchronous = FULL"));
    return true;
}

void CompanionStore::disconnect()
{
    if (!m_db.isValid())
        return;
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
    m_fileIdentity.clear();
    m_knowsLog = false;
}

CompanionStore::State CompanionStore::connectAndCheck()
{
    // The rollback journal goes beside the store, so the folder must take it too.
    const bool writable = Platform::mayWrite(m_path) && Platform::mayWrite(QFileInfo(m_path).absolutePath());
    m_state = State::Closed; // until the checks below settle it
    int version = 0;
    if (!connect(!writable) || !readVersion(&version))
        return m_state;
    if (version > SchemaVersion) {
        // Left exactly as it is: read through a connection that cannot write.
        disconnect();
        if (!connect(true) || !checkLog(false))
            return m_state;
        return settle(State::Newer);
    }
    if (version < SchemaVersion && writable && !migrate(version))
        return m_state;
    if ((version > 0 || writable) && !checkLog(writable))
        return m_state;
    // A write above may have found the file read-only after all.
    return settle(writable && m_state != State::ReadOnly ? State::Ready : State::ReadOnly);
}

bool CompanionStore::readVersion(int *version)
{
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("PRAGMA quick_check")) || !query.next())
        return failedOpening(query.lastError());
    if (query.value(0).toString() != QLatin1String("ok")) {
        settle(State::Damaged);
        return false;
    }
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return failedOpening(query.lastError());
    *version = query.value(0).toInt();
    if (*version > 0)
        return true;
    // Only an empty database becomes a store; tables without a version are another program's.
    if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !query.next())
        return failedOpening(query.lastError());
    if (query.value(0).toInt() > 0) {
        settle(State::Damaged, QStringLiteral("Call-back store is another program's database - not used"));
        return false;
    }
    return true;
}

bool CompanionStore::migrate(int from)
{
    for (int version = from + 1; version <= SchemaVersion; ++version) {
        const Result result = transact(Phase::Opening, [&](QSqlQuery &query) {
            // Another program may have taken this step meanwhile.
            if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
                return sqlFailed(query);
            if (query.value(0).toInt() >= version)
                return Result::Done;
            for (const QString &statement : migrationStep(version)) {
                if (!query.exec(statement))
                    return sqlFailed(query);
            }
            return query.exec(QStringLiteral("PRAGMA user_version = %1").arg(version)) ? Result::Done
                                                                                       : sqlFailed(query);
        });
        if (result != Result::Done)
            return false;
    }
    return true;
}

CompanionStore::LogIdentity CompanionStore::readLogIdentity(const QString &dataFile)
{
    LogIdentity log;
    CallRecord first;
    if (DataFile::readRecord(dataFile, 1, first) != DataFile::ReadResult::Ok)
        return log;
    log.known = true;
    log.savedAt = RecordKey::of(first).savedAt;
    log.hash = first.text(CallRecord::Hash);
    log.edited = first.text(CallRecord::Status) == QLatin1String("E");
    return log;
}

bool CompanionStore::checkLog(bool mayWrite)
{
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("SELECT first_saved_at, first_hash FROM log_identity")))
        return failedOpening(query.lastError());
    const LogIdentity log = readLogIdentity(m_dataFile);
    if (!query.next()) {
        // Made before the log had a record: it takes the log's record 1 when there is one.
        query.finish();
        if (log.known && mayWrite)
            transact(Phase::Opening, [&](QSqlQuery &q) { return adoptLog(q); });
        return m_db.isOpen();
    }
    const qint64 savedAt = query.value(0).toLongLong();
    const QString hash = query.value(1).toString();
    query.finish();
    // Record 1 edited in place keeps its first-save time and gets a new hash and "E".
    if (!log.known || log.savedAt != savedAt || (log.hash != hash && !log.edited)) {
        settle(State::ForeignLog);
        return false;
    }
    m_knowsLog = true;
    if (log.hash != hash && mayWrite) {
        transact(Phase::Opening, [&](QSqlQuery &q) {
            return exec(q, QStringLiteral("UPDATE log_identity SET first_hash = ?"), {log.hash}) ? Result::Done
                                                                                                 : sqlFailed(q);
        });
    }
    return m_db.isOpen();
}

CompanionStore::Result CompanionStore::adoptLog(QSqlQuery &query)
{
    const LogIdentity log = readLogIdentity(m_dataFile);
    if (!log.known)
        return Result::Done;
    if (!exec(query,
              QStringLiteral("INSERT OR IGNORE INTO log_identity (id, first_saved_at, first_hash) VALUES (1, ?, ?)"),
              {log.savedAt, log.hash}))
        return sqlFailed(query);
    m_knowsLog = true;
    return Result::Done;
}

bool CompanionStore::failedOpening(const QSqlError &error)
{
    failed(error, Phase::Opening);
    return false;
}

CompanionStore::Result CompanionStore::sqlFailed(const QSqlQuery &query)
{
    m_error = query.lastError();
    return Result::NotWritten;
}

CompanionStore::Result CompanionStore::failed(const QSqlError &error, Phase phase)
{
    const int code = error.nativeErrorCode().toInt();
    if (code == SqliteBusy || code == SqliteLocked) {
        if (phase == Phase::Opening)
            settle(State::Busy);
        else
            m_lastProblem = stateText(State::Busy);
    } else if (code == SqliteCorrupt || code == SqliteNotADatabase) {
        settle(State::Damaged);
    } else if (code == SqliteReadOnly) {
        settle(State::ReadOnly);
    } else if (phase == Phase::Reading) {
        m_lastProblem = QStringLiteral("Call-back store cannot be read: %1").arg(error.databaseText());
    } else {
        const QString what = phase == Phase::Writing ? QStringLiteral("Call-back store change not saved: %1")
                                                     : QStringLiteral("Call-back store cannot be opened: %1");
        settle(State::Unavailable, what.arg(error.databaseText()));
    }
    return Result::NotWritten;
}

CompanionStore::Result CompanionStore::transact(Phase phase, const std::function<Result(QSqlQuery &)> &body)
{
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return failed(query.lastError(), phase);
    Result result = body(query);
    if (result == Result::Done) {
        reach("written");
        if (query.exec(QStringLiteral("COMMIT"))) {
            reach("committed");
            return Result::Done;
        }
        result = sqlFailed(query);
    }
    const QSqlError error = m_error;
    query.exec(QStringLiteral("ROLLBACK"));
    return result == Result::NotWritten ? failed(error, phase) : result;
}

bool CompanionStore::createFile()
{
    QFile file(m_path);
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly, ownerOnly)) {
        file.close();
        // Owner-only whatever the umask; SQLite gives its journal the store's mode.
        file.setPermissions(ownerOnly);
        Platform::syncFolderOf(m_path);
    } else if (!file.exists()) {
        settle(State::Unavailable, QStringLiteral("Call-back store cannot be created: %1").arg(file.errorString()));
        return false;
    }
    return true;
}

bool CompanionStore::usable(bool forWrite)
{
    if (m_db.isOpen() && Platform::fileIdentity(m_path) != m_fileIdentity) {
        // Removed or replaced behind the program's back: follow the file.
        const bool removed = !Platform::exists(m_path);
        settle(State::Absent,
               removed ? QStringLiteral("Call-back store was removed - the next call-back starts a new one")
                       : QString());
    }
    const bool retry = m_state == State::Busy || m_state == State::Unavailable || m_state == State::Absent;
    if (retry && Platform::exists(m_path))
        connectAndCheck();
    else if (retry && forWrite && createFile())
        connectAndCheck();
    if (!forWrite)
        return m_db.isOpen();
    return m_state == State::Ready;
}

CompanionStore::Result CompanionStore::change(const std::function<Result(QSqlQuery &)> &body)
{
    m_lastProblem.clear();
    if (!usable(true))
        return Result::NotWritten;
    return transact(Phase::Writing, [&](QSqlQuery &query) {
        const Result adopted = m_knowsLog ? Result::Done : adoptLog(query);
        return adopted == Result::Done ? body(query) : adopted;
    });
}

CompanionStore::Result CompanionStore::refuse(Result result, const QString &why)
{
    m_lastProblem = why;
    return result;
}

bool CompanionStore::copyTo(const QString &target, QString *error)
{
    const auto refused = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (!usable(false))
        return refused(m_state == State::Absent ? QStringLiteral("There is no call-back store yet") : problem());
    QFile file(target);
    const bool created = !file.exists();
    if (!created && file.size() > 0)
        return refused(QStringLiteral("%1 already exists").arg(target));
    // VACUUM INTO would make the copy readable by everyone; it fills an empty file as it is.
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (!file.open(QIODevice::WriteOnly, ownerOnly) || !file.setPermissions(ownerOnly))
        return refused(file.errorString());
    file.close();
    QSqlQuery query(m_db);
    QString why;
    if (!exec(query, QStringLiteral("VACUUM INTO ?"), {target}))
        why = query.lastError().databaseText();
    else if (!Platform::File(target, Platform::File::Open::ReadWrite).sync())
        why = Platform::lastError();
    else if (!checkFile(target, &why))
        why = QStringLiteral("the copy fails its check: %1").arg(why);
    if (why.isEmpty()) {
        Platform::syncFolderOf(target);
        return true;
    }
    if (created)
        QFile::remove(target);
    return refused(why);
}

bool CompanionStore::integrityOk()
{
    if (!usable(false))
        return m_path.isEmpty() || !Platform::exists(m_path) || checkFile(m_path, nullptr);
    // The store's own connection, which can roll back what a crash left first.
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("PRAGMA integrity_check")) || !query.next())
        return false;
    return query.value(0).toString() == QLatin1String("ok") && !query.next();
}
