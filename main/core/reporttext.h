#ifndef REPORTTEXT_H
#define REPORTTEXT_H

#include "callrecord.h"

#include <QString>
#include <QStringView>

#include <array>
#include <memory>
#include <vector>

class Utf8FileWriter;

// The two reports as text, and their work files. The work files are plain
// UTF-8 with LF line ends, so the viewer shows exactly what the file holds.
namespace ReportText {

inline const QString FullReportFileName = QStringLiteral("DataOutputForm.txt");
inline const QString SingleRecordFileName = QStringLiteral("SingleRecordForm.txt");

// Title, column heading, rule, then two lines per record in the given order.
QString fullReport(const std::vector<CallRecord> &records);

// The full report's work file written as the records come, a block at a
// time, so that the whole text is never held at once.
class FullReportWriter
{
public:
    explicit FullReportWriter(const QString &path);
    ~FullReportWriter();
    FullReportWriter(const FullReportWriter &) = delete;
    FullReportWriter &operator=(const FullReportWriter &) = delete;

    // Starts the file with the title, the heading and the rule.
    bool open();
    void append(const CallRecord *records, qsizetype count);
    // The lines of `count` records as the file holds them, made on any
    // thread; appendLines() adds them in the order of the records.
    static QByteArray lines(const CallRecord *records, qsizetype count);
    void appendLines(QByteArrayView lines);
    // Puts the file in place; false when any write failed (an earlier work
    // file is then left as it was).
    bool commit();
    QString error() const;

private:
    std::unique_ptr<Utf8FileWriter> m_file;
    QString m_block;
};

// The same report written to `path`; on failure `error` says why.
bool writeFullReport(const QString &path, const std::vector<CallRecord> &records, QString *error = nullptr);

// One record as labelled paragraphs, status as the record holds it.
QString singleRecord(const CallRecord &record);

// Where the work file `fileName` goes: the working folder, as always; when the
// folder takes no writes (a log looked at on read-only media), the user's cache
// folder (or the temporary folder) instead, so that the report is still shown and printed.
QString workFilePath(const QString &fileName);

// Replaces `path` with `text`. On failure `error` says why.
bool writeWorkFile(const QString &path, const QString &text, QString *error = nullptr);

bool readWorkFile(const QString &path, QString &text, QString *error = nullptr);

// What a line of the full report is, told from its text and the line before
// it, so that an edited report is laid out as well as the one written.
enum class LineKind : quint8 {
    Plain, // the title, the rule, or a line that belongs to no record
    Heading, // the column heading
    Record, // a record's fields, separated by tabs
    Notes, // the line after a record's fields: a tab and the notes
    NotesContinued, // a line that a line break in the notes began
};

// Two blanks and the record number start a record's line, and its eight
// fields are separated by (at least) seven tabs.
bool opensRecord(QStringView line);
LineKind lineKind(QStringView line, LineKind previous);

// The number of columns of a record's line: number, status, type, date,
// time, phone, name and company.
constexpr int ColumnCount = 8;

// The fields of a heading or record line, each in its column: a record's
// tab-separated fields in order, the heading's words (between single or
// double tabs) in order. Fields beyond the last column are part of it.
struct ColumnFields
{
    std::array<QStringView, ColumnCount> fields;
    int count = 0;
};
ColumnFields columnFields(QStringView line, LineKind kind);

} // namespace ReportText

#endif // REPORTTEXT_H
