// Build-time helper: draws the program icon with the same painter the running
// program uses and writes it into a hicolor icon theme tree, as PNGs of the
// usual sizes and as one scalable SVG.
//   tallix-render-icons OUTPUT_FOLDER
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <cstdio>

#include "shell/pictures.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tallix-render-icons OUTPUT_FOLDER\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");  // no display is needed to draw
  QGuiApplication app(argc, argv);
  const QDir root(QString::fromLocal8Bit(argv[1]));

  for (int side : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QString folder = QStringLiteral("hicolor/%1x%1/apps").arg(side);
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
      QPainter painter(&image);
      tallix::shell::paintProgramIcon(painter, QRectF(0, 0, side, side));
    }
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
