#pragma once
// Console output of quorvel-cli: Unicode on a console, UTF-8 when redirected;
// progress lines overwrite each other on a console and are left out when
// the output goes to a file or pipe.
#include <string>

namespace qv {

class TConsole {
 public:
  TConsole();
  void Line(const std::string& text);
  void Progress(const std::string& text);
  void Error(const std::string& text);  // to standard error
  bool Interactive() const { return interactive_; }

 private:
  void Write(void* handle, const std::string& text, bool console);
  void ClearProgress();
  bool interactive_ = false;
  bool errorInteractive_ = false;
  std::size_t progressLength_ = 0;
};

}  // namespace qv
