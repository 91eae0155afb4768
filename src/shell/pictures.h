// The program's pictures, drawn in code so they stay sharp at any size and
// screen scale: the 13 tray pictures, the hour gauge's scale and pointer, the
// logos, the decorative frame, the program icon and the warning icon.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QRectF>
#include <QSize>

#include <functional>
#include <string_view>

#include "form/controls.h"

class QPainter;

namespace tallix::shell {

// Draws a picture into the given rectangle.
using PicturePainter = std::function<void(QPainter&, const QRectF&)>;

// Tray pictures: kPictureDisconnect (-1) is the offline one; 0..11 fill the
// dial by twelfths, one for each five minutes of the hour online.
void paintTrayPicture(QPainter& painter, const QRectF& box, int picture);
void paintProgramIcon(QPainter& painter, const QRectF& box);
void paintWarningIcon(QPainter& painter, const QRectF& box);
// The hour gauge: 60 minute marks from the left edge (minute 0) to the
// right edge (minute 60), and the pointer that stands above it.
void paintGaugeScale(QPainter& painter, const QRectF& box);
void paintGaugePointer(QPainter& painter, const QRectF& box);
void paintSmallLogo(QPainter& painter, const QRectF& box);
void paintAboutLogo(QPainter& painter, const QRectF& box);
void paintFramePicture(QPainter& painter, const QRectF& box);

// Nominal sizes in pixels.
inline constexpr QSize kIconSize{32, 32};
inline constexpr QSize kGaugeScaleSize{318, 18};
inline constexpr QSize kGaugePointerSize{16, 16};
inline constexpr QSize kSmallLogoSize{71, 28};
inline constexpr QSize kFramePictureSize{530, 289};
inline constexpr QSize kAboutLogoSize{178, 71};

// A picture drawn at a size, transparent where it draws nothing.
QPixmap renderPicture(const PicturePainter& painter, QSize size);
// Icons at 16 and 32 pixels.
QIcon trayIcon(int picture);
QIcon programIcon();
QIcon warningIcon();

// The picture a picture control of the designs shows, by its name; an empty
// painter for a name without one.
PicturePainter pictureFor(ControlName controlName);

}  // namespace tallix::shell
