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

using namespace Qt::StringLiterals;
using State = CompanionStore::State;
using Result = CompanionStore::Result;
Q_DECLARE_METATYPE(State)
Q_DECLARE_METATYPE(Result)

namespace {

constexpr qint64 Day = 1718400000; // 14 June 2024, 21:20 UTC
constexpr qint64 Year2040 = 2208988800; // 1 January 2040, 00:00 UTC
#if defined(__SANITIZE_ADDRESS__)
constexpr int SlowBuild = 5; // an instrumented build runs several times slower
#else
constexpr int SlowBuild = 1;
#endif
const QString DamagedText = u"Call-back store damaged - not used"_s;
const QString BusyText = u"Call-back store in use by another program - try again"_s;
const QString ForeignText = u"Call-back store belongs to another log - not used"_s;

// Version 1 of the store as the first release wrote it.
const QStringList Version1 = {
    u"CREATE TABLE log_identity (id INTEGER PRIMARY KEY CHECK (id = 1), first_saved_at INTEGER NOT NULL,"
    " first_hash TEXT NOT NULL)"_s,
    u"CREATE TABLE call_backs (record_number INTEGER NOT NULL, saved_at INTEGER NOT NULL, due_at INTEGER NOT NULL,"
    " note TEXT NOT NULL, created_at INTEGER NOT NULL, done_at INTEGER, PRIMARY KEY (record_number, saved_at))"_s,
    u"CREATE INDEX call_backs_due ON call_backs (due_at, record_number)"_s,
};

mode_t modeOf(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 0777 : 0;
}

// Statements run through a connection of the test's own, as another program
// would; gives the first column of the last one's rows.
QVariantList sql(const QString &path, const QStringList &statements)
{
    QVariantList rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"test"_s);
        db.setDatabaseName(path);
        QSqlQuery query(db);
        for (const QString &statement : statements) {
            if ((!db.isOpen() && !db.open()) || !query.exec(statement))
                qWarning() << statement << query.lastError().text();
        }
        while (query.next())
            rows.append(query.value(0));
    }
    QSqlDatabase::removeDatabase(u"test"_s);
    return rows;
}

// A process of the test's own that never outlives the test.
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
            if (::getppid() == parent)
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
    // Waits for the child's first byte.
    bool ready()
    {
        char c = 0;
        return ::read(m_ready[0], &c, 1) == 1;
    }
    int end(bool kill)
    {
        if (m_pid > 0 && (!kill || ::kill(m_pid, SIGKILL) == 0))
            ::waitpid(m_pid, &m_status, 0);
        m_pid = 0;
        return m_status;
    }

private:
    pid_t m_pid = -1;
    int m_ready[2] = {-1, -1};
    int m_status = 0;
};

// A path's mode, and the rights of "nobody" when the tests run as root, while they live.
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

QList<int> listed(const CallBackCounts &counts)
{
    return {counts.open, counts.overdue, counts.dueToday};
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
    void faultsNeverStopTheLog_data();
    void faultsNeverStopTheLog();
    void copiedRestoredAndRemovedWhileOpen();
    void killDuringMigrationLeavesOldOrNew_data();
    void killDuringMigrationLeavesOldOrNew();
    void killAtRandomMomentsLeavesWholeTransactions();
    void contactsMatchByDigits_data();
    void contactsMatchByDigits();
    void largeImportAndListAreQuick();

private:
    QString dataFile() const { return m_dir->filePath(u"VNData.dta"_s); }
    QString storeFile() const { return CompanionStore::pathFor(dataFile()); }
    // Records 1, 2, ... first saved at these times.
    void writeLog(const QList<qint64> &savedAts);
    CallRecord record(int n) const;
    RecordKey key(int n) const { return RecordKey::of(record(n)); }
    void writeVersion1();
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestCompanionStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    CompanionStore::setFaultHook(nullptr);
}

void TestCompanionStore::writeLog(const QList<qint64> &savedAts)
{
    for (int i = 0; i < savedAts.size(); ++i) {
        TestRecords::Entry entry;
        entry.savedAt = QString::number(savedAts.at(i));
        CallRecord record = TestRecords::make(i + 1, entry);
        QVERIFY(DataFile::appendRecord(dataFile(), record));
    }
}

