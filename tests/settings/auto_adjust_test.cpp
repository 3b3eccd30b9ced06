// The set manager's automatic adjustments against one card of the simulated device library: the
// PCM/FM carrier tracking-loop adjustment (threshold, gating, log line) and the output selection
// of a combined dual PCM/FM card (FPGA-0 register 0xB00 read back from the card).
#include "settings/auto_adjust.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "card/fpga_image_header.h"
#include "card/mode_routines.h"
#include "config/options_store.h"
#include "settings_test_support.h"

namespace {

using settingstest::Value;

std::size_t CountStartingWith(const std::vector<std::string>& lines, const std::string& head) {
  return static_cast<std::size_t>(
      std::count_if(lines.begin(), lines.end(), [&](const std::string& line) { return line.rfind(head, 0) == 0; }));
}

constexpr char kLogHead[] = "Auto IF TRK LBW adjusted for card ";

// Span option 5 % and 1 Mbps: with no measured spread the suggestion is 50 kHz.
constexpr double kSpanPct = 5.0;
constexpr std::int32_t kBitRate = 1'000'000;
constexpr double kSuggestedHz = 50'000.0;

class AutoAdjustTest : public settingstest::SimCardTest {
 protected:
  void Start(const std::string& chipVariant, int mode, const std::string& signals = "") {
    options_.Info().EnableIFCarCFAlg = 1;
    options_.Info().IfCarCfSpanPct = kSpanPct;
    config::gApp.Options = &options_;
    config::gApp.DebugMode = 0;
    StartCard(chipVariant, mode, card::HwCfgCardSetRecord{0, 2, {-1, -1}}, false, 5, signals);
  }
  void TearDown() override {
    SimCardTest::TearDown();
    config::gApp.DebugMode = 0;
    config::gApp.Options = nullptr;
  }

  // Both PCM/FM channels at 1 Mbps with a free (measured) tracking loop: channel `channel` holds
  // `currentHz` in the card and the setup, the other channel exactly the suggestion.
  void PrepareTrackLoops(int channel, double currentHz) {
    for (int ch = 0; ch < 2; ++ch) {
      const double hz = ch == channel ? currentHz : kSuggestedHz;
      Rec().Receiver[ch].XmitterIsDigital = 0;
      Rec().Receiver[ch].BitSync[0].Bitrate = kBitRate;
      Rec().Receiver[ch].CarrierTrkLoopBandwidthHz = hz;
      Card().FmRx_SetCarrierTrackingLoopBandwidthInHz(ch, hz);
    }
  }
  void ExpectTrackLoop(int channel, double hz) {
    EXPECT_DOUBLE_EQ(Card().FmRx_GetCarrierTrackingLoopBandwidthInHz(channel), hz) << "channel " << channel;
    EXPECT_DOUBLE_EQ(Value(Rec().Receiver[channel].CarrierTrkLoopBandwidthHz), hz) << "channel " << channel;
  }

  std::uint32_t RoutingRegister() {
    std::array<std::uint32_t, 1> value{0xDEADBEEFu};
    EXPECT_TRUE(Card().Dtrd_PeekRegOnFpga(0, card::kFpga0RoutingRegister, value, 1));
    return value[0];
  }
  void PokeRoutingRegister(std::uint32_t value) {
    ASSERT_TRUE(Card().Dtrd_PokeRegOnFpga(0, card::kFpga0RoutingRegister, value));
  }
  // Decoys in the fields the selection must not read (channel B of record 0, A of record 1).
  void SetPostDEbNo(double chanA, double chanB) {
    manager_->StatusRecord(0, 0).PostD.ChanAEbNoDb = chanA;
    manager_->StatusRecord(0, 0).PostD.ChanBEbNoDb = -50.0;
    manager_->StatusRecord(0, 1).PostD.ChanAEbNoDb = 50.0;
    manager_->StatusRecord(0, 1).PostD.ChanBEbNoDb = chanB;
  }

