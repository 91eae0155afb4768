// The designs of the program's windows, one table each.
#pragma once

#include <vector>

#include "form/control_names.h"
#include "form/controls.h"

namespace tallix {

// The main window's outer size in twips, and the height of its three views
// (three rows taller than the time alone needed, for the data volume's lines).
inline constexpr float kForm1Width = 6672;
inline constexpr float kForm1Height = 5688;
inline constexpr float kForm1FrameHeight = 3972;

const std::vector<ControlSpec>& form1Design();   // main window
const std::vector<ControlSpec>& form11Design();  // message window
const std::vector<ControlSpec>& form4Design();   // About box

// Client sizes of the message window and the About box, in twips.
inline constexpr float kForm11ClientWidth = 3432;
inline constexpr float kForm11ClientHeight = 1716;
inline constexpr float kForm4ClientWidth = 4788;
inline constexpr float kForm4ClientHeight = 3576;

}  // namespace tallix
