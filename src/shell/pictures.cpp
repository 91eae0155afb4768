#include "shell/pictures.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>

#include <algorithm>

#include "form/control_names.h"
#include "shell/fonts.h"

namespace tallix::shell {
namespace {

const QColor kNavy(0x1f, 0x3a, 0x68);
const QColor kBlue(0x2f, 0x6d, 0xb5);
const QColor kGreen(0x2e, 0x9d, 0x48);
const QColor kDarkGreen(0x1b, 0x5e, 0x20);

QRectF squareIn(const QRectF& box) {
  const qreal side = std::min(box.width(), box.height());
  return {box.center().x() - side / 2, box.center().y() - side / 2, side, side};
}

// A round dial: ring, face, the four quarter marks, and a sector from twelve
// o'clock clockwise over `twelfths` twelfths of the face.
void paintDial(QPainter& painter, const QRectF& box, const QColor& ring, const QColor& face, const QColor& fill,
               int twelfths) {
  const QRectF square = squareIn(box);
  const qreal pen = std::max<qreal>(1.0, square.width() / 14);
  const QRectF dial = square.adjusted(pen, pen, -pen, -pen);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(face);
  painter.drawEllipse(dial);
  if (twelfths > 0) {
    painter.setBrush(fill);
    const QRectF inner = dial.adjusted(pen * 0.6, pen * 0.6, -pen * 0.6, -pen * 0.6);
    if (twelfths >= 12) {
      painter.drawEllipse(inner);
    } else {
      painter.drawPie(inner, 90 * 16, -twelfths * 30 * 16);
    }
  }
  painter.setPen(QPen(ring, pen));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(dial);
  // Quarter marks on the rim.
  painter.setPen(QPen(ring, std::max<qreal>(1.0, pen * 0.7), Qt::SolidLine, Qt::RoundCap));
  const QPointF c = dial.center();
  const qreal r = dial.width() / 2;
  const QPointF marks[] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}};
  for (const QPointF& m : marks) painter.drawLine(c + m * (r * 0.62), c + m * (r * 0.9));
  painter.restore();
}

// The wordmark's letters are outlines of the buttons' face, taken
// at one size and scaled to fit, slanted and thickened when emphasised: a
// bold italic look without loading a face of its own (each face loaded stays
// in memory for the whole run) nor a font at every size tried.
constexpr qreal kOutlinePixels = 64;

QFont outlineFont() {
  QFont font = buttonFont();
  font.setPixelSize(static_cast<int>(kOutlinePixels));
  return font;
}

// `text` at `pixels` high (less where it would be wider than `area`),
// left-aligned in `area` and centred on its middle.
void drawWordmarkText(QPainter& painter, const QRectF& area, const QString& text, qreal pixels, bool emphasised) {
  const QFont font = outlineFont();
  const QFontMetricsF metrics(font);
  QPainterPath path;
  path.addText(0, 0, font, text);
  const qreal slant = emphasised ? 0.2 : 0.0;
  path = QTransform(1, 0, -slant, 1, 0, 0).map(path);  // leans right: y is negative above the baseline
  const qreal width = path.boundingRect().width() + (emphasised ? kOutlinePixels * 0.06 : 0);
  const qreal scale = std::min(pixels / kOutlinePixels, width > 0 ? area.width() / width : 1.0);
  const qreal baseline = area.center().y() + (metrics.ascent() - metrics.descent()) * scale / 2;
  painter.save();
  painter.translate(area.left() - path.boundingRect().left() * scale, baseline);
  painter.scale(scale, scale);
  painter.setBrush(painter.pen().color());
  if (emphasised) {
    painter.setPen(QPen(painter.pen().color(), kOutlinePixels * 0.06, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  } else {
    painter.setPen(Qt::NoPen);
  }
  painter.drawPath(path);
  painter.restore();
}

// The wordmark on a rounded blue plate, with a small dial before it.
void paintWordmark(QPainter& painter, const QRectF& box, bool withSubtitle) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  const qreal radius = box.height() / 5;
  QLinearGradient plate(box.topLeft(), box.bottomLeft());
  plate.setColorAt(0, kBlue);
  plate.setColorAt(1, kNavy);
  painter.setPen(QPen(kNavy.darker(130), 1));
  painter.setBrush(plate);
  painter.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);

  const qreal pad = box.height() * 0.14;
  const qreal dialSide = box.height() - 2 * pad;
  const QRectF dial(box.left() + pad, box.top() + pad, dialSide, dialSide);
  paintDial(painter, dial, Qt::white, QColor(0xe8, 0xf0, 0xfa), kGreen, 4);

  const QRectF text(dial.right() + pad, box.top(), box.right() - dial.right() - 2 * pad, box.height());
  painter.setPen(Qt::white);
  const QString name = "Tallix";
  if (withSubtitle) {
    drawWordmarkText(painter, text.adjusted(0, 0, 0, -box.height() * 0.3), name, box.height() * 0.42, true);
    painter.setPen(QColor(0xd0, 0xe0, 0xf4));
    const qreal subtitleTop = box.height() * 0.55;
    drawWordmarkText(painter, text.adjusted(0, subtitleTop, 0, -(box.height() - subtitleTop - box.height() * 0.22)),
                     "online time meter", box.height() * 0.16, false);
  } else {
    drawWordmarkText(painter, text, name, box.height() * 0.5, true);
  }
  painter.restore();
}

}  // namespace

