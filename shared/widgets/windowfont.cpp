#include "windowfont.h"

namespace WindowFont {

QFont pixels(const QString &family, int pixelSize, bool bold)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

} // namespace WindowFont
