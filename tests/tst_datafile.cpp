#include "childprocess.h"
#include "datafile.h"
#include "platform.h"
#include "testrecords.h"
#include "workfolderfixture.h"

#include <QtTest>

#include <QElapsedTimer>
#include <QLockFile>

#include <csignal>
#include <cstring>
#include <functional>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

Q_DECLARE_METATYPE(DataFile::LogState)
Q_DECLARE_METATYPE(DataFile::WriteResult)
Q_DECLARE_METATYPE(Platform::File::Open)
Q_DECLARE_METATYPE(Platform::Failure)

using TestRecords::make;
using TestRecords::readAll;

class TestDataFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void absentFileCountsZeroAndFirstSaveCreatesIt();
    void threeAppendsAreNumberedInOrder();
    void rewriteTouchesOnlyItsRecord();
    void countComesFromTheLastRecordNumber_data();
    void countComesFromTheLastRecordNumber();
    void readStaysInsideWholeRecords();
    void appendRefusesAFileItWouldMisplace_data();
    void appendRefusesAFileItWouldMisplace();
    void rewriteRefusesARecordThatIsNotThere();
    void folderAsDataFile();
    void scanStopsAtTheFileEnd_data();
    void scanStopsAtTheFileEnd();
    void scanMarksFailingRecords();
    void fileSizeLimitDuringSaveLeavesTheFileWhole();
    void crashAtEveryStepOfASave_data();
    void crashAtEveryStepOfASave();
    void damagedTailIsNamedAndRepaired_data();
    void damagedTailIsNamedAndRepaired();
    void longScanReportsProgressAndCancels_data();
    void longScanReportsProgressAndCancels();
    void platformFileOpens_data();
    void platformFileOpens();
    void checkOnEveryCoreMatchesOneCore_data();
    void checkOnEveryCoreMatchesOneCore();
    void onlyTheStartOfARecordOneIsALog_data();
    void onlyTheStartOfARecordOneIsALog();
    void emptySlotsAreDamageNotRecords_data();
    void emptySlotsAreDamageNotRecords();
    void refusedWritesNameTheirCause_data();
    void refusedWritesNameTheirCause();
    void anotherProgramsLockRefusesEveryWrite();
    void rollbackLeavesRecordsItDidNotAdd();
    void repairShortensOnlyAfterTheMovedBytesReadBack();

private:
    QString path() const { return m_folder->dataFile(); }
    void appendN(int n);
    // `count` sealed records, then `altered` (numbers) given another name.
    static QByteArray logOf(int count, const QList<int> &altered = {});
    std::unique_ptr<WorkFolderFixture> m_folder;
};

void TestDataFile::init()
{
    m_folder = std::make_unique<WorkFolderFixture>();
    QVERIFY(m_folder->dir.isValid());
}

void TestDataFile::cleanup()
{
    m_folder.reset();
}

void TestDataFile::appendN(int n)
{
    TestRecords::appendEntries(path(), QList<TestRecords::Entry>(n));
}

QByteArray TestDataFile::logOf(int count, const QList<int> &altered)
{
    QByteArray bytes;
    bytes.reserve(qsizetype(count) * RecordSize);
    for (int n = 1; n <= count; ++n) {
        CallRecord record = make(n);
        record.setText(CallRecord::Hash, record.computeHash());
        if (altered.contains(n))
            record.setText(CallRecord::Name, QStringLiteral("Bob"));
        bytes += TestRecords::recordBytes(record);
    }
    return bytes;
}

void TestDataFile::absentFileCountsZeroAndFirstSaveCreatesIt()
{
    QCOMPARE(DataFile::findRecordCount(path()), 0);
    CallRecord record = make(1);
    QVERIFY(DataFile::appendRecord(path(), record));
    const QByteArray bytes = readAll(path());
    QCOMPARE(bytes.size(), RecordSize);
    // The buffer holds what is on disk, hash included.
    QCOMPARE(bytes, TestRecords::recordBytes(record));
    QCOMPARE(record.text(CallRecord::Hash).size(), 64);
    QVERIFY(record.verify());
    QCOMPARE(DataFile::findRecordCount(path()), 1);
}

void TestDataFile::threeAppendsAreNumberedInOrder()
{
    appendN(3);
    QCOMPARE(QFileInfo(path()).size(), qint64(2976));
    for (int n = 1; n <= 3; ++n) {
        CallRecord record;
        QCOMPARE(DataFile::readRecord(path(), n, record), DataFile::ReadResult::Ok);
        QCOMPARE(record.number(), n);
        QVERIFY(record.verify());
    }
}

void TestDataFile::rewriteTouchesOnlyItsRecord()
{
    appendN(3);
    const QByteArray before = readAll(path());
    CallRecord record;
    QCOMPARE(DataFile::readRecord(path(), 2, record), DataFile::ReadResult::Ok);
    const QString oldHash = record.text(CallRecord::Hash);
    record.setText(CallRecord::Notes, QStringLiteral("changed"));
    record.setText(CallRecord::Status, QStringLiteral("E"));
    QVERIFY(DataFile::rewriteRecord(path(), 2, record));

    const QByteArray after = readAll(path());
    QCOMPARE(after.size(), before.size());
    QCOMPARE(after.left(RecordSize), before.left(RecordSize));
    QCOMPARE(after.mid(2 * RecordSize), before.mid(2 * RecordSize));
    CallRecord stored;
    QCOMPARE(DataFile::readRecord(path(), 2, stored), DataFile::ReadResult::Ok);
    QCOMPARE(stored.text(CallRecord::SavedAt), QStringLiteral("1718357400"));
    QCOMPARE(stored.number(), 2);
    QCOMPARE(stored.text(CallRecord::Status), QStringLiteral("E"));
    QVERIFY(stored.text(CallRecord::Hash) != oldHash);
    QVERIFY(stored.verify());
}

