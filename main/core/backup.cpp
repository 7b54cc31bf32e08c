#include "backup.h"

#include "backupinternal.h"
#include "gzipblocks.h"
#include "platform.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>

#include <algorithm>
#include <set>

namespace Backup {

namespace {

using namespace Internal;

std::function<void(const char *)> &faultHook()
{
    static std::function<void(const char *)> hook;
    return hook;
}

// Creates a missing folder; says why the folder cannot hold backups.
QString folderProblem(const QString &folder)
{
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        return QStringLiteral("%1 is a file, not a folder").arg(QDir::toNativeSeparators(folder));
    if (info.exists() || QDir().mkpath(folder))
        return QString();
    QFileInfo parent(info.absolutePath());
    while (!parent.exists() && !parent.isRoot())
        parent = QFileInfo(parent.absolutePath());
    return QStringLiteral("the folder cannot be created (%1 %2)")
        .arg(QDir::toNativeSeparators(parent.absoluteFilePath()),
             parent.isDir() ? QStringLiteral("is read-only") : QStringLiteral("is not a folder"));
}

bool nameTaken(const QDir &dir, const QString &stem)
{
    for (const QString &name : {manifestName(stem), logGzName(stem), storeGzName(stem)}) {
        if (QFileInfo::exists(dir.filePath(name)) || QFileInfo::exists(dir.filePath(name + TempSuffix)))
            return true;
    }
    return false;
}

QString freeStem(const QDir &dir, const QString &logName, const QDateTime &now)
{
    const QString base = logName + QLatin1Char('-') + now.toLocalTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString stem = base;
    for (int i = 2; nameTaken(dir, stem); ++i)
        stem = base + QLatin1Char('-') + QString::number(i);
    return stem;
}

// Temporary files of sets that were cut short, or of removals cut short: a
// manifest under its temporary name takes the set's files with it.
void removeLeftovers(const QDir &dir, const QString &logName)
{
    const QRegularExpression pattern(filePattern(logName));
    QStringList manifests;
    bool found = false;
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden)) {
        const QRegularExpressionMatch match = pattern.match(name);
        if (!match.hasMatch() || match.captured(3).isEmpty())
            continue;
        found = true;
        const QString stem = match.captured(1);
        if (match.captured(2) != QLatin1String("manifest.json")) {
            Platform::removeFile(dir.filePath(name));
            continue;
        }
        if (!QFileInfo::exists(dir.filePath(manifestName(stem)))) {
            Platform::removeFile(dir.filePath(logGzName(stem)));
            Platform::removeFile(dir.filePath(storeGzName(stem)));
        }
        manifests.append(name);
    }
    for (const QString &name : manifests)
        Platform::removeFile(dir.filePath(name));
    if (found)
        Platform::syncFolderOf(dir.filePath(logName));
}

void discard(const QDir &dir, const QString &stem)
{
    for (const QString &name :
         {logGzName(stem), storeGzName(stem), stem + QStringLiteral(".sqlite"), manifestName(stem)})
        Platform::removeFile(dir.filePath(name + TempSuffix));
}

// The log's part of a backup: compressed, read back, compared, every record checked.
bool copyLog(const QString &dataFile, const QString &target, Entry &entry, const Progress &progress, Outcome &outcome)
{
    const qint64 size = QFileInfo(dataFile).size();
    std::vector<LogFacts> facts(size_t(GzipBlocks::blockCount(size)));
    const GzipBlocks::Copy copy = GzipBlocks::copyVerified(
        dataFile, target,
        [&facts](int i, const unsigned char *data, qint64 bytes) {
            if (size_t(i) < facts.size())
                facts[size_t(i)].add(data, bytes);
        },
        progress);
    outcome.cancelled = copy.cancelled;
    if (copy.ok && copy.sourceBytes != size) {
        Platform::removeFile(target);
        outcome.error = QStringLiteral("the log changed while it was copied; try again");
        return false;
    }
    if (!copy.ok) {
        outcome.error = copy.error;
        return false;
    }
    LogFacts all;
    for (const LogFacts &block : facts)
        all.merge(block);
    entry.logBytes = copy.sourceBytes;
    entry.logGzBytes = copy.gzBytes;
    entry.logGzSha256 = copy.gzSha256;
    entry.records = all.records;
    entry.failing = all.failing;
    entry.undated = all.undated;
    entry.tailBytes = all.tailBytes;
    entry.firstCall = all.first;
    entry.lastCall = all.last;
    return true;
}