CallRecord TestCompanionStore::record(int n) const
{
    CallRecord record;
    DataFile::readRecord(dataFile(), n, record);
    return record;
}

// A store of record 1's log as the first release left it, with one call-back.
void TestCompanionStore::writeVersion1()
{
    const qint64 savedAt = key(1).savedAt;
    sql(storeFile(),
        Version1
            + QStringList{u"INSERT INTO log_identity VALUES (1, %1, '%2')"_s.arg(savedAt).arg(record(1).text(CallRecord::Hash)),
                          u"INSERT INTO call_backs VALUES (1, %1, %2, 'from version 1', 0, NULL)"_s.arg(savedAt).arg(Day),
                          u"PRAGMA user_version = 1"_s});
    QVERIFY(QFile::setPermissions(storeFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
}

void TestCompanionStore::callBacksKeepTheirCallsAndOrder()
{
    writeLog({1718357400, 1718357460, Year2040 + 60});
    CompanionStore store;
    QCOMPARE(store.open(dataFile()), State::Absent);
    QVERIFY(store.callBacks(true).empty());
    QVERIFY(!QFile::exists(storeFile()));
    QCOMPARE(key(3).savedAt, Year2040 + 60);
    QCOMPARE(store.setCallBack({}, Day, QString()), Result::BadKey);

    // Owner-only under the usual umask, the journal as well.
    const mode_t umask = ::umask(022);
    mode_t journalMode = 0;
    CompanionStore::setFaultHook([&](const char *step) {
        if (step == "written"_L1)
            journalMode = modeOf(storeFile() + u"-journal"_s);
    });
    QCOMPARE(store.setCallBack(key(2), Year2040, u"Invoice"_s), Result::Done);
    ::umask(umask);
    QCOMPARE(modeOf(storeFile()), mode_t(0600));
    QCOMPARE(journalMode, mode_t(0600));
    QCOMPARE(store.state(), State::Ready);

    QCOMPARE(store.setCallBack(key(3), Day, u"Quote"_s), Result::Done);
    QCOMPARE(store.setCallBack(key(1), Day, u"Call back"_s), Result::Done);
    QCOMPARE(numbers(store.callBacks(false)), QList<int>({1, 3, 2}));
    // An edit in place keeps the call-back; the same number saved at another time has none.
    CallRecord edited = record(2);
    edited.setText(CallRecord::Notes, u"edited"_s);
    edited.setText(CallRecord::Status, u"E"_s);
    QVERIFY(DataFile::rewriteRecord(dataFile(), 2, edited));
    QCOMPARE(store.callBack(key(2))->note, u"Invoice"_s);
    QCOMPARE(store.callBack(key(2))->dueAt, Year2040);
    QVERIFY(!store.callBack({2, key(2).savedAt + 1}));

    const qint64 now = Day + 10000, dayStart = Day - 48000;
    QCOMPARE(listed(store.counts(now, dayStart, dayStart + 86400)), QList<int>({3, 2, 2}));
    QCOMPARE(store.markDone(key(3), now), Result::Done);
    QCOMPARE(store.setCallBack(key(3), Day, u"Quote sent"_s), Result::Done);
    QCOMPARE(store.callBack(key(3))->doneAt, std::optional<qint64>(now));
    QCOMPARE(numbers(store.callBacks(false)), QList<int>({1, 2}));
    QCOMPARE(numbers(store.callBacks(true)), QList<int>({1, 3, 2}));
    QCOMPARE(listed(store.counts(Year2040 + 1, Year2040, Year2040 + 86400)), QList<int>({2, 2, 1}));
    QCOMPARE(store.reopen(key(3)), Result::Done);
    QVERIFY(!store.callBack(key(3))->isDone());
    QCOMPARE(store.remove(key(1)), Result::Done);
    QCOMPARE(store.remove(key(1)), Result::NotFound);
    QCOMPARE(store.markDone(key(1), now), Result::NotFound);

    CompanionStore again;
    QCOMPARE(again.open(dataFile()), State::Ready);
    QCOMPARE(numbers(again.callBacks(true)), QList<int>({3, 2}));
    QCOMPARE(again.callBack(key(3))->note, u"Quote sent"_s);
}

void TestCompanionStore::noteLongerThanTheLimitIsRefused_data()
{
    QTest::addColumn<QString>("note");
    QTest::addColumn<Result>("result");
    QTest::addColumn<int>("fitted");
    const QString smile = u"\U0001F600"_s;
    QTest::newRow("200 characters") << QString(200, u'n') << Result::Done << 200;
    QTest::newRow("201 characters") << QString(201, u'n') << Result::NoteTooLong << 200;
    QTest::newRow("pair ends at the limit") << QString(198, u'n') + smile << Result::Done << 200;
    QTest::newRow("pair across the limit") << QString(199, u'n') + smile << Result::NoteTooLong << 199;
}

void TestCompanionStore::noteLongerThanTheLimitIsRefused()
{
    QFETCH(QString, note);
    QFETCH(Result, result);
    QFETCH(int, fitted);
    writeLog({1718357400});
    CompanionStore store;
    store.open(dataFile());
    QCOMPARE(store.setCallBack(key(1), Day, note), result);
    QCOMPARE(store.callBack(key(1)).has_value(), result == Result::Done);
    if (result == Result::Done)
        QCOMPARE(store.callBack(key(1))->note, note);
    else
        QCOMPARE(store.problem(), u"Call-back note longer than 200 characters - not saved"_s);
    const QString fit = CompanionStore::fitNote(note);
    QCOMPARE(fit.size(), fitted);
    QVERIFY(note.startsWith(fit) && !fit.back().isHighSurrogate());
}

void TestCompanionStore::storeBelongsToItsLog_data()
{
    QTest::addColumn<bool>("madeFirst");
    QTest::addColumn<QString>("change");
    QTest::addColumn<State>("state");
    QTest::newRow("same log") << false << "none" << State::Ready;
    QTest::newRow("record 1 edited in place") << false << "edit" << State::Ready;
    QTest::newRow("record 1 marked X") << false << "mark" << State::Ready;
    QTest::newRow("same time, other hash, not edited") << false << "rehash" << State::ForeignLog;
    QTest::newRow("another log") << false << "other" << State::ForeignLog;
    QTest::newRow("log emptied") << false << "empty" << State::ForeignLog;
    QTest::newRow("store made before record 1") << true << "none" << State::Ready;
    QTest::newRow("store made before record 1, another log") << true << "other" << State::ForeignLog;
}

void TestCompanionStore::storeBelongsToItsLog()
{
    QFETCH(bool, madeFirst);
    QFETCH(QString, change);
    QFETCH(State, state);
    {
        CompanionStore store;
        store.open(dataFile());
        // An import into an empty log: the store takes record 1 when it first sees one.
        if (madeFirst)
            QCOMPARE(store.addContacts({{u"Ann"_s, {}, {}}}, {}, 1), Result::Done);
        writeLog({1718357400, 1718357460});
        QCOMPARE(store.setCallBack(key(1), Day, u"Call back"_s), Result::Done);
    }
    const RecordKey first = key(1);
    CallRecord one = record(1);
    one.setText(CallRecord::Notes, u"changed"_s);
    if (change == "edit"_L1 || change == "rehash"_L1) {
        one.setText(CallRecord::Status, change == "edit"_L1 ? u"E"_s : u"O"_s);
        QVERIFY(DataFile::rewriteRecord(dataFile(), 1, one));
    } else if (change == "mark"_L1) {
        QVERIFY(TestRecords::patchChar(dataFile(), 1, CallRecord::Status, 0, u'X'));
    } else if (change != "none"_L1) {
        QVERIFY(QFile::remove(dataFile()));
        if (change == "other"_L1)
            writeLog({1718999999});
    }
    const QByteArray before = TestRecords::readAll(storeFile());

    CompanionStore store;
    QCOMPARE(store.open(dataFile()), state);
    if (state == State::Ready) {
        QCOMPARE(store.callBack(first)->note, u"Call back"_s);
        // The store names record 1 by its hash as it stands now.
        QCOMPARE(sql(storeFile(), {u"SELECT first_hash FROM log_identity"_s}),
                 QVariantList{record(1).text(CallRecord::Hash)});
        return;
    }
    QCOMPARE(store.problem(), ForeignText);
    QVERIFY(!store.callBack(first));
    QCOMPARE(store.setCallBack(first, Day, u"Other"_s), Result::NotWritten);
    QCOMPARE(store.problem(), ForeignText);
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
    QTest::newRow("read-only") << "read-only" << State::ReadOnly << true
                               << u"Call-back store is read-only - changes not saved"_s;
    QTest::newRow("from a newer version") << "newer" << State::Newer << true
                                          << u"Call-back store is from a newer Vorlen3 - read only"_s;
    QTest::newRow("another program writing") << "BEGIN IMMEDIATE" << State::Ready << true << BusyText;
    QTest::newRow("another program locks it whole") << "BEGIN EXCLUSIVE" << State::Busy << false << BusyText;
}

void TestCompanionStore::faultsNeverStopTheLog()
{
    QFETCH(QString, fault);
    QFETCH(State, state);
    QFETCH(bool, readable);
    QFETCH(QString, problem);
    writeLog({1718357400, 1718357460});
    {
        CompanionStore store;
        store.open(dataFile());
        QCOMPARE(store.setCallBack(key(1), Day, u"Call back"_s), Result::Done);
        // Pages enough that a cut loses some.
        QCOMPARE(store.addContacts(std::vector<Contact>(300, {u"Someone"_s, u"Acme"_s, {}}), {}, 1), Result::Done);
    }
    const QByteArray whole = TestRecords::readAll(storeFile());
    std::optional<Child> other;
    std::optional<ModeGuard> folder, log, file;
    std::optional<AsNobody> nobody;
    if (fault == "truncated"_L1) {
        QVERIFY(QFile::resize(storeFile(), whole.size() / 2));
    } else if (fault == "text"_L1) {
        QVERIFY(TestRecords::writeAll(storeFile(), "call-backs:\n1 Call back\n"));
    } else if (fault == "newer"_L1) {
        sql(storeFile(), {u"PRAGMA user_version = 3"_s});
    } else if (fault == "read-only"_L1) {
        folder.emplace(m_dir->path(), 0777);
        log.emplace(dataFile(), 0444);
        file.emplace(storeFile(), 0444);
        nobody.emplace();
    } else {
        other.emplace([path = storeFile(), fault](int readyFd) {
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"other"_s);
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
    QCOMPARE(store.setCallBack(key(2), Day, u"Later"_s), Result::NotWritten);
    QCOMPARE(store.problem(), problem);
    QCOMPARE(store.integrityOk(), readable);
    QVERIFY2(timer.elapsed() < 3000, "the store waited too long for another program");
    QCOMPARE(TestRecords::readAll(storeFile()), damaged);

    // Mended, or let go: the next open finds the call-backs again.
    nobody.reset();
    file.reset();
    other.reset();
    QVERIFY(TestRecords::writeAll(storeFile(), whole));
    QCOMPARE(store.open(dataFile()), State::Ready);
    QCOMPARE(store.problem(), QString());
    QCOMPARE(store.callBack(key(1))->note, u"Call back"_s);
    QCOMPARE(store.setCallBack(key(2), Day, u"Later"_s), Result::Done);
}

void TestCompanionStore::copiedRestoredAndRemovedWhileOpen()
{
    writeLog({1718357400, 1718357460});
    const QString backup = m_dir->filePath(u"backup.sqlite"_s);
    CompanionStore store;
    store.open(dataFile());
    QString error;
    QVERIFY(!store.copyTo(backup, &error));
    QCOMPARE(error, u"There is no call-back store yet"_s);
    QVERIFY(!QFile::exists(backup));

    QCOMPARE(store.setCallBack(key(1), Day, u"first"_s), Result::Done);
    const mode_t umask = ::umask(022);
    const bool copied = store.copyTo(backup, &error);
    ::umask(umask);
    QVERIFY2(copied, qPrintable(error));
    QCOMPARE(modeOf(backup), mode_t(0600));
    const QByteArray copy = TestRecords::readAll(backup);
    QVERIFY(!store.copyTo(backup, &error));
    QCOMPARE(error, backup + u" already exists"_s);
    QCOMPARE(TestRecords::readAll(backup), copy);

    // A restore renames the copy over the store: the open store follows it.
    QCOMPARE(store.setCallBack(key(2), Day, u"second"_s), Result::Done);
    QCOMPARE(::rename(QFile::encodeName(backup).constData(), QFile::encodeName(storeFile()).constData()), 0);
    QCOMPARE(numbers(store.callBacks(true)), QList<int>{1});
    QVERIFY(store.integrityOk());

    QVERIFY(QFile::remove(storeFile()));
    QVERIFY(!store.callBack(key(1)));
    QCOMPARE(store.state(), State::Absent);
    QCOMPARE(store.problem(), u"Call-back store was removed - the next call-back starts a new one"_s);
    QCOMPARE(store.setCallBack(key(2), Day, u"again"_s), Result::Done);
    QCOMPARE(numbers(store.callBacks(true)), QList<int>{2});
    QCOMPARE(modeOf(storeFile()), mode_t(0600));
}

void TestCompanionStore::killDuringMigrationLeavesOldOrNew_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<int>("version");
    QTest::newRow("before its commit") << "written" << 1;
    QTest::newRow("after its commit") << "committed" << 2;
}

// A real program killed inside and after the migration of a version 1 store:
// the store is whole, of one version or the next, and opens with its call-back.
void TestCompanionStore::killDuringMigrationLeavesOldOrNew()
{
    QFETCH(QString, step);
    QFETCH(int, version);
    writeLog({1718357400});
    writeVersion1();
    const mode_t umask = ::umask(022);
    Child migrating([&](int) {
        CompanionStore::setFaultHook([wanted = step.toLatin1()](const char *reached) {
            if (wanted == reached)
                ::raise(SIGKILL);
        });
        CompanionStore().open(dataFile());
    });
    const int status = migrating.end(false);
    ::umask(umask);
    QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL, "the migration ran past its step");
    const QString journal = storeFile() + u"-journal"_s;
    QVERIFY(!QFile::exists(journal) || modeOf(journal) == 0600);

    QCOMPARE(sql(storeFile(), {u"PRAGMA integrity_check"_s}), QVariantList{u"ok"_s});
    QCOMPARE(sql(storeFile(), {u"PRAGMA user_version"_s}), QVariantList{version});
    CompanionStore store;
    QCOMPARE(store.open(dataFile()), State::Ready);
    QCOMPARE(store.callBack(key(1))->note, u"from version 1"_s);
    QCOMPARE(store.addContacts({{u"Ann"_s, {}, {u"555-1234"_s}}}, {}, 1), Result::Done);
    QCOMPARE(names(store.contactsFor(u"800-555-1234"_s)), QStringList{u"Ann"_s});
}

// A program adding batches of contacts, one transaction each, killed at
// moments that move: every batch is whole or absent.
void TestCompanionStore::killAtRandomMomentsLeavesWholeTransactions()
{
    constexpr int BatchSize = 20;
    const auto batch = [](int n) {
        return std::vector<Contact>(BatchSize, {u"P%1"_s.arg(n), {}, {u"555-%1"_s.arg(n)}});
    };
    writeLog({1718357400});
    {
        CompanionStore store;
        store.open(dataFile());
        QCOMPARE(store.addContacts(batch(0), u"first"_s, 0), Result::Done);
    }
    for (int round = 0; round < 16; ++round) {
        Child writer([&](int readyFd) {
            CompanionStore::setFaultHook([readyFd](const char *step) {
                if (step == "committed"_L1 && ::write(readyFd, "c", 1) != 1)
                    _exit(1);
            });
            CompanionStore store;
            store.open(dataFile());
            for (int n = 1;; ++n)
                store.addContacts(batch(n), u"%1/%2"_s.arg(round).arg(n), n);
        });
        // Killed after its first commit, a little later on each round.
        QVERIFY(writer.ready());
        QTest::qSleep(1 + (round * 13) % 60);
        writer.end(true);
        QCOMPARE(sql(storeFile(), {u"PRAGMA integrity_check"_s}), QVariantList{u"ok"_s});
    }
    const QVariantList sizes = sql(storeFile(), {u"SELECT count(*) FROM contacts c JOIN contact_phones p"
                                                 " ON p.contact_id = c.id GROUP BY source"_s});
    QVERIFY(sizes.size() > 16);
    for (const QVariant &size : sizes)
        QCOMPARE(size.toInt(), BatchSize);
}

void TestCompanionStore::contactsMatchByDigits_data()
{
    QTest::addColumn<QString>("phone");
    QTest::addColumn<QStringList>("found");
    const QStringList all = {u"Dee"_s, u"Cy"_s, u"Ann"_s};
    QTest::newRow("ten digits") << "800-555-1234" << all;
    QTest::newRow("country code") << "1 (800) 555-1234" << all;
    QTest::newRow("seven digits") << "555-1234" << all;
    QTest::newRow("ten digits, seven stored") << "312-555-9876" << QStringList{u"Bob"_s};
    QTest::newRow("seven digits, seven stored") << "555-9876" << QStringList{u"Bob"_s};
    QTest::newRow("second phone") << "212.555.0000" << QStringList{u"Dee"_s};
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
        {u"Ann"_s, u"Acme"_s, {u"800-555-1234"_s}},
        {u"Bob"_s, {}, {u"555-9876"_s}},
        {u"Cy"_s, {}, {u"+1 (800) 555-1234"_s, u"8005551234"_s}},
        {u" "_s, {}, {u"n/a"_s}},
    };
    QCOMPARE(store.addContacts(older, u"old.vcf"_s, 100, &added), Result::Done);
    QCOMPARE(added, 3);
    QCOMPARE(store.addContacts({{u"Dee"_s, {}, {u"8005551234"_s, u"212-555-0000"_s}}}, u"new.vcf"_s, 200),
             Result::Done);

    const std::vector<ImportedContact> matches = store.contactsFor(phone);
    QCOMPARE(names(matches), found);
    if (!matches.empty() && matches.front().contact.name == "Dee"_L1) {
        QCOMPARE(matches.front().contact.phones, QStringList({u"8005551234"_s, u"2125550000"_s}));
        QCOMPARE(matches.front().source, u"new.vcf"_s);
        QCOMPARE(matches.front().importedAt, qint64(200));
    }
}

void TestCompanionStore::largeImportAndListAreQuick()
{
    writeLog({1718357400});
    CompanionStore store;
    store.open(dataFile());
    std::vector<Contact> contacts;
    for (int i = 0; i < 5000; ++i)
        contacts.push_back({u"Person %1"_s.arg(i), {}, {u"800-55%1"_s.arg(i, 5, 10, QLatin1Char('0'))}});
    QElapsedTimer timer;
    timer.start();
    int added = 0;
    QCOMPARE(store.addContacts(contacts, u"big.vcf"_s, 1, &added), Result::Done);
    QVERIFY2(timer.elapsed() < 1000 * SlowBuild, qPrintable(u"%1 ms"_s.arg(timer.elapsed())));
    QCOMPARE(added, 5000);
    QCOMPARE(names(store.contactsFor(u"800-550-4242"_s)), QStringList{u"Person 4242"_s});

    // A thousand call-backs, due latest first, written at once by another program.
    QStringList inserts = {u"BEGIN"_s};
    for (int n = 1; n <= 1000; ++n)
        inserts.append(u"INSERT INTO call_backs VALUES (%1, 1718357400, %2, 'Call back', 0, NULL)"_s.arg(n).arg(Year2040 - n));
    sql(storeFile(), inserts << u"COMMIT"_s);
    timer.restart();
    const std::vector<CallBack> list = store.callBacks(false);
    QVERIFY2(timer.elapsed() < 50 * SlowBuild, qPrintable(u"%1 ms"_s.arg(timer.elapsed())));
    QCOMPARE(int(list.size()), 1000);
    QCOMPARE(list.front().key.number, 1000);
    QCOMPARE(list.back().dueAt, Year2040 - 1);
}

QTEST_GUILESS_MAIN(TestCompanionStore)
#include "tst_companionstore.moc"
