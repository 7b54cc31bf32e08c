#include "openlog.h"

#include "callernames.h"
#include "companionstore.h"
#include "entryrules.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

#include "platform.h"

const QString OpenLog::HintRecordStatusOk = QStringLiteral("Record Status OK");
const QString OpenLog::HintFileOpenError = QStringLiteral("File: Open ERROR");
const QString OpenLog::HintEditing = QStringLiteral("Editing-Record not saved");

namespace {

const QString HintSaveRefused = QStringLiteral("Save FAILED - log not written");

using Light = StatusReport::Light;

StatusReport report(Light light, const QString &hint, const QString &message, int points = 12)
{
    StatusReport r;
    r.light = light;
    r.hint = hint;
    r.message = message;
    r.messagePoints = points;
    return r;
}

QString fileNameOf(const QString &path)
{
    return QFileInfo(path).fileName();
}

// A name the system can give a new file: its folder is there, and the name
// is within the lengths a path may have. A file that is there is usable.
bool nameUsable(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists())
        return true;
    return !info.fileName().isEmpty() && info.dir().exists() && QFile::encodeName(info.fileName()).size() <= 255
        && QFile::encodeName(info.absoluteFilePath()).size() < 4096;
}

// Judged as opening the log for a save would judge it.
bool takesWrites(const QString &path)
{
    const QFileInfo info(path);
    return Platform::mayWrite(info.exists() ? path : info.absolutePath());
}

// The fields Save Current checks, in the order it checks them: one still
// showing its placeholder was never filled in.
bool dataMissing(const CallEntry &entry)
{
    return entry.phone == EntryRules::PhonePlaceholder || entry.name == EntryRules::NamePlaceholder
        || entry.company == EntryRules::CompanyPlaceholder || entry.date == EntryRules::DatePlaceholder
        || entry.time == EntryRules::TimePlaceholder;
}

} // namespace

void StatusReport::then(const StatusReport &later)
{
    if (later.light != Light::Unchanged)
        light = later.light;
    if (!later.hint.isNull())
        hint = later.hint;
    if (!later.message.isNull()) {
        message = later.message;
        messagePoints = later.messagePoints;
    }
}

bool StatusReport::operator==(const StatusReport &other) const
{
    return light == other.light && hint == other.hint && message == other.message
        && (message.isNull() || messagePoints == other.messagePoints);
}

OpenLog::OpenLog(const QString &configPath)
    : m_configPath(configPath)
    , m_callers(std::make_unique<CallerNames>())
    , m_companion(std::make_unique<CompanionStore>())
{
}

OpenLog::~OpenLog() = default;

OpenLog::ConfigRead OpenLog::readConfiguration(StatusReport &status)
{
    Configuration &config = m_state.configuration;
    if (!readConfigurationFile(m_configPath, config)) {
        status.then(report(Light::Failed, QString(), QStringLiteral("Configuration missing - using Default")));
        return ConfigRead::Missing;
    }
    m_state.DataFileName = config.dataFile;
    if (!config.dataFileRefused)
        return ConfigRead::Read;
    status.then(report(
        Light::Failed, QString(),
        QStringLiteral("%1: data file name refused - using %2").arg(fileNameOf(m_configPath), config.dataFile), 9));
    return ConfigRead::NameRefused;
}

StatusReport OpenLog::open()
{
    StatusReport refusedName;
    if (!nameUsable(path())) {
        m_state.DataFileName = DefaultDataFileName;
        // Said as a refused name in the configuration is said: the log itself is fine.
        refusedName = report(Light::Unchanged, QString(),
                             QStringLiteral("Data file name cannot be used - using %1").arg(DefaultDataFileName), 9);
    }
    m_readOnly = !takesWrites(path());
    takeLock();
    bool rolledBack = false;
    if (m_holder == 0)
        rolledBack = DataFile::rollBackJournal(path()) == DataFile::Rollback::RolledBack;
    m_check = DataFile::checkLog(path());
    m_state.RecordCount = DataFile::findRecordCount(path(), &m_state.buffer);
    openCompanion();
    if (!refusedName.message.isNull())
        return refusedName;
    if (!problem().isEmpty())
        return problemReport();
    if (rolledBack)
        return report(Light::Editing, QString(), QStringLiteral("An interrupted save was undone"), 9);
    return StatusReport();
}

void OpenLog::takeLock()
{
    const QString log = QFileInfo(path()).absoluteFilePath();
    if (log == m_lockedLog && (m_lock || m_holder == 0))
        return;
    m_lock.reset();
    m_holder = 0;
    m_lockedLog = log;
    auto lock = std::make_unique<QLockFile>(DataFile::lockPath(log));
    // A lock is stale only when its program has ended, however long it is held.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        m_lock = std::move(lock);
        return;
    }
    if (lock->error() == QLockFile::LockFailedError) {
        qint64 pid = 0;
        QString host;
        QString application;
        lock->getLockInfo(&pid, &host, &application);
        m_holder = pid > 0 ? pid : -1;
    }
    // A folder that takes no lock file takes no other window's either; the
    // log is used as it is.
}

