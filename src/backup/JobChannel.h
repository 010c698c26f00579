#pragma once
// The way back from jobs on worker threads to the pool's window on the main
// thread. Posting is tried three times; an end message that still cannot be
// posted is kept here, and the pool collects it on its timer, so that no job
// is ever left uncounted.
#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "backup/JobReport.h"
#include "backup/JobPorts.h"

namespace qv {

inline constexpr UINT WM_JOBREPORT = 0x1210;
inline constexpr UINT WM_OTHERJOBDONE = 0x1211;

class TJobChannel final : public IJobReports {
 public:
  using TPoster = std::function<BOOL(HWND, UINT, WPARAM, LPARAM)>;

  explicit TJobChannel(HWND window);

  // Up to three posts without waiting; true when one went through.
  bool Post(UINT message, WPARAM wParam, LPARAM lParam);
  // A report; a final one that cannot be posted is kept, others are freed.
  void PostReport(std::unique_ptr<TJobReport> item) override;
  // The end of an auxiliary job.
  void PostOtherJobDone();

  std::vector<std::unique_ptr<TJobReport>> TakeLostFinals();
  int TakeLostOtherJobEnds();

  void SetPosterForTest(TPoster poster);

 private:
  HWND window_;
  std::mutex lock_;
  TPoster poster_;
  std::vector<std::unique_ptr<TJobReport>> lostFinals_;
  int lostOtherEnds_ = 0;
};

}  // namespace qv
