#ifndef SCANPROGRESS_H
#define SCANPROGRESS_H

#include "datafile.h"

#include <QString>

#include <vector>

class QWidget;
class RecordTableModel;

// Reads the log for a window that lists it; a scan that takes longer than
// about half a second shows a progress dialog with Cancel. Marks go into the
// log only where `mayWrite` (this program holds its lock).
DataFile::ScanOutcome scanLog(QWidget *parent, const QString &path, DataFile::ScanMode mode,
                              std::vector<CallRecord> &records, bool mayWrite = true);
// The same, handing the records to `visit` a block at a time, so that the
// window keeps what it shows and not every record; `prepare` makes what it
// keeps on the threads that check the records.
DataFile::ScanOutcome scanLog(QWidget *parent, const QString &path, DataFile::ScanMode mode,
                              const DataFile::RecordVisitor &visit, bool mayWrite = true,
                              const DataFile::RecordPreparer &prepare = {});

// The same, filling the model of every record that the review grid and the
// statistics window read their rows from; a cancelled scan leaves it as it was.
DataFile::ScanOutcome scanLogInto(QWidget *parent, const QString &path, DataFile::ScanMode mode,
                                  RecordTableModel &model, bool mayWrite = true);

// What the window must tell about a scan that read the log but could not
// list or mark it; empty when there is nothing to say.
QString scanNotice(const DataFile::ScanOutcome &outcome);

#endif // SCANPROGRESS_H
