// A data file that is not what it should be: read-only, gone, a folder, cut
// short, grown by garbage, numbered beyond reason, or not a call log at all;
// and File > Repair of a log whose last save was cut short. For each the
// window must go on, say what went wrong, and leave every whole record as it
// was, byte for byte.

#include "faultfixture.h"

#include "Stringgridreview.h"
#include "recordtablemodel.h"

#include <QTableView>

#include <optional>
#include <sys/stat.h>

using namespace FaultFixture;

namespace {

// A record numbered as no program of ours would number it, with a hash that
// matches, as another program might have written it.
CallRecord recordNumbered(const QString &number)
{
    CallRecord record = TestRecords::make(3);
    record.setText(CallRecord::RecordNumber, number);
    record.setText(CallRecord::Hash, record.computeHash());
    return record;
}

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    void damagedDataFile_data();
    void damagedDataFile();
    void recordNumberOutOfRange_data();
    void recordNumberOutOfRange();
    void tornTailAtStartUpAndRepair_data();
    void tornTailAtStartUpAndRepair();
    void foreignFileThroughEveryCommand_data();
    void foreignFileThroughEveryCommand();
};

void TestFaults::damagedDataFile_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("afterStartUp");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("select");
    QTest::addColumn<QString>("selectMessage");
    QTest::addColumn<QString>("saveMessage");
    QTest::addColumn<QString>("exportMessage");
    QTest::addColumn<QStringList>("reviewWindows");
    QTest::addColumn<QString>("reportMessage");

    const QStringList grid = {QStringLiteral("TFormRecordReview")};
    const QStringList warning = {QStringLiteral("TFormWarning")};
    const QStringList gridAndWarning = {QStringLiteral("TFormRecordReview"), QStringLiteral("TFormWarning")};

    // A read-only log is reviewed and printed; it is only not marked.
    QTest::newRow("read-only") << "read-only" << true << 3 << 3 << QString() << ReadOnlySave << Exported << grid
                               << ReadOnlyLog;
    QTest::newRow("missing") << "missing" << true << 3 << 3 << NoFile << OpenError << OpenError << warning
                             << NoFileRead;
    QTest::newRow("a folder") << "folder" << true << 3 << 3 << NoFile << OpenError << OpenError << warning
                              << NoFileRead;
    // The count comes from the last whole record; the torn tail is named and nothing is written.
    QTest::newRow("cut in the middle of a record, before start-up")
        << "truncated" << false << 2 << 2 << QString() << damagedLog(2, RecordSize / 2) << Exported << grid
        << DamagedNotMarked;
    QTest::newRow("cut in the middle of a record, after start-up")
        << "truncated" << true << 3 << 3 << "No record 3 in the log" << damagedLog(2, RecordSize / 2) << Exported
        << grid << DamagedNotMarked;
    QTest::newRow("grown by garbage") << "garbage" << false << 3 << 3 << QString() << damagedLog(3, 100)
                                      << Exported << grid << DamagedNotMarked;
    QTest::newRow("grown by garbage, after start-up")
        << "garbage" << true << 3 << 3 << QString() << damagedLog(3, 100) << Exported << grid << DamagedNotMarked;
    // A garbage block that reads as record 4: it is whole, fails its check,
    // and the next record goes after it.
    QTest::newRow("grown by a garbage record 4")
        << "garbage record" << false << 4 << 4 << "Entry Integrity Compromised" << QString() << Exported << grid
        << QString();
}

