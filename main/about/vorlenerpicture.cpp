#include "vorlenerpicture.h"

#include <QPainter>
#include <QPainterPath>

QPixmap VorlenerPicture(const QSize &size)
{
    QPixmap picture(size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 100 x 100 canvas and scaled to the size asked for.
    painter.scale(size.width() / 100.0, size.height() / 100.0);

    // The log page.
    painter.setPen(QPen(QColor(60, 60, 60), 1.5));
    painter.setBrush(QColor(250, 250, 240));
    painter.drawRoundedRect(QRectF(30, 8, 62, 84), 4, 4);
    painter.setPen(QPen(QColor(70, 110, 180), 2));
    for (int y = 22; y <= 82; y += 10)
        painter.drawLine(QPointF(38, y), QPointF(85, y));

    // The handset.
    QPainterPath handset;
    handset.moveTo(12, 22);
    handset.cubicTo(4, 40, 8, 70, 30, 88);
    handset.lineTo(40, 80);
    handset.lineTo(31, 66);
    handset.lineTo(24, 70);
    handset.cubicTo(18, 58, 17, 46, 20, 36);
    handset.lineTo(28, 36);
    handset.lineTo(27, 20);
    handset.closeSubpath();
    painter.setPen(QPen(QColor(20, 20, 20), 1.5));
    painter.setBrush(QColor(200, 30, 30));
    painter.drawPath(handset);
    return picture;
}