void TestDataFile::countComesFromTheLastRecordNumber_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("count");
    const QByteArray one = TestRecords::recordBytes(make(1));
    const QByteArray seven = TestRecords::recordBytes(make(7));
    CallRecord garbage = make(1);
    garbage.setText(CallRecord::RecordNumber, QStringLiteral("x12"));
    CallRecord negative = make(1);
    negative.setText(CallRecord::RecordNumber, QStringLiteral("-5"));

    QTest::newRow("empty file") << QByteArray() << 0;
    QTest::newRow("shorter than one record") << one.left(RecordSize - 1) << 0;
    QTest::newRow("one record") << one << 1;
    QTest::newRow("last number 7 in two records") << one + seven << 7;
    QTest::newRow("last number 7 alone") << seven << 7;
    QTest::newRow("last number not a number") << one + TestRecords::recordBytes(garbage) << 0;
    QTest::newRow("last number negative") << TestRecords::recordBytes(negative) << -5;
    // A torn tail is not a record: the count comes from the last whole one.
    QTest::newRow("garbage grown after a record") << seven + QByteArray(10, '\0') << 7;
}

void TestDataFile::countComesFromTheLastRecordNumber()
{
    QFETCH(QByteArray, content);
    QFETCH(int, count);
    QVERIFY(TestRecords::writeAll(path(), content));
    QCOMPARE(DataFile::findRecordCount(path()), count);
}

void TestDataFile::readStaysInsideWholeRecords()
{
    appendN(2);
    QVERIFY(TestRecords::writeAll(path(), readAll(path()) + QByteArray(500, 'z')));
    CallRecord record = make(99);
    const QByteArray untouched = TestRecords::recordBytes(record);
    QCOMPARE(DataFile::readRecord(path(), 0, record), DataFile::ReadResult::NoSuchRecord);
    QCOMPARE(DataFile::readRecord(path(), 3, record), DataFile::ReadResult::NoSuchRecord);
    QCOMPARE(DataFile::readRecord(path(), -1, record), DataFile::ReadResult::NoSuchRecord);
    QCOMPARE(TestRecords::recordBytes(record), untouched);
    QCOMPARE(DataFile::readRecord(path(), 2, record), DataFile::ReadResult::Ok);
    QCOMPARE(DataFile::readRecord(m_folder->path(QStringLiteral("none.dta")), 1, record),
             DataFile::ReadResult::OpenFailed);
}

void TestDataFile::appendRefusesAFileItWouldMisplace_data()
{
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<int>("number");
    QTest::newRow("garbage bytes after the records") << QByteArray(17, 'g') << 3;
    QTest::newRow("number past the next slot") << QByteArray() << 8;
    QTest::newRow("number of an existing slot") << QByteArray() << 2;
    QTest::newRow("largest number") << QByteArray() << 2147483647;
}

void TestDataFile::appendRefusesAFileItWouldMisplace()
{
    QFETCH(QByteArray, tail);
    QFETCH(int, number);
    appendN(2);
    QVERIFY(TestRecords::writeAll(path(), readAll(path()) + tail));
    const QByteArray before = readAll(path());
    CallRecord record = make(number);
    QVERIFY(!DataFile::appendRecord(path(), record));
    QCOMPARE(readAll(path()), before);
}

void TestDataFile::rewriteRefusesARecordThatIsNotThere()
{
    appendN(2);
    const QByteArray before = readAll(path());
    CallRecord third = make(3);
    QVERIFY(!DataFile::rewriteRecord(path(), 3, third));
    CallRecord mismatched = make(1);
    QVERIFY(!DataFile::rewriteRecord(path(), 2, mismatched));
    QVERIFY(!DataFile::rewriteRecord(m_folder->path(QStringLiteral("none.dta")), 1, mismatched));
    QCOMPARE(readAll(path()), before);
    QVERIFY(!QFile::exists(m_folder->path(QStringLiteral("none.dta"))));
}

void TestDataFile::folderAsDataFile()
{
    QVERIFY(QDir(m_folder->dir.path()).mkdir(QStringLiteral("VNData.dta")));
    QCOMPARE(DataFile::findRecordCount(path()), 0);
    CallRecord record = make(1);
    QVERIFY(!DataFile::appendRecord(path(), record));
    std::vector<CallRecord> records;
    QVERIFY(!DataFile::scanRecords(path(), DataFile::ScanMode::CheckAndMark, records));
    QVERIFY(!DataFile::scanRecords(path(), DataFile::ScanMode::Unchecked, records));
}

void TestDataFile::scanStopsAtTheFileEnd_data()
{
    QTest::addColumn<QString>("lastNumber");
    QTest::addColumn<int>("listed");
    QTest::newRow("in order") << "3" << 3;
    QTest::newRow("larger than the records") << "7" << 3;
    QTest::newRow("largest number") << "2147483647" << 3;
    QTest::newRow("smaller than the records") << "2" << 2;
    QTest::newRow("negative") << "-5" << 0;
    QTest::newRow("not a number") << "abc" << 0;
}

void TestDataFile::scanStopsAtTheFileEnd()
{
    QFETCH(QString, lastNumber);
    QFETCH(int, listed);
    appendN(3);
    // Give the last record another number and a valid hash for it.
    CallRecord last;
    QCOMPARE(DataFile::readRecord(path(), 3, last), DataFile::ReadResult::Ok);
    last.setText(CallRecord::RecordNumber, lastNumber);
    last.setText(CallRecord::Hash, last.computeHash());
    QByteArray bytes = readAll(path());
    bytes.replace(2 * RecordSize, RecordSize, TestRecords::recordBytes(last));
    QVERIFY(TestRecords::writeAll(path(), bytes));

    // Every reader reads the same records: in blocks, and never one past them.
    DataFile::LogReader reader(path());
    QVERIFY(reader.open());
    QCOMPARE(reader.count(), qint64(listed));
    QCOMPARE(reader.lastNumber(), textToInt(lastNumber));
    QByteArray visited;
    QVERIFY(reader.forEachBlock([&](const CallRecord *block, qint64 first, qint64 n) {
        if (first != visited.size() / RecordSize)
            return false;
        visited += QByteArray(reinterpret_cast<const char *>(block), int(n * RecordSize));
        return true;
    }, 2));
    QCOMPARE(visited, bytes.left(listed * RecordSize));
    CallRecord beyond;
    QVERIFY(!reader.read(listed, 1, &beyond));

    std::vector<CallRecord> records;
    QVERIFY(DataFile::scanRecords(path(), DataFile::ScanMode::Unchecked, records));
    QCOMPARE(int(records.size()), listed);
    QVERIFY(DataFile::scanRecords(path(), DataFile::ScanMode::CheckAndMark, records));
    QCOMPARE(int(records.size()), listed);
    for (const CallRecord &record : records)
        QVERIFY(record.verify());
    QCOMPARE(readAll(path()), bytes);
}

