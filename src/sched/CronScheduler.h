#pragma once
// Cron jobs and the process-wide timer manager that fires them. The manager
// thread sleeps until the local clock's next second begins and then posts the
// fire message to the hidden window of every enabled job that is due at each
// second it has not yet evaluated (see TSecondSteps); the job's OnFire then
// runs on the thread that created the job. Waking once a second, not a
// hundred times, lets an idle PC's processor rest.
#include <windows.h>

#include <algorithm>
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

// A list that holds each object at most once and may own them.
template <class T>
class TOwningList {
 public:
  TOwningList() = default;
  virtual ~TOwningList() { Clear(); }
  TOwningList(const TOwningList&) = delete;
  TOwningList& operator=(const TOwningList&) = delete;

  bool OwnsObjects = true;

  int Add(T* item) {
    if (!item || IndexOf(item) >= 0) return -1;
    if (!Accept(item)) {
      if (OwnsObjects) delete item;
      return -1;
    }
    items_.push_back(item);
    return static_cast<int>(items_.size()) - 1;
  }
  int Remove(T* item, bool destroy) {
    int index = IndexOf(item);
    if (index < 0) return -1;
    items_.erase(items_.begin() + index);
    if (destroy) delete item;
    return index;
  }
  // Destroys from the last to the first; a destructor that removes its object
  // from this list again finds it gone already.
  void Clear() {
    while (!items_.empty()) {
      T* last = items_.back();
      items_.pop_back();
      if (OwnsObjects) delete last;
    }
    items_.shrink_to_fit();
  }
  int IndexOf(T* item) const {
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
  }
  int Count() const { return static_cast<int>(items_.size()); }
  T* operator[](int index) const { return items_[static_cast<size_t>(index)]; }

 protected:
  virtual bool Accept(T*) { return true; }

 private:
  std::vector<T*> items_;
};

// The list of a TSharedList while its lock is held: the lock ends with
// the guard, also when an exception leaves the scope.
template <class T>
class TLockedList {
 public:
  TLockedList(std::recursive_mutex& lock, TOwningList<T>& list) : guard_(lock), list_(list) {}
  TOwningList<T>* operator->() const { return &list_; }
  TOwningList<T>& operator*() const { return list_; }

 private:
  std::unique_lock<std::recursive_mutex> guard_;
  TOwningList<T>& list_;
};

// An owning object list behind a re-entrant lock.
template <class T>
class TSharedList {
 public:
  TLockedList<T> Lock() { return TLockedList<T>(lock_, list_); }
  ~TSharedList() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    list_.Clear();
  }

 private:
  std::recursive_mutex lock_;
  TOwningList<T> list_;
};

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
  void ManualCall() { Fire(); }

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

  TSharedList<TScheduledTimer> timers_;
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
