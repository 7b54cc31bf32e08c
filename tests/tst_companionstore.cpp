#include "companionstore.h"
#include "datafile.h"
#include "testrecords.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

#include <csignal>
#include <optional>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using State = CompanionStore::State;
using Result = CompanionStore::Result;
Q_DECLARE_METATYPE(State)
Q_DECLARE_METATYPE(Result)

namespace {

constexpr qint64 Year2040 = 2208988800; // 1 January 2040, 00:00 UTC
#if defined(__SANITIZE_ADDRESS__)
constexpr int SlowBuild = 5; // an instrumented build runs several times slower
#else
constexpr int SlowBuild = 1;
#endif
const QString DamagedText = QStringLiteral("Call-back store damaged - not used");
const QString BusyText = QStringLiteral("Call-back store in use by another program - try again");
const QString ReadOnlyText = QStringLiteral("Call-back store is read-only - changes not saved");
const QString ForeignText = QStringLiteral("Call-back store belongs to another log - not used");

// Version 1 of the store as it was first written.
const QStringList Version1 = {
    QStringLiteral("CREATE TABLE log_identity (id INTEGER PRIMARY KEY CHECK (id = 1), first_saved_at INTEGER NOT NULL,"
                   " first_hash TEXT NOT NULL)"),
    QStringLiteral("CREATE TABLE call_backs (record_number INTEGER NOT NULL, saved_at INTEGER NOT NULL,"
                   " due_at INTEGER NOT NULL, note TEXT NOT NULL, created_at INTEGER NOT NULL, done_at INTEGER,"
                   " PRIMARY KEY (record_number, saved_at))"),
    QStringLiteral("CREATE INDEX call_backs_due ON call_backs (due_at, record_number)"),
};

mode_t modeOf(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 0777 : 0;
}

// Runs statements on a store through a connection of the test's own, as
// another program would; gives the first column of the last one's rows.
QVariantList sql(const QString &path, const QStringList &statements)
{
    QVariantList rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("test"));
        db.setDatabaseName(path);
        QSqlQuery query(db);
        for (const QString &statement : statements) {
            if ((!db.isOpen() && !db.open()) || !query.exec(statement))
                qWarning() << statement << query.lastError().text();
        }
        while (query.next())
            rows.append(query.value(0));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("test"));
    return rows;
}

// A process of the test's own that dies with the test and never outlives it.
class Child
{
public:
    explicit Child(const std::function<void(int readyFd)> &body)
    {
        const pid_t parent = ::getpid();
        if (::pipe(m_ready) != 0)
            qFatal("no pipe");
        m_pid = ::fork();
        if (m_pid == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != parent)
                _exit(1);
            body(m_ready[1]);
            _exit(0);
        }
        ::close(m_ready[1]);
    }
    ~Child()
    {
        end(true);
        ::close(m_ready[0]);
    }
    bool ready()
    {
        char c = 0;
        return ::read(m_ready[0], &c, 1) == 1;
    }
    // How the child ended, killed first when `kill`.
    int end(bool kill)
    {
        if (m_pid > 0) {
            if (kill)
                ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &m_status, 0);
            m_pid = 0;
        }
        return m_status;
    }

private:
    pid_t m_pid = -1;
    int m_ready[2] = {-1, -1};
    int m_status = 0;
};

// Sets a path's mode while it lives.
struct ModeGuard
{
    ModeGuard(const QString &path, mode_t mode)
        : path(QFile::encodeName(path))
        , old(modeOf(path))
    {
        ::chmod(this->path.constData(), mode);
    }
    ~ModeGuard() { ::chmod(path.constData(), old); }
    QByteArray path;
    mode_t old;
};

// Takes the rights of "nobody" while it lives, when the tests run as root.
struct AsNobody
{
    AsNobody() { switched = ::geteuid() == 0 && ::setegid(65534) == 0 && ::seteuid(65534) == 0; }
    ~AsNobody()
    {
        if (switched && (::seteuid(0) != 0 || ::setegid(0) != 0))
            qFatal("cannot return to root");
    }
    bool switched = false;
};

QList<int> numbers(const std::vector<CallBack> &list)
{
    QList<int> out;
    for (const CallBack &callBack : list)
        out.append(callBack.key.number);
    return out;
}

