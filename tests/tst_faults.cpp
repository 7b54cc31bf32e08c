// Faults of the machine around the program: a data file that is read-only,
// gone, a folder, cut short, grown by garbage or numbered beyond reason; a
// full disk in the middle of a save; a configuration file that cannot be read
// or holds garbage; a working folder that cannot be written. For each the
// window must go on, say what went wrong, and leave every whole record as it
// was, byte for byte.
//
// The tests may run as root, whom file permissions do not stop; the commands
// that must meet a permission then run with the effective user and group of
// "nobody" (seteuid), which the kernel checks like any ordinary user.

#include "childprocess.h"
#include "mainwindowfixture.h"
#include "testdesktop.h"

#include "Printprefiewform.h"
#include "Stringgridreview.h"
#include "recordtablemodel.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTableView>

#include <csignal>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using F = MainWindowFixture;
using TestRecords::readAll;

const QString OpenError = QStringLiteral("File: Open ERROR");
const QString NoFile = QStringLiteral("No file found - Save a record first");
const QString Exported = QStringLiteral("Saved as VNExport.txt");
const QString NoFileRead = QStringLiteral("NO FILE READ: Cancel & Save Records");
const QString ReadOnlyLog = QStringLiteral("Read-only log - nothing marked");
const QString DamagedNotMarked = QStringLiteral("Log damaged - nothing marked; use File > Repair");

QString damagedLog(int wholeRecords, int strayBytes)
{
    return QStringLiteral("Log damaged: %1 good records, %2 stray bytes at byte %3 - File > Repair")
        .arg(wholeRecords)
        .arg(strayBytes)
        .arg(qint64(wholeRecords) * RecordSize);
}
constexpr int WholeBytes = 3 * RecordSize;
constexpr uid_t Nobody = 65534;
// A command that takes longer than this has as good as hung.
constexpr qint64 CommandLimitMs = 5000;

// Drops the effective user and group to "nobody" while it lives, when the
// tests run as root; an ordinary user is already stopped by permissions.
class AsOrdinaryUser
{
public:
    AsOrdinaryUser()
    {
        if (geteuid() != 0)
            return;
        m_switched = setegid(Nobody) == 0 && seteuid(Nobody) == 0;
        m_ok = m_switched;
        if (!m_switched)
            setegid(0);
    }
    ~AsOrdinaryUser()
    {
        if (m_switched) {
            if (seteuid(0) != 0 || setegid(0) != 0)
                qFatal("cannot return to the test's own user");
        }
    }
    bool ok() const { return m_ok; }

private:
    bool m_switched = false;
    bool m_ok = true;
};

// Puts a path's permission bits back when the test ends, so that the
// temporary folder can be removed whatever happened.
class PermissionGuard
{
public:
    PermissionGuard(const QString &path, mode_t mode)
        : m_path(QFile::encodeName(path))
    {
        struct stat info;
        m_valid = ::stat(m_path.constData(), &info) == 0;
        m_old = info.st_mode & 07777;
        if (m_valid)
            ::chmod(m_path.constData(), mode);
    }
    ~PermissionGuard()
    {
        if (m_valid)
            ::chmod(m_path.constData(), m_old);
    }

private:
    QByteArray m_path;
    mode_t m_old = 0;
    bool m_valid = false;
};

// The file size limit of this process, lowered for one command; a write past
// it fails with EFBIG instead of ending the process.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_ok = getrlimit(RLIMIT_FSIZE, &m_saved) == 0;
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit tight = m_saved;
        tight.rlim_cur = bytes;
        m_ok = m_ok && setrlimit(RLIMIT_FSIZE, &tight) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool ok() const { return m_ok; }

private:
    struct rlimit m_saved {};
    void (*m_oldHandler)(int) = SIG_DFL;
    bool m_ok = false;
};


// An incoming call, typed through the keyboard from the call type group.
void typeEntry(TMainForm *w)
{
    w->RadioIn->setFocus();
    F::typeEntry();
}