void TestDataFile::scanMarksFailingRecords()
{
    appendN(3);
    QVERIFY(TestRecords::patchChar(path(), 2, CallRecord::Name, 0, QLatin1Char('B')));
    const QByteArray altered = readAll(path());

    std::vector<CallRecord> records;
    QVERIFY(DataFile::scanRecords(path(), DataFile::ScanMode::Unchecked, records));
    QCOMPARE(records.at(1).text(CallRecord::Status), QStringLiteral("O"));
    QCOMPARE(readAll(path()), altered);

    QVERIFY(DataFile::scanRecords(path(), DataFile::ScanMode::CheckAndMark, records));
    QCOMPARE(records.size(), size_t(3));
    QCOMPARE(records.at(0).text(CallRecord::Status), QStringLiteral("O"));
    QCOMPARE(records.at(1).text(CallRecord::Status), QStringLiteral("X"));
    QCOMPARE(records.at(2).text(CallRecord::Status), QStringLiteral("O"));
    const QByteArray marked = readAll(path());
    QCOMPARE(marked.left(RecordSize), altered.left(RecordSize));
    QCOMPARE(marked.mid(2 * RecordSize), altered.mid(2 * RecordSize));
    QCOMPARE(marked.mid(RecordSize, RecordSize), TestRecords::recordBytes(records.at(1)));

    // A marked record keeps failing and stays marked.
    QVERIFY(DataFile::scanRecords(path(), DataFile::ScanMode::CheckAndMark, records));
    QCOMPARE(records.at(1).text(CallRecord::Status), QStringLiteral("X"));
    QCOMPARE(readAll(path()), marked);
}

void TestDataFile::fileSizeLimitDuringSaveLeavesTheFileWhole()
{
    appendN(2);
    const QByteArray before = readAll(path());
    ChildProcess child([&] {
        // The limit cuts the new record in the middle of its first write.
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit;
        limit.rlim_cur = limit.rlim_max = rlim_t(before.size() + 500);
        setrlimit(RLIMIT_FSIZE, &limit);
        CallRecord record = make(3);
        return DataFile::appendRecord(path(), record) ? 0 : 1;
    });
    QVERIFY(child.started());
    int status = 0;
    QVERIFY(child.waitForExit(status));
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 1);
    QCOMPARE(readAll(path()), before);
    QCOMPARE(DataFile::findRecordCount(path()), 2);
}

void TestDataFile::crashAtEveryStepOfASave_data()
{
    QTest::addColumn<bool>("edit");
    QTest::addColumn<QString>("step");
    QTest::addColumn<bool>("sizeLimit");
    for (bool edit : {false, true}) {
        for (const char *step : {"journal", "journal synced", "record", "record synced", "done"})
            QTest::addRow("%s, killed after %s", edit ? "edit" : "new record", step) << edit << QString::fromLatin1(step) << false;
    }
    // The disk takes only part of the record, then the program dies.
    QTest::newRow("new record, cut by the file size limit, killed") << false << "record" << true;
}

// A real saving process killed at each step: after the next start-up's
// rollback every record is whole and verifies, the new one is whole or
// absent, and an edited one is new or as it was.
void TestDataFile::crashAtEveryStepOfASave()
{
    QFETCH(bool, edit);
    QFETCH(QString, step);
    QFETCH(bool, sizeLimit);
    appendN(3);
    const QByteArray before = readAll(path());
    ChildProcess child([&] {
        const QByteArray wanted = step.toLatin1();
        DataFile::setFaultHook([wanted](const char *reached) {
            if (wanted == reached)
                ::raise(SIGKILL);
        });
        if (sizeLimit) {
            std::signal(SIGXFSZ, SIG_IGN);
            struct rlimit limit;
            limit.rlim_cur = limit.rlim_max = rlim_t(3 * RecordSize + 300);
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        CallRecord record = make(edit ? 2 : 4);
        record.setText(CallRecord::Notes, QStringLiteral("changed"));
        const bool saved = edit ? DataFile::rewriteRecord(path(), 2, record) : DataFile::appendRecord(path(), record);
        return saved ? 0 : 1;
    });
    QVERIFY(child.started());
    int status = 0;
    QVERIFY(child.waitForExit(status));
    QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL, "the save ran past its fault");

    // A journal left behind is the user's alone.
    const QString journal = DataFile::journalPath(path());
    struct stat info;
    if (::stat(QFile::encodeName(journal).constData(), &info) == 0)
        QCOMPARE(info.st_mode & 0777, mode_t(0600));

    const DataFile::Rollback rollback = DataFile::rollBackJournal(path());
    const bool journalled = step != QLatin1String("done");
    QCOMPARE(rollback, journalled ? DataFile::Rollback::RolledBack : DataFile::Rollback::NoJournal);
    QVERIFY(!QFile::exists(journal));

    const QByteArray after = readAll(path());
    QCOMPARE(after.left(RecordSize), before.left(RecordSize));
    QCOMPARE(DataFile::checkLog(path()).state, DataFile::LogState::Whole);
    std::vector<CallRecord> records;
    QVERIFY(DataFile::scanRecords(path(), DataFile::ScanMode::Unchecked, records));
    for (const CallRecord &record : records)
        QVERIFY(record.verify());
    // Only a save that got to its end is kept.
    if (journalled) {
        QCOMPARE(after, before);
    } else {
        QCOMPARE(int(records.size()), edit ? 3 : 4);
        QCOMPARE(records.at(edit ? 1 : 3).text(CallRecord::Notes), QStringLiteral("changed"));
    }
}

