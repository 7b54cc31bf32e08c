#include "csvimport.h"

#include "csvexport.h"
#include "entryrules.h"
#include "platform.h"

#include <QRegularExpression>

namespace CsvImport {

namespace {

// What the entry fields take when typed into.
constexpr int DateField = 11;
constexpr int TimeField = 9;
constexpr int PhoneField = 12;

const QString UnknownCaller = QStringLiteral("Unknown Caller");
const QString Unknown = QStringLiteral("Unknown");

struct Context
{
    const Configuration &config;
    const Columns &columns;
    QString defaultDate;
    QString now; // the current time text
    int fieldCount;
};

QString cell(const CsvReader::Row &row, int column)
{
    return column >= 0 && column < row.fields.size() ? row.fields.at(column) : QString();
}

QString shown(const QString &text)
{
    return QLatin1Char('"') + (text.size() > 40 ? text.left(40) + QStringLiteral("...") : text) + QLatin1Char('"');
}

// The CSV export and spreadsheets write dates as yyyy-mm-dd: the same date
// as the log's mm/dd/yyyy. Other text is left for the date rule.
QString entryDate(const QString &text)
{
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})$"));
    const QRegularExpressionMatch m = iso.match(text);
    if (!m.hasMatch())
        return text;
    return QStringLiteral("%1/%2/%3")
        .arg(m.captured(2).toInt(), 2, 10, QLatin1Char('0'))
        .arg(m.captured(3).toInt(), 2, 10, QLatin1Char('0'))
        .arg(m.captured(1));
}

