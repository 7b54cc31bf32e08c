// Call-backs and the caller's history without a window: the typed due times,
// the calls filed under a number, the history line, the call-backs kept with
// their calls through edits and "X" marks, and the CSV columns.

#include "callbackmarks.h"
#include "callbackrows.h"
#include "callbacktime.h"
#include "callerhistory.h"
#include "callernames.h"
#include "csvexport.h"
#include "logfixture.h"
#include "testrecords.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using Call = CallBackRow::Call;
Q_DECLARE_METATYPE(Call)

namespace {

const QDateTime Now = TestDesktop::fixedNow(); // 7 March 2026, 3:25:40 PM
const qint64 Hour = 3600;
const qint64 Year2040 = 2208988800; // 1 January 2040, 00:00 UTC

CallEntry typed(const QString &phone, const QString &name, const QString &notes = u"Asked for a quote"_s)
{
    CallEntry entry;
    entry.type = CallType::In;
    entry.date = u"03/02/2026"_s;
    entry.time = u" 9:15AM"_s;
    entry.phone = phone;
    entry.name = name;
    entry.company = u"Acme"_s;
    entry.notes = notes;
    return entry;
}

} // namespace

class TestCallBacks : public QObject
{
    Q_OBJECT

private slots:
    void dueTimesAreReadAsTyped_data();
    void dueTimesAreReadAsTyped();
    void callsAreFiledUnderTheirNumber();
    void historyLine_data();
    void historyLine();
    void callBacksStayWithTheirCalls();
    void csvEndsEachRowWithItsCallBack();
};

void TestCallBacks::dueTimesAreReadAsTyped_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("shown"); // empty: refused
    QTest::newRow("short forms") << "3/9/2026" << "3:00pm" << "03/09/2026 3:00PM";
    QTest::newRow("long forms, blank before AM") << "03/09/2026" << "09:05 AM" << "03/09/2026 9:05AM";
    QTest::newRow("midnight and noon") << "3/9/2026" << "12:05AM" << "03/09/2026 12:05AM";
    QTest::newRow("24-hour clock") << "3/9/2026" << "1430" << "03/09/2026 2:30PM";
    QTest::newRow("after 2038") << "1/19/2038" << "3:15AM" << "01/19/2038 3:15AM";
    QTest::newRow("far ahead") << "12/31/2100" << "11:59PM" << "12/31/2100 11:59PM";
    QTest::newRow("leap day") << "2/29/2028" << "9:00AM" << "02/29/2028 9:00AM";
    QTest::newRow("no such day") << "2/30/2026" << "9:00AM" << "";
    QTest::newRow("month 13") << "13/1/2026" << "9:00AM" << "";
    QTest::newRow("two-digit year") << "3/9/26" << "9:00AM" << "";
    QTest::newRow("words") << "next monday" << "9:00AM" << "";
    QTest::newRow("13 PM") << "3/9/2026" << "13:00PM" << "";
    QTest::newRow("minute 75") << "3/9/2026" << "9:75" << "";
    QTest::newRow("hour 24") << "3/9/2026" << "24:00" << "";
}

void TestCallBacks::dueTimesAreReadAsTyped()
{
    QFETCH(QString, date);
    QFETCH(QString, time);
    QFETCH(QString, shown);
    const QDate day = CallBackTime::parseDate(date);
    const QTime clock = CallBackTime::parseTime(time);
    QCOMPARE(day.isValid() && clock.isValid(), !shown.isEmpty());
    if (!shown.isEmpty()) {
        const qint64 secs = CallBackTime::secsOf(day, clock);
        QCOMPARE(CallBackTime::dueText(secs), shown);
        QCOMPARE(QDateTime::fromSecsSinceEpoch(secs, Qt::UTC).toString(Qt::ISODate) + u""_s,
                 CallBackTime::isoText(secs));
    }
}

void TestCallBacks::callsAreFiledUnderTheirNumber()
{
    LogFixture f;
    OpenLog &log = f.log();
    for (const auto &[phone, name] : {std::pair{u"800-555-1234"_s, u"Ann Lee"_s},
                                      {u"617-555-0199"_s, u"Bob Marsh"_s},
                                      {u"(800)5551234"_s, u"Ann Lee"_s},
                                      {u"Unknown"_s, u"Unknown Caller"_s}})
        QVERIFY(log.save(typed(phone, name), Now.toSecsSinceEpoch() + log.state().RecordCount).saved);
    // Saves add as they go; a fresh read of the file finds the same.
    for (int pass = 0; pass < 2; ++pass) {
        const CallerNames &callers = log.callers();
        QCOMPARE(callers.callsFrom(u"8005551234"_s).count, 2);
        QCOMPARE(callers.callsFrom(u"8005551234"_s).last, 3);
        QCOMPARE(callers.callsFrom(u"800-555-1234"_s, 3).count, 1);
        QCOMPARE(callers.callsFrom(u"555-0000"_s).count, 0);
        QCOMPARE(callers.callsFrom(u"Unknown"_s).count, 0);
        QVERIFY(callers.isCallFrom(u"800-555-1234"_s, 1, Now.toSecsSinceEpoch()));
        QVERIFY(!callers.isCallFrom(u"800-555-1234"_s, 1, Now.toSecsSinceEpoch() + 1));
        QVERIFY(!callers.isCallFrom(u"800-555-1234"_s, 2, Now.toSecsSinceEpoch() + 1));
        log.loadCallers();
    }
    // An edit that changes the number moves the call to the new one.
    QVERIFY(log.select(3).show);
    QVERIFY(log.save(typed(u"617-555-0199"_s, u"Bob Marsh"_s), 0).saved);
    QCOMPARE(log.callers().callsFrom(u"800-555-1234"_s).count, 1);
    QCOMPARE(log.callers().callsFrom(u"800-555-1234"_s).last, 1);
    QCOMPARE(log.callers().callsFrom(u"617-555-0199"_s).count, 2);
    QVERIFY(log.callers().isCallFrom(u"617-555-0199"_s, 3, Now.toSecsSinceEpoch() + 2));
}

