// The file operations of a recorded run, read from strace's output, and the
// states a power cut could leave of a folder at each point of that run.
//
// Only what lies under one root folder is modelled. A state is made of the
// folders' entries and the files' bytes. What is on the disk for sure at a
// point: a name made, renamed or removed once its folder was synced after
// it, a file's bytes once the file was synced after them. What may be there
// as well: any part of what came later and was not synced yet, under two
// rules journaling file systems keep: the entries of one folder reach the
// disk in the order they were changed, and so do the writes into one file.
// Entries and bytes are independent of each other: a rename can reach the
// disk while the bytes of the file it names do not (delayed allocation).
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace tallix::crash {

// A folder tree as a power cut left it: relative paths ("data/1.log").
struct FolderState {
  std::set<std::string> folders;
  std::map<std::string, std::string> files;  // path -> bytes
};

struct Op {
  enum Kind { Create, Mkdir, Rename, Unlink, Write, Truncate, SyncFile, SyncFolder, Mark };
  Kind kind = Mark;
  std::string folder;  // the folder whose entries a Create, Mkdir, Rename or Unlink changes
  std::string path;    // Create, Mkdir, Unlink; Rename's source
  std::string to;      // Rename's target
  int inode = -1;      // Create, Write, Truncate, SyncFile
  long long offset = 0;  // Write's place, Truncate's length
  std::string data;    // Write's bytes, Mark's text
};

class Recording {
 public:
  // `initial` is the tree before the run, as it stood on the disk.
  explicit Recording(FolderState initial);
  // Reads strace's output (-xx, one process) of the run; paths under `root`
  // are modelled, writes to `markFd` are marks. Returns an error text, or "".
  std::string read(const std::string& traceText, const std::string& root, int markFd);

  const std::vector<Op>& ops() const { return ops_; }

  // Every state a power cut just before ops()[point] could leave (point ==
  // ops().size(): after the whole run). Where the combinations are many, a
  // sample is taken: folders and files each all kept or all lost, each
  // folder at a few of its choices, each file alone where they are few.
  std::vector<FolderState> statesAt(size_t point) const;

 private:
  struct OpenFile {
    int inode = -1;
    std::string folder;  // set for an open folder
  };
  std::string apply(const std::string& call, const std::vector<std::string>& args, long long result);
  std::string relative(const std::string& path, int dirFd) const;

  FolderState initial_;
  std::vector<Op> ops_;
  // The run's own view while reading: names, open handles, file bytes.
  std::string root_;
  int markFd_ = -1;
  std::set<std::string> folders_;
  std::map<std::string, int> names_;
  std::vector<std::string> bytes_;
  std::map<long long, OpenFile> open_;  // handles of the tree's files and folders
  std::vector<std::string> initialNames_;  // inode -> its name in `initial_`
};

// The folder a relative path lies in: "data/1.log" -> "data", "data" -> "".
std::string parentOf(const std::string& path);

// A 64-bit digest of a state, to try each distinct state once.
std::uint64_t digest(const FolderState& state);

}  // namespace tallix::crash