QStringList names(const std::vector<ImportedContact> &list)
{
    QStringList out;
    for (const ImportedContact &found : list)
        out.append(found.contact.name);
    return out;
}

} // namespace

class TestCompanionStore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void callBacksKeepTheirCallsAndOrder();
    void noteLongerThanTheLimitIsRefused_data();
    void noteLongerThanTheLimitIsRefused();
    void storeBelongsToItsLog_data();
    void storeBelongsToItsLog();
    void storeMadeBeforeTheFirstRecordTakesIt();
    void olderStoreMigratesNewerIsLeftAlone_data();
    void olderStoreMigratesNewerIsLeftAlone();
    void faultsNeverStopTheLog_data();
    void faultsNeverStopTheLog();
    void followsTheFileWhenRemovedOrReplaced();
    void killAtEachStepLeavesOldOrNew_data();
    void killAtEachStepLeavesOldOrNew();
    void killAtRandomMomentsLeavesWholeTransactions();
    void contactsMatchByDigits_data();
    void contactsMatchByDigits();
    void largeImportAndListAreQuick();
    void copyIsCheckedAndOwnerOnly();

private:
    QString dataFile() const { return m_dir->filePath(QStringLiteral("VNData.dta")); }
    QString storeFile() const { return CompanionStore::pathFor(dataFile()); }
    void writeLog(const QStringList &savedAts, const QString &path = QString());
    CallRecord record(int n) const;
    RecordKey key(int n) const { return RecordKey::of(record(n)); }
    void writeVersion1(int version);
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestCompanionStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    CompanionStore::setFaultHook(nullptr);
}

void TestCompanionStore::writeLog(const QStringList &savedAts, const QString &path)
{
    for (int i = 0; i < savedAts.size(); ++i) {
        TestRecords::Entry entry;
        entry.savedAt = savedAts.at(i);
        CallRecord record = TestRecords::make(i + 1, entry);
        QVERIFY(DataFile::appendRecord(path.isEmpty() ? dataFile() : path, record));
    }
}

CallRecord TestCompanionStore::record(int n) const
{
    CallRecord record;
    DataFile::readRecord(dataFile(), n, record);
    return record;
}

