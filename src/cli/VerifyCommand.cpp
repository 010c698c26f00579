// quorvel-cli verify: reads every backup under the target back, writes nothing.
#include "app/RunSettings.h"
#include "engine/AdsDataset.h"
#include "backup/BackupJob.h"
#include "cli/Commands.h"
#include "util/FileStream.h"
#include "util/FileUtils.h"
#include "util/UFileFinder.h"
#include "zip/ZipVerify.h"

namespace qv {
namespace {

constexpr char kBackupFolder[] = "DATABASEBACKUP\\";
constexpr const char* kSetKinds[] = {"ZIP\\", "ZIPOTHER\\"};
constexpr const char* kCopyFolders[] = {"DATA\\", "DATA2\\"};

std::vector<std::string> Items(const std::string& folder, bool files) {
  std::vector<std::string> items;
  TFileFinder finder(files, !files, false, folder);
  while (finder.FindNext()) items.push_back(finder.FoundPath());
  return items;
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// One set folder: every part read back whole. False when anything is wrong.
bool VerifySet(TConsole& console, const std::string& set) {
  if (EndsWith(WithoutTrailingBackslash(set), kUnfinishedSetSuffix)) {
    console.Line("FEHLER  " + set + ": unvollständig (abgebrochene Sicherung)");
    return false;
  }
  bool sound = true;
  int parts = 0;
  std::uint64_t entries = 0;
  for (const std::string& path : Items(set, true)) {
    if (LowerCase1252(ExtractFileExt(path)) != ".zip") continue;
    ++parts;
    try {
      TFileStream archive(path, TFileAccess::Read, TFileShare::DenyWrite);
      TArchiveCheck check = VerifyArchive(archive);
      entries += check.Entries;
      for (const std::string& problem : check.Problems) {
        console.Line("FEHLER  " + path + ": " + problem);
        sound = false;
      }
    } catch (const std::exception& e) {
      console.Line("FEHLER  " + path + ": " + e.what());
      sound = false;
    }
  }
  if (parts == 0) {
    console.Line("FEHLER  " + set + ": kein Archiv");
    return false;
  }
  if (sound)
    console.Line("OK      " + set + " (" + std::to_string(parts) + " Archiv" +
                 (parts == 1 ? "" : "e") + ", " + std::to_string(entries) + " Einträge)");
  return sound;
}

// One copy folder: every table opened through the engine.
bool VerifyCopies(TConsole& console, const std::string& folder) {
  if (!IsExistingFolder(folder)) return true;  // no sound check yet
  TAdsConnection connection;
  connection.ConnectPath = folder;
  bool sound = true;
  int tables = 0;
  try {
    connection.Connect();
    for (const std::string& path : Items(folder, true)) {
      if (LowerCase1252(ExtractFileExt(path)) != ".adt") continue;
      ++tables;
      TAdsTable table;
      table.Connection = &connection;
      table.TableName = ExtractFileName(path);
      try {
        table.Open();
        table.Close();
      } catch (const std::exception& e) {
        console.Line("FEHLER  " + path + ": " + e.what());
        sound = false;
      }
    }
  } catch (const std::exception& e) {
    console.Line("FEHLER  " + folder + ": " + e.what());
    return false;
  }
  if (sound) console.Line("OK      " + folder + " (" + std::to_string(tables) + " Tabellen)");
  return sound;
}

bool VerifyBackupTree(TConsole& console, const std::string& tree) {
  bool sound = true;
  for (const char* kind : kSetKinds) {
    std::string base = tree + kind;
    if (!IsExistingFolder(base)) continue;
    for (const std::string& set : Items(base, false)) sound = VerifySet(console, set) && sound;
  }
  for (const char* copies : kCopyFolders) sound = VerifyCopies(console, tree + copies) && sound;
  return sound;
}

}  // namespace

int VerifyCommand(TConsole& console, const std::string& targetOption) {
  std::string target =
      WithTrailingBackslash(targetOption.empty() ? TargetDirectorySetting() : targetOption);
  if (target.empty() || !IsExistingFolder(target)) {
    console.Error("FEHLER: Sicherungsverzeichnis fehlt! (" + target + ")");
    return kExitTargetMissing;
  }
  bool sound = true;
  int trees = 0;
  try {
    for (const std::string& database : Items(target, false)) {
      std::string tree = database + kBackupFolder;
      if (!IsExistingFolder(tree)) continue;
      ++trees;
      sound = VerifyBackupTree(console, tree) && sound;
    }
  } catch (const std::exception& e) {
    console.Line("FEHLER  " + std::string(e.what()));
    sound = false;
  }
  if (trees == 0) {
    console.Line("FEHLER: Keine Sicherung gefunden in " + target);
    return kExitProblems;
  }
  return sound ? kExitOk : kExitProblems;
}

}  // namespace qv