void TestDataFile::damagedTailIsNamedAndRepaired_data()
{
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<DataFile::LogState>("state");
    const QByteArray fourth = TestRecords::recordBytes(make(4));
    QTest::newRow("96 bytes of a record") << fourth.left(96) << DataFile::LogState::TornTail;
    QTest::newRow("300 bytes of a record") << fourth.left(300) << DataFile::LogState::TornTail;
    QTest::newRow("900 bytes of a record") << fourth.left(900) << DataFile::LogState::TornTail;
    QTest::newRow("a record numbered for another slot")
        << TestRecords::recordBytes(make(9)) << DataFile::LogState::MisnumberedTail;
    QTest::newRow("a misnumbered record and a torn one")
        << TestRecords::recordBytes(make(9)) + fourth.left(40) << DataFile::LogState::TornTail;
}

void TestDataFile::damagedTailIsNamedAndRepaired()
{
    QFETCH(QByteArray, tail);
    QFETCH(DataFile::LogState, state);
    appendN(3);
    const QByteArray whole = readAll(path());
    QVERIFY(TestRecords::writeAll(path(), whole + tail));
    const QByteArray damaged = readAll(path());

    const DataFile::LogCheck check = DataFile::checkLog(path());
    QCOMPARE(check.state, state);
    QCOMPARE(check.goodRecords, qint64(3));
    QCOMPARE(check.strayOffset, qint64(whole.size()));
    QCOMPARE(check.strayBytes, qint64(tail.size()));
    if (state == DataFile::LogState::TornTail)
        QCOMPARE(check.recordCount, tail.size() > RecordSize ? 9 : 3);

    // Nothing is written into it: no new record, no edit, no mark.
    CallRecord next = make(4);
    QCOMPARE(DataFile::storeNew(path(), next), DataFile::WriteResult::Damaged);
    CallRecord second = make(2);
    QCOMPARE(DataFile::storeEdit(path(), 2, second), DataFile::WriteResult::Damaged);
    QVERIFY(TestRecords::patchChar(path(), 1, CallRecord::Name, 0, QLatin1Char('B')));
    const QByteArray altered = readAll(path());
    std::vector<CallRecord> records;
    const DataFile::ScanOutcome outcome = DataFile::scan(path(), DataFile::ScanMode::CheckAndMark, records);
    QVERIFY(outcome.readOnly);
    QCOMPARE(outcome.marked, 0);
    QCOMPARE(readAll(path()), altered);
    QCOMPARE(altered.mid(RecordSize), damaged.mid(RecordSize));

    // Repair moves the tail beside the log, byte for byte, and saving works again.
    const DataFile::RepairResult repair = DataFile::repairLog(path(), QStringLiteral("20260307-152540"));
    QVERIFY2(repair.repaired, qPrintable(repair.error));
    QCOMPARE(repair.movedTo, m_folder->path(QStringLiteral("VNData.dta.damaged-20260307-152540")));
    QCOMPARE(readAll(repair.movedTo), tail);
    QCOMPARE(readAll(path()), altered.left(whole.size()));
    QCOMPARE(DataFile::checkLog(path()).state, DataFile::LogState::Whole);
    QCOMPARE(DataFile::storeNew(path(), next), DataFile::WriteResult::Written);
    QCOMPARE(DataFile::findRecordCount(path()), 4);
    // A second repair the same second keeps the first one's file.
    QVERIFY(TestRecords::writeAll(path(), readAll(path()) + tail.left(10)));
    const DataFile::RepairResult again = DataFile::repairLog(path(), QStringLiteral("20260307-152540"));
    QVERIFY(again.repaired);
    QVERIFY(again.movedTo != repair.movedTo);
    QCOMPARE(readAll(repair.movedTo), tail);
    QCOMPARE(readAll(again.movedTo), tail.left(10));
}

void TestDataFile::longScanReportsProgressAndCancels_data()
{
    QTest::addColumn<int>("cancelAfter");
    QTest::newRow("read to the end") << -1;
    QTest::newRow("cancelled after the first piece") << 1;
}

// A long log is read in pieces, each reported; a cancelled scan lists nothing
// and marks nothing.
void TestDataFile::longScanReportsProgressAndCancels()
{
    QFETCH(int, cancelAfter);
    constexpr int count = 40000;
    QByteArray bytes;
    bytes.reserve(qsizetype(count) * RecordSize);
    for (int n = 1; n <= count; ++n) {
        CallRecord record = make(n);
        record.setText(CallRecord::Hash, record.computeHash());
        bytes += TestRecords::recordBytes(record);
    }
    // The last record fails its check.
    bytes[qsizetype(count - 1) * RecordSize + CallRecord::offset(CallRecord::Name)] = 'B';
    QVERIFY(TestRecords::writeAll(path(), bytes));
    QList<qint64> reports;
    std::vector<CallRecord> records;
    const DataFile::ScanOutcome outcome = DataFile::scan(
        path(), DataFile::ScanMode::CheckAndMark, records, [&](qint64 done, qint64 total) {
            reports.append(done);
            return total == count && (cancelAfter < 0 || reports.size() < cancelAfter);
        });
    QVERIFY(reports.size() >= (cancelAfter < 0 ? 2 : 1));
    // The first report comes after about a megabyte, not after a whole block.
    QVERIFY(reports.first() <= 1024);
    QCOMPARE(outcome.cancelled, cancelAfter > 0);
    if (cancelAfter > 0) {
        QVERIFY(records.empty());
        QCOMPARE(outcome.marked, 0);
        QCOMPARE(readAll(path()), bytes);
    } else {
        QCOMPARE(reports.last(), qint64(count));
        QCOMPARE(int(records.size()), count);
        QCOMPARE(outcome.marked, 1);
        QCOMPARE(records.back().text(CallRecord::Status), QStringLiteral("X"));
    }
}

