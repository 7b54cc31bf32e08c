#ifndef CALLERHISTORY_H
#define CALLERHISTORY_H

#include "companionstore.h"

#include <QDateTime>
#include <QString>

#include <optional>

// What the log knows of a caller once a phone number is typed: the earlier
// calls from that number, their open call-backs, and the address book's entry
// for it. Read from the log and the companion store each time; the store
// keeps no second copy of the log's names.
struct CallerHistory
{
    int earlierCalls = 0;
    // The last earlier call, as the log keeps it.
    QString lastDate;
    QString lastName;
    QString lastCompany;
    int openCallBacks = 0;
    std::optional<CallBack> nextCallBack; // the open one due first
    // The newest imported contact with that number.
    QString contactName;
    QString contactCompany;

    bool isEmpty() const
    {
        return earlierCalls == 0 && openCallBacks == 0 && contactName.isEmpty() && contactCompany.isEmpty();
    }
    // One line: "5 earlier calls, last 03/02/2026 – Ann Lee, Acme – call-back due 03/10 3:00PM".
    QString text(const QDateTime &now) const;
};

#endif // CALLERHISTORY_H
