#include "csvexport.h"

#include "callsearch.h"
#include "datafile.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSaveFile>

namespace CsvExport {

QString quoted(const QString &text)
{
    bool needsQuotes = false;
    for (QChar c : text) {
        if (c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            needsQuotes = true;
            break;
        }
    }
    if (!needsQuotes)
        return text;
    QString out = text;
    out.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

QByteArray row(const QStringList &fields)
{
    QString line;
    for (int i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line.append(QLatin1Char(','));
        line.append(quoted(fields.at(i)));
    }
    line.append(QLatin1String("\r\n"));
    return line.toUtf8();
}

QStringList headings()
{
    return {QStringLiteral("Record"), QStringLiteral("Status"),  QStringLiteral("Type"),
            QStringLiteral("Date"),   QStringLiteral("Time"),    QStringLiteral("Phone"),
            QStringLiteral("Name"),   QStringLiteral("Company"), QStringLiteral("Notes"),
            QStringLiteral("First saved (UTC)")};
}

QString isoDate(const QString &stored)
{
    const QDate date = CallSearch::storedDate(stored);
    return date.isValid() ? date.toString(Qt::ISODate) : stored;
}

QString clockTime(const QString &stored)
{
    const int minutes = CallSearch::storedMinutes(stored);
    if (minutes < 0)
        return stored;
    return QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QLatin1Char('0')).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString utcTime(const QString &storedSeconds)
{
    bool ok = false;
    const qint64 seconds = storedSeconds.trimmed().toLongLong(&ok, 10);
    if (!ok || seconds < 0)
        return storedSeconds;
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(Qt::ISODate);
}

QString typeWord(const QString &stored)
{
    if (stored == QLatin1String("I"))
        return QStringLiteral("In");
    if (stored == QLatin1String("O"))
        return QStringLiteral("Out");
    if (stored == QLatin1String("M"))
        return QStringLiteral("Msg");
    return stored;
}

QStringList fields(const CallRecord &record)
{
    return {record.text(CallRecord::RecordNumber),
            record.text(CallRecord::Status),
            typeWord(record.text(CallRecord::Type)),
            isoDate(record.text(CallRecord::Date)),
            clockTime(record.text(CallRecord::Time)),
            record.text(CallRecord::Phone),
            record.text(CallRecord::Name),
            record.text(CallRecord::Company),
            record.text(CallRecord::Notes),
            utcTime(record.text(CallRecord::SavedAt))};
}

Outcome write(const QString &path, const std::vector<CallRecord> &records, const std::vector<int> *order)
{
    Outcome outcome;
    const QString name = QFileInfo(path).fileName();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        outcome.error = QStringLiteral("Could not write %1: %2").arg(name, file.errorString());
        return outcome;
    }
    QByteArray text = row(headings());
    const size_t count = order ? order->size() : records.size();
    text.reserve(qsizetype(count) * 160);
    for (size_t i = 0; i < count; ++i) {
        const size_t at = order ? size_t((*order)[i]) : i;
        if (at >= records.size())
            continue;
        text.append(row(fields(records[at])));
        ++outcome.rows;
    }
    if (file.write(text) != text.size() || !file.commit()) {
        outcome.error = QStringLiteral("Could not write %1: %2").arg(name, file.errorString());
        file.cancelWriting();
        outcome.rows = 0;
        return outcome;
    }
    outcome.written = true;
    return outcome;
}

Outcome writeLog(const QString &dataPath, const QString &path)
{
    std::vector<CallRecord> records;
    if (!DataFile::scanRecords(dataPath, DataFile::ScanMode::Unchecked, records)) {
        Outcome outcome;
        outcome.error = QStringLiteral("Could not read %1").arg(QFileInfo(dataPath).fileName());
        return outcome;
    }
    return write(path, records);
}

} // namespace CsvExport
