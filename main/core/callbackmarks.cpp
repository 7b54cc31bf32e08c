#include "callbackmarks.h"

#include "callbacktime.h"
#include "callrecord.h"

CallBackMarks::CallBackMarks(const std::vector<CallBack> &callBacks)
{
    m_byCall.reserve(callBacks.size());
    for (const CallBack &callBack : callBacks)
        m_byCall.emplace(callBack.key, callBack);
}

std::vector<CallBack> CallBackMarks::all() const
{
    std::vector<CallBack> callBacks;
    callBacks.reserve(m_byCall.size());
    for (const auto &[key, callBack] : m_byCall)
        callBacks.push_back(callBack);
    return callBacks;
}

const CallBack *CallBackMarks::find(const RecordKey &key) const
{
    const auto found = m_byCall.find(key);
    return found == m_byCall.end() ? nullptr : &found->second;
}

const CallBack *CallBackMarks::find(const CallRecord &record) const
{
    return m_byCall.empty() ? nullptr : find(RecordKey::of(record));
}

void CallBackMarks::collect(const CallRecord *records, int firstRow, qint64 n,
                            std::unordered_map<int, CallBack> &byRow) const
{
    if (m_byCall.empty())
        return;
    for (qint64 i = 0; i < n; ++i)
        if (const CallBack *found = find(records[i]))
            byRow.emplace(firstRow + int(i), *found);
}

QString CallBackMarks::cellText(const CallBack *callBack)
{
    if (!callBack)
        return QString();
    const QString due = CallBackTime::dueText(callBack->dueAt);
    return callBack->isDone() ? due + QStringLiteral(" (done)") : due;
}
