#include "entryrules.h"

namespace EntryRules {

namespace {

const QChar Backspace(u'\u0008');
const QChar Slash(u'/');
const QChar Colon(u':');
const QChar Blank(u' ');
const QString Unknown = QStringLiteral("Unknown");

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
}

bool allDigits(QStringView text)
{
    for (QChar c : text) {
        if (!isDigit(c))
            return false;
    }
    return true;
}

// Month and day are numbers only when every character is a digit; anything
// else (a "/" read where a digit was expected, a pasted sign or blank) is a
// wrong date, never a failure of the window.
bool toNumber(const QString &text, int &value)
{
    if (text.isEmpty() || !allDigits(text))
        return false;
    value = 0;
    for (QChar c : text)
        value = value * 10 + (c.unicode() - '0');
    return true;
}

// Character at i, or a null character past the end, so that a missing
// character counts as neither digit, letter nor separator.
QChar at(const QString &text, int i)
{
    return i < text.size() ? text.at(i) : QChar();
}

// The 24-hour forms: the hour decides AM or PM; the designator's M comes
// from the current time text.
QString hourAndDesignator(const QString &hour, const QString &minutes, const QString &now)
{
    const int h = hour.toInt();
    const QChar second = at(now, 6);
    QString result;
    if (h >= 13) {
        result = QStringLiteral("%1").arg(h - 12, 2, 10, QLatin1Char('0'));
        result += Colon + minutes + QLatin1Char('P');
    } else {
        result = hour + Colon + minutes + QLatin1Char('A');
    }
    if (!second.isNull())
        result += second;
    return result;
}

// Upper-case designator and a blank in place of the hour's leading zero.
QString finalTouch(QString result)
{
    for (int i = 5; i < 7 && i < result.size(); ++i)
        result[i] = result.at(i).toUpper();
    if (result.size() >= 2 && result.at(0) == QLatin1Char('0') && result.at(1) != QLatin1Char('0'))
        result[0] = Blank;
    return result;
}

} // namespace

QString defaultDateText(const QDate &today)
{
    return QStringLiteral("%1/%2/%3").arg(today.month()).arg(today.day()).arg(today.year(), 4, 10, QLatin1Char('0'));
}

