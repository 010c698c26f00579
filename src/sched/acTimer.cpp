#include "sched/acTimer.h"

#include <stdexcept>

namespace qv {
namespace {

std::atomic<TacTimerManager*> g_manager{nullptr};

}  // namespace

// --- TacHandleComponent ---------------------------------------------------

TacHandleComponent::TacHandleComponent() = default;

TacHandleComponent::~TacHandleComponent() { DeallocWnd(handle_); }

void TacHandleComponent::AllocateHandle() {
  handle_ = AllocWnd(BindWndMethod<TacHandleComponent, &TacHandleComponent::Dispatch>(this));
}

void TacHandleComponent::WndProc(TMessage& message) {
  if (message.Msg == WM_QUERYENDSESSION) {
    message.Result = 1;  // let Windows log off or shut down
    return;
  }
  message.Result = DefWindowProcW(handle_, message.Msg, message.WParam, message.LParam);
}

// --- TacCustomTimer -------------------------------------------------------

void TacCustomTimer::WndProc(TMessage& message) {
  if (message.Msg == WM_CRONFIRE)
    Fire();
  else
    TacHandleComponent::WndProc(message);
}

// --- TacCronJob -----------------------------------------------------------

TacCronJob::TacCronJob() {
  AllocateHandle();
  SetEnabled(true);
  if (TacTimerManager* manager = TimerManager()) manager->Register(this);
}

TacCronJob::~TacCronJob() {
  if (TacTimerManager* manager = TimerManager()) manager->Unregister(this);
}

void TacCronJob::SetExpression(const std::string& expression) {
  if (expression == expression_) return;
  expression_ = expression;
  TacCron parsed;
  parsed.Parse(expression);
  std::lock_guard<std::mutex> guard(cronLock_);
  cron_ = parsed;
  ++parseCount_;
}

bool TacCronJob::IsDue(const TLocalTime& time) const {
  std::lock_guard<std::mutex> guard(cronLock_);
  return cron_.Matches(time);
}

void TacCronJob::Fire() {
  if (OnFire) OnFire(*this);
}

// --- TacTimerManager ------------------------------------------------------

TacTimerManager::TacTimerManager() {
  HANDLE thread =
      CreateThread(nullptr, 0, &TacTimerManager::ThreadMain, this, CREATE_SUSPENDED, nullptr);
  if (!thread) throw std::runtime_error("Unable to create the timer manager thread");
  thread_.reset(thread);
  SetThreadPriority(thread, THREAD_PRIORITY_TIME_CRITICAL);
  ResumeThread(thread);
}

TacTimerManager::~TacTimerManager() {
  terminated_.store(true, std::memory_order_release);
  ::Sleep(100);
  WaitForSingleObject(thread_.get(), INFINITE);
  // Jobs still registered end with the manager, the last registered first;
  // each unregisters itself under the same (re-entrant) lock.
  timers_.Lock()->Clear();
}

DWORD WINAPI TacTimerManager::ThreadMain(void* self) {
  static_cast<TacTimerManager*>(self)->Execute();
  return 0;
}

void TacTimerManager::Execute() {
  while (!terminated_.load(std::memory_order_acquire)) {
    ::Sleep(10);
    TLocalTime now = LocalNow();
    if (static_cast<std::uint16_t>(now.Second) == lastSecond_) continue;
    lastSecond_ = static_cast<std::uint16_t>(now.Second);
    EvaluatePass(now);
  }
}

void TacTimerManager::EvaluatePass(const TLocalTime& time) {
  auto list = timers_.Lock();
  for (int i = 0; i < list->Count(); ++i) {
    if (terminated_.load(std::memory_order_acquire)) return;
    TacCustomTimer* timer = (*list)[i];
    if (timer->Enabled() && timer->IsDue(time)) PostMessageW(timer->Handle(), WM_CRONFIRE, 0, 0);
  }
}

void TacTimerManager::Register(TacCustomTimer* timer) { timers_.Lock()->Add(timer); }

void TacTimerManager::Unregister(TacCustomTimer* timer) { timers_.Lock()->Remove(timer, false); }

int TacTimerManager::RegisteredCount() { return timers_.Lock()->Count(); }

TacTimerManager* TimerManager() { return g_manager.load(std::memory_order_acquire); }

// --- TimerModule ----------------------------------------------------------

TimerModule::TimerModule() {
  if (TimerManager()) throw std::logic_error("timer module initialised twice");
  g_manager.store(new TacTimerManager, std::memory_order_release);
}

TimerModule::~TimerModule() {
  // The manager stays reachable while it destroys its jobs.
  delete TimerManager();
  g_manager.store(nullptr, std::memory_order_release);
}

}  // namespace qv
