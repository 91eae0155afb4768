// Reading strace's output into the operations of a recording. Only the calls
// the program makes on the tree are modelled (open, pwrite, the syncs, rename,
// unlink, mkdir); any other traced call that changes a file of the tree, or
// copies a handle of one, stops the reading with its name, so nothing done to
// the tree goes unseen.
#include <fcntl.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "crash/power_cut.h"

namespace tallix::crash {
namespace {

// One line of strace's output: the call, its arguments as written, its
// result. Under -xx a string is all \x escapes, so no comma or parenthesis
// stands inside one; arguments that are lists or structures may come apart,
// but none the model reads.
bool parseLine(const std::string& line, std::string& call, std::vector<std::string>& args, long long& result) {
  const size_t open = line.find('(');
  const size_t equals = line.rfind(" = ");  // strace pads short calls with blanks before it
  const size_t close = equals == std::string::npos ? equals : line.find_last_of(')', equals);
  if (open == std::string::npos || open == 0 || close == std::string::npos || close < open) return false;
  call = line.substr(0, open);
  if (call.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_") != std::string::npos) return false;
  args.clear();
  std::stringstream in(line.substr(open + 1, close - open - 1));
  for (std::string arg; std::getline(in, arg, ',');) args.push_back(arg.starts_with(' ') ? arg.substr(1) : arg);
  const char* text = line.c_str() + equals + 3;
  char* end = nullptr;
  result = std::strtoll(text, &end, 0);
  return end != text;
}

// A string argument as strace -xx writes it: "\x41\x42".
bool decode(const std::string& arg, std::string& bytes) {
  if (arg.size() < 2 || arg.front() != '"' || arg.back() != '"') return false;
  bytes.clear();
  for (size_t at = 1; at + 1 < arg.size();) {
    if (arg.compare(at, 2, "\\x") != 0 || at + 4 > arg.size() - 1) return false;
    bytes += static_cast<char>(std::strtol(arg.substr(at + 2, 2).c_str(), nullptr, 16));
    at += 4;
  }
  return true;
}

long long number(const std::string& arg) {
  const size_t start = arg.find_first_of("-0123456789");
  return start == std::string::npos ? -1 : std::strtoll(arg.c_str() + start, nullptr, 0);
}

}  // namespace

std::string Recording::relative(const std::string& path, int dirFd) const {
  std::filesystem::path whole = path;
  if (whole.is_relative()) {
    const auto handle = open_.find(dirFd);
    if (dirFd == AT_FDCWD || handle == open_.end() || handle->second.folder.empty()) return {};
    whole = root_ + "/" + handle->second.folder + "/" + path;
  }
  std::string normal = whole.lexically_normal().generic_string();
  if (normal.ends_with('/')) normal.pop_back();
  if (normal.size() <= root_.size() + 1 || normal.compare(0, root_.size() + 1, root_ + "/") != 0) return {};
  return normal.substr(root_.size() + 1);
}

std::string Recording::apply(const std::string& call, const std::vector<std::string>& args, long long result) {
  auto arg = [&args](size_t i) { return i < args.size() ? args[i] : std::string(); };
  auto text = [&arg](size_t i) {
    std::string bytes;
    decode(arg(i), bytes);
    return bytes;
  };
  auto fdAt = [&](size_t i) { return number(arg(i)); };
  // The path of argument `i`, or for the *at calls of the folder handle and path from `i` on.
  const bool at = call == "openat" || call == "unlinkat" || call == "mkdirat" || call.starts_with("renameat");
  auto pathAt = [&](size_t i) {
    return at ? relative(text(i + 1), arg(i) == "AT_FDCWD" ? AT_FDCWD : static_cast<int>(number(arg(i))))
              : relative(text(i), AT_FDCWD);
  };
  auto file = [this](long long fd) -> const OpenFile* {
    auto found = open_.find(fd);
    return found == open_.end() || found->second.inode < 0 ? nullptr : &found->second;
  };

  if (call == "open" || call == "openat" || call == "creat") {
    const std::string path = pathAt(0);
    const std::string flags = call == "creat" ? "O_CREAT|O_TRUNC" : arg(at ? 2 : 1);
    OpenFile handle;
    if (path.empty()) {
      open_.erase(result);  // outside the tree: nothing to model
      return {};
    }
    if (folders_.count(path) != 0 || flags.find("O_DIRECTORY") != std::string::npos) {
      handle.folder = path;
    } else if (auto found = names_.find(path); found != names_.end()) {
      handle.inode = found->second;
      if (flags.find("O_TRUNC") != std::string::npos) {
        ops_.push_back(Op{Op::Truncate, {}, {}, {}, handle.inode, 0, {}});
        bytes_[static_cast<size_t>(handle.inode)].clear();
      }
    } else if (flags.find("O_CREAT") != std::string::npos) {
      handle.inode = static_cast<int>(bytes_.size());
      bytes_.emplace_back();
      names_[path] = handle.inode;
      ops_.push_back(Op{Op::Create, parentOf(path), path, {}, handle.inode, 0, {}});
    } else {
      return "opened " + path + ", which the model does not hold";
    }
    open_[result] = handle;
  } else if (call == "close") {
    open_.erase(fdAt(0));
  } else if (call == "write" && fdAt(0) == markFd_) {
    ops_.push_back(Op{Op::Mark, {}, {}, {}, -1, 0, text(1)});
  } else if (const OpenFile* handle = file(fdAt(0)); call == "pwrite64" && handle != nullptr) {
    const std::string bytes = text(1).substr(0, static_cast<size_t>(result));
    const long long offset = number(arg(3));
    std::string& whole = bytes_[static_cast<size_t>(handle->inode)];
    if (static_cast<long long>(whole.size()) < offset + static_cast<long long>(bytes.size()))
      whole.resize(static_cast<size_t>(offset) + bytes.size(), '\0');
    whole.replace(static_cast<size_t>(offset), bytes.size(), bytes);
    ops_.push_back(Op{Op::Write, {}, {}, {}, handle->inode, offset, bytes});
  } else if (call == "fsync" || call == "fdatasync") {
    if (auto found = open_.find(fdAt(0)); found != open_.end()) {
      if (found->second.inode >= 0) ops_.push_back(Op{Op::SyncFile, {}, {}, {}, found->second.inode, 0, {}});
      if (!found->second.folder.empty()) ops_.push_back(Op{Op::SyncFolder, found->second.folder, {}, {}, -1, 0, {}});
    }
  } else if (call.starts_with("rename")) {
    const std::string from = pathAt(0);
    const std::string to = pathAt(at ? 2 : 1);
    if (from.empty() != to.empty()) return "a rename into or out of the tree";
    if (from.empty()) return {};
    if (folders_.count(from) != 0) return "a folder renamed";
    if (parentOf(from) != parentOf(to)) return "a rename between two folders";
    ops_.push_back(Op{Op::Rename, parentOf(to), from, to, -1, 0, {}});
    if (auto found = names_.find(from); found != names_.end()) {
      names_[to] = found->second;
      names_.erase(found);
    }
  } else if (call.starts_with("unlink") || call.starts_with("mkdir")) {
    const std::string path = pathAt(0);
    if (path.empty()) return {};
    if (call.starts_with("unlink")) {
      if (folders_.count(path) != 0) return "a folder removed";
      names_.erase(path);
    } else {
      folders_.insert(path);
    }
    ops_.push_back(Op{call.starts_with("unlink") ? Op::Unlink : Op::Mkdir, parentOf(path), path, {}, -1, 0, {}});
  } else if (call == "truncate") {
    if (!pathAt(0).empty()) return call + " is not modelled";
  } else if (call != "fcntl" || arg(1).starts_with("F_DUPFD")) {
    // write, writev, ftruncate, sendfile, copy_file_range, dup: on a handle of the tree, not modelled.
    if (open_.count(fdAt(call == "copy_file_range" ? 2 : 0)) != 0) return call + " is not modelled";
  }
  return {};
}

std::string Recording::read(const std::string& traceText, const std::string& root, int markFd) {
  root_ = root;
  while (!root_.empty() && root_.back() == '/') root_.pop_back();
  markFd_ = markFd;
  std::stringstream in(traceText);
  std::string call;
  std::vector<std::string> args;
  long long result = 0;
  for (std::string line; std::getline(in, line);) {
    if (!parseLine(line, call, args, result)) continue;
    if (result < 0) continue;  // a call that failed changed nothing
    const std::string problem = apply(call, args, result);
    if (!problem.empty()) return problem + " (" + line.substr(0, 200) + ")";
  }
  return {};
}

}  // namespace tallix::crash
