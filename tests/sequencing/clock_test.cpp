// clock_test.cpp -- Timer on the virtual counter and the scene window rules.
#include <gtest/gtest.h>

#include <vector>

#include "platform/counter.h"
#include "sequencing/scene_system.h"

using MorlenGL::cSceneSystem;
using MorlenGL::Timer;

namespace {

// 100 counts per hundredth of a second.
constexpr int64_t kFrequency = 10000;
void AdvanceHundredths(int64_t n) { plat::AdvanceVirtualCounter(n * kFrequency / 100); }

class ClockTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::UseVirtualCounter(kFrequency, 123456); }
  void TearDown() override { plat::UseRealCounter(); }
};

struct Recorder : cSceneSystem {
  std::vector<std::string>* log;
  std::vector<int32_t> updateElapsed;
  explicit Recorder(std::vector<std::string>* l) : log(l) {}
  void Update() override {
    log->push_back("update");
    updateElapsed.push_back(m_clock.m_elapsed);
  }
  void Draw() override { log->push_back("draw"); }
  void StartClock() override {
    log->push_back("restart");
    cSceneSystem::StartClock();
  }
};

}  // namespace

TEST_F(ClockTest, TimerCountsHundredthsAndRemembersTheLastStep) {
  Timer t;
  EXPECT_EQ(t.m_ticksPerUnit, 100);
  EXPECT_EQ(t.m_elapsed, 0);
  AdvanceHundredths(7);
  t.Advance();
  EXPECT_EQ(t.m_elapsed, 7);
  EXPECT_EQ(t.m_lastElapsed, 0);
  AdvanceHundredths(5);
  t.Advance();
  EXPECT_EQ(t.m_elapsed, 12);
  EXPECT_EQ(t.m_lastElapsed, 7);
  t.Restart();
  EXPECT_EQ(t.m_elapsed, 0);
  EXPECT_EQ(t.m_lastElapsed, t.m_now);  // right after a restart it holds m_now
  AdvanceHundredths(3);
  t.Advance();
  EXPECT_EQ(t.m_elapsed, 3);
  EXPECT_EQ(t.m_lastElapsed, 0);
}

TEST_F(ClockTest, TimerNowIsKeptInThirtyTwoBits) {
  // 2^32 hundredths plus 5: the 64-bit quotient wraps into m_now.
  plat::UseVirtualCounter(kFrequency, ((int64_t(1) << 32) + 5) * 100);
  Timer t;
  EXPECT_EQ(t.m_now, 5);
  AdvanceHundredths(10);
  t.Advance();
  EXPECT_EQ(t.m_elapsed, 10);
}

TEST_F(ClockTest, TimeShiftAddsToTheDemoTime) {
  Timer t;
  t.m_timeShift = 6000;
  AdvanceHundredths(4);
  t.Advance();
  EXPECT_EQ(t.DemoTime(), 6004);
}

TEST_F(ClockTest, WindowIsInclusiveAtBothEnds) {
  Timer demo;
  std::vector<std::string> log;
  Recorder scene(&log);
  scene.m_demoClock = &demo;
  scene.m_startTime = 100;
  scene.m_endTime = 200;
  auto runsAt = [&](int32_t t) {
    demo.m_timeShift = t - demo.m_elapsed;
    log.clear();
    scene.Tick();
    scene.DrawIfActive();
    return !log.empty();
  };
  EXPECT_FALSE(runsAt(99));
  EXPECT_TRUE(runsAt(100));
  EXPECT_TRUE(runsAt(200));
  EXPECT_FALSE(runsAt(201));
  scene.m_alwaysActive = true;
  EXPECT_TRUE(runsAt(5000));
}

TEST_F(ClockTest, FirstFrameUpdatesBeforeTheClockRestarts) {
  Timer demo;
  std::vector<std::string> log;
  Recorder scene(&log);
  scene.m_demoClock = &demo;
  scene.m_endTime = 1000;
  AdvanceHundredths(50);  // time since the scene was constructed
  demo.Advance();
  scene.Tick();
  scene.DrawIfActive();
  EXPECT_EQ(log, (std::vector<std::string>{"update", "restart", "draw"}));
  EXPECT_EQ(scene.updateElapsed.at(0), 50);
  log.clear();
  AdvanceHundredths(2);
  scene.Tick();
  scene.DrawIfActive();
  EXPECT_EQ(log, (std::vector<std::string>{"update", "draw"}));
  EXPECT_EQ(scene.updateElapsed.at(1), 2);
}

TEST_F(ClockTest, DisabledSceneStillAdvancesAndIsOverIgnoresFlags) {
  Timer demo;
  std::vector<std::string> log;
  Recorder scene(&log);
  scene.m_demoClock = &demo;
  scene.m_endTime = 10;
  scene.m_disabled = true;
  AdvanceHundredths(4);
  scene.Tick();
  scene.DrawIfActive();
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(scene.m_clock.m_elapsed, 4);
  EXPECT_FALSE(scene.IsOver());
  demo.m_timeShift = 10;
  EXPECT_TRUE(scene.IsOver());
  scene.m_disabled = false;
  scene.m_alwaysActive = true;
  demo.m_timeShift = 11;
  EXPECT_TRUE(scene.IsOver());
}
