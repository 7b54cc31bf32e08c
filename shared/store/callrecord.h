#ifndef CALLRECORD_H
#define CALLRECORD_H

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

// Size of one stored call record in bytes; every seek, read and write uses it.
constexpr int RecordSize = 992;

// "¬" (NOT SIGN) separates the fields in the hash input and in the export file,
// so the entry fields refuse it.
constexpr char16_t FieldSeparator = u'\u00AC';

// One call or message as it lies in the data file: thirteen fixed-width,
// NUL-terminated UTF-16LE text fields, 992 bytes in all. The raw bytes are
// the record; the accessors decode and encode single fields, so bytes that a
// field holds after its terminator survive a read and a write unchanged.
struct CallRecord
{
    enum Field {
        Type,
        RecordNumber,
        Date,
        Time,
        Phone,
        Name,
        Company,
        Notes,
        Status,
        Hash,
        SavedAt,
        Spare1,
        Spare2,
        FieldCount
    };

    // Width of the widest field, the notes.
    static constexpr int MaxFieldWidth = 200;

    std::array<unsigned char, RecordSize> bytes{};

    static int offset(Field field);
    // Width of the field in wide characters, terminator included.
    static int width(Field field);
    // Longest text the field keeps: its width less the terminator.
    static int capacity(Field field) { return width(field) - 1; }

    // The field's text up to its first NUL, or to the field's end when it has none.
    QString text(Field field) const;
    // The same text as UTF-16 code units copied to `out`, which holds at least
    // width(field) units; returns how many were copied.
    int copyText(Field field, char16_t *out) const;
    // Writes at most capacity() characters followed by zeros up to the field's end.
    void setText(Field field, const QString &value);
    // Fills the field with zeros.
    void clear(Field field);

    int number() const; // recordNumber read as its leading decimal digits
    int savedAtSeconds() const;

    // recordNumber¬type¬date¬time¬phone¬name¬company¬notes¬savedAt¬status and a line feed.
    QString hashInput() const;
    // The same text as UTF-16 code units copied to `units`, which holds at
    // least 512; returns how many were copied.
    int hashInputUnits(char16_t *units) const;
    // The same text as the UTF-8 bytes that are hashed.
    QByteArray hashInputUtf8() const;
    // SHA-256 of the UTF-8 bytes of hashInput(), as 64 lowercase hexadecimal digits.
    QString computeHash() const;
    // True when the stored hash equals the computed one, compared as exact text.
    bool verify() const;
};

// Text to number as the C library's _wtoi does it: leading white space, an
// optional sign, then the leading decimal digits; 0 when there are none.
// Values beyond the 32-bit range are clamped to it.
int textToInt(const QString &text);

// SHA-256 of the UTF-8 bytes of a text, as 64 lowercase hexadecimal digits.
QString sha256Hex(const QString &text);

// Each thread that hashes keeps its own hash context; a helper thread frees
// its own before it signals that it is done, so that nothing of the hash
// library is left to free once the program may be ending.
void releaseHashContext();

#endif // CALLRECORD_H