void TestDataFile::platformFileOpens_data()
{
    using Open = Platform::File::Open;
    QTest::addColumn<Open>("how");
    QTest::addColumn<bool>("existing");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<Platform::Failure>("failure");
    QTest::addColumn<QByteArray>("after"); // the file's bytes once closed; null: no file
    const QByteArray old("old bytes");
    QTest::newRow("read-write, missing") << Open::ReadWrite << false << false << Platform::Failure::NotFound
                                         << QByteArray();
    QTest::newRow("read-write, existing") << Open::ReadWrite << true << true << Platform::Failure::None
                                          << QByteArray("new bytes");
    QTest::newRow("created when missing") << Open::ReadWriteCreate << false << true << Platform::Failure::None
                                          << QByteArray("new");
    QTest::newRow("replaced") << Open::Replace << true << true << Platform::Failure::None << QByteArray("new");
    QTest::newRow("new name taken") << Open::CreateNew << true << false << Platform::Failure::Other << old;
    QTest::newRow("new name free") << Open::CreateNew << false << true << Platform::Failure::None
                                   << QByteArray("new");
}

// The store's one way to the disk: each open mode, and what a refusal says.
void TestDataFile::platformFileOpens()
{
    QFETCH(Platform::File::Open, how);
    QFETCH(bool, existing);
    QFETCH(bool, opens);
    QFETCH(Platform::Failure, failure);
    QFETCH(QByteArray, after);
    if (existing)
        QVERIFY(TestRecords::writeAll(path(), "old bytes"));
    {
        Platform::File file(path(), how);
        QCOMPARE(file.isOpen(), opens);
        if (!opens) {
            QCOMPARE(Platform::lastFailure(), failure);
            QVERIFY(!Platform::lastError().isEmpty());
        } else {
            QVERIFY(file.writeAt("new", 3, 0));
            QVERIFY(file.sync());
            char back[3] = {};
            QVERIFY(file.readAt(back, 3, 0) || how == Platform::File::Open::Replace
                    || how == Platform::File::Open::CreateNew);
            // Nothing is read past the end of the file.
            QVERIFY(!file.readAt(back, 3, file.size()));
        }
    }
    QCOMPARE(Platform::exists(path()), !after.isNull());
    if (!after.isNull())
        QCOMPARE(readAll(path()), after);
    if (opens && !existing)
        QCOMPARE(QFileInfo(path()).permissions() & 0x0077, QFileDevice::Permissions());
    QVERIFY(Platform::removeFile(path()));
    QVERIFY(Platform::removeFile(path()));
    QVERIFY(!Platform::exists(path()));
}

namespace {

// A log's records as a scan hands them out, one after the other.
struct Listing
{
    QByteArray bytes;
    QList<qint64> at;
    bool add(const CallRecord *records, qint64 first, qint64 n)
    {
        bytes += QByteArray(reinterpret_cast<const char *>(records), int(n * RecordSize));
        for (qint64 i = 0; i < n; ++i)
            at.append(first + i);
        return true;
    }
};

// Runs `work` in a child process; returns the numbers it sent back, empty
// when it did not end normally.
QList<int> inChild(const std::function<QList<int>()> &work)
{
    const ChildProcess::End end = ChildProcess::run([&] {
        QByteArray said;
        for (int value : work())
            said.append(reinterpret_cast<const char *>(&value), sizeof value);
        return said;
    });
    if (end.exitCode != 0)
        return {};
    QList<int> answer;
    for (qsizetype at = 0; at + qsizetype(sizeof(int)) <= end.said.size(); at += sizeof(int)) {
        int value = 0;
        std::memcpy(&value, end.said.constData() + at, sizeof value);
        answer.append(value);
    }
    return answer;
}

constexpr uid_t Nobody = 65534;

// Tests may run as root, whom permissions do not stop: a child that meets
// them runs as "nobody".
void becomeOrdinaryUser()
{
    if (geteuid() == 0 && (setgid(Nobody) != 0 || setuid(Nobody) != 0))
        _exit(3);
}

} // namespace

void TestDataFile::checkOnEveryCoreMatchesOneCore_data()
{
    QTest::addColumn<int>("threads");
    QTest::newRow("2 threads") << 2;
    QTest::newRow("7 threads, more than the cores") << 7;
}

// Records altered at both ends of the blocks the log is read in, a record
// already marked, and a failing block that names another slot: hashed on
// several threads, the log and the records handed out are those of one thread.
void TestDataFile::checkOnEveryCoreMatchesOneCore()
{
    QFETCH(int, threads);
    constexpr int count = 33000;
    const QList<int> altered = {1, 16384, 16385, 20000, 32769, count};
    QByteArray bytes = logOf(count, altered);
    bytes[qsizetype(1) * RecordSize + CallRecord::offset(CallRecord::Status)] = 'X';
    bytes.replace(qsizetype(24999) * RecordSize, RecordSize, bytes.mid(qsizetype(6) * RecordSize, RecordSize));
    bytes[qsizetype(24999) * RecordSize + CallRecord::offset(CallRecord::Name)] = 'B';
    const QString one = m_folder->dir.filePath(QStringLiteral("one.dta"));
    QVERIFY(TestRecords::writeAll(one, bytes));
    QVERIFY(TestRecords::writeAll(path(), bytes));

    Listing single;
    DataFile::ScanOptions options;
    options.threads = 1;
    const DataFile::ScanOutcome reference = DataFile::scan(
        one, DataFile::ScanMode::CheckAndMark,
        [&single](const CallRecord *records, qint64 first, qint64 n) { return single.add(records, first, n); },
        options);
    QCOMPARE(reference.marked, altered.size() + 1);
    QCOMPARE(reference.listed, qint64(count));
    QByteArray expected = bytes;
    for (int n : altered + QList<int>{2})
        expected[qsizetype(n - 1) * RecordSize + CallRecord::offset(CallRecord::Status)] = 'X';
    QCOMPARE(readAll(one), expected);
    QCOMPARE(single.bytes.mid(qsizetype(24999) * RecordSize + CallRecord::offset(CallRecord::Status), 1),
             QByteArray("X"));

    DataFile::setHashThreads(threads);
    std::vector<CallRecord> records;
    const DataFile::ScanOutcome several = DataFile::scan(path(), DataFile::ScanMode::CheckAndMark, records);
    DataFile::setHashThreads(0);
    QCOMPARE(several.marked, reference.marked);
    QCOMPARE(readAll(path()), readAll(one));
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(records.data()), int(records.size()) * RecordSize),
             single.bytes);
    QCOMPARE(single.at.size(), count);
    QCOMPARE(single.at.last(), qint64(count - 1));

    std::vector<qint64> failing;
    for (int n : altered + QList<int>{2, 25000})
        failing.push_back(n - 1);
    std::sort(failing.begin(), failing.end());
    const auto *original = reinterpret_cast<const CallRecord *>(bytes.constData());
    QCOMPARE(DataFile::failingRecords(original, count, threads), failing);
    QCOMPARE(DataFile::failingRecords(original, count, 1), failing);
}

