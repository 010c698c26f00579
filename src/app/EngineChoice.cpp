#include "app/EngineChoice.h"

#include <mutex>

#include "app/DatabaseList.h"
#include "util/Cp1252.h"
#include "util/Seams.h"
#include "util/StrUtils.h"

namespace qv {
namespace {

// The choice the program made; it lives as long as the program's engine.
std::mutex g_inUseLock;
const TEngineChoice* g_inUse = nullptr;

std::string JoinReasons(const std::vector<std::string>& reasons) {
  std::string text;
  for (const std::string& reason : reasons) text += (text.empty() ? "" : "; ") + reason;
  return text;
}

std::string VersionText(const TAceDllVersion& v) {
  if (!v.Known) return "Version unbekannt";
  std::string text =
      "Version " + std::to_string(v.Major) + "." + std::to_string(v.Minor) + v.Letter;
  return v.Description.empty() ? text : text + " (" + v.Description + ")";
}

}  // namespace

bool ParseEngineMode(const std::string& text, TEngineMode& mode) {
  if (text == "auto")
    mode = TEngineMode::Auto;
  else if (text == "dll")
    mode = TEngineMode::Dll;
  else if (text == "builtin")
    mode = TEngineMode::Builtin;
  else
    return false;
  return true;
}

std::vector<std::string> EngineDllFolders(std::vector<std::string>& refusals) {
  std::vector<std::string> folders{ProgramFolder()};
  std::string install;
  if (!ReadInstallLocation(install) || TrimBlanks(install).empty()) return folders;
  if (!IsFullPath(install)) {
    refusals.push_back("Installationsordner \"" + install +
                       "\" ist kein vollständiger Pfad und wird nicht durchsucht");
    return folders;
  }
  install = WithTrailingBackslash(install);
  if (!SameText1252(install, folders.front())) folders.push_back(install);
  return folders;
}

TEngineChoice::TEngineChoice(TEngineMode mode) : mode_(mode) {
  Choose();
  std::lock_guard<std::mutex> guard(g_inUseLock);
  g_inUse = this;
}

void TEngineChoice::Choose() {
  if (mode_ == TEngineMode::Builtin) {
    refusals_.push_back("die eingebaute Engine wurde ausdrücklich gewählt");
    UseBuiltin();
    return;
  }
  std::vector<std::string> folders = EngineDllFolders(refusals_);
  TAceDllSearch search = TAceDllProvider::Load(folders);
  refusals_.insert(refusals_.end(), search.Refusals.begin(), search.Refusals.end());
  dll_ = std::move(search.Provider);
  if (!dll_ && mode_ == TEngineMode::Dll)
    throw EEngineUnavailable(std::string("Keine verwendbare ") + TAceDllProvider::DllName() +
                             " gefunden: " + JoinReasons(refusals_));
  if (dll_)
    SetAdsProvider(dll_.get());
  else
    UseBuiltin();
}

TEngineChoice::~TEngineChoice() {
  {
    std::lock_guard<std::mutex> guard(g_inUseLock);
    if (g_inUse == this) g_inUse = nullptr;
  }
  settings_.reset();
  SetAdsProvider(nullptr);
}

std::string EngineInUseText() {
  std::lock_guard<std::mutex> guard(g_inUseLock);
  return g_inUse ? g_inUse->ProtocolText() : std::string();
}

void TEngineChoice::UseBuiltin() {
  SetAdsProvider(nullptr);
  dll_.reset();
}

void TEngineChoice::ApplySettings() {
  if (settings_) return;
  try {
    settings_ = std::make_unique<TAdsSettings>(AdsProvider());
  } catch (const EADSDatabaseError& e) {
    if (!dll_) throw;
    std::string reason = dll_->Path() + " lehnt die Startwerte ab (" + e.what() + ")";
    if (mode_ == TEngineMode::Dll) throw EEngineUnavailable(reason);
    refusals_.push_back(reason);
    UseBuiltin();
    settings_ = std::make_unique<TAdsSettings>(AdsProvider());
  }
}

std::vector<std::string> TEngineChoice::DescriptionLines() const {
  if (dll_) return {ProtocolText()};
  std::vector<std::string> lines{"Datenbank-Engine: eingebaute Engine"};
  for (const std::string& reason : refusals_) lines.push_back("  Grund: " + reason);
  return lines;
}

const std::string& TEngineChoice::DllVersion() const {
  if (dllVersion_.empty()) dllVersion_ = VersionText(dll_->Version());
  return dllVersion_;
}

std::string TEngineChoice::ProtocolText() const {
  if (dll_) return "Datenbank-Engine: " + dll_->Path() + ", " + DllVersion();
  std::string text = "Datenbank-Engine: eingebaute Engine";
  return refusals_.empty() ? text : text + " (" + JoinReasons(refusals_) + ")";
}

}  // namespace qv