// A store as the first release left it, holding one call-back for record 1.
void TestCompanionStore::writeVersion1(int version)
{
    const RecordKey first = key(1);
    sql(storeFile(),
        Version1
            + QStringList{QStringLiteral("INSERT INTO log_identity VALUES (1, %1, '%2')")
                              .arg(first.savedAt)
                              .arg(record(1).text(CallRecord::Hash)),
                          QStringLiteral("INSERT INTO call_backs VALUES (1, %1, 1718400000, 'from version 1', 0, NULL)")
                              .arg(first.savedAt),
                          QStringLiteral("PRAGMA user_version = %1").arg(version)});
    QVERIFY(QFile::setPermissions(storeFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
}

void TestCompanionStore::callBacksKeepTheirCallsAndOrder()
{
    writeLog({QStringLiteral("1718357400"), QStringLiteral("1718357460"), QString::number(Year2040 + 60)});
    CompanionStore store;
    QCOMPARE(store.open(dataFile()), State::Absent);
    QVERIFY(store.callBacks(true).empty());
    QVERIFY(!QFile::exists(storeFile()));
    QCOMPARE(key(3).savedAt, Year2040 + 60);
    QCOMPARE(store.setCallBack({}, 1718400000, QString()), Result::BadKey);

    // Owner-only under the usual umask, the journal as well.
    const mode_t umask = ::umask(022);
    mode_t journalMode = 0;
    CompanionStore::setFaultHook([&](const char *step) {
        if (QByteArray(step) == "written")
            journalMode = modeOf(storeFile() + QStringLiteral("-journal"));
    });
    QCOMPARE(store.setCallBack(key(2), Year2040, QStringLiteral("Invoice")), Result::Done);
    CompanionStore::setFaultHook(nullptr);
    ::umask(umask);
    QCOMPARE(modeOf(storeFile()), mode_t(0600));
    QCOMPARE(journalMode, mode_t(0600));
    QCOMPARE(store.state(), State::Ready);

    QCOMPARE(store.setCallBack(key(3), 1718400000, QStringLiteral("Quote")), Result::Done);
    QCOMPARE(store.setCallBack(key(1), 1718400000, QStringLiteral("Call back")), Result::Done);
    QCOMPARE(numbers(store.callBacks(false)), QList<int>({1, 3, 2}));
    // An edit in place keeps the call-back; the same number with another save time has none.
    CallRecord edited = record(2);
    edited.setText(CallRecord::Notes, QStringLiteral("edited"));
    edited.setText(CallRecord::Status, QStringLiteral("E"));
    QVERIFY(DataFile::rewriteRecord(dataFile(), 2, edited));
    QCOMPARE(store.callBack(key(2))->note, QStringLiteral("Invoice"));
    QCOMPARE(store.callBack(key(2))->dueAt, Year2040);
    QVERIFY(!store.callBack({2, key(2).savedAt + 1}));

    const qint64 dayStart = 1718352000, dayEnd = dayStart + 86400, now = 1718410000;
    CallBackCounts counts = store.counts(now, dayStart, dayEnd);
    QCOMPARE((QList<int>{counts.open, counts.overdue, counts.dueToday}), QList<int>({3, 2, 2}));
    QCOMPARE(store.markDone(key(3), now), Result::Done);
    QCOMPARE(store.setCallBack(key(3), 1718400000, QStringLiteral("Quote sent")), Result::Done);
    QCOMPARE(store.callBack(key(3))->doneAt, std::optional<qint64>(now));
    QCOMPARE(numbers(store.callBacks(false)), QList<int>({1, 2}));
    QCOMPARE(numbers(store.callBacks(true)), QList<int>({1, 3, 2}));
    counts = store.counts(Year2040 + 1, Year2040, Year2040 + 86400);
    QCOMPARE((QList<int>{counts.open, counts.overdue, counts.dueToday}), QList<int>({2, 2, 1}));
    QCOMPARE(store.reopen(key(3)), Result::Done);
    QVERIFY(!store.callBack(key(3))->isDone());
    QCOMPARE(store.remove(key(1)), Result::Done);
    QCOMPARE(store.remove(key(1)), Result::NotFound);
    QCOMPARE(store.markDone(key(1), now), Result::NotFound);

    CompanionStore again;
    QCOMPARE(again.open(dataFile()), State::Ready);
    QCOMPARE(numbers(again.callBacks(true)), QList<int>({3, 2}));
    QCOMPARE(again.callBack(key(3))->note, QStringLiteral("Quote sent"));
}

void TestCompanionStore::noteLongerThanTheLimitIsRefused_data()
{
    QTest::addColumn<QString>("note");
    QTest::addColumn<Result>("result");
    QTest::addColumn<int>("fitted");
    const QString smile = QStringLiteral("\U0001F600");
    QTest::newRow("200 characters") << QString(200, QLatin1Char('n')) << Result::Done << 200;
    QTest::newRow("201 characters") << QString(201, QLatin1Char('n')) << Result::NoteTooLong << 200;
    QTest::newRow("pair ends at the limit") << QString(198, QLatin1Char('n')) + smile << Result::Done << 200;
    QTest::newRow("pair across the limit") << QString(199, QLatin1Char('n')) + smile << Result::NoteTooLong << 199;
}

void TestCompanionStore::noteLongerThanTheLimitIsRefused()
{
    QFETCH(QString, note);
    QFETCH(Result, result);
    QFETCH(int, fitted);
    writeLog({QStringLiteral("1718357400")});
    CompanionStore store;
    store.open(dataFile());
    QCOMPARE(store.setCallBack(key(1), 1718400000, note), result);
    if (result == Result::Done) {
        QCOMPARE(store.callBack(key(1))->note, note);
    } else {
        QVERIFY(!store.callBack(key(1)));
        QCOMPARE(store.problem(), QStringLiteral("Call-back note longer than 200 characters - not saved"));
    }
    const QString fit = CompanionStore::fitNote(note);
    QCOMPARE(fit.size(), fitted);
    QVERIFY(note.startsWith(fit) && !fit.back().isHighSurrogate());
}

void TestCompanionStore::storeBelongsToItsLog_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<State>("state");
    QTest::newRow("same log") << "none" << State::Ready;
    QTest::newRow("record 1 edited in place") << "edit" << State::Ready;
    QTest::newRow("record 1 marked X") << "mark" << State::Ready;
    QTest::newRow("same time, other hash, not edited") << "rehash" << State::ForeignLog;
    QTest::newRow("another log") << "other" << State::ForeignLog;
    QTest::newRow("log emptied") << "empty" << State::ForeignLog;
}

void TestCompanionStore::storeBelongsToItsLog()
{
    QFETCH(QString, change);
    QFETCH(State, state);
    writeLog({QStringLiteral("1718357400"), QStringLiteral("1718357460")});
    const RecordKey first = key(1);
    {
        CompanionStore store;
        store.open(dataFile());
        QCOMPARE(store.setCallBack(first, 1718400000, QStringLiteral("Call back")), Result::Done);
    }
    CallRecord one = record(1);
    one.setText(CallRecord::Notes, QStringLiteral("changed"));
    if (change == QLatin1String("edit") || change == QLatin1String("rehash")) {
        one.setText(CallRecord::Status, change == QLatin1String("edit") ? QStringLiteral("E") : QStringLiteral("O"));
        QVERIFY(DataFile::rewriteRecord(dataFile(), 1, one));
    } else if (change == QLatin1String("mark")) {
        QVERIFY(TestRecords::patchChar(dataFile(), 1, CallRecord::Status, 0, QLatin1Char('X')));
    } else if (change != QLatin1String("none")) {
        QVERIFY(QFile::remove(dataFile()));
        if (change == QLatin1String("other"))
            writeLog({QStringLiteral("1718999999")});
    }
    const QByteArray before = TestRecords::readAll(storeFile());

    CompanionStore store;
    QCOMPARE(store.open(dataFile()), state);
    if (state == State::Ready) {
        QCOMPARE(store.callBack(first)->note, QStringLiteral("Call back"));
        // The store names record 1 by its hash as it stands now.
        QCOMPARE(sql(storeFile(), {QStringLiteral("SELECT first_hash FROM log_identity")}),
                 QVariantList{record(1).text(CallRecord::Hash)});
        return;
    }
    QCOMPARE(store.problem(), ForeignText);
    QVERIFY(!store.callBack(first));
    QCOMPARE(store.setCallBack(first, 1718400000, QStringLiteral("Other")), Result::NotWritten);
    QCOMPARE(store.problem(), ForeignText);
    QCOMPARE(TestRecords::readAll(storeFile()), before);
}

void TestCompanionStore::storeMadeBeforeTheFirstRecordTakesIt()
{
    CompanionStore store;
    QCOMPARE(store.open(dataFile()), State::Absent);
    int added = 0;
    QCOMPARE(store.addContacts({{QStringLiteral("Ann"), QString(), {QStringLiteral("800-555-1234")}}},
                               QStringLiteral("a.vcf"), 100, &added),
             Result::Done);
    QCOMPARE(added, 1);
    QCOMPARE(sql(storeFile(), {QStringLiteral("SELECT count(*) FROM log_identity")}), QVariantList{0});

    writeLog({QStringLiteral("1718357400")});
    QCOMPARE(store.setCallBack(key(1), 1718400000, QString()), Result::Done);
    QCOMPARE(sql(storeFile(), {QStringLiteral("SELECT first_saved_at FROM log_identity")}), QVariantList{1718357400});
    QVERIFY(QFile::remove(dataFile()));
    writeLog({QStringLiteral("1718999999")});
    QCOMPARE(store.open(dataFile()), State::ForeignLog);
}

void TestCompanionStore::olderStoreMigratesNewerIsLeftAlone_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<State>("state");
    QTest::newRow("version 1") << 1 << State::Ready;
    QTest::newRow("version 3, newer") << 3 << State::Newer;
}

