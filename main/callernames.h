#ifndef CALLERNAMES_H
#define CALLERNAMES_H

#include "callrecord.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

// The names and companies of earlier calls, offered while a new call is
// typed: most recent first, one entry for texts that differ only in case,
// and those of earlier calls from the same phone number ahead of the rest.
class CallerNames
{
public:
    void clear();
    // Adds one call; each call added counts as more recent than the last.
    void add(const QString &phone, const QString &name, const QString &company);
    void add(const CallRecord &record);
    // Reads every record of a data file in file order; false when it cannot be read.
    bool load(const QString &dataPath);

    QStringList names(const QString &phone = QString()) const;
    QStringList companies(const QString &phone = QString()) const;

private:
    struct Seen
    {
        QString text;
        quint64 last = 0;
    };
    struct Kind
    {
        QHash<QString, Seen> byKey;
        mutable QStringList mostRecentFirst; // made again after an add
        mutable bool sorted = false;
        void add(const QString &text, quint64 when);
        QStringList list(const QStringList &first) const;
    };
    struct Caller
    {
        QStringList names;     // most recent first
        QStringList companies; // most recent first
    };

    Kind m_names;
    Kind m_companies;
    QHash<QString, Caller> m_byPhone; // keyed by the phone's digits
    quint64 m_calls = 0;
};

#endif // CALLERNAMES_H
