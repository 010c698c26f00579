#include "backup/JobChannel.h"

#include <utility>

namespace qv {

TJobChannel::TJobChannel(HWND window) : window_(window), poster_(PostMessageW) {}

bool TJobChannel::Post(UINT message, WPARAM wParam, LPARAM lParam) {
  TPoster poster;
  {
    std::lock_guard<std::mutex> guard(lock_);
    poster = poster_;
  }
  for (int attempt = 0; attempt < 3; ++attempt)
    if (poster(window_, message, wParam, lParam)) return true;
  return false;
}

void TJobChannel::PostReport(std::unique_ptr<TJobReport> item) {
  if (Post(WM_JOBREPORT, reinterpret_cast<WPARAM>(item.get()), 0)) {
    item.release();  // the window procedure owns it now
    return;
  }
  if (!item->Final) return;  // a lost progress line is only a lost line
  std::lock_guard<std::mutex> guard(lock_);
  lostFinals_.push_back(std::move(item));
}

void TJobChannel::PostOtherJobDone() {
  if (Post(WM_OTHERJOBDONE, 0, 0)) return;
  std::lock_guard<std::mutex> guard(lock_);
  ++lostOtherEnds_;
}

std::vector<std::unique_ptr<TJobReport>> TJobChannel::TakeLostFinals() {
  std::vector<std::unique_ptr<TJobReport>> taken;
  std::lock_guard<std::mutex> guard(lock_);
  taken.swap(lostFinals_);
  return taken;
}

int TJobChannel::TakeLostOtherJobEnds() {
  std::lock_guard<std::mutex> guard(lock_);
  return std::exchange(lostOtherEnds_, 0);
}

void TJobChannel::SetPosterForTest(TPoster poster) {
  std::lock_guard<std::mutex> guard(lock_);
  poster_ = std::move(poster);
}

}  // namespace qv
