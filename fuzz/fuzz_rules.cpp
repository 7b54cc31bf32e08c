// Arbitrary UTF-16 text through the date, time and phone rules, with arbitrary
// settings, checking what the rules promise about every result.
#include "fuzzsupport.h"

#include "entryrules.h"

#include <QDate>
#include <QTime>

#include <algorithm>
#include <iterator>

using namespace EntryRules;

namespace {

// Characters the rules look at, so that short inputs reach every form.
// A lone high surrogate is among them: pasted text need not be valid UTF-16.
const char16_t alphabet[] = {u'0', u'1', u'2', u'3',  u'4',   u'5',   u'6',   u'7',  u'8', u'9',
                             u'/', u':', u' ', u'A',  u'M',   u'P',   u'a',   u'm',  u'p', u'x',
                             u'-', u'.', u'#', u'\r', 0x00AC, 0x0661, 0xD83D, 0x00E9};

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
}

bool allDigits(const QString &text)
{
    return std::all_of(text.begin(), text.end(), isDigit);
}

int twoDigits(const QString &text, int at)
{
    return (text.at(at).unicode() - '0') * 10 + (text.at(at + 1).unicode() - '0');
}

// Takes the input from the front: small numbers for choices and lengths,
// then characters; an exhausted input gives zeros.
class InputReader
{
public:
    InputReader(const std::uint8_t *data, std::size_t size)
        : data(data)
        , size(size)
    {
    }

    std::uint8_t byte() { return position < size ? data[position++] : 0; }
    char16_t unit() { return char16_t(byte() | (byte() << 8)); }
    int inRange(int low, int high) { return low + int(unit() % unsigned(high - low + 1)); }
    bool atEnd() const { return position >= size; }

private:
    const std::uint8_t *data;
    std::size_t size;
    std::size_t position = 0;
};

class TextSource
{
public:
    explicit TextSource(InputReader &reader)
        : reader(reader)
        , fromAlphabet(reader.byte() & 1)
    {
    }

    QString text(int maxLength)
    {
        const int length = reader.inRange(0, maxLength);
        QString result;
        for (int i = 0; i < length && !reader.atEnd(); ++i) {
            if (fromAlphabet)
                result.append(QChar(alphabet[reader.byte() % std::size(alphabet)]));
            else
                result.append(QChar(reader.unit()));
        }
        return result;
    }

private:
    InputReader &reader;
    bool fromAlphabet;
};

void checkDate(const QString &entry, const QString &defaultDate)
{
    const DateResult result = normalizeDate(entry, defaultDate);
    if (result.error) {
        FUZZ_REQUIRE(result.text == defaultDate);
        return;
    }
    const QString &t = result.text;
    FUZZ_REQUIRE(entry.size() >= 8 && entry.size() <= 11 && entry.contains(QLatin1Char('/')));
    FUZZ_REQUIRE(std::none_of(entry.begin(), entry.end(), isAsciiLetter));
    FUZZ_REQUIRE(t.size() >= 6 && t.size() <= 10);
    FUZZ_REQUIRE(t.at(2) == QLatin1Char('/') && t.at(5) == QLatin1Char('/'));
    FUZZ_REQUIRE(allDigits(t.left(2)) && allDigits(t.mid(3, 2)));
    const int month = twoDigits(t, 0);
    const int day = twoDigits(t, 3);
    FUZZ_REQUIRE(month >= 1 && month <= 12 && day >= 1 && day <= 31);
    // A stored date is read again unchanged when the field is left again.
    if (t.size() >= 8) {
        const DateResult again = normalizeDate(t, defaultDate);
        FUZZ_REQUIRE(!again.error && again.text == t);
    }
}

void checkDefaultDate(const QDate &date)
{
    const QString text = defaultDateText(date);
    const DateResult result = normalizeDate(text, QStringLiteral("default"));
    FUZZ_REQUIRE(!result.error);
    FUZZ_REQUIRE(result.text
                 == QStringLiteral("%1/%2/%3")
                        .arg(date.month(), 2, 10, QLatin1Char('0'))
                        .arg(date.day(), 2, 10, QLatin1Char('0'))
                        .arg(date.year(), 4, 10, QLatin1Char('0')));
}

void checkTime(const QString &entry, const QString &now, bool nowIsClock)
{
    const TimeResult result = normalizeTime(entry, now);
    if (entry.size() >= 7) {
        // Only the first seven characters count.
        const TimeResult seven = normalizeTime(entry.left(7), now);
        FUZZ_REQUIRE(seven.error == result.error && seven.text == result.text);
    }
    if (!nowIsClock) {
        if (result.error)
            FUZZ_REQUIRE(result.text.size() == now.size());
        return;
    }

    const QString &t = result.text;
    FUZZ_REQUIRE(t.size() == 7);
    if (result.error) {
        QString touched = now;
        if (touched.at(0) == QLatin1Char('0'))
            touched[0] = QLatin1Char(' ');
        FUZZ_REQUIRE(t == touched);
        return;
    }
    FUZZ_REQUIRE(entry.size() >= 4);
    FUZZ_REQUIRE(isDigit(t.at(0)) || t.at(0) == QLatin1Char(' '));
    FUZZ_REQUIRE(isDigit(t.at(1)) && t.at(2) == QLatin1Char(':') && isDigit(t.at(3)) && isDigit(t.at(4)));
    FUZZ_REQUIRE(t.at(0) != QLatin1Char('0') || t.at(1) == QLatin1Char('0'));
    FUZZ_REQUIRE(!(t.at(5) >= QLatin1Char('a') && t.at(5) <= QLatin1Char('z')));
    FUZZ_REQUIRE(!(t.at(6) >= QLatin1Char('a') && t.at(6) <= QLatin1Char('z')));
    if (entry.size() <= 5) {
        // The 24-hour forms: the designator comes from the hour.
        const int hour = (t.at(0) == QLatin1Char(' ') ? 0 : (t.at(0).unicode() - '0') * 10) + (t.at(1).unicode() - '0');
        const QString designator = t.mid(5);
        FUZZ_REQUIRE(designator == QLatin1String("AM") || designator == QLatin1String("PM"));
        FUZZ_REQUIRE(designator == QLatin1String("AM") ? hour <= 12 : hour >= 1 && hour <= 11);
    }
    // A result with a letter designator passes again unchanged, whatever the time.
    if (isAsciiLetter(t.at(5)) && isAsciiLetter(t.at(6))) {
        const TimeResult again = normalizeTime(t, QStringLiteral("11:11AM"));
        FUZZ_REQUIRE(!again.error && again.text == t);
    }
}

