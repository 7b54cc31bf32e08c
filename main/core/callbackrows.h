#ifndef CALLBACKROWS_H
#define CALLBACKROWS_H

#include "companionstore.h"

#include <QString>

#include <vector>

// One line of the call-backs window: a call-back with the call it belongs to,
// read from the log by its record number.
struct CallBackRow
{
    enum class Call {
        Same, // the record is the call the call-back was set for
        Altered, // that call, changed outside the program (status X or a failing hash)
        Other, // the record now holds another call
        Missing, // there is no such record in the log
    };
    CallBack callBack;
    Call call = Call::Same;
    // The call's texts as the log keeps them, the notes' first line only;
    // empty unless the record is the call's.
    QString name;
    QString company;
    QString phone;
    QString notes;
};

// Reads the calls of `callBacks` from the log in one pass of the file.
std::vector<CallBackRow> callBackRows(const QString &dataPath, const std::vector<CallBack> &callBacks);

#endif // CALLBACKROWS_H
