#include "app/tray_presence.h"

namespace tallix {

void Form3_TrayAppeared(MainForm& form) {
  TrayState& tray = form.tray;
  tray.present = true;
  tray.waiting = false;
  if (tray.windowShownForIt) form.windowVisible = false;
  tray.windowShownForIt = false;
}

void Form3_TrayGone(MainForm& form) {
  form.tray.present = false;
  form.tray.waiting = true;
}

void Form3_TrayWaitEnded(MainForm& form) {
  TrayState& tray = form.tray;
  if (tray.present || !tray.waiting) return;
  tray.waiting = false;
  if (!form.windowVisible) {
    form.windowVisible = true;
    form.windowState = WindowState::Normal;
    tray.windowShownForIt = true;
  }
}

bool closeEndsProgram(const MainForm& form) { return !form.tray.present && !form.tray.waiting; }

}  // namespace tallix