void TestDataFile::onlyTheStartOfARecordOneIsALog_data()
{
    QTest::addColumn<QByteArray>("content"); // null: no file at all
    QTest::addColumn<bool>("throughLink");
    QTest::addColumn<DataFile::LogState>("state");
    QString letter;
    while (letter.size() < 600)
        letter += QStringLiteral("Dear diary, nobody called today. ");
    const QByteArray text = letter.left(600).toLatin1();
    const QByteArray utf16(reinterpret_cast<const char *>(letter.utf16()), 2 * RecordSize + 10);
    const QByteArray first = TestRecords::recordBytes(make(1));
    const QByteArray second = TestRecords::recordBytes(make(2));
    QTest::newRow("600 bytes of text") << text << false << DataFile::LogState::NotALog;
    QTest::newRow("600 bytes of text through a link") << text << true << DataFile::LogState::NotALog;
    QTest::newRow("UTF-16 text longer than a record") << utf16 << false << DataFile::LogState::NotALog;
    QTest::newRow("5 bytes of text") << QByteArray("Dear ") << false << DataFile::LogState::NotALog;
    QTest::newRow("the start of record 2") << second.left(300) << false << DataFile::LogState::NotALog;
    QTest::newRow("a link to no file") << QByteArray() << true << DataFile::LogState::Unreadable;
    // A first save torn in its write.
    QTest::newRow("the first 300 bytes of record 1") << first.left(300) << false << DataFile::LogState::TornTail;
    QTest::newRow("the first 6 bytes of record 1 through a link")
        << first.left(6) << true << DataFile::LogState::TornTail;
}

// A file that is not a call log is never shortened, never moved aside and
// never written, nor is the file a link points to; a torn first save is a
// damaged log that Repair empties.
void TestDataFile::onlyTheStartOfARecordOneIsALog()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, throughLink);
    QFETCH(DataFile::LogState, state);
    const QString target = throughLink ? m_folder->dir.filePath(QStringLiteral("letter.txt")) : path();
    if (!content.isNull())
        QVERIFY(TestRecords::writeAll(target, content));
    if (throughLink)
        QVERIFY(QFile::link(target, path()));

    QCOMPARE(DataFile::checkLog(path()).state, state);
    CallRecord record = make(1);
    const DataFile::WriteResult stored = DataFile::storeNew(path(), record);
    // An import of many records is refused the same way.
    std::vector<CallRecord> many = {make(1), make(2)};
    QCOMPARE(DataFile::storeMany(path(), many), stored);
    const DataFile::RepairResult repair = DataFile::repairLog(path(), QStringLiteral("20260307-152540"));
    const QStringList moved = QDir(m_folder->dir.path()).entryList({QStringLiteral("*.damaged-*")}, QDir::Files);
    if (state != DataFile::LogState::TornTail) {
        QCOMPARE(stored, content.isNull() ? DataFile::WriteResult::OpenFailed : DataFile::WriteResult::NotALog);
        QVERIFY(!repair.repaired);
        QCOMPARE(repair.cause, content.isNull() ? DataFile::WriteResult::OpenFailed : DataFile::WriteResult::NotALog);
        QVERIFY(moved.isEmpty());
        QCOMPARE(Platform::exists(target), !content.isNull());
        QCOMPARE(readAll(target), content);
        return;
    }
    QCOMPARE(stored, DataFile::WriteResult::Damaged);
    QVERIFY2(repair.repaired, qPrintable(repair.error));
    QCOMPARE(readAll(repair.movedTo), content);
    QCOMPARE(QFileInfo(target).size(), qint64(0));
    QCOMPARE(DataFile::storeNew(path(), record), DataFile::WriteResult::Written);
    QCOMPARE(readAll(target), TestRecords::recordBytes(record));
    QCOMPARE(QFileInfo(path()).isSymLink(), throughLink);
}

void TestDataFile::emptySlotsAreDamageNotRecords_data()
{
    QTest::addColumn<bool>("sparse");
    QTest::addColumn<qint64>("slotCount");
    QTest::addColumn<QList<qint64>>("listed"); // slots from 0
    QTest::addColumn<qint64>("firstEmpty");
    QTest::newRow("1 GB without bytes between its first and last records")
        << true << qint64(1082401) << QList<qint64>{0, 1082400} << qint64(RecordSize);
    QTest::newRow("zeros written over record 3 of 5") << false << qint64(5) << QList<qint64>{0, 1, 3, 4}
                                                      << qint64(2 * RecordSize);
}

