#ifndef SCREENFIT_H
#define SCREENFIT_H

#include <QMargins>
#include <QRect>

class QWidget;

// Keeps a top-level window within the part of its screen that windows may take
// (the screen less its panels), on small screens and at large scale factors.
namespace ScreenFit {

// The available area of the window's screen, in the window's coordinates.
QRect availableArea(const QWidget *window);

// The room the window manager's frame takes around the window; before the
// window was first shown, room for a usual title bar and border.
QMargins frameMargins(const QWidget *window);

// Shrinks a resizable window that is larger than the available area, and moves
// a window that was placed by its own code back inside that area. A window of
// fixed size keeps its size.
void fit(QWidget *window);

} // namespace ScreenFit

#endif // SCREENFIT_H
