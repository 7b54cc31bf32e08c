#include "callernames.h"

#include "callsearch.h"
#include "datafile.h"
#include "entryrules.h"

#include <QSet>

#include <vector>

namespace {

// What the entry rules put in a field left empty is no one's name.
bool worthOffering(const QString &text)
{
    const QString trimmed = text.trimmed();
    return !trimmed.isEmpty() && trimmed != QLatin1String("Unknown Caller") && trimmed != QLatin1String("Unknown")
        && trimmed != EntryRules::NamePlaceholder && trimmed != EntryRules::CompanyPlaceholder;
}

// Puts `text` at the head of `list`, dropping a copy that differs only in case.
void putFirst(QStringList &list, const QString &text)
{
    if (!worthOffering(text))
        return;
    const QString key = CallSearch::fold(text);
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list.at(i).compare(text, Qt::CaseInsensitive) == 0 || CallSearch::fold(list.at(i)) == key) {
            list.removeAt(i);
            break;
        }
    }
    list.prepend(text);
}

// Texts in the order met, without those that differ from an earlier one only in case.
QStringList distinct(const QStringList &texts)
{
    QStringList kept;
    QSet<QString> seen;
    for (const QString &text : texts) {
        if (!worthOffering(text))
            continue;
        const QString key = CallSearch::fold(text);
        if (seen.contains(key))
            continue;
        seen.insert(key);
        kept.append(text);
    }
    return kept;
}

QStringList offered(const QStringList &first, const QStringList &all)
{
    if (first.isEmpty())
        return all;
    QStringList texts = first;
    texts.reserve(first.size() + all.size());
    for (const QString &text : all) {
        if (!first.contains(text, Qt::CaseInsensitive))
            texts.append(text);
    }
    return texts;
}

// Earlier calls from one phone as written: their names and companies, newest first.
struct PhoneCalls
{
    static constexpr int Kept = 8;
    QStringList names;
    QStringList companies;
};

} // namespace

void CallerNames::clear()
{
    m_names.clear();
    m_companies.clear();
    m_byPhone.clear();
}

void CallerNames::add(const QString &phone, const QString &name, const QString &company)
{
    putFirst(m_names, name);
    putFirst(m_companies, company);
    const QString digits = CallSearch::phoneDigits(phone);
    if (digits.isEmpty())
        return;
    Caller &caller = m_byPhone[digits];
    putFirst(caller.names, name);
    putFirst(caller.companies, company);
}

void CallerNames::add(const CallRecord &record)
{
    add(record.text(CallRecord::Phone), record.text(CallRecord::Name), record.text(CallRecord::Company));
}

bool CallerNames::load(const QString &dataPath)
{
    clear();
    DataFile::LogReader reader(dataPath);
    if (!reader.open())
        return false;
    const qint64 wanted = reader.count();

    // Newest first, in blocks, so that each text is kept where it was first
    // met and a long log costs no more memory than one block and its
    // distinct texts.
    QHash<QString, bool> seenNames;
    QHash<QString, bool> seenCompanies;
    QHash<QString, int> phoneAt;
    QStringList names;
    QStringList companies;
    QStringList phones;
    std::vector<PhoneCalls> calls;
    constexpr qint64 Block = 1024;
    std::vector<CallRecord> block(static_cast<size_t>(Block));
    for (qint64 end = wanted; end > 0;) {
        const qint64 count = qMin(Block, end);
        const qint64 first = end - count;
        if (!reader.read(first, count, block.data()))
            break;
        for (qint64 i = count - 1; i >= 0; --i) {
            const CallRecord &record = block[size_t(i)];
            const QString name = record.text(CallRecord::Name);
            const QString company = record.text(CallRecord::Company);
            if (!seenNames.contains(name)) {
                seenNames.insert(name, true);
                names.append(name);
            }
            if (!seenCompanies.contains(company)) {
                seenCompanies.insert(company, true);
                companies.append(company);
            }
            const QString phone = record.text(CallRecord::Phone);
            auto at = phoneAt.constFind(phone);
            if (at == phoneAt.constEnd()) {
                at = phoneAt.insert(phone, int(calls.size()));
                phones.append(phone);
                calls.emplace_back();
            }
            PhoneCalls &call = calls[size_t(at.value())];
            if (call.names.size() < PhoneCalls::Kept && !call.names.contains(name))
                call.names.append(name);
            if (call.companies.size() < PhoneCalls::Kept && !call.companies.contains(company))
                call.companies.append(company);
        }
        end = first;
    }

    m_names = distinct(names);
    m_companies = distinct(companies);
    for (qsizetype i = 0; i < phones.size(); ++i) {
        const QString digits = CallSearch::phoneDigits(phones.at(i));
        if (digits.isEmpty())
            continue;
        Caller &caller = m_byPhone[digits];
        caller.names = distinct(caller.names + calls[size_t(i)].names);
        caller.companies = distinct(caller.companies + calls[size_t(i)].companies);
    }
    return true;
}

QStringList CallerNames::names(const QString &phone) const
{
    const QString digits = CallSearch::phoneDigits(phone);
    const auto caller = digits.isEmpty() ? m_byPhone.constEnd() : m_byPhone.constFind(digits);
    return offered(caller == m_byPhone.constEnd() ? QStringList() : caller->names, m_names);
}

QStringList CallerNames::companies(const QString &phone) const
{
    const QString digits = CallSearch::phoneDigits(phone);
    const auto caller = digits.isEmpty() ? m_byPhone.constEnd() : m_byPhone.constFind(digits);
    return offered(caller == m_byPhone.constEnd() ? QStringList() : caller->companies, m_companies);
}
