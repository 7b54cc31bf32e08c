#include "textexport.h"

#include <QFile>
#include <QSaveFile>
#include <QStringEncoder>

#include <vector>

namespace TextExport {

namespace {

constexpr CallRecord::Field Columns[] = {
    CallRecord::RecordNumber, CallRecord::Type,    CallRecord::Date,  CallRecord::Time,   CallRecord::Phone,
    CallRecord::Name,         CallRecord::Company, CallRecord::Notes, CallRecord::Status,
};

// Records read per step: the log is streamed, never held whole.
constexpr int RecordsPerRead = 1024;
constexpr qsizetype FlushBytes = 1 << 20;
// Room for the nine fields at their widths, the separators and the line feed.
constexpr qsizetype MaxLineUnits = 512;

const QString Heading = QStringLiteral("Rec#¬Type¬Date¬Time¬Phone #¬Name¬Company¬Notes¬OK\n");

// The line's text in UTF-16, straight from the record's bytes.
qsizetype lineUnits(const CallRecord &record, char16_t *out)
{
    char16_t *p = out;
    for (CallRecord::Field field : Columns) {
        if (field != CallRecord::RecordNumber)
            *p++ = FieldSeparator;
        p += record.copyText(field, p);
    }
    *p++ = u'\n';
    return p - out;
}

class LineWriter
{
public:
    explicit LineWriter(QSaveFile &file)
        : m_file(file)
    {
        m_buffer.reserve(FlushBytes + 4 * MaxLineUnits);
    }

    void append(QStringView text)
    {
        const qsizetype start = m_buffer.size();
        m_buffer.resize(start + m_encoder.requiredSpace(text.size()));
        char *end = m_encoder.appendToBuffer(m_buffer.data() + start, text);
        m_buffer.resize(end - m_buffer.constData());
        if (m_buffer.size() >= FlushBytes)
            flush();
    }

    bool flush()
    {
        if (!m_buffer.isEmpty() && m_file.write(m_buffer) != m_buffer.size())
            m_ok = false;
        m_buffer.clear();
        return m_ok;
    }

private:
    QSaveFile &m_file;
    QStringEncoder m_encoder{QStringEncoder::Utf8};
    QByteArray m_buffer;
    bool m_ok = true;
};

bool readRecords(QFile &file, CallRecord *records, qint64 count)
{
    static_assert(sizeof(CallRecord) == RecordSize, "records are read as one block");
    const qint64 bytes = count * RecordSize;
    return file.read(reinterpret_cast<char *>(records), bytes) == bytes;
}

} // namespace

Outcome write(const QString &dataPath, const QString &exportPath)
{
    Outcome outcome;
    QFile data(dataPath);
    if (!data.open(QIODevice::ReadOnly))
        return outcome;
    const qint64 size = data.size();
    if (size >= RecordSize) {
        if (!data.seek(size - RecordSize) || !readRecords(data, &outcome.lastRecord, 1))
            return outcome;
        outcome.haveLastRecord = true;
        outcome.lastNumber = outcome.lastRecord.number();
    }
    const qint64 wanted = qMin<qint64>(qMax(outcome.lastNumber, 0), size / RecordSize);

    QSaveFile file(exportPath);
    if (!file.open(QIODevice::WriteOnly)) {
        outcome.result = Result::ExportUnwritable;
        return outcome;
    }
    LineWriter writer(file);
    writer.append(Heading);

    if (!data.seek(0))
        return outcome;
    std::vector<CallRecord> records(size_t(qMin<qint64>(wanted, RecordsPerRead)));
    char16_t units[MaxLineUnits];
    qint64 done = 0;
    while (done < wanted) {
        const qint64 count = qMin<qint64>(wanted - done, RecordsPerRead);
        if (!readRecords(data, records.data(), count))
            return outcome; // the export file is dropped unwritten
        for (qint64 i = 0; i < count; ++i)
            writer.append(QStringView(units, lineUnits(records[size_t(i)], units)));
        done += count;
        outcome.lastRecord = records[size_t(count - 1)];
    }
    // QSaveFile::commit() does not see a failure of its own last flush, so flush first.
    if (!writer.flush() || !file.flush() || !file.commit()) {
        outcome.result = Result::ExportUnwritable;
        return outcome;
    }
    outcome.result = Result::Written;
    outcome.lines = int(done);
    return outcome;
}

} // namespace TextExport