void TestFaults::damagedDataFile()
{
    QFETCH(QString, fault);
    QFETCH(bool, afterStartUp);
    QFETCH(int, count);
    QFETCH(int, select);
    QFETCH(QString, selectMessage);
    QFETCH(QString, saveMessage);
    QFETCH(QString, exportMessage);
    QFETCH(QStringList, reviewWindows);
    QFETCH(QString, reportMessage);

    MainWindowFixture f;
    f.writeRecords(3);
    const QByteArray whole = readAll(f.dataFile());
    const QString dataFile = f.dataFile();
    std::unique_ptr<PermissionGuard> folderOpen;
    std::unique_ptr<PermissionGuard> fileReadOnly;
    const auto damage = [&] {
        if (fault == QLatin1String("read-only")) {
            // Nobody may read the folder and the file, but not write the file.
            folderOpen = std::make_unique<PermissionGuard>(f.dir.path(), 0777);
            fileReadOnly = std::make_unique<PermissionGuard>(dataFile, 0444);
        } else if (fault == QLatin1String("missing")) {
            QVERIFY(QFile::remove(dataFile));
        } else if (fault == QLatin1String("folder")) {
            QVERIFY(QFile::remove(dataFile));
            QVERIFY(QDir().mkdir(dataFile));
        } else if (fault == QLatin1String("truncated")) {
            QVERIFY(QFile::resize(dataFile, 2 * RecordSize + RecordSize / 2));
        } else if (fault == QLatin1String("garbage")) {
            QVERIFY(TestRecords::writeAll(dataFile, whole + garbage(100, 7)));
        } else if (fault == QLatin1String("garbage record")) {
            QByteArray block = garbage(RecordSize, 11);
            // "4" and its terminator where the record number is read.
            block.replace(4, 4, QByteArray("4\0\0\0", 4));
            QVERIFY(TestRecords::writeAll(dataFile, whole + block));
        }
    };
    if (!afterStartUp)
        damage();
    TMainForm *w = f.open();
    if (afterStartUp)
        damage();
    if (QTest::currentTestFailed())
        return;
    const QByteArray damaged = readAll(dataFile);
    QCOMPARE(w->state().RecordCount, count);
    QCOMPARE(w->RecNumbLabel->text(), QString::number(count));

    std::optional<AsOrdinaryUser> user;
    if (fault == QLatin1String("read-only")) {
        user.emplace();
        if (!user->ok())
            QSKIP("cannot take an ordinary user's rights here");
    }
    // Whatever the command, the whole records stay as they were.
    const int kept = int(qMin<qsizetype>(WholeBytes, damaged.size() / RecordSize * RecordSize));
    const auto recordsKept = [&] {
        if (fault == QLatin1String("missing"))
            return !QFileInfo::exists(dataFile);
        if (fault == QLatin1String("folder"))
            return QFileInfo(dataFile).isDir() && QDir(dataFile).isEmpty();
        return readAll(dataFile).left(kept) == whole.left(kept);
    };

    timed("save", [&] {
        typeEntry(w);
        F::key(Qt::Key_S, Qt::ControlModifier);
    });
    if (saveMessage.isEmpty()) {
        QCOMPARE(f.indicator(), lime);
        QCOMPARE(w->state().RecordCount, count + 1);
        CallRecord stored;
        QCOMPARE(DataFile::readRecord(dataFile, count + 1, stored), DataFile::ReadResult::Ok);
        QVERIFY(stored.verify());
    } else {
        QCOMPARE(f.message(), saveMessage);
        QCOMPARE(f.indicator(), red);
        QCOMPARE(w->state().RecordCount, count);
        // The typed entry stays for another try.
        QCOMPARE(w->EditName->text(), QStringLiteral("Ann Lee"));
        if (fault != QLatin1String("missing") && fault != QLatin1String("folder"))
            QCOMPARE(readAll(dataFile), damaged);
    }
    QVERIFY(recordsKept());

    timed("select", [&] { readAndSelect(w, select); });
    QVERIFY(!w->Panel2->isVisible());
    if (selectMessage.isEmpty()) {
        QVERIFY(w->state().EditMode);
        QCOMPARE(w->EditName->text(), QStringLiteral("Caller %1").arg(select));
    } else {
        // The indicator ends by the status letter of what the buffer last held.
        QCOMPARE(f.message(), selectMessage);
        QVERIFY(!w->state().EditMode);
    }
    QVERIFY(recordsKept());

    timed("export", [&] { w->ExportFile1->trigger(); });
    QCOMPARE(f.message(), exportMessage);
    QVERIFY(recordsKept());

    QStringList seen;
    timed("review", [&] { seen = review(w); });
    QCOMPARE(seen, reviewWindows);
    QVERIFY(recordsKept());

    QString report;
    timed("report", [&] { report = fullReport(w); });
    QCOMPARE(report, reportMessage);
    QVERIFY(recordsKept());
}

