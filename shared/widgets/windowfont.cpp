#include "windowfont.h"

namespace WindowFont {

QFont pixels(const QString &family, int pixelSize, bool bold)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QFont points(const QString &family, int pointSize, bool bold)
{
    QFont font(family);
    font.setPointSize(pointSize);
    font.setBold(bold);
    return font;
}

QFont italic(QFont font)
{
    font.setItalic(true);
    return font;
}

} // namespace WindowFont
