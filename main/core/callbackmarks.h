#ifndef CALLBACKMARKS_H
#define CALLBACKMARKS_H

#include "companionstore.h"

#include <QDateTime>
#include <QString>

#include <unordered_map>
#include <vector>

struct CallRecord;

// The call-backs of a log found by the call they belong to, read once for a
// pass over every record: what the CSV export writes after each row, and what
// the review grid's "Call back" column and "open call-backs" filter show.
class CallBackMarks
{
public:
    CallBackMarks() = default;
    explicit CallBackMarks(const std::vector<CallBack> &callBacks);

    // The call-back of the call, or null; a record edited in place keeps its own.
    const CallBack *find(const RecordKey &key) const;
    const CallBack *find(const CallRecord &record) const;
    // Adds the call-backs of `n` records, shown from row `firstRow` on, to `byRow`.
    void collect(const CallRecord *records, int firstRow, qint64 n, std::unordered_map<int, CallBack> &byRow) const;
    bool isEmpty() const { return m_byCall.empty(); }
    // Every call-back, in no particular order: for counts over all of them.
    std::vector<CallBack> all() const;
    int size() const { return int(m_byCall.size()); }

    // One cell: "03/10/2026 3:00PM", with " (done)" once done; empty for none.
    static QString cellText(const CallBack *callBack);
    // True for an open call-back, the filter's choice.
    static bool isOpen(const CallBack *callBack) { return callBack && !callBack->isDone(); }

private:
    struct KeyHash
    {
        size_t operator()(const RecordKey &key) const noexcept
        {
            return std::hash<qint64>()(key.savedAt * 1000003 + key.number);
        }
    };
    std::unordered_map<RecordKey, CallBack, KeyHash> m_byCall;
};

#endif // CALLBACKMARKS_H
