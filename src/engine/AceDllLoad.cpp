// Finding and loading the engine DLL, with a German reason for every
// candidate that is not taken.
#include "engine/AceDllProvider.h"
#include "engine/AceDllSelfCheck.h"
#include "engine/PeImage.h"
#include "util/FileUtils.h"
#include "util/PathCalls.h"
#include "util/StrUtils.h"
#include "util/WinText.h"

namespace qv {
namespace {

constexpr std::uint16_t kOwnMachine = sizeof(void*) == 8 ? kPeMachineAmd64 : kPeMachineI386;

std::string ErrorText(DWORD error) {
  return "Fehler " + std::to_string(error) + ": " + SysErrorMessage(error);
}

// The file's first bytes, shared with everyone; false with the reason.
bool ReadHead(const std::string& path, std::string& head, std::string& reason) {
  TFileHandle file(OpenFileHandle(path, GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  OPEN_EXISTING, 0));
  if (!file.valid()) {
    reason = path + " lässt sich nicht lesen (" + ErrorText(::GetLastError()) + ")";
    return false;
  }
  head.assign(kPeProbeSize, '\0');
  DWORD done = 0;
  if (!ReadFile(file.get(), head.data(), static_cast<DWORD>(head.size()), &done, nullptr)) {
    reason = path + " lässt sich nicht lesen (" + ErrorText(::GetLastError()) + ")";
    return false;
  }
  head.resize(done);
  return true;
}

bool HasOwnBitness(const std::string& path, std::string& reason) {
  std::string head;
  if (!ReadHead(path, head, reason)) return false;
  std::uint16_t machine = PeMachine(head);
  if (machine == kOwnMachine) return true;
  if (machine == 0)
    reason = path + " ist keine DLL";
  else
    reason = path + " ist eine " + PeMachineWord(machine) + "-DLL; dieses Programm braucht eine " +
             PeMachineWord(kOwnMachine) + "-DLL";
  return false;
}

// Loads by full path; the DLL's own folder is searched first for the files it
// needs (its local server).
TModuleHandle LoadByFullPath(const std::string& path, DWORD& error) {
  DWORD previousMode = 0;
  // No "missing file" message box in an unattended program.
  SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
  TModuleHandle module(LoadLibraryExW(Widen(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  error = module.valid() ? 0 : ::GetLastError();
  SetThreadErrorMode(previousMode, nullptr);
  return module;
}

}  // namespace

std::unique_ptr<TAceDllProvider> TAceDllProvider::LoadFile(const std::string& path,
                                                           std::string& reason) {
  if (!IsExistingFile(path)) {
    reason = path + " nicht vorhanden";
    return nullptr;
  }
  if (!HasOwnBitness(path, reason)) return nullptr;
  DWORD error = 0;
  TModuleHandle module = LoadByFullPath(path, error);
  if (!module.valid()) {
    reason = path + " lässt sich nicht laden (" + ErrorText(error) + ")";
    return nullptr;
  }
  TAceDllEntries entries{};
  std::string missing;
  if (!ResolveAceDllEntries(module.get(), entries, missing)) {
    reason = path + ": die Funktion " + missing + " fehlt";
    return nullptr;
  }
  return std::unique_ptr<TAceDllProvider>(new TAceDllProvider(std::move(module), entries, path));
}

TAceDllSearch TAceDllProvider::Load(const std::vector<std::string>& folders) {
  TAceDllSearch search;
  for (const std::string& folder : folders) {
    if (!IsFullPath(folder)) {
      search.Refusals.push_back("\"" + folder + "\" ist kein vollständiger Pfad");
      continue;
    }
    std::string reason;
    std::string path = WithTrailingBackslash(folder) + DllName();
    std::unique_ptr<TAceDllProvider> dll = LoadFile(path, reason);
    if (dll) {
      std::string failure = SelfCheckFailure(*dll);
      if (failure.empty()) {
        search.Provider = std::move(dll);
        break;
      }
      reason = path + " besteht den Selbsttest nicht: " + failure;
    }
    search.Refusals.push_back(reason);
  }
  return search;
}

}  // namespace qv