  // `seconds` of driven time: both PCM/FM channels tuned to 2 Mb/s signals at 70 MHz, the
  // status read and the adjustment run every `periodSec`, as the master timer does. Returns the
  // times (seconds from the start) at which each channel's loop was retuned, and leaves the loops
  // as they settled.
  std::array<std::vector<double>, 2> DriveTrackLoops(double seconds, double periodSec) {
    auto useManualClock = settingstest::SimHook<void (*)(int)>(sim_ + "/librtZp903x.so", "QuorxSim_UseManualClock");
    auto advance = settingstest::SimHook<int (*)(double)>(sim_ + "/librtZp903x.so", "QuorxSim_AdvanceSeconds");
    std::array<std::vector<double>, 2> retunes;
    if (useManualClock == nullptr || advance == nullptr) {
      ADD_FAILURE() << "no manual clock";
      return retunes;
    }
    useManualClock(1);
    Rec().RouteInfo.RouteMode = 0;
    for (int ch = 0; ch < 2; ++ch) {
      Card().FmRx_SetReceiverInputSourceMode(ch, ch == 0 ? "IF_INPUT1" : "IF_INPUT2");
      Card().FmRx_SetCarrierCenterFrequencyInHz(ch, 70e6);
      Card().FmRx_SetBitSyncRateInbps(ch, 2e6);
      Rec().Receiver[ch].BitSync[0].Bitrate = 2'000'000;
      Rec().Receiver[ch].XmitterIsDigital = 0;
    }
    std::array<double, 2> last{Value(Rec().Receiver[0].CarrierTrkLoopBandwidthHz),
                               Value(Rec().Receiver[1].CarrierTrkLoopBandwidthHz)};
    const int passes = static_cast<int>(std::lround(seconds / periodSec));
    for (int pass = 1; pass <= passes; ++pass) {
      EXPECT_EQ(advance(periodSec), 0);
      manager_->RefreshChannelStatus();
      manager_->AutoAdjustIfTrackLoopBw();
      for (int ch = 0; ch < 2; ++ch) {
        const double now = Rec().Receiver[ch].CarrierTrkLoopBandwidthHz;
        if (now != last[static_cast<std::size_t>(ch)]) retunes[static_cast<std::size_t>(ch)].push_back(pass * periodSec);
        last[static_cast<std::size_t>(ch)] = now;
      }
    }
    useManualClock(0);
    return retunes;
  }

