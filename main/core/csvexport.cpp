#include "csvexport.h"

#include "callbackmarks.h"
#include "callentry.h"
#include "callsearch.h"
#include "datafile.h"
#include "utf8filewriter.h"

#include <QFileInfo>

#include <vector>

namespace CsvExport {

namespace {

// Records read per step: the log is streamed, never held whole.
constexpr qint64 RecordsPerRead = 1024;
// Room for every field quoted with each character doubled, the two call-back
// times, the commas and the line end.
constexpr int MaxLineUnits = RecordSize + 128;

char16_t *putDigits(char16_t *p, qint64 value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        p[i] = char16_t(u'0' + value % 10);
        value /= 10;
    }
    return p + width;
}

bool needsQuotes(QStringView text)
{
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == ',' || u == '"' || u == '\n' || u == '\r')
            return true;
    }
    return false;
}

char16_t *putField(char16_t *p, QStringView text)
{
    if (!needsQuotes(text)) {
        for (QChar c : text)
            *p++ = c.unicode();
        return p;
    }
    *p++ = u'"';
    for (QChar c : text) {
        if (c == QLatin1Char('"'))
            *p++ = u'"';
        *p++ = c.unicode();
    }
    *p++ = u'"';
    return p;
}

// The international forms; null when the stored text is not one.
char16_t *putIsoDate(char16_t *p, QStringView stored)
{
    int year = 0;
    int month = 0;
    int day = 0;
    if (!CallSearch::storedDateParts(stored, year, month, day))
        return nullptr;
    p = putDigits(p, year, 4);
    *p++ = u'-';
    p = putDigits(p, month, 2);
    *p++ = u'-';
    return putDigits(p, day, 2);
}

char16_t *putClockTime(char16_t *p, QStringView stored)
{
    const int minutes = CallSearch::storedMinutes(stored);
    if (minutes < 0)
        return nullptr;
    p = putDigits(p, minutes / 60, 2);
    *p++ = u':';
    return putDigits(p, minutes % 60, 2);
}

char16_t *putUtcTime(char16_t *p, QStringView stored)
{
    const QStringView digits = stored.trimmed();
    if (digits.isEmpty() || digits.size() > 12)
        return nullptr;
    qint64 seconds = 0;
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return nullptr;
        seconds = seconds * 10 + (c.unicode() - u'0');
    }
    // Up to the end of the year 9999, so that the text keeps its four-digit year.
    if (seconds > Q_INT64_C(253402300799))
        return nullptr;
    // Days since 1970 to the calendar date (the proleptic Gregorian calendar).
    const qint64 z = seconds / 86400 + 719468;
    const qint64 era = z / 146097;
    const qint64 dayOfEra = z - era * 146097;
    const qint64 yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 mp = (5 * dayOfYear + 2) / 153;
    const qint64 day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const qint64 month = mp < 10 ? mp + 3 : mp - 9;
    const qint64 year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    const int time = int(seconds % 86400);
    p = putDigits(p, year, 4);
    *p++ = u'-';
    p = putDigits(p, month, 2);
    *p++ = u'-';
    p = putDigits(p, day, 2);
    *p++ = u'T';
    p = putDigits(p, time / 3600, 2);
    *p++ = u':';
    p = putDigits(p, time / 60 % 60, 2);
    *p++ = u':';
    p = putDigits(p, time % 60, 2);
    *p++ = u'Z';
    return p;
}

using Converter = char16_t *(*)(char16_t *, QStringView);

// A converted field, or the stored text where it cannot be converted.
char16_t *putConverted(char16_t *p, QStringView stored, Converter convert)
{
    char16_t *end = convert(p, stored);
    return end ? end : putField(p, stored);
}

QString converted(const QString &stored, Converter convert)
{
    char16_t units[MaxLineUnits];
    return QString(reinterpret_cast<const QChar *>(units), putConverted(units, stored, convert) - units);
}

QStringView typeWordOf(QStringView stored)
{
    switch (callTypeOf(stored)) {
    case CallType::In:
        return u"In";
    case CallType::Out:
        return u"Out";
    case CallType::Message:
        return u"Msg";
    case CallType::None:
        break;
    }
    return stored;
}

char16_t *putMoment(char16_t *p, std::optional<qint64> secs)
{
    if (!secs)
        return p;
    const QString digits = QString::number(*secs);
    return putConverted(p, digits, putUtcTime);
}

qsizetype lineUnits(const CallRecord &record, const CallBackMarks *callBacks, char16_t *out)
{
    char16_t field[CallRecord::MaxFieldWidth];
    auto stored = [&](CallRecord::Field f) { return QStringView(field, record.copyText(f, field)); };
    char16_t *p = out;
    p = putField(p, stored(CallRecord::RecordNumber));
    *p++ = u',';
    p = putField(p, stored(CallRecord::Status));
    *p++ = u',';
    const QStringView type = stored(CallRecord::Type);
    p = putField(p, typeWordOf(type));
    *p++ = u',';
    p = putConverted(p, stored(CallRecord::Date), putIsoDate);
    *p++ = u',';
    p = putConverted(p, stored(CallRecord::Time), putClockTime);
    for (CallRecord::Field f : {CallRecord::Phone, CallRecord::Name, CallRecord::Company, CallRecord::Notes}) {
        *p++ = u',';
        p = putField(p, stored(f));
    }
    *p++ = u',';
    p = putConverted(p, stored(CallRecord::SavedAt), putUtcTime);
    const CallBack *callBack = callBacks ? callBacks->find(record) : nullptr;
    *p++ = u',';
    p = putMoment(p, callBack ? std::optional<qint64>(callBack->dueAt) : std::nullopt);
    *p++ = u',';
    p = putMoment(p, callBack ? callBack->doneAt : std::nullopt);
    *p++ = u'\r';
    *p++ = u'\n';
    return p - out;
}

