// The open log's companion store and what the address book adds to the
// names offered while a call is typed. The store never stops the log: a
// store that cannot be read offers nothing, and the log saves as before.

#include "openlog.h"

#include "callernames.h"
#include "companionstore.h"

namespace {

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
    m_companion->open(path());
}

CompanionStore &OpenLog::companion()
{
    switch (m_companion->state()) {
    case CompanionStore::State::Closed:
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

void OpenLog::closeAdditions()
{
    m_companion->close();
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
