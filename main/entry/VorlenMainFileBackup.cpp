// The log-entry window's backups, restore and imports: each asks the open
// log, and the windows of main/backup show and choose.

#include "VorlenMainFile.h"

#include "backupprogress.h"
#include "backupsettingswindow.h"
#include "csvimport.h"
#include "desktop.h"
#include "entryrow.h"
#include "importcolumnswindow.h"
#include "importpreviewwindow.h"
#include "restorewindow.h"
#include "selectpanel.h"
#include "vcard.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>

namespace {

StatusReport failure(const QString &text)
{
    StatusReport report;
    report.light = StatusReport::Light::Failed;
    report.message = text;
    report.messagePoints = 9;
    return report;
}

QString typeText(CallType type)
{
    switch (type) {
    case CallType::In:
        return QStringLiteral("In");
    case CallType::Out:
        return QStringLiteral("Out");
    case CallType::Message:
        return QStringLiteral("Msg");
    case CallType::None:
        break;
    }
    return QStringLiteral("X");
}

template<typename Refused> TFormImportPreview::Rows refusedRows(const std::vector<Refused> &refused)
{
    return {{QStringLiteral("Line"), QStringLiteral("Reason")}, int(refused.size()), [&refused](int row, int column) {
                const Refused &r = refused[size_t(row)];
                return column == 0 ? QString::number(r.line) : r.reason;
            }};
}

bool confirmCalls(const CsvImport::Preview &preview, const QString &file, int firstRecord, Desktop &desktop,
                  QWidget *parent)
{
    const auto &accepted = preview.accepted;
    const TFormImportPreview::Rows calls{{QStringLiteral("Line"), QStringLiteral("Type"), QStringLiteral("Date"),
                                          QStringLiteral("Time"), QStringLiteral("Phone"), QStringLiteral("Name"),
                                          QStringLiteral("Company"), QStringLiteral("Notes"),
                                          QStringLiteral("Remarks")},
                                         int(accepted.size()),
                                         [&accepted](int row, int column) {
                                             const CsvImport::Accepted &a = accepted[size_t(row)];
                                             const QString texts[] = {QString::number(a.line),
                                                                      typeText(a.entry.type),
                                                                      a.entry.date,
                                                                      a.entry.time,
                                                                      a.entry.phone,
                                                                      a.entry.name,
                                                                      a.entry.company,
                                                                      a.entry.notes,
                                                                      a.notes.join(QStringLiteral("; "))};
                                             return texts[column];
                                         }};
    const QString summary = accepted.empty()
        ? QStringLiteral("%1: no row can be imported; %2 rows refused.").arg(file).arg(preview.refused.size())
        : QStringLiteral("%1: %2 calls to add as records %3 to %4; %5 rows refused. Nothing is written until you "
                         "choose Import.")
              .arg(file)
              .arg(accepted.size())
              .arg(firstRecord)
              .arg(firstRecord + int(accepted.size()) - 1)
              .arg(preview.refused.size());
    TFormImportPreview window(QStringLiteral("Import CSV - Preview"), summary, calls, refusedRows(preview.refused),
                              QStringLiteral("&Import %1 calls").arg(accepted.size()), parent);
    return desktop.runDialog(window) == QDialog::Accepted;
}

bool confirmContacts(const VCard::Result &cards, const QString &file, Desktop &desktop, QWidget *parent)
{
    const auto &contacts = cards.contacts;
    const TFormImportPreview::Rows rows{
        {QStringLiteral("Name"), QStringLiteral("Company"), QStringLiteral("Phones")},
        int(contacts.size()),
        [&contacts](int row, int column) {
            const Contact &c = contacts[size_t(row)];
            return column == 0 ? c.name : column == 1 ? c.company : c.phones.join(QStringLiteral(", "));
        }};
    const QString summary = QStringLiteral("%1: %2 contacts to add to the address book beside the log; %3 cards "
                                           "refused. Nothing is written until you choose Import.")
                                .arg(file)
                                .arg(contacts.size())
                                .arg(cards.refused.size());
    TFormImportPreview window(QStringLiteral("Import Contacts - Preview"), summary, rows, refusedRows(cards.refused),
                              QStringLiteral("&Import %1 contacts").arg(contacts.size()), parent);
    return desktop.runDialog(window) == QDialog::Accepted;
}

QString chooseToImport(Desktop &desktop, QWidget *parent, const QString &title, const QString &filter)
{
    Desktop::FileChoice choice;
    choice.title = title;
    choice.suggested = QDir::currentPath();
    choice.filter = filter + QStringLiteral(";;All files (*)");
    return desktop.chooseFile(parent, choice);
}

} // namespace

void TMainForm::addBackupCommands(QMenu *file)
{
    BackupSettings1 = addCommand(file, "BackupSettings1", QStringLiteral("Backup Settings\u2026"), {},
                                 &TMainForm::BackupSettings1Click);
    BackupNow1 = addCommand(file, "BackupNow1", QStringLiteral("Back Up Now"), {}, &TMainForm::BackupNow1Click);
    Restore1 = addCommand(file, "Restore1", QStringLiteral("Restore\u2026"), {}, &TMainForm::Restore1Click);
    ImportCsv1 = addCommand(file, "ImportCsv1", QStringLiteral("Import CSV\u2026"), {}, &TMainForm::ImportCsv1Click);
    ImportContacts1 = addCommand(file, "ImportContacts1", QStringLiteral("Import Contacts\u2026"), {},
                                 &TMainForm::ImportContacts1Click);
}

// ---- Backups ---------------------------------------------------------------