// Runs one command and fails the test when it took as long as a hang.
template <typename Command>
void timed(const char *what, Command command)
{
    QElapsedTimer clock;
    clock.start();
    command();
    QVERIFY2(clock.elapsed() < CommandLimitMs, what);
}

void readAndSelect(TMainForm *w, qint64 number)
{
    F::key(Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget(), w->SpinEditSelect);
    w->SpinEditSelect->selectAll();
    QTest::keyClicks(w->SpinEditSelect, QString::number(number));
    QTest::keyClick(w->SpinEditSelect, Qt::Key_Return);
}

// Records > Review, answered with Cancel; the classes of the windows that opened.
QStringList review(TMainForm *w)
{
    QStringList seen;
    {
        ModalAnswerer answerer(MainWindowFixture::desktopOf(w));
        F::key(Qt::Key_V, Qt::ControlModifier);
        seen = answerer.seen;
    }
    F::reactivate(w);
    seen.sort();
    return seen;
}

// File > Print, cancelled; what the preview's message line said.
QString fullReport(TMainForm *w)
{
    QString panel = QStringLiteral("(no preview)");
    {
        ModalAnswerer answerer(MainWindowFixture::desktopOf(w));
        answerer.answer = [&panel](QDialog *dialog) {
            if (auto *preview = qobject_cast<TPrintPreviewForm *>(dialog))
                panel = preview->Panel1->text();
            return false;
        };
        F::key(Qt::Key_P, Qt::ControlModifier);
    }
    F::reactivate(w);
    return panel;
}

QByteArray garbage(int size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &b : bytes)
        b = char(random.bounded(256));
    return bytes;
}

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
    void readOnlyDataFileRefusesAnEdit();
    void anotherProgramAppended();
    void recordNumberOutOfRange_data();
    void recordNumberOutOfRange();
    void fileSizeLimitInTheMiddleOfASave();
    void fileSizeLimitDuringExportAndReport();
    void markRefusedByTheDisk_data();
    void markRefusedByTheDisk();
    void unreadableConfiguration_data();
    void unreadableConfiguration();
    void garbageConfiguration_data();
    void garbageConfiguration();
    void configurationFromAnotherEditor_data();
    void configurationFromAnotherEditor();
    void readOnlyWorkingFolder_data();
    void readOnlyWorkingFolder();
    void tornTailAtStartUpAndRepair_data();
    void tornTailAtStartUpAndRepair();
    void foreignFileThroughEveryCommand_data();
    void foreignFileThroughEveryCommand();
    void secondProgramOnTheSameLog();
    void compromisedRecordLockEndsWithClear_data();
    void compromisedRecordLockEndsWithClear();
    void exitAsksAboutAnUnsavedEntry_data();
    void exitAsksAboutAnUnsavedEntry();
    void createdFilesAreOwnerOnly();
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
    QTest::newRow("read-only") << "read-only" << true << 3 << 3 << QString() << OpenError << Exported << grid
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

void TestFaults::readOnlyDataFileRefusesAnEdit()
{
    MainWindowFixture f;
    f.writeRecords(3);
    const QByteArray whole = readAll(f.dataFile());
    TMainForm *w = f.open();
    readAndSelect(w, 2);
    QVERIFY(w->state().EditMode);

    PermissionGuard folder(f.dir.path(), 0777);
    PermissionGuard file(f.dataFile(), 0444);
    AsOrdinaryUser user;
    if (!user.ok())
        QSKIP("cannot take an ordinary user's rights here");
    QTest::mouseClick(w->Memo1->viewport(), Qt::LeftButton);
    F::key(Qt::Key_End);
    F::type(QStringLiteral(" again"));
    F::key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.message(), OpenError);
    QCOMPARE(f.indicator(), red);
    QCOMPARE(f.hint(), OpenError);
    QVERIFY(!w->state().EditMode);
    QCOMPARE(w->Memo1->toPlainText(), QStringLiteral("Call back again"));
    QCOMPARE(readAll(f.dataFile()), whole);
}