// A 24-hour clock time (14:05, 9:30, 14:05:00) as the log writes it
// (" 2:05PM"); 12:30 is half past noon, 00:30 half past midnight. Other text
// is left for the time rule.
QString entryTime(const QString &text)
{
    static const QRegularExpression clock(QStringLiteral("^(\\d{1,2}):(\\d{2})(?::(\\d{2}))?$"));
    const QRegularExpressionMatch m = clock.match(text);
    const int hour = m.captured(1).toInt();
    if (!m.hasMatch() || hour > 23 || m.captured(2).toInt() > 59 || m.captured(3).toInt() > 59)
        return text;
    const int twelve = hour % 12 == 0 ? 12 : hour % 12;
    return QStringLiteral("%1:%2%3").arg(twelve, 2).arg(m.captured(2),
                                                        hour < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}

bool typeOf(const QString &text, CallType &type)
{
    const QString word = text.trimmed().toLower();
    if (word.isEmpty() || word == QLatin1String("in") || word == QLatin1String("i")
        || word == QLatin1String("incoming"))
        type = CallType::In;
    else if (word == QLatin1String("out") || word == QLatin1String("o") || word == QLatin1String("outgoing"))
        type = CallType::Out;
    else if (word == QLatin1String("msg") || word == QLatin1String("m") || word == QLatin1String("message"))
        type = CallType::Message;
    else if (word == QLatin1String("x"))
        type = CallType::None;
    else
        return false;
    return true;
}

// A character no record can keep, in one of the row's entry fields.
QString badCharacter(const CsvReader::Row &row, const Columns &c)
{
    const std::pair<const char *, int> fields[] = {{"Type", c.type},   {"Date", c.date}, {"Time", c.time},
                                                   {"Phone", c.phone}, {"Name", c.name}, {"Company", c.company},
                                                   {"Notes", c.notes}};
    for (const auto &[label, column] : fields) {
        const QString text = cell(row, column);
        if (text.contains(QChar(FieldSeparator)))
            return QStringLiteral("%1 holds \u00AC, which separates the log's fields").arg(QLatin1String(label));
        if (text.contains(QChar(0)))
            return QStringLiteral("%1 holds a NUL character").arg(QLatin1String(label));
    }
    return QString();
}

QString tooLong(const char *label, const QString &text, int most)
{
    return text.size() > most ? QStringLiteral("%1 is longer than its field takes (%2 characters, at most %3)")
                                    .arg(QLatin1String(label))
                                    .arg(text.size())
                                    .arg(most)
                              : QString();
}

// Date, time and phone as their rules take them; empty when accepted.
QString ruledFields(const CsvReader::Row &row, const Context &ctx, CallEntry &entry)
{
    // No blank can be typed into these three fields: a spreadsheet's padding is not the entry.
    const QString date = entryDate(cell(row, ctx.columns.date).trimmed());
    const QString time = entryTime(cell(row, ctx.columns.time).trimmed());
    const QString phone = cell(row, ctx.columns.phone).trimmed();
    QString why =
        tooLong("Date", date, DateField) + tooLong("Time", time, TimeField) + tooLong("Phone", phone, PhoneField);
    if (!why.isEmpty())
        return why;
    const EntryRules::DateResult d = EntryRules::normalizeDate(date, ctx.defaultDate);
    if (d.error || date == EntryRules::DatePlaceholder)
        return date.isEmpty() ? QStringLiteral("no date")
                              : QStringLiteral("Date %1 is not a date (m/d/yyyy)").arg(shown(date));
    const EntryRules::TimeResult t = EntryRules::normalizeTime(time, ctx.now);
    if (t.error)
        return time.isEmpty() ? QStringLiteral("no time")
                              : QStringLiteral("Time %1 is not a time (hh:mmAM or PM)").arg(shown(time));
    const EntryRules::PhoneResult p = EntryRules::normalizePhone(phone, ctx.config.phoneSeparator,
                                                                 ctx.config.defaultAreaCode, ctx.config.defaultPrefix);
    if (p.error)
        return QStringLiteral("Phone %1 is not a phone number the log takes").arg(shown(phone));
    entry.date = d.text;
    entry.time = t.text;
    entry.phone = p.text;
    return QString();
}

// Name, company and notes are kept as they are; an empty name or company
// takes the default its field gives.
QString textFields(const CsvReader::Row &row, const Columns &c, CallEntry &entry)
{
    entry.name = cell(row, c.name);
    if (entry.name.isEmpty() || entry.name == EntryRules::NamePlaceholder)
        entry.name = UnknownCaller;
    entry.company = cell(row, c.company);
    if (entry.company.isEmpty() || entry.company == EntryRules::CompanyPlaceholder)
        entry.company = Unknown;
    entry.notes = cell(row, c.notes);
    return tooLong("Name", entry.name, CallRecord::capacity(CallRecord::Name))
        + tooLong("Company", entry.company, CallRecord::capacity(CallRecord::Company))
        + tooLong("Notes", entry.notes, CallRecord::capacity(CallRecord::Notes));
}

QStringList formulaNotes(const CallEntry &entry)
{
    QStringList notes;
    const std::pair<const char *, const QString *> fields[] = {
        {"Name", &entry.name}, {"Company", &entry.company}, {"Notes", &entry.notes}};
    for (const auto &[label, text] : fields) {
        if (!text->isEmpty() && QStringLiteral("=+-@").contains(text->front()))
            notes.append(QStringLiteral("%1 starts with \"%2\", as a spreadsheet formula does: kept as text")
                             .arg(QLatin1String(label), text->front()));
    }
    return notes;
}

// One row through the rules: empty when it is taken, else why not.
QString takeRow(const CsvReader::Row &row, const Context &ctx, Accepted &accepted)
{
    if (!row.problem.isEmpty())
        return row.problem;
    if (row.fields.size() != ctx.fieldCount)
        return QStringLiteral("%1 fields where the first row has %2").arg(row.fields.size()).arg(ctx.fieldCount);
    QString why = badCharacter(row, ctx.columns);
    if (!why.isEmpty())
        return why;
    CallEntry &entry = accepted.entry;
    if (!typeOf(cell(row, ctx.columns.type), entry.type))
        return QStringLiteral("Type %1 is not In, Out or Msg").arg(shown(cell(row, ctx.columns.type)));
    why = ruledFields(row, ctx, entry);
    if (!why.isEmpty())
        return why;
    why = textFields(row, ctx.columns, entry);
    if (!why.isEmpty())
        return why;
    accepted.line = row.line;
    accepted.notes = formulaNotes(entry);
    return QString();
}

Source classify(CsvReader::Table table)
{
    Source source;
    source.table = std::move(table);
    if (!source.table.error.isEmpty())
        return source;
    const QStringList heading = source.table.rows.front().fields;
    const QStringList exported = CsvExport::headings();
    source.ownExport = heading.mid(0, exported.size()) == exported;
    if (source.ownExport) {
        // Record and Status are the old log's; the new records get their own.
        source.columns = Columns{2, 3, 4, 5, 6, 7, 8, true};
    } else {
        source.columns = guessColumns(heading);
    }
    return source;
}

} // namespace

Source read(const QString &path)
{
    return classify(CsvReader::readFile(path));
}

Source fromBytes(const QByteArray &bytes)
{
    return classify(CsvReader::parse(bytes));
}

