#include "callernames.h"

#include "callsearch.h"
#include "datafile.h"
#include "entryrules.h"

#include <QSet>

#include <algorithm>
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

// Earlier calls from one phone as written: their names and companies, newest
// first, and the numbers of all of them.
struct PhoneCalls
{
    static constexpr int Kept = 8;
    QStringList names;
    QStringList companies;
    std::vector<int> numbers;
};

// The first-save time, read without making a text of it: every record of a
// long log passes here.
qint64 firstSaved(const CallRecord &record)
{
    char16_t units[CallRecord::MaxFieldWidth];
    const int n = record.copyText(CallRecord::SavedAt, units);
    qint64 value = 0;
    for (int i = 0; i < n && units[i] >= u'0' && units[i] <= u'9' && value < (qint64(1) << 58); ++i)
        value = value * 10 + (units[i] - u'0');
    return value;
}

// Each number's calls in record order, and each record's number: an empty
// text for a call without one, a null text where there is no record.
void fileByRecord(QHash<QString, std::vector<int>> &numbersByPhone, std::vector<QString> &phoneOf, size_t records)
{
    phoneOf.assign(records, QStringLiteral(""));
    for (auto it = numbersByPhone.begin(); it != numbersByPhone.end(); ++it) {
        std::sort(it->begin(), it->end());
        for (int number : it.value())
            phoneOf[size_t(number)] = it.key();
    }
    if (!phoneOf.empty())
        phoneOf[0] = QString();
}

} // namespace

void CallerNames::clear()
{
    m_names.clear();
    m_companies.clear();
    m_byPhone.clear();
    m_numbersByPhone.clear();
    m_phoneOf.clear();
    m_savedAtOf.clear();
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
    const QString phone = record.text(CallRecord::Phone);
    add(phone, record.text(CallRecord::Name), record.text(CallRecord::Company));
    file(record.number(), firstSaved(record), CallSearch::phoneDigits(phone));
}

void CallerNames::file(int number, qint64 savedAt, const QString &digits)
{
    // A save adds the next number; anything far beyond is no record of this log.
    if (number <= 0 || size_t(number) > m_phoneOf.size() + 1024)
        return;
    const size_t at = size_t(number);
    if (at >= m_phoneOf.size()) {
        m_phoneOf.resize(at + 1);
        m_savedAtOf.resize(at + 1);
    }
    m_savedAtOf[at] = savedAt;
    QString &filed = m_phoneOf[at];
    if (!filed.isNull() && filed == digits)
        return;
    if (!filed.isEmpty()) {
        std::vector<int> &before = m_numbersByPhone[filed];
        before.erase(std::remove(before.begin(), before.end(), number), before.end());
    }
    // An empty text files a call without a number; a null one, none at all.
    filed = digits.isEmpty() ? QStringLiteral("") : digits;
    if (digits.isEmpty())
        return;
    std::vector<int> &numbers = m_numbersByPhone[digits];
    numbers.insert(std::lower_bound(numbers.begin(), numbers.end(), number), number);
}

CallerNames::Calls CallerNames::callsFrom(const QString &phone, int before) const
{
    Calls calls;
    const auto found = m_numbersByPhone.constFind(CallSearch::phoneDigits(phone));
    if (found == m_numbersByPhone.constEnd())
        return calls;
    const std::vector<int> &numbers = found.value();
    const auto end = std::lower_bound(numbers.begin(), numbers.end(), before);
    calls.count = int(end - numbers.begin());
    calls.last = calls.count > 0 ? *(end - 1) : 0;
    return calls;
}

bool CallerNames::isCallFrom(const QString &phone, int number, qint64 savedAt) const
{
    if (number <= 0 || size_t(number) >= m_phoneOf.size() || m_savedAtOf[size_t(number)] != savedAt)
        return false;
    const QString digits = CallSearch::phoneDigits(phone);
    return !digits.isEmpty() && m_phoneOf[size_t(number)] == digits;
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
            // Filed by its place in the file, which a whole log's numbers follow.
            const int number = int(first + i + 1);
            call.numbers.push_back(number);
            if (size_t(number) >= m_savedAtOf.size())
                m_savedAtOf.resize(size_t(number) + 1);
            m_savedAtOf[size_t(number)] = firstSaved(record);
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
        std::vector<int> &numbers = m_numbersByPhone[digits];
        numbers.insert(numbers.end(), calls[size_t(i)].numbers.begin(), calls[size_t(i)].numbers.end());
    }
    fileByRecord(m_numbersByPhone, m_phoneOf, m_savedAtOf.size());
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
