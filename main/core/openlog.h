#ifndef OPENLOG_H
#define OPENLOG_H

#include "Globdatunit1.h"
#include "callentry.h"
#include "datafile.h"

#include <QString>

#include <memory>
#include <optional>

class CallBackMarks;
class CallerNames;
class CompanionStore;
class QDateTime;
class QLockFile;
struct CallBackCounts;
struct CallerHistory;
struct RecordKey;

// What a command leaves on the log-entry window's indicator and message bar.
// A part left null or Unchanged keeps what the window shows.
struct StatusReport
{
    enum class Light { Unchanged, Good, Editing, Failed };
    Light light = Light::Unchanged;
    QString hint; // the indicator's tool tip
    QString message; // the message bar's text
    int messagePoints = 12;

    // Sets what `later` sets, as a second command run after this one would.
    void then(const StatusReport &later);
    bool operator==(const StatusReport &other) const;
};

// The log the window works on: the data file's path, its lock and damage
// state, the record buffer and the record state, and the decisions of the
// record commands. The log-entry window reads its fields into a CallEntry,
// asks the open log, and shows the outcome; every other window is given the
// open log and never finds the data file by itself.
class OpenLog
{
public:
    static const QString HintRecordStatusOk;
    static const QString HintFileOpenError;
    static const QString HintEditing;

    explicit OpenLog(const QString &configPath = ConfigFileName);
    ~OpenLog();
    OpenLog(const OpenLog &) = delete;
    OpenLog &operator=(const OpenLog &) = delete;

    const RecordState &state() const { return m_state; }
    // The record state itself, for tests that put a window into a state.
    RecordState &state() { return m_state; }
    const QString &path() const { return m_state.DataFileName; }
    const Configuration &configuration() const { return m_state.configuration; }
    const QString &configPath() const { return m_configPath; }

    // ---- Start-up ----------------------------------------------------------

    // Status "+", hash "~" and the spare fields in the record buffer.
    void prepareBuffer() { m_state.prepareBuffer(); }

    enum class ConfigRead { Read, Missing, NameRefused };
    // Reads the configuration file; a missing file keeps the settings as they are.
    ConfigRead readConfiguration(StatusReport &report);

    // Takes the log's lock, undoes an interrupted save, checks the log and
    // takes the record count from it. Says what is wrong with the log.
    StatusReport open();

    // ---- The lock and the damage ------------------------------------------

    const DataFile::LogCheck &logCheck() const { return m_check; }
    // Another program that holds the log (its process id, -1 when unknown), or 0.
    qint64 holder() const { return m_holder; }
    // True when this program may write into the log: it holds the lock, the
    // log is whole (or new), and the file or its folder takes writes.
    bool mayWrite() const { return m_holder == 0 && m_check.writable() && !m_readOnly; }
    // The log (or, for a new one, its folder) cannot be written: it is only read.
    bool readOnly() const { return m_readOnly; }
    // What is wrong with the log as one line, or an empty text; it stays
    // shown until Repair.
    QString problem() const;
    StatusReport problemReport() const;

    // ---- Record commands ---------------------------------------------------

    struct SaveOutcome
    {
        bool saved = false;
        bool edit = false;
        CallRecord record; // what went to the disk
        StatusReport report;
    };
    // Save Current: a field that still shows its placeholder is missing
    // data; otherwise a new record (numbered RecordCount + 1, first saved at
    // `now`) or the record on display goes to the disk. Edit mode ends
    // whatever happens.
    SaveOutcome save(const CallEntry &entry, qint64 now);

    // Clear: leaves edit mode; a compromised record stays locked only while
    // shown. With `undoable`, what was on display is kept for undoClear().
    void clear(bool undoable = false);
    // Brings back the record state the last undoable Clear ended; false when
    // there is none.
    bool undoClear();
    void forgetClear() { m_cleared.reset(); }

    struct SelectOutcome
    {
        std::optional<CallEntry> show; // the record to show, when it was read
        StatusReport report;
    };
    // Select: reads record n, checks it and says how it is to be shown.
    SelectOutcome select(int n);

    enum class OpenResult { Reinitialise, KeptWindow, Refused };
    struct OpenExistingOutcome
    {
        OpenResult result = OpenResult::Refused;
        StatusReport report;
    };
    // Open Existing: the chosen file becomes the log and the configuration
    // names it. Reinitialise: the window runs its initialisation again.
    OpenExistingOutcome openExisting(const QString &path);

    // Repair: moves the stray bytes of a damaged log into a dated file.
    StatusReport repair(const QString &stamp);

    // The text export went through the record buffer: it keeps the last
    // record copied, and the count is the file's.
    void exported(const CallRecord &lastRecord, bool haveLastRecord, int lastNumber);

    // The last save was refused and its entry is still on the fields.
    bool entryRefused() const { return m_entryRefused; }

    // ---- Names from earlier calls ------------------------------------------

    CallerNames &callers() { return *m_callers; }
    // Reads the names of every call again.
    void loadCallers();
    // Names and companies to offer for a phone: the address book's first,
    // then those of earlier calls from it, then all others.
    QStringList offeredNames(const QString &phone);
    QStringList offeredCompanies(const QString &phone);

    // ---- Call-backs and the caller's history --------------------------------

    // The companion store beside the log, opened with it. A store that could
    // not be used is tried again first, so that it comes back once mended or
    // moved away; its problem() says what is wrong meanwhile.
    CompanionStore &companion();
    // The call a call-back is set for: the record on display, or else the
    // call saved last; none after a select that showed nothing or a refused save.
    std::optional<CallRecord> callOnDisplay() const;
    // Each says what happened in the message bar; the indicator is the record's.
    StatusReport setCallBack(const RecordKey &key, qint64 dueAt, const QString &note);
    StatusReport markCallBackDone(const RecordKey &key, qint64 when);
    StatusReport reopenCallBack(const RecordKey &key);
    StatusReport removeCallBack(const RecordKey &key);
    CallBackCounts callBackCounts(const QDateTime &now);
    // Every call-back by its call, for a pass over the records; windows given
    // the log as const (the review grid) read them too.
    CallBackMarks callBackMarks() const;
    // The calls from `phone` saved before the record on display (all of them
    // for a new entry), their open call-backs and the address book's entry.
    CallerHistory callerHistory(const QString &phone);

private:
    void openCompanion();
    StatusReport callBackChanged(int result, const QString &done);
    // The address book's names (or companies) for a phone.
    QStringList contactsOf(const QString &phone, bool companies);

    void takeLock();
    // Whether a write may go ahead now; otherwise `report` says why.
    bool writePermitted(StatusReport &report);
    StatusReport refusal(DataFile::WriteResult result);

    QString m_configPath;
    RecordState m_state;
    std::unique_ptr<QLockFile> m_lock;
    QString m_lockedLog; // the data file m_lock belongs to
    qint64 m_holder = 0;
    bool m_readOnly = false;
    DataFile::LogCheck m_check;
    bool m_entryRefused = false;
    std::unique_ptr<CallerNames> m_callers;
    std::unique_ptr<CompanionStore> m_companion;
    std::optional<CallRecord> m_lastSaved;
    struct Cleared
    {
        RecordState state;
        bool entryRefused = false;
    };
    std::optional<Cleared> m_cleared;
};

#endif // OPENLOG_H
