// Keeping windows on the screen: within the screen's free area (without
// panels), with the title bar where the mouse can reach it, whatever the
// scale or the fonts.
#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>

class QWidget;

namespace tallix::shell {

// What a window manager adds around a window's client area, allowed for
// before the real frame is known (it is only once the window is shown).
inline constexpr QMargins kFrameAllowance{8, 40, 8, 8};

// The top-left corner nearest to `frame.topLeft()` at which `frame` lies
// inside `area`; where it is larger than the area, its top-left corner, and
// with it the title bar, stays inside.
QPoint keptInside(const QRect& frame, const QRect& area);

// The free area of the screen that holds `point`, or of the primary screen
// where no screen does.
QRect availableAreaAt(const QPoint& point);

// Whether the desktop lets a program place its windows and tells where they
// are: not on Wayland, where the compositor alone decides.
bool placesWindows();

// The window the program's other windows belong to (the main window), so
// that a tiling compositor floats them with it; none before it is made.
void setDialogOwner(QWidget* owner);
QWidget* dialogOwner();

// The frame the system puts around the window: the real one where it is
// known before the window is shown, otherwise kFrameAllowance. Makes the
// native window.
QMargins frameAround(QWidget& window);

// Shrinks the window to its screen's free area, frame included, as far as
// its minimum size lets it, and centres its frame there. `move` places a
// window's frame, so the frame is what must fit.
void centreOnScreen(QWidget& window);

}  // namespace tallix::shell