void TestCallBacks::historyLine_data()
{
    QTest::addColumn<int>("calls");
    QTest::addColumn<QString>("company");
    QTest::addColumn<int>("open");
    QTest::addColumn<qint64>("dueAt");
    QTest::addColumn<QString>("contact");
    QTest::addColumn<QString>("text");
    const qint64 now = Now.toSecsSinceEpoch();
    const QString dash = u" \u2013 "_s;
    QTest::newRow("calls only") << 5 << "Acme" << 0 << qint64(0) << ""
                                << "5 earlier calls, last 03/02/2026" + dash + "Ann Lee, Acme";
    QTest::newRow("one call, no company") << 1 << "Unknown" << 0 << qint64(0) << ""
                                          << "1 earlier call, last 03/02/2026" + dash + "Ann Lee";
    QTest::newRow("call-back due") << 2 << "Acme" << 1 << now + 72 * Hour << ""
                                   << "2 earlier calls, last 03/02/2026" + dash + "Ann Lee, Acme" + dash
            + "open call-back due 03/10 3:25PM";
    QTest::newRow("overdue, several") << 2 << "" << 3 << now - Hour << ""
                                      << "2 earlier calls, last 03/02/2026" + dash + "Ann Lee" + dash
            + "3 open call-backs, first overdue since 03/07 2:25PM";
    QTest::newRow("next year's") << 1 << "" << 1 << Year2040 << ""
                                 << "1 earlier call, last 03/02/2026" + dash + "Ann Lee" + dash
            + "open call-back due 01/01/2040 12:00AM";
    QTest::newRow("address book only") << 0 << "" << 0 << qint64(0) << "Carla Diaz"
                                       << "No earlier calls" + dash + "in contacts: Carla Diaz, Harbor Bank";
}

void TestCallBacks::historyLine()
{
    QFETCH(int, calls);
    QFETCH(QString, company);
    QFETCH(int, open);
    QFETCH(qint64, dueAt);
    QFETCH(QString, contact);
    QFETCH(QString, text);
    CallerHistory history;
    history.earlierCalls = calls;
    history.lastDate = u"03/02/2026"_s;
    history.lastName = u"Ann Lee"_s;
    history.lastCompany = company;
    history.openCallBacks = open;
    if (open > 0)
        history.nextCallBack = CallBack{{1, 1}, dueAt, {}, 0, {}};
    if (!contact.isEmpty()) {
        history.contactName = contact;
        history.contactCompany = u"Harbor Bank"_s;
    }
    QCOMPARE(history.text(Now), text);
}

