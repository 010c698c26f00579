#pragma once
// The main window's three schedules: the backup at the checked hours, the
// cache copies every half hour and the network keep-alive every five seconds.
#include <functional>
#include <memory>
#include <vector>

#include "sched/CronScheduler.h"

namespace qv {

struct TScheduleActions {
  std::function<void()> Backup;
  std::function<void()> CacheCopy;
  std::function<void()> KeepAlive;
};

class TMainWindowSchedules {
 public:
  explicit TMainWindowSchedules(TScheduleActions actions);
  // The jobs live on with the cron scheduler: they are disabled and no longer
  // call the window that is gone.
  ~TMainWindowSchedules();
  TMainWindowSchedules(const TMainWindowSchedules&) = delete;
  TMainWindowSchedules& operator=(const TMainWindowSchedules&) = delete;

  TCronJob& Backup() { return *backup_; }
  TCronJob& CacheCopy() { return *cacheCopy_; }
  TCronJob& KeepAlive() { return *keepAlive_; }

  // Stops all three for a close that may be refused; Resume undoes it.
  void Pause();
  void Resume();

 private:
  TCronJob* Make(const char* expression, std::function<void()> action);

  std::vector<std::unique_ptr<TCronJob>> owned_;  // only without a cron scheduler
  TCronJob* backup_ = nullptr;
  TCronJob* cacheCopy_ = nullptr;
  TCronJob* keepAlive_ = nullptr;
  bool wasEnabled_[3] = {};
};

}  // namespace qv
