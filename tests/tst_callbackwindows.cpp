// Call-backs and the caller's history as a person meets them in the log-entry
// window: Ctrl+B and its dialog, the call-backs window, the start-up notice,
// the line under the fields, and a companion store that is damaged, locked,
// read-only, removed or another log's, which never stops the log.

#include "Stringgridreview.h"
#include "callbackdialog.h"
#include "callbackswindow.h"
#include "callbacktime.h"
#include "callbacktablemodel.h"
#include "callerline.h"
#include "mainwindowfixture.h"
#include "testdesktop.h"

#include <QCheckBox>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>

#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using F = MainWindowFixture;

namespace {

const qint64 Now = TestDesktop::fixedNow().toSecsSinceEpoch(); // 7 March 2026, 3:25:40 PM UTC
const qint64 Hour = 3600;

void writeSettings(const F &f)
{
    QVERIFY(TestRecords::writeAll(f.path(u"VNConfig.cfg"_s), "VNData.dta\n-\n###\n###\nArial\n0\n10\n"_ba + '\0'));
}

// Record n of the log, by the phones given, named "Caller n".
void writeCalls(const F &f, const QStringList &phones)
{
    for (int n = 1; n <= phones.size(); ++n) {
        TestRecords::Entry entry;
        entry.phone = phones.at(n - 1);
        entry.name = u"Caller %1"_s.arg(n);
        entry.savedAt = QString::number(1772000000 + n);
        CallRecord record = TestRecords::make(n, entry);
        QVERIFY(DataFile::appendRecord(f.dataFile(), record));
    }
}

RecordKey keyOf(int n)
{
    return {n, 1772000000 + n};
}

// The store beside the log, as an earlier run of the program left it.
void setCallBacks(const F &f, const QList<std::pair<int, qint64>> &due)
{
    CompanionStore store;
    store.open(f.dataFile());
    for (const auto &[n, at] : due)
        QCOMPARE(store.setCallBack(keyOf(n), at, u"about the quote"_s), CompanionStore::Result::Done);
}

void settle()
{
    for (int i = 0; i < 4; ++i)
        QCoreApplication::processEvents();
}

// Drops to the user "nobody" while it lives when the tests run as root, whom
// file permissions do not stop.
struct AsOrdinaryUser
{
    AsOrdinaryUser() { switched = ::geteuid() == 0 && ::setegid(65534) == 0 && ::seteuid(65534) == 0; }
    ~AsOrdinaryUser()
    {
        if (switched && (::seteuid(0) != 0 || ::setegid(0) != 0))
            qFatal("cannot return to the test's own user");
    }
    bool switched = false;
};

} // namespace

class TestCallBackWindows : public QObject
{
    Q_OBJECT

private slots:
    void callBackDialogTakesWhatItCanRead_data();
    void callBackDialogTakesWhatItCanRead();
    void callBacksWindowListsShowsAndCloses();
    void overdueCallBacksAnnouncedOnce();
    void historyLineWhenThePhoneIsLeft();
    void storeFaultsNeverStopTheLog_data();
    void storeFaultsNeverStopTheLog();
};

void TestCallBackWindows::callBackDialogTakesWhatItCanRead_data()
{
    QTest::addColumn<QString>("date"); // empty: as offered
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("said"); // what the dialog says when OK is pressed
    QTest::addColumn<QString>("due"); // the call-back kept; empty: none
    const QString smile = u"\U0001F600"_s;
    QTest::newRow("as offered") << "" << "" << "Quote" << "" << "03/07/2026 4:00PM";
    QTest::newRow("already past") << "3/6/2026" << "9:00am" << "" << "That time has passed: the call-back will show as overdue"
                                  << "03/06/2026 9:00AM";
    QTest::newRow("after 2038") << "1/19/2038" << "3:15AM" << "" << "" << "01/19/2038 3:15AM";
    QTest::newRow("no such date") << "2/30/2026" << "" << "" << "\"2/30/2026\" is not a date: type it as m/d/yyyy, for example 3/10/2026" << "";
    QTest::newRow("wrong time") << "" << "25:00" << "" << "\"25:00\" is not a time: type it as h:mmAM or h:mmPM, for example 3:00PM" << "";
    QTest::newRow("note at its limit") << "" << "" << QString(198, u'n') + smile << "" << "03/07/2026 4:00PM";
    QTest::newRow("note a pair beyond") << "" << "" << QString(199, u'n') + smile
                                        << "The note is 201 characters long; a call-back keeps at most 200" << "";
}

