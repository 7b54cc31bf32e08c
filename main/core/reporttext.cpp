#include "reporttext.h"

#include "platform.h"
#include "utf8filewriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringEncoder>

#include <cstring>
#include <iterator>
#include <string>

namespace ReportText {

namespace {

void appendHead(QString &text)
{
    text += QLatin1String("\n                  Telephone Log Report    \n");
    text += QLatin1String("\n Rec#\tStatus\tType\t  Date\t\tTime\t\t Phone\t\tName\t\tCompany\n");
    text += QLatin1String("   ");
    text += QString(128, QLatin1Char('-'));
    text += QLatin1Char('\n');
}

// The fields of a record's lines, in order, each with what follows it.
struct LinePart
{
    CallRecord::Field field;
    const char16_t *after;
};
constexpr LinePart LineParts[] = {
    {CallRecord::RecordNumber, u"\t"}, {CallRecord::Status, u"\t"}, {CallRecord::Type, u"\t"},
    {CallRecord::Date, u"\t"},         {CallRecord::Time, u"  \t"},  {CallRecord::Phone, u"\t"},
    {CallRecord::Name, u"\t"},         {CallRecord::Company, u"\n\t"}, {CallRecord::Notes, u"\n"},
};
constexpr int PartCount = int(std::size(LineParts));

// Where each part's field lies in a record, and the units of a record's
// lines at most: its fields full, and what lies between them.
struct LineLayout
{
    int offset[PartCount];
    int width[PartCount];
    qsizetype mostUnits = 2;
};

const LineLayout &lineLayout()
{
    static const LineLayout layout = [] {
        LineLayout found;
        for (int k = 0; k < PartCount; ++k) {
            found.offset[k] = CallRecord::offset(LineParts[k].field);
            found.width[k] = CallRecord::width(LineParts[k].field);
            found.mostUnits += found.width[k] + qsizetype(std::char_traits<char16_t>::length(LineParts[k].after));
        }
        return found;
    }();
    return layout;
}

// A field's units up to its terminator, found four at a time and copied in
// one piece: every record of the log passes here.
char16_t *putField(const unsigned char *field, int width, char16_t *to)
{
    int n = 0;
    for (; n + 4 <= width; n += 4) {
        quint64 four;
        std::memcpy(&four, field + 2 * n, sizeof four);
        if (((four - 0x0001000100010001ull) & ~four & 0x8000800080008000ull) != 0)
            break; // a unit among the four may be zero
    }
    while (n < width && (field[2 * n] | field[2 * n + 1]) != 0)
        ++n;
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    std::memcpy(to, field, size_t(n) * 2);
#else
    for (int i = 0; i < n; ++i)
        to[i] = char16_t(field[2 * i] | (field[2 * i + 1] << 8));
#endif
    return to + n;
}

void appendRecords(QString &text, const CallRecord *records, qsizetype count)
{
    const LineLayout &layout = lineLayout();
    for (const CallRecord *record = records; record != records + count; ++record) {
        const qsizetype at = text.size();
        text.resize(at + layout.mostUnits);
        char16_t *const start = reinterpret_cast<char16_t *>(text.data()) + at;
        char16_t *to = start;
        *to++ = u' ';
        *to++ = u' ';
        for (int k = 0; k < PartCount; ++k) {
            to = putField(record->bytes.data() + layout.offset[k], layout.width[k], to);
            for (const char16_t *c = LineParts[k].after; *c; ++c)
                *to++ = *c;
        }
        text.resize(at + (to - start));
    }
}

// Records turned into text at a time: enough to write in large blocks, few
// enough that the block stays small.
constexpr qsizetype BlockRecords = 4096;

} // namespace

QString fullReport(const std::vector<CallRecord> &records)
{
    QString text;
    // Room for the record lines without notes and a short note; one
    // reservation keeps a long log from growing the text step by step.
    text.reserve(400 + qsizetype(records.size()) * 160);
    appendHead(text);
    appendRecords(text, records.data(), qsizetype(records.size()));
    return text;
}

FullReportWriter::FullReportWriter(const QString &path)
    : m_file(std::make_unique<Utf8FileWriter>(path))
{
}

FullReportWriter::~FullReportWriter() = default;

bool FullReportWriter::open()
{
    if (!m_file->open())
        return false;
    appendHead(m_block);
    m_file->append(m_block);
    return true;
}

QByteArray FullReportWriter::lines(const CallRecord *records, qsizetype count)
{
    QString text;
    text.reserve(count * 160);
    appendRecords(text, records, count);
    // The lines end whole: nothing is left waiting in the encoder.
    QStringEncoder encoder(QStringEncoder::Utf8);
    return encoder.encode(text);
}

void FullReportWriter::appendLines(QByteArrayView lines)
{
    m_file->appendEncoded(lines);
}

void FullReportWriter::append(const CallRecord *records, qsizetype count)
{
    for (qsizetype done = 0; done < count; done += BlockRecords) {
        m_block.resize(0); // keeps its room for the next block
        appendRecords(m_block, records + done, std::min(BlockRecords, count - done));
        m_file->append(m_block);
    }
}

bool FullReportWriter::commit()
{
    return m_file->commit();
}

QString FullReportWriter::error() const
{
    return m_file->error();
}

bool writeFullReport(const QString &path, const std::vector<CallRecord> &records, QString *error)
{
    FullReportWriter writer(path);
    if (writer.open()) {
        writer.append(records.data(), qsizetype(records.size()));
        if (writer.commit())
            return true;
    }
    if (error)
        *error = writer.error();
    return false;
}

QString singleRecord(const CallRecord &record)
{
    QString text = QStringLiteral("\n\t\t\t\t Telephone Log Single Record Report   \n\n");
    text += QLatin1String("\tRecord Number:\t\t") + record.text(CallRecord::RecordNumber) + QLatin1String("\n\n");
    text += QLatin1String("\tStatus\t\t\t\t") + record.text(CallRecord::Status) + QLatin1String("\n\n");
    text += QLatin1String("\tType\t\t\t\t") + record.text(CallRecord::Type) + QLatin1String("\n\n");
    text += QLatin1String("\tDate\t\t\t\t") + record.text(CallRecord::Date) + QLatin1String("\n\n");
    text += QLatin1String("\tTime\t\t\t\t") + record.text(CallRecord::Time) + QLatin1String("\n\n");
    text += QLatin1String("\tPhone\t\t\t\t") + record.text(CallRecord::Phone) + QLatin1String("\n\n");
    text += QLatin1String("\tName\t\t\t\t") + record.text(CallRecord::Name) + QLatin1String("\n\n");
    text += QLatin1String("\tCompany\t\t\t") + record.text(CallRecord::Company) + QLatin1String("\n\n");
    text += QLatin1String("\tNotes\t\t\t\t") + record.text(CallRecord::Notes) + QLatin1Char('\n');
    return text;
}

QString workFilePath(const QString &fileName)
{
    const QFileInfo here(fileName);
    if (Platform::mayWrite(here.exists() ? here.absoluteFilePath() : here.absolutePath()))
        return fileName;
    for (const QString &folder : {QStandardPaths::writableLocation(QStandardPaths::CacheLocation), QDir::tempPath()}) {
        if (!folder.isEmpty() && QDir().mkpath(folder) && Platform::mayWrite(folder))
            return QDir(folder).filePath(here.fileName());
    }
    return fileName;
}

bool writeWorkFile(const QString &path, const QString &text, QString *error)
{
    // A work file is made afresh for every preview and holds nothing that
    // is not in the data file, so it is simply replaced.
    QFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

bool readWorkFile(const QString &path, QString &text, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const qint64 size = file.size();
    if (size == 0) {
        text.clear();
        return true;
    }
    // Decoding from the mapped file spares a copy of the report.
    if (const uchar *mapped = file.map(0, size)) {
        text = QString::fromUtf8(reinterpret_cast<const char *>(mapped), qsizetype(size));
        return true;
    }
    text = QString::fromUtf8(file.readAll());
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool opensRecord(QStringView line)
{
    return line.startsWith(QLatin1String("  ")) && line.count(QLatin1Char('\t')) >= ColumnCount - 1;
}

LineKind lineKind(QStringView line, LineKind previous)
{
    if (line.startsWith(QLatin1String(" Rec#\t")))
        return LineKind::Heading;
    if (opensRecord(line))
        return LineKind::Record;
    if (previous == LineKind::Record)
        return LineKind::Notes;
    if (previous == LineKind::Notes || previous == LineKind::NotesContinued)
        return LineKind::NotesContinued;
    return LineKind::Plain;
}

ColumnFields columnFields(QStringView line, LineKind kind)
{
    ColumnFields columns;
    for (qsizetype start = 0; start <= line.size();) {
        qsizetype end = line.indexOf(QLatin1Char('\t'), start);
        if (end < 0)
            end = line.size();
        // The heading steps over a column's width with two tabs where one
        // would not reach the next column.
        if (kind == LineKind::Heading && end == start && end < line.size()) {
            start = end + 1;
            continue;
        }
        if (columns.count == ColumnCount - 1) {
            columns.fields[columns.count++] = line.mid(start);
            break;
        }
        columns.fields[columns.count++] = line.mid(start, end - start);
        start = end + 1;
    }
    return columns;
}

} // namespace ReportText
