// The desktop's tray coming, going and coming back. At log-in the panel that
// holds the tray often starts after the program; a panel can also be
// restarted. While there is no tray the main window is what keeps the
// program reachable.
#pragma once

#include "form/main_form.h"

namespace tallix {

// How long a missing tray is waited for, at start-up and after it went,
// before the desktop is taken to have none: long enough for a slow log-in.
inline constexpr int kTrayWaitSeconds = 30;

// A tray is there: the icon goes into it, and the window shown only for
// want of a tray is hidden. The shell offers it a notice still due.
void Form3_TrayAppeared(MainForm& form);
// The tray has gone: it is waited for (the shell times the wait).
void Form3_TrayGone(MainForm& form);
// The wait is over. Still no tray: the window is shown, since nothing else
// could bring it back.
void Form3_TrayWaitEnded(MainForm& form);

// Closing the window ends the program only when there is no tray and none is
// waited for any more; otherwise it hides the window.
bool closeEndsProgram(const MainForm& form);

}  // namespace tallix