// A second window on the same log saved a record: this window's count is one
// behind, and its record must not take the other's number or slot.
void TestFaults::anotherProgramAppended()
{
    MainWindowFixture f;
    f.writeRecords(3);
    TMainForm *w = f.open();
    CallRecord theirs = TestRecords::make(4);
    QVERIFY(DataFile::appendRecord(f.dataFile(), theirs));
    const QByteArray before = readAll(f.dataFile());

    typeEntry(w);
    F::key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.message(), QStringLiteral("Log changed by another program - save again"));
    QCOMPARE(f.indicator(), red);
    QCOMPARE(readAll(f.dataFile()), before);
    // The count is taken from the file again, so the next save can succeed.
    QCOMPARE(w->state().RecordCount, 4);

    w->ExportFile1->trigger();
    QCOMPARE(w->state().RecordCount, 4);
    typeEntry(w);
    F::key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.indicator(), lime);
    QCOMPARE(DataFile::findRecordCount(f.dataFile()), 5);
    QVERIFY(readAll(f.dataFile()).startsWith(before));
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

void TestFaults::fileSizeLimitInTheMiddleOfASave()
{
    MainWindowFixture f;
    f.writeRecords(3);
    const QByteArray whole = readAll(f.dataFile());
    TMainForm *w = f.open();
    typeEntry(w);
    {
        // Half a record fits, then the system refuses.
        FileSizeLimit limit(WholeBytes + RecordSize / 2);
        QVERIFY(limit.ok());
        F::key(Qt::Key_S, Qt::ControlModifier);
    }
    QCOMPARE(f.message(), OpenError);
    QCOMPARE(f.indicator(), red);
    QCOMPARE(w->state().RecordCount, 3);
    QCOMPARE(readAll(f.dataFile()), whole);
    QCOMPARE(w->EditCompany->text(), QStringLiteral("Acme"));

    // With room again the same entry goes in as record 4.
    F::key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.indicator(), lime);
    QCOMPARE(DataFile::findRecordCount(f.dataFile()), 4);
    QCOMPARE(readAll(f.dataFile()).left(WholeBytes), whole);
}

void TestFaults::fileSizeLimitDuringExportAndReport()
{
    MainWindowFixture f;
    f.writeRecords(40);
    const QByteArray whole = readAll(f.dataFile());
    QVERIFY(TestRecords::writeAll(f.path(QStringLiteral("VNExport.txt")), "earlier export\n"));
    const QString csv = f.path(QStringLiteral("calls.csv"));
    QVERIFY(TestRecords::writeAll(csv, "earlier csv\r\n"));
    TMainForm *w = f.open();
    w->desktop().chooseFile = [&csv](QWidget *, const Desktop::FileChoice &) { return csv; };
    QString report;
    QString csvMessage;
    {
        FileSizeLimit limit(1000);
        QVERIFY(limit.ok());
        // Small enough to stay in the file's own buffer until the end: the
        // failure of that last write must still be seen.
        w->ExportCsv1Click();
        csvMessage = f.message();
        w->ClearCurrent1Click();
        w->ExportFile1->trigger();
        report = fullReport(w);
    }
    QVERIFY2(csvMessage.startsWith(QStringLiteral("Could not write calls.csv")), qPrintable(csvMessage));
    QCOMPARE(readAll(csv), QByteArray("earlier csv\r\n"));
    QCOMPARE(f.message(), OpenError);
    QCOMPARE(f.indicator(), red);
    QCOMPARE(readAll(f.path(QStringLiteral("VNExport.txt"))), QByteArray("earlier export\n"));
    QVERIFY2(report.startsWith(QStringLiteral("Report NOT written")), qPrintable(report));
    QCOMPARE(readAll(f.dataFile()), whole);
}

void TestFaults::markRefusedByTheDisk_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("altered");
    QTest::addColumn<QStringList>("statuses"); // as the grid or the report shows them
    // Record 3 lies past the limit, record 1 before it: only record 1 takes its mark.
    QTest::newRow("review, the mark past the limit") << "review" << 3 << QStringList{"O", "O", "O"};
    QTest::newRow("report, the mark past the limit") << "report" << 3 << QStringList{"O", "O", "O"};
    QTest::newRow("review, one mark fits and one does not") << "review" << 13 << QStringList{"X", "O", "O"};
    QTest::newRow("report, one mark fits and one does not") << "report" << 13 << QStringList{"X", "O", "O"};
}

