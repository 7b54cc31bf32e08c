#ifndef GLOBDATUNIT1_H
#define GLOBDATUNIT1_H

#include "callrecord.h"
#include "configfile.h"

#include <QString>

// The record buffer and the record state of the main program. One instance
// lives as long as the log-entry window; its commands and the export read and
// write records through it.
struct RecordState
{
    CallRecord buffer; // the record buffer: working copy of every read and write
    int RecordCount = 0; // number of the last record in the data file
    int SelectedRecord = 0; // record last chosen for display; the target of an edit
    bool EditMode = false; // the buffer holds a displayed record that passed its check
    bool EditLocked = false; // the record last displayed failed its check
    QString DataFileName = DefaultDataFileName;
    Configuration configuration;

    // Status "+", hash "~" and the two spare fields, as every initialisation sets them.
    void prepareBuffer();
    // Compares the buffer's hash with its contents and sets EditMode and
    // EditLocked; a failing record gets status "X" in the buffer only.
    void checkBuffer();
};

#endif // GLOBDATUNIT1_H