void TestCompanionStore::olderStoreMigratesNewerIsLeftAlone()
{
    QFETCH(int, version);
    QFETCH(State, state);
    writeLog({QStringLiteral("1718357400")});
    writeVersion1(version);
    const QByteArray before = TestRecords::readAll(storeFile());
    CompanionStore store;
    QCOMPARE(store.open(dataFile()), state);
    QCOMPARE(store.callBack(key(1))->note, QStringLiteral("from version 1"));
    if (state == State::Ready) {
        QCOMPARE(sql(storeFile(), {QStringLiteral("PRAGMA user_version")}), QVariantList{2});
        QCOMPARE(store.addContacts({{QStringLiteral("Ann"), QString(), {QStringLiteral("555-1234")}}}, QString(), 1),
                 Result::Done);
        QCOMPARE(names(store.contactsFor(QStringLiteral("800-555-1234"))), QStringList{QStringLiteral("Ann")});
        return;
    }
    QCOMPARE(store.problem(), QStringLiteral("Call-back store is from a newer Vorlen3 - read only"));
    QCOMPARE(store.setCallBack(key(1), 1, QString()), Result::NotWritten);
    QCOMPARE(TestRecords::readAll(storeFile()), before);
}

void TestCompanionStore::faultsNeverStopTheLog_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<State>("state");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<QString>("problem");
    QTest::newRow("truncated") << "truncated" << State::Damaged << false << DamagedText;
    QTest::newRow("replaced by a text file") << "text" << State::Damaged << false << DamagedText;
    QTest::newRow("read-only") << "read-only" << State::ReadOnly << true << ReadOnlyText;
    QTest::newRow("another program writing") << "BEGIN IMMEDIATE" << State::Ready << true << BusyText;
    QTest::newRow("another program locks it whole") << "BEGIN EXCLUSIVE" << State::Busy << false << BusyText;
}

