// The open log's decisions without a window: what each record command does to
// the log and the record state, and what it tells the window to show.

#include "callernames.h"
#include "openlog.h"
#include "testrecords.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using Light = StatusReport::Light;
Q_DECLARE_METATYPE(StatusReport)

class TestOpenLog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void saveOutcomes_data();
    void saveOutcomes();
    void selectOutcomes_data();
    void selectOutcomes();
    void openExisting_data();
    void openExisting();
    void repairOutcomes_data();
    void repairOutcomes();
    void editKeepsNumberAndFirstSave();

private:
    // A log of `records` records named "Caller n"; record `edited` has status
    // "E" with a hash that matches, record `altered` was changed outside.
    void writeLog(int records, int edited = 0, int altered = 0);
    OpenLog &open();
    QString dataFile() const { return m_dir->filePath(QStringLiteral("VNData.dta")); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previousDir;
    std::unique_ptr<OpenLog> m_log;
};

namespace {

StatusReport report(Light light, const QString &hint, const QString &message, int points = 12)
{
    StatusReport r;
    r.light = light;
    r.hint = hint;
    r.message = message;
    r.messagePoints = points;
    return r;
}

CallEntry typedEntry()
{
    CallEntry entry;
    entry.type = CallType::Out;
    entry.date = QStringLiteral("03/07/2026");
    entry.time = QStringLiteral(" 3:25PM");
    entry.phone = QStringLiteral("800-555-1234");
    entry.name = QStringLiteral("Ann Lee");
    entry.company = QStringLiteral("Acme");
    entry.notes = QStringLiteral("Call back");
    return entry;
}

char *toString(const StatusReport &r)
{
    static const char *lights[] = {"unchanged", "lime", "yellow", "red"};
    return qstrdup(qPrintable(QStringLiteral("%1 / hint \"%2\" / message \"%3\" %4pt")
                                  .arg(QLatin1String(lights[int(r.light)]), r.hint, r.message)
                                  .arg(r.messagePoints)));
}

const qint64 SaveTime = 1772897140; // 7 March 2026, 15:25:40 UTC

} // namespace

namespace QTest {
template <>
char *toString(const StatusReport &r)
{
    return ::toString(r);
}
} // namespace QTest

void TestOpenLog::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_previousDir = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
}

void TestOpenLog::cleanup()
{
    m_log.reset();
    QDir::setCurrent(m_previousDir);
    m_dir.reset();
}

void TestOpenLog::writeLog(int records, int edited, int altered)
{
    for (int n = 1; n <= records; ++n) {
        TestRecords::Entry entry;
        entry.name = QStringLiteral("Caller %1").arg(n);
        if (n == edited)
            entry.status = QStringLiteral("E");
        CallRecord record = TestRecords::make(n, entry);
        QVERIFY(DataFile::appendRecord(dataFile(), record));
    }
    if (altered)
        QVERIFY(TestRecords::patchChar(dataFile(), altered, CallRecord::Notes, 0, QLatin1Char('K')));
}

OpenLog &TestOpenLog::open()
{
    m_log = std::make_unique<OpenLog>();
    m_log->prepareBuffer();
    StatusReport ignored;
    m_log->readConfiguration(ignored);
    m_log->open();
    return *m_log;
}

void TestOpenLog::saveOutcomes_data()
{
    QTest::addColumn<QString>("log"); // "empty", "three", "text", "torn", "appended", "shortened"
    QTest::addColumn<QString>("field"); // a field left showing its placeholder, or "edit 3"
    QTest::addColumn<bool>("saved");
    QTest::addColumn<int>("countAfter");
    QTest::addColumn<StatusReport>("shown");

    const StatusReport ok = report(Light::Good, OpenLog::HintRecordStatusOk, QString());
    const StatusReport missing =
        report(Light::Failed, QStringLiteral("Save FAILED - Missing Data"), QStringLiteral("Missing Data"));
    QTest::newRow("first call") << "empty" << "" << true << 1 << ok;
    QTest::newRow("fourth call") << "three" << "" << true << 4 << ok;
    QTest::newRow("edit of record 3") << "three" << "edit 3" << true << 3 << ok;
    for (const char *field : {"phone", "name", "company", "date", "time"})
        QTest::addRow("%s still the placeholder", field) << "three" << field << false << 3 << missing;
    const QString notALog = QStringLiteral("Not a call log: VNData.dta - nothing will be written");
    QTest::newRow("not a call log") << "text" << "" << false << 0 << report(Light::Failed, notALog, notALog, 9);
    const QString damaged = QStringLiteral("Log damaged: 3 good records, 300 stray bytes at byte 2976 - File > Repair");
    QTest::newRow("torn tail") << "torn" << "" << false << 3 << report(Light::Failed, damaged, damaged, 9);
    QTest::newRow("another program appended")
        << "appended" << "" << false << 4
        << report(Light::Failed, QStringLiteral("Save FAILED - log not written"),
                  QStringLiteral("Log changed by another program - save again"), 9);
    QTest::newRow("edited record gone")
        << "shortened" << "edit 3" << false << 3
        << report(Light::Failed, QStringLiteral("Save FAILED - log not written"),
                  QStringLiteral("Record 3 is no longer in the log - not saved"), 9);
}