void paintTrayPicture(QPainter& painter, const QRectF& box, int picture) {
  if (picture < 0 || picture > 11) {
    paintDial(painter, box, QColor(0x70, 0x70, 0x70), QColor(0xdc, 0xdc, 0xdc), Qt::transparent, 0);
    // A short bar across the face: no line.
    const QRectF square = squareIn(box);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0xb0, 0x30, 0x30), std::max<qreal>(1.5, square.width() / 10), Qt::SolidLine,
                        Qt::RoundCap));
    const QPointF c = square.center();
    const qreal r = square.width() * 0.2;
    painter.drawLine(c - QPointF(r, 0), c + QPointF(r, 0));
    painter.restore();
    return;
  }
  paintDial(painter, box, kDarkGreen, Qt::white, kGreen, picture + 1);
}

void paintProgramIcon(QPainter& painter, const QRectF& box) {
  paintDial(painter, box, kNavy, Qt::white, kBlue, 4);
  const QRectF square = squareIn(box);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(kNavy, std::max<qreal>(1.0, square.width() / 16), Qt::SolidLine, Qt::RoundCap));
  const QPointF c = square.center();
  painter.drawLine(c, c + QPointF(0, -square.height() * 0.3));
  painter.drawLine(c, c + QPointF(square.width() * 0.22, square.height() * 0.1));
  painter.restore();
}

