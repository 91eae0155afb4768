#include "shell/fonts.h"

#include <QStringList>

namespace tallix::shell {

QFont designFont(const FontSpec& row) {
  // The Ming face's Latin letters are serif and narrow, like Times.
  static const QStringList serif{"Times New Roman", "Liberation Serif", "Nimbus Roman", "Times"};
  static const QStringList sans{"Arial", "Liberation Sans", "Nimbus Sans", "Helvetica"};
  const QString family = QString::fromStdString(row.family);
  const bool serifFace = family == "PMingLiU" || family == "Times New Roman";
  QFont font;
  font.setFamilies(QStringList{family} + (serifFace ? serif : sans));
  font.setPointSizeF(row.points);
  font.setBold(row.bold);
  return font;
}

QFont buttonFont() { return designFont(FontSpec{"Arial", 9.0, false, 0}); }

}  // namespace tallix::shell
