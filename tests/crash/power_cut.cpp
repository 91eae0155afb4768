#include "crash/power_cut.h"

#include <algorithm>
#include <utility>

namespace tallix::crash {
namespace {

constexpr size_t kMostCombinations = 64;
constexpr size_t kFolderSteps = 8;
constexpr size_t kFilesOneByOne = 16;

}  // namespace

std::string parentOf(const std::string& path) {
  const size_t cut = path.find_last_of('/');
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

Recording::Recording(FolderState initial) : initial_(std::move(initial)) {
  folders_ = initial_.folders;
  for (const auto& [path, bytes] : initial_.files) {
    names_[path] = static_cast<int>(bytes_.size());
    bytes_.push_back(bytes);
    initialNames_.push_back(path);
  }
}

std::vector<FolderState> Recording::statesAt(size_t point) const {
  // How many entry changes of each folder, and writes of each file, came
  // before the point, and how many of them a sync made sure of.
  std::map<std::string, std::pair<size_t, size_t>> folders;  // synced, total
  std::map<int, std::pair<size_t, size_t>> files;
  for (size_t i = 0; i < point; ++i) {
    const Op& op = ops_[i];
    switch (op.kind) {
      case Op::Create: case Op::Mkdir: case Op::Rename: case Op::Unlink: ++folders[op.folder].second; break;
      case Op::Write: case Op::Truncate: ++files[op.inode].second; break;
      case Op::SyncFolder: folders[op.folder].first = folders[op.folder].second; break;
      case Op::SyncFile: files[op.inode].first = files[op.inode].second; break;
      case Op::Mark: break;
    }
  }
  // The choices: of each folder and file, how many of its changes arrived.
  struct Choice {
    size_t least;
    size_t most;
  };
  std::vector<Choice> choices;
  std::vector<std::string> choiceFolders;
  std::vector<int> choiceFiles;
  for (const auto& [folder, counts] : folders)
    if (counts.second > counts.first) {
      choices.push_back({counts.first, counts.second});
      choiceFolders.push_back(folder);
    }
  for (const auto& [inode, counts] : files)
    if (counts.second > counts.first) {
      choices.push_back({counts.first, counts.second});
      choiceFiles.push_back(inode);
    }
  std::vector<std::vector<size_t>> picks;
  size_t combinations = 1;
  for (const Choice& c : choices) combinations = std::min(combinations * (c.most - c.least + 1), kMostCombinations + 1);
  if (combinations <= kMostCombinations) {
    std::vector<size_t> pick;
    for (const Choice& c : choices) pick.push_back(c.least);
    for (;;) {
      picks.push_back(pick);
      size_t i = 0;
      for (; i < choices.size(); ++i) {
        if (++pick[i] <= choices[i].most) break;
        pick[i] = choices[i].least;
      }
      if (i == choices.size()) break;
    }
  } else {
    // Too many to try them all: folders and files each all kept or all
    // lost, then each folder at a few of its choices, then each file alone
    // against the rest where the files are few.
    const size_t folderCount = choiceFolders.size();
    auto ends = [&](bool foldersKept, bool filesKept) {
      std::vector<size_t> pick;
      for (size_t i = 0; i < choices.size(); ++i)
        pick.push_back((i < folderCount ? foldersKept : filesKept) ? choices[i].most : choices[i].least);
      return pick;
    };
    for (const bool foldersKept : {true, false})
      for (const bool filesKept : {true, false}) picks.push_back(ends(foldersKept, filesKept));
    for (size_t i = 0; i < folderCount; ++i)
      for (size_t step = 1; step < kFolderSteps; ++step)
        for (const bool filesKept : {true, false}) {
          std::vector<size_t> pick = ends(true, filesKept);
          pick[i] = choices[i].least + (choices[i].most - choices[i].least) * step / kFolderSteps;
          picks.push_back(pick);
        }
    if (choices.size() - folderCount <= kFilesOneByOne)
      for (size_t i = folderCount; i < choices.size(); ++i)
        for (const bool kept : {true, false}) {
          std::vector<size_t> pick = ends(true, kept);
          pick[i] = kept ? choices[i].least : choices[i].most;
          picks.push_back(pick);
        }
  }

  std::vector<FolderState> states;
  for (const std::vector<size_t>& pick : picks) {
    std::map<std::string, size_t> folderKeep;
    std::map<int, size_t> fileKeep;
    for (const auto& [folder, counts] : folders) folderKeep[folder] = counts.second;
    for (const auto& [inode, counts] : files) fileKeep[inode] = counts.second;
    for (size_t i = 0; i < choiceFolders.size(); ++i) folderKeep[choiceFolders[i]] = pick[i];
    for (size_t i = 0; i < choiceFiles.size(); ++i) fileKeep[choiceFiles[i]] = pick[choiceFolders.size() + i];

    std::set<std::string> present = initial_.folders;
    std::map<std::string, int> names;
    std::vector<std::string> content(bytes_.size());
    for (size_t i = 0; i < initialNames_.size(); ++i) {
      names[initialNames_[i]] = static_cast<int>(i);
      content[i] = initial_.files.at(initialNames_[i]);
    }
    std::map<std::string, size_t> folderSeen;
    std::map<int, size_t> fileSeen;
    auto folderHas = [&present](const std::string& path) {
      const std::string parent = parentOf(path);
      return parent.empty() || present.count(parent) != 0;
    };
    for (size_t i = 0; i < point; ++i) {
      const Op& op = ops_[i];
      if (op.kind == Op::Write || op.kind == Op::Truncate) {
        if (fileSeen[op.inode]++ >= fileKeep[op.inode]) continue;
        std::string& bytes = content[static_cast<size_t>(op.inode)];
        if (op.kind == Op::Truncate) {
          bytes.resize(static_cast<size_t>(op.offset), '\0');
        } else {
          if (bytes.size() < op.offset + op.data.size()) bytes.resize(static_cast<size_t>(op.offset) + op.data.size(), '\0');
          bytes.replace(static_cast<size_t>(op.offset), op.data.size(), op.data);
        }
        continue;
      }
      if (op.kind != Op::Create && op.kind != Op::Mkdir && op.kind != Op::Rename && op.kind != Op::Unlink) continue;
      if (folderSeen[op.folder]++ >= folderKeep[op.folder] || !folderHas(op.path)) continue;
      if (op.kind == Op::Create) names[op.path] = op.inode;
      if (op.kind == Op::Mkdir) present.insert(op.path);
      if (op.kind == Op::Unlink) names.erase(op.path);
      if (op.kind == Op::Rename) {
        if (auto found = names.find(op.path); found != names.end()) {
          names[op.to] = found->second;
          names.erase(op.path);
        }
      }
    }
    FolderState state;
    state.folders = present;
    for (const auto& [path, inode] : names)
      if (folderHas(path)) state.files[path] = content[static_cast<size_t>(inode)];
    states.push_back(std::move(state));
  }
  return states;
}

std::uint64_t digest(const FolderState& state) {
  std::uint64_t hash = 1469598103934665603ULL;
  auto add = [&hash](const std::string& text) {
    for (char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    hash = (hash ^ 0xFFu) * 1099511628211ULL;
  };
  for (const std::string& folder : state.folders) add(folder);
  add("\x01");
  for (const auto& [path, bytes] : state.files) {
    add(path);
    add(bytes);
  }
  return hash;
}

}  // namespace tallix::crash