// Saved, edited, marked "X" by another program, replaced: a call-back stays
// with the call it was set for and says when the record is no longer it.
void TestCallBacks::callBacksStayWithTheirCalls()
{
    LogFixture f;
    OpenLog &log = f.log();
    QVERIFY(!log.callOnDisplay());
    for (int i = 1; i <= 4; ++i)
        QVERIFY(log.save(typed(u"800-555-1234"_s, u"Caller %1"_s.arg(i), u"first line\nsecond"_s), 1772000000 + i)
                    .saved);
    // The call just saved is the one on display, with its number and first save.
    const RecordKey fourth = RecordKey::of(*log.callOnDisplay());
    QCOMPARE(fourth.number, 4);
    QCOMPARE(log.setCallBack(fourth, Year2040, u"Quote"_s).message, u"Call back by 01/01/2040 12:00AM - saved"_s);
    QVERIFY(QFile::exists(CompanionStore::pathFor(f.dataFile())));
    // A refused save ends it; a select shows another.
    QVERIFY(!log.save(typed(u"Phone Number"_s, u"X"_s), 0).saved);
    QVERIFY(!log.callOnDisplay());
    QVERIFY(log.select(2).show);
    const RecordKey second = RecordKey::of(*log.callOnDisplay());
    QCOMPARE(second.number, 2);
    QCOMPARE(log.setCallBack(second, Now.toSecsSinceEpoch() - Hour, {}).messagePoints, 9);
    // Edited in place: the same call, the same call-back.
    QVERIFY(log.save(typed(u"800-555-1234"_s, u"Caller 2"_s, u"edited"_s), 0).saved);
    QCOMPARE(RecordKey::of(*log.callOnDisplay()), second);
    for (int n : {1, 3}) {
        QVERIFY(log.select(n).show);
        QCOMPARE(log.setCallBack(RecordKey::of(*log.callOnDisplay()), Now.toSecsSinceEpoch() + n * Hour, {}).message,
                 u"Call back by %1 - saved"_s.arg(CallBackTime::dueText(Now.toSecsSinceEpoch() + n * Hour)));
    }
    QCOMPARE(log.markCallBackDone(RecordKey::of(*log.callOnDisplay()), Now.toSecsSinceEpoch()).message,
             u"Call-back done"_s);
    // Another program marks record 1 "X" and puts another call in place of record 4.
    QVERIFY(TestRecords::patchChar(f.dataFile(), 1, CallRecord::Status, 0, u'X'));
    CallRecord other = TestRecords::make(4);
    QVERIFY(DataFile::rewriteRecord(f.dataFile(), 4, other));

    const std::vector<CallBackRow> rows = callBackRows(f.dataFile(), log.companion().callBacks(true));
    QList<int> numbers;
    QList<Call> calls;
    for (const CallBackRow &row : rows) {
        numbers << row.callBack.key.number;
        calls << row.call;
    }
    QCOMPARE(numbers, QList<int>({2, 1, 3, 4}));
    QCOMPARE(calls, QList<Call>({Call::Same, Call::Altered, Call::Same, Call::Other}));
    QCOMPARE(rows[0].notes, u"edited"_s);
    QCOMPARE(rows[1].notes, u"first line"_s);
    QVERIFY(rows[3].name.isEmpty());
    const CallBackCounts counts = log.callBackCounts(Now);
    QCOMPARE(QList<int>({counts.open, counts.overdue, counts.dueToday}), QList<int>({3, 1, 2})); // one due earlier today is both

    // The history of the number counts the calls before the one on display.
    log.loadCallers();
    QVERIFY(log.select(3).show);
    const CallerHistory history = log.callerHistory(u"800-555-1234"_s);
    QCOMPARE(history.earlierCalls, 2);
    QCOMPARE(history.lastName, u"Caller 2"_s);
    QCOMPARE(history.openCallBacks, 2); // record 4 is now another call
    QCOMPARE(history.nextCallBack->key, second);
}

void TestCallBacks::csvEndsEachRowWithItsCallBack()
{
    LogFixture f;
    OpenLog &log = f.log();
    for (int i = 1; i <= 3; ++i)
        QVERIFY(log.save(typed(u"800-555-1234"_s, u"Caller %1"_s.arg(i)), 1772000000 + i).saved);
    QVERIFY(log.select(1).show);
    log.setCallBack(RecordKey::of(*log.callOnDisplay()), Year2040, {});
    QVERIFY(log.select(3).show);
    log.setCallBack(RecordKey::of(*log.callOnDisplay()), 1772900000, {});
    log.markCallBackDone(RecordKey::of(*log.callOnDisplay()), 1772903600);

    const CallBackMarks marks = log.callBackMarks();
    QCOMPARE(CallBackMarks::cellText(marks.find(RecordKey{3, 1772000003})), u"03/07/2026 4:13PM (done)"_s);
    const QString whole = f.path(u"whole.csv"_s);
    QVERIFY(CsvExport::writeLog(f.dataFile(), whole, &marks).written);
    std::vector<CallRecord> records(3);
    for (int n = 1; n <= 3; ++n)
        QCOMPARE(DataFile::readRecord(f.dataFile(), n, records[size_t(n - 1)]), DataFile::ReadResult::Ok);
    const std::vector<int> shown = {2, 0};
    const QString part = f.path(u"shown.csv"_s);
    QVERIFY(CsvExport::write(part, records, &shown, &marks).written);

    const QList<QByteArray> lines = TestRecords::readAll(whole).split('\n');
    QVERIFY(lines.at(0).endsWith(",First saved (UTC),call_back_by,call_back_done\r"));
    QVERIFY(lines.at(1).endsWith(",2026-02-25T06:13:21Z,2040-01-01T00:00:00Z,\r"));
    QVERIFY(lines.at(2).endsWith(",2026-02-25T06:13:22Z,,\r"));
    QVERIFY(lines.at(3).endsWith(",2026-03-07T16:13:20Z,2026-03-07T17:13:20Z\r"));
    const QList<QByteArray> shownLines = TestRecords::readAll(part).split('\n');
    QCOMPARE(shownLines.at(1), lines.at(3));
    QCOMPARE(shownLines.at(2), lines.at(1));
}

QTEST_GUILESS_MAIN(TestCallBacks)
#include "tst_callbacks.moc"
