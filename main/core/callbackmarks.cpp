#include "callbackmarks.h"

#include "callbacktime.h"
#include "callrecord.h"

CallBackMarks::CallBackMarks(const std::vector<CallBack> &callBacks)
{
    m_byCall.reserve(callBacks.size());
    for (const CallBack &callBack : callBacks)
        m_byCall.emplace(callBack.key, callBack);
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

QString CallBackMarks::cellText(const CallBack *callBack)
{
    if (!callBack)
        return QString();
    const QString due = CallBackTime::dueText(callBack->dueAt);
    return callBack->isDone() ? due + QStringLiteral(" (done)") : due;
}
