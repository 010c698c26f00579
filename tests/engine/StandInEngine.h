#pragma once
// The stand-in engine DLL seen from a test: copies of it placed in folders,
// its script (which call fails with which code and text) and the calls it
// recorded, with their arguments and threads.
#include <map>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "util/StrUtils.h"

namespace qv::test {

enum class TStandIn { Usable, WithoutGotoBOF, OtherBitness };

inline std::string HostPath(const char* unixPath) {
  std::string path = std::string("Z:") + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

struct TEngineCall {
  std::string Thread;
  std::string Name;
  std::map<std::string, std::string> Args;
  const std::string& operator[](const std::string& arg) const { return Args.at(arg); }
};

class TStandInEngine {
 public:
  // The DLL's files live in work; the environment points the DLL at them.
  explicit TStandInEngine(const std::string& work)
      : script_(work + "script.txt"), log_(work + "calls.log") {
    SetEnvironmentVariableW(L"QV_ACE_SCRIPT", Widen(script_).c_str());
    SetEnvironmentVariableW(L"QV_ACE_LOG", Widen(log_).c_str());
    Script("");
  }
  ~TStandInEngine() {
    SetEnvironmentVariableW(L"QV_ACE_SCRIPT", nullptr);
    SetEnvironmentVariableW(L"QV_ACE_LOG", nullptr);
  }
  TStandInEngine(const TStandInEngine&) = delete;
  TStandInEngine& operator=(const TStandInEngine&) = delete;

  static const char* DllName() { return sizeof(void*) == 8 ? "ACE64.DLL" : "ACE32.DLL"; }

  // Copies the stand-in of the given kind into folder under the engine's name.
  static void PlaceIn(const std::string& folder, TStandIn kind = TStandIn::Usable) {
    const char* source = kind == TStandIn::Usable           ? QV_STANDIN_DLL
                         : kind == TStandIn::WithoutGotoBOF ? QV_STANDIN_PARTIAL_DLL
                                                            : QV_STANDIN_OTHER_DLL;
    CreateDirectoryW(Widen(folder).c_str(), nullptr);
    CopyFileW(Widen(HostPath(source)).c_str(),
              Widen(WithTrailingBackslash(folder) + DllName()).c_str(), FALSE);
  }

  void Script(const std::string& lines) { WriteBytes(script_, lines); }
  void ClearCalls() { WriteBytes(log_, ""); }

  std::vector<TEngineCall> Calls() const {
    std::vector<TEngineCall> calls;
    std::string bytes = ReadBytes(log_);
    if (bytes == "<missing>") return calls;
    for (const std::string& line : SplitLines(bytes)) {
      TEngineCall call;
      std::size_t start = 0;
      for (int part = 0; start <= line.size(); ++part) {
        std::size_t end = line.find('|', start);
        if (end == std::string::npos) end = line.size();
        std::string item = line.substr(start, end - start);
        if (part == 0)
          call.Thread = item;
        else if (part == 1)
          call.Name = item;
        else
          call.Args[item.substr(0, item.find('='))] = item.substr(item.find('=') + 1);
        start = end + 1;
      }
      calls.push_back(std::move(call));
    }
    return calls;
  }

  std::vector<std::string> CallNames() const { return Names(Calls()); }

  static std::vector<std::string> Names(const std::vector<TEngineCall>& calls) {
    std::vector<std::string> names;
    for (const TEngineCall& call : calls) names.push_back(call.Name);
    return names;
  }

  // The calls of the self-check that proved the DLL when it was loaded: from
  // the connection to its own folder up to that connection's end.
  std::vector<TEngineCall> SelfCheckCalls() const { return SplitSelfCheck(true); }
  // Every other call: the work the DLL was loaded for.
  std::vector<TEngineCall> WorkCalls() const { return SplitSelfCheck(false); }

 private:
  std::vector<TEngineCall> SplitSelfCheck(bool selfCheck) const {
    std::vector<TEngineCall> found;
    bool inSelfCheck = false;
    for (const TEngineCall& call : Calls()) {
      if (call.Name == "AdsConnect60" &&
          call["path"].find("\\Quorvel-Selbsttest-") != std::string::npos)
        inSelfCheck = true;
      if (inSelfCheck == selfCheck) found.push_back(call);
      if (call.Name == "AdsDisconnect") inSelfCheck = false;
    }
    return found;
  }

  std::string script_;
  std::string log_;
};

}  // namespace qv::test
