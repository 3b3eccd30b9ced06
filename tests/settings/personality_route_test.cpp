// The route and inputs of a card after its personality or its setup was applied, over simulated
// cards: a modulation of a PM or multi-h CPM channel keeps the card's personality and the other
// channel's modulation, the combiner as an input takes effect at once on a pre-D route, and a card
// applied in an independent mode (a recall, a restart) feeds no channel from the combiner and
// names a mode its personality runs.
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "card/card_routines.h"
#include "card/kr20card.h"
#include "card/mode_routines.h"
#include "card/setup_routines.h"
#include "multi_card_fixture.h"
#include "settings/setup_file.h"
#include "settings/window_messages.h"

namespace {

using settingstest::MultiCardTest;
using settingstest::RecordingWindow;
using card::Value;

class PersonalityRouteTest : public MultiCardTest {
 protected:
  // Card 0: the standard board running PSK+PSK (0, with the pre-D combiner); card 1: the variant
  // board running multi-h CPM+PSK (14); card 2: the variant board running PM+PSK (13).
  void SetUp() override {
    StartCards({{false, 0}, {true, 14}, {true, 13}});
    for (const auto& [card, mode] : {std::pair{0, 0}, std::pair{1, 14}, std::pair{2, 13}}) {
      Rec(card).RouteInfo.FpgaMasterMode = mode;
      Rec(card).RouteInfo.UserReceiverMode = mode;
    }
  }

