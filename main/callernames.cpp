#include "callernames.h"

#include "callsearch.h"
#include "entryrules.h"

#include <QFile>

#include <algorithm>

namespace {

// What the entry rules put in a field left empty is no one's name.
bool worthOffering(const QString &text)
{
    const QString trimmed = text.trimmed();
    return !trimmed.isEmpty() && trimmed != QLatin1String("Unknown Caller") && trimmed != QLatin1String("Unknown")
        && trimmed != EntryRules::NamePlaceholder && trimmed != EntryRules::CompanyPlaceholder;
}

void putFirst(QStringList &list, const QString &text)
{
    const QString key = text.toCaseFolded();
    for (int i = 0; i < list.size(); ++i) {
        if (list.at(i).toCaseFolded() == key) {
            list.removeAt(i);
            break;
        }
    }
    list.prepend(text);
}

} // namespace

void CallerNames::clear()
{
    m_names = Kind();
    m_companies = Kind();
    m_byPhone.clear();
    m_calls = 0;
}

void CallerNames::Kind::add(const QString &text, quint64 when)
{
    if (!worthOffering(text))
        return;
    Seen &seen = byKey[text.toCaseFolded()];
    seen.text = text;
    seen.last = when;
    sorted = false;
}

QStringList CallerNames::Kind::list(const QStringList &first) const
{
    if (!sorted) {
        std::vector<const Seen *> all;
        all.reserve(size_t(byKey.size()));
        for (const Seen &seen : byKey)
            all.push_back(&seen);
        std::sort(all.begin(), all.end(), [](const Seen *a, const Seen *b) { return a->last > b->last; });
        mostRecentFirst.clear();
        mostRecentFirst.reserve(qsizetype(all.size()));
        for (const Seen *seen : all)
            mostRecentFirst.append(seen->text);
        sorted = true;
    }
    if (first.isEmpty())
        return mostRecentFirst;
    QStringList texts = first;
    texts.reserve(first.size() + mostRecentFirst.size());
    for (const QString &text : mostRecentFirst) {
        if (!first.contains(text, Qt::CaseInsensitive))
            texts.append(text);
    }
    return texts;
}

void CallerNames::add(const QString &phone, const QString &name, const QString &company)
{
    ++m_calls;
    m_names.add(name, m_calls);
    m_companies.add(company, m_calls);
    const QString digits = CallSearch::phoneDigits(phone);
    if (digits.isEmpty())
        return;
    Caller &caller = m_byPhone[digits];
    if (worthOffering(name))
        putFirst(caller.names, name);
    if (worthOffering(company))
        putFirst(caller.companies, company);
}

void CallerNames::add(const CallRecord &record)
{
    add(record.text(CallRecord::Phone), record.text(CallRecord::Name), record.text(CallRecord::Company));
}

bool CallerNames::load(const QString &dataPath)
{
    clear();
    QFile file(dataPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // The same bound as every reader of the log: records 1 to the last
    // record's number, never past the file's last whole record. Read in
    // blocks, so that a long log costs no more memory than one block.
    const qint64 size = file.size();
    CallRecord last;
    if (size < RecordSize || !file.seek(size - RecordSize)
        || file.read(reinterpret_cast<char *>(last.bytes.data()), RecordSize) != RecordSize)
        return true;
    const qint64 wanted = qMin<qint64>(qMax(last.number(), 0), size / RecordSize);
    constexpr qint64 Block = 1024;
    std::vector<CallRecord> block(static_cast<size_t>(Block));
    static_assert(sizeof(CallRecord) == RecordSize, "records are read as one block");
    if (!file.seek(0))
        return true;
    for (qint64 done = 0; done < wanted;) {
        const qint64 count = qMin(Block, wanted - done);
        if (file.read(reinterpret_cast<char *>(block.data()), count * RecordSize) != count * RecordSize)
            break;
        for (qint64 i = 0; i < count; ++i)
            add(block[size_t(i)]);
        done += count;
    }
    return true;
}

QStringList CallerNames::names(const QString &phone) const
{
    const QString digits = CallSearch::phoneDigits(phone);
    const auto caller = digits.isEmpty() ? m_byPhone.constEnd() : m_byPhone.constFind(digits);
    return m_names.list(caller == m_byPhone.constEnd() ? QStringList() : caller->names);
}

QStringList CallerNames::companies(const QString &phone) const
{
    const QString digits = CallSearch::phoneDigits(phone);
    const auto caller = digits.isEmpty() ? m_byPhone.constEnd() : m_byPhone.constFind(digits);
    return m_companies.list(caller == m_byPhone.constEnd() ? QStringList() : caller->companies);
}
