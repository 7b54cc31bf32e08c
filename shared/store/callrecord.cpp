#include "callrecord.h"

#include <openssl/evp.h>

#include <climits>
#include <memory>

namespace {

struct Layout
{
    int offset;
    int width;
};

// Offsets in bytes, widths in wide characters; the fields follow each other without gaps.
constexpr Layout layouts[CallRecord::FieldCount] = {
    {0, 2}, // type
    {4, 15}, // recordNumber
    {34, 12}, // date
    {58, 10}, // time
    {78, 14}, // phone
    {106, 75}, // name
    {256, 50}, // company
    {356, 200}, // notes
    {756, 3}, // status
    {762, 70}, // hash
    {902, 15}, // savedAt
    {932, 15}, // spare1
    {962, 15}, // spare2
};

static_assert(layouts[CallRecord::Notes].width == CallRecord::MaxFieldWidth, "the notes are the widest field");
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

int CallRecord::copyText(Field field, char16_t *out) const
{
    // Little-endian on disk, whatever the host's byte order.
    const unsigned char *p = bytes.data() + offset(field);
    const int chars = width(field);
    int n = 0;
    while (n < chars) {
        const char16_t unit = char16_t(p[2 * n] | (p[2 * n + 1] << 8));
        if (unit == 0)
            break;
        out[n++] = unit;
    }
    return n;
}

QString CallRecord::text(Field field) const
{
    char16_t units[MaxFieldWidth];
    return QString(reinterpret_cast<const QChar *>(units), copyText(field, units));
}

void CallRecord::setText(Field field, const QString &value)
{
    clear(field);
    unsigned char *p = bytes.data() + offset(field);
    int n = qMin(int(value.size()), capacity(field));
    // A pair cut in two by the field's end is left out whole.
    if (n > 0 && n < value.size() && value.at(n - 1).isHighSurrogate() && value.at(n).isLowSurrogate())
        --n;
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

namespace {

// The fields in the order they are hashed, joined by the field separator.
constexpr CallRecord::Field HashOrder[] = {
    CallRecord::RecordNumber, CallRecord::Type,    CallRecord::Date,  CallRecord::Time,    CallRecord::Phone,
    CallRecord::Name,         CallRecord::Company, CallRecord::Notes, CallRecord::SavedAt, CallRecord::Status};
// The widths of the hashed fields, nine separators and the line feed: 406 units at most.
constexpr int HashInputUnits = 512;

} // namespace

int CallRecord::hashInputUnits(char16_t *units) const
{
    int n = 0;
    for (Field field : HashOrder) {
        if (field != HashOrder[0])
            units[n++] = FieldSeparator;
        n += copyText(field, units + n);
    }
    units[n++] = u'\n';
    return n;
}

QString CallRecord::hashInput() const
{
    char16_t units[HashInputUnits];
    return QString(reinterpret_cast<const QChar *>(units), hashInputUnits(units));
}

namespace {

constexpr int DigestHexLength = 64;

// One SHA-256 context, fetched once: reviewing a long log hashes every record,
// and looking the algorithm up for each of them would cost more than hashing.
class Sha256
{
public:
    Sha256()
        : m_md(EVP_MD_fetch(nullptr, "SHA256", nullptr))
        , m_context(EVP_MD_CTX_new())
    {
    }
    ~Sha256()
    {
        EVP_MD_CTX_free(m_context);
        EVP_MD_free(m_md);
    }
    Sha256(const Sha256 &) = delete;
    Sha256 &operator=(const Sha256 &) = delete;

    // Writes the digest as 64 lowercase hexadecimal digits into `hex`.
    bool hexDigest(const QByteArray &data, char (&hex)[DigestHexLength])
    {
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int length = 0;
        if (!m_md || !m_context || EVP_DigestInit_ex(m_context, m_md, nullptr) != 1
            || EVP_DigestUpdate(m_context, data.constData(), size_t(data.size())) != 1
            || EVP_DigestFinal_ex(m_context, digest, &length) != 1 || length * 2 != DigestHexLength)
            return false;
        static const char digits[] = "0123456789abcdef";
        for (unsigned int i = 0; i < length; ++i) {
            hex[2 * i] = digits[digest[i] >> 4];
            hex[2 * i + 1] = digits[digest[i] & 0x0f];
        }
        return true;
    }

private:
    EVP_MD *m_md;
    EVP_MD_CTX *m_context;
};

thread_local std::unique_ptr<Sha256> threadSha256;

Sha256 &sha256()
{
    if (!threadSha256)
        threadSha256 = std::make_unique<Sha256>();
    return *threadSha256;
}

} // namespace

namespace {

// A surrogate without its partner is no character. UTF-8 has no form for it,
// and every reader that follows the Unicode standard reads it as U+FFFD.
bool replaceLoneSurrogates(char16_t *units, int n, char16_t replacement)
{
    bool replaced = false;
    for (int i = 0; i < n; ++i) {
        const QChar c(units[i]);
        if (c.isHighSurrogate() && i + 1 < n && QChar(units[i + 1]).isLowSurrogate()) {
            ++i;
        } else if (c.isSurrogate()) {
            units[i] = replacement;
            replaced = true;
        }
    }
    return replaced;
}

} // namespace

QByteArray CallRecord::hashInputUtf8() const
{
    char16_t units[HashInputUnits];
    const int n = hashInputUnits(units);
    replaceLoneSurrogates(units, n, QChar::ReplacementCharacter);
    return QStringView(units, n).toUtf8();
}

QString CallRecord::computeHash() const
{
    char hex[DigestHexLength];
    if (!sha256().hexDigest(hashInputUtf8(), hex))
        return QString();
    return QString::fromLatin1(hex, DigestHexLength);
}

namespace {

// Exact text: the 64 digits, then the field's terminator.
bool storedHashIs(const unsigned char *p, const char (&hex)[DigestHexLength])
{
    for (int i = 0; i < DigestHexLength; ++i) {
        if (p[2 * i] != static_cast<unsigned char>(hex[i]) || p[2 * i + 1] != 0)
            return false;
    }
    return p[2 * DigestHexLength] == 0 && p[2 * DigestHexLength + 1] == 0;
}

} // namespace

bool CallRecord::verify() const
{
    char hex[DigestHexLength];
    if (!sha256().hexDigest(hashInputUtf8(), hex))
        return false;
    const unsigned char *stored = bytes.data() + offset(Hash);
    if (storedHashIs(stored, hex))
        return true;
    // Earlier versions hashed a lone surrogate as "?"; such a record was not
    // altered, and keeps verifying until it is saved again.
    char16_t units[HashInputUnits];
    const int n = hashInputUnits(units);
    return replaceLoneSurrogates(units, n, u'?') && sha256().hexDigest(QStringView(units, n).toUtf8(), hex)
        && storedHashIs(stored, hex);
}

void releaseHashContext()
{
    threadSha256.reset();
}

QString sha256Hex(const QString &text)
{
    char hex[DigestHexLength];
    if (!sha256().hexDigest(text.toUtf8(), hex))
        return QString();
    return QString::fromLatin1(hex, DigestHexLength);
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