QString OpenLog::problem() const
{
    if (m_holder != 0) {
        return m_holder > 0 ? QStringLiteral("Log in use by another Vorlen3 (process %1) - read only").arg(m_holder)
                            : QStringLiteral("Log in use by another Vorlen3 - read only");
    }
    switch (m_check.state) {
    case DataFile::LogState::TornTail:
    case DataFile::LogState::MisnumberedTail:
        return QStringLiteral("Log damaged: %1 good records, %2 stray bytes at byte %3 - File > Repair")
            .arg(m_check.goodRecords)
            .arg(m_check.strayBytes)
            .arg(m_check.strayOffset);
    case DataFile::LogState::NotALog:
        return QStringLiteral("Not a call log: %1 - nothing will be written").arg(fileNameOf(path()));
    case DataFile::LogState::Unreadable:
        return HintFileOpenError;
    case DataFile::LogState::Missing:
    case DataFile::LogState::Whole:
        break;
    }
    if (m_readOnly)
        return QStringLiteral("Read-only log: %1 - review and print only").arg(fileNameOf(path()));
    return QString();
}

StatusReport OpenLog::problemReport() const
{
    const QString text = problem();
    if (text.isEmpty())
        return StatusReport();
    return report(Light::Failed, text, text, 9);
}

bool OpenLog::writePermitted(StatusReport &status)
{
    takeLock();
    if (m_holder != 0) {
        status = problemReport();
        return false;
    }
    // The disk may have been made writable, or read-only, since the log was opened.
    m_readOnly = !takesWrites(path());
    if (m_readOnly) {
        status = report(Light::Failed, HintFileOpenError, QStringLiteral("Log is read-only - not saved"), 9);
        return false;
    }
    return true;
}

OpenLog::SaveOutcome OpenLog::save(const CallEntry &entry, qint64 now)
{
    SaveOutcome outcome;
    const bool editing = m_state.EditMode;
    m_state.EditMode = false;
    m_entryRefused = true;
    m_lastSaved.reset();
    if (dataMissing(entry)) {
        outcome.report =
            report(Light::Failed, QStringLiteral("Save FAILED - Missing Data"), QStringLiteral("Missing Data"));
        return outcome;
    }
    if (!writePermitted(outcome.report))
        return outcome;

    CallRecord &record = m_state.buffer;
    const qint64 number = editing ? qint64(m_state.SelectedRecord) : qint64(m_state.RecordCount) + 1;
    entry.fillRecord(record, editing ? CallEntry::Save::Edit : CallEntry::Save::New, number, now);
    const DataFile::WriteResult stored =
        editing ? DataFile::storeEdit(path(), m_state.SelectedRecord, record) : DataFile::storeNew(path(), record);
    if (stored != DataFile::WriteResult::Written) {
        outcome.report = refusal(stored);
        return outcome;
    }
    if (!editing)
        m_state.RecordCount = int(number);
    m_entryRefused = false;
    m_callers->add(record);
    m_lastSaved = record;
    outcome.saved = true;
    outcome.edit = editing;
    outcome.record = record;
    outcome.report = report(Light::Good, HintRecordStatusOk, QString());
    return outcome;
}

StatusReport OpenLog::refusal(DataFile::WriteResult result)
{
    QString text;
    switch (result) {
    case DataFile::WriteResult::Written:
        m_entryRefused = false;
        return StatusReport();
    case DataFile::WriteResult::OpenFailed:
    case DataFile::WriteResult::WriteFailed:
        // The file could not be opened, or the disk refused the record: the log is as it was.
        return report(Light::Failed, HintFileOpenError, HintFileOpenError);
    // Where the system said why, the message bar says it too; the hint keeps its text.
    case DataFile::WriteResult::DiskFull:
        return report(Light::Failed, HintFileOpenError, QStringLiteral("Disk full - not saved"), 9);
    case DataFile::WriteResult::TooLarge:
        return report(Light::Failed, HintFileOpenError, QStringLiteral("Log at the system's file size limit - not saved"),
                      9);
    case DataFile::WriteResult::ReadOnly:
        m_readOnly = true;
        return report(Light::Failed, HintFileOpenError, QStringLiteral("Log is read-only - not saved"), 9);
    case DataFile::WriteResult::NameUnusable:
        return report(Light::Failed, HintFileOpenError, QStringLiteral("Data file name cannot be used - not saved"), 9);
    case DataFile::WriteResult::NotALog:
    case DataFile::WriteResult::Damaged:
        m_check = DataFile::checkLog(path());
        return problemReport();
    case DataFile::WriteResult::InUse:
        text =
            QStringLiteral("Log in use by another Vorlen3 (process %1) - not saved").arg(DataFile::lockHolder(path()));
        break;
    case DataFile::WriteResult::NumberTaken:
        // Another program added records: the next try takes the next free number.
        m_state.RecordCount = DataFile::findRecordCount(path());
        text = QStringLiteral("Log changed by another program - save again");
        break;
    case DataFile::WriteResult::NoSuchRecord:
        text = QStringLiteral("Record %1 is no longer in the log - not saved").arg(m_state.SelectedRecord);
        break;
    case DataFile::WriteResult::CountAtLimit:
        text = QStringLiteral("Record count at its limit - not saved");
        break;
    }
    return report(Light::Failed, HintSaveRefused, text, 9);
}

