#include "Globdatunit1.h"

void RecordState::prepareBuffer()
{
    buffer.setText(CallRecord::Status, QStringLiteral("+"));
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
        buffer.setText(CallRecord::Status, QStringLiteral("X"));
    }
}
