// The faces the program draws its designed windows with.
#pragma once

#include <QFont>

#include "form/controls.h"

namespace tallix::shell {

// The font of a design row. Where the designed face is missing, a face of
// about the same width stands in, so texts stay inside controls sized for it.
QFont designFont(const FontSpec& row);

// The face of the main window's buttons. The logo's letters use it too, and
// the menu bar outside Windows: each face, and each size of a hinted
// TrueType face, stays in memory for the whole run once drawn, and the
// design's faces are drawn anyway.
QFont buttonFont();

}  // namespace tallix::shell
