#ifndef CALLERNAMES_H
#define CALLERNAMES_H

#include "callrecord.h"

#include <QHash>
#include <QString>
#include <QStringList>

// The names and companies of earlier calls, offered while a new call is
// typed: most recent first, one entry for texts that differ only in case,
// and those of earlier calls from the same phone number ahead of the rest.
class CallerNames
{
public:
    void clear();
    // Adds one call as the most recent.
    void add(const QString &phone, const QString &name, const QString &company);
    void add(const CallRecord &record);
    // Reads every record of a data file; false when it cannot be read.
    bool load(const QString &dataPath);

    QStringList names(const QString &phone = QString()) const;
    QStringList companies(const QString &phone = QString()) const;

private:
    struct Caller
    {
        QStringList names; // most recent first
        QStringList companies; // most recent first
    };

    QStringList m_names;
    QStringList m_companies;
    QHash<QString, Caller> m_byPhone; // keyed by the phone's digits
};

#endif // CALLERNAMES_H
