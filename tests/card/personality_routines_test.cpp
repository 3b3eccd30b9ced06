// Managed cards of the simulated device library: personality changes with real FPGA loads and
// their messages, and card routines whose values must reach the card. Demo cards are in
// card_routines_test.
#include "card_test_support.h"
#include "card/personality_routines.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "card/card_routines.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "fake_zp90.h"
#include "support/log_capture.h"

namespace card {
namespace {

using Window = testing::RecordingMainWindow;

std::vector<std::uint32_t> Ids(const Window& window) {
  std::vector<std::uint32_t> ids;
  for (const auto& m : window.messages) ids.push_back(m.message);
  return ids;
}

// Card 0: the chip-variant board running PSK+PSK (4); card 1: the standard board running PM+PSK (3).
class ManagedSimCardsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string sim = SimFolder();
    if (!std::filesystem::exists(sim + "/librtZp903x.so")) GTEST_FAIL() << "devicesim libraries not built (the build makes them)";
    setenv("QUORX_SIM_FOLDER", program_.Path().c_str(), 1);
    ASSERT_TRUE(testsupport::WriteWholeFile(
        program_ / "VirtualHardware.cfg",
        "[General]\nCards=2\nSeed=3\n[Card_0]\nChipVariant=YES\nFpgaMode=4\n[Card_1]\nChipVariant=NO\nFpgaMode=3\n"));
    ASSERT_TRUE(MakeFpgaImages(program_, sim));
    void* handle = ResetSimLibrary(sim);
    ASSERT_NE(handle, nullptr);
    dlclose(handle);
    manager_ = std::make_unique<quorxrtl20mgrclass>(sim);
    ASSERT_TRUE(manager_->DoAfterHwCfgMgrLoaded());
    ASSERT_TRUE(manager_->OpenCards(false, 2));
    gRtl20Mgr = manager_.get();
    options_.Info().RecallTestModOutputState = 0;
    config::gApp.Options = &options_;
  }
  void TearDown() override {
    config::gApp.Options = nullptr;
    gRtl20Mgr = nullptr;
    manager_.reset();
  }

  testsupport::LoggedProgramFolder program_;
  std::unique_ptr<quorxrtl20mgrclass> manager_;
  config::kr20optionclass options_{false};
};

TEST_F(ManagedSimCardsTest, TheVariantBoardGetsTheVariantImageAndItsMessages) {
  ASSERT_TRUE(manager_->ChipVariant(0));
  ASSERT_EQ(CardFpgaMode(0), 4);
  Window window;
  bool reloaded = false;
  ASSERT_TRUE(ApplyPersonalityChange(0, 2, false, reloaded));
  EXPECT_TRUE(reloaded);
  EXPECT_EQ(CardFpgaMode(0), 10);
  EXPECT_TRUE(IsPcmFmChannel(0, 0));
  EXPECT_EQ(Value(manager_->LoadState(0).LastFpgaMode), 4);
  EXPECT_EQ(Value(manager_->Card(0)->Setup().RouteInfo.FpgaMasterMode), 10);

  // 50001 begin and end around the load, then 60001 (card, 1), all sent.
  ASSERT_EQ(Ids(window), (std::vector<std::uint32_t>{kWmFpgaLoad, kWmFpgaLoad, kWmCardReconfigured}));
  const platform::LParam lParams[] = {1, 0, 1};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(window.messages[i].lParam, lParams[i]) << i;
    EXPECT_TRUE(window.messages[i].sent) << i;
  }
  EXPECT_EQ(window.messages[2].wParam, 0u);

  // The running mode without force changes nothing; with force it is loaded again.
  window.messages.clear();
  ASSERT_TRUE(ApplyPersonalityChange(1, 3, false, reloaded));
  EXPECT_FALSE(reloaded);
  EXPECT_TRUE(window.messages.empty());
  ASSERT_TRUE(ApplyPersonalityChange(1, 3, true, reloaded));
  EXPECT_TRUE(reloaded);
  EXPECT_EQ(Ids(window), (std::vector<std::uint32_t>{kWmFpgaLoad, kWmFpgaLoad, kWmCardReconfigured}));
}

