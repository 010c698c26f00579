// quorvel-cli verify: reads every backup under the target back, writes nothing.
#include <algorithm>

#include "app/RunSettings.h"
#include "backup/BackupJob.h"
#include "backup/TableCheck.h"
#include "backup/TableNames.h"
#include "cli/Commands.h"
#include "util/FileStream.h"
#include "util/FileUtils.h"
#include "util/FileWalker.h"
#include "util/StrUtils.h"
#include "zip/ZipVerify.h"

namespace qv {
namespace {

constexpr char kBackupFolder[] = "DATABASEBACKUP\\";
constexpr const char* kSetKinds[] = {"ZIP\\", "ZIPOTHER\\"};
constexpr const char* kCopyFolders[] = {"DATA\\", "DATA2\\"};

std::vector<std::string> Items(const std::string& folder, bool files) {
  std::vector<std::string> items;
  TFileWalker finder(files, !files, false, folder);
  while (finder.FindNext()) items.push_back(finder.FoundPath());
  return items;
}

// The part number of an archive's name: 1 for "datenbank.zip", k for
// "datenbank Teil[k].zip".
int PartNumber(const std::string& name) {
  std::size_t open = name.rfind(" Teil[");
  if (open == std::string::npos || !EndsWith(name, "].zip")) return 1;
  std::size_t digits = open + 6, end = name.size() - 5;
  if (digits >= end || end - digits > 6) return 1;
  int number = 0;
  for (std::size_t i = digits; i < end; ++i) {
    if (name[i] < '0' || name[i] > '9') return 1;
    number = number * 10 + (name[i] - '0');
  }
  return number;
}

// Parts are numbered without gaps: a missing one is a loss, not a smaller set.
bool NamesEveryPart(TConsole& console, const std::string& set, std::vector<int> numbers) {
  std::sort(numbers.begin(), numbers.end());
  int expected = 1;
  for (int number : numbers) {
    for (; expected < number; ++expected)
      console.Line("FEHLER  " + set + ": Teil " + std::to_string(expected) + " fehlt");
    expected = number + 1;
  }
  return numbers.empty() || numbers.back() == static_cast<int>(numbers.size());
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
  std::vector<int> numbers;
  for (const std::string& path : Items(set, true)) {
    if (LowerCase1252(ExtractFileExt(path)) != ".zip") continue;
    ++parts;
    numbers.push_back(PartNumber(ExtractFileName(path)));
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
  if (parts == 0) {  // the day's walk took no file of this kind
    console.Line("OK      " + set + " (leer: keine Dateien dieser Art)");
    return true;
  }
  sound = NamesEveryPart(console, set, numbers) && sound;
  if (sound)
    console.Line("OK      " + set + " (" + std::to_string(parts) + " Archiv" +
                 (parts == 1 ? "" : "e") + ", " + std::to_string(entries) + " Einträge)");
  return sound;
}

// One copy folder: every table opened through the engine.
bool VerifyCopies(TConsole& console, const std::string& folder) {
  if (!IsExistingFolder(folder)) return true;  // no sound check yet
  // Each table is opened on a private copy, as in a run: the engine may write
  // to a table it opens, and these are the last good copies.
  bool sound = true;
  int tables = 0;
  try {
    TTableCheckSession session;
    session.Connect();
    for (const std::string& path : Items(folder, true)) {
      std::string name = ExtractFileName(path);
      std::string base = TableBaseName(name);
      if (LowerCase1252(ExtractFileExt(name)) != ".adt" || base.empty()) continue;
      ++tables;
      try {
        session.CheckCopy(folder, base, name, nullptr);
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
    for (const std::string& set : Items(base, false)) {
      std::string name = ExtractFileName(WithoutTrailingBackslash(set));
      if (IsSetFolderName(name) || IsUnfinishedSetFolderName(name))
        sound = VerifySet(console, set) && sound;
    }
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