void TestFaults::recordNumberOutOfRange_data()
{
    QTest::addColumn<QString>("number");
    QTest::newRow("largest 32-bit number") << "2147483647";
    QTest::newRow("negative") << "-5";
    QTest::newRow("beyond 32 bits") << "99999999999";
}

// The last record's number is where the count comes from; nothing may
// overflow, loop to it, or read and write outside the file's records.
void TestFaults::recordNumberOutOfRange()
{
    QFETCH(QString, number);
    MainWindowFixture f;
    f.writeRecords(2);
    CallRecord last = recordNumbered(number);
    {
        QFile file(f.dataFile());
        QVERIFY(file.open(QIODevice::Append));
        QCOMPARE(file.write(TestRecords::recordBytes(last)), qint64(RecordSize));
    }
    const QByteArray before = readAll(f.dataFile());
    const int count = textToInt(number);

    QElapsedTimer clock;
    clock.start();
    TMainForm *w = f.open();
    QCOMPARE(w->state().RecordCount, count);
    QCOMPARE(w->RecNumbLabel->text(), QString::number(count));
    QVERIFY(w->SpinEditSelect->maximum() >= 0);

    typeEntry(w);
    F::key(Qt::Key_S, Qt::ControlModifier);
    // A last record that does not name its slot is a damaged tail.
    QCOMPARE(f.message(), damagedLog(2, RecordSize));
    QCOMPARE(w->state().RecordCount, count);
    QCOMPARE(readAll(f.dataFile()), before);

    // The spin edit offers 1 to the count (none below zero); the farthest
    // choice reads nothing outside the file.
    F::key(Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(w->SpinEditSelect->maximum(), qMax(count, 0));
    QCOMPARE(w->SpinEditSelect->minimum(), count > 0 ? 1 : 0);
    w->SpinEditSelect->setValue(w->SpinEditSelect->maximum());
    QTest::keyClick(w->SpinEditSelect, Qt::Key_Return);
    QCOMPARE(f.message(), QStringLiteral("No record %1 in the log").arg(qMax(count, 0)));
    QVERIFY(!w->state().EditMode);
    // Print Current for that number shows an empty record, not some other one.
    {
        ModalAnswerer answerer(MainWindowFixture::desktopOf(w));
        F::key(Qt::Key_U, Qt::ControlModifier);
        QCOMPARE(answerer.seen, QStringList{QStringLiteral("TForm1")});
    }
    F::reactivate(w);
    QVERIFY(!readAll(f.path(QStringLiteral("SingleRecordForm.txt"))).contains("Caller"));
    if (count > 0) {
        readAndSelect(w, 2);
        QCOMPARE(w->EditName->text(), QStringLiteral("Caller 2"));
    }

    w->ExportFile1->trigger();
    QCOMPARE(f.message(), Exported);
    const QByteArray exported = readAll(f.path(QStringLiteral("VNExport.txt")));
    QCOMPARE(exported.count('\n'), count > 0 ? 4 : 1);
    QCOMPARE(w->state().RecordCount, count);

    // The grid lists the three records; the last one's number plus one would
    // overflow the window's answer, so it cannot be chosen.
    QString panel;
    bool closed = false;
    {
        ModalAnswerer answerer(MainWindowFixture::desktopOf(w));
        answerer.answer = [&](QDialog *dialog) {
            auto *grid = qobject_cast<TFormRecordReview *>(dialog);
            if (!grid || grid->model()->rowCount() == 0)
                return false;
            const QModelIndex index = grid->model()->index(grid->model()->rowCount() - 1, 0);
            const QPoint at = grid->DataGrid->visualRect(index).center();
            QTest::mouseClick(grid->DataGrid->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(grid->DataGrid->viewport(), Qt::LeftButton, {}, at);
            closed = !grid->isVisible();
            panel = grid->Panel1->text();
            return true;
        };
        F::key(Qt::Key_V, Qt::ControlModifier);
    }
    F::reactivate(w);
    if (count == 2147483647) {
        QVERIFY(!closed);
        QCOMPARE(panel, QStringLiteral("'%1' is not a valid record number").arg(number));
    }
    QVERIFY(!w->state().EditMode || w->state().SelectedRecord <= 2);
    // After the review the spin edit's bounds are the count again, none below zero.
    QCOMPARE(w->SpinEditSelect->maximum(), qMax(count, 0));
    QVERIFY(w->SpinEditSelect->minimum() >= 0);

    QCOMPARE(fullReport(w), DamagedNotMarked);
    QCOMPARE(readAll(f.dataFile()), before);
    QVERIFY2(clock.elapsed() < 4 * CommandLimitMs, "the commands took as long as a loop to the number");
}

void TestFaults::tornTailAtStartUpAndRepair_data()
{
    QTest::addColumn<int>("strayBytes");
    QTest::newRow("96 bytes") << 96;
    QTest::newRow("300 bytes, a log of 4 records cut to 3,276 bytes") << 300;
    QTest::newRow("900 bytes") << 900;
}

// A log whose last save was cut short: start-up names it, the good records
// read, saving is refused until File > Repair moves the stray bytes aside.
void TestFaults::tornTailAtStartUpAndRepair()
{
    QFETCH(int, strayBytes);
    MainWindowFixture f;
    f.writeRecords(4);
    QVERIFY(QFile::resize(f.dataFile(), WholeBytes + strayBytes));
    const QByteArray torn = readAll(f.dataFile());
    TMainForm *w = f.open();
    QCOMPARE(w->state().RecordCount, 3);
    QCOMPARE(f.message(), damagedLog(3, strayBytes));
    QCOMPARE(f.indicator(), red);

    readAndSelect(w, 3);
    QCOMPARE(w->EditName->text(), QStringLiteral("Caller 3"));
    QVERIFY(w->state().EditMode);
    F::key(Qt::Key_C, Qt::ControlModifier);
    typeEntry(w);
    F::key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.message(), damagedLog(3, strayBytes));
    QCOMPARE(readAll(f.dataFile()), torn);
    QCOMPARE(w->EditName->text(), QStringLiteral("Ann Lee"));
    QCOMPARE(review(w), QStringList{QStringLiteral("TFormRecordReview")});
    QCOMPARE(fullReport(w), DamagedNotMarked);
    QCOMPARE(readAll(f.dataFile()), torn);

    w->Repair1->trigger();
    const QStringList moved = QDir(f.dir.path()).entryList({QStringLiteral("VNData.dta.damaged-*")}, QDir::Files);
    QCOMPARE(moved.size(), 1);
    QCOMPARE(f.message(), QStringLiteral("Repaired: %1 bytes moved to %2").arg(strayBytes).arg(moved.first()));
    QCOMPARE(readAll(f.path(moved.first())), torn.mid(WholeBytes));
    struct stat movedInfo;
    QCOMPARE(::stat(QFile::encodeName(f.path(moved.first())).constData(), &movedInfo), 0);
    QCOMPARE(movedInfo.st_mode & 0777, mode_t(0600));
    QCOMPARE(readAll(f.dataFile()), torn.left(WholeBytes));

    typeEntry(w);
    F::key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.indicator(), lime);
    CallRecord stored;
    QCOMPARE(DataFile::readRecord(f.dataFile(), 4, stored), DataFile::ReadResult::Ok);
    QVERIFY(stored.verify());
    QCOMPARE(stored.text(CallRecord::Name), QStringLiteral("Ann Lee"));
}