TEST_F(ManagedSimCardsTest, AChannelsNewFamilyLoadsAFittingPersonalityOrNothing) {
  Window window;
  // PSK+PSK variant: channel 1 to PCM/FM gives PSK+PCM/FM (7); asked again, nothing to do.
  ASSERT_TRUE(ChangeModulationMode(0, 1, "PCM_FM", true));
  ASSERT_TRUE(ChangeModulationMode(0, 1, "PCM_FM", true));
  EXPECT_EQ(CardFpgaMode(0), 7);
  EXPECT_TRUE(IsPcmFmChannel(0, 1));
  const std::vector<std::uint32_t> ids = Ids(window);
  EXPECT_EQ(std::count(ids.begin(), ids.end(), kWmCardReconfigured), 1);

  // Channel 1 of the PM+PSK card cannot become PCM/FM while channel 0 stays PM.
  window.messages.clear();
  EXPECT_FALSE(ChangeModulationMode(1, 1, "PCM_FM", true));
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(CardFpgaMode(1), 3);
  EXPECT_TRUE(HasLine(program_,
                      "Modulation Mode PCM_FM for card 2 channel 2 is not supported by any available FPGA personality"));
}

TEST_F(ManagedSimCardsTest, ChooseAndResolveThePersonalityOfACard) {
  CardSetupRecord& setup = manager_->Card(0)->Setup();
  setup.RouteInfo.UserReceiverMode = 2;  // standard PCM/FM+PCM/FM: no image on this board
  setup.RouteInfo.PreDCombinerMode = 0;
  setup.RouteInfo.PostDCombinerMode = 1;
  EXPECT_EQ(ChooseFpgaMode(0), 12);
  EXPECT_EQ(Value(setup.RouteInfo.FpgaMasterMode), 12);

  // A load is asked for when the setup differs from the running mode or a load is forced.
  FpgaLoadState state = manager_->LoadState(0);
  CardSetupRecord wanted = setup;
  wanted.RouteInfo.FpgaMasterMode = 4;
  state.ForceLoad = 0;
  EXPECT_FALSE(ResolvePersonalityForCard(0, state, wanted));
  state.ForceLoad = 1;
  EXPECT_TRUE(ResolvePersonalityForCard(0, state, wanted));
  wanted.RouteInfo.FpgaMasterMode = kNoFpgaMode;
  EXPECT_FALSE(ResolvePersonalityForCard(0, state, wanted));
}

TEST_F(ManagedSimCardsTest, SetOperationalModeNotifyTurnsTheTestModulatorOffUnlessKept) {
  kr20cardclass& card0 = *manager_->Card(0);
  card0.SetMod_SetIfCarrierOn(true);
  card0.SetMod_SetIfModulationOn(true);
  card0.Setup().Modulator.CarrierEnabled = 1;
  card0.Setup().Modulator.SakLoopbackMode = 1;
  Window window;

  SetOperationalModeNotify(0, 1, false);
  EXPECT_FALSE(card0.GetMod_GetIfCarrierOn() || card0.GetMod_GetIfModulationOn());
  EXPECT_EQ(Value(card0.Setup().Modulator.CarrierEnabled), 0);
  EXPECT_EQ(Value(card0.Setup().Modulator.SakLoopbackMode), 0);
  EXPECT_EQ(Value(card0.Setup().RouteInfo.RouteMode), 1);
  ASSERT_EQ(Ids(window), std::vector<std::uint32_t>{kWmCardReconfigured});
  EXPECT_EQ(window.messages[0].lParam, 0);

  options_.Info().RecallTestModOutputState = 1;
  card0.SetMod_SetIfCarrierOn(true);
  card0.Setup().Modulator.CarrierEnabled = 1;
  SetOperationalModeNotify(0, 0, true);
  EXPECT_TRUE(card0.GetMod_GetIfCarrierOn());
  EXPECT_EQ(Value(card0.Setup().Modulator.CarrierEnabled), 1);
  EXPECT_EQ(window.messages.back().lParam, 1);
}