// The disk refuses an "X" mark: the window says so as for any failed write,
// and shows each record's status as the file holds it.
void TestFaults::markRefusedByTheDisk()
{
    QFETCH(QString, command);
    QFETCH(int, altered);
    QFETCH(QStringList, statuses);
    MainWindowFixture f;
    f.writeRecords(3);
    for (int n : {altered % 10, altered / 10}) {
        if (n > 0)
            QVERIFY(TestRecords::patchChar(f.dataFile(), n, CallRecord::Name, 0, QLatin1Char('B')));
    }
    QByteArray expected = readAll(f.dataFile());
    if (statuses.first() == QLatin1String("X"))
        expected[CallRecord::offset(CallRecord::Status)] = 'X';
    TMainForm *w = f.open();

    QString panel;
    QStringList shown;
    {
        // Writes from record 3's slot on fail; the report's work file still fits.
        FileSizeLimit limit(2 * RecordSize);
        QVERIFY(limit.ok());
        if (command == QLatin1String("review")) {
            ModalAnswerer answerer(MainWindowFixture::desktopOf(w));
            answerer.answer = [&](QDialog *dialog) {
                if (auto *grid = qobject_cast<TFormRecordReview *>(dialog)) {
                    panel = grid->Panel1->text();
                    for (int row = 0; row < grid->model()->rowCount(); ++row)
                        shown << grid->model()->index(row, 1).data().toString();
                }
                return false;
            };
            F::key(Qt::Key_V, Qt::ControlModifier);
        } else {
            panel = fullReport(w);
            const QStringList lines = QString::fromUtf8(readAll(f.path(QStringLiteral("DataOutputForm.txt")))).split(u'\n');
            for (const QString &line : lines) {
                if (line.startsWith(QLatin1String("  ")) && line.contains(u'\t'))
                    shown << line.section(u'\t', 1, 1);
            }
        }
    }
    F::reactivate(w);
    QCOMPARE(panel, QStringLiteral("Marks NOT written: File too large"));
    QCOMPARE(shown, statuses);
    QCOMPARE(readAll(f.dataFile()), expected);
}

void TestFaults::unreadableConfiguration_data()
{
    QTest::addColumn<bool>("folder");
    QTest::newRow("a folder in its place") << true;
    QTest::newRow("no read permission") << false;
}

void TestFaults::unreadableConfiguration()
{
    QFETCH(bool, folder);
    MainWindowFixture f;
    const QString config = f.path(QStringLiteral("VNConfig.cfg"));
    if (folder)
        QVERIFY(QDir().mkdir(config));
    else
        QVERIFY(TestRecords::writeAll(config, QByteArray("Other.dta\n.\n212\n###\nArial\n0\n10\n") + '\0'));
    PermissionGuard open(f.dir.path(), 0777);
    PermissionGuard closed(config, folder ? 0755 : 0000);
    {
        AsOrdinaryUser user;
        if (!user.ok())
            QSKIP("cannot take an ordinary user's rights here");
        f.open();
    }
    TMainForm *w = f.window.get();
    QCOMPARE(f.message(), QStringLiteral("Configuration missing - using Default"));
    QCOMPARE(f.indicator(), lime);
    QCOMPARE(w->state().DataFileName, QStringLiteral("VNData.dta"));
    QCOMPARE(w->state().configuration.phoneSeparator, QStringLiteral("-"));
    typeEntry(w);
    F::key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.indicator(), lime);
    QCOMPARE(DataFile::findRecordCount(f.dataFile()), 1);
}

