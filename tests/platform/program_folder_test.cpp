// The data folder: a writable portable copy keeps its files beside itself,
// an installed or unwritable one uses the user's data folder.
#ifndef _WIN32

#include "platform/program_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "support/fake_services.h"

namespace tallix::testing {
namespace {

void setOrUnset(const char* name, const std::optional<std::string>& value) {
  if (value) ::setenv(name, value->c_str(), 1);
  else ::unsetenv(name);
}

TEST(ProgramFolderTest, ChoosesTheDataFolder) {
  TempDir program;
  TempDir home;
  const std::string xdg = home.file("data");
  // /proc takes no new file, not even from root.
  const struct {
    std::string programFolder, installedFolder;
    std::optional<std::string> xdgDataHome;
    std::string expected;
    bool writable;
  } cases[] = {
      {program.path(), "/usr/bin/", xdg, program.path(), true},
      {program.path(), program.path(), xdg, xdg + "/tallix/", true},
      {"/proc/", "", xdg, xdg + "/tallix/", true},
      {"/proc/", "", "relative/data", home.file(".local/share/tallix/"), true},
      {"/proc/", "", std::nullopt, home.file(".local/share/tallix/"), true},
      {"/proc/", "", "/proc/none", "/proc/none/tallix/", false},
  };
  const char* savedHome = std::getenv("HOME");
  const char* savedXdg = std::getenv("XDG_DATA_HOME");
  const std::optional<std::string> oldHome = savedHome ? std::optional<std::string>(savedHome) : std::nullopt;
  const std::optional<std::string> oldXdg = savedXdg ? std::optional<std::string>(savedXdg) : std::nullopt;
  ::setenv("HOME", home.path().c_str(), 1);
  for (const auto& c : cases) {
    setOrUnset("XDG_DATA_HOME", c.xdgDataHome);
    const DataFolder chosen = chooseDataFolder(c.programFolder, c.installedFolder);
    EXPECT_EQ(chosen.path, c.expected) << c.programFolder << " " << c.xdgDataHome.value_or("unset");
    EXPECT_EQ(chosen.writable, c.writable) << c.expected;
    if (c.writable && c.expected != program.path()) {
      struct stat made {};
      ASSERT_EQ(::stat(c.expected.c_str(), &made), 0);
      EXPECT_EQ(made.st_mode & 0777, 0700u) << "a new data folder is its owner's alone";
    }
  }
  setOrUnset("HOME", oldHome);
  setOrUnset("XDG_DATA_HOME", oldXdg);
  // The probe file is gone again.
  EXPECT_TRUE(std::filesystem::is_empty(program.path()));
}

}  // namespace
}  // namespace tallix::testing

#endif