void TestCompanionStore::faultsNeverStopTheLog()
{
    QFETCH(QString, fault);
    QFETCH(State, state);
    QFETCH(bool, readable);
    QFETCH(QString, problem);
    writeLog({QStringLiteral("1718357400"), QStringLiteral("1718357460")});
    {
        CompanionStore store;
        store.open(dataFile());
        QCOMPARE(store.setCallBack(key(1), 1718400000, QStringLiteral("Call back")), Result::Done);
        // Enough rows for several pages, so that a cut loses some.
        std::vector<Contact> many(300, Contact{QStringLiteral("Someone"), QStringLiteral("Acme"), {}});
        QCOMPARE(store.addContacts(many, QString(), 1), Result::Done);
    }
    const QByteArray whole = TestRecords::readAll(storeFile());
    std::optional<Child> other;
    std::optional<ModeGuard> folderOpen, logReadOnly, storeReadOnly;
    std::optional<AsNobody> nobody;
    if (fault == QLatin1String("truncated")) {
        QVERIFY(QFile::resize(storeFile(), whole.size() / 2));
    } else if (fault == QLatin1String("text")) {
        QVERIFY(TestRecords::writeAll(storeFile(), "call-backs:\n1 Call back\n"));
    } else if (fault == QLatin1String("read-only")) {
        folderOpen.emplace(m_dir->path(), 0777);
        logReadOnly.emplace(dataFile(), 0444);
        storeReadOnly.emplace(storeFile(), 0444);
        nobody.emplace();
    } else {
        const QString path = storeFile();
        other.emplace([path, fault](int readyFd) {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
            db.setDatabaseName(path);
            QSqlQuery query(db);
            if (db.open() && query.exec(fault) && ::write(readyFd, "y", 1) == 1)
                ::pause();
        });
        QVERIFY(other->ready());
    }
    const QByteArray damaged = TestRecords::readAll(storeFile());

    QElapsedTimer timer;
    timer.start();
    CompanionStore store;
    QCOMPARE(store.open(dataFile()), state);
    QCOMPARE(store.callBack(key(1)).has_value(), readable);
    QCOMPARE(store.setCallBack(key(2), 1718400000, QStringLiteral("Later")), Result::NotWritten);
    QCOMPARE(store.problem(), problem);
    QCOMPARE(store.integrityOk(), readable);
    QVERIFY2(timer.elapsed() < 3000, "the store waited too long for another program");
    QCOMPARE(TestRecords::readAll(storeFile()), damaged);

    // Repaired, moved back or let go: the next open finds the call-backs again.
    nobody.reset();
    storeReadOnly.reset();
    other.reset();
    if (damaged != whole)
        QVERIFY(TestRecords::writeAll(storeFile(), whole));
    QCOMPARE(store.open(dataFile()), State::Ready);
    QCOMPARE(store.problem(), QString());
    QCOMPARE(store.callBack(key(1))->note, QStringLiteral("Call back"));
    QCOMPARE(store.setCallBack(key(2), 1718400000, QStringLiteral("Later")), Result::Done);
}