Columns guessColumns(const QStringList &headings)
{
    // In the order they are tried: "Company name" is a company, "Caller name" a name.
    const std::pair<int Columns::*, QStringList> words[] = {
        {&Columns::type, {"type", "call type", "direction", "kind"}},
        {&Columns::date, {"date", "day", "call date"}},
        {&Columns::time, {"time", "hour", "call time"}},
        {&Columns::phone, {"phone", "telephone", "tel", "number", "mobile", "cell"}},
        {&Columns::company, {"company", "business", "organization", "organisation", "org", "firm", "employer"}},
        {&Columns::notes, {"notes", "note", "memo", "comment", "comments", "description", "subject"}},
        {&Columns::name, {"name", "caller", "contact", "full name", "person"}},
    };
    Columns columns;
    bool any = false;
    for (int i = 0; i < headings.size(); ++i) {
        const QStringList heading =
            headings.at(i).toLower().split(QRegularExpression(QStringLiteral("[^a-z]+")), Qt::SkipEmptyParts);
        for (const auto &[member, keys] : words) {
            const bool match = std::any_of(keys.begin(), keys.end(), [&](const QString &key) {
                return heading.join(QLatin1Char(' ')) == key || heading.contains(key);
            });
            if (match && columns.*member < 0) {
                columns.*member = i;
                any = true;
                break;
            }
        }
    }
    columns.headingRow = any;
    return columns;
}

Preview preview(const Source &source, const Columns &columns, const Configuration &config, const QDateTime &now)
{
    Preview preview;
    const std::vector<CsvReader::Row> &rows = source.table.rows;
    if (!source.table.error.isEmpty() || rows.empty())
        return preview;
    const Context ctx{config, columns, EntryRules::defaultDateText(now.date()), EntryRules::currentTimeText(now.time()),
                      int(rows.front().fields.size())};
    preview.accepted.reserve(rows.size());
    for (size_t i = columns.headingRow ? 1 : 0; i < rows.size(); ++i) {
        Accepted accepted;
        const QString why = takeRow(rows[i], ctx, accepted);
        if (why.isEmpty())
            preview.accepted.push_back(std::move(accepted));
        else
            preview.refused.push_back({rows[i].line, why});
    }
    return preview;
}

namespace {

QString commitMessage(DataFile::WriteResult result, const Committed &committed)
{
    switch (result) {
    case DataFile::WriteResult::Written:
        return committed.lastRecord >= committed.firstRecord
            ? QStringLiteral("Imported %1 calls as records %2 to %3")
                  .arg(committed.lastRecord - committed.firstRecord + 1)
                  .arg(committed.firstRecord)
                  .arg(committed.lastRecord)
            : QStringLiteral("Nothing to import");
    case DataFile::WriteResult::InUse:
        return QStringLiteral("Log in use by another Vorlen3 - nothing imported");
    case DataFile::WriteResult::Damaged:
        return QStringLiteral("Log damaged - use File > Repair first; nothing imported");
    case DataFile::WriteResult::NotALog:
        return QStringLiteral("Not a call log - nothing imported");
    case DataFile::WriteResult::NumberTaken:
    case DataFile::WriteResult::NoSuchRecord:
        return QStringLiteral("Log changed by another program - nothing imported; import again");
    case DataFile::WriteResult::CountAtLimit:
        return QStringLiteral("Record count at its limit - nothing imported");
    // The disk's refusals are named as a refused save names them.
    case DataFile::WriteResult::DiskFull:
        return QStringLiteral("Disk full - nothing imported");
    case DataFile::WriteResult::TooLarge:
        return QStringLiteral("Log at the system's file size limit - nothing imported");
    case DataFile::WriteResult::ReadOnly:
        return QStringLiteral("Log is read-only - nothing imported");
    case DataFile::WriteResult::NameUnusable:
        return QStringLiteral("Data file name cannot be used - nothing imported");
    case DataFile::WriteResult::OpenFailed:
    case DataFile::WriteResult::WriteFailed:
        break;
    }
    return QStringLiteral("Could not write the log (%1) - nothing imported").arg(Platform::lastError());
}

} // namespace

Committed commit(const QString &dataFile, const std::vector<Accepted> &accepted, const QDateTime &now)
{
    Committed committed;
    const DataFile::LogCheck check = DataFile::checkLog(dataFile);
    const qint64 first = check.size / RecordSize + 1;
    std::vector<CallRecord> records(accepted.size());
    for (size_t i = 0; i < accepted.size(); ++i) {
        CallRecord &record = records[i];
        accepted[i].entry.fillRecord(record, CallEntry::Save::New, first + qint64(i), now.toSecsSinceEpoch());
        record.setText(CallRecord::Spare1, QStringLiteral("1001"));
        record.setText(CallRecord::Spare2, QStringLiteral("1002"));
    }
    committed.result = DataFile::storeMany(dataFile, records);
    if (committed.ok()) {
        committed.firstRecord = int(first);
        committed.lastRecord = int(first + qint64(accepted.size()) - 1);
    }
    committed.message = commitMessage(committed.result, committed);
    return committed;
}

} // namespace CsvImport
