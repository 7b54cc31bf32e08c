#ifndef CSVREADER_H
#define CSVREADER_H

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>

#include <vector>

// Comma-separated values as spreadsheets and other programs write them:
// UTF-8 with or without a byte order mark, or UTF-16 with one; CR LF or LF
// line ends; comma or semicolon between fields (whichever the first row
// uses more); fields quoted as RFC 4180 has it, line breaks inside quotes
// included. Nothing in a field is changed: no blank is trimmed.
namespace CsvReader {

// Files larger than this are refused rather than read.
constexpr qint64 LargestFile = qint64(256) * 1024 * 1024;

struct Row
{
    int line = 0; // the file's line the row begins on, from 1
    QStringList fields;
    QString problem; // the row is not well formed: why
};

struct Table
{
    QString error; // the file cannot be read as CSV at all: why (then there are no rows)
    QString encoding; // "UTF-8" or "UTF-16LE" / "UTF-16BE"
    QChar delimiter = QLatin1Char(',');
    std::vector<Row> rows; // every row in file order, the heading included; blank lines are skipped
};

Table parse(const QByteArray &bytes);
Table readFile(const QString &path);

} // namespace CsvReader

#endif // CSVREADER_H
