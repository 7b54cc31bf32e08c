#ifndef CALLERNAMES_H
#define CALLERNAMES_H

#include "callrecord.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <limits>
#include <vector>

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

    // The calls from one number (matched by its digits) among the records
    // numbered below `before`: how many, and the number of the last.
    struct Calls
    {
        int count = 0;
        int last = 0;
    };
    Calls callsFrom(const QString &phone, int before = std::numeric_limits<int>::max()) const;
    // True when record `number`, first saved at `savedAt`, is a call from that number.
    bool isCallFrom(const QString &phone, int number, qint64 savedAt) const;

private:
    // Files record n under the digits of its phone; an edit in place moves it.
    void file(int number, qint64 savedAt, const QString &digits);

    struct Caller
    {
        QStringList names; // most recent first
        QStringList companies; // most recent first
    };

    QStringList m_names;
    QStringList m_companies;
    QHash<QString, Caller> m_byPhone; // keyed by the phone's digits
    QHash<QString, std::vector<int>> m_numbersByPhone; // record numbers, ascending
    std::vector<QString> m_phoneOf; // by record number: the digits it is filed under
    std::vector<qint64> m_savedAtOf; // by record number: its first-save time
};

#endif // CALLERNAMES_H
