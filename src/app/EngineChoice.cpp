#include "app/EngineChoice.h"

#include "app/DatabaseList.h"
#include "util/Cp1252.h"
#include "util/Seams.h"
#include "util/StrUtils.h"

namespace qv {
namespace {

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
  if (mode == TEngineMode::Builtin) {
    refusals_.push_back("die eingebaute Engine wurde ausdrücklich gewählt");
    UseBuiltin();
    return;
  }
  std::vector<std::string> folders = EngineDllFolders(refusals_);
  TAceDllSearch search = TAceDllProvider::Load(folders);
  refusals_.insert(refusals_.end(), search.Refusals.begin(), search.Refusals.end());
  dll_ = std::move(search.Provider);
  if (!dll_ && mode == TEngineMode::Dll)
    throw EEngineUnavailable(std::string("Keine verwendbare ") + TAceDllProvider::DllName() +
                             " gefunden: " + JoinReasons(refusals_));
  if (dll_)
    SetAdsProvider(dll_.get());
  else
    UseBuiltin();
}

TEngineChoice::~TEngineChoice() {
  settings_.reset();
  SetAdsProvider(nullptr);
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
  if (dll_) return {"Datenbank-Engine: " + dll_->Path() + ", " + VersionText(dll_->Version())};
  std::vector<std::string> lines{"Datenbank-Engine: eingebaute Engine"};
  for (const std::string& reason : refusals_) lines.push_back("  Grund: " + reason);
  return lines;
}

}  // namespace qv