void TestFaults::garbageConfiguration_data()
{
    QTest::addColumn<QByteArray>("content");

    QTest::newRow("random bytes") << garbage(600, 1);
    QTest::newRow("random bytes, no line feed") << garbage(5000, 2).replace('\n', 'x');
    QTest::newRow("NULs") << QByteArray(300, '\0');
    QTest::newRow("0xFF") << QByteArray(300, '\xff');
    QTest::newRow("empty lines") << QByteArray(7, '\n') + '\x0f';
    QTest::newRow("one overlong line") << QByteArray(200000, 'A');
    QTest::newRow("numbers out of range") << QByteArray("VNData.dta\n\n\n\nArial\n-2147483649\n99999999999\n\xff");
    QTest::newRow("half a UTF-8 character") << QByteArray("VNData.dt\xc3\n\xe2\x82\n###\n###\nAri\xf0\x9f\n0\n10\n");
}

void TestFaults::garbageConfiguration()
{
    QFETCH(QByteArray, content);
    MainWindowFixture f;
    QVERIFY(TestRecords::writeAll(f.path(QStringLiteral("VNConfig.cfg")), content));
    QElapsedTimer clock;
    clock.start();
    TMainForm *w = f.open();
    QVERIFY(clock.elapsed() < CommandLimitMs);
    QVERIFY(w->isVisible());
    QCOMPARE(f.indicator(), lime);

    // The window still takes an entry: it lands in whatever file the settings
    // name, or the save says it could not.
    typeEntry(w);
    F::key(Qt::Key_S, Qt::ControlModifier);
    if (f.indicator() == lime) {
        CallRecord stored;
        QCOMPARE(DataFile::readRecord(w->state().DataFileName, 1, stored), DataFile::ReadResult::Ok);
        QVERIFY(stored.verify());
        QCOMPARE(stored.text(CallRecord::Name), QStringLiteral("Ann Lee"));
    } else {
        QCOMPARE(f.message(), OpenError);
    }
}

void TestFaults::configurationFromAnotherEditor_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("dataFile");
    QTest::addColumn<QString>("message");
    QTest::newRow("NUL in the first line") << QByteArray("Calls\0.dta\n-\n###\n###\nArial\n0\n10\n\0", 33)
                                           << "VNData.dta" << "VNConfig.cfg: data file name refused - using VNData.dta";
    QTest::newRow("CR-only line ends") << QByteArray("Calls.dta\r-\r###\r###\rArial\r0\r10\r\0", 32) << "Calls.dta"
                                       << QString();
}

// The records go to the log the settings name, or, where the name is not
// one a log can have, to the default; never to a file named by part of a line.
void TestFaults::configurationFromAnotherEditor()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, dataFile);
    QFETCH(QString, message);
    MainWindowFixture f;
    QVERIFY(TestRecords::writeAll(f.path(QStringLiteral("VNConfig.cfg")), content));
    TMainForm *w = f.open();
    QCOMPARE(w->state().DataFileName, dataFile);
    QCOMPARE(f.message(), message);
    typeEntry(w);
    F::key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.indicator(), lime);
    QCOMPARE(DataFile::findRecordCount(f.path(dataFile)), 1);
    QStringList expected = {QStringLiteral("VNConfig.cfg"), dataFile, dataFile + QStringLiteral(".lock")};
    expected.sort();
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files), expected);
}

void TestFaults::readOnlyWorkingFolder_data()
{
    QTest::addColumn<bool>("withRecords");
    QTest::newRow("empty folder") << false;
    QTest::newRow("with a writable data file") << true;
}

