#include "fontchoice.h"

#include <QFontInfo>

namespace {

// The font name line holds 99 characters, its line feed included.
constexpr int maxFaceNameLength = ConfigCapacity::FontName - 2;

int pointSizeOf(const QFont &font)
{
    if (font.pointSizeF() > 0)
        return qRound(font.pointSizeF());
    return qRound(QFontInfo(font).pointSizeF());
}

} // namespace

FontChoice fontChoiceFrom(const QFont &font, std::int32_t colorValue)
{
    FontChoice choice;
    choice.faceName = font.family();
    choice.pointSize = pointSizeOf(font);
    choice.colorValue = colorValue;
    choice.style = styleFromFont(font);
    return choice;
}

QFont fontOf(const FontChoice &choice)
{
    QFont font;
    applyFontSettings(font, choice.faceName, choice.pointSize, choice.style);
    return font;
}

QString fontRefusal(const QFont &font)
{
    const int size = pointSizeOf(font);
    if (size < 1 || size > MaxFontPointSize)
        return QStringLiteral("Font size must be 1 to %1 points.").arg(MaxFontPointSize);
    if (font.family().isEmpty())
        return QStringLiteral("Choose a font.");
    if (font.family().size() > maxFaceNameLength)
        return QStringLiteral("Font name is too long (at most %1 characters).").arg(maxFaceNameLength);
    return QString();
}