void paintWarningIcon(QPainter& painter, const QRectF& box) {
  const QRectF s = squareIn(box);
  const qreal pen = std::max<qreal>(1.0, s.width() / 16);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  QPolygonF triangle;
  triangle << QPointF(s.center().x(), s.top() + pen) << QPointF(s.right() - pen, s.bottom() - pen * 1.5)
           << QPointF(s.left() + pen, s.bottom() - pen * 1.5);
  painter.setPen(QPen(QColor(0x6b, 0x4e, 0x00), pen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(QColor(0xf9, 0xc8, 0x2b));
  painter.drawPolygon(triangle);
  painter.setPen(QPen(Qt::black, s.width() / 9, Qt::SolidLine, Qt::RoundCap));
  const qreal x = s.center().x();
  painter.drawLine(QPointF(x, s.top() + s.height() * 0.36), QPointF(x, s.top() + s.height() * 0.62));
  painter.drawPoint(QPointF(x, s.top() + s.height() * 0.76));
  painter.restore();
}

void paintGaugeScale(QPainter& painter, const QRectF& box) {
  painter.save();
  // Every other quarter hour is shaded, so the eye finds 15, 30 and 45.
  const qreal step = (box.width() - 1) / 60;
  for (int quarter = 0; quarter < 4; ++quarter) {
    const QColor band = quarter % 2 == 0 ? QColor(0xe4, 0xee, 0xf8) : QColor(0xf6, 0xf9, 0xfc);
    painter.fillRect(QRectF(box.left() + quarter * 15 * step, box.top(), 15 * step + 1, box.height()), band);
  }
  painter.setPen(QPen(kNavy, 1));
  const qreal bottom = box.bottom() - 0.5;
  painter.drawLine(QPointF(box.left(), bottom), QPointF(box.right(), bottom));
  for (int minute = 0; minute <= 60; ++minute) {
    qreal height = box.height() * 0.35;
    if (minute % 5 == 0) height = box.height() * 0.65;
    if (minute % 15 == 0) height = box.height();
    const qreal x = std::min(box.left() + minute * step + 0.5, box.right() - 0.5);
    painter.drawLine(QPointF(x, bottom), QPointF(x, bottom - height + 0.5));
  }
  painter.restore();
}

void paintGaugePointer(QPainter& painter, const QRectF& box) {
  const QRectF s = squareIn(box);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  QPolygonF arrow;
  arrow << QPointF(s.left() + s.width() * 0.12, s.top() + s.height() * 0.15)
        << QPointF(s.right() - s.width() * 0.12, s.top() + s.height() * 0.15)
        << QPointF(s.center().x(), s.bottom() - s.height() * 0.05);
  painter.setPen(QPen(QColor(0x7a, 0x12, 0x12), std::max<qreal>(1.0, s.width() / 16), Qt::SolidLine, Qt::RoundCap,
                      Qt::RoundJoin));
  painter.setBrush(QColor(0xd6, 0x36, 0x2f));
  painter.drawPolygon(arrow);
  painter.restore();
}

void paintSmallLogo(QPainter& painter, const QRectF& box) { paintWordmark(painter, box, false); }

void paintAboutLogo(QPainter& painter, const QRectF& box) { paintWordmark(painter, box, true); }

void paintFramePicture(QPainter& painter, const QRectF& box) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal radius = std::min(box.width(), box.height()) / 28;
  QLinearGradient edge(box.topLeft(), box.bottomRight());
  edge.setColorAt(0, kBlue.lighter(140));
  edge.setColorAt(0.5, kNavy);
  edge.setColorAt(1, kBlue.lighter(120));
  painter.setPen(QPen(kNavy.darker(140), 1));
  painter.setBrush(edge);
  painter.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
  // A light inner field with a fine line along its edge.
  const qreal inset = std::min(box.width(), box.height()) / 40;
  const QRectF inner = box.adjusted(inset, inset, -inset, -inset);
  painter.setPen(QPen(QColor(0xf0, 0xf4, 0xfa), 1));
  painter.setBrush(QColor(0xdd, 0xe6, 0xf2));
  painter.drawRoundedRect(inner, radius / 2, radius / 2);
  painter.restore();
}

QPixmap renderPicture(const PicturePainter& paint, QSize size) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  if (paint) {
    QPainter painter(&image);
    paint(painter, QRectF(QPointF(0, 0), QSizeF(size)));
  }
  // A picture painted on keeps its painting engine, with the buffers its
  // curves grew, for as long as it lives; the copy kept has none.
  return QPixmap::fromImage(image.copy());
}

namespace {

QIcon iconOf(const PicturePainter& paint) {
  QIcon icon;
  for (int side : {16, 32, 48, 64}) icon.addPixmap(renderPicture(paint, {side, side}));
  return icon;
}

}  // namespace

QIcon trayIcon(int picture) {
  return iconOf([picture](QPainter& p, const QRectF& box) { paintTrayPicture(p, box, picture); });
}

QIcon programIcon() {
  // Every window shows it: drawn once and shared (and never destroyed, as it
  // would be after the application).
  static const QIcon* const icon = new QIcon(iconOf(paintProgramIcon));
  return *icon;
}

QIcon warningIcon() { return iconOf(paintWarningIcon); }

PicturePainter pictureFor(ControlName controlName) {
  if (controlName == form1::Smallzvt) return paintSmallLogo;
  if (controlName == form1::imgFrame) return paintFramePicture;
  if (controlName == form1::imgPointer) return paintGaugePointer;
  if (controlName == form1::imgScale) return paintGaugeScale;
  if (controlName == form11::imgWarningMessage) return paintWarningIcon;
  if (controlName == form4::imgMyName) return paintAboutLogo;
  if (controlName == form4::imgFlowerIcon) return paintProgramIcon;
  return {};
}

}  // namespace tallix::shell
