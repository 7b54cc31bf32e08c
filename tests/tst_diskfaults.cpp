// The disk refuses: the file size limit reached in the middle of a save, an
// export or a mark; a read-only data file or working folder. The window says
// so and leaves every whole record as it was, byte for byte; and the files it
// creates are its user's alone.

#include "faultfixture.h"

#include "Stringgridreview.h"
#include "recordtablemodel.h"

#include <QPrinterInfo>
#include <QTableView>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace FaultFixture;

namespace {

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

} // namespace

class TestDiskFaults : public QObject
{
    Q_OBJECT

private slots:
    void readOnlyDataFileRefusesAnEdit();
    void fileSizeLimitInTheMiddleOfASave();
    void fileSizeLimitDuringExportAndReport();
    void markRefusedByTheDisk_data();
    void markRefusedByTheDisk();
    void readOnlyWorkingFolder_data();
    void readOnlyWorkingFolder();
    void createdFilesAreOwnerOnly();
};

void TestDiskFaults::readOnlyDataFileRefusesAnEdit()
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
    QCOMPARE(f.message(), ReadOnlySave);
    QCOMPARE(f.indicator(), red);
    QCOMPARE(f.hint(), OpenError);
    QVERIFY(!w->state().EditMode);
    QCOMPARE(w->Memo1->toPlainText(), QStringLiteral("Call back again"));
    QCOMPARE(readAll(f.dataFile()), whole);
}

void TestDiskFaults::fileSizeLimitInTheMiddleOfASave()
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
    // The message bar names the cause; the hint keeps "File: Open ERROR".
    QCOMPARE(f.message(), QStringLiteral("Log at the system's file size limit - not saved"));
    QCOMPARE(f.hint(), OpenError);
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

void TestDiskFaults::fileSizeLimitDuringExportAndReport()
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

void TestDiskFaults::markRefusedByTheDisk_data()
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
void TestDiskFaults::markRefusedByTheDisk()
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

void TestDiskFaults::readOnlyWorkingFolder_data()
{
    QTest::addColumn<bool>("withRecords");
    QTest::newRow("empty folder") << false;
    QTest::newRow("with a writable data file") << true;
}

void TestDiskFaults::readOnlyWorkingFolder()
{
    QFETCH(bool, withRecords);
    MainWindowFixture f;
    const QString config = f.path(QStringLiteral("VNConfig.cfg"));
    if (withRecords) {
        f.writeRecords(3);
        QVERIFY(TestRecords::writeConfiguration(config, "VNData.dta\n-\n###\n###\nArial\n0\n10\n"));
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
        QCOMPARE(f.message(), ReadOnlySave);
        QCOMPARE(f.hint(), OpenError);
        QVERIFY(!QFileInfo::exists(f.dataFile()));
    }

    w->ExportFile1->trigger();
    QCOMPARE(f.message(), OpenError);
    QVERIFY(!QFileInfo::exists(f.path(QStringLiteral("VNExport.txt"))));

    // The report is still shown: its work file goes to the cache folder.
    QString panel;
    QString report;
    {
        ModalAnswerer answerer(f.desktop, ModalAnswerer::only<TPrintPreviewForm>([&](TPrintPreviewForm *preview) {
            panel = preview->Panel1->text();
            report = preview->REditReport->toPlainText();
        }));
        F::key(Qt::Key_P, Qt::ControlModifier);
    }
    F::reactivate(w);
    if (withRecords)
        QVERIFY2(panel.isEmpty() && report.contains(QStringLiteral("Caller 3")), qPrintable(panel + report));
    else
        QVERIFY2(panel.startsWith(NoFileRead), qPrintable(panel));
    QVERIFY(!QFileInfo::exists(f.path(ReportText::FullReportFileName)));

    // Open Existing cannot rewrite the configuration: the data file stays.
    w->desktop().chooseFile = [&f](QWidget *, const Desktop::FileChoice &) { return f.path(QStringLiteral("Other.dta")); };
    w->Open1Click();
    if (withRecords) {
        QCOMPARE(f.message(), OpenError);
        QCOMPARE(w->state().DataFileName, QStringLiteral("VNData.dta"));
        QCOMPARE(readAll(config), configBefore);
    } else {
        // No configuration to rewrite, and the chosen log is only read: that is what counts.
        QCOMPARE(f.message(), QStringLiteral("Read-only log: Other.dta - review and print only"));
    }
    QCOMPARE(QFileInfo::exists(config), withRecords);
    if (withRecords)
        QCOMPARE(readAll(f.dataFile()).left(WholeBytes), whole);
}

// Under the usual umask every file the program creates is its user's alone;
// a file that was there keeps its mode.
void TestDiskFaults::createdFilesAreOwnerOnly()
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

QTEST_MAIN(TestDiskFaults)
#include "tst_diskfaults.moc"
