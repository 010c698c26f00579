#pragma once
// Which database engine the program uses: the office application's engine
// DLL when one can be loaded from the program's folder or the office
// application's install folder (never from the current folder or PATH),
// otherwise the built-in engine. The choice says in German what it took and
// why.
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/AceDllProvider.h"
#include "engine/AdsDataset.h"

namespace qv {

enum class TEngineMode { Auto, Dll, Builtin };

// "auto", "dll", "builtin"; false for anything else.
bool ParseEngineMode(const std::string& text, TEngineMode& mode);

// The DLL was demanded but none can be used; the message says why.
class EEngineUnavailable : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The protocol text of the engine choice in force (ProtocolText), empty while
// the program has made none.
std::string EngineInUseText();

// The folders searched for the DLL, in order: the program's folder, then the
// install folder. An install folder that is no full path is not searched
// (it would depend on the current folder); refusals get the reason.
std::vector<std::string> EngineDllFolders(std::vector<std::string>& refusals);

class TEngineChoice {
 public:
  // Chooses and makes the choice the program's engine; with TEngineMode::Dll
  // raises EEngineUnavailable when no DLL can be used.
  explicit TEngineChoice(TEngineMode mode);
  ~TEngineChoice();  // the built-in engine again
  TEngineChoice(const TEngineChoice&) = delete;
  TEngineChoice& operator=(const TEngineChoice&) = delete;

  // The start-up settings, once per process. A DLL that refuses them is not
  // used: the built-in engine takes over (automatic choice), or
  // EEngineUnavailable is raised (DLL demanded).
  void ApplySettings();

  bool UsesDll() const { return dll_ != nullptr; }
  // "Datenbank-Engine: ..." and, for the built-in engine, one "  Grund: ..."
  // line per reason the DLL was not taken.
  std::vector<std::string> DescriptionLines() const;
  // The same in one line, for the protocol of every run.
  std::string ProtocolText() const;

 private:
  void Choose();
  void UseBuiltin();
  TEngineMode mode_;
  // Asked of the DLL when first needed, then kept: a run's protocol does not
  // call the engine for it.
  const std::string& DllVersion() const;
  mutable std::string dllVersion_;
  std::unique_ptr<TAceDllProvider> dll_;
  std::vector<std::string> refusals_;
  std::unique_ptr<TAdsSettings> settings_;
};

}  // namespace qv