  config::kr20optionclass options_{false};
};

constexpr char kTwoPcmFmSignals[] =
    "IfInput1=70e6, -42, PCM_FM, 2e6, 13, NRZL\nIfInput1ModIndex=0.7\n"
    "IfInput2=70e6, -42, PCM_FM, 2e6, 13, NRZL\nIfInput2ModIndex=0.7\n";

TEST(AutoAdjustRules, LogTextCutsNumbersToTheirWidths) {
  // 123456.789012 MHz has 13 characters; only 12 are kept.
  EXPECT_EQ(settings::TrackLoopBwAdjustLogText(5, 0, 123'456'789'012.0, 0.0),
            "Auto IF TRK LBW adjusted for card 6 Channel 1 :  suggested = 123456.78901   current = 0.000000   "
            "dcurrent = 123456.78901   setting to = 123456.78901     (all in MHz)");
}

TEST_F(AutoAdjustTest, TrackLoopMovesOnlyFrom1000HzAway) {
  Start("NO", 2);  // PCM/FM + PCM/FM
  Rec().RouteInfo.RouteMode = 0;
  for (double offset : {999.9, -999.9, 1000.0}) {
    SCOPED_TRACE(::testing::Message() << offset << " Hz away");
    PrepareTrackLoops(1, kSuggestedHz + offset);
    Card().FmRx_SetCarrierTrackingLoopBandwidthInHz(0, 7'777.0);
    manager_->AutoAdjustIfTrackLoopBw();
    ExpectTrackLoop(1, std::abs(offset) < 1000.0 ? kSuggestedHz + offset : kSuggestedHz);
    // Route Mode 0: the other channel, already at the suggestion, gets no call.
    EXPECT_DOUBLE_EQ(Card().FmRx_GetCarrierTrackingLoopBandwidthInHz(0), 7'777.0);
  }
  EXPECT_EQ(CountStartingWith(program_.LogTexts(), kLogHead), 0u);  // not in debug mode

  // A measured carrier spread (30 kHz) is the suggestion; inverted extremes are none.
  PrepareTrackLoops(1, kSuggestedHz);
  manager_->StatusRecord(0, 1).Receiver.HighestSignalFreqHz = 69'990'000.0;
  manager_->StatusRecord(0, 1).Receiver.LowestSignalFreqHz = 70'020'000.0;
  manager_->AutoAdjustIfTrackLoopBw();
  ExpectTrackLoop(1, kSuggestedHz);
  manager_->StatusRecord(0, 1).Receiver.HighestSignalFreqHz = 70'020'000.0;
  manager_->StatusRecord(0, 1).Receiver.LowestSignalFreqHz = 69'990'000.0;
  manager_->AutoAdjustIfTrackLoopBw();
  ExpectTrackLoop(1, 30'000.0);
  ExpectTrackLoop(0, kSuggestedHz);
}

// Two steady PCM/FM signals read for 16 s, as the program does: the measured carrier spread is
// steady, so each loop is retuned in the first second only (from the span suggestion to the
// spread) and settles on a sensible bandwidth (between 0.1 % and 5 % of the rate). Read at another
// rate, as a restart reads at other instants, the loops settle on the same values within 3 %.
TEST_F(AutoAdjustTest, TrackLoopSettlesOnceOnASteadySignal) {
  Start("NO", 2, kTwoPcmFmSignals);
  const std::array<std::vector<double>, 2> retunes = DriveTrackLoops(16.0, 0.2);
  std::array<double, 2> settled{};
  for (int ch = 0; ch < 2; ++ch) {
    SCOPED_TRACE(::testing::Message() << "channel " << ch);
    const std::vector<double>& times = retunes[static_cast<std::size_t>(ch)];
    EXPECT_FALSE(times.empty());
    EXPECT_LE(times.size(), 3u);
    EXPECT_TRUE(std::all_of(times.begin(), times.end(), [](double t) { return t <= 1.0; }))
        << "last retune at " << (times.empty() ? 0.0 : times.back()) << " s";
    settled[static_cast<std::size_t>(ch)] = Rec().Receiver[ch].CarrierTrkLoopBandwidthHz;
    EXPECT_GT(settled[static_cast<std::size_t>(ch)], 0.001 * 2e6);
    EXPECT_LT(settled[static_cast<std::size_t>(ch)], 0.05 * 2e6);
  }

  SimCardTest::TearDown();  // the program closes; the same cards start again
  Start("NO", 2, kTwoPcmFmSignals);
  DriveTrackLoops(16.0, 0.05);
  for (int ch = 0; ch < 2; ++ch) {
    const double again = Rec().Receiver[ch].CarrierTrkLoopBandwidthHz;
    EXPECT_NEAR(again, settled[static_cast<std::size_t>(ch)], 0.03 * settled[static_cast<std::size_t>(ch)])
        << "channel " << ch;
  }
}

TEST_F(AutoAdjustTest, GatesLeaveTheLoopAlone) {
  Start("NO", 2);
  config::gApp.DebugMode = 1;
  // One gate closed at a time; a move would stay.
  PrepareTrackLoops(0, 5'000.0);
  Rec().RouteInfo.RouteMode = 1;
  manager_->AutoAdjustIfTrackLoopBw();
  Rec().RouteInfo.RouteMode = 0;
  Rec().Receiver[0].XmitterIsDigital = 1;  // bit-rate based
  manager_->AutoAdjustIfTrackLoopBw();
  Rec().Receiver[0].XmitterIsDigital = 0;
  options_.Info().EnableIFCarCFAlg = 0;
  manager_->AutoAdjustIfTrackLoopBw();
  config::gApp.Options = nullptr;  // no options at all: off as well
  manager_->AutoAdjustIfTrackLoopBw();
  ExpectTrackLoop(0, 5'000.0);
  EXPECT_EQ(CountStartingWith(program_.LogTexts(), kLogHead), 0u);

  // Every gate open on the same state: it moves, and debug mode logs it once, numbered with the
  // channel index.
  config::gApp.Options = &options_;
  options_.Info().EnableIFCarCFAlg = 1;
  PrepareTrackLoops(1, 20'000.0);
  manager_->AutoAdjustIfTrackLoopBw();
  ExpectTrackLoop(1, kSuggestedHz);
  manager_->AutoAdjustIfTrackLoopBw();
  const std::string expected =
      "Auto IF TRK LBW adjusted for card 1 Channel 2 :  suggested = 0.050000   current = 0.020000   dcurrent = "
      "0.030000   setting to = 0.050000     (all in MHz)";
  const std::vector<std::string> lines = program_.LogLines();
  ASSERT_EQ(CountStartingWith(program_.LogTexts(), kLogHead), 1u);
  EXPECT_EQ(lines.back(), lines.back().substr(0, 29) + expected);
  EXPECT_EQ(lines.back().substr(0, 8), "000001  ");
}

TEST_F(AutoAdjustTest, DualPcmFmOutputFollowsTheBetterEbNo) {
  Start("YES", 12);  // two PCM/FM receivers with a post-D combiner
  constexpr std::uint32_t kOther = 1u << 8;  // a bit the selection must keep
  const std::uint32_t select = card::kRoutingSelectEnable | card::kRoutingCombinedOnCh2;
  options_.Info().EnableIFCarCFAlg = 0;  // the tracking-loop option does not gate the selection
  Rec().RouteInfo.RouteMode = 1;
  PokeRoutingRegister(kOther);
  // Equal Eb/No keeps channel A; the bits outside the selection stay.
  for (const auto& [chanA, chanB, onCh2] : {std::tuple{10.0, 12.0, true}, std::tuple{12.0, 12.0, false}}) {
    SetPostDEbNo(chanA, chanB);
    manager_->UpdateDualPcmFmOutputSelect();
    EXPECT_EQ(RoutingRegister() & (select | kOther), (onCh2 ? select : card::kRoutingSelectEnable) | kOther)
        << chanA << " " << chanB;
  }
  // Another Route Mode: the register is not touched.
  Rec().RouteInfo.RouteMode = 2;
  PokeRoutingRegister(kOther);
  SetPostDEbNo(10.0, 12.0);
  manager_->UpdateDualPcmFmOutputSelect();
  EXPECT_EQ(RoutingRegister(), kOther);
}

}  // namespace