void TestCompanionStore::followsTheFileWhenRemovedOrReplaced()
{
    writeLog({QStringLiteral("1718357400"), QStringLiteral("1718357460")});
    const QString backup = m_dir->filePath(QStringLiteral("backup.sqlite"));
    CompanionStore store;
    store.open(dataFile());
    QCOMPARE(store.setCallBack(key(1), 1718400000, QStringLiteral("first")), Result::Done);
    QString error;
    QVERIFY2(store.copyTo(backup, &error), qPrintable(error));
    QCOMPARE(store.setCallBack(key(2), 1718400000, QStringLiteral("second")), Result::Done);

    // A restore renames the backup over the store.
    QVERIFY(::rename(QFile::encodeName(backup).constData(), QFile::encodeName(storeFile()).constData()) == 0);
    QCOMPARE(numbers(store.callBacks(true)), QList<int>{1});

    QVERIFY(QFile::remove(storeFile()));
    QVERIFY(!store.callBack(key(1)));
    QCOMPARE(store.state(), State::Absent);
    QCOMPARE(store.problem(), QStringLiteral("Call-back store was removed - the next call-back starts a new one"));
    QCOMPARE(store.setCallBack(key(2), 1718400000, QStringLiteral("again")), Result::Done);
    QCOMPARE(numbers(store.callBacks(true)), QList<int>{2});
    QCOMPARE(modeOf(storeFile()), mode_t(0600));
}

void TestCompanionStore::killAtEachStepLeavesOldOrNew_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QVariant>("found");
    const QString note = QStringLiteral("SELECT note FROM call_backs WHERE record_number = 1");
    const QString contacts = QStringLiteral("SELECT count(*) FROM contact_phones");
    const QString version = QStringLiteral("PRAGMA user_version");
    QTest::newRow("call-back, before commit") << "call-back" << "written" << note << QVariant("before");
    QTest::newRow("call-back, after commit") << "call-back" << "committed" << note << QVariant("after");
    QTest::newRow("50 contacts, before commit") << "contacts" << "written" << contacts << QVariant(0);
    QTest::newRow("50 contacts, after commit") << "contacts" << "committed" << contacts << QVariant(50);
    QTest::newRow("migration, before commit") << "migration" << "written" << version << QVariant(1);
    QTest::newRow("migration, after commit") << "migration" << "committed" << version << QVariant(2);
}

// A real writer killed inside and after its transaction: the store is whole
// and holds all of the change or none of it.
void TestCompanionStore::killAtEachStepLeavesOldOrNew()
{
    QFETCH(QString, change);
    QFETCH(QString, step);
    QFETCH(QString, query);
    QFETCH(QVariant, found);
    writeLog({QStringLiteral("1718357400")});
    if (change == QLatin1String("migration")) {
        writeVersion1(1);
    } else {
        CompanionStore store;
        store.open(dataFile());
        QCOMPARE(store.setCallBack(key(1), 1, QStringLiteral("before")), Result::Done);
    }
    const RecordKey first = key(1);
    const mode_t umask = ::umask(022);
    Child writer([&](int) {
        const QByteArray wanted = step.toLatin1();
        CompanionStore::setFaultHook([wanted](const char *reached) {
            if (wanted == reached)
                ::raise(SIGKILL);
        });
        CompanionStore store;
        store.open(dataFile());
        if (change == QLatin1String("call-back"))
            store.setCallBack(first, 2, QStringLiteral("after"));
        std::vector<Contact> batch(50, Contact{QStringLiteral("Ann"), QString(), {QStringLiteral("555-1234")}});
        if (change == QLatin1String("contacts"))
            store.addContacts(batch, QString(), 1);
    });
    const int status = writer.end(false);
    ::umask(umask);
    QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL, "the writer ran past its step");
    const QString journal = storeFile() + QStringLiteral("-journal");
    QVERIFY(!QFile::exists(journal) || modeOf(journal) == 0600);

    QCOMPARE(sql(storeFile(), {QStringLiteral("PRAGMA integrity_check")}), QVariantList{QStringLiteral("ok")});
    QCOMPARE(sql(storeFile(), {query}).value(0), found);
    CompanionStore store;
    QCOMPARE(store.open(dataFile()), State::Ready);
    QVERIFY(store.callBack(first));
}

