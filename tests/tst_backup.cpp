#include "backup.h"
#include "childprocess.h"
#include "datafile.h"
#include "platform.h"
#include "testrecords.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <sys/resource.h>
#include <sys/stat.h>

using TestRecords::readAll;

namespace {

constexpr uid_t Nobody = 65534;
const QDateTime Noon(QDate(2024, 6, 14), QTime(12, 0));

// A log of `count` records dated through 2024 (earliest 01/01, latest 12/28),
// each with notes of its own.
QByteArray logBytes(int count)
{
    QByteArray bytes;
    for (int n = 1; n <= count; ++n) {
        TestRecords::Entry entry;
        entry.date = QStringLiteral("%1/%2/2024").arg(1 + n % 12, 2, 10, QLatin1Char('0')).arg(1 + n % 28, 2, 10, QLatin1Char('0'));
        entry.notes = QStringLiteral("Call %1 about order %2").arg(n).arg(n * 7919 % 100003);
        CallRecord record = TestRecords::make(n, entry);
        record.setText(CallRecord::Hash, record.computeHash());
        bytes += TestRecords::recordBytes(record);
    }
    return bytes;
}

void makeStore(const QString &path, int rows)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("test"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("PRAGMA journal_mode=WAL")));
        QVERIFY(query.exec(QStringLiteral("PRAGMA synchronous=OFF")));
        QVERIFY(db.transaction());
        QVERIFY(query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS calls (n INTEGER)")));
        QVERIFY(query.exec(QStringLiteral("DELETE FROM calls")));
        for (int i = 0; i < rows; ++i)
            QVERIFY(query.exec(QStringLiteral("INSERT INTO calls VALUES (%1)").arg(i)));
        QVERIFY(db.commit());
    }
    QSqlDatabase::removeDatabase(QStringLiteral("test"));
}

int storeRows(const QString &path)
{
    int rows = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("count"));
        db.setDatabaseName(path);
        QSqlQuery query(db);
        if (db.open() && query.exec(QStringLiteral("SELECT count(*) FROM calls")) && query.next())
            rows = query.value(0).toInt();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("count"));
    return rows;
}

// What gunzip makes of a file.
QByteArray gunzip(const QString &path)
{
    QProcess gzip;
    gzip.start(QStringLiteral("gzip"), {QStringLiteral("-dc"), path});
    return gzip.waitForFinished(30000) && gzip.exitCode() == 0 ? gzip.readAllStandardOutput() : QByteArray("failed");
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

bool anyGood(const std::vector<Backup::Entry> &entries)
{
    return std::any_of(entries.begin(), entries.end(), [](const Backup::Entry &e) { return e.good; });
}

} // namespace

class TestBackup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void backupIsVerifiedGzipWithManifest();
    void failuresSayWhy_data();
    void failuresSayWhy();
    void killedBackupLeavesNoGoodSet_data();
    void killedBackupLeavesNoGoodSet();
    void rotationKeepsDailyWeeklyMonthly();
    void killedRotationLeavesNoPartialSet_data();
    void killedRotationLeavesNoPartialSet();
    void restoresTornTailAndDeletedLog_data();
    void restoresTornTailAndDeletedLog();
    void restoreRefusesAChangedBackupUnlessForced_data();
    void restoreRefusesAChangedBackupUnlessForced();
    void restoreBringsBackTheStore();
    void folderIsAPerUserSetting();