QString currentTimeText(const QTime &now)
{
    int hour = now.hour() % 12;
    if (hour == 0)
        hour = 12;
    return QStringLiteral("%1:%2%3")
        .arg(hour, 2, 10, QLatin1Char('0'))
        .arg(now.minute(), 2, 10, QLatin1Char('0'))
        .arg(now.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}

bool dateKeyAccepted(QChar c)
{
    return c == Slash || isDigit(c) || c == Backspace;
}

bool timeKeyAccepted(QChar c)
{
    static const QString letters = QStringLiteral("AMPamp");
    return isDigit(c) || c == Colon || letters.contains(c) || c == Backspace;
}

bool phoneKeyAccepted(QChar c, const QString &phoneSeparator)
{
    return (!phoneSeparator.isEmpty() && c == phoneSeparator.at(0)) || c == Backspace || isDigit(c);
}

bool textKeyAccepted(QChar c)
{
    return c != QChar(u'\u00AC');
}

DateResult normalizeDate(const QString &entry, const QString &defaultDate)
{
    const DateResult wrong{true, defaultDate};
    const QString &t = entry;
    const int n = int(t.size());

    if (n < 8 || n > 11 || !t.contains(Slash))
        return wrong;
    for (QChar c : t) {
        if (isAsciiLetter(c))
            return wrong;
    }

    // Positional parse: one or two month characters, one separator, then the day.
    QString monthText;
    QString daySource;
    if (isDigit(t.at(1))) {
        monthText = t.mid(0, 2);
        daySource = t.mid(3, 3);
    } else {
        monthText = QStringLiteral("0") + t.at(0);
        daySource = t.mid(2, 2);
    }
    int month = 0;
    if (!toNumber(monthText, month) || month < 1 || month > 12)
        return wrong;

    const QString dayText = isDigit(daySource.at(1)) ? daySource.left(2) : QStringLiteral("0") + daySource.at(0);

    QString yearText;
    if (n == 10) {
        yearText = t.mid(6, 4);
    } else {
        const QString tail = t.right(4);
        int start = int(tail.size());
        while (start > 0 && isDigit(tail.at(start - 1)))
            --start;
        yearText = tail.mid(start);
        if (yearText.size() == 2)
            yearText.prepend(QStringLiteral("20"));
    }

    int day = 0;
    if (!toNumber(dayText, day) || day < 1 || day > 31)
        return wrong;

    return {false, (monthText + Slash + dayText + Slash + yearText).left(10)};
}

TimeResult normalizeTime(const QString &entry, const QString &now)
{
    const TimeResult wrong{true, finalTouch(now)};
    if (entry.isEmpty() || entry == TimePlaceholder)
        return wrong;

    const int n = int(entry.size());
    const QString t = entry.left(7); // characters after the seventh do not count
    QString result;

    if (n <= 4) {
        if (n < 4 || !allDigits(QStringView(t).left(4)) || t.left(2).toInt() >= 24)
            return wrong;
        result = hourAndDesignator(t.mid(0, 2), t.mid(2, 2), now);
    } else if (n == 5) {
        if (!isDigit(t.at(0)) || !isDigit(t.at(1)) || t.at(2) != Colon || !isDigit(t.at(3)) || !isDigit(t.at(4))
            || t.left(2).toInt() >= 24)
            return wrong;
        result = hourAndDesignator(t.mid(0, 2), t.mid(3, 2), now);
    } else if (n == 6 && isDigit(t.at(0)) && t.at(1) == Colon && isDigit(t.at(2)) && isDigit(t.at(3))) {
        result = Blank + t.mid(0, 1) + Colon + t.mid(2, 2) + t.mid(4, 2);
    } else {
        if (!(isDigit(t.at(0)) || t.at(0) == Blank) || !isDigit(t.at(1)) || t.at(2) != Colon || !isDigit(t.at(3))
            || !isDigit(t.at(4)))
            return wrong;
        // An entry of six characters has no seventh: it counts as not a letter.
        QString designator = t.mid(5, 2);
        if (!isAsciiLetter(at(t, 5)) || !isAsciiLetter(at(t, 6)))
            designator = now.mid(5, 2);
        result = t.mid(0, 2) + Colon + t.mid(3, 2) + designator;
    }
    return {false, finalTouch(result)};
}

PhoneResult normalizePhone(const QString &entry, const QString &phoneSeparator, const QString &defaultAreaCode,
                           const QString &defaultPrefix)
{
    if (entry.isEmpty() || entry == PhonePlaceholder || entry == Unknown)
        return {false, Unknown};

    const PhoneResult wrong{true, Unknown};
    const QString &p = entry;
    const int n = int(p.size());
    // Only the separator's first character is typed and put between groups;
    // the whole setting follows a completed area code and prefix.
    const QString s = phoneSeparator.left(1);
    const QStringView pv(p);

    QString result;
    QString tested;
    switch (n) {
    case 4:
        if (!allDigits(pv))
            return wrong;
        result = defaultAreaCode + phoneSeparator + defaultPrefix + phoneSeparator + p;
        tested = result;
        break;
    case 7:
        if (!allDigits(pv))
            return wrong;
        tested = p.left(3) + s + p.mid(3);
        result = defaultAreaCode + phoneSeparator + tested;
        break;
    case 8:
        if (s.isEmpty() || p.at(3) != s.at(0))
            return wrong;
        tested = p;
        result = defaultAreaCode + phoneSeparator + p;
        break;
    case 10:
        if (!allDigits(pv))
            return wrong;
        tested = p.left(3) + s + p.mid(3, 3) + s + p.mid(6);
        result = tested;
        break;
    case 12:
        // A number this rule completed earlier carries the configured area code
        // and prefix where digits would stand; leaving the field again keeps it.
        if (!(allDigits(pv.mid(0, 3)) || pv.mid(0, 3) == defaultAreaCode)
            || !(allDigits(pv.mid(4, 3)) || pv.mid(4, 3) == defaultPrefix) || !allDigits(pv.mid(8, 4)))
            return wrong;
        tested = p;
        result = p;
        break;
    default:
        return wrong;
    }

    switch (tested.size()) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 5:
    case 6:
    case 9:
    case 11:
        return wrong;
    default:
        return {false, result};
    }
}

} // namespace EntryRules
