#include "callsearch.h"

#include "callentry.h"

#include <QCollator>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>

namespace CallSearch {

QString fold(const QString &text)
{
    bool ascii = true;
    for (QChar c : text) {
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return text.toLower();
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString bare;
    bare.reserve(decomposed.size());
    for (QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            bare.append(c);
    }
    return bare.toCaseFolded();
}

QString phoneDigits(const QString &text)
{
    QString digits;
    digits.reserve(text.size());
    for (QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits.append(c);
    }
    return digits;
}

namespace {

// Reads one to `most` decimal digits at `at`, moving `at` past them; -1 when there are none.
int digitsAt(QStringView text, qsizetype &at, int most)
{
    int value = 0;
    int count = 0;
    while (at < text.size() && count < most && text.at(at) >= QLatin1Char('0') && text.at(at) <= QLatin1Char('9')) {
        value = value * 10 + (text.at(at).unicode() - '0');
        ++at;
        ++count;
    }
    if (at < text.size() && count == most && text.at(at) >= QLatin1Char('0') && text.at(at) <= QLatin1Char('9'))
        return -1; // more digits than the part holds
    return count > 0 ? value : -1;
}

void skipSpaces(QStringView text, qsizetype &at)
{
    while (at < text.size() && text.at(at).isSpace())
        ++at;
}

bool takes(QStringView text, qsizetype &at, char c)
{
    if (at < text.size() && text.at(at) == QLatin1Char(c)) {
        ++at;
        return true;
    }
    return false;
}

} // namespace

// Read by hand rather than by pattern: the grid's sort and the CSV export
// read every record's date and time.
bool storedDateParts(QStringView text, int &year, int &month, int &day)
{
    qsizetype at = 0;
    skipSpaces(text, at);
    month = digitsAt(text, at, 2);
    if (month < 0 || !takes(text, at, '/'))
        return false;
    day = digitsAt(text, at, 2);
    if (day < 0 || !takes(text, at, '/'))
        return false;
    const qsizetype yearAt = at;
    year = digitsAt(text, at, 4);
    if (year < 0 || at - yearAt != 4)
        return false;
    skipSpaces(text, at);
    return at == text.size() && QDate::isValid(year, month, day);
}

QDate storedDate(QStringView text)
{
    int year = 0;
    int month = 0;
    int day = 0;
    return storedDateParts(text, year, month, day) ? QDate(year, month, day) : QDate();
}

int storedMinutes(QStringView text)
{
    qsizetype at = 0;
    skipSpaces(text, at);
    int hour = digitsAt(text, at, 2);
    if (hour < 0 || !takes(text, at, ':'))
        return -1;
    const qsizetype minuteAt = at;
    const int minute = digitsAt(text, at, 2);
    if (minute < 0 || at - minuteAt != 2 || minute > 59)
        return -1;
    skipSpaces(text, at);
    int half = 0; // 1 for AM, 2 for PM
    if (at + 1 < text.size() && (text.at(at + 1) == QLatin1Char('M') || text.at(at + 1) == QLatin1Char('m'))) {
        const QChar h = text.at(at);
        if (h == QLatin1Char('A') || h == QLatin1Char('a'))
            half = 1;
        else if (h == QLatin1Char('P') || h == QLatin1Char('p'))
            half = 2;
        if (half)
            at += 2;
    }
    skipSpaces(text, at);
    if (at != text.size())
        return -1;
    if (half == 0) {
        if (hour > 23)
            return -1;
    } else {
        if (hour < 1 || hour > 12)
            return -1;
        hour = hour % 12 + (half == 2 ? 12 : 0);
    }
    return hour * 60 + minute;
}

DateBound parseDateBound(const QString &text)
{
    DateBound bound;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return bound;
    bound.blank = false;
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})$"));
    const QRegularExpressionMatch match = iso.match(trimmed);
    bound.date = match.hasMatch()
        ? QDate(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt())
        : storedDate(trimmed);
    bound.valid = bound.date.isValid();
    return bound;
}

bool Filter::isEmpty() const
{
    return text.trimmed().isEmpty() && type.isNull() && !from.isValid() && !to.isValid() && status == StatusChoice::Any
        && !openCallBacksOnly;
}

