// The tariff as the program keeps it: read from tariff.ini at start-up (a
// malformed file is told once and no amount is shown), and edited as text
// in a small window of its own opened from the Settings view.
#pragma once

#include <string>
#include <string_view>

#include "form/main_form.h"

namespace tallix {

// Reads tariff.ini into form.tariff and sets the Settings view's line on it.
// A malformed file is told through AnswerOk and leaves no tariff.
void loadTariff(MainForm& form);

// The text the edit window starts with, as UTF-8 with line feeds: the file as
// it stands (its encoding, mark and line ends kept in form.tariffShape), or
// a commented example when there is none.
std::string tariffText(MainForm& form);

// The edit window's Save, given the edited UTF-8 text: a text that a start
// would refuse (no tariff, too long) is refused with its line and reason,
// and the tariff in force stays; an empty text (blanks and comments only)
// removes the tariff. Otherwise the text replaces tariff.ini whole, in the
// shape the file had. Returns whether the text was taken, so the window
// knows to close.
bool cmdTariffSave_Click(MainForm& form, std::string_view text);

}  // namespace tallix
