#pragma once
#include <string>

namespace qv {

// One job report, posted from a worker to the pool's window.
struct TJobReport {
  std::string Text;  // HTML fragment; for a final item all logged lines of the job
  bool Failed = false;
  bool Final = false;
  std::string DatabaseDir;
  bool Logged = false;  // the line also went into the protocol (not progress only)
};

}  // namespace qv