// A writer adding batches of contacts, one transaction each, killed at
// moments that fall anywhere: every batch is whole or absent.
void TestCompanionStore::killAtRandomMomentsLeavesWholeTransactions()
{
    constexpr int BatchSize = 20;
    const auto batch = [](int n) {
        std::vector<Contact> contacts;
        for (int i = 0; i < BatchSize; ++i)
            contacts.push_back({QStringLiteral("P%1").arg(i), QString(), {QStringLiteral("555-%1").arg(n)}});
        return contacts;
    };
    writeLog({QStringLiteral("1718357400")});
    {
        CompanionStore store;
        store.open(dataFile());
        QCOMPARE(store.addContacts(batch(0), QStringLiteral("first"), 0), Result::Done);
    }
    for (int round = 0; round < 16; ++round) {
        Child writer([&](int readyFd) {
            CompanionStore::setFaultHook([readyFd](const char *step) {
                if (QByteArray(step) == "committed" && ::write(readyFd, "c", 1) != 1)
                    _exit(1);
            });
            CompanionStore store;
            store.open(dataFile());
            for (int n = 1;; ++n)
                store.addContacts(batch(n), QStringLiteral("%1/%2").arg(round).arg(n), n);
        });
        // Killed after its first commit, at a moment that moves on each round.
        QVERIFY(writer.ready());
        QTest::qSleep(1 + (round * 13) % 60);
        writer.end(true);
        QCOMPARE(sql(storeFile(), {QStringLiteral("PRAGMA integrity_check")}), QVariantList{QStringLiteral("ok")});
    }
    const QVariantList sizes = sql(storeFile(), {QStringLiteral("SELECT count(*) FROM contacts c JOIN contact_phones p"
                                                                " ON p.contact_id = c.id GROUP BY source")});
    QVERIFY(sizes.size() > 16);
    for (const QVariant &size : sizes)
        QCOMPARE(size.toInt(), BatchSize);
}

void TestCompanionStore::contactsMatchByDigits_data()
{
    QTest::addColumn<QString>("phone");
    QTest::addColumn<QStringList>("found");
    const QStringList all = {QStringLiteral("Dee"), QStringLiteral("Cy"), QStringLiteral("Ann")};
    QTest::newRow("ten digits") << "800-555-1234" << all;
    QTest::newRow("country code") << "1 (800) 555-1234" << all;
    QTest::newRow("seven digits") << "555-1234" << all;
    QTest::newRow("ten digits, seven stored") << "312-555-9876" << QStringList{QStringLiteral("Bob")};
    QTest::newRow("seven digits, seven stored") << "555-9876" << QStringList{QStringLiteral("Bob")};
    QTest::newRow("second phone") << "212.555.0000" << QStringList{QStringLiteral("Dee")};
    QTest::newRow("other area code") << "999-555-1234" << QStringList();
    QTest::newRow("no digits") << "Unknown" << QStringList();
}

void TestCompanionStore::contactsMatchByDigits()
{
    QFETCH(QString, phone);
    QFETCH(QStringList, found);
    CompanionStore store;
    store.open(dataFile());
    int added = 0;
    const std::vector<Contact> older = {
        {QStringLiteral("Ann"), QStringLiteral("Acme"), {QStringLiteral("800-555-1234")}},
        {QStringLiteral("Bob"), QString(), {QStringLiteral("555-9876")}},
        {QStringLiteral("Cy"), QString(), {QStringLiteral("+1 (800) 555-1234"), QStringLiteral("8005551234")}},
        {QStringLiteral(" "), QString(), {QStringLiteral("n/a")}},
    };
    QCOMPARE(store.addContacts(older, QStringLiteral("old.vcf"), 100, &added), Result::Done);
    QCOMPARE(added, 3);
    const Contact dee = {QStringLiteral("Dee"), QString(), {QStringLiteral("8005551234"), QStringLiteral("212-555-0000")}};
    QCOMPARE(store.addContacts({dee}, QStringLiteral("new.vcf"), 200), Result::Done);

    const std::vector<ImportedContact> matches = store.contactsFor(phone);
    QCOMPARE(names(matches), found);
    if (!matches.empty() && matches.front().contact.name == QLatin1String("Dee")) {
        QCOMPARE(matches.front().contact.phones, QStringList({QStringLiteral("8005551234"), QStringLiteral("2125550000")}));
        QCOMPARE(matches.front().source, QStringLiteral("new.vcf"));
        QCOMPARE(matches.front().importedAt, qint64(200));
    }
}

