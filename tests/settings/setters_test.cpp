// The setters against one card of the simulated device library with a simulated Kr12 converter
// on each channel: which values reach the card and the converters, and what both channels' setup
// fields hold, by the repeat rule of each setter family and the route mode.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "card/card_routines.h"
#include "card/setup_routines.h"
#include "settings_test_support.h"

namespace {

using card::SetupText;
using settingstest::Value;

class SettersTest : public settingstest::SimCardTest {
 protected:
  // One card running `mode` (PSK + PSK with a pre-D combiner by default); converters 0 and 1
  // tied to channels 0 and 1.
  void SetUp() override { StartCard("YES", 5, card::HwCfgCardSetRecord{0, 2, {0, 1}}, true); }
  card::DnCvtSetupRecord& Dc(int index) { return dncvt_->Records[static_cast<std::size_t>(index)].Setup; }
};

constexpr int kRouteModes[] = {0, 1, 2};

TEST_F(SettersTest, OrdinarySettersRepeatOnlyOutsideRouteMode0AndViterbiOnesAlways) {
  std::vector<std::string> rates;
  ASSERT_TRUE(Card().PskRx_GetViterbiRateModeSupportedTypes(0, rates));
  ASSERT_GE(rates.size(), 3u);
  for (int routeMode : kRouteModes) {
    SCOPED_TRACE(routeMode);
    Rec().RouteInfo.RouteMode = routeMode;
    Card().PskRx_SetReceiverSignalLevelQualificationThreshold(1, -99.0);
    Rec().Receiver[1].CarrierThesholdDbm = -99.0;
    const double value = -60.0 - routeMode;
    manager_->SetSignalThreshold(0, 0, value);
    const double other = routeMode != 0 ? value : -99.0;
    EXPECT_EQ(Card().PskRx_GetReceiverSignalLevelQualificationThreshold(0), value);
    EXPECT_EQ(Value(Rec().Receiver[0].CarrierThesholdDbm), value);
    EXPECT_EQ(Card().PskRx_GetReceiverSignalLevelQualificationThreshold(1), other);
    EXPECT_EQ(Value(Rec().Receiver[1].CarrierThesholdDbm), other);

    const std::string& rate = rates[static_cast<std::size_t>(routeMode)];
    manager_->SetViterbiRateMode(0, 1, rate);
    EXPECT_EQ(Card().PskRx_GetViterbiStream1RateMode(0), rate);
    EXPECT_EQ(SetupText(Rec().Receiver[0].BitSync[0].ViterbiRateMode), rate);
  }
}

TEST_F(SettersTest, TuningRepeatsOnlyOutsideFrequencyDiversity) {
  for (bool diversity : {false, true}) {
    for (int routeMode : kRouteModes) {
      SCOPED_TRACE(std::to_string(routeMode) + (diversity ? " diversity" : ""));
      Rec().RouteInfo.RouteMode = routeMode;
      Rec().RouteInfo.PreDCombinerMode = diversity ? 1 : 0;
      Rec().PreD.CombinerModeOff = 0;
      Rec().PreD.CombinerModePolarity = 0;
      ASSERT_EQ(card::IsFreqDiversityCombining(0), diversity && routeMode != 0);
      ASSERT_TRUE(dncvt_->AssignKeepFreqInSpecs(1, 2200.0));
      const double mhz = 2250.0 + routeMode;
      manager_->SetTunedFreq(0, 0, mhz);
      EXPECT_EQ(Value(Dc(0).FreqMhz), mhz);
      EXPECT_EQ(Value(Dc(1).FreqMhz), routeMode != 0 && !diversity ? mhz : 2200.0);
    }
  }
}

TEST_F(SettersTest, ConverterSettersRepeatOnlyWhereTheOtherChannelHasAConverter) {
  Rec().RouteInfo.RouteMode = 1;
  manager_->SetSawIfFilter(0, 1, 2);
  EXPECT_EQ(Value(Dc(0).BwFilterSelected), 2);
  hwcfg_->CardSetRecords[0] = card::HwCfgCardSetRecord{0, 2, {0, -1}};  // channel 1 without a converter
  Dc(0).BwFilterSelected = 0;
  Dc(1).TcSelected = 7;
  manager_->SetAgcTimeConst(0, 0, 3);
  EXPECT_EQ(Value(Dc(0).TcSelected), 3);
  EXPECT_EQ(Value(Dc(1).TcSelected), 7);  // converter 1 is tied to no channel
  // Channel 1 has no converter: nothing changes, not even through its other channel.
  manager_->SetSawIfFilter(0, 1, 2);
  EXPECT_EQ(Value(Dc(0).BwFilterSelected), 0);
}

TEST_F(SettersTest, AgcZeroAndRestartFillTheChannelsStatusRecord) {
  Rec().RouteInfo.RouteMode = 1;
  manager_->StatusRecord(0, 0).DnCvt.SignalStrength = -42.0;
  manager_->StatusRecord(0, 1).DnCvt.SignalStrength = -43.0;
  manager_->SetAgcZero(0, 0, 1);
  EXPECT_EQ(Value(manager_->StatusRecord(0, 0).AgcZeroReference), -42.0);
  EXPECT_EQ(Value(manager_->StatusRecord(0, 1).AgcZeroReference), -43.0);
  EXPECT_EQ(Value(Dc(1).AgcZeroEnabled), 1);

  manager_->RestartAcquisition(0, 1);
  EXPECT_EQ(Value(manager_->StatusRecord(0, 1).Receiver.LowestSignalFreqHz), 70'000'000.0);
  EXPECT_EQ(Value(manager_->StatusRecord(0, 0).Receiver.HighestSignalFreqHz), 0.0);
}

TEST_F(SettersTest, PrnCodeIsSplitForTheCardButStoredAsGivenAndTextsAreCut) {
  Rec().RouteInfo.RouteMode = 1;
  manager_->SetPcmInputCode(0, 0, "RNRZ-15");
  for (int channel = 0; channel < 2; ++channel) {
    EXPECT_EQ(SetupText(Rec().Receiver[channel].BitSync[0].PcmInputCode), "RNRZ-15");
    EXPECT_EQ(Card().PskRx_GetBitSyncStream1InputDataDecodingMode(channel), "NRZL");
    EXPECT_EQ(Card().PskRx_GetBitSyncStream1DescramblerMode(channel), "RAND15_NRZL");
  }
  manager_->SetBertPnPattern(0, 0, std::string(100, 'X'));
  manager_->SetPostDDiversityOutput(0, 0, std::string(200, 'Y'));
  EXPECT_EQ(SetupText(Rec().RxBert[0].PrnPattern), std::string(card::kSetupTextLen - 1, 'X'));
  EXPECT_EQ(SetupText(Rec().PostD.DiversityOutput), std::string(103, 'Y'));
  EXPECT_EQ(Value(Rec().PostD.CombinerModePolarity), 0);  // nothing written past the text
}

TEST_F(SettersTest, OutOfRangeIndicesDoNothing) {
  Rec().RouteInfo.RouteMode = 1;
  const card::CardSetupRecord before = Rec();
  const card::DnCvtChannelRecords converters = dncvt_->Records;
  for (const auto& [card, channel] : {std::pair{1, 0}, std::pair{-1, 0}, std::pair{6, 1}, std::pair{0, 2},
                                      std::pair{0, -1}}) {
    manager_->SetSignalThreshold(card, channel, -10.0);
    manager_->SetInputSource(card, channel, "IF_INPUT2");
    manager_->SetTunedFreq(card, channel, 2260.0);
    manager_->SetPreDTimeConst(card, channel, 9.0);
    manager_->SetBertPnPattern(card, channel, "X");
    manager_->RestartAcquisition(card, channel);
  }
  manager_->SetTunedFreqBoth(3, 2260.0, 2261.0);
  EXPECT_EQ(std::memcmp(&before, &Rec(), sizeof before), 0);
  EXPECT_EQ(std::memcmp(&converters, &dncvt_->Records, sizeof converters), 0);
}

}  // namespace