void TestFaults::readOnlyWorkingFolder()
{
    QFETCH(bool, withRecords);
    MainWindowFixture f;
    const QString config = f.path(QStringLiteral("VNConfig.cfg"));
    if (withRecords) {
        f.writeRecords(3);
        QVERIFY(TestRecords::writeAll(config, QByteArray("VNData.dta\n-\n###\n###\nArial\n0\n10\n") + '\0'));
    }
    const QByteArray whole = readAll(f.dataFile());
    const QByteArray configBefore = readAll(config);
    PermissionGuard file(f.dataFile(), 0666);
    PermissionGuard settings(config, 0666);
    PermissionGuard folder(f.dir.path(), 0555);
    AsOrdinaryUser user;
    if (!user.ok())
        QSKIP("cannot take an ordinary user's rights here");
    TMainForm *w = f.open();
    const int count = withRecords ? 3 : 0;
    QCOMPARE(w->state().RecordCount, count);

    typeEntry(w);
    F::key(Qt::Key_S, Qt::ControlModifier);
    if (withRecords) {
        // Appending to a file needs no new entry in the folder.
        QCOMPARE(f.indicator(), lime);
        QCOMPARE(DataFile::findRecordCount(f.dataFile()), 4);
        QCOMPARE(readAll(f.dataFile()).left(WholeBytes), whole);
    } else {
        QCOMPARE(f.message(), OpenError);
        QVERIFY(!QFileInfo::exists(f.dataFile()));
    }

    w->ExportFile1->trigger();
    QCOMPARE(f.message(), OpenError);
    QVERIFY(!QFileInfo::exists(f.path(QStringLiteral("VNExport.txt"))));

    const QString report = fullReport(w);
    QVERIFY2(report.startsWith(withRecords ? QStringLiteral("Report NOT written") : NoFileRead), qPrintable(report));

    // Open Existing cannot rewrite the configuration: the data file stays.
    w->desktop().chooseFile = [&f](QWidget *, const Desktop::FileChoice &) { return f.path(QStringLiteral("Other.dta")); };
    w->Open1Click();
    if (withRecords) {
        QCOMPARE(f.message(), OpenError);
        QCOMPARE(w->state().DataFileName, QStringLiteral("VNData.dta"));
        QCOMPARE(readAll(config), configBefore);
    } else {
        QCOMPARE(f.message(), QStringLiteral("Configuration missing - using Default"));
    }
    QCOMPARE(QFileInfo::exists(config), withRecords);
    if (withRecords)
        QCOMPARE(readAll(f.dataFile()).left(WholeBytes), whole);
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
    QVERIFY(TestRecords::writeAll(config, (fromOpenExisting ? QByteArray("VNData.dta") : foreign.toUtf8())
                                              + "\n-\n###\n###\nArial\n0\n10\n" + '\0'));
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
    timed("review", [&] {
        ModalAnswerer answerer(MainWindowFixture::desktopOf(w));
        answerer.answer = [&panel](QDialog *dialog) {
            if (auto *grid = qobject_cast<TFormRecordReview *>(dialog))
                panel = grid->Panel1->text();
            return false;
        };
        F::key(Qt::Key_V, Qt::ControlModifier);
    });
    F::reactivate(w);
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

// Another running program holds the log: this window reads it, says who
// holds it, and writes nothing; once that program is gone, its lock is taken over.
void TestFaults::secondProgramOnTheSameLog()
{
    MainWindowFixture f;
    f.writeRecords(3);
    QVERIFY(TestRecords::patchChar(f.dataFile(), 2, CallRecord::Name, 0, QLatin1Char('B')));
    const QByteArray before = readAll(f.dataFile());
    int ready[2];
    QCOMPARE(::pipe(ready), 0);
    // The other program takes the lock, says whether it got it, and waits to be ended.
    ChildProcess other([&] {
        QLockFile lock(DataFile::lockPath(f.dataFile()));
        const char ok = lock.tryLock(0) ? 'y' : 'n';
        if (::write(ready[1], &ok, 1) != 1)
            return 1;
        ::pause();
        return 0;
    });
    ::close(ready[1]);
    QVERIFY(other.started());
    char ok = 0;
    const ssize_t got = ::read(ready[0], &ok, 1);
    ::close(ready[0]);
    QCOMPARE(got, ssize_t(1));
    QCOMPARE(ok, 'y');

    TMainForm *w = f.open();
    const QString inUse = QStringLiteral("Log in use by another Vorlen3 (process %1) - read only").arg(other.pid());
    QCOMPARE(w->logHolder(), qint64(other.pid()));
    QCOMPARE(f.message(), inUse);
    QCOMPARE(w->state().RecordCount, 3);
    // A new record and an edit are both refused; the records still read.
    typeEntry(w);
    F::key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.message(), inUse);
    QCOMPARE(w->EditName->text(), QStringLiteral("Ann Lee"));
    F::key(Qt::Key_C, Qt::ControlModifier);
    readAndSelect(w, 3);
    QCOMPARE(w->EditName->text(), QStringLiteral("Caller 3"));
    QVERIFY(w->state().EditMode);
    F::key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.message(), inUse);
    CallRecord direct = TestRecords::make(4);
    QCOMPARE(DataFile::storeNew(f.dataFile(), direct), DataFile::WriteResult::InUse);
    // Review and Print list the altered record but do not mark it.
    QCOMPARE(review(w), QStringList{QStringLiteral("TFormRecordReview")});
    QCOMPARE(fullReport(w), QStringLiteral("Read-only log - nothing marked"));
    const QByteArray unchanged = readAll(f.dataFile());
    other.end();
    QCOMPARE(unchanged, before);

    // The other program has ended: a new window takes its lock over.
    f.window.reset();
    w = f.open();
    QCOMPARE(w->logHolder(), qint64(0));
    typeEntry(w);
    F::key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.indicator(), lime);
    QCOMPARE(DataFile::findRecordCount(f.dataFile()), 4);
}