void TestFaults::foreignFileThroughEveryCommand_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("fromOpenExisting");
    QTest::newRow("UTF-16 text in the configuration") << "text" << false;
    QTest::newRow("UTF-16 text through Open Existing") << "text" << true;
    QTest::newRow("1 GB sparse file with one record at its end") << "sparse" << false;
    QTest::newRow("record 2 where record 1 belongs") << "second first" << false;
}

// A file that is not a call log: every command goes through and none writes
// a byte into it, or takes long.
void TestFaults::foreignFileThroughEveryCommand()
{
    QFETCH(QString, kind);
    QFETCH(bool, fromOpenExisting);
    MainWindowFixture f;
    const QString foreign = f.path(QStringLiteral("letter.dta"));
    if (kind == QLatin1String("text")) {
        QString text;
        while (text.size() * 2 < 15 * RecordSize)
            text += QStringLiteral("Dear diary, today nobody called. ");
        QVERIFY(TestRecords::writeAll(foreign, QByteArray("\xff\xfe", 2)
                                                   + QByteArray(reinterpret_cast<const char *>(text.utf16()),
                                                                15 * RecordSize - 2)));
    } else if (kind == QLatin1String("second first")) {
        CallRecord second = TestRecords::make(2);
        second.setText(CallRecord::Hash, second.computeHash());
        QVERIFY(TestRecords::writeAll(foreign, TestRecords::recordBytes(second)));
    } else {
        const qint64 size = qint64(1082401) * RecordSize;
        QFile file(foreign);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(size - RecordSize));
        CallRecord last = TestRecords::make(int(size / RecordSize));
        last.setText(CallRecord::Hash, last.computeHash());
        QVERIFY(file.seek(size - RecordSize));
        QCOMPARE(file.write(TestRecords::recordBytes(last)), qint64(RecordSize));
    }
    const QString config = f.path(QStringLiteral("VNConfig.cfg"));
    QVERIFY(TestRecords::writeConfiguration(config, (fromOpenExisting ? QByteArray("VNData.dta") : foreign.toUtf8())
                                                        + "\n-\n###\n###\nArial\n0\n10\n"));
    struct stat before;
    QCOMPARE(::stat(QFile::encodeName(foreign).constData(), &before), 0);
    const auto headOf = [&foreign] {
        QFile file(foreign);
        return file.open(QIODevice::ReadOnly) ? file.read(16 * RecordSize) : QByteArray();
    };
    const QByteArray head = headOf();

    TMainForm *w = f.open();
    if (fromOpenExisting) {
        w->desktop().chooseFile = [&foreign](QWidget *, const Desktop::FileChoice &) { return foreign; };
        w->Open1Click();
    }
    const QString notALog = QStringLiteral("Not a call log: letter.dta - nothing will be written");
    QCOMPARE(w->state().DataFileName, foreign);
    QCOMPARE(f.message(), notALog);
    QCOMPARE(f.indicator(), red);
    timed("save", [&] {
        typeEntry(w);
        F::key(Qt::Key_S, Qt::ControlModifier);
    });
    QCOMPARE(f.message(), notALog);
    // Nor an edit of what reads as its last record.
    CallRecord edit = TestRecords::make(w->state().RecordCount);
    QCOMPARE(DataFile::storeEdit(foreign, w->state().RecordCount, edit), DataFile::WriteResult::NotALog);
    QString panel;
    timed("review", [&] { panel = messageLineOf<TFormRecordReview>(w, Qt::Key_V); });
    QCOMPARE(panel, QStringLiteral("Not a call log - nothing shown"));
    timed("report", [&] { QCOMPARE(fullReport(w), QStringLiteral("Not a call log - nothing shown")); });
    w->Repair1->trigger();
    QCOMPARE(f.message(), QStringLiteral("Not a call log: letter.dta - Repair cannot help"));

    struct stat after;
    QCOMPARE(::stat(QFile::encodeName(foreign).constData(), &after), 0);
    QCOMPARE(after.st_size, before.st_size);
    QCOMPARE(after.st_blocks, before.st_blocks);
    QCOMPARE(headOf(), head);
    QCOMPARE(QDir(f.dir.path()).entryList({QStringLiteral("letter.dta*")}, QDir::Files),
             (QStringList{QStringLiteral("letter.dta"), QStringLiteral("letter.dta.lock")}));
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
