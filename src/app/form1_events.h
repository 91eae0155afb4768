// The main window's own events and the start-up rules that need no windowing
// toolkit: load, the view switch, the two settings, the close request, and
// what the start-up window and its icon menu do to the main window.
#pragma once

#include <string_view>
#include <vector>

#include "form/main_form.h"

namespace tallix {

// Loads the main window: resets the tick's state, lays out the three views,
// reads the part-minute setting, reloads the period and applies tallix.ini.
void Form1_Form_Load(MainForm& form);

// Shows the view "Main", "Settings" or "Calculation"; any other name changes
// nothing. The Calculation view refreshes CountRec.log and the file list.
void ShowView(MainForm& form, std::string_view view);

// Mouse released over a settings check box: applies the box's value.
void chkRunMe_MouseUp(MainForm& form);
void chkToBeMin_MouseUp(MainForm& form);

// What the shell does after a close request of the main window.
enum class CloseOutcome {
  Hide,        // the window was hidden; the program goes on in the tray
  EndProgram,  // no tray to come back from: end the program at once
};

// Close request of the main window (title bar or " Close"): saves the
// position while the window is in its normal state, where the desktop tells
// it. With a tray, or while one is waited for, the close is cancelled and the
// window hidden; otherwise nothing could bring it back, so the program ends.
CloseOutcome Form1_Form_QueryUnload(MainForm& form);

// Start-up after the single-instance check and AppPath: loads the main
// window, keeps it hidden (shown while there is no tray to reach it from),
// and adds the icon with the offline picture and its tip. A data folder that
// cannot be written is named in one message, and the window is shown.
void Form3_Form_Load(MainForm& form, bool trayPresent);

// The program is about to end (Remove, a close request, the session's end):
// the open connection's end record gets the current time in one write, as
// the tick's refresh would, so the time up to the quit is kept. Nothing is
// shown and nothing else changes: the next start begins a new pair as usual.
void Form3_Ending(MainForm& form);

// Icon menu commands that act on the main window alone.
void Form3_mShow_Click(MainForm& form);
void Form3_mHelp_Click(MainForm& form);

// The icon's popup menu, in its order; a caption "-" is a separator.
struct MenuItemSpec {
  std::string_view name;
  std::string_view caption;
};
const std::vector<MenuItemSpec>& popupMenuDesign();

inline constexpr std::string_view kPopupCaption = "Popup";
inline constexpr std::string_view kCloseCaption = " Close";  // the main window's one menu bar item
inline constexpr std::string_view kTrayTip = "Zvt";

// Labels of the two records of tallix.ini.
inline constexpr std::string_view kLocationLabel = "[F1Location]";
inline constexpr std::string_view kRunMeLabel = "[CheckedRunMe]";

}  // namespace tallix
