// The averaging rules by themselves, with counters the test sets.
#include <gtest/gtest.h>

#include "ui/bert/ber_average.h"

namespace {

using ui::BerAverager;
using ui::BerAverageStatus;
using ui::BertCounters;

struct AveragingRun {
  BerAverager averager;
  BertCounters counters{};
  double now = 50.0;

  ui::BerAverageStep Step(double seconds, bool inputOn = true, std::int32_t length = 3) {
    now += seconds;
    ui::BerAverageInputs in;
    in.Now = now;
    in.Locked = true;
    in.Running = true;
    in.InputOn = inputOn;
    in.SampleLength = length;
    return averager.Update(in, [this] { return counters; });
  }
};

TEST(BerAverager, ErrorsPerSecondAndRateOverThePeriod) {
  AveragingRun run;
  run.counters = {100.0, 1e6};
  run.averager.Reset(run.counters, run.now);
  run.counters = {130.0, 2e6};
  EXPECT_FALSE(run.Step(0.5).Acted);  // within a second of the start
  EXPECT_EQ(run.Step(0.5).Status, BerAverageStatus::Acquiring);
  run.counters = {160.0, 3e6};
  EXPECT_DOUBLE_EQ(run.Step(1.0).Progress, 200.0 / 3.0);
  run.counters = {190.0, 4e6};
  const ui::BerAverageStep done = run.Step(1.0);
  EXPECT_TRUE(done.PeriodComplete);
  EXPECT_EQ(run.averager.AverageErrors(), 30.0);
  EXPECT_DOUBLE_EQ(run.averager.AverageBer(), 90.0 / 3e6);
  EXPECT_EQ(run.averager.SecondsCounted(), 0);  // the next period has begun
}

TEST(BerAverager, SecondsCountOnlyWithTheInputOn) {
  AveragingRun run;
  run.averager.Reset(run.counters, run.now);
  run.Step(1.0, false);
  run.Step(1.0, false);
  EXPECT_EQ(run.averager.SecondsCounted(), 0);
  EXPECT_DOUBLE_EQ(run.Step(1.0, true).Progress, 100.0 / 3.0);
}

TEST(BerAverager, EitherCounterGoingBackRestartsThePeriod) {
  const std::vector<std::pair<const char*, BertCounters>> rows{{"errors", {5.0, 3e6}}, {"bits", {50.0, 1e3}}};
  for (const auto& [name, after] : rows) {
    SCOPED_TRACE(name);
    AveragingRun run;
    run.counters = {20.0, 2e6};
    run.averager.Reset(run.counters, run.now);
    run.counters = {40.0, 2.5e6};
    run.Step(1.0);
    run.counters = after;
    const ui::BerAverageStep step = run.Step(1.0);
    EXPECT_TRUE(step.Restarted);
    EXPECT_EQ(step.Status, BerAverageStatus::Acquiring);
    EXPECT_EQ(step.Progress, 0.0);
    // The next complete period counts from the counters after the reset only.
    run.counters = {after.ErrorBits + 3.0, after.TotalBits + 3e6};
    run.Step(1.0);
    run.Step(1.0);
    ASSERT_TRUE(run.Step(1.0).PeriodComplete);
    EXPECT_DOUBLE_EQ(run.averager.AverageBer(), 1e-6);
    EXPECT_EQ(run.averager.AverageErrors(), 1.0);
  }
}

}  // namespace