void TestCallBackWindows::callBackDialogTakesWhatItCanRead()
{
    QFETCH(QString, date);
    QFETCH(QString, time);
    QFETCH(QString, note);
    QFETCH(QString, said);
    QFETCH(QString, due);
    F f;
    TMainForm *w = f.open();
    F::typeEntry();
    F::key(Qt::Key_Return); // saves; the call just saved is the one on display
    QCOMPARE(w->state().RecordCount, 1);
    QVERIFY(!w->LineCallerHistory->isVisible());
    const int height = w->height();
    const QPoint phoneAt = w->EditPhone->mapTo(w, QPoint());

    QString saidOnOk;
    QString describedCall;
    ModalAnswerer answerer(f.desktop, [&](QDialog *dialog) {
        auto *form = qobject_cast<TFormCallBack *>(dialog);
        QVERIFY(form);
        describedCall = form->LabelCall->text();
        QCOMPARE(QApplication::focusWidget(), form->EditDueDate);
        if (!date.isEmpty())
            form->EditDueDate->setText(date);
        if (!time.isEmpty())
            form->EditDueTime->setText(time);
        form->EditNote->setText(note);
        QTest::keyClick(form->EditNote, Qt::Key_Return);
        saidOnOk = form->LabelProblem->text();
    });
    w->Memo1->setFocus(Qt::TabFocusReason); // the menu's key wins over the field's own
    F::key(Qt::Key_B, Qt::ControlModifier);
    QCOMPARE(answerer.seen, QStringList({u"TFormCallBack"_s}));
    QCOMPARE(describedCall, u"Record 1 of 06/14/2024 9:30AM: Ann Lee, Acme, 555-123-4567"_s);
    QCOMPARE(saidOnOk, said);
    const std::optional<CallBack> kept = w->log().companion().callBack(RecordKey::of(*w->log().callOnDisplay()));
    QCOMPARE(kept.has_value(), !due.isEmpty());
    if (kept) {
        QCOMPARE(CallBackTime::dueText(kept->dueAt), due);
        QCOMPARE(kept->note, note);
        QCOMPARE(f.message(), u"Call back by %1 - saved"_s.arg(due));
    }
    // The count of open call-backs takes a line of its own; the fields stay where they were.
    settle();
    QCOMPARE(w->LineCallerHistory->isVisible(), kept.has_value());
    QCOMPARE(w->height() > height, kept.has_value());
    QCOMPARE(w->EditPhone->mapTo(w, QPoint()), phoneAt);
}