void checkPhone(const QString &entry, const QString &separator, const QString &areaCode, const QString &prefix)
{
    const PhoneResult result = normalizePhone(entry, separator, areaCode, prefix);
    const QString &t = result.text;
    const bool untouched = entry.isEmpty() || entry == PhonePlaceholder || entry == QLatin1String("Unknown");
    if (untouched) {
        FUZZ_REQUIRE(!result.error && t == QLatin1String("Unknown"));
        return;
    }
    if (result.error) {
        FUZZ_REQUIRE(t == QLatin1String("Unknown"));
        return;
    }
    const int n = int(entry.size());
    FUZZ_REQUIRE(n == 4 || n == 7 || n == 8 || n == 10 || n == 12);
    FUZZ_REQUIRE(t.endsWith(entry.right(4)));
    if (n != 8)
        FUZZ_REQUIRE(allDigits(t.right(4)));
    if (n == 12)
        FUZZ_REQUIRE(t == entry);
    if (n == 10)
        FUZZ_REQUIRE(t.size() == 10 + 2 * std::min<qsizetype>(separator.size(), 1));
}

// With settings of the usual shape, a number typed with digits, and the
// separator where the forms have one, is completed to 12 characters, and the
// result passes again unchanged.
void checkTypedPhone(const QString &entry, const QString &separator, const QString &areaCode, const QString &prefix)
{
    const auto fillerOrDigits = [](const QString &text) {
        return text.size() == 3
            && std::all_of(text.begin(), text.end(), [](QChar c) { return isDigit(c) || c == QLatin1Char('#'); });
    };
    if (separator.size() != 1 || isDigit(separator.at(0)) || !fillerOrDigits(areaCode) || !fillerOrDigits(prefix))
        return;
    const QChar s = separator.at(0);
    const int n = int(entry.size());
    if (n != 4 && n != 7 && n != 8 && n != 10 && n != 12)
        return;
    for (int i = 0; i < n; ++i) {
        const QChar c = entry.at(i);
        if (n == 8 && i == 3) {
            if (c != s)
                return;
        } else if (n == 12 && (i == 3 || i == 7)) {
            if (!isDigit(c) && c != s)
                return;
        } else if (!isDigit(c)) {
            return;
        }
    }
    const PhoneResult result = normalizePhone(entry, separator, areaCode, prefix);
    FUZZ_REQUIRE(!result.error && result.text.size() == 12);
    const PhoneResult again = normalizePhone(result.text, separator, areaCode, prefix);
    FUZZ_REQUIRE(!again.error && again.text == result.text);
}

void checkKeys(const QString &typed, const QString &separator)
{
    for (QChar c : typed) {
        FUZZ_REQUIRE(textKeyAccepted(c) == (c != QChar(u'\u00AC')));
        if (dateKeyAccepted(c))
            FUZZ_REQUIRE(isDigit(c) || c == QLatin1Char('/') || c == QChar(u'\b'));
        if (timeKeyAccepted(c))
            FUZZ_REQUIRE(isDigit(c) || c == QLatin1Char(':') || QStringLiteral("AMPamp").contains(c)
                         || c == QChar(u'\b'));
        if (phoneKeyAccepted(c, separator))
            FUZZ_REQUIRE(isDigit(c) || c == QChar(u'\b') || (!separator.isEmpty() && c == separator.at(0)));
    }
}

} // namespace

namespace FuzzTargets {

int rulesInput(const std::uint8_t *data, std::size_t size)
{
    InputReader reader(data, size);
    TextSource source(reader);

    const bool clockSettings = reader.byte() & 1;
    QString defaultDate;
    QString now;
    if (clockSettings) {
        const QDate today(reader.inRange(1, 9999), reader.inRange(1, 12), reader.inRange(1, 28));
        const QTime clock(reader.inRange(0, 23), reader.inRange(0, 59));
        defaultDate = defaultDateText(today);
        now = currentTimeText(clock);
        checkDefaultDate(today);
    } else {
        defaultDate = source.text(12);
        now = source.text(9);
    }
    const QString separator = source.text(3);
    const QString areaCode = source.text(5);
    const QString prefix = source.text(5);
    const QString entry = source.text(16);

    checkDate(entry, defaultDate);
    checkTime(entry, now, clockSettings);
    checkPhone(entry, separator, areaCode, prefix);
    checkTypedPhone(entry, separator, areaCode, prefix);
    checkKeys(entry, separator);
    return 0;
}

} // namespace FuzzTargets

#ifndef CALLLOG_FUZZ_NO_ENTRY
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return FuzzTargets::rulesInput(data, size);
}
#endif
