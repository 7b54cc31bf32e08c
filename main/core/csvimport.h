#ifndef CSVIMPORT_H
#define CSVIMPORT_H

#include "callentry.h"
#include "configfile.h"
#include "csvreader.h"
#include "datafile.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

// Calls from a CSV file, added to the log as new records. Three steps, the
// window showing each: read the file (the program's own CSV export is
// recognised, other files get a guess of which column is which), preview
// (every row goes through the entry rules as if it were typed; the rows the
// rules refuse are listed with their line and the reason), and commit
// (the accepted rows appended in one journalled step). Nothing is written
// before commit.
namespace CsvImport {

// Which column of the file holds each part of an entry; -1 for none. A
// missing type is "In"; a missing phone, name or company takes the default
// the entry rules give an empty field; a missing date or time refuses the row.
struct Columns
{
    int type = -1;
    int date = -1;
    int time = -1;
    int phone = -1;
    int name = -1;
    int company = -1;
    int notes = -1;
    bool headingRow = true; // the first row names the columns and is not imported
};

struct Source
{
    CsvReader::Table table; // table.error says why the file cannot be imported
    bool ownExport = false; // the heading of the CSV export: the columns are known
    Columns columns; // the export's, or a guess from the heading's words
};

Source read(const QString &path);
Source fromBytes(const QByteArray &bytes);

// Matches heading words to the parts of an entry ("Phone number", "Caller",
// "Company", "Notes", "Date", "Time", "Type", in English); a row in which
// nothing matches is taken to be data.
Columns guessColumns(const QStringList &headings);

struct Accepted
{
    int line = 0;
    CallEntry entry;
    QStringList notes; // kept as typed, but worth a look (a cell a spreadsheet would take for a formula)
};

struct Refused
{
    int line = 0;
    QString reason;
};

struct Preview
{
    std::vector<Accepted> accepted;
    std::vector<Refused> refused;
};

// Each row after the heading as the entry rules take it, with the phone
// settings of `config`; `now` stands for the moment the fields are left.
Preview preview(const Source &source, const Columns &columns, const Configuration &config, const QDateTime &now);

struct Committed
{
    DataFile::WriteResult result = DataFile::WriteResult::WriteFailed;
    int firstRecord = 0; // the numbers the new records got
    int lastRecord = 0;
    QString message; // for the user, whatever the result
    bool ok() const { return result == DataFile::WriteResult::Written; }
};

// Appends the accepted entries to the data file as new records: numbered on
// from the log's last record, status "O", first saved `now`, each with its
// hash, in one journalled step, so that a crash leaves the log as before or
// with every one. The caller holds the log and takes its new count after.
Committed commit(const QString &dataFile, const std::vector<Accepted> &accepted, const QDateTime &now);

} // namespace CsvImport

#endif // CSVIMPORT_H