void TestCallBackWindows::callBacksWindowListsShowsAndCloses()
{
    F f;
    writeSettings(f);
    writeCalls(f, {u"800-555-0101"_s, u"800-555-0102"_s, u"800-555-0103"_s});
    setCallBacks(f, {{1, Now + 18 * Hour}, {2, Now - 30 * Hour}, {3, Now + 2 * Hour}});
    TMainForm *w = f.open();
    QCOMPARE(w->CallBacks1->text(), u"Call-bac&ks (3 open, 1 overdue)"_s);
    QCOMPARE(w->LineCallerHistory->counts(), u"Call-backs: 3 open, 1 overdue"_s);

    QStringList steps;
    ModalAnswerer answerer(f.desktop, [&](QDialog *dialog) {
        auto *list = qobject_cast<TFormCallBackList *>(dialog);
        QVERIFY(list);
        CallBackTableModel *model = list->model();
        auto shown = [&] {
            QStringList rows;
            for (int row = 0; row < model->rowCount(); ++row) {
                const QModelIndex due = model->index(row, CallBackTableModel::Due);
                const bool red = due.data(Qt::ForegroundRole).value<QColor>() == QColor(192, 0, 0);
                const bool bold = due.data(Qt::FontRole).value<QFont>().bold();
                rows << model->index(row, CallBackTableModel::Name).data().toString() + (red ? u" red"_s : u""_s)
                        + (bold ? u" bold"_s : u""_s);
            }
            return rows.join(u", "_s);
        };
        steps << shown() << list->LabelCounts->text();
        QTest::keyClick(list->CallBackGrid, Qt::Key_Space); // the overdue one is done
        steps << shown();
        list->CheckShowDone->setChecked(true);
        steps << shown() + u" / "_s + model->index(0, CallBackTableModel::Done).data().toString();
        QTest::keyClick(list->CallBackGrid, Qt::Key_Space); // open again
        steps << shown() + u" / "_s + model->index(0, CallBackTableModel::Done).data().toString();
        QTest::keyClick(list->CallBackGrid, Qt::Key_Down);
        QTest::keyClick(list->CallBackGrid, Qt::Key_Return);
    });
    F::key(Qt::Key_B, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(steps, QStringList({u"Caller 2 red, Caller 3 bold, Caller 1"_s, u"3 open: 1 overdue, 1 due later today"_s,
                                 u"Caller 3 bold, Caller 1"_s,
                                 u"Caller 2, Caller 3 bold, Caller 1 / 03/07/2026 3:25PM"_s,
                                 u"Caller 2 red, Caller 3 bold, Caller 1 / "_s}));
    // The call chosen is on display, as Review's pick is.
    QCOMPARE(w->EditName->text(), u"Caller 3"_s);
    QVERIFY(w->state().EditMode);
    QVERIFY(w->PrintCurrent->isEnabled());
}

void TestCallBackWindows::overdueCallBacksAnnouncedOnce()
{
    for (const bool settings : {true, false}) {
        F f;
        if (settings)
            writeSettings(f);
        writeCalls(f, {u"800-555-0101"_s, u"800-555-0102"_s});
        setCallBacks(f, {{1, Now - Hour}, {2, Now - 2 * Hour}});
        TMainForm *w = f.open();
        if (!settings) {
            // What is wrong with the settings matters more.
            QCOMPARE(f.message(), u"Configuration missing - using Default"_s);
            continue;
        }
        QCOMPARE(f.message(), u"2 call-backs overdue - Records > Call-backs (Ctrl+Shift+B)"_s);
        QCOMPARE(w->LabelRecordStatus->font().pointSize(), 9);
        QCOMPARE(f.indicator(), lime);
        // The notice follows the count while it shows.
        w->log().markCallBackDone(keyOf(2), Now);
        w->refreshCallBackCounts();
        QCOMPARE(f.message(), u"1 call-back overdue - Records > Call-backs (Ctrl+Shift+B)"_s);
        w->log().markCallBackDone(keyOf(1), Now);
        w->refreshCallBackCounts();
        QCOMPARE(f.message(), QString());
        w->log().reopenCallBack(keyOf(1));
        w->log().reopenCallBack(keyOf(2));
        w->ClearCurrent1Click();
        w->Save1Click(); // the window starts over on the same log
        QCOMPARE(f.message(), QString());
        QCOMPARE(w->LineCallerHistory->counts(), u"Call-backs: 2 open, 2 overdue"_s);
    }
}

void TestCallBackWindows::historyLineWhenThePhoneIsLeft()
{
    F f;
    writeSettings(f);
    writeCalls(f, {u"800-555-1234"_s, u"617-555-0100"_s, u"800-555-1234"_s, u"800-555-1234"_s});
    setCallBacks(f, {{3, Now + 18 * Hour}});
    {
        CompanionStore store;
        store.open(f.dataFile());
        QCOMPARE(store.addContacts({{u"Carla Diaz"_s, u"Harbor Bank"_s, {u"+1 (212) 555-0110"_s}}}, u"phone.vcf"_s, Now),
                 CompanionStore::Result::Done);
    }
    TMainForm *w = f.open();
    settle(); // the names of earlier calls are read once the window is up
    const QPoint phoneAt = w->EditPhone->mapTo(w, QPoint());
    const QString dash = u" \u2013 "_s;
    const QList<std::pair<QString, QString>> typed = {
        {u"8005551234"_s, "3 earlier calls, last 06/14/2024" + dash + "Caller 4, Acme" + dash
                              + "open call-back due 03/08 9:25AM"},
        {u"2125550110"_s, "No earlier calls" + dash + "in contacts: Carla Diaz, Harbor Bank"},
        {u"5550000"_s, QString()},
    };
    for (const auto &[number, history] : typed) {
        w->ClearCurrent1Click();
        for (int i = 0; i < 3; ++i)
            F::tab();
        QCOMPARE(QApplication::focusWidget(), w->EditPhone);
        F::type(number);
        QCOMPARE(w->LineCallerHistory->history(), QString());
        F::tab();
        settle();
        QCOMPARE(w->LineCallerHistory->history(), history);
        QCOMPARE(w->EditPhone->mapTo(w, QPoint()), phoneAt);
        QVERIFY(w->LineCallerHistory->isVisible()); // with the counts, as before
    }
    // The names offered put the caller's first: the address book's, else the last call's.
    F::key(Qt::Key_Backspace);
    w->ClearCurrent1Click();
    for (int i = 0; i < 3; ++i)
        F::tab();
    F::type(u"2125550110"_s);
    F::tab();
    QCOMPARE(w->offeredNames().value(0), u"Carla Diaz"_s);
    QCOMPARE(w->offeredCompanies().value(0), u"Harbor Bank"_s);
    w->EditPhone->setText(u"800-555-1234"_s);
    QCOMPARE(w->offeredNames().value(0), u"Caller 4"_s);

    // Ctrl+Shift+H reviews the calls from the number.
    int rows = -1;
    QString search;
    ModalAnswerer answerer(f.desktop, ModalAnswerer::only<TFormRecordReview>([&](TFormRecordReview *review) {
        settle();
        search = review->EditSearch->text();
        rows = review->model()->rowCount();
    }));
    F::key(Qt::Key_H, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(search, u"800-555-1234"_s);
    QCOMPARE(rows, 3);
    // Nothing chosen: the entry being typed stays.
    QCOMPARE(w->EditPhone->text(), u"800-555-1234"_s);
    QCOMPARE(w->EditDate->text(), u"03/07/2026"_s);
    // So does Ctrl+click on the line; a plain click does nothing.
    F::reactivate(w);
    w->EditPhone->setFocus(Qt::TabFocusReason);
    F::tab();
    QVERIFY(!w->LineCallerHistory->history().isEmpty());
    QTest::mouseClick(w->LineCallerHistory->LabelCallerHistory, Qt::LeftButton);
    QTest::mouseClick(w->LineCallerHistory->LabelCallerHistory, Qt::LeftButton, Qt::ControlModifier);
    QCOMPARE(answerer.seen, QStringList({u"TFormRecordReview"_s, u"TFormRecordReview"_s}));
}

void TestCallBackWindows::storeFaultsNeverStopTheLog_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("said"); // in the message bar at start-up, and at Ctrl+B or its OK
    QTest::addColumn<bool>("listed"); // the earlier call-back is still listed while the fault lasts
    QTest::newRow("truncated") << "truncated" << "Call-back store damaged - not used" << false;
    QTest::newRow("replaced by a text file") << "text" << "Call-back store damaged - not used" << false;
    QTest::newRow("read-only") << "read-only" << "Call-back store is read-only - changes not saved" << true;
    QTest::newRow("locked by another program")
        << "locked" << "Call-back store in use by another program - try again" << false;
    QTest::newRow("beside another log") << "other log" << "Call-back store belongs to another log - not used"
                                        << false;
    QTest::newRow("removed while open") << "removed" << "" << false;
}

void TestCallBackWindows::storeFaultsNeverStopTheLog()
{
    QFETCH(QString, fault);
    QFETCH(QString, said);
    QFETCH(bool, listed);
    F f;
    writeSettings(f);
    writeCalls(f, {u"800-555-0101"_s, u"800-555-0102"_s});
    const QString store = CompanionStore::pathFor(f.dataFile());
    {
        CompanionStore filled;
        filled.open(f.dataFile());
        QCOMPARE(filled.addContacts(std::vector<Contact>(300, {u"Someone"_s, u"Acme"_s, {}}), {}, 1),
                 CompanionStore::Result::Done);
    }
    setCallBacks(f, {{1, Now + Hour}});
    const QByteArray whole = TestRecords::readAll(store);
    QByteArray otherLog;
    std::optional<AsOrdinaryUser> ordinary;
    QSqlDatabase locker;
    if (fault == "truncated"_L1) {
        QVERIFY(QFile::resize(store, whole.size() / 2));
    } else if (fault == "text"_L1) {
        QVERIFY(TestRecords::writeAll(store, "call-backs:\n1 tomorrow\n"));
    } else if (fault == "read-only"_L1) {
        QVERIFY(::chmod(QFile::encodeName(f.dir.path()).constData(), 0777) == 0);
        QVERIFY(QFile::setPermissions(f.dataFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                       | QFileDevice::ReadOther | QFileDevice::WriteOther));
        QVERIFY(QFile::setPermissions(f.path(u"VNConfig.cfg"_s), QFileDevice::ReadOwner | QFileDevice::ReadOther));
        QVERIFY(QFile::setPermissions(store, QFileDevice::ReadOwner | QFileDevice::ReadOther));
        ordinary.emplace();
    } else if (fault == "locked"_L1) {
        locker = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"another program"_s);
        locker.setDatabaseName(store);
        QVERIFY(locker.open() && QSqlQuery(locker).exec(u"BEGIN EXCLUSIVE"_s));
    } else if (fault == "other log"_L1) {
        otherLog = TestRecords::readAll(f.dataFile());
        QVERIFY(QFile::remove(f.dataFile()));
        TestRecords::Entry entry;
        entry.savedAt = u"1699999999"_s;
        CallRecord first = TestRecords::make(1, entry);
        QVERIFY(DataFile::appendRecord(f.dataFile(), first));
    }
    const QByteArray storeBefore = TestRecords::readAll(store);

    TMainForm *w = f.open();
    if (fault == "removed"_L1)
        QVERIFY(QFile::remove(store));
    QCOMPARE(f.message(), said);
    if (!said.isEmpty())
        QCOMPARE(w->LabelRecordStatus->font().pointSize(), 9);
    QCOMPARE(f.indicator(), lime);

    // The log saves as before, and keeps every earlier byte.
    const QByteArray logBefore = TestRecords::readAll(f.dataFile());
    F::typeEntry();
    F::key(Qt::Key_Return);
    QCOMPARE(f.indicator(), lime);
    QCOMPARE(TestRecords::readAll(f.dataFile()).left(logBefore.size()), logBefore);
    QCOMPARE(TestRecords::readAll(f.dataFile()).size(), logBefore.size() + RecordSize);

    // A call-back for that call: refused with the store's own words, before or after the dialog.
    int listedRows = -1;
    ModalAnswerer answerer(f.desktop, [&](QDialog *dialog) {
        if (auto *form = qobject_cast<TFormCallBack *>(dialog))
            form->ButtonOK->click();
        else if (auto *list = qobject_cast<TFormCallBackList *>(dialog))
            listedRows = list->model()->rowCount();
    });
    F::key(Qt::Key_B, Qt::ControlModifier);
    const bool kept = fault == "removed"_L1;
    QCOMPARE(f.message(), kept ? u"Call back by 03/07/2026 4:00PM - saved"_s : said);
    QCOMPARE(answerer.seen.contains(u"TFormCallBack"_s), fault == "locked"_L1 || kept);
    F::reactivate(w);
    F::key(Qt::Key_B, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(listedRows, listed || kept ? 1 : 0);
    if (!kept)
        QCOMPARE(TestRecords::readAll(store), storeBefore);

    // Mended, let go or moved away: the call-backs come back without a restart.
    ordinary.reset();
    if (locker.isOpen())
        locker.close();
    if (fault == "other log"_L1)
        QVERIFY(QFile::rename(store, store + u".other"_s));
    else if (!kept)
        QVERIFY(TestRecords::writeAll(store, whole) && QFile::setPermissions(store, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    F::reactivate(w);
    w->ClearCurrent1Click();
    F::typeEntry();
    F::key(Qt::Key_Return);
    F::key(Qt::Key_B, Qt::ControlModifier);
    QCOMPARE(f.message(), u"Call back by 03/07/2026 4:00PM - saved"_s);
    F::reactivate(w);
    F::key(Qt::Key_B, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(listedRows, fault == "other log"_L1 ? 1 : 2);
}

QTEST_MAIN(TestCallBackWindows)
#include "tst_callbackwindows.moc"
