#ifndef BACKUPINTERNAL_H
#define BACKUPINTERNAL_H

// What the parts of the backup share: file names, the manifest, what a log
// holds, and the copy of the store. Not for the windows: they use backup.h.

#include "backup.h"

#include <QByteArray>
#include <QDate>
#include <QString>

namespace Backup::Internal {

void reached(const char *step);

// The names of a set's files; a temporary file adds ".tmp".
QString logGzName(const QString &stem);
QString storeGzName(const QString &stem);
QString manifestName(const QString &stem);
inline const QString TempSuffix = QStringLiteral(".tmp");

// Matches the files of `logName`'s sets: group 1 is the stem, group 2 what
// the file is ("dta.gz", "sqlite.gz", "sqlite", "manifest.json"), group 3
// ".tmp" for a temporary file.
QString filePattern(const QString &logName);

// What the records of a log say, added up block by block.
struct LogFacts
{
    qint64 records = 0;
    qint64 failing = 0;
    qint64 undated = 0;
    qint64 tailBytes = 0;
    QDate first;
    QDate last;

    // `bytes` of the log; a part of a record after the whole ones is a tail.
    // The records are hashed on `threads` threads (0: on every core).
    void add(const unsigned char *data, qint64 bytes, int threads = 1);
    void merge(const LogFacts &other);
};

// The manifest of `entry` as written to the disk.
QByteArray manifestJson(const Entry &entry);
// The entry a manifest describes, checked against the folder's files.
Entry readManifest(const QString &folder, const QString &stem, const QString &logName);

// Writes `bytes` as the new file `path` and syncs it; `error` says why not.
bool writeSynced(const QString &path, const QByteArray &bytes, QString *error);
// Removes a set's files: the manifest first goes to its temporary name, so
// that a set cut short is never listed, then the rest.
bool removeSet(const QString &folder, const QString &stem);

struct StoreCopy
{
    bool present = false; // a store lies beside the log
    bool copied = false; // its compressed copy is verified
    bool cancelled = false;
    bool intact = false; // the copy passed SQLite's integrity check
    QString note; // why not copied, or not intact
    qint64 gzBytes = 0;
    QString gzSha256;
};

// Copies the store with VACUUM INTO to a temporary file in the backup
// folder, checks its integrity, and compresses it to `gzTarget` verified.
StoreCopy copyStore(const QString &store, const QString &rawTarget, const QString &gzTarget, const Progress &progress);
// "ok", or what SQLite's integrity check (or the opening) said.
QString integrityOf(const QString &sqliteFile);

} // namespace Backup::Internal

#endif // BACKUPINTERNAL_H