void TestFaults::compromisedRecordLockEndsWithClear_data()
{
    QTest::addColumn<bool>("selectGoodRecord");
    QTest::newRow("Clear") << false;
    QTest::newRow("Select of a good record") << true;
}

// After a compromised record was shown, the next entry is typed and saved as typed.
void TestFaults::compromisedRecordLockEndsWithClear()
{
    QFETCH(bool, selectGoodRecord);
    MainWindowFixture f;
    f.writeRecords(3);
    QVERIFY(TestRecords::patchChar(f.dataFile(), 2, CallRecord::Name, 0, QLatin1Char('B')));
    TMainForm *w = f.open();
    readAndSelect(w, 2);
    QCOMPARE(f.message(), QStringLiteral("Entry Integrity Compromised"));
    QVERIFY(w->state().EditLocked);
    if (selectGoodRecord) {
        readAndSelect(w, 3);
        QVERIFY(!w->state().EditLocked);
        QVERIFY(w->state().EditMode);
    }
    F::key(Qt::Key_C, Qt::ControlModifier);
    QVERIFY(!w->state().EditLocked);
    typeEntry(w);
    QCOMPARE(w->EditName->text(), QStringLiteral("Ann Lee"));
    QVERIFY(!w->EditName->isReadOnly());
    F::key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.indicator(), lime);
    CallRecord stored;
    QCOMPARE(DataFile::readRecord(f.dataFile(), 4, stored), DataFile::ReadResult::Ok);
    QCOMPARE(stored.text(CallRecord::Name), QStringLiteral("Ann Lee"));
    QCOMPARE(stored.text(CallRecord::Company), QStringLiteral("Acme"));
    QCOMPARE(stored.text(CallRecord::Notes), QStringLiteral("Call back"));
}

void TestFaults::exitAsksAboutAnUnsavedEntry_data()
{
    QTest::addColumn<bool>("byKey");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("records");
    for (bool byKey : {true, false}) {
        const char *how = byKey ? "Ctrl+X" : "the desktop's close";
        QTest::addRow("%s, Save", how) << byKey << int(QMessageBox::Save) << true << 4;
        QTest::addRow("%s, Discard", how) << byKey << int(QMessageBox::Discard) << true << 3;
        QTest::addRow("%s, Cancel", how) << byKey << int(QMessageBox::Cancel) << false << 3;
    }
}

