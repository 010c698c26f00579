#include "tray/MainWindowSchedules.h"

#include <utility>

namespace qv {

TMainWindowSchedules::TMainWindowSchedules(TScheduleActions actions) {
  backup_ = Make("0 +10 * * * *", std::move(actions.Backup));
  cacheCopy_ = Make("0 +30 * * * *", std::move(actions.CacheCopy));
  keepAlive_ = Make("+5 * * * * *", std::move(actions.KeepAlive));
}

TMainWindowSchedules::~TMainWindowSchedules() {
  for (TCronJob* job : {backup_, cacheCopy_, keepAlive_}) {
    job->SetEnabled(false);
    job->OnFire = nullptr;
  }
}

TCronJob* TMainWindowSchedules::Make(const char* expression, std::function<void()> action) {
  auto job = std::make_unique<TCronJob>();
  job->SetExpression(expression);
  TCronJob* raw = job.get();
  // The cron scheduler owns registered jobs; without one the window keeps them.
  if (CronScheduler())
    job.release();
  else
    owned_.push_back(std::move(job));
  raw->OnFire = [action = std::move(action)](TCronJob&) { action(); };
  return raw;
}

void TMainWindowSchedules::Pause() {
  TCronJob* jobs[] = {backup_, cacheCopy_, keepAlive_};
  for (int i = 0; i < 3; ++i) {
    wasEnabled_[i] = jobs[i]->Enabled();
    jobs[i]->SetEnabled(false);
  }
}

void TMainWindowSchedules::Resume() {
  TCronJob* jobs[] = {backup_, cacheCopy_, keepAlive_};
  for (int i = 0; i < 3; ++i) jobs[i]->SetEnabled(wasEnabled_[i]);
}

}  // namespace qv
