#include "childprocess.h"
#include "datafile.h"
#include "platform.h"
#include "testrecords.h"
#include "workfolderfixture.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

Q_DECLARE_METATYPE(DataFile::LogState)
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

private:
    QString path() const { return m_folder->dataFile(); }
    void appendN(int n);
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

QTEST_GUILESS_MAIN(TestDataFile)
#include "tst_datafile.moc"