void TMainForm::scheduleDailyBackup()
{
    // Made once the window's initialisation is over: at start-up while the
    // splash is up, and before any save, which waits for it.
    m_backupDue = true;
    QTimer::singleShot(0, this, &TMainForm::backUpIfDue);
}

void TMainForm::backUpIfDue()
{
    if (!m_backupDue)
        return;
    m_backupDue = false;
    bool chosen = false;
    const QString folder = backupFolderSetting(&chosen);
    const QDateTime now = m_desktop.now();
    if (!m_log.backupDue(folder, now.toLocalTime().date()))
        return;
    BackupProgress progress(this, QStringLiteral("Making today's backup of the log\u2026"));
    const OpenLog::BackupOutcome outcome = m_log.backUp(folder, !chosen, now, progress.callback());
    if (outcome.made && outcome.report.light != StatusReport::Light::Failed)
        return;
    m_backupNote = outcome.report.message;
    if (!outcome.made)
        m_backupNote += QStringLiteral(" - the next start tries again");
    showBackupNote();
}

void TMainForm::showBackupNote()
{
    if (m_backupNote.isEmpty() || Panel1->messageShown() || !m_log.problem().isEmpty())
        return;
    showMessage(m_backupNote, 9);
    m_backupNote.clear();
}

void TMainForm::BackupNow1Click()
{
    bool chosen = false;
    const QString folder = backupFolderSetting(&chosen);
    BackupProgress progress(this, QStringLiteral("Backing up the log\u2026"));
    const OpenLog::BackupOutcome outcome = m_log.backUp(folder, !chosen, m_desktop.now(), progress.callback());
    if (outcome.made)
        m_backupNote.clear();
    showStatus(outcome.report);
}

void TMainForm::BackupSettings1Click()
{
    TFormBackupSettings settings(m_log, m_desktop, this);
    if (m_desktop.runDialog(settings) != QDialog::Accepted)
        return;
    showMessage(QStringLiteral("Backups go to %1").arg(QDir::toNativeSeparators(settings.chosenFolder())), 9);
}

void TMainForm::Restore1Click()
{
    const StatusReport refused = m_log.writeRefusal(QStringLiteral("not restored"));
    if (!refused.message.isNull()) {
        showStatus(refused);
        return;
    }
    const QString folder = backupFolderSetting();
    std::optional<Backup::Entry> chosen;
    bool forced = false;
    {
        TFormRestore restore(m_log, m_desktop, folder, this);
        m_desktop.runDialog(restore);
        chosen = restore.chosen();
        forced = restore.forced();
    }
    if (!chosen)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const OpenLog::RestoreOutcome outcome = m_log.restore(*chosen, folder, m_desktop.now(), forced);
    QApplication::restoreOverrideCursor();
    if (outcome.restored) {
        // What the fields showed belongs to the log that was replaced.
        hideSelectPanel();
        clearEntry(false);
        Panel2->showRecordCount(state().RecordCount);
        offerCallersOf(EditPhone->text());
        // The call-backs are the restored store's.
        refreshCallBackCounts();
    }
    showStatus(outcome.report);
}

// ---- Import ----------------------------------------------------------------

void TMainForm::ImportCsv1Click()
{
    const StatusReport refused = m_log.appendRefusal();
    if (!refused.message.isNull()) {
        showStatus(refused);
        return;
    }
    const QString path =
        chooseToImport(m_desktop, this, QStringLiteral("Import CSV"), QStringLiteral("CSV (*.csv *.txt)"));
    if (path.isEmpty())
        return;
    const QString file = QFileInfo(path).fileName();
    const CsvImport::Source source = CsvImport::read(path);
    if (!source.table.error.isEmpty()) {
        showStatus(failure(QStringLiteral("Cannot import %1: %2").arg(file, source.table.error)));
        return;
    }
    CsvImport::Columns columns = source.columns;
    if (!source.ownExport) {
        TFormImportColumns mapping(source, file, this);
        if (m_desktop.runDialog(mapping) != QDialog::Accepted) {
            showMessage(QStringLiteral("Import cancelled - nothing written"), 9);
            return;
        }
        columns = mapping.columns();
    }
    const CsvImport::Preview preview = CsvImport::preview(source, columns, m_log.configuration(), m_desktop.now());
    if (!confirmCalls(preview, file, state().RecordCount + 1, m_desktop, this)) {
        showMessage(QStringLiteral("Import cancelled - nothing written"), 9);
        return;
    }
    backUpIfDue();
    showStatus(m_log.importCalls(preview.accepted, m_desktop.now()));
    Panel2->showRecordCount(state().RecordCount);
    offerCallersOf(EditPhone->text());
}

void TMainForm::ImportContacts1Click()
{
    const StatusReport refused = m_log.writeRefusal(QStringLiteral("nothing imported"));
    if (!refused.message.isNull()) {
        showStatus(refused);
        return;
    }
    const QString path =
        chooseToImport(m_desktop, this, QStringLiteral("Import Contacts"), QStringLiteral("vCard (*.vcf *.vcard)"));
    if (path.isEmpty())
        return;
    const QString file = QFileInfo(path).fileName();
    const VCard::Result cards = VCard::readFile(path);
    if (!cards.error.isEmpty()) {
        showStatus(failure(QStringLiteral("Cannot import %1: %2").arg(file, cards.error)));
        return;
    }
    if (!confirmContacts(cards, file, m_desktop, this)) {
        showMessage(QStringLiteral("Import cancelled - nothing written"), 9);
        return;
    }
    showStatus(m_log.importContacts(cards.contacts, file, m_desktop.now()));
    offerCallersOf(EditPhone->text());
}