// The CSV rows of a file being written, and why it failed.
class Writer
{
public:
    Writer(const QString &path, const CallBackMarks *callBacks)
        : m_out(path)
        , m_name(QFileInfo(path).fileName())
        , m_callBacks(callBacks)
    {
    }

    bool open() { return m_out.open(); }
    void append(QStringView text) { m_out.append(text); }

    void appendRecord(const CallRecord &record)
    {
        char16_t units[MaxLineUnits];
        append(QStringView(units, lineUnits(record, m_callBacks, units)));
        ++m_rows;
    }

    // Ends the file: written whole, or removed with nothing left behind.
    Outcome finish()
    {
        if (!m_out.commit())
            return failed();
        Outcome outcome;
        outcome.written = true;
        outcome.rows = m_rows;
        return outcome;
    }

    Outcome failed() const
    {
        Outcome outcome;
        outcome.error = QStringLiteral("Could not write %1: %2").arg(m_name, m_out.error());
        return outcome;
    }

private:
    Utf8FileWriter m_out;
    QString m_name;
    const CallBackMarks *m_callBacks;
    int m_rows = 0;
};

} // namespace

QString quoted(const QString &text)
{
    std::vector<char16_t> units(size_t(2 * text.size() + 2));
    return QString(reinterpret_cast<const QChar *>(units.data()), putField(units.data(), text) - units.data());
}

QByteArray row(const QStringList &fields)
{
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line.append(QLatin1Char(','));
        line.append(quoted(fields.at(i)));
    }
    line.append(QLatin1String("\r\n"));
    return line.toUtf8();
}

QStringList headings()
{
    return {QStringLiteral("Record"),       QStringLiteral("Status"),
            QStringLiteral("Type"),         QStringLiteral("Date"),
            QStringLiteral("Time"),         QStringLiteral("Phone"),
            QStringLiteral("Name"),         QStringLiteral("Company"),
            QStringLiteral("Notes"),        QStringLiteral("First saved (UTC)"),
            QStringLiteral("call_back_by"), QStringLiteral("call_back_done")};
}

QString isoDate(const QString &stored)
{
    return converted(stored, putIsoDate);
}

QString clockTime(const QString &stored)
{
    return converted(stored, putClockTime);
}

QString utcTime(const QString &storedSeconds)
{
    return converted(storedSeconds, putUtcTime);
}

QString typeWord(const QString &stored)
{
    return typeWordOf(stored).toString();
}

Outcome write(const QString &path, const std::vector<CallRecord> &records, const std::vector<int> *order,
              const CallBackMarks *callBacks)
{
    Writer writer(path, callBacks);
    if (!writer.open())
        return writer.failed();
    writer.append(QString::fromUtf8(row(headings())));
    const size_t count = order ? order->size() : records.size();
    for (size_t i = 0; i < count; ++i) {
        const size_t at = order ? size_t((*order)[i]) : i;
        if (at < records.size())
            writer.appendRecord(records[at]);
    }
    return writer.finish();
}

Outcome write(const QString &path, qint64 count, const RecordAt &recordAt, const CallBackMarks *callBacks)
{
    Writer writer(path, callBacks);
    if (!writer.open())
        return writer.failed();
    writer.append(QString::fromUtf8(row(headings())));
    for (qint64 i = 0; i < count; ++i) {
        const CallRecord *record = recordAt(i);
        if (!record) {
            Outcome unwritten;
            unwritten.error = QStringLiteral("Could not write %1").arg(QFileInfo(path).fileName());
            return unwritten; // the unfinished file is removed with the writer
        }
        writer.appendRecord(*record);
    }
    return writer.finish();
}

Outcome writeLog(const QString &dataPath, const QString &path, const CallBackMarks *callBacks)
{
    Outcome unreadable;
    unreadable.error = QStringLiteral("Could not read %1").arg(QFileInfo(dataPath).fileName());
    DataFile::LogReader data(dataPath);
    if (!data.open())
        return unreadable;

    Writer writer(path, callBacks);
    if (!writer.open())
        return writer.failed();
    writer.append(QString::fromUtf8(row(headings())));
    const bool read = data.forEachBlock(
        [&writer](const CallRecord *records, qint64, qint64 count) {
            for (qint64 i = 0; i < count; ++i)
                writer.appendRecord(records[i]);
            return true;
        },
        RecordsPerRead);
    if (!read)
        return unreadable; // the unfinished file is removed with the writer
    return writer.finish();
}

} // namespace CsvExport
