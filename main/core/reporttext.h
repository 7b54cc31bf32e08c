#ifndef REPORTTEXT_H
#define REPORTTEXT_H

#include "callrecord.h"

#include <QString>

#include <vector>

// The two reports as text, and their work files. The work files are plain
// UTF-8 with LF line ends, written whole and read back whole, so the viewer
// shows exactly what the file holds.
namespace ReportText {

inline const QString FullReportFileName = QStringLiteral("DataOutputForm.txt");
inline const QString SingleRecordFileName = QStringLiteral("SingleRecordForm.txt");

// Title, column heading, rule, then two lines per record in the given order.
QString fullReport(const std::vector<CallRecord> &records);

// One record as labelled paragraphs, status as the record holds it.
QString singleRecord(const CallRecord &record);

// Replaces `path` with `text`. On failure `error` says why.
bool writeWorkFile(const QString &path, const QString &text, QString *error = nullptr);

bool readWorkFile(const QString &path, QString &text, QString *error = nullptr);

// The text to give a plain text viewer: the same text, but with all but every
// `linesPerParagraph`-th line feed turned into a line separator (U+2028).
// The viewer shows the same lines and gives back the same plain text, while
// a log of 100,000 records costs it a tenth of the paragraphs to build.
QString forViewer(QString text, int linesPerParagraph = 20);

} // namespace ReportText

#endif // REPORTTEXT_H
