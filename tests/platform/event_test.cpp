#include <gtest/gtest.h>

#include <thread>

#include "platform/event.h"

TEST(AutoResetEvent, ResetsAfterASuccessfulWait) {
  platform::AutoResetEvent ev;
  EXPECT_FALSE(ev.Wait(0));
  ev.Set();
  EXPECT_TRUE(ev.Wait(0));
  EXPECT_FALSE(ev.Wait(0));
  ev.Set();
  ev.Reset();
  EXPECT_FALSE(ev.Wait(0));
}

TEST(AutoResetEvent, WakesAWaitingThread) {
  platform::AutoResetEvent ev;
  std::thread t([&] { ev.Set(); });
  EXPECT_TRUE(ev.Wait(5000));
  t.join();
}