void TestOpenLog::saveOutcomes()
{
    QFETCH(QString, log);
    QFETCH(QString, field);
    QFETCH(bool, saved);
    QFETCH(int, countAfter);
    QFETCH(StatusReport, shown);

    if (log == QLatin1String("text"))
        QVERIFY(TestRecords::writeAll(dataFile(), QByteArray(2000, 'a')));
    else if (log != QLatin1String("empty"))
        writeLog(3);
    if (log == QLatin1String("torn"))
        QVERIFY(TestRecords::writeAll(dataFile(), TestRecords::readAll(dataFile()) + QByteArray(300, 'x')));
    OpenLog &openLog = open();
    const bool edit = field == QLatin1String("edit 3");
    if (edit)
        QVERIFY(openLog.select(3).show);
    if (log == QLatin1String("appended")) {
        CallRecord fourth = TestRecords::make(4); // by another program
        QVERIFY(DataFile::appendRecord(dataFile(), fourth));
    }
    if (log == QLatin1String("shortened"))
        QVERIFY(QFile::resize(dataFile(), 2 * RecordSize));
    const QByteArray before = TestRecords::readAll(dataFile());

    CallEntry entry = typedEntry();
    const std::pair<const char *, QString *> placeholders[] = {
        {"phone", &entry.phone}, {"name", &entry.name}, {"company", &entry.company},
        {"date", &entry.date},   {"time", &entry.time},
    };
    const QString texts[] = {QStringLiteral("Phone Number"), QStringLiteral("Enter Name"),
                             QStringLiteral("Enter Business"), QStringLiteral("mm/dd/yyyy"), QStringLiteral("hh:mmAP")};
    for (int i = 0; i < 5; ++i) {
        if (field == QLatin1String(placeholders[i].first))
            *placeholders[i].second = texts[i];
    }

    const OpenLog::SaveOutcome outcome = openLog.save(entry, SaveTime);
    QCOMPARE(outcome.saved, saved);
    QCOMPARE(outcome.report, shown);
    QCOMPARE(openLog.state().RecordCount, countAfter);
    QVERIFY(!openLog.state().EditMode);
    QCOMPARE(openLog.entryRefused(), !saved);
    if (!saved) {
        QCOMPARE(TestRecords::readAll(dataFile()), before);
        return;
    }
    CallRecord stored;
    QCOMPARE(DataFile::readRecord(dataFile(), edit ? 3 : countAfter, stored), DataFile::ReadResult::Ok);
    QVERIFY(stored.verify());
    QCOMPARE(CallEntry::fromRecord(stored).name, entry.name);
    QCOMPARE(statusOf(stored), edit ? RecordStatus::Edited : RecordStatus::Original);
    QCOMPARE(openLog.callers().names(entry.phone).value(0), entry.name);
}

void TestOpenLog::selectOutcomes_data()
{
    QTest::addColumn<QString>("log"); // "three", "missing"
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("shows");
    QTest::addColumn<bool>("editMode");
    QTest::addColumn<bool>("editLocked");
    QTest::addColumn<StatusReport>("shown");

    QTest::newRow("original") << "three" << 1 << true << true << false << report(Light::Good, QString(), QString());
    QTest::newRow("edited") << "three" << 2 << true << true << false
                            << report(Light::Editing, QString(), QStringLiteral("Edited Entry"));
    QTest::newRow("altered") << "three" << 3 << true << false << true
                             << report(Light::Failed, QString(), QStringLiteral("Entry Integrity Compromised"));
    // The buffer still holds the last record read, and its letter colours the indicator.
    QTest::newRow("beyond the log") << "three" << 4 << false << false << false
                                    << report(Light::Good, QString(), QStringLiteral("No record 4 in the log"), 9);
    QTest::newRow("no log") << "missing" << 1 << false << false << false
                            << report(Light::Failed, QString(), QStringLiteral("No file found - Save a record first"),
                                      9);
}

void TestOpenLog::selectOutcomes()
{
    QFETCH(QString, log);
    QFETCH(int, number);
    QFETCH(bool, shows);
    QFETCH(bool, editMode);
    QFETCH(bool, editLocked);
    QFETCH(StatusReport, shown);
    if (log == QLatin1String("three"))
        writeLog(3, 2, 3);
    OpenLog &openLog = open();
    const QByteArray before = TestRecords::readAll(dataFile());

    const OpenLog::SelectOutcome outcome = openLog.select(number);
    QCOMPARE(bool(outcome.show), shows);
    if (shows)
        QCOMPARE(outcome.show->name, QStringLiteral("Caller %1").arg(number));
    QCOMPARE(outcome.report, shown);
    QCOMPARE(openLog.state().SelectedRecord, number);
    QCOMPARE(openLog.state().EditMode, editMode);
    QCOMPARE(openLog.state().EditLocked, editLocked);
    // Showing a record never writes: an altered one is marked in the buffer only.
    QCOMPARE(TestRecords::readAll(dataFile()), before);
    openLog.clear();
    QVERIFY(!openLog.state().EditMode);
    QVERIFY(!openLog.state().EditLocked);
}

