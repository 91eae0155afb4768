// The program's command line: --help and --version are answered without a
// window (and without a display), any other option of ours is refused with
// the usage, and where no display is named the program runs offscreen.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallix::shell {

enum class CommandAction { Run, Help, Version, Refuse };

struct Command {
  CommandAction action = CommandAction::Run;
  std::string unknown;  // the argument refused
};

// Reads the arguments after the program's name. Qt's own options
// (-platform xcb, -style=fusion, ...) are left to Qt.
Command readCommandLine(const std::vector<std::string_view>& arguments);

// `tallix --help`.
std::string programUsage();

// The line said when no display is named and the program falls back to the
// offscreen platform.
inline constexpr std::string_view kNoDisplayLine =
    "tallix: no display found; starting on Qt's offscreen platform (it still meters and records)\n";

// True where windows need a display named in the environment (X11 or
// Wayland), none is named, and no platform was chosen.
bool lacksDisplay(const std::vector<std::string_view>& arguments);

// Answers --help, --version and a refused option (the exit code to end
// with); otherwise picks the offscreen platform where there is no display,
// saying so, and answers nothing.
std::optional<int> answerCommandLine(int argc, char** argv);

}  // namespace tallix::shell