TEST_F(ManagedSimCardsTest, TheFftSpanFollowsTheBitRateAndReachesTheCard) {
  kr20cardclass& card = *manager_->Card(0);
  card.Setup().Receiver[1].BitSync[0].Bitrate = 10'000'000;
  EXPECT_EQ(AutoSetFftSpanForChannel(0, 1), 29e6);
  EXPECT_EQ(Value(card.Setup().Fft[1].SpanMhz), 29.0);
  EXPECT_EQ(card.Fft_GetFrequencySpanInHz(1), 29e6);
  EXPECT_EQ(AutoSetFftSpanForChannel(2, 0), 0.0);
  EXPECT_EQ(AutoSetFftSpanForChannel(0, 2), 0.0);
}

TEST_F(ManagedSimCardsTest, RoutingReappliesTheInputSourcesOfIndependentChannels) {
  kr20cardclass& card = *manager_->Card(0);
  std::vector<std::string> sources;
  ASSERT_TRUE(card.PskRx_GetReceiverInputSourceModeSupportedTypes(0, sources));
  ASSERT_GE(sources.size(), 2u);
  SetSetupText(card.Setup().Receiver[0].InputSource, sources[1]);
  SetSetupText(card.Setup().Receiver[1].InputSource, kDiversityCombinerSource);
  card.PskRx_SetReceiverInputSourceMode(1, sources[0]);
  ApplyGroupSetupToCards(0, 0, &card.Setup());
  EXPECT_EQ(card.PskRx_GetReceiverInputSourceMode(0), sources[1]);
  // An independent channel is never fed from the combiner: it takes its own input.
  EXPECT_EQ(card.PskRx_GetReceiverInputSourceMode(1), "IF_INPUT2");
  ApplyGroupSetupToCards(0, 0, nullptr);
  ApplyGroupSetupToCards(0, 3, &card.Setup());
}

// PM and multi-h CPM are families of their own: their channel's own modulation reloads nothing.
TEST_F(ManagedSimCardsTest, PmAndMultiHCpmChannelsKeepTheirPersonalityForTheirOwnModulation) {
  bool reloaded = false;
  ASSERT_TRUE(ApplyPersonalityChange(0, 14, false, reloaded));
  ASSERT_EQ(CardFpgaMode(0), 14);
  Window window;
  EXPECT_TRUE(ChangeModulationMode(0, 0, "MH_CPM", false));
  EXPECT_TRUE(ChangeModulationMode(1, 0, "PM", false));
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(CardFpgaMode(0), 14);
  EXPECT_EQ(CardFpgaMode(1), 3);
  EXPECT_TRUE(IsMultiHCpmChannel(0, 0));
  EXPECT_TRUE(IsPmChannel(1, 0));

  // A PSK channel asked for PM gets the PM+PSK personality of its board.
  ASSERT_TRUE(ApplyPersonalityChange(0, 4, false, reloaded));
  EXPECT_TRUE(ChangeModulationMode(0, 0, "PM", false));
  EXPECT_EQ(CardFpgaMode(0), 13);
}

// After a personality change the route names a mode the new image runs, and the inputs follow it.
TEST_F(ManagedSimCardsTest, APersonalityChangeLeavesARouteTheNewImageRuns) {
  CardSetupRecord& setup = manager_->Card(0)->Setup();
  bool reloaded = false;
  // An image that only runs combined comes up combining.
  setup.RouteInfo.RouteMode = 0;
  ASSERT_TRUE(ApplyPersonalityChange(0, 14, false, reloaded));
  EXPECT_EQ(GetCombiningModeName(setup.RouteInfo).Name, "MH-PSK PRE-D COMBINER");
  EXPECT_EQ(Value(setup.RouteInfo.RouteMode), 1);
  EXPECT_EQ(Value(setup.RouteInfo.PreDCombinerMode), 1);

  // From multi-h combining to a PSK channel: PSK-PSK without a combiner runs independent, and the
  // channel that was fed from the combiner gets its own input back.
  SetSetupText(setup.Receiver[1].InputSource, kDiversityCombinerSource);
  ASSERT_TRUE(ChangeModulationMode(0, 0, "BPSK", false));
  ASSERT_EQ(CardFpgaMode(0), 4);
  EXPECT_EQ(GetCombiningModeName(setup.RouteInfo).Name, "PSK-PSK INDEPENDENT");
  EXPECT_EQ(Value(setup.RouteInfo.RouteMode), 0);
  EXPECT_EQ(Value(setup.RouteInfo.PreDCombinerMode), 0);
  EXPECT_EQ(SetupText(setup.Receiver[1].InputSource), "IF_INPUT2");

  // A route this board does not offer: FM PRE-D on the standard board's PSK+PCM/FM image.
  CardSetupRecord& standard = manager_->Card(1)->Setup();
  standard.RouteInfo.RouteMode = 1;
  standard.RouteInfo.PreDCombinerMode = 1;
  ASSERT_TRUE(ApplyPersonalityChange(1, 1, false, reloaded));
  EXPECT_EQ(GetCombiningModeName(standard.RouteInfo).Name, "PSKFM INDEPENDENT");
}

