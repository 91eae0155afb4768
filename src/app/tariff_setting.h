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

// The text the edit window starts with: the file as it stands, or a
// commented example when there is none.
std::string tariffText(const MainForm& form);

// The edit window's Save: a text that is no tariff is refused with its line
// and reason and nothing changes; an empty text (blanks and comments only)
// removes the tariff. Otherwise the text replaces tariff.ini whole. Returns
// whether the text was taken, so the window knows to close.
bool cmdTariffSave_Click(MainForm& form, std::string_view text);

}  // namespace tallix
