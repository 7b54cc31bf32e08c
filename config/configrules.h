#ifndef CONFIGRULES_H
#define CONFIGRULES_H

#include <QString>

// The four text items of the configuration manager, in the order of their rows.
enum class ConfigField { FileName, PhoneSeparator, AreaCode, Prefix };

// Longest text a field takes. The data file line holds 1023 characters; the
// name leaves room for ".dta" and the line feed.
int fieldMaxLength(ConfigField field);

// Whether a typed character is taken by the field; backspace always is.
bool fieldAcceptsKey(ConfigField field, QChar key);

// The text without the characters the field refuses when they are typed.
QString filterFieldText(ConfigField field, const QString &text);

// What an empty field holds once the focus has left it.
QString fieldDefault(ConfigField field);

// The setting a field's text gives: the file name gets ".dta". An empty text
// gives the setting of the default.
QString configurationValue(ConfigField field, const QString &text);

#endif // CONFIGRULES_H
