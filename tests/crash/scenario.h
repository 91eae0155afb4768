// The day in the program's life whose file operations the power-cut check
// records, and the start-up that must survive a cut anywhere in it.
//
// The real program's windows cannot be made to save a tariff from a test,
// so the day is driven through the same logic the windows call (start-up,
// the timer, the settings box, the tariff window's Save) with a fake clock
// and line; files, syncs and the autostart entry are the real ones.
#pragma once

#include <string>
#include <vector>

#include "crash/power_cut.h"

namespace tallix::crash {

// Where the run writes its marks: what it has been promised so far.
inline constexpr int kMarkFd = 1000;
inline constexpr char kMarkSeparator = '\x1f';

// The tree before the day: `root`/data with 99 closed periods and the live
// period's file, an old tariff, and `root`/config without its autostart folder.
void makeInitialTree(const std::string& root);
// Reads a tree from the disk (files and folders below `root`).
FolderState readTree(const std::string& root);
// Writes a state below `root`, which must not exist yet.
void writeTree(const std::string& root, const FolderState& state);

// The day itself, run in this process on `root` (made by makeInitialTree):
// start-up, a connection with an even-minute refresh, the start-at-log-on box
// ticked, a tariff saved, and a connection across the end of the period whose
// rollover finds all 99 numbers taken and moves the set into Oldlog.
void runDay(const std::string& root);

// What the run had been promised before a point: every mark up to it.
struct Promises {
  std::vector<std::string> logs;                // whole files that must stay, somewhere
  std::vector<std::string> pairs;               // header, start and end records of each closed connection
  std::vector<std::string> volumes;             // header and start records, "received sent", of each
  std::string tariff;                           // tariff.ini as saved, once saved
  std::string autostart;                        // the entry as written, once written
  bool settingsSaved = false;
};
void addMark(Promises& promises, const std::string& mark);
// The promises the tree held before the day: its logs and its closed pairs.
Promises promisesOf(const FolderState& initial);

// Starts the program's logic on a state written below `root` after a power
// cut, records one more connection, and checks every promise; gives what is
// wrong, each line led by its kind and a colon, or nothing.
std::vector<std::string> startAndCheck(const std::string& root, const Promises& promises,
                                       const std::string& initialTariff);

}  // namespace tallix::crash
