#include "callrecord.h"

#include <openssl/evp.h>

#include <climits>

namespace {

struct Layout
{
    int offset;
    int width;
};

// Offsets in bytes, widths in wide characters; the fields follow each other without gaps.
constexpr Layout layouts[CallRecord::FieldCount] = {
    {0, 2},     // type
    {4, 15},    // recordNumber
    {34, 12},   // date
    {58, 10},   // time
    {78, 14},   // phone
    {106, 75},  // name
    {256, 50},  // company
    {356, 200}, // notes
    {756, 3},   // status
    {762, 70},  // hash
    {902, 15},  // savedAt
    {932, 15},  // spare1
    {962, 15},  // spare2
};

static_assert(layouts[CallRecord::Spare2].offset + 2 * layouts[CallRecord::Spare2].width == RecordSize,
              "the fields fill the record exactly");

} // namespace

int CallRecord::offset(Field field)
{
    return layouts[field].offset;
}

int CallRecord::width(Field field)
{
    return layouts[field].width;
}

QString CallRecord::text(Field field) const
{
    const unsigned char *p = bytes.data() + offset(field);
    const int chars = width(field);
    QString result;
    result.reserve(chars);
    for (int i = 0; i < chars; ++i) {
        const char16_t unit = char16_t(p[2 * i] | (p[2 * i + 1] << 8));
        if (unit == 0)
            break;
        result.append(QChar(unit));
    }
    return result;
}

void CallRecord::setText(Field field, const QString &value)
{
    clear(field);
    unsigned char *p = bytes.data() + offset(field);
    const int n = qMin(int(value.size()), capacity(field));
    for (int i = 0; i < n; ++i) {
        const char16_t unit = value.at(i).unicode();
        p[2 * i] = static_cast<unsigned char>(unit & 0xff);
        p[2 * i + 1] = static_cast<unsigned char>(unit >> 8);
    }
}

void CallRecord::clear(Field field)
{
    std::fill_n(bytes.begin() + offset(field), 2 * width(field), 0);
}

int CallRecord::number() const
{
    return textToInt(text(RecordNumber));
}

int CallRecord::savedAtSeconds() const
{
    return textToInt(text(SavedAt));
}

QString CallRecord::hashInput() const
{
    static constexpr Field order[] = {RecordNumber, Type, Date, Time, Phone,
                                      Name, Company, Notes, SavedAt, Status};
    QString input;
    input.reserve(160);
    for (Field field : order) {
        if (field != RecordNumber)
            input.append(QChar(FieldSeparator));
        input.append(text(field));
    }
    input.append(QLatin1Char('\n'));
    return input;
}

QString CallRecord::computeHash() const
{
    return sha256Hex(hashInput());
}

bool CallRecord::verify() const
{
    return computeHash() == text(Hash);
}

QString sha256Hex(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(utf8.constData(), size_t(utf8.size()), digest, &length, EVP_sha256(), nullptr) != 1)
        return QString();
    static const char hex[] = "0123456789abcdef";
    QString result(int(2 * length), Qt::Uninitialized);
    for (unsigned int i = 0; i < length; ++i) {
        result[int(2 * i)] = QLatin1Char(hex[digest[i] >> 4]);
        result[int(2 * i + 1)] = QLatin1Char(hex[digest[i] & 0x0f]);
    }
    return result;
}

int textToInt(const QString &text)
{
    int i = 0;
    const int n = int(text.size());
    while (i < n && (text.at(i) == QLatin1Char(' ') || (text.at(i).unicode() >= 9 && text.at(i).unicode() <= 13)))
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    long long value = 0;
    while (i < n && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9')) {
        if (value <= INT_MAX)
            value = value * 10 + (text.at(i).unicode() - '0');
        ++i;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return int(value);
}
