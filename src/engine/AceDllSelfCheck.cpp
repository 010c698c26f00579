#include "engine/AceDllSelfCheck.h"

#include "engine/AdsDataset.h"
#include "engine/SelfCheckTables.h"
#include "util/FileUtils.h"

namespace qv {
namespace {

// A private folder that goes with everything in it, whatever happened.
class TSelfCheckFolder {
 public:
  TSelfCheckFolder()
      : path_(TempSubfolder("Quorvel-Selbsttest-" + std::to_string(UniqueNumber()))) {}
  ~TSelfCheckFolder() { DeleteFolderTree(path_, true); }
  TSelfCheckFolder(const TSelfCheckFolder&) = delete;
  TSelfCheckFolder& operator=(const TSelfCheckFolder&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// A step of the self-check that failed, with the engine's text.
class ESelfCheckStep : public std::runtime_error {
 public:
  ESelfCheckStep(const std::string& step, const std::string& cause)
      : std::runtime_error(step + " scheitert (" + cause + ")") {}
};

// Runs a step; an engine error becomes the step's failure.
template <class Step>
void RunStep(const std::string& name, Step step) {
  try {
    step();
  } catch (const EADSDatabaseError& e) {
    throw ESelfCheckStep(name, e.what());
  }
}

void WriteTables(const std::string& folder) {
  for (const TEmbeddedFile& file : SelfCheckTableFiles()) {
    std::string bytes(reinterpret_cast<const char*>(file.Bytes), file.Size);
    if (!TrySaveBytes(bytes, folder + file.Name))
      throw ESelfCheckStep("das Schreiben der Testtabellen",
                           "Datei " + folder + file.Name + " kann nicht erstellt werden");
  }
}

void OpenAndClose(TAdsTable& table, const std::string& name, const std::string& step) {
  table.TableName = name;
  RunStep(step, [&] { table.Open(); });
  table.Close();
}

void BuildIndex(TAceDllProvider& dll, TAdsTable& table) {
  table.TableName = kSelfCheckIndexedTable;
  RunStep(std::string("das Öffnen von ") + kSelfCheckIndexedTable, [&] { table.Open(); });
  TAdsHandle index = 0;
  std::uint32_t result =
      dll.CreateIndex61(table.Handle(), kSelfCheckIndexTag, kSelfCheckIndexTag, index);
  if (result != 0)
    throw ESelfCheckStep(std::string("das Anlegen des Index ") + kSelfCheckIndexTag + " von " +
                             kSelfCheckIndexedTable,
                         AdsErrorMessage(dll, result, ""));
  table.Close();
}

}  // namespace

std::string SelfCheckFailure(TAceDllProvider& dll) {
  TSelfCheckFolder folder;
  try {
    WriteTables(folder.Path());
    TAdsConnection connection(dll);
    connection.ConnectPath = folder.Path();
    RunStep("das Verbinden mit dem Testordner", [&] { connection.Connect(); });
    TAdsTable table(dll);
    table.Connection = &connection;
    OpenAndClose(table, kSelfCheckMemoTable, std::string("das Öffnen von ") + kSelfCheckMemoTable);
    BuildIndex(dll, table);
    // Opened again, the table brings its new index: the calls on index
    // handles are what a check of an indexed table makes.
    table.TableName = kSelfCheckIndexedTable;
    RunStep(std::string("das Öffnen von ") + kSelfCheckIndexedTable + " mit Index",
            [&] { table.Open(); });
    bool indexSeen = table.Indexes().size() == 1 &&
                     table.Indexes()[0].Fields == std::vector<std::string>{kSelfCheckIndexTag};
    table.Close();
    if (!indexSeen)
      return std::string(kSelfCheckIndexedTable) + " zeigt den angelegten Index " +
             kSelfCheckIndexTag + " nicht";
  } catch (const ESelfCheckStep& e) {
    return e.what();
  }
  return {};
}

}  // namespace qv
