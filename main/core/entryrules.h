#ifndef ENTRYRULES_H
#define ENTRYRULES_H

#include <QChar>
#include <QDate>
#include <QString>
#include <QTime>

// The entry rules of the log-entry window as pure functions: the window calls
// them with the field's text and applies the result to its controls.
namespace EntryRules {

inline const QString DatePlaceholder = QStringLiteral("mm/dd/yyyy");
inline const QString TimePlaceholder = QStringLiteral("hh:mmAP");
inline const QString PhonePlaceholder = QStringLiteral("Phone Number");
inline const QString NamePlaceholder = QStringLiteral("Enter Name");
inline const QString CompanyPlaceholder = QStringLiteral("Enter Business");

// Today's date as the default date: month/day/four-digit year without leading zeros.
QString defaultDateText(const QDate &today);
// The current time text: hour of the 12-hour clock with two digits, ":",
// two-digit minutes, AM or PM (03:25PM).
QString currentTimeText(const QTime &now);

// Key filters: true when the typed character reaches the field.
bool dateKeyAccepted(QChar c);
bool timeKeyAccepted(QChar c);
bool phoneKeyAccepted(QChar c, const QString &phoneSeparator);
// Name, company and notes refuse only the field separator "¬".
bool textKeyAccepted(QChar c);

struct DateResult
{
    bool error = false; // text is then the default date
    QString text;
};

// Checks and normalises a date entry that is not the placeholder.
DateResult normalizeDate(const QString &entry, const QString &defaultDate);

struct TimeResult
{
    bool error = false; // text is then the current time text, touched up
    QString text;
};

// Checks and converts a time entry; `now` is the current time text.
TimeResult normalizeTime(const QString &entry, const QString &now);

struct PhoneResult
{
    bool error = false; // text is then "Unknown"
    QString text;
};

// Checks, completes and formats a phone number with the configured settings.
PhoneResult normalizePhone(const QString &entry, const QString &phoneSeparator, const QString &defaultAreaCode,
                           const QString &defaultPrefix);

} // namespace EntryRules

#endif // ENTRYRULES_H