Row rowOf(const CallRecord &record)
{
    // Built straight from the record's bytes: every record of a long log
    // passes here when the first search is typed.
    char16_t units[3 * CallRecord::MaxFieldWidth + 3];
    char16_t *words = units;
    QString folded;
    for (CallRecord::Field field : {CallRecord::Name, CallRecord::Company, CallRecord::Notes}) {
        char16_t *start = words;
        const int n = record.copyText(field, start);
        bool ascii = true;
        for (int i = 0; i < n; ++i) {
            char16_t &c = start[i];
            if (c >= 0x80) {
                ascii = false;
                break;
            }
            if (c >= u'A' && c <= u'Z')
                c = char16_t(c + (u'a' - u'A'));
        }
        if (!ascii) {
            // Rare: folded on its own and joined to the rest afterwards.
            folded += QString(reinterpret_cast<const QChar *>(units), start - units);
            folded += fold(QString(reinterpret_cast<const QChar *>(start), n));
            words = units;
        } else {
            words = start + n;
        }
        *words++ = u'\n';
    }
    Row row;
    row.words = folded + QString(reinterpret_cast<const QChar *>(units), words - units - 1);

    char16_t field[CallRecord::MaxFieldWidth];
    int n = record.copyText(CallRecord::Phone, field);
    char16_t digits[CallRecord::MaxFieldWidth];
    int count = 0;
    for (int i = 0; i < n; ++i) {
        if (field[i] >= u'0' && field[i] <= u'9')
            digits[count++] = field[i];
    }
    row.digits = QString(reinterpret_cast<const QChar *>(digits), count);
    n = record.copyText(CallRecord::Type, field);
    row.type = n == 1 ? QChar(field[0]) : QChar();
    n = record.copyText(CallRecord::Status, field);
    row.status = n == 1 ? QChar(field[0]) : QChar();
    n = record.copyText(CallRecord::Date, field);
    const QDate date = storedDate(QStringView(field, n));
    row.day = date.isValid() ? date.toJulianDay() : 0;
    return row;
}

Matcher::Matcher(const Filter &filter)
    : m_filter(filter)
{
    static const QRegularExpression phoneLike(QStringLiteral("^[0-9()+\\-./#]*[0-9][0-9()+\\-./#]*$"));
    const QStringList terms = filter.text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    for (const QString &term : terms) {
        Term t;
        t.folded = fold(term);
        if (phoneLike.match(term).hasMatch())
            t.digits = phoneDigits(term);
        m_terms.push_back(t);
    }
}

bool Matcher::matches(const Row &row) const
{
    if (!fieldsMatch(row.type, row.status, row.day))
        return false;
    for (const Term &term : m_terms) {
        if (row.words.contains(term.folded))
            continue;
        if (!term.digits.isEmpty() && row.digits.contains(term.digits))
            continue;
        return false;
    }
    return true;
}

bool Matcher::fieldsMatch(QChar type, QChar status, qint64 day) const
{
    if (!m_filter.type.isNull() && type != m_filter.type)
        return false;
    const bool altered = status == QChar(letterOf(RecordStatus::Compromised));
    const bool edited = status == QChar(letterOf(RecordStatus::Edited));
    switch (m_filter.status) {
    case StatusChoice::Any:
        break;
    case StatusChoice::AlteredOrEdited:
        if (!altered && !edited)
            return false;
        break;
    case StatusChoice::Altered:
        if (!altered)
            return false;
        break;
    case StatusChoice::Edited:
        if (!edited)
            return false;
        break;
    }
    // A record whose date cannot be read is kept out of a date range.
    if (m_filter.from.isValid() && (day == 0 || day < m_filter.from.toJulianDay()))
        return false;
    if (m_filter.to.isValid() && (day == 0 || day > m_filter.to.toJulianDay()))
        return false;
    return true;
}

std::vector<int> collationRanks(const std::vector<QString> &texts, const QCollator &collator)
{
    // Logs repeat their names and companies: each distinct text is ordered once.
    QHash<QString, int> distinct;
    std::vector<int> slot(texts.size());
    std::vector<QString> unique;
    for (size_t i = 0; i < texts.size(); ++i) {
        auto found = distinct.constFind(texts[i]);
        if (found == distinct.constEnd()) {
            found = distinct.insert(texts[i], int(unique.size()));
            unique.push_back(texts[i]);
        }
        slot[i] = found.value();
    }
    std::vector<QCollatorSortKey> keys;
    keys.reserve(unique.size());
    for (const QString &text : unique)
        keys.push_back(collator.sortKey(text));
    std::vector<int> order(unique.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int byCollator = keys[size_t(a)].compare(keys[size_t(b)]);
        // Texts the collator holds equal still get one fixed order.
        return byCollator != 0 ? byCollator < 0 : unique[size_t(a)] < unique[size_t(b)];
    });
    std::vector<int> rankOfUnique(unique.size());
    for (size_t i = 0; i < order.size(); ++i)
        rankOfUnique[size_t(order[i])] = int(i);
    std::vector<int> ranks(texts.size());
    for (size_t i = 0; i < texts.size(); ++i)
        ranks[i] = rankOfUnique[size_t(slot[i])];
    return ranks;
}

} // namespace CallSearch
