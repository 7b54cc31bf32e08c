// Restoring a backup set over the log and its store.

#include "backup.h"

#include "backupinternal.h"
#include "datafile.h"
#include "gzipblocks.h"
#include "platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <vector>

namespace Backup {

namespace {

using namespace Internal;

const QString RestoreSuffix = QStringLiteral(".restore.tmp");

// Decompresses `gz` into the new file `target` and syncs it.
bool unpack(const QString &gz, const QString &target, QString &error)
{
    Platform::removeFile(target);
    Platform::File out(target, Platform::File::Open::CreateNew);
    if (!out.isOpen()) {
        error =
            QStringLiteral("could not create %1: %2").arg(QFileInfo(target).fileName(), GzipBlocks::lastFileError());
        return false;
    }
    qint64 at = 0;
    const GzipBlocks::Inflated inflated = GzipBlocks::decompress(gz, [&](const unsigned char *data, qint64 bytes) {
        if (!out.writeAt(data, size_t(bytes), at))
            return false;
        at += bytes;
        return true;
    });
    if (inflated.ok && out.sync())
        return true;
    error = inflated.error.isEmpty()
        ? QStringLiteral("could not write %1: %2").arg(QFileInfo(target).fileName(), GzipBlocks::lastFileError())
        : inflated.error;
    Platform::removeFile(target);
    return false;
}

// Decompresses `gz` again and compares it with what `target` holds on the
// disk; the records are checked on the way when `facts` is given.
bool readsBackAs(const QString &gz, const QString &target, LogFacts *facts)
{
    Platform::File in(target, Platform::File::Open::ReadOnly);
    std::vector<unsigned char> disk;
    qint64 at = 0;
    const GzipBlocks::Inflated inflated = GzipBlocks::decompress(gz, [&](const unsigned char *data, qint64 bytes) {
        disk.resize(size_t(bytes));
        if (!in.isOpen() || !in.readAt(disk.data(), disk.size(), at)
            || std::memcmp(disk.data(), data, disk.size()) != 0)
            return false;
        if (facts)
            facts->add(data, bytes, 0);
        at += bytes;
        return true;
    });
    return inflated.ok && in.size() == at;
}

// A store's own journals belong to the file they sit beside: left there,
// SQLite would play them into the restored one.
bool removeStoreJournals(const QString &store)
{
    bool ok = true;
    for (const char *suffix : {"-wal", "-shm", "-journal"})
        ok = Platform::removeFile(store + QLatin1String(suffix)) && ok;
    return ok;
}

// Unpacks and checks the set's store; empty `temp` when it is not restored.
bool unpackStore(const Entry &set, const QString &store, bool force, QString &temp, QString &error)
{
    temp.clear();
    if (!set.hasStore || (!set.storeIntact && !force))
        return true;
    temp = store + RestoreSuffix;
    if (!unpack(set.storeGzPath, temp, error))
        return false;
    const QString integrity = integrityOf(temp);
    if (readsBackAs(set.storeGzPath, temp, nullptr) && (integrity == QLatin1String("ok") || force))
        return true;
    error = QStringLiteral("the restored store does not pass its check (%1)").arg(integrity);
    Platform::removeFile(temp);
    return false;
}

// Backs up the log about to be replaced, after undoing an interrupted save.
bool backUpCurrent(const QString &dataFile, const QString &backupFolder, const QDateTime &now, RestoreOutcome &outcome)
{
    if (DataFile::rollBackJournal(dataFile) == DataFile::Rollback::Failed) {
        outcome.error = QStringLiteral("an interrupted save in the current log cannot be undone");
        return false;
    }
    if (!QFileInfo(dataFile).isFile())
        return true;
    const Outcome safety = makeBackup(dataFile, backupFolder, now);
    if (!safety.ok) {
        outcome.error = QStringLiteral("the current log could not be backed up first. %1").arg(safety.error);
        return false;
    }
    outcome.safetyBackupMade = true;
    outcome.safetyBackup = safety.entry;
    return true;
}

// Unpacks the set's log beside the data file and checks that it reads back
// as the backup and holds the records its manifest counts.
bool unpackLog(const Entry &set, const QString &temp, bool force, RestoreOutcome &outcome, QString &error)
{
    if (!unpack(set.logGzPath, temp, error))
        return false;
    LogFacts facts;
    const bool same = readsBackAs(set.logGzPath, temp, &facts);
    outcome.records = facts.records;
    outcome.failing = facts.failing;
    if (same && (force || (facts.records == set.records && facts.failing == set.failing)))
        return true;
    error = same ? QStringLiteral("it holds %1 records, %2 failing; its manifest says %3, %4")
                       .arg(facts.records)
                       .arg(facts.failing)
                       .arg(set.records)
                       .arg(set.failing)
                 : QStringLiteral("the restored copy does not read back as the backup");
    Platform::removeFile(temp);
    return false;
}

// A file put back keeps the mode of the one it replaces.
void keepMode(const QString &replaced, const QString &replacement)
{
    if (QFileInfo::exists(replaced))
        QFile::setPermissions(replacement, QFile::permissions(replaced));
}

} // namespace

QString verify(const Entry &set)
{
    if (!set.good)
        return set.problem;
    if (GzipBlocks::fileSha256(set.logGzPath) != set.logGzSha256)
        return QStringLiteral("%1 does not match its manifest").arg(QFileInfo(set.logGzPath).fileName());
    if (set.hasStore && GzipBlocks::fileSha256(set.storeGzPath) != set.storeGzSha256)
        return QStringLiteral("%1 does not match its manifest").arg(QFileInfo(set.storeGzPath).fileName());
    return QString();
}

RestoreOutcome restore(const Entry &entry, const QString &dataFile, const QString &backupFolder, const QDateTime &now,
                       bool force)
{
    RestoreOutcome outcome;
    const auto fail = [&](const QString &why) {
        outcome.error = QStringLiteral("Could not restore the backup %1: %2").arg(entry.stem, why);
        return outcome;
    };
    if (DataFile::lockHolder(dataFile) != 0)
        return fail(QStringLiteral("another Vorlen3 holds the log"));
    const Entry set = readManifest(QFileInfo(entry.manifestPath).absolutePath(), entry.stem, logNameOf(entry.logFile));
    const QString problem = verify(set);
    if (set.logGzPath.isEmpty() || (!problem.isEmpty() && !force))
        return fail(problem.isEmpty() ? set.problem : problem);
    if (!backUpCurrent(dataFile, backupFolder, now, outcome))
        return fail(outcome.error);

    QString error;
    const QString temp = dataFile + RestoreSuffix;
    if (!unpackLog(set, temp, force, outcome, error))
        return fail(error);
    const QString store = storePathOf(dataFile);
    QString storeTemp;
    if (!unpackStore(set, store, force, storeTemp, error)) {
        Platform::removeFile(temp);
        return fail(error);
    }
    keepMode(dataFile, temp);
    if (!Platform::renameOver(temp, dataFile)) {
        Platform::removeFile(temp);
        Platform::removeFile(storeTemp);
        return fail(GzipBlocks::lastFileError());
    }
    if (!storeTemp.isEmpty()) {
        keepMode(store, storeTemp);
        outcome.storeRestored = removeStoreJournals(store) && Platform::renameOver(storeTemp, store);
        if (!outcome.storeRestored) {
            outcome.warnings.append(
                QStringLiteral("The companion store could not be put back: %1").arg(GzipBlocks::lastFileError()));
            Platform::removeFile(storeTemp);
        }
    } else if (set.hasStore) {
        outcome.warnings.append(
            QStringLiteral("The companion store in the backup is damaged; the current one is kept"));
    }
    Platform::syncFolderOf(dataFile);
    outcome.ok = true;
    return outcome;
}

} // namespace Backup
