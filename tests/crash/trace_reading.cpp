// Reading strace's output into the operations of a recording.
#include <fcntl.h>

#include <cstdlib>
#include <sstream>

#include "crash/power_cut.h"

namespace tallix::crash {
namespace {

// One line of strace's output: the call, its arguments as written, its result.
bool parseLine(const std::string& line, std::string& call, std::vector<std::string>& args, long long& result) {
  const size_t open = line.find('(');
  if (open == std::string::npos || open == 0) return false;
  call = line.substr(0, open);
  if (call.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_") != std::string::npos) return false;
  args.clear();
  int depth = 0;
  bool quoted = false;
  std::string current;
  size_t at = open + 1;
  for (; at < line.size(); ++at) {
    const char c = line[at];
    if (quoted) {
      if (c == '"') quoted = false;
      current += c;
      continue;
    }
    if (c == '"') quoted = true;
    if (c == '[' || c == '{' || c == '(') ++depth;
    if ((c == ']' || c == '}') && depth > 0) --depth;
    if (c == ')' && depth-- == 0) break;
    if (c == ',' && depth == 0) {
      args.push_back(current);
      current.clear();
      continue;
    }
    if (c == ' ' && current.empty()) continue;
    current += c;
  }
  if (at >= line.size()) return false;  // unfinished
  if (!current.empty()) args.push_back(current);
  const size_t equals = line.find("= ", at);
  if (equals == std::string::npos) return false;
  const char* text = line.c_str() + equals + 2;
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
  std::string whole = path;
  if (path.empty() || path.front() != '/') {
    const auto handle = open_.find(dirFd);
    if (dirFd == AT_FDCWD || handle == open_.end() || handle->second.folder.empty()) return {};
    whole = root_ + "/" + handle->second.folder + "/" + path;
  }
  std::vector<std::string> parts;
  std::stringstream in(whole);
  for (std::string part; std::getline(in, part, '/');) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else {
      parts.push_back(part);
    }
  }
  std::string joined;
  for (const std::string& part : parts) joined += "/" + part;
  if (joined.size() <= root_.size() + 1 || joined.compare(0, root_.size() + 1, root_ + "/") != 0) return {};
  return joined.substr(root_.size() + 1);
}

void Recording::write(int inode, long long offset, const std::string& bytes) {
  Op op{Op::Write, {}, {}, {}, inode, offset, bytes};
  std::string& file = bytes_[static_cast<size_t>(inode)];
  if (static_cast<long long>(file.size()) < offset + static_cast<long long>(bytes.size()))
    file.resize(static_cast<size_t>(offset) + bytes.size(), '\0');
  file.replace(static_cast<size_t>(offset), bytes.size(), bytes);
  ops_.push_back(std::move(op));
}

std::string Recording::apply(const std::string& call, const std::vector<std::string>& args, long long result) {
  auto arg = [&args](size_t i) { return i < args.size() ? args[i] : std::string(); };
  auto text = [&arg](size_t i) {
    std::string bytes;
    decode(arg(i), bytes);
    return bytes;
  };
  auto fdAt = [&](size_t i) { return number(arg(i)); };
  auto dirAt = [&](size_t i) { return arg(i) == "AT_FDCWD" ? AT_FDCWD : static_cast<int>(number(arg(i))); };
  auto file = [this](long long fd) -> OpenFile* {
    auto found = open_.find(fd);
    return found == open_.end() || found->second.inode < 0 ? nullptr : &found->second;
  };

  if (call == "open" || call == "openat" || call == "creat") {
    const bool at = call == "openat";
    const std::string path = relative(text(at ? 1 : 0), at ? dirAt(0) : AT_FDCWD);
    const std::string flags = call == "creat" ? "O_CREAT|O_TRUNC" : arg(at ? 2 : 1);
    OpenFile handle;
    handle.append = flags.find("O_APPEND") != std::string::npos;
    if (path.empty()) {
      // Outside the tree: nothing to model.
    } else if (folders_.count(path) != 0 || flags.find("O_DIRECTORY") != std::string::npos) {
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
  } else if (call == "dup" || call == "dup2" || call == "dup3" ||
             (call == "fcntl" && arg(1).rfind("F_DUPFD", 0) == 0)) {
    if (auto found = open_.find(fdAt(0)); found != open_.end()) open_[result] = found->second;
  } else if (call == "write" || call == "pwrite64") {
    if (fdAt(0) == markFd_) {
      ops_.push_back(Op{Op::Mark, {}, {}, {}, -1, 0, text(1)});
    } else if (OpenFile* handle = file(fdAt(0))) {
      const std::string bytes = text(1).substr(0, static_cast<size_t>(result));
      long long offset = number(arg(3));
      if (call == "write") {
        offset = handle->append ? static_cast<long long>(bytes_[static_cast<size_t>(handle->inode)].size())
                                : handle->position;
        handle->position = offset + result;
      }
      write(handle->inode, offset, bytes);
    }
  } else if (call == "read") {
    if (OpenFile* handle = file(fdAt(0))) handle->position += result;
  } else if (call == "lseek") {
    if (OpenFile* handle = file(fdAt(0))) handle->position = result;
  } else if (call == "ftruncate") {
    if (OpenFile* handle = file(fdAt(0))) {
      ops_.push_back(Op{Op::Truncate, {}, {}, {}, handle->inode, number(arg(1)), {}});
      bytes_[static_cast<size_t>(handle->inode)].resize(static_cast<size_t>(number(arg(1))), '\0');
    }
  } else if (call == "sendfile" || call == "copy_file_range") {
    const bool send = call == "sendfile";
    OpenFile* to = file(fdAt(send ? 0 : 2));
    OpenFile* from = file(fdAt(send ? 1 : 0));
    const std::string fromOffset = arg(send ? 2 : 1);
    const std::string toOffset = send ? "NULL" : arg(3);
    if (to != nullptr && from != nullptr) {
      const long long at = fromOffset == "NULL" ? from->position : number(fromOffset);
      if (fromOffset == "NULL") from->position += result;
      const std::string bytes = bytes_[static_cast<size_t>(from->inode)].substr(static_cast<size_t>(at),
                                                                                static_cast<size_t>(result));
      const long long place = toOffset == "NULL" ? to->position : number(toOffset);
      if (toOffset == "NULL") to->position += result;
      write(to->inode, place, bytes);
    } else if (to != nullptr) {
      return call + " from outside the tree";
    }
  } else if (call == "fsync" || call == "fdatasync") {
    if (auto found = open_.find(fdAt(0)); found != open_.end()) {
      if (found->second.inode >= 0) ops_.push_back(Op{Op::SyncFile, {}, {}, {}, found->second.inode, 0, {}});
      if (!found->second.folder.empty()) ops_.push_back(Op{Op::SyncFolder, found->second.folder, {}, {}, -1, 0, {}});
    }
  } else if (call == "rename" || call == "renameat" || call == "renameat2") {
    const bool at = call != "rename";
    const std::string from = relative(text(at ? 1 : 0), at ? dirAt(0) : AT_FDCWD);
    const std::string to = relative(text(at ? 3 : 1), at ? dirAt(2) : AT_FDCWD);
    if (from.empty() != to.empty()) return "a rename into or out of the tree";
    if (from.empty()) return {};
    if (folders_.count(from) != 0) return "a folder renamed";
    if (parentOf(from) != parentOf(to)) return "a rename between two folders";
    ops_.push_back(Op{Op::Rename, parentOf(to), from, to, -1, 0, {}});
    if (auto found = names_.find(from); found != names_.end()) {
      names_[to] = found->second;
      names_.erase(found);
    }
  } else if (call == "unlink" || call == "unlinkat") {
    const bool at = call == "unlinkat";
    const std::string path = relative(text(at ? 1 : 0), at ? dirAt(0) : AT_FDCWD);
    if (path.empty()) return {};
    if (folders_.count(path) != 0) return "a folder removed";
    ops_.push_back(Op{Op::Unlink, parentOf(path), path, {}, -1, 0, {}});
    names_.erase(path);
  } else if (call == "mkdir" || call == "mkdirat") {
    const bool at = call == "mkdirat";
    const std::string path = relative(text(at ? 1 : 0), at ? dirAt(0) : AT_FDCWD);
    if (path.empty()) return {};
    ops_.push_back(Op{Op::Mkdir, parentOf(path), path, {}, -1, 0, {}});
    folders_.insert(path);
  } else if (call == "writev" || call == "pwritev" || call == "pwritev2") {
    if (file(fdAt(0)) != nullptr) return call + " is not modelled";
  } else if (call == "truncate") {
    if (!relative(text(0), AT_FDCWD).empty()) return call + " is not modelled";
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