bool copyStoreInto(const QString &dataFile, const QDir &dir, Entry &entry, const Progress &progress, Outcome &outcome)
{
    const StoreCopy store = copyStore(storePathOf(dataFile), dir.filePath(entry.stem + QStringLiteral(".sqlite.tmp")),
                                      dir.filePath(storeGzName(entry.stem) + TempSuffix), progress);
    if (store.cancelled) {
        outcome.cancelled = true;
        return false;
    }
    entry.hasStore = store.copied;
    entry.storeIntact = store.intact;
    entry.storeNote = store.note;
    entry.storeGzBytes = store.gzBytes;
    entry.storeGzSha256 = store.gzSha256;
    if (store.present && !store.copied)
        outcome.warnings.append(QStringLiteral("The companion store was not backed up: %1").arg(store.note));
    else if (store.copied && !store.intact)
        outcome.warnings.append(QStringLiteral("The companion store is damaged: %1").arg(store.note));
    return true;
}

// Puts the set's files in place, the manifest last.
bool putInPlace(const QDir &dir, Entry &entry, QString &error)
{
    QStringList names{logGzName(entry.stem)};
    if (entry.hasStore)
        names.append(storeGzName(entry.stem));
    names.append(manifestName(entry.stem));
    for (const QString &name : names) {
        if (!Platform::renameOver(dir.filePath(name + TempSuffix), dir.filePath(name))) {
            error = QStringLiteral("could not name %1: %2").arg(name, GzipBlocks::lastFileError());
            return false;
        }
        if (name == names.at(names.size() - 2))
            reached("files renamed");
    }
    Platform::syncFolderOf(dir.filePath(entry.stem));
    entry.manifestPath = dir.filePath(manifestName(entry.stem));
    entry.logGzPath = dir.filePath(logGzName(entry.stem));
    if (entry.hasStore)
        entry.storeGzPath = dir.filePath(storeGzName(entry.stem));
    entry.good = true;
    return true;
}

// Newest first, by the time in the name; a "-2" set after the one before it.
bool newerFirst(const Entry &a, const Entry &b)
{
    const auto key = [](const QString &stem) {
        const int at = stem.lastIndexOf(QLatin1Char('-'));
        const bool counted = stem.size() - at <= 5; // "-2" to "-9999" after the time
        return std::make_pair(counted ? stem.left(at) : stem, counted ? stem.mid(at + 1).toInt() : 1);
    };
    return key(a.stem) > key(b.stem);
}

// Keeps the newest of each of the `limit` latest periods that have a backup.
void keepNewest(const std::vector<Entry> &entries, size_t limit, qint64 (*period)(const QDate &),
                std::set<QString> &kept)
{
    std::set<qint64> seen;
    for (const Entry &entry : entries) {
        const qint64 key = period(entry.time.date());
        if (seen.count(key))
            continue;
        if (seen.size() == limit)
            break;
        seen.insert(key);
        kept.insert(entry.stem);
    }
}

} // namespace

namespace Internal {

void reached(const char *step)
{
    if (faultHook())
        faultHook()(step);
}

} // namespace Internal

QString defaultFolder(const QString &workingFolder)
{
    return QDir(workingFolder).filePath(QStringLiteral("Backups"));
}

QString folder(const QSettings &settings, const QString &workingFolder)
{
    const QString chosen = settings.value(FolderSetting).toString();
    return chosen.isEmpty() ? defaultFolder(workingFolder) : chosen;
}

void setFolder(QSettings &settings, const QString &folder)
{
    settings.setValue(FolderSetting, folder);
}

QString logNameOf(const QString &dataFile)
{
    QString name = QFileInfo(dataFile).fileName();
    if (name.endsWith(QLatin1String(".dta"), Qt::CaseInsensitive))
        name.chop(4);
    return name.isEmpty() ? QStringLiteral("log") : name;
}

QString storePathOf(const QString &dataFile)
{
    return dataFile + QStringLiteral(".sqlite");
}

