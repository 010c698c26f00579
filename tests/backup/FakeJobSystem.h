#pragma once
// A backup job's world in memory: files and folders, archives as lists of
// entry names, a table check that finds the tables named damaged, and the
// reports a job posted. Portable, so the job's logic runs under the
// sanitizers. A job writes its database set beside the table check: every
// access to the files takes their lock.
#include <functional>
#include <map>
#include <mutex>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/AdsDataset.h"
#include "backup/BackupJob.h"
#include "backup/JobPorts.h"
#include "backup/TableNames.h"
#include "util/Stream.h"

namespace qv::test {

// Thrown by the fake writer where a test stands in for a killed process:
// nothing of the job's own clean-up may run after it.
struct TKilled {};

class TFakeFiles final : public IJobFiles {
 public:
  struct TFolder {
    std::uint64_t Ticks = 0;
    TLocalTime Created;
  };

  std::map<std::string, std::string> Files;                  // path -> content
  std::map<std::string, std::uint64_t> Sizes;                // sizes that differ from the content's
  std::map<std::string, TFolder> Folders;                    // paths end with "\"
  std::map<std::string, std::vector<std::string>> Archives;  // part -> entry names
  std::set<std::string> UnreadableFolders;                   // their listing fails
  std::map<std::string, std::string> FailingCopies;          // target -> reason
  std::map<std::string, std::string> FailingAdds;            // source -> what the writer raises
  std::set<std::string> KillAtCreate;                        // parts whose creation "kills" the job
  std::vector<std::string> Deleted;                          // folders removed, in order
  std::set<std::string> TornParts;                           // parts without a readable directory
  std::vector<std::vector<std::string>> TakenOver;           // the parts each writer took over from
  std::recursive_mutex Lock;

  void AddFile(const std::string& path, const std::string& content) {
    std::lock_guard<std::recursive_mutex> guard(Lock);
    ForceFolders(path.substr(0, path.rfind('\\') + 1));
    Files[path] = content;
  }
  void AddFolder(const std::string& path, const TLocalTime& created, std::uint64_t ticks) {
    std::lock_guard<std::recursive_mutex> guard(Lock);
    ForceFolders(path);
    Folders[path] = {ticks, created};
  }
  std::uint64_t SizeOf(const std::string& path) const {
    auto s = Sizes.find(path);
    return s != Sizes.end() ? s->second : Files.at(path).size();
  }
  // Names directly below a folder.
  std::vector<std::string> Below(const std::string& folder) {
    std::lock_guard<std::recursive_mutex> guard(Lock);
    std::vector<std::string> names;
    for (const auto& [path, info] : Folders)
      if (IsChild(folder, path)) names.push_back(path.substr(folder.size()));
    for (const auto& [path, content] : Files)
      if (IsChild(folder, path)) names.push_back(path.substr(folder.size()));
    return names;
  }

  bool ForceFolders(const std::string& folder) override {
    std::lock_guard<std::recursive_mutex> guard(Lock);
    std::string path = folder.back() == '\\' ? folder : folder + "\\";
    for (size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1)) {
      std::string level = path.substr(0, at + 1);
      if (!Folders.count(level)) Folders[level] = {++ticks_, LocalNow()};
    }
    return true;
  }
  bool IsExistingFile(const std::string& path) override {
    std::lock_guard<std::recursive_mutex> guard(Lock);
    return Files.count(path) > 0;
  }
  bool IsExistingFolder(const std::string& folder) override {
    std::lock_guard<std::recursive_mutex> guard(Lock);
    return Folders.count(folder.back() == '\\' ? folder : folder + "\\") > 0;
  }

  void Walk(const std::string& folder, bool recurse,
            const std::function<void(const TWalkItem&)>& visit) override {
    // The visitor runs without the lock, as a real listing leaves the folder
    // to others between its entries.
    for (const TWalkItem& item : Listing(folder)) {
      visit(item);
      if (item.Folder && recurse) Walk(item.Path, true, visit);
    }
  }