void TestOpenLog::openExisting_data()
{
    QTest::addColumn<QString>("configuration"); // "none", "present"
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("pathAfter");
    QTest::addColumn<int>("countAfter");
    QTest::addColumn<StatusReport>("shown");

    QTest::newRow("with a configuration") << "present" << int(OpenLog::OpenResult::Reinitialise) << "Other.dta" << 2
                                          << StatusReport();
    QTest::newRow("without one") << "none" << int(OpenLog::OpenResult::KeptWindow) << "Other.dta" << 2
                                 << report(Light::Failed, QString(),
                                           QStringLiteral("Configuration missing - using Default"));
}

void TestOpenLog::openExisting()
{
    QFETCH(QString, configuration);
    QFETCH(int, result);
    QFETCH(QString, pathAfter);
    QFETCH(int, countAfter);
    QFETCH(StatusReport, shown);
    writeLog(3);
    {
        CallRecord first = TestRecords::make(1);
        CallRecord second = TestRecords::make(2);
        QVERIFY(DataFile::appendRecord(QStringLiteral("Other.dta"), first));
        QVERIFY(DataFile::appendRecord(QStringLiteral("Other.dta"), second));
    }
    if (configuration == QLatin1String("present"))
        QVERIFY(TestRecords::writeAll(ConfigFileName, QByteArray("VNData.dta\n-\n###\n###\nArial\n0\n10\n") + QByteArray(1, 0)));
    OpenLog &openLog = open();

    const OpenLog::OpenExistingOutcome outcome = openLog.openExisting(QStringLiteral("Other.dta"));
    QCOMPARE(int(outcome.result), result);
    QCOMPARE(outcome.report, shown);
    QCOMPARE(openLog.path(), pathAfter);
    if (outcome.result == OpenLog::OpenResult::Reinitialise) {
        QVERIFY(TestRecords::readAll(ConfigFileName).startsWith("Other.dta\n"));
        // The window initialises again, which opens the log the configuration now names.
        StatusReport ignored;
        openLog.readConfiguration(ignored);
        openLog.open();
    }
    QCOMPARE(openLog.state().RecordCount, countAfter);
}

void TestOpenLog::repairOutcomes_data()
{
    QTest::addColumn<QByteArray>("tail"); // bytes after three whole records
    QTest::addColumn<bool>("textFile");
    QTest::addColumn<int>("countAfter");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("light");

    QTest::newRow("whole") << QByteArray() << false << 3 << "Log is whole - nothing to repair" << int(Light::Good);
    QTest::newRow("torn tail") << QByteArray(300, 'x') << false << 3
                               << "Repaired: 300 bytes moved to VNData.dta.damaged-20260307-152540"
                               << int(Light::Good);
    QTest::newRow("not a log") << QByteArray() << true << 0 << "Not a call log: VNData.dta - Repair cannot help"
                               << int(Light::Failed);
}

void TestOpenLog::repairOutcomes()
{
    QFETCH(QByteArray, tail);
    QFETCH(bool, textFile);
    QFETCH(int, countAfter);
    QFETCH(QString, message);
    QFETCH(int, light);
    if (textFile) {
        QVERIFY(TestRecords::writeAll(dataFile(), QByteArray(2000, 'a')));
    } else {
        writeLog(3);
        QVERIFY(TestRecords::writeAll(dataFile(), TestRecords::readAll(dataFile()) + tail));
    }
    const QByteArray before = TestRecords::readAll(dataFile());
    OpenLog &openLog = open();

    const StatusReport shown = openLog.repair(QStringLiteral("20260307-152540"));
    QCOMPARE(shown.message, message);
    QCOMPARE(int(shown.light), light);
    QCOMPARE(openLog.state().RecordCount, countAfter);
    if (!tail.isEmpty()) {
        QVERIFY(openLog.mayWrite());
        QCOMPARE(TestRecords::readAll(dataFile()), before.left(3 * RecordSize));
        QCOMPARE(TestRecords::readAll(dataFile() + QStringLiteral(".damaged-20260307-152540")), tail);
    } else {
        QCOMPARE(TestRecords::readAll(dataFile()), before);
    }
}

void TestOpenLog::editKeepsNumberAndFirstSave()
{
    writeLog(3);
    OpenLog &openLog = open();
    QVERIFY(openLog.select(2).show);
    CallEntry entry = CallEntry::fromRecord(openLog.state().buffer);
    entry.notes = QStringLiteral("Called back");
    QVERIFY(openLog.save(entry, SaveTime).saved);

    CallRecord stored;
    QCOMPARE(DataFile::readRecord(dataFile(), 2, stored), DataFile::ReadResult::Ok);
    QCOMPARE(stored.number(), 2);
    QCOMPARE(stored.text(CallRecord::SavedAt), TestRecords::Entry().savedAt);
    QCOMPARE(stored.text(CallRecord::Notes), entry.notes);
    QCOMPARE(openLog.state().RecordCount, 3);
}

QTEST_GUILESS_MAIN(TestOpenLog)
#include "tst_openlog.moc"
