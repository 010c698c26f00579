#pragma once
// Cron jobs and the process-wide timer manager that fires them. The manager
// thread sleeps until the local clock's next second begins and then posts the
// fire message to the hidden window of every enabled job that is due at each
// second it has not yet evaluated (see TSecondSteps); the job's OnFire then
// runs on the thread that created the job. Waking once a second, not a
// hundred times, lets an idle PC's processor rest.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "sched/CronExpression.h"
#include "sched/SecondSteps.h"
#include "util/HiddenWindow.h"
#include "util/Handles.h"

namespace qv {

inline constexpr UINT WM_CRONFIRE = 0x3A55;

class TWindowedComponent {
 public:
  TWindowedComponent();
  virtual ~TWindowedComponent();
  TWindowedComponent(const TWindowedComponent&) = delete;
  TWindowedComponent& operator=(const TWindowedComponent&) = delete;
  HWND Handle() const { return handle_; }

 protected:
  virtual void WndProc(TMessage& message);
  void AllocateHandle();

 private:
  void Dispatch(TMessage& message) { WndProc(message); }
  HWND handle_ = nullptr;
};

class TScheduledTimer : public TWindowedComponent {
 public:
  bool Enabled() const { return enabled_.load(std::memory_order_relaxed); }
  void SetEnabled(bool value) { enabled_.store(value, std::memory_order_relaxed); }
  // Asked by the manager thread once per new second.
  virtual bool IsDue(const TLocalTime&) const { return false; }

 protected:
  void WndProc(TMessage& message) override;
  virtual void Fire() {}

 private:
  std::atomic<bool> enabled_{true};
};

class TCronJob : public TScheduledTimer {
 public:
  using TFireEvent = std::function<void(TCronJob&)>;

  TCronJob();
  ~TCronJob() override;

  const std::string& Expression() const { return expression_; }
  void SetExpression(const std::string& expression);
  TFireEvent OnFire;

  bool IsDue(const TLocalTime& time) const override;
  // How often the expression has been parsed into the job's cron.
  int ParseCount() const { return parseCount_; }

 protected:
  void Fire() override;

 private:
  std::string expression_;
  int parseCount_ = 0;
  // Parsing happens on the owner's thread into a copy that is swapped in
  // under this lock, so the manager never compares with a half-parsed one.
  mutable std::mutex cronLock_;
  TCronExpression cron_;
};

class TCronScheduler {
 public:
  TCronScheduler();
  ~TCronScheduler();
  TCronScheduler(const TCronScheduler&) = delete;
  TCronScheduler& operator=(const TCronScheduler&) = delete;

  void Register(TScheduledTimer* timer);
  void Unregister(TScheduledTimer* timer);
  int RegisteredCount();

 private:
  static DWORD WINAPI ThreadMain(void* self);
  void Execute();
  void EvaluatePass(const TLocalTime& time);
  void DestroyRemainingTimers();

  // Re-entrant: a timer destroyed under the lock unregisters itself.
  std::recursive_mutex timersLock_;
  std::vector<TScheduledTimer*> timers_;
  std::atomic<bool> terminated_{false};
  TKernelHandle stop_;  // set to end the thread at once, also from its sleep
  TSecondSteps seconds_;
  TKernelHandle thread_;
};

// The process-wide manager, or nullptr outside a TCronSchedulerScope's lifetime.
TCronScheduler* CronScheduler();

// Initialises the timer module (the manager) and finalises it at scope end:
// the manager's thread ends, then the jobs still registered are destroyed.
class TCronSchedulerScope {
 public:
  TCronSchedulerScope();
  ~TCronSchedulerScope();
  TCronSchedulerScope(const TCronSchedulerScope&) = delete;
  TCronSchedulerScope& operator=(const TCronSchedulerScope&) = delete;
};

}  // namespace qv
