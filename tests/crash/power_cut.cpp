#include "crash/power_cut.h"

#include <algorithm>
#include <functional>
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
  // What each operation changes: a folder's entries ("d" and its path) or a
  // file's bytes ("f" and its inode); and of each, how many changes came
  // before the point and how many of them a sync made sure of.
  std::vector<std::string> keys(point);
  std::map<std::string, std::pair<size_t, size_t>> counts;  // synced, total
  for (size_t i = 0; i < point; ++i) {
    const Op& op = ops_[i];
    if (op.kind == Op::Mark) continue;
    const bool file = op.kind == Op::Write || op.kind == Op::Truncate || op.kind == Op::SyncFile;
    keys[i] = file ? "f" + std::to_string(op.inode) : "d" + op.folder;
    auto& [synced, total] = counts[keys[i]];
    if (op.kind == Op::SyncFile || op.kind == Op::SyncFolder) {
      synced = total;
    } else {
      ++total;
    }
  }
  // The choices: of each folder and file, how many of its changes arrived
  // (least, most); the folders' come first.
  std::vector<std::string> chosen;
  std::vector<std::pair<size_t, size_t>> choices;
  size_t folderCount = 0;
  for (const auto& [key, count] : counts)
    if (count.second > count.first) {
      chosen.push_back(key);
      choices.push_back(count);
      folderCount += key[0] == 'd' ? 1 : 0;
    }
  std::vector<std::vector<size_t>> picks;
  size_t combinations = 1;
  for (const auto& [least, most] : choices) combinations = std::min(combinations * (most - least + 1), kMostCombinations + 1);
  if (combinations <= kMostCombinations) {
    std::vector<size_t> pick;
    for (const auto& choice : choices) pick.push_back(choice.first);
    for (;;) {
      picks.push_back(pick);
      size_t i = 0;
      for (; i < choices.size(); ++i) {
        if (++pick[i] <= choices[i].second) break;
        pick[i] = choices[i].first;
      }
      if (i == choices.size()) break;
    }
  } else {
    // Too many to try them all: folders and files each all kept or all
    // lost, then each folder at a few of its choices, then each file alone
    // against the rest where the files are few.
    auto ends = [&](bool foldersKept, bool filesKept) {
      std::vector<size_t> pick;
      for (size_t i = 0; i < choices.size(); ++i)
        pick.push_back((i < folderCount ? foldersKept : filesKept) ? choices[i].second : choices[i].first);
      return pick;
    };
    for (const bool foldersKept : {true, false})
      for (const bool filesKept : {true, false}) picks.push_back(ends(foldersKept, filesKept));
    for (size_t i = 0; i < folderCount; ++i)
      for (size_t step = 1; step < kFolderSteps; ++step)
        for (const bool filesKept : {true, false}) {
          picks.push_back(ends(true, filesKept));
          picks.back()[i] = choices[i].first + (choices[i].second - choices[i].first) * step / kFolderSteps;
        }
    if (choices.size() - folderCount <= kFilesOneByOne)
      for (size_t i = folderCount; i < choices.size(); ++i)
        for (const bool kept : {true, false}) {
          picks.push_back(ends(true, kept));
          picks.back()[i] = kept ? choices[i].first : choices[i].second;
        }
  }

  std::vector<FolderState> states;
  for (const std::vector<size_t>& pick : picks) {
    std::map<std::string, size_t> keep;  // how many changes arrived
    for (const auto& [key, count] : counts) keep[key] = count.second;
    for (size_t i = 0; i < chosen.size(); ++i) keep[chosen[i]] = pick[i];

    std::set<std::string> present = initial_.folders;
    std::map<std::string, int> names;
    std::vector<std::string> content(bytes_.size());
    for (size_t i = 0; i < initialNames_.size(); ++i) {
      names[initialNames_[i]] = static_cast<int>(i);
      content[i] = initial_.files.at(initialNames_[i]);
    }
    std::map<std::string, size_t> arrived;
    auto folderHas = [&present](const std::string& path) {
      const std::string parent = parentOf(path);
      return parent.empty() || present.count(parent) != 0;
    };
    for (size_t i = 0; i < point; ++i) {
      const Op& op = ops_[i];
      if (op.kind == Op::Mark || op.kind == Op::SyncFile || op.kind == Op::SyncFolder) continue;
      if (arrived[keys[i]]++ >= keep[keys[i]]) continue;
      if (op.kind == Op::Write || op.kind == Op::Truncate) {
        std::string& bytes = content[static_cast<size_t>(op.inode)];
        const size_t end = static_cast<size_t>(op.offset) + (op.kind == Op::Write ? op.data.size() : 0);
        if (op.kind == Op::Truncate || bytes.size() < end) bytes.resize(end, '\0');
        bytes.replace(static_cast<size_t>(op.offset), op.data.size(), op.data);
        continue;
      }
      if (!folderHas(op.path)) continue;
      if (op.kind == Op::Create) names[op.path] = op.inode;
      if (op.kind == Op::Mkdir) present.insert(op.path);
      if (op.kind == Op::Unlink) names.erase(op.path);
      if (auto found = names.find(op.path); op.kind == Op::Rename && found != names.end()) {
        names[op.to] = found->second;
        names.erase(found);
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
  std::string all;
  for (const std::string& folder : state.folders) all += folder + '\0';
  for (const auto& [path, bytes] : state.files) all += '\1' + path + '\0' + std::to_string(bytes.size()) + '\0' + bytes;
  return std::hash<std::string>{}(all);
}

}  // namespace tallix::crash
