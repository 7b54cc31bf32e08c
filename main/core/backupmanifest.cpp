// The manifest of a backup set and the set's file names.

#include "backupinternal.h"

#include "callrecord.h"
#include "callsearch.h"
#include "datafile.h"
#include "platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cstring>

namespace Backup::Internal {

namespace {

const QString MadeBy = QStringLiteral("Vorlen3 call log backup");
constexpr int Format = 1;
// A manifest is a few hundred bytes; anything far larger is not one.
constexpr qint64 LargestManifest = 64 * 1024;

QString isoDate(const QDate &date)
{
    return date.isValid() ? date.toString(Qt::ISODate) : QString();
}

QJsonObject fileObject(const QString &name, qint64 bytes, const QString &sha256)
{
    return QJsonObject{
        {QStringLiteral("name"), name}, {QStringLiteral("bytes"), double(bytes)}, {QStringLiteral("sha256"), sha256}};
}

qint64 count(const QJsonObject &object, const char *key)
{
    return qint64(object.value(QLatin1String(key)).toDouble(-1));
}

// Reads one file of the set, which must carry the name the stem gives it and
// lie in the folder with the size recorded.
bool readFile(const QJsonObject &object, const QString &folder, const QString &name, QString &path, qint64 &bytes,
              QString &sha256, QString &problem)
{
    bytes = count(object, "bytes");
    sha256 = object.value(QStringLiteral("sha256")).toString();
    if (object.value(QStringLiteral("name")).toString() != name || bytes < 0 || sha256.size() != 64) {
        problem = QStringLiteral("the manifest does not describe %1").arg(name);
        return false;
    }
    path = QDir(folder).filePath(name);
    const QFileInfo info(path);
    if (!info.isFile()) {
        problem = QStringLiteral("%1 is missing").arg(name);
        return false;
    }
    if (info.size() != bytes) {
        problem = QStringLiteral("%1 has %2 bytes, not %3").arg(name).arg(info.size()).arg(bytes);
        return false;
    }
    return true;
}

void readFacts(const QJsonObject &json, Entry &entry)
{
    entry.logFile = json.value(QStringLiteral("log")).toString();
    entry.time = QDateTime::fromString(json.value(QStringLiteral("time")).toString(), Qt::ISODate).toLocalTime();
    entry.logBytes = count(json, "logBytes");
    entry.records = count(json, "records");
    entry.tailBytes = count(json, "tailBytes");
    entry.failing = count(json, "failingRecords");
    entry.undated = count(json, "undatedRecords");
    entry.firstCall = QDate::fromString(json.value(QStringLiteral("firstCall")).toString(), Qt::ISODate);
    entry.lastCall = QDate::fromString(json.value(QStringLiteral("lastCall")).toString(), Qt::ISODate);
    const QJsonObject store = json.value(QStringLiteral("store")).toObject();
    entry.hasStore = store.value(QStringLiteral("copied")).toBool();
    entry.storeIntact = store.value(QStringLiteral("integrity")).toString() == QLatin1String("ok");
    entry.storeNote = store.value(QStringLiteral("note")).toString();
}

} // namespace

QString logGzName(const QString &stem)
{
    return stem + QStringLiteral(".dta.gz");
}

QString storeGzName(const QString &stem)
{
    return stem + QStringLiteral(".sqlite.gz");
}

QString manifestName(const QString &stem)
{
    return stem + QStringLiteral(".manifest.json");
}

QString filePattern(const QString &logName)
{
    return QStringLiteral("^(%1-\\d{8}-\\d{6}(?:-\\d{1,4})?)\\.(dta\\.gz|sqlite\\.gz|sqlite|manifest\\.json)(\\.tmp)?$")
        .arg(QRegularExpression::escape(logName));
}

void LogFacts::add(const unsigned char *data, qint64 bytes, int threads)
{
    static_assert(sizeof(CallRecord) == RecordSize && alignof(CallRecord) == 1, "records lie end to end");
    const qint64 whole = bytes / RecordSize;
    failing += qint64(DataFile::failingRecords(reinterpret_cast<const CallRecord *>(data), whole, threads).size());
    char16_t date[CallRecord::MaxFieldWidth];
    for (qint64 i = 0; i < whole; ++i) {
        const CallRecord &record = reinterpret_cast<const CallRecord *>(data)[i];
        ++records;
        int year = 0;
        int month = 0;
        int day = 0;
        if (!CallSearch::storedDateParts(QStringView(date, record.copyText(CallRecord::Date, date)), year, month,
                                         day)) {
            ++undated;
            continue;
        }
        const QDate when(year, month, day);
        if (!first.isValid() || when < first)
            first = when;
        if (!last.isValid() || when > last)
            last = when;
    }
    tailBytes += bytes - whole * RecordSize;
}

void LogFacts::merge(const LogFacts &other)
{
    records += other.records;
    failing += other.failing;
    undated += other.undated;
    tailBytes += other.tailBytes;
    if (other.first.isValid() && (!first.isValid() || other.first < first))
        first = other.first;
    if (other.last.isValid() && (!last.isValid() || other.last > last))
        last = other.last;
}

QByteArray manifestJson(const Entry &entry)
{
    QJsonArray files{fileObject(logGzName(entry.stem), entry.logGzBytes, entry.logGzSha256)};
    if (entry.hasStore)
        files.append(fileObject(storeGzName(entry.stem), entry.storeGzBytes, entry.storeGzSha256));
    QJsonObject store{{QStringLiteral("copied"), entry.hasStore}};
    if (entry.hasStore)
        store.insert(QStringLiteral("integrity"), entry.storeIntact ? QStringLiteral("ok") : QStringLiteral("failed"));
    if (!entry.storeNote.isEmpty())
        store.insert(QStringLiteral("note"), entry.storeNote);
    const QJsonObject json{
        {QStringLiteral("madeBy"), MadeBy},
        {QStringLiteral("format"), Format},
        {QStringLiteral("log"), entry.logFile},
        {QStringLiteral("time"), entry.time.toUTC().toString(Qt::ISODate)},
        {QStringLiteral("logBytes"), double(entry.logBytes)},
        {QStringLiteral("records"), double(entry.records)},
        {QStringLiteral("tailBytes"), double(entry.tailBytes)},
        {QStringLiteral("failingRecords"), double(entry.failing)},
        {QStringLiteral("firstCall"), isoDate(entry.firstCall)},
        {QStringLiteral("lastCall"), isoDate(entry.lastCall)},
        {QStringLiteral("undatedRecords"), double(entry.undated)},
        {QStringLiteral("verified"), true},
        {QStringLiteral("files"), files},
        {QStringLiteral("store"), store},
    };
    return QJsonDocument(json).toJson(QJsonDocument::Indented);
}

Entry readManifest(const QString &folder, const QString &stem, const QString &logName)
{
    Entry entry;
    entry.stem = stem;
    entry.manifestPath = QDir(folder).filePath(manifestName(stem));
    QFile file(entry.manifestPath);
    if (!file.open(QIODevice::ReadOnly) || file.size() > LargestManifest) {
        entry.problem = QStringLiteral("the manifest cannot be read");
        return entry;
    }
    const QJsonObject json = QJsonDocument::fromJson(file.readAll()).object();
    readFacts(json, entry);
    if (json.value(QStringLiteral("madeBy")).toString() != MadeBy
        || json.value(QStringLiteral("format")).toInt() != Format || !json.value(QStringLiteral("verified")).toBool()
        || !entry.time.isValid()) {
        entry.problem = QStringLiteral("not a manifest of a verified backup");
        return entry;
    }
    if (logNameOf(entry.logFile) != logName || QFileInfo(entry.logFile).fileName() != entry.logFile) {
        entry.problem = QStringLiteral("a backup of another log (%1)").arg(entry.logFile);
        return entry;
    }
    if (entry.records < 0 || entry.logBytes < 0 || entry.failing < 0) {
        entry.problem = QStringLiteral("the manifest's counts are not readable");
        return entry;
    }
    const QJsonArray files = json.value(QStringLiteral("files")).toArray();
    if (files.size() != (entry.hasStore ? 2 : 1)
        || !readFile(files.at(0).toObject(), folder, logGzName(stem), entry.logGzPath, entry.logGzBytes,
                     entry.logGzSha256, entry.problem)
        || (entry.hasStore
            && !readFile(files.at(1).toObject(), folder, storeGzName(stem), entry.storeGzPath, entry.storeGzBytes,
                         entry.storeGzSha256, entry.problem))) {
        if (entry.problem.isEmpty())
            entry.problem = QStringLiteral("the manifest names other files");
        return entry;
    }
    entry.good = true;
    return entry;
}

bool writeSynced(const QString &path, const QByteArray &bytes, QString *error)
{
    Platform::File file(path, Platform::File::Open::CreateNew);
    if (file.isOpen() && file.writeAt(bytes.constData(), size_t(bytes.size()), 0) && file.sync())
        return true;
    if (error)
        *error = QStringLiteral("could not write %1: %2").arg(QFileInfo(path).fileName(), Platform::lastError());
    if (file.isOpen())
        Platform::removeFile(path);
    return false;
}

bool removeSet(const QString &folder, const QString &stem)
{
    const QDir dir(folder);
    const QString manifest = dir.filePath(manifestName(stem));
    const QString doomed = manifest + TempSuffix;
    if (!Platform::renameOver(manifest, doomed))
        return false;
    Platform::syncFolderOf(doomed);
    reached("manifest renamed");
    const bool removed =
        Platform::removeFile(dir.filePath(logGzName(stem))) && Platform::removeFile(dir.filePath(storeGzName(stem)));
    reached("files removed");
    if (!removed || !Platform::removeFile(doomed))
        return false;
    Platform::syncFolderOf(doomed);
    return true;
}

} // namespace Backup::Internal
