#include <gtest/gtest.h>

#include "sched/CronScheduler.h"

// The window's schedules register with the timer manager, as in the program.
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  qv::TCronSchedulerScope timers;
  return RUN_ALL_TESTS();
}
