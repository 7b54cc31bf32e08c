#ifndef BACKUP_H
#define BACKUP_H

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QSettings;

// Verified backups of a log and its companion store, their rotation, and
// restoring one. No windows: the backup window calls these and shows the
// outcome.
//
// One backup is a set of files in the backup folder, all named after the
// log ("VNData" for VNData.dta) and the local time it was made:
//   VNData-20240614-093000.dta.gz         the data file, gzip (gunzip opens it)
//   VNData-20240614-093000.sqlite.gz      the companion store, when there is one
//   VNData-20240614-093000.manifest.json  written last: what the set holds
// (a second backup within the same second gets "-2" after the time). A set
// is a backup only when its manifest is there, was made by this program for
// this log and names files of the sizes it records; files still being
// written end in ".tmp" and are removed by the next backup.
namespace Backup {

// Bytes done and bytes to do; returning false cancels (nothing is left behind).
using Progress = std::function<bool(qint64 done, qint64 total)>;

// The per-user setting (QSettings, never the configuration file) that holds
// the backup folder; by default "Backups" in the working folder.
inline const QString FolderSetting = QStringLiteral("backup/folder");
QString defaultFolder(const QString &workingFolder);
QString folder(const QSettings &settings, const QString &workingFolder);
void setFolder(QSettings &settings, const QString &folder);

// "VNData" for ".../VNData.dta": the name the backups of that log carry.
QString logNameOf(const QString &dataFile);
// The companion store beside a data file.
QString storePathOf(const QString &dataFile);

// One backup set, as its manifest describes it.
struct Entry
{
    QString stem; // "VNData-20240614-093000"
    QDateTime time; // when it was made, local time
    QString logFile; // the data file's name, "VNData.dta"
    qint64 logBytes = 0;
    qint64 records = 0; // whole records
    qint64 tailBytes = 0; // bytes after the last whole record (a torn tail)
    qint64 failing = 0; // records whose hash did not match
    QDate firstCall; // earliest and latest readable call date
    QDate lastCall;
    qint64 undated = 0; // records whose date could not be read
    bool hasStore = false; // the companion store was copied
    bool storeIntact = false; // and its copy passed SQLite's integrity check
    QString storeNote; // why a store beside the log was not copied, or not intact

    // A manifest of this program for this log, naming files that are there
    // with the sizes it records. Otherwise `problem` says what is wrong.
    bool good = false;
    QString problem;

    QString manifestPath;
    QString logGzPath;
    qint64 logGzBytes = 0;
    QString logGzSha256;
    QString storeGzPath; // empty without a store
    qint64 storeGzBytes = 0;
    QString storeGzSha256;
};

struct Outcome
{
    bool ok = false;
    bool cancelled = false;
    QString error; // a sentence for the user: what failed and why
    QStringList warnings; // made, but with something to say (the store)
    Entry entry; // the set made
};

// Backs up `dataFile` (and its store, when there is one) into `backupFolder`,
// created when missing: each file is compressed under a temporary name,
// synced, read back, decompressed and compared byte for byte with what it
// copies, every record's hash is computed again, and only then are the files
// and, last, the manifest put in place. The store is copied with SQLite's
// own VACUUM INTO and checked with PRAGMA integrity_check; a store that
// cannot be copied never stops the backup of the log (a warning says why).
// The backup folder may be the working folder itself. The caller holds the
// log (its one-window lock), so that nothing writes it meanwhile.
Outcome makeBackup(const QString &dataFile, const QString &backupFolder, const QDateTime &now,
                   const Progress &progress = Progress());

// Every set with a manifest for `logName` in `folder`, newest first, good or
// not (see Entry::good). Files without a manifest are not listed.
std::vector<Entry> listBackups(const QString &folder, const QString &logName);

// Why the set cannot be restored as it is (its manifest is wrong, or a
// file no longer matches the SHA-256 the manifest records); empty when it
// can. Reads every file of the set.
QString verify(const Entry &entry);

// True when no good backup of the log is dated `today`.
bool backupDueToday(const QString &folder, const QString &logName, const QDate &today);

struct Rotation
{
    QStringList removed; // stems of the sets removed
    QString error;
};

// Keeps, among the good backups of the log (by the local date of each):
//   the newest of each of the 7 latest days that have a backup,
//   the newest of each of the 4 latest ISO weeks that have one,
//   the newest of each of the 12 latest months that have one;
// one backup may be kept by several of these. Every other good set is
// removed: its manifest is first renamed to a temporary name (so it is no
// longer listed), then its files go. Sets that are not good, other logs'
// sets and every other file are never touched.
Rotation rotate(const QString &folder, const QString &logName);

struct RestoreOutcome
{
    bool ok = false;
    QString error;
    bool safetyBackupMade = false; // the file replaced was backed up first
    Entry safetyBackup;
    bool storeRestored = false;
    QStringList warnings; // restored, but the store was not (and why)
    qint64 records = 0; // whole records of the restored log
    qint64 failing = 0;
};

// Puts the log (and its store, when the set has an intact one) of `entry`
// back in place of `dataFile`. A set that fails verification (its files do
// not match the manifest, or decompress to another record count) is refused
// unless `force` is given. First backs up the current log, if there is one,
// into `backupFolder` (the restore stops when that fails), then decompresses
// beside the data file under a temporary name, syncs and verifies it, and
// renames it over the data file in one step; the store likewise.
// The caller holds the log's one-window lock, has closed the companion
// store, and runs the start-up check of the log afterwards.
RestoreOutcome restore(const Entry &entry, const QString &dataFile, const QString &backupFolder, const QDateTime &now,
                       bool force = false);

// Test seam: called after each step ("log copied", "store copied",
// "manifest written", "files renamed", "done"; rotation: "manifest renamed",
// "files removed"). A crash test ends the process there.
void setFaultHook(std::function<void(const char *step)> hook);

} // namespace Backup

#endif // BACKUP_H