  card::kr20cardclass& Card(int card) { return *cards_->Card(card); }
  std::string Source(int card, int channel) {
    return card::SetupText(Rec(card).Receiver[static_cast<std::size_t>(channel)].InputSource);
  }
  void Route(int card, int routeMode, int preD) {
    Rec(card).RouteInfo.RouteMode = routeMode;
    Rec(card).RouteInfo.PreDCombinerMode = static_cast<std::uint8_t>(preD);
    Rec(card).RouteInfo.PostDCombinerMode = 0;
  }
};

TEST_F(PersonalityRouteTest, TheOwnModulationOfAPmOrMultiHChannelKeepsTheCardAsItIs) {
  RecordingWindow window;
  manager_->ApplyCardMode(1);
  ASSERT_EQ(card::GetCombiningModeName(Rec(1).RouteInfo).Name, "MH-PSK PRE-D COMBINER");
  manager_->SetModulationFormat(1, 1, "SOQPSK_TG", 0);
  window.messages.clear();

  manager_->SetModulationFormat(1, 0, "MH_CPM", 0);
  manager_->SetModulationFormat(2, 0, "PM", 0);
  EXPECT_TRUE(window.Of(settings::kWmFpgaLoad).empty());
  EXPECT_TRUE(window.Of(settings::kWmCardChanged).empty());
  EXPECT_EQ(card::CardFpgaMode(1), 14);
  EXPECT_EQ(card::CardFpgaMode(2), 13);
  EXPECT_EQ(card::GetCombiningModeName(Rec(1).RouteInfo).Name, "MH-PSK PRE-D COMBINER");
  // The routed channels' PSK receiver keeps its modulation: "MH_CPM" is not one it runs.
  EXPECT_EQ(card::SetupText(Rec(1).Receiver[1].DemodMode), "SOQPSK_TG");
  EXPECT_EQ(Card(1).PskRx_GetCarrierModulationMode(1), "SOQPSK_TG");
  EXPECT_EQ(card::SetupText(Rec(1).Receiver[0].DemodMode), "MH_CPM");
  EXPECT_EQ(card::SetupText(Rec(2).Receiver[0].DemodMode), "PM");
}

// After a mode change each channel's setup names the receiver the card runs (the group status
// datagram carries the record, the setup files save it): a PSK receiver that refused "PCM_FM"
// runs the modulation it reports, at the rate the record keeps.
TEST_F(PersonalityRouteTest, AfterAModeChangeTheSetupNamesTheReceiversTheCardRuns) {
  RecordingWindow window;
  for (int channel = 0; channel < 2; ++channel) {
    card::SetSetupText(Rec(0).Receiver[channel].DemodMode, "PCM_FM");
    Rec(0).Receiver[channel].BitSync[0].Bitrate = 2'000'000;
  }
  Rec(0).RouteInfo.FpgaMasterMode = 2;  // FM-FM INDEPENDENT
  Rec(0).RouteInfo.UserReceiverMode = 2;
  manager_->ApplyCardMode(0);
  ASSERT_EQ(card::CardFpgaMode(0), 2);
  Rec(0).RouteInfo.FpgaMasterMode = 0;  // PSK-PSK INDEPENDENT
  Rec(0).RouteInfo.UserReceiverMode = 0;
  manager_->ApplyCardMode(0);
  ASSERT_EQ(card::CardFpgaMode(0), 0);
  for (int channel = 0; channel < 2; ++channel) {
    SCOPED_TRACE(channel);
    EXPECT_EQ(Card(0).PskRx_GetCarrierModulationMode(channel), "BPSK");
    EXPECT_EQ(card::SetupText(Rec(0).Receiver[channel].DemodMode), "BPSK");
    EXPECT_EQ(Value(card::GroupChannelContextOf(0, channel).DcRecord->Setup.ModulationType), card::ModulationNumber("BPSK"));
    EXPECT_EQ(Value(Rec(0).Receiver[channel].BitSync[0].Bitrate), 2'000'000);
    EXPECT_EQ(Card(0).PskRx_GetBitSyncStream1RateInbps(channel), 2'000'000.0);
  }
  manager_->SetupFileNames[0] = "MODES";
  ASSERT_TRUE(settings::SaveCardSetupFile(0));
  std::vector<std::string> saved;
  std::ifstream file(SetupFile("MODES"));
  for (std::string line; std::getline(file, line);) {
    if (line.rfind("DemodMode=", 0) == 0) saved.push_back(line);
  }
  EXPECT_EQ(saved, (std::vector<std::string>{"DemodMode=BPSK\r", "DemodMode=BPSK\r"}));

  // The variant board from multi-h CPM + PSK to multi-h CPM + PCM/FM: channel 2's SOQPSK_TG goes.
  card::SetSetupText(Rec(1).Receiver[1].DemodMode, "SOQPSK_TG");
  Rec(1).RouteInfo.FpgaMasterMode = 15;  // MH-FM PRE-D COMBINER
  Rec(1).RouteInfo.UserReceiverMode = 15;
  manager_->ApplyCardMode(1);
  ASSERT_EQ(card::CardFpgaMode(1), 15);
  EXPECT_EQ(card::SetupText(Rec(1).Receiver[0].DemodMode), "MH_CPM");
  EXPECT_EQ(card::SetupText(Rec(1).Receiver[1].DemodMode), "PCM_FM");
}

TEST_F(PersonalityRouteTest, TheCombinerAsAnInputTakesEffectAtOnceOnAPreDRoute) {
  Route(0, 1, 1);
  card::SetSetupText(Rec(0).Receiver[1].InputSource, "IF_INPUT2");
  manager_->ApplyCardMode(0);
  ASSERT_EQ(card::GetCombiningModeName(Rec(0).RouteInfo).Name, "PSK PRE-D COMBINER");
  ASSERT_EQ(Card(0).PskRx_GetReceiverInputSourceMode(1), "IF_INPUT2");

  manager_->SetInputSource(0, 1, card::kDiversityCombinerSource);
  EXPECT_EQ(Source(0, 1), card::kDiversityCombinerSource);
  EXPECT_EQ(Card(0).PskRx_GetReceiverInputSourceMode(1), card::kDiversityCombinerSource);
  EXPECT_EQ(Card(0).PskRx_GetReceiverInputSourceMode(0), "IF_INPUT1");

  // And back to its own input.
  manager_->SetInputSource(0, 1, "IF_INPUT2");
  EXPECT_EQ(Card(0).PskRx_GetReceiverInputSourceMode(1), "IF_INPUT2");
}

TEST_F(PersonalityRouteTest, AnIndependentModeAppliedFeedsNoChannelFromTheCombiner) {
  // A pre-D visit left the combiner stored for channel 2, and the card's receiver on it.
  Route(0, 1, 1);
  manager_->ApplyCardMode(0);
  manager_->SetInputSource(0, 1, card::kDiversityCombinerSource);
  ASSERT_EQ(Card(0).PskRx_GetReceiverInputSourceMode(1), card::kDiversityCombinerSource);

  // A recall or restart into PSK-PSK INDEPENDENT, the stored source as it was.
  Route(0, 0, 0);
  manager_->ApplyCardMode(0);
  EXPECT_EQ(card::GetCombiningModeName(Rec(0).RouteInfo).Name, "PSK-PSK INDEPENDENT");
  EXPECT_EQ(Source(0, 1), "IF_INPUT2");
  EXPECT_EQ(Card(0).PskRx_GetReceiverInputSourceMode(1), "IF_INPUT2");
  EXPECT_EQ(Card(0).PskRx_GetReceiverInputSourceMode(0), "IF_INPUT1");
}

TEST_F(PersonalityRouteTest, AnAppliedRouteNamesAModeThePersonalityRuns) {
  // FM pre-D on the standard board's PSK+PCM/FM image: not a mode this board runs.
  Rec(0).RouteInfo.FpgaMasterMode = 1;
  Rec(0).RouteInfo.UserReceiverMode = 1;
  Route(0, 1, 1);
  manager_->ApplyCardMode(0);
  EXPECT_EQ(card::CardFpgaMode(0), 1);
  EXPECT_EQ(card::GetCombiningModeName(Rec(0).RouteInfo).Name, "PSKFM INDEPENDENT");
  EXPECT_EQ(Value(Rec(0).RouteInfo.RouteMode), 0);

  // Multi-h CPM+PSK runs combined only.
  Route(1, 0, 0);
  manager_->ApplyCardMode(1);
  EXPECT_EQ(card::GetCombiningModeName(Rec(1).RouteInfo).Name, "MH-PSK PRE-D COMBINER");
  // PM+PSK with a combining route left over: its image holds no combiner.
  Route(2, 1, 1);
  manager_->ApplyCardMode(2);
  EXPECT_EQ(card::GetCombiningModeName(Rec(2).RouteInfo).Name, "PM-PSK INDEPENDENT");
}

}  // namespace
