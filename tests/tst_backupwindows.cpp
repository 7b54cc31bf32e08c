// Backups, restore and import as a person reaches them through the File menu:
// the windows answered as a person would, the log and its backups real files
// in a temporary working folder, the backup folder a per-user setting kept
// apart from the person's own.

#include "backup.h"
#include "backupsettingswindow.h"
#include "childprocess.h"
#include "faultfixture.h"
#include "gzipblocks.h"
#include "importcolumnswindow.h"
#include "importpreviewwindow.h"
#include "restorewindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTableWidget>

#include <unistd.h>

using namespace FaultFixture;

namespace {

QDateTime morningOf(int day)
{
    return QDateTime(QDate(2026, 3, day), QTime(8, 15));
}

// Starts the window with the clock at `when` and lets its start-up work run.
TMainForm *startAt(MainWindowFixture &f, const QDateTime &when)
{
    f.window.reset();
    f.desktop.now = [when] { return when; };
    TMainForm *w = f.open();
    QCoreApplication::processEvents();
    return w;
}

std::vector<Backup::Entry> backupsIn(const QString &folder)
{
    return Backup::listBackups(folder, QStringLiteral("VNData"));
}

std::vector<CallRecord> recordsOf(const QString &path)
{
    std::vector<CallRecord> records;
    DataFile::scanRecords(path, DataFile::ScanMode::Unchecked, records);
    return records;
}

QStringList fieldsOf(const CallRecord &record)
{
    const CallEntry entry = CallEntry::fromRecord(record);
    return {QString::number(int(entry.type)), entry.date, entry.time, entry.phone, entry.name, entry.company,
            entry.notes};
}

// Calls of every type over two years, with the characters a CSV must quote.
void writeVariedLog(const QString &path, int count)
{
    static const char *const types[] = {"I", "O", "M"};
    std::vector<CallRecord> records;
    for (int i = 1; i <= count; ++i) {
        TestRecords::Entry entry;
        entry.type = QLatin1String(types[i % 3]);
        const QDate day = QDate(2024, 1, 1).addDays(i % 700);
        entry.date = day.toString(QStringLiteral("MM/dd/yyyy"));
        const int hour = 1 + i % 12;
        entry.time = QStringLiteral("%1:%2%3")
                         .arg(hour, 2)
                         .arg(i % 60, 2, 10, QLatin1Char('0'))
                         .arg(i % 2 ? QStringLiteral("AM") : QStringLiteral("PM"));
        entry.phone = QStringLiteral("555-%1-%2").arg(100 + i % 900).arg(1000 + i % 9000);
        entry.name = i % 7 ? QStringLiteral("Caller %1").arg(i) : QStringLiteral("O'Hara, \"Pat\" %1").arg(i);
        entry.company = i % 5 ? QStringLiteral("Firm %1").arg(i % 40) : QStringLiteral("Müller; Söhne");
        entry.notes = QStringLiteral("Note %1, about \"the order\"; café").arg(i);
        records.push_back(TestRecords::make(i, entry));
    }
    QCOMPARE(DataFile::storeMany(path, records), DataFile::WriteResult::Written);
}

// Answers the restore window with the backup of `row`, and every question with `answer`.
std::function<bool(QDialog *)> restoreRow(int row, QMessageBox::StandardButton answer, QStringList *questions)
{
    return [=](QDialog *dialog) {
        if (auto *restore = qobject_cast<TFormRestore *>(dialog)) {
            restore->GridBackups->selectRow(row);
            restore->ButtonRestore->click();
            return true;
        }
        if (auto *box = qobject_cast<QMessageBox *>(dialog)) {
            questions->append(box->objectName());
            box->button(answer)->click();
            return true;
        }
        return false;
    };
}

} // namespace

