// Build-time helper: draws the program icon with the same painter the running
// program uses and writes it into a hicolor icon theme tree, as PNGs of the
// usual sizes and as one scalable SVG. Given a second folder, it also writes
// there what the Windows build and installer use: the icon file tallix.ico
// (16 to 256 px) and the installer's side picture wizard.bmp.
//   tallix-render-icons OUTPUT_FOLDER [WINDOWS_FOLDER]
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <QtEndian>

#include <cstdio>
#include <iterator>

#include "shell/pictures.h"

namespace {

QImage drawn(int side) {
  QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  tallix::shell::paintProgramIcon(painter, QRectF(0, 0, side, side));
  return image;
}

template <typename T>
void put(QByteArray& out, T value) {
  const T little = qToLittleEndian(value);
  out.append(reinterpret_cast<const char*>(&little), sizeof little);
}

// One picture of an icon file as Windows reads it: a 32-bit bitmap, rows
// from the bottom, with its transparency mask after it; the large ones as PNG.
QByteArray iconPicture(const QImage& drawnImage) {
  const QImage image = drawnImage.convertToFormat(QImage::Format_ARGB32);
  const int side = image.width();
  QByteArray out;
  if (side >= 64) {
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return out;
  }
  const int maskRow = (side + 31) / 32 * 4;
  put<quint32>(out, 40);
  put<qint32>(out, side);
  put<qint32>(out, side * 2);  // the picture and its mask
  put<quint16>(out, 1);
  put<quint16>(out, 32);
  put<quint32>(out, 0);
  put<quint32>(out, static_cast<quint32>(side * side * 4 + maskRow * side));
  for (int i = 0; i < 4; ++i) put<quint32>(out, 0);
  for (int y = side - 1; y >= 0; --y)
    for (int x = 0; x < side; ++x) put<quint32>(out, image.pixel(x, y));  // B, G, R, A in the file
  for (int y = side - 1; y >= 0; --y) {
    QByteArray row(maskRow, '\0');
    for (int x = 0; x < side; ++x)
      if (qAlpha(image.pixel(x, y)) == 0) row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
    out.append(row);
  }
  return out;
}

bool writeIconFile(const QString& path) {
  const int sides[] = {16, 24, 32, 48, 64, 128, 256};
  const int count = static_cast<int>(std::size(sides));
  QByteArray head;
  QByteArray pictures;
  put<quint16>(head, 0);
  put<quint16>(head, 1);  // an icon
  put<quint16>(head, static_cast<quint16>(count));
  for (int side : sides) {
    const QByteArray picture = iconPicture(drawn(side));
    head.append(static_cast<char>(side >= 256 ? 0 : side));  // 0 stands for 256
    head.append(static_cast<char>(side >= 256 ? 0 : side));
    head.append(2, '\0');
    put<quint16>(head, 1);
    put<quint16>(head, 32);
    put<quint32>(head, static_cast<quint32>(picture.size()));
    put<quint32>(head, static_cast<quint32>(6 + 16 * count + pictures.size()));
    pictures.append(picture);
  }
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(head + pictures) == head.size() + pictures.size();
}

// The picture at the side of the installer's first and last pages (164 x 314
// as the installer's pages expect it): the icon on a quiet ground.
bool writeWizardPicture(const QString& path) {
  QImage image(164, 314, QImage::Format_RGB32);
  image.fill(QColor(0xee, 0xf3, 0xfa));
  {
    QPainter painter(&image);
    tallix::shell::paintProgramIcon(painter, QRectF(18, 40, 128, 128));
  }
  return image.save(path, "BMP");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: tallix-render-icons OUTPUT_FOLDER [WINDOWS_FOLDER]\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");  // no display is needed to draw
  QGuiApplication app(argc, argv);
  const QDir root(QString::fromLocal8Bit(argv[1]));
  if (argc == 3) {
    const QDir windows(QString::fromLocal8Bit(argv[2]));
    if (!windows.mkpath(".") || !writeIconFile(windows.filePath("tallix.ico")) ||
        !writeWizardPicture(windows.filePath("wizard.bmp"))) {
      std::fprintf(stderr, "tallix-render-icons: cannot write into %s\n", argv[2]);
      return 1;
    }
  }

  for (int side : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QString folder = QStringLiteral("hicolor/%1x%1/apps").arg(side);
    const QImage image = drawn(side);
    if (!root.mkpath(folder) || !image.save(root.filePath(folder + "/tallix.png"))) {
      std::fprintf(stderr, "tallix-render-icons: cannot write %s\n", qPrintable(folder));
      return 1;
    }
  }

  const QString scalable = QStringLiteral("hicolor/scalable/apps");
  if (!root.mkpath(scalable)) return 1;
  QSvgGenerator svg;
  svg.setFileName(root.filePath(scalable + "/tallix.svg"));
  svg.setSize(QSize(256, 256));
  svg.setViewBox(QRectF(0, 0, 256, 256));
  svg.setTitle(QStringLiteral("Tallix"));
  {
    QPainter painter;
    if (!painter.begin(&svg)) return 1;
    tallix::shell::paintProgramIcon(painter, QRectF(0, 0, 256, 256));
  }
  return 0;
}