// Slots of nothing but zeros are named as damage and never listed; the log
// takes no marks, and a long one reports early and can be cancelled.
void TestDataFile::emptySlotsAreDamageNotRecords()
{
    QFETCH(bool, sparse);
    QFETCH(qint64, slotCount);
    QFETCH(QList<qint64>, listed);
    QFETCH(qint64, firstEmpty);
    {
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        if (sparse) {
            QVERIFY(file.resize(slotCount * RecordSize));
            QVERIFY(file.write(logOf(1, {1})) == RecordSize);
            QVERIFY(file.seek((slotCount - 1) * RecordSize));
            CallRecord last = make(int(slotCount));
            last.setText(CallRecord::Hash, last.computeHash());
            QVERIFY(file.write(TestRecords::recordBytes(last)) == RecordSize);
        } else {
            QByteArray bytes = logOf(int(slotCount), {1});
            bytes.replace(2 * RecordSize, RecordSize, QByteArray(RecordSize, '\0'));
            QVERIFY(file.write(bytes) == bytes.size());
        }
    }
    const auto headOf = [this] {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.read(4 * RecordSize) : QByteArray();
    };
    const QByteArray head = headOf();
    QCOMPARE(DataFile::checkLog(path()).state, DataFile::LogState::Whole);

    QElapsedTimer clock;
    clock.start();
    qint64 firstReportMs = -1;
    qint64 firstReport = -1;
    Listing listing;
    DataFile::ScanOptions options;
    options.progress = [&](qint64 done, qint64 total) {
        if (firstReport < 0) {
            firstReportMs = clock.elapsed();
            firstReport = done;
        }
        return total == slotCount;
    };
    const DataFile::ScanOutcome outcome = DataFile::scan(
        path(), DataFile::ScanMode::CheckAndMark,
        [&listing](const CallRecord *records, qint64 first, qint64 n) { return listing.add(records, first, n); },
        options);
    QVERIFY(firstReport > 0 && firstReport <= 1024);
    QVERIFY2(firstReportMs < 500, qPrintable(QString::number(firstReportMs)));
    QVERIFY(!outcome.cancelled);
    QCOMPARE(outcome.emptySlots, slotCount - listed.size());
    QCOMPARE(outcome.firstEmptyOffset, firstEmpty);
    QCOMPARE(outcome.listed, qint64(listed.size()));
    QCOMPARE(listing.at, listed);
    // Record 1 fails its check and shows it, but the file is not marked.
    QCOMPARE(listing.bytes.mid(CallRecord::offset(CallRecord::Status), 1), QByteArray("X"));
    QCOMPARE(outcome.marked, 0);
    QCOMPARE(headOf(), head);
    QCOMPARE(QFileInfo(path()).size(), slotCount * RecordSize);

    // Cancelled at its first report, a scan lists nothing.
    Listing none;
    options.progress = [](qint64, qint64) { return false; };
    const DataFile::ScanOutcome cancelled = DataFile::scan(
        path(), DataFile::ScanMode::CheckAndMark,
        [&none](const CallRecord *records, qint64 first, qint64 n) { return none.add(records, first, n); }, options);
    QVERIFY(cancelled.cancelled);
    QVERIFY(none.at.isEmpty());
}

void TestDataFile::refusedWritesNameTheirCause_data()
{
    using R = DataFile::WriteResult;
    QTest::addColumn<QString>("kind");
    QTest::addColumn<R>("storeNew");
    QTest::addColumn<R>("storeEdit");
    QTest::addColumn<R>("repair");
    QTest::newRow("read-only log") << "read-only log" << R::ReadOnly << R::ReadOnly << R::ReadOnly;
    QTest::newRow("read-only folder, no log yet") << "read-only folder" << R::ReadOnly << R::OpenFailed << R::Written;
    QTest::newRow("read-only folder, damaged log") << "read-only folder, damaged" << R::Damaged << R::Damaged
                                                   << R::ReadOnly;
    QTest::newRow("name too long") << "long name" << R::NameUnusable << R::NameUnusable << R::Written;
    QTest::newRow("a NUL in the name") << "NUL in the name" << R::NameUnusable << R::NameUnusable << R::Written;
    QTest::newRow("a file where a folder must be") << "file as folder" << R::NameUnusable << R::NameUnusable
                                                   << R::Written;
    QTest::newRow("file size limit") << "size limit" << R::TooLarge << R::Written << R::Written;
    QTest::newRow("disk full") << "disk full" << R::DiskFull << R::DiskFull << R::Written;
}

// Each refused write says why, and leaves the log as it was.
void TestDataFile::refusedWritesNameTheirCause()
{
    QFETCH(QString, kind);
    QFETCH(DataFile::WriteResult, storeNew);
    QFETCH(DataFile::WriteResult, storeEdit);
    QFETCH(DataFile::WriteResult, repair);
    const QString folder = m_folder->dir.filePath(QStringLiteral("logs"));
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(QFile::setPermissions(m_folder->dir.path(), QFileDevice::Permissions(0x7777)));
    QString log = folder + QStringLiteral("/VNData.dta");
    QByteArray bytes = logOf(3);
    if (kind == QLatin1String("long name"))
        log = folder + QLatin1Char('/') + QString(300, QLatin1Char('n')) + QStringLiteral(".dta");
    if (kind == QLatin1String("NUL in the name"))
        log = folder + QStringLiteral("/VN") + QChar(0) + QStringLiteral("Data.dta");
    if (kind == QLatin1String("file as folder")) {
        QVERIFY(TestRecords::writeAll(log, bytes));
        log += QStringLiteral("/VNData.dta");
    }
    if (kind.startsWith(QLatin1String("read-only"))) {
        // A damaged log, so that Repair has work to be refused.
        bytes += "torn";
        const bool logReadOnly = kind == QLatin1String("read-only log");
        if (kind != QLatin1String("read-only folder")) {
            QVERIFY(TestRecords::writeAll(log, bytes));
            QVERIFY(::chmod(QFile::encodeName(log).constData(), logReadOnly ? 0444 : 0666) == 0);
        }
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), logReadOnly ? 0777 : 0555) == 0);
    }
    if (kind == QLatin1String("size limit"))
        QVERIFY(TestRecords::writeAll(log, bytes));

    const QList<int> answer = inChild([&]() -> QList<int> {
        if (kind == QLatin1String("disk full")) {
            // A full disk of its own: a small memory file system seen by this process alone.
            if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
                || mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=8k") != 0)
                return {-1};
            if (!TestRecords::writeAll(log, logOf(7)))
                return {-2};
            bytes = logOf(7);
        }
        if (kind == QLatin1String("size limit")) {
            std::signal(SIGXFSZ, SIG_IGN);
            struct rlimit limit;
            limit.rlim_cur = limit.rlim_max = rlim_t(bytes.size() + 500);
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (kind.startsWith(QLatin1String("read-only")))
            becomeOrdinaryUser();
        CallRecord next = make(int(bytes.size() / RecordSize) + 1);
        CallRecord edit = make(2);
        const DataFile::WriteResult stored = DataFile::storeNew(log, next);
        const QByteArray afterNew = readAll(log);
        const DataFile::WriteResult edited = DataFile::storeEdit(log, 2, edit);
        const DataFile::RepairResult repaired = DataFile::repairLog(log, QStringLiteral("20260307-152540"));
        return {int(stored), int(edited), int(repaired.cause), afterNew == (QFile::exists(log) ? bytes : QByteArray())};
    });
    if (answer == QList<int>{-1})
        QSKIP("no file system of its own can be mounted here");
    QCOMPARE(answer.size(), 4);
    QCOMPARE(DataFile::WriteResult(answer[0]), storeNew);
    QCOMPARE(DataFile::WriteResult(answer[1]), storeEdit);
    QCOMPARE(DataFile::WriteResult(answer[2]), repair);
    QVERIFY2(answer[3], "a refused new record left bytes behind");
    if (kind != QLatin1String("disk full") && storeEdit != DataFile::WriteResult::Written)
        QCOMPARE(readAll(log), QFile::exists(log) ? bytes : QByteArray());
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0);
    if (kind == QLatin1String("NUL in the name"))
        QVERIFY(QDir(folder).isEmpty());

    // The system's word for a full disk.
    Platform::File full(QStringLiteral("/dev/full"), Platform::File::Open::ReadWrite);
    if (full.isOpen()) {
        QVERIFY(!full.writeAt("x", 1, 0));
        QCOMPARE(Platform::lastFailure(), Platform::Failure::DiskFull);
    }
}

