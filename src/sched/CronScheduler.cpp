#include "sched/CronScheduler.h"

#include <algorithm>
#include <stdexcept>

namespace qv {
namespace {

std::atomic<TCronScheduler*> g_manager{nullptr};

}  // namespace

// --- TWindowedComponent ---------------------------------------------------

TWindowedComponent::TWindowedComponent() = default;

TWindowedComponent::~TWindowedComponent() { DeallocWnd(handle_); }

void TWindowedComponent::AllocateHandle() {
  handle_ = AllocWnd(BindWndMethod<TWindowedComponent, &TWindowedComponent::Dispatch>(this));
}

void TWindowedComponent::WndProc(TMessage& message) {
  if (message.Msg == WM_QUERYENDSESSION) {
    message.Result = 1;  // let Windows log off or shut down
    return;
  }
  message.Result = DefWindowProcW(handle_, message.Msg, message.WParam, message.LParam);
}

// --- TScheduledTimer -------------------------------------------------------

void TScheduledTimer::WndProc(TMessage& message) {
  if (message.Msg == WM_CRONFIRE)
    Fire();
  else
    TWindowedComponent::WndProc(message);
}

// --- TCronJob -----------------------------------------------------------

TCronJob::TCronJob() {
  AllocateHandle();
  SetEnabled(true);
  if (TCronScheduler* manager = CronScheduler()) manager->Register(this);
}

TCronJob::~TCronJob() {
  if (TCronScheduler* manager = CronScheduler()) manager->Unregister(this);
}

void TCronJob::SetExpression(const std::string& expression) {
  if (expression == expression_) return;
  expression_ = expression;
  TCronExpression parsed;
  parsed.Parse(expression);
  std::lock_guard<std::mutex> guard(cronLock_);
  cron_ = parsed;
  ++parseCount_;
}

bool TCronJob::IsDue(const TLocalTime& time) const {
  std::lock_guard<std::mutex> guard(cronLock_);
  return cron_.Matches(time);
}

void TCronJob::Fire() {
  if (OnFire) OnFire(*this);
}

// --- TCronScheduler ------------------------------------------------------

TCronScheduler::TCronScheduler() : stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  if (!stop_.valid()) throw std::runtime_error("Unable to create the timer manager's stop event");
  HANDLE thread =
      CreateThread(nullptr, 0, &TCronScheduler::ThreadMain, this, CREATE_SUSPENDED, nullptr);
  if (!thread) throw std::runtime_error("Unable to create the timer manager thread");
  thread_.reset(thread);
  SetThreadPriority(thread, THREAD_PRIORITY_TIME_CRITICAL);
  ResumeThread(thread);
}

TCronScheduler::~TCronScheduler() {
  terminated_.store(true, std::memory_order_release);
  SetEvent(stop_.get());
  WaitForSingleObject(thread_.get(), INFINITE);
  DestroyRemainingTimers();
}

void TCronScheduler::DestroyRemainingTimers() {
  // Jobs still registered end with the manager, the last registered first;
  // each unregisters itself under the same lock and finds itself gone.
  std::lock_guard<std::recursive_mutex> guard(timersLock_);
  while (!timers_.empty()) {
    TScheduledTimer* last = timers_.back();
    timers_.pop_back();
    delete last;
  }
}

DWORD WINAPI TCronScheduler::ThreadMain(void* self) {
  static_cast<TCronScheduler*>(self)->Execute();
  return 0;
}

void TCronScheduler::Execute() {
  while (!terminated_.load(std::memory_order_acquire)) {
    for (const TLocalTime& second : seconds_.Next(LocalNow())) EvaluatePass(second);
    // A little past the boundary, so that the clock shows the new second.
    DWORD wait = std::min<DWORD>(Clock().MsToNextSecond(), 1000) + 2;
    if (WaitForSingleObject(stop_.get(), wait) == WAIT_OBJECT_0) break;
  }
}

void TCronScheduler::EvaluatePass(const TLocalTime& time) {
  std::lock_guard<std::recursive_mutex> guard(timersLock_);
  for (TScheduledTimer* timer : timers_) {
    if (terminated_.load(std::memory_order_acquire)) return;
    if (timer->Enabled() && timer->IsDue(time)) PostMessageW(timer->Handle(), WM_CRONFIRE, 0, 0);
  }
}

void TCronScheduler::Register(TScheduledTimer* timer) {
  std::lock_guard<std::recursive_mutex> guard(timersLock_);
  if (timer && std::find(timers_.begin(), timers_.end(), timer) == timers_.end())
    timers_.push_back(timer);
}

void TCronScheduler::Unregister(TScheduledTimer* timer) {
  std::lock_guard<std::recursive_mutex> guard(timersLock_);
  timers_.erase(std::remove(timers_.begin(), timers_.end(), timer), timers_.end());
}

int TCronScheduler::RegisteredCount() {
  std::lock_guard<std::recursive_mutex> guard(timersLock_);
  return static_cast<int>(timers_.size());
}

TCronScheduler* CronScheduler() { return g_manager.load(std::memory_order_acquire); }

// --- TCronSchedulerScope ----------------------------------------------------------

TCronSchedulerScope::TCronSchedulerScope() {
  if (CronScheduler()) throw std::logic_error("timer module initialised twice");
  g_manager.store(new TCronScheduler, std::memory_order_release);
}

TCronSchedulerScope::~TCronSchedulerScope() {
  // The manager stays reachable while it destroys its jobs.
  delete CronScheduler();
  g_manager.store(nullptr, std::memory_order_release);
}

}  // namespace qv