void TestCompanionStore::largeImportAndListAreQuick()
{
    writeLog({QStringLiteral("1718357400")});
    CompanionStore store;
    store.open(dataFile());
    std::vector<Contact> contacts;
    for (int i = 0; i < 5000; ++i)
        contacts.push_back({QStringLiteral("Person %1").arg(i), QString(), {QStringLiteral("800-55%1").arg(i, 5, 10, QLatin1Char('0'))}});
    QElapsedTimer timer;
    timer.start();
    int added = 0;
    QCOMPARE(store.addContacts(contacts, QStringLiteral("big.vcf"), 1, &added), Result::Done);
    QVERIFY2(timer.elapsed() < 1000 * SlowBuild, qPrintable(QStringLiteral("%1 ms").arg(timer.elapsed())));
    QCOMPARE(added, 5000);
    QCOMPARE(names(store.contactsFor(QStringLiteral("800-550-4242"))), QStringList{QStringLiteral("Person 4242")});

    // A thousand call-backs, due latest first, written at once by another program.
    QStringList inserts = {QStringLiteral("BEGIN")};
    for (int n = 1; n <= 1000; ++n)
        inserts.append(QStringLiteral("INSERT INTO call_backs VALUES (%1, 1718357400, %2, 'Call back', 0, NULL)").arg(n).arg(Year2040 - n));
    inserts.append(QStringLiteral("COMMIT"));
    sql(storeFile(), inserts);
    timer.restart();
    const std::vector<CallBack> list = store.callBacks(false);
    QVERIFY2(timer.elapsed() < 50 * SlowBuild, qPrintable(QStringLiteral("%1 ms").arg(timer.elapsed())));
    QCOMPARE(int(list.size()), 1000);
    QCOMPARE(list.front().key.number, 1000);
    QCOMPARE(list.back().dueAt, Year2040 - 1);
}

void TestCompanionStore::copyIsCheckedAndOwnerOnly()
{
    writeLog({QStringLiteral("1718357400")});
    const QString copyLog = m_dir->filePath(QStringLiteral("copy.dta"));
    const QString target = CompanionStore::pathFor(copyLog);
    CompanionStore store;
    store.open(dataFile());
    QString error;
    QVERIFY(!store.copyTo(target, &error));
    QCOMPARE(error, QStringLiteral("There is no call-back store yet"));
    QVERIFY(!QFile::exists(target));

    QCOMPARE(store.setCallBack(key(1), Year2040, QStringLiteral("Call back")), Result::Done);
    const mode_t umask = ::umask(022);
    const bool copied = store.copyTo(target, &error);
    ::umask(umask);
    QVERIFY2(copied, qPrintable(error));
    QCOMPARE(modeOf(target), mode_t(0600));
    QVERIFY(store.integrityOk());
    // Beside a copy of the log the copy is a store of its own.
    QVERIFY(QFile::copy(dataFile(), copyLog));
    CompanionStore restored;
    QCOMPARE(restored.open(copyLog), State::Ready);
    QCOMPARE(restored.callBack(key(1))->dueAt, Year2040);

    const QByteArray kept = TestRecords::readAll(target);
    QVERIFY(!store.copyTo(target, &error));
    QCOMPARE(error, target + QStringLiteral(" already exists"));
    QCOMPARE(TestRecords::readAll(target), kept);
}

QTEST_GUILESS_MAIN(TestCompanionStore)
#include "tst_companionstore.moc"