private:
    QString dataFile() const { return m_dir->filePath(QStringLiteral("VNData.dta")); }
    QString folder() const { return m_dir->filePath(QStringLiteral("Backups")); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestBackup::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

// A log of several blocks with a torn tail, an altered record and an
// undated one, and a store with rows still in its write-ahead log.
void TestBackup::backupIsVerifiedGzipWithManifest()
{
    QByteArray log = logBytes(10000) + QByteArray(300, 'x');
    QVERIFY(TestRecords::writeAll(dataFile(), log));
    QVERIFY(TestRecords::patchChar(dataFile(), 42, CallRecord::Name, 0, QLatin1Char('B')));
    CallRecord undated = TestRecords::make(5000, TestRecords::Entry{});
    undated.setText(CallRecord::Date, QStringLiteral("someday"));
    undated.setText(CallRecord::Hash, undated.computeHash());
    log = readAll(dataFile());
    log.replace(4999 * RecordSize, RecordSize, TestRecords::recordBytes(undated));
    QVERIFY(TestRecords::writeAll(dataFile(), log));
    makeStore(Backup::storePathOf(dataFile()), 3);

    const Backup::Outcome made = Backup::makeBackup(dataFile(), folder(), Noon);
    QVERIFY2(made.ok, qPrintable(made.error));
    QVERIFY(made.warnings.isEmpty());
    const QString stem = QStringLiteral("VNData-20240614-120000");
    QCOMPARE(filesIn(folder()), QStringList({stem + ".dta.gz", stem + ".manifest.json", stem + ".sqlite.gz"}));
    QCOMPARE(gunzip(made.entry.logGzPath), log);
    QVERIFY(TestRecords::writeAll(m_dir->filePath("copy.sqlite"), gunzip(made.entry.storeGzPath)));
    QCOMPARE(storeRows(m_dir->filePath("copy.sqlite")), 3);

    const QJsonObject manifest = QJsonDocument::fromJson(readAll(made.entry.manifestPath)).object();
    QCOMPARE(manifest.value("log").toString(), QStringLiteral("VNData.dta"));
    QCOMPARE(manifest.value("time").toString(), QStringLiteral("2024-06-14T12:00:00Z"));
    QCOMPARE(manifest.value("store").toObject().value("integrity").toString(), QStringLiteral("ok"));
    const std::vector<Backup::Entry> listed = Backup::listBackups(folder(), QStringLiteral("VNData"));
    QCOMPARE(listed.size(), size_t(1));
    const Backup::Entry &entry = listed.front();
    QVERIFY2(entry.good, qPrintable(entry.problem));
    QCOMPARE(entry.time, Noon);
    QCOMPARE(entry.records, qint64(10000));
    QCOMPARE(entry.tailBytes, qint64(300));
    QCOMPARE(entry.failing, qint64(1));
    QCOMPARE(entry.undated, qint64(1));
    QCOMPARE(entry.firstCall, QDate(2024, 1, 1));
    QCOMPARE(entry.lastCall, QDate(2024, 12, 28));
    QVERIFY(entry.hasStore && entry.storeIntact);
    QCOMPARE(entry.logGzSha256,
             QString::fromLatin1(QCryptographicHash::hash(readAll(entry.logGzPath), QCryptographicHash::Sha256).toHex()));
    QCOMPARE(readAll(dataFile()), log);
}

void TestBackup::failuresSayWhy_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("no log") << "no log" << "there is no such log";
    QTest::newRow("folder is a file") << "folder is a file" << "is a file, not a folder";
    QTest::newRow("folder under a file") << "folder under a file" << "cannot be created";
    QTest::newRow("read-only folder") << "read-only" << "no permission (the folder or disk is read-only)";
    QTest::newRow("file size limit") << "disk full" << "the file size limit is reached";
}