class TestBackupWindows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void menuHoldsTheAdditionsBeforeExit();
    void csvRoundTripThroughTheMenu();
    void otherCsvThroughTheColumnsAndThePreview();
    void threeDaysOfStartsGiveThreeVerifiedBackups();
    void backUpNowAddsABackupOfTheLogAsItIs();
    void restoreBringsBackADeletedLog();
    void restoreWarnsBeforeAFailingBackup_data();
    void restoreWarnsBeforeAFailingBackup();
    void restoreRefusedWhileAnotherProgramHoldsTheLog();
    void backupFolderTroubleLeavesTheLogWorking_data();
    void backupFolderTroubleLeavesTheLogWorking();
    void contactsComeFirstForTheirNumber();

private:
    QTemporaryDir m_settings;
};

void TestBackupWindows::initTestCase()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    QCoreApplication::setOrganizationName(QStringLiteral("CallLogTest"));
    QCoreApplication::setApplicationName(QStringLiteral("tst_backupwindows"));
}

void TestBackupWindows::init()
{
    QSettings().clear();
}

void TestBackupWindows::menuHoldsTheAdditionsBeforeExit()
{
    MainWindowFixture f;
    TMainForm *w = f.open();
    QStringList texts;
    for (QAction *action : w->findChild<QMenu *>(QStringLiteral("File1"))->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(texts.mid(texts.indexOf(QStringLiteral("Repair\u2026"))),
             QStringList({QStringLiteral("Repair\u2026"), QStringLiteral("Backup Settings\u2026"),
                          QStringLiteral("Back Up Now"), QStringLiteral("Restore\u2026"),
                          QStringLiteral("Import CSV\u2026"), QStringLiteral("Import Contacts\u2026"),
                          QStringLiteral("-"), QStringLiteral("E&xit")}));
}

// A log exported as CSV and imported into an empty log gives the same
// calls; a cancelled preview writes nothing.
void TestBackupWindows::csvRoundTripThroughTheMenu()
{
    MainWindowFixture f;
    writeVariedLog(f.dataFile(), 2000);
    TMainForm *w = f.open();
    f.desktop.nextFile = f.path(QStringLiteral("calls.csv"));
    w->ExportCsv1->trigger();
    QCOMPARE(f.message(), QStringLiteral("Saved as calls.csv"));
    f.window.reset();
    const QString original = f.path(QStringLiteral("Original.dta"));
    QVERIFY(QFile::rename(f.dataFile(), original));

    w = f.open();
    QCOMPARE(w->state().RecordCount, 0);
    int shownRows = -1;
    bool refusedShown = true;
    {
        ModalAnswerer cancel(f.desktop, [&](QDialog *dialog) {
            auto *preview = qobject_cast<TFormImportPreview *>(dialog);
            QVERIFY(preview);
            shownRows = preview->GridAccepted->model()->rowCount();
            refusedShown = !preview->GridRefused->isHidden();
            preview->ButtonCancel->click();
        });
        w->ImportCsv1->trigger();
    }
    QCOMPARE(shownRows, 2000);
    QVERIFY(!refusedShown);
    QCOMPARE(f.message(), QStringLiteral("Import cancelled - nothing written"));
    QVERIFY(!QFile::exists(f.dataFile()));

    {
        ModalAnswerer confirm(f.desktop, [](QDialog *dialog) {
            qobject_cast<TFormImportPreview *>(dialog)->ButtonImport->click();
        });
        w->ImportCsv1->trigger();
    }
    QCOMPARE(w->state().RecordCount, 2000);
    QCOMPARE(f.indicator(), lime);
    const std::vector<CallRecord> before = recordsOf(original);
    const std::vector<CallRecord> after = recordsOf(f.dataFile());
    QCOMPARE(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) {
        QCOMPARE(fieldsOf(after[i]), fieldsOf(before[i]));
        QVERIFY(after[i].verify());
        QCOMPARE(after[i].text(CallRecord::Status), QStringLiteral("O"));
        QCOMPARE(qint64(after[i].savedAtSeconds()), MainWindowFixture::fixedNow().toSecsSinceEpoch());
    }
}

// A CSV the program did not write: its columns chosen by hand, its rows
// normalised as if typed, the rows the rules refuse listed with their line.
void TestBackupWindows::otherCsvThroughTheColumnsAndThePreview()
{
    MainWindowFixture f;
    f.writeRecords(2);
    QVERIFY(TestRecords::writeAll(f.path(QStringLiteral("phone.csv")),
                                  "Wer;Nummer;Wann;Uhr\r\n"
                                  "Ann Lee;5551234567;6/14/2024;0930\r\n"
                                  "Bob Stone;5559876543;13/45/2024;1015\r\n"
                                  "=HYPERLINK(\"x\");5550001111;6/15/2024;1400\r\n"));
    TMainForm *w = f.open();
    f.desktop.nextFile = f.path(QStringLiteral("phone.csv"));
    QStringList refused;
    QStringList firstRow;
    {
        ModalAnswerer answerer(f.desktop, [&](QDialog *dialog) {
            if (auto *columns = qobject_cast<TFormImportColumns *>(dialog)) {
                columns->ComboName->setCurrentIndex(1);
                columns->ComboPhone->setCurrentIndex(2);
                columns->ComboDate->setCurrentIndex(3);
                columns->ComboTime->setCurrentIndex(4);
                columns->CheckHeadingRow->setChecked(true);
                columns->accept();
                return;
            }
            auto *preview = qobject_cast<TFormImportPreview *>(dialog);
            QVERIFY(preview);
            const QAbstractItemModel *rows = preview->GridRefused->model();
            for (int row = 0; row < rows->rowCount(); ++row)
                refused << rows->index(row, 0).data().toString() + QLatin1Char(' ') + rows->index(row, 1).data().toString();
            const QAbstractItemModel *accepted = preview->GridAccepted->model();
            for (int column = 0; column < accepted->columnCount(); ++column)
                firstRow << accepted->index(0, column).data().toString();
            QCOMPARE(accepted->rowCount(), 2);
            preview->ButtonImport->click();
        });
        w->ImportCsv1->trigger();
    }
    QVERIFY2(refused.size() == 1, qPrintable(refused.join(QLatin1Char('|'))));
    QVERIFY2(refused.front().startsWith(QStringLiteral("3 ")), qPrintable(refused.front()));
    QCOMPARE(firstRow.mid(1, 6), QStringList({QStringLiteral("In"), QStringLiteral("06/14/2024"),
                                              QStringLiteral(" 9:30AM"), QStringLiteral("555-123-4567"),
                                              QStringLiteral("Ann Lee"), QStringLiteral("Unknown")}));
    const std::vector<CallRecord> records = recordsOf(f.dataFile());
    QCOMPARE(records.size(), size_t(4));
    QCOMPARE(records[2].number(), 3);
    QCOMPARE(records[3].text(CallRecord::Name), QStringLiteral("=HYPERLINK(\"x\")"));
    QCOMPARE(w->state().RecordCount, 4);
}

// Each first start of a day backs the log up before the day's first save; a
// second start that day makes none, and rotation keeps what is not its own.
void TestBackupWindows::threeDaysOfStartsGiveThreeVerifiedBackups()
{
    MainWindowFixture f;
    f.writeRecords(5);
    const QString folder = f.path(QStringLiteral("Backups"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(TestRecords::writeAll(folder + QStringLiteral("/read me.txt"), "mine"));
    for (int day = 3; day <= 5; ++day) {
        startAt(f, morningOf(day));
        typeEntry(f.window.get());
        F::key(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(f.indicator(), lime);
    }
    startAt(f, morningOf(5).addSecs(3600));

    const std::vector<Backup::Entry> backups = backupsIn(folder);
    QCOMPARE(backups.size(), size_t(3));
    for (int i = 0; i < 3; ++i) {
        const Backup::Entry &backup = backups[size_t(i)];
        QCOMPARE(backup.time, morningOf(5 - i));
        QVERIFY2(backup.good && Backup::verify(backup).isEmpty(), qPrintable(Backup::verify(backup)));
        // Made before that day's save.
        QCOMPARE(backup.records, qint64(7 - i));
        QCOMPARE(backup.failing, qint64(0));
    }
    QVERIFY(QFile::exists(folder + QStringLiteral("/read me.txt")));
}

// Back Up Now copies the log as it is now; rotation keeps the newest backup
// of a day, so it takes the place of the day's earlier one.
void TestBackupWindows::backUpNowAddsABackupOfTheLogAsItIs()
{
    MainWindowFixture f;
    f.writeRecords(2);
    const QString folder = f.path(QStringLiteral("Backups"));
    TMainForm *w = startAt(f, morningOf(6));
    QCOMPARE(backupsIn(folder).front().records, qint64(2));
    typeEntry(w);
    F::key(Qt::Key_S, Qt::ControlModifier);
    w->BackupNow1->trigger();
    const std::vector<Backup::Entry> backups = backupsIn(folder);
    QVERIFY2(backups.size() == 1, qPrintable(f.message()));
    QCOMPARE(backups.front().records, qint64(3));
    QVERIFY(Backup::verify(backups.front()).isEmpty());
    QCOMPARE(f.message(), QStringLiteral("Backed up to %1").arg(QDir::toNativeSeparators(backups.front().logGzPath)));
}

void TestBackupWindows::restoreBringsBackADeletedLog()
{
    MainWindowFixture f;
    f.writeRecords(4);
    const QByteArray whole = readAll(f.dataFile());
    TMainForm *w = startAt(f, morningOf(6));
    QVERIFY(QFile::remove(f.dataFile()));

    QStringList questions;
    QStringList listed;
    {
        ModalAnswerer answerer(f.desktop);
        const auto answer = restoreRow(0, QMessageBox::Yes, &questions);
        answerer.answer = [&](QDialog *dialog) {
            if (auto *restore = qobject_cast<TFormRestore *>(dialog)) {
                for (int column = 0; column < restore->GridBackups->columnCount(); ++column)
                    listed << restore->GridBackups->item(0, column)->text();
            }
            return answer(dialog);
        };
        w->Restore1->trigger();
    }
    QCOMPARE(listed.mid(0, 4), QStringList({QStringLiteral("03/06/2026 8:15AM"), QStringLiteral("4"),
                                            QStringLiteral("06/14/2024 \u2013 06/14/2024"), QStringLiteral("Verified")}));
    QCOMPARE(questions, QStringList(QStringLiteral("RestoreConfirm")));
    QCOMPARE(readAll(f.dataFile()), whole);
    for (const CallRecord &record : recordsOf(f.dataFile()))
        QVERIFY(record.verify());
    QCOMPARE(w->state().RecordCount, 4);
    QVERIFY2(f.message().startsWith(QStringLiteral("Restored the backup of 03/06/2026 8:15AM: 4 records")),
             qPrintable(f.message()));
    QCOMPARE(f.indicator(), lime);

    // The restored log takes calls again.
    F::reactivate(w);
    typeEntry(w);
    F::key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(DataFile::findRecordCount(f.dataFile()), 5);
}

void TestBackupWindows::restoreWarnsBeforeAFailingBackup_data()
{
    QTest::addColumn<bool>("insist");
    QTest::newRow("the warning declined") << false;
    QTest::newRow("restored after the warning") << true;
}

// A backup whose file no longer matches what was written is listed as
// failing, and is taken only after a warning; the log it replaces is backed
// up first.
void TestBackupWindows::restoreWarnsBeforeAFailingBackup()
{
    QFETCH(bool, insist);
    MainWindowFixture f;
    f.writeRecords(3);
    const QString folder = f.path(QStringLiteral("Backups"));
    TMainForm *w = startAt(f, morningOf(6));
    QCOMPARE(backupsIn(folder).size(), size_t(1));
    typeEntry(w);
    F::key(Qt::Key_S, Qt::ControlModifier);
    const QByteArray current = readAll(f.dataFile());

    // The backup's copy replaced by another whole gzip file: a changed call.
    const QString changed = f.path(QStringLiteral("changed.dta"));
    QVERIFY(TestRecords::writeAll(changed, current.left(3 * RecordSize)));
    QVERIFY(TestRecords::patchChar(changed, 2, CallRecord::Name, 0, QLatin1Char('X')));
    const QString gz = backupsIn(folder).front().logGzPath;
    QVERIFY(QFile::remove(gz));
    QVERIFY(GzipBlocks::copyVerified(changed, gz).ok);

    QStringList questions;
    QString check;
    {
        ModalAnswerer answerer(f.desktop);
        const auto answer = restoreRow(0, insist ? QMessageBox::Yes : QMessageBox::No, &questions);
        answerer.answer = [&](QDialog *dialog) {
            if (auto *restore = qobject_cast<TFormRestore *>(dialog))
                check = restore->checkText(0);
            return answer(dialog);
        };
        w->Restore1->trigger();
    }
    QVERIFY2(check.startsWith(QStringLiteral("FAILED: ")), qPrintable(check));
    if (!insist) {
        QCOMPARE(questions, QStringList(QStringLiteral("RestoreFailedCheck")));
        QCOMPARE(readAll(f.dataFile()), current);
        QCOMPARE(backupsIn(folder).size(), size_t(1));
        return;
    }
    QCOMPARE(questions, QStringList({QStringLiteral("RestoreFailedCheck"), QStringLiteral("RestoreConfirm")}));
    QCOMPARE(readAll(f.dataFile()), readAll(changed));
    QCOMPARE(w->state().RecordCount, 3);
    // The log it replaced, 4 records, is kept as a backup of its own.
    const std::vector<Backup::Entry> backups = backupsIn(folder);
    QCOMPARE(backups.size(), size_t(2));
    QVERIFY(std::any_of(backups.begin(), backups.end(), [](const Backup::Entry &b) { return b.records == 4; }));
}

void TestBackupWindows::restoreRefusedWhileAnotherProgramHoldsTheLog()
{
    MainWindowFixture f;
    f.writeRecords(3);
    const QString folder = f.path(QStringLiteral("Backups"));
    QVERIFY(Backup::makeBackup(f.dataFile(), folder, morningOf(5)).ok);
    QVERIFY(QFile::resize(f.dataFile(), 2 * RecordSize));
    const QByteArray before = readAll(f.dataFile());
    int ready[2];
    QCOMPARE(::pipe(ready), 0);
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
    QCOMPARE(::read(ready[0], &ok, 1), ssize_t(1));
    ::close(ready[0]);
    QCOMPARE(ok, 'y');

    TMainForm *w = startAt(f, morningOf(6));
    QStringList seen;
    {
        ModalAnswerer answerer(f.desktop);
        w->Restore1->trigger();
        seen = answerer.seen;
    }
    QCOMPARE(seen, QStringList());
    QCOMPARE(f.message(),
             QStringLiteral("Log in use by another Vorlen3 (process %1) - not restored").arg(other.pid()));
    QCOMPARE(f.indicator(), red);
    QCOMPARE(readAll(f.dataFile()), before);
    // The day's backup is the holder's to make.
    QCOMPARE(backupsIn(folder).size(), size_t(1));
}

void TestBackupWindows::backupFolderTroubleLeavesTheLogWorking_data()
{
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("cause");
    QTest::newRow("chosen folder not there") << false << QStringLiteral("is not there (is its disk connected?)");
    QTest::newRow("read-only folder") << true << QString();
}

// The folder chosen in Backup Settings cannot take the day's backup: the
// window says so, saves as before, and the next start tries again.
void TestBackupWindows::backupFolderTroubleLeavesTheLogWorking()
{
    QFETCH(bool, readOnly);
    QFETCH(QString, cause);
    MainWindowFixture f;
    f.writeRecords(2);
    // A configuration, so that the start has nothing else to say.
    QVERIFY(TestRecords::writeConfiguration(f.path(QStringLiteral("VNConfig.cfg")),
                                            "VNData.dta\n-\n###\n###\nArial\n0\n10\n"));
    const QString folder = f.path(QStringLiteral("elsewhere"));
    if (readOnly)
        QVERIFY(QDir().mkpath(folder));
    TMainForm *w = startAt(f, morningOf(6));
    f.desktop.nextFile = folder;
    {
        ModalAnswerer answerer(f.desktop, [](QDialog *dialog) {
            auto *settings = qobject_cast<TFormBackupSettings *>(dialog);
            QVERIFY(settings);
            settings->ButtonBrowse->click();
            settings->accept();
        });
        w->BackupSettings1->trigger();
    }
    QCOMPARE(f.desktop.fileChoices.last().mode, Desktop::FileChoice::Mode::Folder);
    QCOMPARE(backupFolderSetting(), folder);

    {
        PermissionGuard work(f.dir.path(), 0777);
        PermissionGuard log(f.dataFile(), 0666);
        PermissionGuard config(f.path(QStringLiteral("VNConfig.cfg")), 0666);
        // The person's settings are theirs to read.
        PermissionGuard settingsFolder(m_settings.path(), 0777);
        PermissionGuard settingsSubfolder(QFileInfo(QSettings().fileName()).absolutePath(), 0777);
        PermissionGuard settingsFile(QSettings().fileName(), 0666);
        PermissionGuard backups(folder, 0555);
        AsOrdinaryUser user;
        if (!user.ok())
            QSKIP("cannot take an ordinary user's rights here");
        w = startAt(f, morningOf(7));
        const QString message = f.message();
        QVERIFY2(message.startsWith(readOnly ? QStringLiteral("Could not back up VNData.dta to ")
                                             : QStringLiteral("Not backed up: the backup folder ")),
                 qPrintable(message));
        QVERIFY2(message.endsWith(cause + QStringLiteral(" - the next start tries again")), qPrintable(message));
        typeEntry(w);
        F::key(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(f.indicator(), lime);
        QCOMPARE(DataFile::findRecordCount(f.dataFile()), 3);
        w = nullptr;
        f.window.reset();
    }
    QVERIFY(backupsIn(folder).empty());
    QVERIFY(QDir().mkpath(folder));
    startAt(f, morningOf(7).addSecs(60));
    QCOMPARE(backupsIn(folder).size(), size_t(1));
    QCOMPARE(backupsIn(folder).front().records, qint64(3));
}

// Contacts from a vCard land in the store beside the log, after a preview,
// and are offered first for their number.
void TestBackupWindows::contactsComeFirstForTheirNumber()
{
    MainWindowFixture f;
    f.writeRecords(1);
    QVERIFY(TestRecords::writeAll(f.path(QStringLiteral("people.vcf")),
                                  "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Dana Fox\r\nORG:Fox Freight\r\n"
                                  "TEL;TYPE=work:+1 555 123 4567\r\nEND:VCARD\r\n"));
    TMainForm *w = f.open();
    f.desktop.nextFile = f.path(QStringLiteral("people.vcf"));
    QString summary;
    {
        ModalAnswerer answerer(f.desktop, [&](QDialog *dialog) {
            auto *preview = qobject_cast<TFormImportPreview *>(dialog);
            QVERIFY(preview);
            summary = preview->LabelSummary->text();
            preview->ButtonImport->click();
        });
        w->ImportContacts1->trigger();
    }
    QVERIFY2(summary.startsWith(QStringLiteral("people.vcf: 1 contacts")), qPrintable(summary));
    QCOMPARE(f.message(), QStringLiteral("Imported 1 contacts from people.vcf"));
    QVERIFY(QFile::exists(Backup::storePathOf(f.dataFile())));
    QCOMPARE(w->log().offeredNames(QStringLiteral("555-123-4567")).value(0), QStringLiteral("Dana Fox"));
    QCOMPARE(w->log().offeredCompanies(QStringLiteral("555-123-4567")).value(0), QStringLiteral("Fox Freight"));
}

QTEST_MAIN(TestBackupWindows)
#include "tst_backupwindows.moc"
