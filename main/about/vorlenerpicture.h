#ifndef VORLENERPICTURE_H
#define VORLENERPICTURE_H

#include <QPixmap>
#include <QSize>

// The program's picture for the splash and About windows: a telephone
// handset over a page of log lines, drawn to fill `size`.
QPixmap VorlenerPicture(const QSize &size);

#endif // VORLENERPICTURE_H
