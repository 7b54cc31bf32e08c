#include "callsearch.h"

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

QDate storedDate(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*(\\d{1,2})/(\\d{1,2})/(\\d{4})\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return QDate();
    return QDate(match.captured(3).toInt(), match.captured(1).toInt(), match.captured(2).toInt());
}

int storedMinutes(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(\\d{1,2}):(\\d{2})\\s*([AaPp][Mm])?\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return -1;
    int hour = match.captured(1).toInt();
    const int minute = match.captured(2).toInt();
    const QString half = match.captured(3).toUpper();
    if (minute > 59)
        return -1;
    if (half.isEmpty()) {
        if (hour > 23)
            return -1;
    } else {
        if (hour < 1 || hour > 12)
            return -1;
        hour = hour % 12 + (half == QLatin1String("PM") ? 12 : 0);
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
    return text.trimmed().isEmpty() && type.isNull() && !from.isValid() && !to.isValid()
        && status == StatusChoice::Any;
}

Row rowOf(const CallRecord &record)
{
    Row row;
    row.words = fold(record.text(CallRecord::Name)) + QLatin1Char('\n') + fold(record.text(CallRecord::Company))
        + QLatin1Char('\n') + fold(record.text(CallRecord::Notes));
    row.digits = phoneDigits(record.text(CallRecord::Phone));
    const QString type = record.text(CallRecord::Type);
    row.type = type.size() == 1 ? type.at(0) : QChar();
    const QString status = record.text(CallRecord::Status);
    row.status = status.size() == 1 ? status.at(0) : QChar();
    const QDate date = storedDate(record.text(CallRecord::Date));
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
    if (!m_filter.type.isNull() && row.type != m_filter.type)
        return false;
    switch (m_filter.status) {
    case StatusChoice::Any:
        break;
    case StatusChoice::AlteredOrEdited:
        if (row.status != QLatin1Char('X') && row.status != QLatin1Char('E'))
            return false;
        break;
    case StatusChoice::Altered:
        if (row.status != QLatin1Char('X'))
            return false;
        break;
    case StatusChoice::Edited:
        if (row.status != QLatin1Char('E'))
            return false;
        break;
    }
    // A record whose date cannot be read is kept out of a date range.
    if (m_filter.from.isValid() && (row.day == 0 || row.day < m_filter.from.toJulianDay()))
        return false;
    if (m_filter.to.isValid() && (row.day == 0 || row.day > m_filter.to.toJulianDay()))
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