// Another running program holds the log: the store itself writes nothing,
// whoever asks.
void TestDataFile::anotherProgramsLockRefusesEveryWrite()
{
    QVERIFY(TestRecords::writeAll(path(), logOf(3, {2}) + "torn"));
    int ready[2];
    QCOMPARE(::pipe(ready), 0);
    ChildProcess other([&] {
        QLockFile lock(DataFile::lockPath(path()));
        const char ok = lock.tryLock(0) ? 'y' : 'n';
        if (::write(ready[1], &ok, 1) != 1)
            return 1;
        ::pause();
        return 0;
    });
    QVERIFY(other.started());
    char ok = 0;
    QCOMPARE(::read(ready[0], &ok, 1), ssize_t(1));
    ::close(ready[0]);
    ::close(ready[1]);
    const QByteArray before = readAll(path());
    CallRecord next = make(4);
    CallRecord edit = make(2);
    const DataFile::WriteResult stored = DataFile::storeNew(path(), next);
    const DataFile::WriteResult edited = DataFile::storeEdit(path(), 2, edit);
    const DataFile::RepairResult repaired = DataFile::repairLog(path(), QStringLiteral("20260307-152540"));
    std::vector<CallRecord> records;
    const DataFile::ScanOutcome scanned = DataFile::scan(path(), DataFile::ScanMode::CheckAndMark, records);
    other.end();
    QCOMPARE(ok, 'y');
    QCOMPARE(stored, DataFile::WriteResult::InUse);
    QCOMPARE(edited, DataFile::WriteResult::InUse);
    QCOMPARE(repaired.cause, DataFile::WriteResult::InUse);
    QVERIFY(scanned.readOnly);
    QCOMPARE(readAll(path()), before);
}

// A save killed after its record reached the disk, then records added by
// another hand: the rollback takes away only what that save added.
void TestDataFile::rollbackLeavesRecordsItDidNotAdd()
{
    appendN(3);
    ChildProcess child([&] {
        DataFile::setFaultHook([](const char *reached) {
            if (QByteArray(reached) == "record synced")
                ::raise(SIGKILL);
        });
        CallRecord record = make(4);
        return DataFile::appendRecord(path(), record) ? 0 : 1;
    });
    int status = 0;
    QVERIFY(child.waitForExit(status));
    QVERIFY(WIFSIGNALED(status));
    const QByteArray withFour = readAll(path());
    QCOMPARE(withFour.size(), 4 * RecordSize);
    QVERIFY(TestRecords::writeAll(path(), withFour + logOf(6).mid(4 * RecordSize)));
    const QByteArray six = readAll(path());
    QCOMPARE(DataFile::rollBackJournal(path()), DataFile::Rollback::RolledBack);
    QCOMPARE(readAll(path()), six);
}

// The moved bytes must read back as they were before the log is shortened:
// a side file that lost them leaves the log whole.
void TestDataFile::repairShortensOnlyAfterTheMovedBytesReadBack()
{
    QVERIFY(TestRecords::writeAll(path(), logOf(3) + "a torn tail"));
    const QByteArray damaged = readAll(path());
    DataFile::setFaultHook([this](const char *reached) {
        if (QByteArray(reached) != "moved")
            return;
        for (const QString &moved : QDir(m_folder->dir.path()).entryList({QStringLiteral("*.damaged-*")}, QDir::Files))
            TestRecords::writeAll(m_folder->dir.filePath(moved), "a torn tael");
    });
    const DataFile::RepairResult repair = DataFile::repairLog(path(), QStringLiteral("20260307-152540"));
    DataFile::setFaultHook(nullptr);
    QVERIFY(!repair.repaired);
    QCOMPARE(repair.cause, DataFile::WriteResult::WriteFailed);
    QCOMPARE(readAll(path()), damaged);
    QVERIFY(DataFile::repairLog(path(), QStringLiteral("20260307-152541")).repaired);
    QCOMPARE(readAll(path()), damaged.left(3 * RecordSize));
}

QTEST_GUILESS_MAIN(TestDataFile)
#include "tst_datafile.moc"