void TestBackup::failuresSayWhy()
{
    QFETCH(QString, fault);
    QFETCH(QString, message);
    const QByteArray log = logBytes(2000);
    QVERIFY(TestRecords::writeAll(dataFile(), log));
    QString target = folder();
    QDir().mkpath(folder());
    if (fault == QLatin1String("no log"))
        QFile::remove(dataFile());
    if (fault.startsWith(QLatin1String("folder"))) {
        target = m_dir->filePath(QStringLiteral("file"));
        QVERIFY(TestRecords::writeAll(target, "not a folder"));
        if (fault == QLatin1String("folder under a file"))
            target += QStringLiteral("/Backups");
    }
    // Others may read the log and pass through, but not write the backup folder.
    ::chmod(QFile::encodeName(m_dir->path()).constData(), 0755);
    ::chmod(QFile::encodeName(dataFile()).constData(), 0644);
    const ChildProcess::End end = ChildProcess::run([&] {
        Platform::failWritesPastSizeLimit();
        if (fault == QLatin1String("read-only") && (::setegid(Nobody) != 0 || ::seteuid(Nobody) != 0))
            return QByteArray("cannot become nobody");
        struct rlimit limit = {8192, 8192};
        if (fault == QLatin1String("disk full") && ::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return QByteArray("no limit");
        const Backup::Outcome made = Backup::makeBackup(dataFile(), target, Noon);
        return made.ok ? QByteArray("made") : made.error.toUtf8();
    });
    const QString said = QString::fromUtf8(end.said);
    QVERIFY2(said.contains(message), qPrintable(said));
    QVERIFY(said.startsWith(QStringLiteral("Could not back up VNData.dta to ")));
    QCOMPARE(filesIn(folder()), QStringList());
    if (fault != QLatin1String("no log"))
        QCOMPARE(readAll(dataFile()), log);
}

void TestBackup::killedBackupLeavesNoGoodSet_data()
{
    QTest::addColumn<QString>("step");
    for (const char *step : {"during the copy", "log copied", "store copied", "manifest written", "files renamed"})
        QTest::newRow(step) << QString::fromLatin1(step);
}

// Killed at each step, a backup leaves no set that is listed as good, and the
// next backup clears what it left.
void TestBackup::killedBackupLeavesNoGoodSet()
{
    QFETCH(QString, step);
    const QByteArray log = logBytes(9000);
    QVERIFY(TestRecords::writeAll(dataFile(), log));
    makeStore(Backup::storePathOf(dataFile()), 2);
    const ChildProcess::End end = ChildProcess::run([&] {
        const QByteArray wanted = step.toLatin1();
        Backup::setFaultHook([wanted](const char *reached) {
            if (wanted == reached)
                ::raise(SIGKILL);
        });
        Backup::makeBackup(dataFile(), folder(), Noon, [&](qint64 done, qint64 total) {
            if (wanted == "during the copy" && done > total / 4)
                ::raise(SIGKILL);
            return true;
        });
        return QByteArray();
    });
    QVERIFY(end.killed);
    QVERIFY(!anyGood(Backup::listBackups(folder(), QStringLiteral("VNData"))));
    QCOMPARE(readAll(dataFile()), log);

    const Backup::Outcome next = Backup::makeBackup(dataFile(), folder(), Noon.addSecs(60));
    QVERIFY2(next.ok, qPrintable(next.error));
    const QString stem = QStringLiteral("VNData-20240614-120100");
    QCOMPARE(filesIn(folder()), QStringList({stem + ".dta.gz", stem + ".manifest.json", stem + ".sqlite.gz"}));
}

void TestBackup::rotationKeepsDailyWeeklyMonthly()
{
    // The backup folder is the working folder itself, with other files in it.
    const QString here = m_dir->path();
    QVERIFY(TestRecords::writeAll(dataFile(), logBytes(3)));
    QVERIFY(TestRecords::writeAll(m_dir->filePath("Other.dta"), logBytes(2)));
    QVERIFY(TestRecords::writeAll(m_dir->filePath("notes.txt"), "mine"));
    QVERIFY(Backup::makeBackup(m_dir->filePath("Other.dta"), here, QDateTime(QDate(2023, 1, 1), QTime(9, 0))).ok);
    const Backup::Outcome foreign = Backup::makeBackup(dataFile(), here, QDateTime(QDate(2023, 6, 1), QTime(9, 0)));
    QByteArray manifest = readAll(foreign.entry.manifestPath);
    QVERIFY(TestRecords::writeAll(foreign.entry.manifestPath, manifest.replace("Vorlen3", "Another program")));
    for (QDate day(2024, 1, 1); day <= QDate(2024, 3, 31); day = day.addDays(1))
        QVERIFY(Backup::makeBackup(dataFile(), here, QDateTime(day, QTime(12, 0))).ok);
    QVERIFY(Backup::makeBackup(dataFile(), here, QDateTime(QDate(2024, 3, 31), QTime(18, 0))).ok);
    QVERIFY(!Backup::backupDueToday(here, QStringLiteral("VNData"), QDate(2024, 3, 31)));
    QVERIFY(Backup::backupDueToday(here, QStringLiteral("VNData"), QDate(2024, 4, 1)));

    const Backup::Rotation rotation = Backup::rotate(here, QStringLiteral("VNData"));
    QVERIFY2(rotation.error.isEmpty(), qPrintable(rotation.error));
    QCOMPARE(rotation.removed.size(), 92 - 12);
    QStringList kept;
    for (const Backup::Entry &entry : Backup::listBackups(here, QStringLiteral("VNData")))
        kept.append(entry.stem.mid(7) + (entry.good ? "" : " not good"));
    // Days Mar 25 to 31 (the later one of the 31st); weeks ending Mar 24, 17,
    // 10; months ending Feb 29 and Jan 31; the other program's set stays.
    QCOMPARE(kept, QStringList({"20240331-180000", "20240330-120000", "20240329-120000", "20240328-120000",
                                "20240327-120000", "20240326-120000", "20240325-120000", "20240324-120000",
                                "20240317-120000", "20240310-120000", "20240229-120000", "20240131-120000",
                                "20230601-090000 not good"}));
    QCOMPARE(Backup::listBackups(here, QStringLiteral("Other")).size(), size_t(1));
    QCOMPARE(readAll(m_dir->filePath("notes.txt")), QByteArray("mine"));
    QCOMPARE(readAll(dataFile()), logBytes(3));
}

void TestBackup::killedRotationLeavesNoPartialSet_data()
{
    QTest::addColumn<QString>("step");
    QTest::newRow("manifest renamed") << "manifest renamed";
    QTest::newRow("files removed") << "files removed";
}

void TestBackup::killedRotationLeavesNoPartialSet()
{
    QFETCH(QString, step);
    QVERIFY(TestRecords::writeAll(dataFile(), logBytes(3)));
    for (int i = 0; i < 4; ++i)
        QVERIFY(Backup::makeBackup(dataFile(), folder(), Noon.addSecs(i * 60)).ok);
    const ChildProcess::End end = ChildProcess::run([&] {
        const QByteArray wanted = step.toLatin1();
        Backup::setFaultHook([wanted](const char *reached) {
            if (wanted == reached)
                ::raise(SIGKILL);
        });
        Backup::rotate(folder(), QStringLiteral("VNData"));
        return QByteArray();
    });
    QVERIFY(end.killed);
    const std::vector<Backup::Entry> listed = Backup::listBackups(folder(), QStringLiteral("VNData"));
    QCOMPARE(listed.size(), size_t(3));
    QVERIFY(std::all_of(listed.begin(), listed.end(), [](const Backup::Entry &e) { return e.good; }));
    QCOMPARE(readAll(dataFile()), logBytes(3));

    // The next backup finishes the removal.
    QVERIFY(Backup::makeBackup(dataFile(), folder(), Noon.addSecs(600)).ok);
    QCOMPARE(filesIn(folder()).size(), 4 * 2);
}

void TestBackup::restoresTornTailAndDeletedLog_data()
{
    QTest::addColumn<bool>("deleted");
    QTest::newRow("torn tail, over another log") << false;
    QTest::newRow("deleted log") << true;
}

void TestBackup::restoresTornTailAndDeletedLog()
{
    QFETCH(bool, deleted);
    const QByteArray log = logBytes(5) + (deleted ? QByteArray() : logBytes(6).right(RecordSize).left(300));
    QVERIFY(TestRecords::writeAll(dataFile(), log));
    const Backup::Outcome made = Backup::makeBackup(dataFile(), folder(), Noon);
    QVERIFY2(made.ok, qPrintable(made.error));
    if (deleted)
        QVERIFY(QFile::remove(dataFile()));
    else
        QVERIFY(TestRecords::writeAll(dataFile(), logBytes(2)));

    const Backup::RestoreOutcome restored = Backup::restore(made.entry, dataFile(), folder(), Noon.addDays(1));
    QVERIFY2(restored.ok, qPrintable(restored.error));
    QCOMPARE(readAll(dataFile()), log);
    QCOMPARE(restored.records, qint64(5));
    QCOMPARE(restored.safetyBackupMade, !deleted);
    const DataFile::LogCheck check = DataFile::checkLog(dataFile());
    QCOMPARE(check.state, deleted ? DataFile::LogState::Whole : DataFile::LogState::TornTail);
    QCOMPARE(check.strayBytes, qint64(deleted ? 0 : 300));
    std::vector<CallRecord> records;
    QVERIFY(DataFile::scanRecords(dataFile(), DataFile::ScanMode::Unchecked, records));
    QCOMPARE(records.size(), size_t(5));
    QVERIFY(std::all_of(records.begin(), records.end(), [](const CallRecord &r) { return r.verify(); }));
    const std::vector<Backup::Entry> listed = Backup::listBackups(folder(), QStringLiteral("VNData"));
    QCOMPARE(listed.size(), size_t(deleted ? 1 : 2));
    QCOMPARE(listed.front().records, qint64(deleted ? 5 : 2));
    QVERIFY(!QFile::exists(dataFile() + ".restore.tmp"));
}

void TestBackup::restoreRefusesAChangedBackupUnlessForced_data()
{
    QTest::addColumn<QByteArray>("change");
    QTest::addColumn<bool>("forcedRestores");
    // A second, empty gzip member: gunzip still reads the same log.
    QTest::newRow("a member added") << QByteArray::fromHex("1f8b080000000000020303000000000000000000") << true;
    QTest::newRow("a byte changed") << QByteArray("flip") << false;
}

void TestBackup::restoreRefusesAChangedBackupUnlessForced()
{
    QFETCH(QByteArray, change);
    QFETCH(bool, forcedRestores);
    const QByteArray log = logBytes(20);
    QVERIFY(TestRecords::writeAll(dataFile(), log));
    const Backup::Outcome made = Backup::makeBackup(dataFile(), folder(), Noon);
    QVERIFY(made.ok);
    QByteArray gz = readAll(made.entry.logGzPath);
    if (change == "flip")
        gz[gz.size() / 2] = char(gz[gz.size() / 2] ^ 0x55);
    else
        gz += change;
    QVERIFY(TestRecords::writeAll(made.entry.logGzPath, gz));
    const QByteArray current = logBytes(7);
    QVERIFY(TestRecords::writeAll(dataFile(), current));

    const Backup::RestoreOutcome refused = Backup::restore(made.entry, dataFile(), folder(), Noon.addSecs(1));
    QVERIFY(!refused.ok);
    QVERIFY2(refused.error.startsWith(QStringLiteral("Could not restore the backup VNData-20240614-120000: ")),
             qPrintable(refused.error));
    QCOMPARE(readAll(dataFile()), current);

    const Backup::RestoreOutcome forced = Backup::restore(made.entry, dataFile(), folder(), Noon.addSecs(2), true);
    QVERIFY2(forced.ok == forcedRestores, qPrintable(forced.error));
    QCOMPARE(readAll(dataFile()), forcedRestores ? log : current);
    QVERIFY(!QFile::exists(dataFile() + ".restore.tmp"));
}

void TestBackup::restoreBringsBackTheStore()
{
    QVERIFY(TestRecords::writeAll(dataFile(), logBytes(4)));
    const QString store = Backup::storePathOf(dataFile());
    makeStore(store, 3);
    const Backup::Outcome made = Backup::makeBackup(dataFile(), folder(), Noon);
    QVERIFY(made.ok && made.entry.hasStore);
    makeStore(store, 9);
    // Journals SQLite left beside the store it replaces must not be played into the restored one.
    QVERIFY(TestRecords::writeAll(store + "-wal", "stale"));
    QVERIFY(TestRecords::writeAll(store + "-shm", "stale"));

    const Backup::RestoreOutcome restored = Backup::restore(made.entry, dataFile(), folder(), Noon.addSecs(5));
    QVERIFY2(restored.ok && restored.storeRestored, qPrintable(restored.error));
    QVERIFY(!QFile::exists(store + "-wal") && !QFile::exists(store + "-shm"));
    QCOMPARE(storeRows(store), 3);
}

void TestBackup::folderIsAPerUserSetting()
{
    QSettings settings(m_dir->filePath("settings.ini"), QSettings::IniFormat);
    QCOMPARE(Backup::folder(settings, "/home/ann/CallLog"), QStringLiteral("/home/ann/CallLog/Backups"));
    Backup::setFolder(settings, "/media/usb/CallLog backups");
    QCOMPARE(Backup::folder(settings, "/home/ann/CallLog"), QStringLiteral("/media/usb/CallLog backups"));
    QCOMPARE(settings.value(Backup::FolderSetting).toString(), QStringLiteral("/media/usb/CallLog backups"));
}

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