void OpenLog::clear(bool undoable)
{
    if (undoable)
        m_cleared = Cleared{m_state, m_entryRefused};
    m_state.EditMode = false;
    m_state.EditLocked = false;
    m_entryRefused = false;
}

bool OpenLog::undoClear()
{
    if (!m_cleared)
        return false;
    // Only what was on display comes back; the count stays the log's. A
    // record of a log no longer open comes back as a new entry.
    if (m_cleared->state.DataFileName == m_state.DataFileName) {
        m_state.buffer = m_cleared->state.buffer;
        m_state.SelectedRecord = m_cleared->state.SelectedRecord;
        m_state.EditMode = m_cleared->state.EditMode;
        m_state.EditLocked = m_cleared->state.EditLocked;
    }
    m_entryRefused = m_cleared->entryRefused;
    m_cleared.reset();
    return true;
}

OpenLog::SelectOutcome OpenLog::select(int n)
{
    SelectOutcome outcome;
    m_state.SelectedRecord = n;
    m_lastSaved.reset();
    switch (DataFile::readRecord(path(), n, m_state.buffer)) {
    case DataFile::ReadResult::NoSuchRecord:
        outcome.report = report(Light::Failed, QString(), QStringLiteral("No record %1 in the log").arg(n), 9);
        break;
    case DataFile::ReadResult::OpenFailed:
        outcome.report = report(Light::Failed, QString(), QStringLiteral("No file found - Save a record first"), 9);
        break;
    case DataFile::ReadResult::Ok:
        outcome.show = CallEntry::fromRecord(m_state.buffer);
        m_state.checkBuffer();
        break;
    }
    // After a failed read the buffer holds the record read before, and its letter counts.
    switch (statusOf(m_state.buffer)) {
    case RecordStatus::Edited:
        outcome.report.then(report(Light::Editing, QString(), QStringLiteral("Edited Entry")));
        break;
    case RecordStatus::Compromised:
        outcome.report.then(report(Light::Failed, QString(), QStringLiteral("Entry Integrity Compromised")));
        break;
    case RecordStatus::Original:
        outcome.report.then(report(Light::Good, QString(), QString()));
        break;
    case RecordStatus::Unsaved:
    case RecordStatus::Unknown:
        break;
    }
    return outcome;
}

OpenLog::OpenExistingOutcome OpenLog::openExisting(const QString &chosen)
{
    OpenExistingOutcome outcome;
    const QString previous = path();
    m_state.DataFileName = chosen;
    switch (rewriteDataFileLine(chosen, m_state.configuration, m_configPath)) {
    case RewriteResult::Rewritten:
        outcome.result = OpenResult::Reinitialise;
        break;
    case RewriteResult::ConfigMissing:
        outcome.result = OpenResult::KeptWindow;
        outcome.report = report(Light::Failed, QString(), QStringLiteral("Configuration missing - using Default"));
        // Saving goes on in the chosen file, so its record count must be that file's.
        outcome.report.then(open());
        break;
    case RewriteResult::WriteFailed:
        m_state.DataFileName = previous;
        outcome.result = OpenResult::Refused;
        outcome.report = report(Light::Failed, HintFileOpenError, HintFileOpenError);
        break;
    }
    return outcome;
}

StatusReport OpenLog::repair(const QString &stamp)
{
    StatusReport status;
    if (!writePermitted(status))
        return status;
    const DataFile::RepairResult result = DataFile::repairLog(path(), stamp);
    if (result.repaired) {
        status = open();
        status.then(report(
            Light::Good, HintRecordStatusOk,
            QStringLiteral("Repaired: %1 bytes moved to %2").arg(result.movedBytes).arg(fileNameOf(result.movedTo)),
            9));
        return status;
    }
    m_check = DataFile::checkLog(path());
    if (m_check.state == DataFile::LogState::NotALog) {
        const QString text = QStringLiteral("Not a call log: %1 - Repair cannot help").arg(fileNameOf(path()));
        return report(Light::Failed, text, text, 9);
    }
    if (!m_check.damaged())
        return report(Light::Good, QString(), QStringLiteral("Log is whole - nothing to repair"), 9);
    const QString text = QStringLiteral("Repair FAILED: %1").arg(result.error);
    return report(Light::Failed, text, text, 9);
}

void OpenLog::exported(const CallRecord &lastRecord, bool haveLastRecord, int lastNumber)
{
    if (haveLastRecord)
        m_state.buffer = lastRecord;
    m_state.RecordCount = lastNumber;
}

void OpenLog::loadCallers()
{
    m_callers->load(path());
}
