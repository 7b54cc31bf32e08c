#include "screenfit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

namespace ScreenFit {

QRect availableArea(const QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QMargins frameMargins(const QWidget *window)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    if (window->isVisible() && frame != client)
        return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                        frame.bottom() - client.bottom());
    const int border = 4;
    return QMargins(border, window->style()->pixelMetric(QStyle::PM_TitleBarHeight) + border, border, border);
}

void fit(QWidget *window)
{
    const QRect area = availableArea(window);
    if (area.isEmpty())
        return;
    const QMargins frame = frameMargins(window);
    const QSize room = area.size().shrunkBy(frame);
    const bool fixedSize = window->minimumSize() == window->maximumSize();
    if (!fixedSize && (window->width() > room.width() || window->height() > room.height()))
        window->resize(window->size().boundedTo(room).expandedTo(window->minimumSize()));

    // A window its owner places (a dialog over its parent) is kept on the screen by that placing.
    if (!window->testAttribute(Qt::WA_Moved))
        return;
    const QSize outer = window->size().grownBy(frame);
    const QPoint at = window->pos();
    window->move(qBound(area.left(), at.x(), qMax(area.left(), area.right() + 1 - outer.width())),
                 qBound(area.top(), at.y(), qMax(area.top(), area.bottom() + 1 - outer.height())));
}

} // namespace ScreenFit
