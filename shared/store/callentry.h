#ifndef CALLENTRY_H
#define CALLENTRY_H

#include "callrecord.h"

#include <QString>
#include <QStringView>

// The kind of call, kept as one letter in the record's type field.
enum class CallType { In, Out, Message, None };

// What happened to a record, kept as one letter in its status field.
enum class RecordStatus {
    Original, // saved once and never edited
    Edited, // saved over an earlier version
    Compromised, // failed its hash check
    Unsaved, // the record buffer before anything was read or saved
    Unknown, // any other text
};

char16_t letterOf(CallType type);
char16_t letterOf(RecordStatus status);
// The type field's text as a type: None for anything but the three letters.
CallType callTypeOf(QStringView stored);
RecordStatus statusOf(QStringView stored);

RecordStatus statusOf(const CallRecord &record);
void setStatus(CallRecord &record, RecordStatus status);

// One call as the log-entry window holds it.
struct CallEntry
{
    CallType type = CallType::None;
    QString date;
    QString time;
    QString phone;
    QString name;
    QString company;
    QString notes;

    static CallEntry fromRecord(const CallRecord &record);

    enum class Save { New, Edit };
    // Writes the entry into `record` under `number`. A new record is
    // "original" and first saved at `savedAt` (seconds since 1970); an edit
    // keeps the first-save time the record already holds. The hash and the
    // spare fields are left to the store.
    void fillRecord(CallRecord &record, Save save, qint64 number, qint64 savedAt = 0) const;
};

#endif // CALLENTRY_H
