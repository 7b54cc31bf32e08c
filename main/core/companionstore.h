#ifndef COMPANIONSTORE_H
#define COMPANIONSTORE_H

#include "contact.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

struct CallRecord;
class QSqlQuery;
class QVariant;

// The call an addition belongs to: the record's number and the time of its
// first save. An edit in place keeps both, so an addition never moves to
// another call.
struct RecordKey
{
    int number = 0;
    qint64 savedAt = 0; // seconds since 1970 UTC; beyond 2038 too

    static RecordKey of(const CallRecord &record);
    bool isValid() const { return number > 0; }
    bool operator==(const RecordKey &other) const { return number == other.number && savedAt == other.savedAt; }
};

// A call to return. Times are seconds since 1970 UTC.
struct CallBack
{
    RecordKey key;
    qint64 dueAt = 0;
    QString note;
    qint64 createdAt = 0;
    std::optional<qint64> doneAt;

    bool isDone() const { return doneAt.has_value(); }
};

// Call-backs not yet done: all of them, those due before `now`, and those due
// within today's bounds. One due earlier today counts as overdue and as due today.
struct CallBackCounts
{
    int open = 0;
    int overdue = 0;
    int dueToday = 0;
};

// A contact as the store keeps it: its phones as digits (see phoneDigits()).
struct ImportedContact
{
    Contact contact;
    QString source;
    qint64 importedAt = 0;
};

// What goes beside the fixed record of the log: call-backs and imported
// contacts, in one SQLite database beside the data file, named after it
// ("VNData.dta" keeps "VNData.dta.sqlite"), readable by its owner only.
//
// The store names its log by record 1's first-save time and hash and is never
// used beside another log. It is created by the first change, not by opening.
// Every change is one transaction, synced to the disk: a crash leaves the
// store as it was before or after, never between.
//
// A store that is missing, damaged, locked or read-only never stops the log:
// open() says what state the store is in, problem() gives the line for the
// window's message bar, and a later open() tries again (a busy or missing
// store is tried again by the next call). Reads give nothing while the store
// cannot be read. When the file is removed or replaced while open, the next
// call notices and follows the file. Use from one thread.
class CompanionStore
{
public:
    enum class State {
        Closed, // open() not called
        Absent, // no store yet: reads give nothing, the first change creates it
        Ready, // read and written
        ReadOnly, // the file or its folder cannot be written: reads only
        Newer, // written by a newer program: reads only, never rewritten
        Busy, // another program holds it locked
        Damaged, // not a database, or fails its check: not used, not touched
        ForeignLog, // belongs to another log: not used, not touched
        Unavailable, // cannot be opened for another reason
    };

    enum class Result {
        Done,
        NotFound, // no call-back for that call
        NoteTooLong, // longer than MaxNoteLength; nothing written
        BadKey, // not a saved record's key; nothing written
        NotWritten, // the store refused or failed: see problem()
    };

    // The schema this program writes; one migration step per version.
    static constexpr int SchemaVersion = 2;
    // In UTF-16 code units, as the log's own fields count.
    static constexpr int MaxNoteLength = 200;

    CompanionStore();
    ~CompanionStore();
    CompanionStore(const CompanionStore &) = delete;
    CompanionStore &operator=(const CompanionStore &) = delete;

    static QString pathFor(const QString &dataFile);

    // Opens the store beside `dataFile`, reading the log's record 1 to check
    // that it is this log's. Creates nothing; migrates an older store.
    State open(const QString &dataFile);
    void close();
    State state() const { return m_state; }
    // One line for the message bar: what is wrong with the store, or why the
    // last change was not saved; empty while all is well.
    QString problem() const;
    QString path() const { return m_path; }

    // Sets the call-back of a call, or changes its due time and note; a done
    // call-back stays done until reopen().
    Result setCallBack(const RecordKey &key, qint64 dueAt, const QString &note);
    Result markDone(const RecordKey &key, qint64 when);
    Result reopen(const RecordKey &key);
    Result remove(const RecordKey &key);
    std::optional<CallBack> callBack(const RecordKey &key);
    // Oldest due first, then by record number.
    std::vector<CallBack> callBacks(bool includeDone);
    // `dayStart` and `dayEnd` bound the local day, as
    // QDate::currentDate().startOfDay() and the next day's start give them.
    CallBackCounts counts(qint64 now, qint64 dayStart, qint64 dayEnd);
    // At most MaxNoteLength units, never ending in half a surrogate pair:
    // what a window offers when a note is too long.
    static QString fitNote(const QString &note);

    // Adds the contacts with a name, company or phone, in one transaction;
    // `added` tells how many. An import is kept as it is: importing the same
    // file again adds its contacts again.
    Result addContacts(const std::vector<Contact> &contacts, const QString &source, qint64 importedAt,
                       int *added = nullptr);
    // Contacts with that phone, newest import first. Phones match by their
    // digits; when either number has only seven digits, by the last seven.
    std::vector<ImportedContact> contactsFor(const QString &phone);
    // The digits of a phone number; "1" before ten digits (the North American
    // country code) is dropped, so "+1 (800) 555-1234" is "8005551234".
    static QString phoneDigits(const QString &phone);

    // A consistent copy into `target` (new or empty), owner-only, synced and
    // checked. False with the reason when there is no store to copy.
    bool copyTo(const QString &target, QString *error);
    // SQLite's integrity check of the store file; true when there is none.
    bool integrityOk();

    // Test seam: called inside each transaction before its commit
    // ("written") and after it ("committed").
    static void setFaultHook(std::function<void(const char *step)> hook);

private:
    enum class Phase { Opening, Reading, Writing };
    struct LogIdentity
    {
        bool known = false;
        qint64 savedAt = 0;
        QString hash;
        bool edited = false;
    };
    static LogIdentity readLogIdentity(const QString &dataFile);

    State settle(State state, const QString &problem = QString());
    bool connect(bool readOnly);
    void disconnect();
    State connectAndCheck();
    bool readVersion(int *version);
    bool migrate(int from);
    bool checkLog(bool mayWrite);
    Result adoptLog(QSqlQuery &query);
    bool failedOpening(const QSqlError &error);

    // Notes a failure and what it means for the store; returns NotWritten.
    Result failed(const QSqlError &error, Phase phase);
    Result sqlFailed(const QSqlQuery &query);
    Result refuse(Result result, const QString &why);
    // One transaction around `body`, committed when it returns Done.
    Result transact(Phase phase, const std::function<Result(QSqlQuery &)> &body);
    bool createFile();
    // Follows a removed or replaced file and retries a store that was busy
    // or missing; true when the store can be read (or written).
    bool usable(bool forWrite);
    Result change(const std::function<Result(QSqlQuery &)> &body);
    Result setDone(const RecordKey &key, const QVariant &doneAt);

    QString m_connection;
    QSqlDatabase m_db;
    QString m_dataFile;
    QString m_path;
    QByteArray m_fileIdentity;
    State m_state = State::Closed;
    QString m_stateProblem; // what the state means for the user
    QString m_lastProblem; // why the last change was not saved
    QSqlError m_error;
    bool m_knowsLog = false;
};

#endif // COMPANIONSTORE_H