  bool CopyFile(const std::string& source, const std::string& target,
                std::string& reason) override {
    std::lock_guard<std::recursive_mutex> guard(Lock);
    if (!Files.count(source)) throw std::runtime_error("Datei " + source + " fehlt");
    auto failing = FailingCopies.find(target);
    if (failing != FailingCopies.end()) {
      reason = failing->second;
      return false;
    }
    AddFile(target, Files[source]);
    return true;
  }
  bool DeleteFile(const std::string& path) override {
    std::lock_guard<std::recursive_mutex> guard(Lock);
    Files.erase(path);
    Archives.erase(path);
    return true;
  }
  void DeleteFolderTree(const std::string& folder) override {
    std::lock_guard<std::recursive_mutex> guard(Lock);
    Deleted.push_back(folder);
    EraseBelow(Folders, folder);
    EraseBelow(Files, folder);
    EraseBelow(Archives, folder);
  }
  void RenameFolder(const std::string& from, const std::string& to) override {
    std::lock_guard<std::recursive_mutex> guard(Lock);
    if (Folders.count(to)) throw std::runtime_error(to + " besteht schon");
    MoveBelow(Folders, from, to);
    MoveBelow(Files, from, to);
    MoveBelow(Archives, from, to);
  }
  std::unique_ptr<IArchiveWriter> NewArchiveWriter() override;

 private:
  std::vector<TWalkItem> Listing(const std::string& folder) {
    std::lock_guard<std::recursive_mutex> guard(Lock);
    if (UnreadableFolders.count(folder)) throw EWalkError(folder, "Zugriff verweigert", 5);
    std::vector<TWalkItem> items;
    for (const auto& [path, info] : Folders)
      if (IsChild(folder, path)) {
        TWalkItem item;
        item.Path = path;
        item.Folder = true;
        item.CreationTicks = info.Ticks;
        item.Created = info.Created;
        item.CreatedKnown = true;
        items.push_back(item);
      }
    for (const auto& [path, content] : Files)
      if (IsChild(folder, path)) {
        TWalkItem item;
        item.Path = path;
        item.Size = SizeOf(path);
        items.push_back(item);
      }
    return items;
  }
  static bool IsChild(const std::string& folder, const std::string& path) {
    if (path.size() <= folder.size() || path.compare(0, folder.size(), folder) != 0) return false;
    size_t slash = path.find('\\', folder.size());
    return slash == std::string::npos || slash == path.size() - 1;
  }
  template <class Map>
  static void EraseBelow(Map& map, const std::string& folder) {
    for (auto it = map.begin(); it != map.end();)
      it = it->first.rfind(folder, 0) == 0 ? map.erase(it) : std::next(it);
  }
  template <class Map>
  static void MoveBelow(Map& map, const std::string& from, const std::string& to) {
    Map moved;
    for (auto it = map.begin(); it != map.end();) {
      if (it->first.rfind(from, 0) == 0) {
        moved[to + it->first.substr(from.size())] = it->second;
        it = map.erase(it);
      } else {
        ++it;
      }
    }
    map.insert(moved.begin(), moved.end());
  }
  std::uint64_t ticks_ = 1000;
};

