#include "shell/command_line.h"

#include <array>
#include <cstdio>
#include <cstdlib>

#include "version.h"

namespace tallix::shell {
namespace {

// Qt's own options, taken by QApplication: those that take a value, then
// plain switches.
constexpr std::array<std::string_view, 11> kQtValueOptions = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon",
    "qwindowtitle", "style", "stylesheet", "session", "display"};
constexpr std::array<std::string_view, 5> kQtSwitches = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

template <size_t N>
bool listed(const std::array<std::string_view, N>& names, std::string_view name) {
  for (std::string_view known : names)
    if (known == name) return true;
  return false;
}

// The option's name without its dashes and any "=value"; empty for an
// argument that is no option.
std::string_view optionName(std::string_view argument) {
  if (argument.size() < 2 || argument[0] != '-') return {};
  argument.remove_prefix(argument[1] == '-' ? 2 : 1);
  return argument.substr(0, argument.find('='));
}

bool inlineValue(std::string_view argument) { return argument.find('=') != std::string_view::npos; }

#if !defined(_WIN32) && !defined(__APPLE__)
bool named(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != '\0';
}
#endif

}  // namespace

Command readCommandLine(const std::vector<std::string_view>& arguments) {
  Command command;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    if (argument == "--help" || argument == "-h" || argument == "--version") {
      // The first question asked is answered, unless an option is refused.
      if (command.action == CommandAction::Run)
        command.action = argument == "--version" ? CommandAction::Version : CommandAction::Help;
      continue;
    }
    const std::string_view name = optionName(argument);
    if (listed(kQtSwitches, name) && !inlineValue(argument)) continue;
    if (listed(kQtValueOptions, name)) {
      if (inlineValue(argument)) continue;
      if (i + 1 < arguments.size()) {
        ++i;
        continue;
      }
    }
    // An argument that is none of these is refused, even beside --help:
    // the usage is printed either way.
    if (command.action != CommandAction::Refuse) command = {CommandAction::Refuse, std::string(argument)};
  }
  return command;
}

std::string programUsage() {
  return "Usage: tallix [--help | --version]\n"
         "Meters the time spent online over a dial-up (PPP) connection from the\n"
         "notification area. Right-click its icon for About, Show, Usage, Help and\n"
         "Remove; without a notification area the main window is shown instead.\n"
         "\n"
         "  -h, --help     show this help and exit\n"
         "      --version  show the version and exit\n"
         "\n"
         "Qt's own options (-platform NAME, -style NAME, ...) are passed to Qt.\n"
         "Where no display is found (DISPLAY and WAYLAND_DISPLAY unset) Tallix runs on\n"
         "Qt's offscreen platform and still meters and records.\n"
         "\n"
         "Files live in the program's own folder when it can be written, otherwise in\n"
         "$XDG_DATA_HOME/tallix/ (~/.local/share/tallix/). tallix-report totals them\n"
         "from a shell. See man tallix.\n";
}

bool lacksDisplay(const std::vector<std::string_view>& arguments) {
#if defined(_WIN32) || defined(__APPLE__)
  (void)arguments;
  return false;
#else
  if (named("QT_QPA_PLATFORM") || named("DISPLAY") || named("WAYLAND_DISPLAY")) return false;
  for (std::string_view argument : arguments)
    if (optionName(argument) == "platform") return false;
  return true;
#endif
}

std::optional<int> answerCommandLine(int argc, char** argv) {
  std::vector<std::string_view> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  const Command command = readCommandLine(arguments);
  switch (command.action) {
    case CommandAction::Help:
      std::fputs(programUsage().c_str(), stdout);
      return 0;
    case CommandAction::Version:
      std::puts("tallix " TALLIX_VERSION);
      return 0;
    case CommandAction::Refuse:
      std::fprintf(stderr, "tallix: unknown option '%s'\n%s", command.unknown.c_str(), programUsage().c_str());
      return 2;
    case CommandAction::Run:
      break;
  }
#if !defined(_WIN32) && !defined(__APPLE__)
  if (lacksDisplay(arguments)) {
    std::fputs(kNoDisplayLine.data(), stderr);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
#endif
  return std::nullopt;
}

}  // namespace tallix::shell