// Choosing the combiner as a channel's input takes effect with the routing of a pre-D route; a
// route that leaves combining gives each channel its own input back.
TEST_F(ManagedSimCardsTest, TheCombinerInputFollowsThePreDRoute) {
  bool reloaded = false;
  ASSERT_TRUE(ApplyPersonalityChange(0, 5, false, reloaded));
  kr20cardclass& card = *manager_->Card(0);
  CardSetupRecord& setup = card.Setup();
  setup.RouteInfo.RouteMode = 1;
  setup.RouteInfo.PreDCombinerMode = 1;
  SetSetupText(setup.Receiver[0].InputSource, "IF_INPUT1");
  SetSetupText(setup.Receiver[1].InputSource, kDiversityCombinerSource);
  card.PskRx_SetReceiverInputSourceMode(1, "IF_INPUT2");
  ApplyGroupSetupToCards(1, 0, &setup);
  EXPECT_EQ(card.PskRx_GetReceiverInputSourceMode(1), kDiversityCombinerSource);
  EXPECT_EQ(card.PskRx_GetReceiverInputSourceMode(0), "IF_INPUT1");

  // Channel 2 on input 1 while combining (a PSK+PCM/FM card offers it); back to independent
  // channels both take their own inputs, on the card too.
  SetSetupText(setup.Receiver[0].InputSource, "IF_INPUT2");
  Window window;
  SetOperationalModeNotify(0, 0, true);
  EXPECT_EQ(SetupText(setup.Receiver[0].InputSource), "IF_INPUT1");
  EXPECT_EQ(SetupText(setup.Receiver[1].InputSource), "IF_INPUT2");
  EXPECT_EQ(card.PskRx_GetReceiverInputSourceMode(0), "IF_INPUT1");
  EXPECT_EQ(card.PskRx_GetReceiverInputSourceMode(1), "IF_INPUT2");

  // A post-D route keeps no channel on the pre-D combiner.
  SetSetupText(setup.Receiver[1].InputSource, kDiversityCombinerSource);
  setup.RouteInfo.PreDCombinerMode = 0;
  setup.RouteInfo.PostDCombinerMode = 1;
  SetOperationalModeNotify(0, 1, false);
  EXPECT_EQ(SetupText(setup.Receiver[1].InputSource), "IF_INPUT2");
  EXPECT_EQ(card.PskRx_GetReceiverInputSourceMode(1), "IF_INPUT2");
}

TEST(PersonalityInfoBlocks, EveryPersonalityIsDerivedBackFromItsBlock) {
  for (int mode = 0; mode < kFpgaModeCount; ++mode) {
    EXPECT_EQ(DeriveOperationalMode(InfoBlockForPersonality(mode), IsVariantPersonality(mode)), mode) << mode;
  }
  EXPECT_EQ(VariantOfPersonality(2), 10);
}

TEST(PersonalityWithoutCards, NothingHappensWithoutAManager) {
  Window window;
  bool reloaded = true;
  EXPECT_FALSE(ApplyPersonalityChange(0, 2, true, reloaded));
  EXPECT_FALSE(reloaded);
  SetOperationalModeNotify(0, 1, true);
  EXPECT_FALSE(ChangeModulationMode(0, 0, "PCM_FM", true));
  EXPECT_TRUE(window.messages.empty());
}

}  // namespace
}  // namespace card