class TFakeArchiveWriter final : public IArchiveWriter {
 public:
  explicit TFakeArchiveWriter(TFakeFiles& files) : files_(files) {}
  void CreateArchive(const std::string& path) override {
    std::lock_guard<std::recursive_mutex> guard(files_.Lock);
    if (files_.KillAtCreate.count(path)) {
      files_.Files[path] = "PK\x03\x04";  // what a killed writer leaves: a torn part
      throw TKilled{};
    }
    std::string folder = path.substr(0, path.rfind('\\') + 1);
    if (!files_.Folders.count(folder)) throw std::runtime_error("Datei " + path + " fehlt");
    Close();
    current_ = path;
    files_.Files[path] = "zip";
    files_.Archives[path];
  }
  void SetBaseFolder(const std::string& folder) override { base_ = folder; }
  bool TakeOverFrom(const std::vector<std::string>& partPaths) override {
    std::lock_guard<std::recursive_mutex> guard(files_.Lock);
    for (const std::string& part : partPaths)
      if (files_.TornParts.count(part) || !files_.Files.count(part)) return false;
    files_.TakenOver.push_back(partPaths);
    return true;
  }
  bool AddFile(const std::string& path) override {
    std::lock_guard<std::recursive_mutex> guard(files_.Lock);
    auto failing = files_.FailingAdds.find(path);
    if (failing != files_.FailingAdds.end()) throw EStreamError(failing->second);
    if (!files_.Files.count(path)) return false;
    files_.Archives[current_].push_back(path.substr(base_.size()));
    return true;
  }
  void Close() override { current_.clear(); }

 private:
  TFakeFiles& files_;
  std::string current_;
  std::string base_;
};

inline std::unique_ptr<IArchiveWriter> TFakeFiles::NewArchiveWriter() {
  return std::make_unique<TFakeArchiveWriter>(*this);
}

// Copies a table's files into its scratch folder; a table named damaged
// does not open.
class TFakeChecker final : public ITableChecker {
 public:
  TFakeChecker(TFakeFiles& files, std::set<std::string> damaged, bool connects,
               std::function<void()> onCheck = nullptr)
      : files_(files),
        damaged_(std::move(damaged)),
        connects_(connects),
        onCheck_(std::move(onCheck)) {}
  void Connect() override {
    if (!connects_) throw EADSDatabaseError(6420, "Der Server ist nicht erreichbar");
  }
  const std::string& CheckDir() const override { return dir_; }
  void CheckCopy(const std::string& databaseDir, const std::string& base, const std::string& name,
                 const std::function<void()>& beforeOpen) override {
    if (onCheck_) onCheck_();  // without the files' lock: it may wait for the archive
    std::lock_guard<std::recursive_mutex> guard(files_.Lock);
    for (const char* extension : kTableExtensions)
      if (files_.Files.count(databaseDir + base + extension))
        files_.AddFile(dir_ + base + extension, files_.Files[databaseDir + base + extension]);
    if (beforeOpen) beforeOpen();
    if (damaged_.count(name)) throw EADSDatabaseError(7008, "Tabelle " + name + " ist defekt");
  }

 private:
  TFakeFiles& files_;
  std::set<std::string> damaged_;
  bool connects_;
  std::function<void()> onCheck_;
  std::string dir_ = "T:\\Scratch\\";
};

class TFakeReports final : public IJobReports {
 public:
  void PostReport(std::unique_ptr<TJobReport> item) override { Items.push_back(*item); }
  std::vector<TJobReport> Items;
  const TJobReport* Final() const {
    for (const auto& item : Items)
      if (item.Final) return &item;
    return nullptr;
  }
};

// The world of one test: files, damaged tables, reports.
struct TFakeWorld {
  std::shared_ptr<TFakeFiles> Files = std::make_shared<TFakeFiles>();
  std::shared_ptr<TFakeReports> Reports = std::make_shared<TFakeReports>();
  std::set<std::string> Damaged;
  bool Connects = true;
  std::function<void()> OnCheck;  // runs as each table's check begins

  TJobSystem System() {
    TJobSystem system;
    system.Files = Files;
    system.NewChecker = [this] {
      return std::make_unique<TFakeChecker>(*Files, Damaged, Connects, OnCheck);
    };
    system.NowText = [] { return std::string("08.12.2026 09:00:00"); };
    system.Thousands = [](std::int64_t n) { return std::to_string(n); };
    return system;
  }
  std::unique_ptr<TBackupJob> Job(const std::string& target, const std::string& databaseDir) {
    return std::make_unique<TBackupJob>(target, Reports, databaseDir, System());
  }
};

}  // namespace qv::test
