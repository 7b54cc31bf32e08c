#ifndef WINDOWFONT_H
#define WINDOWFONT_H

#include <QFont>
#include <QString>

// The windows' fixed fonts are sized in pixels, as the forms were laid out,
// so that they look the same whatever the screen's dots per inch.
namespace WindowFont {

QFont pixels(const QString &family, int pixelSize, bool bold = false);

inline QFont tahoma(int pixelSize, bool bold = false)
{
    return pixels(QStringLiteral("Tahoma"), pixelSize, bold);
}

inline QFont arial(int pixelSize, bool bold = false)
{
    return pixels(QStringLiteral("Arial"), pixelSize, bold);
}

} // namespace WindowFont

#endif // WINDOWFONT_H
