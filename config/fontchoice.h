#ifndef FONTCHOICE_H
#define FONTCHOICE_H

#include "configfile.h"

#include <QFont>
#include <QString>

#include <cstdint>

// A font as the configuration file keeps it: face name, size in points, the
// form library's colour value and the style byte.
struct FontChoice
{
    QString faceName = QStringLiteral("Arial");
    int pointSize = 10;
    std::int32_t colorValue = WindowTextColorValue;
    std::uint8_t style = 0;

    bool operator==(const FontChoice &other) const
    {
        return faceName == other.faceName && pointSize == other.pointSize && colorValue == other.colorValue
            && style == other.style;
    }
    bool operator!=(const FontChoice &other) const { return !(*this == other); }
};

// Largest size whose decimal text fits the size line the configuration manager keeps.
constexpr int MaxFontPointSize = 999;

FontChoice fontChoiceFrom(const QFont &font, std::int32_t colorValue);
QFont fontOf(const FontChoice &choice);

// Why a font cannot be kept in the configuration file, or an empty text when it can.
QString fontRefusal(const QFont &font);

#endif // FONTCHOICE_H
