#include "Globdatunit1.h"

#include "callentry.h"

void RecordState::prepareBuffer()
{
    setStatus(buffer, RecordStatus::Unsaved);
    buffer.setText(CallRecord::Hash, QStringLiteral("~"));
    buffer.setText(CallRecord::Spare1, QStringLiteral("1001"));
    buffer.setText(CallRecord::Spare2, QStringLiteral("1002"));
}

void RecordState::checkBuffer()
{
    if (buffer.verify()) {
        EditMode = true;
        EditLocked = false;
    } else {
        EditMode = false;
        EditLocked = true;
        setStatus(buffer, RecordStatus::Compromised);
    }
}