void TestFaults::exitAsksAboutAnUnsavedEntry()
{
    QFETCH(bool, byKey);
    QFETCH(int, answer);
    QFETCH(bool, closes);
    QFETCH(int, records);
    MainWindowFixture f;
    f.writeRecords(3);
    TMainForm *w = f.open();
    typeEntry(w);
    QString question;
    {
        ModalAnswerer answerer(MainWindowFixture::desktopOf(w));
        answerer.answer = [&](QDialog *dialog) {
            auto *ask = qobject_cast<QMessageBox *>(dialog);
            if (!ask)
                return false;
            question = ask->text();
            ask->button(QMessageBox::StandardButton(answer))->click();
            return true;
        };
        if (byKey)
            F::key(Qt::Key_X, Qt::ControlModifier);
        else
            w->close();
    }
    QCOMPARE(question, QStringLiteral("Save the entry before leaving?"));
    QCOMPARE(w->isVisible(), !closes);
    QCOMPARE(DataFile::findRecordCount(f.dataFile()), records);
    if (!closes)
        QCOMPARE(w->EditName->text(), QStringLiteral("Ann Lee"));

    // With nothing typed, Exit asks nothing.
    if (!closes) {
        F::reactivate(w);
        F::key(Qt::Key_C, Qt::ControlModifier);
        ModalAnswerer answerer(MainWindowFixture::desktopOf(w));
        F::key(Qt::Key_X, Qt::ControlModifier);
        QVERIFY(answerer.seen.isEmpty());
        QVERIFY(!w->isVisible());
    }
}

// Under the usual umask every file the program creates is its user's alone;
// a file that was there keeps its mode.
void TestFaults::createdFilesAreOwnerOnly()
{
    const mode_t saved = ::umask(022);
    MainWindowFixture f;
    const QString keep = f.path(QStringLiteral("VNExport.txt"));
    QVERIFY(TestRecords::writeAll(keep, "earlier export\n"));
    QVERIFY(QFile::setPermissions(keep, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
    f.writeRecords(2);
    QVERIFY(QFile::remove(f.dataFile()));
    ::umask(022);
    TMainForm *w = f.open();
    QString journalMode;
    DataFile::setFaultHook([&](const char *step) {
        if (QByteArray(step) == "journal synced") {
            struct stat info;
            if (::stat(QFile::encodeName(DataFile::journalPath(f.dataFile())).constData(), &info) == 0)
                journalMode = QString::number(info.st_mode & 0777, 8);
        }
    });
    typeEntry(w);
    F::key(Qt::Key_S, Qt::ControlModifier);
    DataFile::setFaultHook(nullptr);
    QCOMPARE(f.indicator(), lime);
    QCOMPARE(journalMode, QStringLiteral("600"));
    w->ExportFile1->trigger();
    // The full report printed: where there is no printer it becomes a PDF.
    {
        ModalAnswerer answerer(MainWindowFixture::desktopOf(w));
        answerer.answer = [](QDialog *dialog) {
            auto *preview = qobject_cast<TPrintPreviewForm *>(dialog);
            if (!preview)
                return false;
            preview->ButtonPrint->click();
            return true;
        };
        F::key(Qt::Key_P, Qt::ControlModifier);
    }
    F::reactivate(w);
    {
        ModalAnswerer answerer(MainWindowFixture::desktopOf(w));
        w->PrintCurrentClick();
    }
    F::reactivate(w);

    QStringList created = {QStringLiteral("VNData.dta"), QStringLiteral("VNData.dta.lock"),
                                 QStringLiteral("DataOutputForm.txt"), QStringLiteral("SingleRecordForm.txt")};
    // Where the system has a printer the report went there instead.
    if (QPrinterInfo::availablePrinterNames().isEmpty())
        created.append(QStringLiteral("DataOutputForm.pdf"));
    for (const QString &name : created) {
        struct stat info;
        QVERIFY2(::stat(QFile::encodeName(f.path(name)).constData(), &info) == 0, qPrintable(name));
        QVERIFY2((info.st_mode & 0777) == 0600, qPrintable(name + QLatin1Char(' ') + QString::number(info.st_mode & 0777, 8)));
    }
    struct stat kept;
    QCOMPARE(::stat(QFile::encodeName(keep).constData(), &kept), 0);
    QCOMPARE(kept.st_mode & 0777, mode_t(0644));
    QVERIFY(readAll(keep).contains("Caller") || readAll(keep).contains("Ann Lee"));
    f.window.reset();
    ::umask(saved);
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
