#include "configrules.h"

namespace {

bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isOneOf(QChar c, const char *list)
{
    return QLatin1String(list).contains(c);
}

} // namespace

int fieldMaxLength(ConfigField field)
{
    switch (field) {
    case ConfigField::FileName:
        return 1018;
    case ConfigField::PhoneSeparator:
        return 1;
    case ConfigField::AreaCode:
        return 3;
    case ConfigField::Prefix:
        return 3;
    }
    return 0;
}

bool fieldAcceptsKey(ConfigField field, QChar key)
{
    if (key == QLatin1Char('\b'))
        return true;
    switch (field) {
    case ConfigField::FileName:
        return isAsciiLetter(key) || isAsciiDigit(key) || isOneOf(key, "-+_ ");
    case ConfigField::PhoneSeparator:
        return isOneOf(key, "-./:\\");
    case ConfigField::AreaCode:
        return isAsciiDigit(key) || isOneOf(key, "#|~");
    case ConfigField::Prefix:
        return isAsciiDigit(key);
    }
    return false;
}

QString filterFieldText(ConfigField field, const QString &text)
{
    QString kept;
    kept.reserve(text.size());
    for (QChar c : text) {
        if (c != QLatin1Char('\b') && fieldAcceptsKey(field, c))
            kept.append(c);
    }
    return kept;
}

QString fieldDefault(ConfigField field)
{
    switch (field) {
    case ConfigField::FileName:
        return QStringLiteral("VNData");
    case ConfigField::PhoneSeparator:
        return QStringLiteral("-");
    case ConfigField::AreaCode:
        return QStringLiteral("###");
    case ConfigField::Prefix:
        return QStringLiteral("###");
    }
    return QString();
}

QString configurationValue(ConfigField field, const QString &text)
{
    const QString value = text.isEmpty() ? fieldDefault(field) : text;
    if (field == ConfigField::FileName)
        return value + QStringLiteral(".dta");
    return value;
}
