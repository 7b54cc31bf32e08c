// The open log's share of the companion store: call-backs for its calls, and
// what it knows of a caller. The store never stops the log: whatever it says
// goes to the message bar, and the log saves as before.

#include "openlog.h"

#include "callbackmarks.h"
#include "callbacktime.h"
#include "callerhistory.h"
#include "callernames.h"
#include "companionstore.h"

#include <QDateTime>

namespace {

StatusReport note(const QString &text)
{
    StatusReport report;
    report.message = text;
    report.messagePoints = 9;
    return report;
}

// Texts in the order met, each once whatever its case.
QStringList mergedFirst(QStringList first, const QStringList &rest)
{
    first.removeAll(QString());
    first.removeDuplicates();
    for (const QString &text : rest) {
        if (!first.contains(text, Qt::CaseInsensitive))
            first.append(text);
    }
    return first;
}

} // namespace

void OpenLog::openCompanion()
{
    // The call saved last belongs to the log it was saved in.
    if (m_companion->path() != CompanionStore::pathFor(path()))
        m_lastSaved.reset();
    m_companion->open(path());
}

CompanionStore &OpenLog::companion()
{
    switch (m_companion->state()) {
    case CompanionStore::State::Damaged:
    case CompanionStore::State::ForeignLog:
    case CompanionStore::State::ReadOnly:
    case CompanionStore::State::Newer:
        openCompanion();
        break;
    default:
        // Busy, missing and unavailable stores are tried again by the store itself.
        break;
    }
    return *m_companion;
}

std::optional<CallRecord> OpenLog::callOnDisplay() const
{
    const bool shown = m_state.EditMode || m_state.EditLocked;
    if (shown && statusOf(m_state.buffer) != RecordStatus::Unsaved && RecordKey::of(m_state.buffer).isValid())
        return m_state.buffer;
    return m_lastSaved;
}

StatusReport OpenLog::callBackChanged(int result, const QString &done)
{
    switch (CompanionStore::Result(result)) {
    case CompanionStore::Result::Done:
        return note(done);
    case CompanionStore::Result::NotFound:
        return note(QStringLiteral("That call has no call-back"));
    case CompanionStore::Result::NoteTooLong:
    case CompanionStore::Result::BadKey:
    case CompanionStore::Result::NotWritten:
        break;
    }
    return note(m_companion->problem());
}

StatusReport OpenLog::setCallBack(const RecordKey &key, qint64 dueAt, const QString &noteText)
{
    const auto result = companion().setCallBack(key, dueAt, noteText);
    return callBackChanged(int(result), QStringLiteral("Call back by %1 - saved").arg(CallBackTime::dueText(dueAt)));
}

StatusReport OpenLog::markCallBackDone(const RecordKey &key, qint64 when)
{
    return callBackChanged(int(companion().markDone(key, when)), QStringLiteral("Call-back done"));
}

StatusReport OpenLog::reopenCallBack(const RecordKey &key)
{
    return callBackChanged(int(companion().reopen(key)), QStringLiteral("Call-back open again"));
}

StatusReport OpenLog::removeCallBack(const RecordKey &key)
{
    return callBackChanged(int(companion().remove(key)), QStringLiteral("Call-back removed"));
}

CallBackCounts OpenLog::callBackCounts(const QDateTime &now)
{
    const CallBackTime::Day day = CallBackTime::dayOf(now);
    return companion().counts(now.toSecsSinceEpoch(), day.start, day.end);
}

CallBackMarks OpenLog::callBackMarks() const
{
    return CallBackMarks(m_companion->callBacks(true));
}

CallerHistory OpenLog::callerHistory(const QString &phone)
{
    CallerHistory history;
    const std::optional<CallRecord> shown = callOnDisplay();
    const bool showingSaved = (m_state.EditMode || m_state.EditLocked) && shown;
    const CallerNames::Calls calls =
        m_callers->callsFrom(phone, showingSaved ? shown->number() : std::numeric_limits<int>::max());
    CallRecord last;
    if (calls.count > 0 && DataFile::readRecord(path(), calls.last, last) == DataFile::ReadResult::Ok) {
        history.earlierCalls = calls.count;
        history.lastDate = last.text(CallRecord::Date);
        history.lastName = last.text(CallRecord::Name);
        history.lastCompany = last.text(CallRecord::Company);
    }
    CompanionStore &store = companion();
    for (const CallBack &callBack : store.callBacks(false)) {
        if (!m_callers->isCallFrom(phone, callBack.key.number, callBack.key.savedAt))
            continue;
        if (history.openCallBacks++ == 0)
            history.nextCallBack = callBack; // the list is oldest due first
    }
    // One wait for a busy store is enough.
    const QStringList names = contactsOf(phone, false);
    if (!names.isEmpty()) {
        history.contactName = names.front();
        history.contactCompany = contactsOf(phone, true).value(0);
    }
    return history;
}

QStringList OpenLog::contactsOf(const QString &phone, bool companies)
{
    QStringList texts;
    // Asked at every key typed into the phone: a store that is not open now
    // (busy, missing) is not waited for here.
    switch (m_companion->state()) {
    case CompanionStore::State::Ready:
    case CompanionStore::State::ReadOnly:
    case CompanionStore::State::Newer:
        break;
    default:
        return texts;
    }
    for (const ImportedContact &contact : m_companion->contactsFor(phone))
        texts << (companies ? contact.contact.company : contact.contact.name);
    return texts;
}

QStringList OpenLog::offeredNames(const QString &phone)
{
    return mergedFirst(contactsOf(phone, false), m_callers->names(phone));
}

QStringList OpenLog::offeredCompanies(const QString &phone)
{
    return mergedFirst(contactsOf(phone, true), m_callers->companies(phone));
}
