// Roles for screen readers where Qt cannot know them: our own pictures,
// lines and the Usage window's chart are plain widgets to Qt.
#pragma once

namespace tallix::shell {

// Makes Qt give each of those widgets its role; safe to call more than once.
void installAccessibleRoles();

}  // namespace tallix::shell