Outcome makeBackup(const QString &dataFile, const QString &backupFolder, const QDateTime &now, const Progress &progress)
{
    Outcome outcome;
    const QFileInfo log(dataFile);
    const auto fail = [&](const QString &why) {
        outcome.ok = false;
        if (!outcome.cancelled)
            outcome.error = QStringLiteral("Could not back up %1 to %2: %3")
                                .arg(log.fileName(), QDir::toNativeSeparators(backupFolder), why);
        return outcome;
    };
    if (!log.isFile())
        return fail(QStringLiteral("there is no such log"));
    const QString problem = folderProblem(backupFolder);
    if (!problem.isEmpty())
        return fail(problem);
    const QDir dir(backupFolder);
    removeLeftovers(dir, logNameOf(dataFile));
    Entry &entry = outcome.entry;
    entry.stem = freeStem(dir, logNameOf(dataFile), now);
    entry.time = now.toLocalTime();
    entry.logFile = log.fileName();
    const qint64 total = log.size() + qMax<qint64>(0, QFileInfo(storePathOf(dataFile)).size());
    const auto part = [&](qint64 before) -> Progress {
        if (!progress)
            return Progress();
        return [&progress, before, total](qint64 done, qint64) { return progress(before + done, total); };
    };
    const auto abandon = [&](const QString &why) {
        discard(dir, entry.stem);
        return fail(why);
    };
    if (!copyLog(dataFile, dir.filePath(logGzName(entry.stem) + TempSuffix), entry, part(0), outcome))
        return abandon(outcome.error);
    reached("log copied");
    if (!copyStoreInto(dataFile, dir, entry, part(entry.logBytes), outcome))
        return abandon(outcome.error);
    reached("store copied");
    QString error;
    if (!writeSynced(dir.filePath(manifestName(entry.stem) + TempSuffix), manifestJson(entry), &error))
        return abandon(error);
    reached("manifest written");
    if (!putInPlace(dir, entry, error)) {
        removeLeftovers(dir, logNameOf(dataFile));
        return fail(error);
    }
    reached("done");
    outcome.ok = true;
    return outcome;
}

std::vector<Entry> listBackups(const QString &folder, const QString &logName)
{
    std::vector<Entry> entries;
    const QDir dir(folder);
    const QRegularExpression pattern(filePattern(logName));
    for (const QString &name : dir.entryList({QStringLiteral("*.manifest.json")}, QDir::Files | QDir::Hidden)) {
        const QRegularExpressionMatch match = pattern.match(name);
        if (match.hasMatch() && match.captured(3).isEmpty())
            entries.push_back(readManifest(folder, match.captured(1), logName));
    }
    std::sort(entries.begin(), entries.end(), newerFirst);
    return entries;
}

bool backupDueToday(const QString &folder, const QString &logName, const QDate &today)
{
    const std::vector<Entry> entries = listBackups(folder, logName);
    return std::none_of(entries.begin(), entries.end(),
                        [&today](const Entry &entry) { return entry.good && entry.time.date() == today; });
}

Rotation rotate(const QString &folder, const QString &logName)
{
    std::vector<Entry> good;
    for (Entry &entry : listBackups(folder, logName)) {
        if (entry.good)
            good.push_back(std::move(entry));
    }
    std::set<QString> kept;
    keepNewest(
        good, 7, [](const QDate &date) { return date.toJulianDay(); }, kept);
    keepNewest(
        good, 4,
        [](const QDate &date) {
            int year = 0;
            const int week = date.weekNumber(&year);
            return qint64(year) * 100 + week;
        },
        kept);
    keepNewest(
        good, 12, [](const QDate &date) { return qint64(date.year()) * 100 + date.month(); }, kept);
    Rotation rotation;
    for (const Entry &entry : good) {
        if (kept.count(entry.stem))
            continue;
        if (removeSet(folder, entry.stem))
            rotation.removed.append(entry.stem);
        else
            rotation.error =
                QStringLiteral("Could not remove the old backup %1: %2").arg(entry.stem, GzipBlocks::lastFileError());
    }
    return rotation;
}

void setFaultHook(std::function<void(const char *step)> hook)
{
    faultHook() = std::move(hook);
}

} // namespace Backup
