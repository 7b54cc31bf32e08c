// The open log's backups, restore and imports: each takes the log as the
// other commands do (its lock, its damage, a read-only disk), and the log's
// state follows what was written.

#include "openlog.h"

#include "callernames.h"
#include "companionstore.h"
#include "csvimport.h"
#include "platform.h"

#include <QDir>
#include <QFileInfo>

namespace {

using Light = StatusReport::Light;

StatusReport note(Light light, const QString &text)
{
    StatusReport report;
    report.light = light;
    report.message = text;
    report.messagePoints = 9;
    return report;
}

QString shownTime(const QDateTime &time)
{
    return time.toString(QStringLiteral("MM/dd/yyyy h:mmAP"));
}

QString holderText(qint64 holder)
{
    return holder > 0 ? QStringLiteral("Log in use by another Vorlen3 (process %1)").arg(holder)
                      : QStringLiteral("Log in use by another Vorlen3");
}

} // namespace

void OpenLog::closeAdditions()
{
    m_companion->close();
}

void OpenLog::recount()
{
    m_check = DataFile::checkLog(path());
    m_state.RecordCount = DataFile::findRecordCount(path());
}

bool OpenLog::backupDue(const QString &folder, const QDate &today) const
{
    if (m_holder != 0 || !QFileInfo(path()).isFile())
        return false;
    switch (m_check.state) {
    case DataFile::LogState::Whole:
    case DataFile::LogState::TornTail:
    case DataFile::LogState::MisnumberedTail:
        break;
    case DataFile::LogState::Missing:
    case DataFile::LogState::NotALog:
    case DataFile::LogState::Unreadable:
        return false;
    }
    return Backup::backupDueToday(folder, Backup::logNameOf(path()), today);
}

OpenLog::BackupOutcome OpenLog::backUp(const QString &folder, bool makeFolder, const QDateTime &now,
                                       const Backup::Progress &progress)
{
    BackupOutcome outcome;
    const QString shownFolder = QDir::toNativeSeparators(folder);
    takeLock();
    // Another program may be writing the log: it makes its own backups.
    if (m_holder != 0) {
        outcome.report = note(Light::Failed, holderText(m_holder) + QStringLiteral(" - back it up there"));
        return outcome;
    }
    if (!QFileInfo(path()).isFile()) {
        outcome.report =
            note(Light::Unchanged, QStringLiteral("No log to back up yet: %1").arg(QFileInfo(path()).fileName()));
        return outcome;
    }
    if (!makeFolder && !QFileInfo(folder).isDir()) {
        outcome.report =
            note(Light::Failed,
                 QStringLiteral("Not backed up: the backup folder %1 is not there (is its disk connected?)")
                     .arg(shownFolder));
        return outcome;
    }
    const Backup::Outcome made = Backup::makeBackup(path(), folder, now, progress);
    outcome.cancelled = made.cancelled;
    if (!made.ok) {
        outcome.report = made.cancelled ? note(Light::Unchanged, QStringLiteral("Backup cancelled - nothing kept"))
                                        : note(Light::Failed, made.error);
        return outcome;
    }
    outcome.made = true;
    outcome.entry = made.entry;
    QString text = QStringLiteral("Backed up to %1").arg(QDir::toNativeSeparators(made.entry.logGzPath));
    QStringList warnings = made.warnings;
    const Backup::Rotation rotation = Backup::rotate(folder, Backup::logNameOf(path()));
    if (!rotation.error.isEmpty())
        warnings.append(rotation.error);
    if (!warnings.isEmpty())
        text += QStringLiteral(" - ") + warnings.join(QStringLiteral("; "));
    outcome.report = note(warnings.isEmpty() ? Light::Unchanged : Light::Failed, text);
    return outcome;
}

StatusReport OpenLog::writeRefusal(const QString &notDone)
{
    takeLock();
    if (m_holder != 0)
        return note(Light::Failed, QStringLiteral("%1 - %2").arg(holderText(m_holder), notDone));
    // The disk may have been made writable, or read-only, since the log was opened.
    const QFileInfo log(path());
    m_readOnly = !Platform::mayWrite(log.exists() ? path() : log.absolutePath());
    if (m_readOnly)
        return note(Light::Failed, QStringLiteral("Log is read-only - %1").arg(notDone));
    return StatusReport();
}

OpenLog::RestoreOutcome OpenLog::restore(const Backup::Entry &backup, const QString &folder, const QDateTime &now,
                                         bool force)
{
    RestoreOutcome outcome;
    outcome.report = writeRefusal(QStringLiteral("not restored"));
    if (!outcome.report.message.isNull())
        return outcome;
    // The store's file is replaced too: no connection may keep the old one.
    closeAdditions();
    const Backup::RestoreOutcome put = Backup::restore(backup, path(), folder, now, force);
    if (!put.ok) {
        openCompanion();
        outcome.report = note(Light::Failed, put.error);
        return outcome;
    }
    // Nothing on display belongs to the restored log.
    m_lastSaved.reset();
    m_state.EditMode = false;
    m_state.EditLocked = false;
    m_cleared.reset();
    // The start-up check: lock, journal, damage, count.
    const StatusReport opened = open();
    loadCallers();
    outcome.restored = true;
    QString text =
        QStringLiteral("Restored the backup of %1: %2 records").arg(shownTime(backup.time)).arg(m_state.RecordCount);
    if (put.safetyBackupMade)
        text += QStringLiteral("; the log it replaced is backed up as %1").arg(put.safetyBackup.stem);
    const QString damage = problem();
    if (!damage.isEmpty())
        text = QStringLiteral("Restored the backup of %1 - %2").arg(shownTime(backup.time), damage);
    if (!put.warnings.isEmpty())
        text += QStringLiteral(" - ") + put.warnings.join(QStringLiteral("; "));
    outcome.report = opened;
    outcome.report.then(note(damage.isEmpty() ? Light::Good : Light::Failed, text));
    outcome.report.hint = damage.isEmpty() ? HintRecordStatusOk : damage;
    return outcome;
}

StatusReport OpenLog::appendRefusal()
{
    const StatusReport refused = writeRefusal(QStringLiteral("nothing imported"));
    if (!refused.message.isNull())
        return refused;
    m_check = DataFile::checkLog(path());
    return m_check.writable() ? StatusReport() : problemReport();
}

StatusReport OpenLog::importCalls(const std::vector<CsvImport::Accepted> &calls, const QDateTime &now)
{
    const StatusReport refused = appendRefusal();
    if (!refused.message.isNull())
        return refused;
    const CsvImport::Committed committed = CsvImport::commit(path(), calls, now);
    recount();
    if (!committed.ok())
        return note(Light::Failed, committed.message);
    loadCallers();
    return note(Light::Good, committed.message);
}

StatusReport OpenLog::importContacts(const std::vector<Contact> &contacts, const QString &source, const QDateTime &now)
{
    const StatusReport refused = writeRefusal(QStringLiteral("nothing imported"));
    if (!refused.message.isNull())
        return refused;
    int added = 0;
    CompanionStore &store = companion();
    if (store.addContacts(contacts, source, now.toSecsSinceEpoch(), &added) != CompanionStore::Result::Done)
        return note(Light::Failed, QStringLiteral("Contacts NOT imported: %1").arg(store.problem()));
    return note(Light::Good, QStringLiteral("Imported %1 contacts from %2").arg(added).arg(source));
}
