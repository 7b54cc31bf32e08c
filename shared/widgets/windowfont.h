#ifndef WINDOWFONT_H
#define WINDOWFONT_H

#include <QFont>
#include <QString>

// The windows' own fonts, made in one place. Most are sized in pixels, as the
// forms were laid out, so that they look the same whatever the screen's dots
// per inch. The configuration manager and the forms' Tahoma 8 are sized in
// points, as the configured font of the entry fields is.
namespace WindowFont {

QFont pixels(const QString &family, int pixelSize, bool bold = false);
QFont points(const QString &family, int pointSize, bool bold = false);

// The same font, slanted.
QFont italic(QFont font);

inline QFont tahoma(int pixelSize, bool bold = false)
{
    return pixels(QStringLiteral("Tahoma"), pixelSize, bold);
}

inline QFont arial(int pixelSize, bool bold = false)
{
    return pixels(QStringLiteral("Arial"), pixelSize, bold);
}

inline QFont tahomaPoints(int pointSize, bool bold = false)
{
    return points(QStringLiteral("Tahoma"), pointSize, bold);
}

inline QFont arialPoints(int pointSize, bool bold = false)
{
    return points(QStringLiteral("Arial"), pointSize, bold);
}

} // namespace WindowFont

#endif // WINDOWFONT_H
