// Personality changes of managed cards: simulated-library cards (real FPGA loads with their
// messages) and demo cards (no library).
#include "card_test_support.h"
#include "card/personality_routines.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "card/card_routines.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "fake_zp90.h"
#include "support/log_capture.h"

namespace card {
namespace {

std::size_t Count(const std::vector<testing::RecordingMainWindow::Message>& messages, std::uint32_t id) {
  return static_cast<std::size_t>(std::count_if(messages.begin(), messages.end(),
                                                [id](const auto& m) { return m.message == id; }));
}

// Card 0: the chip-variant board running PSK+PSK (4); card 1: the standard board running PM+PSK (3).
class ManagedSimCardsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim_ = SimFolder();
    if (!std::filesystem::exists(sim_ + "/librtZp903x.so")) GTEST_SKIP() << "devicesim libraries not built";
    setenv("QUORX_SIM_FOLDER", program_.Path().c_str(), 1);
    ASSERT_TRUE(testsupport::WriteWholeFile(
        program_ / "VirtualHardware.cfg",
        "[General]\nCards=2\nSeed=3\n[Card_0]\nChipVariant=YES\nFpgaMode=4\n[Card_1]\nChipVariant=NO\nFpgaMode=3\n"));
    ASSERT_TRUE(MakeFpgaImages(program_, sim_));
    void* handle = ResetSimLibrary(sim_);
    ASSERT_NE(handle, nullptr);
    dlclose(handle);
    manager_ = std::make_unique<quorxrtl20mgrclass>(sim_);
    ASSERT_TRUE(manager_->DoAfterHwCfgMgrLoaded());
    ASSERT_TRUE(manager_->OpenCards(false, 2));
    ASSERT_EQ(manager_->CardCount(), 2);
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
  std::string sim_;
  std::unique_ptr<quorxrtl20mgrclass> manager_;
  config::kr20optionclass options_{false};
};

TEST_F(ManagedSimCardsTest, TheVariantBoardGetsTheVariantImageAndAForcedLoad) {
  ASSERT_TRUE(manager_->ChipVariant(0));
  ASSERT_EQ(CardFpgaMode(0), 4);
  testing::RecordingMainWindow window;
  bool reloaded = false;

  ASSERT_TRUE(ApplyPersonalityChange(0, 2, false, reloaded));
  EXPECT_TRUE(reloaded);
  EXPECT_EQ(CardFpgaMode(0), 10);
  EXPECT_TRUE(IsPcmFmChannel(0, 0));
  EXPECT_TRUE(IsPcmFmChannel(0, 1));
  const FpgaLoadState state = manager_->LoadState(0);
  EXPECT_EQ(Value(state.LastFpgaMode), 4);
  EXPECT_EQ(Value(state.CurrentFpgaMode), 10);
  EXPECT_EQ(Value(state.DesiredFpgaMode), 10);
  EXPECT_EQ(Value(state.ForceLoad), 0);
  EXPECT_EQ(Value(manager_->Card(0)->Setup().RouteInfo.FpgaMasterMode), 10);

  // 50001 begin and end around the load, then 60001 (card, 1), all sent.
  ASSERT_EQ(window.messages.size(), 3u);
  const std::uint32_t ids[] = {kWmFpgaLoad, kWmFpgaLoad, kWmCardReconfigured};
  const platform::LParam lParams[] = {1, 0, 1};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(window.messages[i].message, ids[i]) << i;
    EXPECT_EQ(window.messages[i].lParam, lParams[i]) << i;
    EXPECT_TRUE(window.messages[i].sent) << i;
  }
  EXPECT_EQ(window.messages[2].wParam, 0u);
  EXPECT_TRUE(std::filesystem::exists(program_ / "SYSTEM/HARDWARECONFIGURATION/Kr20FpgaCfg.cfg"));
}

TEST_F(ManagedSimCardsTest, TheRunningModeWithoutForceChangesNothingAndForceReloadsIt) {
  testing::RecordingMainWindow window;
  bool reloaded = true;
  ASSERT_TRUE(ApplyPersonalityChange(1, 3, false, reloaded));
  EXPECT_FALSE(reloaded);
  EXPECT_TRUE(window.messages.empty());
  const FpgaLoadState before = manager_->LoadState(1);
  EXPECT_EQ(Value(before.CurrentFpgaMode), 3);

  ASSERT_TRUE(ApplyPersonalityChange(1, 3, true, reloaded));
  EXPECT_TRUE(reloaded);
  EXPECT_EQ(Count(window.messages, kWmFpgaLoad), 2u);
  EXPECT_EQ(Count(window.messages, kWmCardReconfigured), 1u);
  EXPECT_EQ(CardFpgaMode(1), 3);
}

TEST_F(ManagedSimCardsTest, ChangingTheFamilyOfAChannelLoadsAFittingPersonality) {
  testing::RecordingMainWindow window;
  // PSK+PSK variant: channel 1 to PCM/FM gives PSK+PCM/FM (7).
  ASSERT_TRUE(ChangeModulationMode(0, 1, "PCM_FM", true));
  EXPECT_EQ(CardFpgaMode(0), 7);
  EXPECT_FALSE(IsPcmFmChannel(0, 0));
  EXPECT_TRUE(IsPcmFmChannel(0, 1));
  EXPECT_EQ(Count(window.messages, kWmCardReconfigured), 1u);
  // Already PCM/FM: nothing to do.
  ASSERT_TRUE(ChangeModulationMode(0, 1, "PCM_FM", true));
  EXPECT_EQ(Count(window.messages, kWmCardReconfigured), 1u);
}

TEST_F(ManagedSimCardsTest, NoFittingPersonalityIsLoggedAndNothingLoads) {
  testing::RecordingMainWindow window;
  // Channel 1 of the PM+PSK card cannot become PCM/FM while channel 0 stays PM: no such personality.
  EXPECT_FALSE(ChangeModulationMode(1, 1, "PCM_FM", true));
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(CardFpgaMode(1), 3);
  EXPECT_TRUE(HasLine(program_,
                      "Modulation Mode PCM_FM for card 2 channel 2 is not supported by any available FPGA personality"));
}

TEST_F(ManagedSimCardsTest, ChooseFpgaModeFallsBackWithinTheFamiliesOnTheVariantBoard) {
  CardSetupRecord& setup = manager_->Card(0)->Setup();
  setup.RouteInfo.UserReceiverMode = 2;  // standard PCM/FM+PCM/FM: no image on this board
  setup.RouteInfo.PreDCombinerMode = 0;
  setup.RouteInfo.PostDCombinerMode = 1;
  EXPECT_EQ(ChooseFpgaMode(0), 12);
  EXPECT_EQ(Value(setup.RouteInfo.FpgaMasterMode), 12);
  setup.RouteInfo.UserReceiverMode = 8;
  EXPECT_EQ(ChooseFpgaMode(0), 8);
  // The standard board runs what it has.
  manager_->Card(1)->Setup().RouteInfo.UserReceiverMode = 1;
  EXPECT_EQ(ChooseFpgaMode(1), 1);
  EXPECT_EQ(ChooseFpgaMode(5), kNoFpgaMode);
}

TEST_F(ManagedSimCardsTest, ResolveAsksForALoadWhenTheSetupDiffersOrALoadIsForced) {
  kr20cardclass& card0 = *manager_->Card(0);
  FpgaLoadState state = card0.LoadState();
  CardSetupRecord setup = card0.Setup();
  setup.RouteInfo.FpgaMasterMode = 4;
  state.ForceLoad = 0;
  EXPECT_FALSE(ResolvePersonalityForCard(0, state, setup));
  state.ForceLoad = 1;
  EXPECT_TRUE(ResolvePersonalityForCard(0, state, setup));
  state.ForceLoad = 0;
  setup.RouteInfo.FpgaMasterMode = 10;
  EXPECT_TRUE(ResolvePersonalityForCard(0, state, setup));
  setup.RouteInfo.FpgaMasterMode = kNoFpgaMode;
  EXPECT_FALSE(ResolvePersonalityForCard(0, state, setup));
}

TEST_F(ManagedSimCardsTest, SetOperationalModeNotifyTurnsTheTestModulatorOffUnlessKept) {
  kr20cardclass& card0 = *manager_->Card(0);
  card0.SetMod_SetIfCarrierOn(true);
  card0.SetMod_SetIfModulationOn(true);
  card0.Setup().Modulator.CarrierEnabled = 1;
  card0.Setup().Modulator.NoiseEnabled = 1;
  card0.Setup().Modulator.SakLoopbackMode = 1;
  testing::RecordingMainWindow window;

  SetOperationalModeNotify(0, 1, false);
  EXPECT_FALSE(card0.GetMod_GetIfCarrierOn());
  EXPECT_FALSE(card0.GetMod_GetIfModulationOn());
  EXPECT_EQ(Value(card0.Setup().Modulator.CarrierEnabled), 0);
  EXPECT_EQ(Value(card0.Setup().Modulator.NoiseEnabled), 0);
  EXPECT_EQ(Value(card0.Setup().Modulator.SakLoopbackMode), 0);
  EXPECT_EQ(Value(card0.Setup().RouteInfo.RouteMode), 1);
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].message, kWmCardReconfigured);
  EXPECT_TRUE(window.messages[0].sent);
  EXPECT_EQ(window.messages[0].lParam, 0);

  options_.Info().RecallTestModOutputState = 1;
  card0.SetMod_SetIfCarrierOn(true);
  card0.Setup().Modulator.CarrierEnabled = 1;
  SetOperationalModeNotify(0, 0, true);
  EXPECT_TRUE(card0.GetMod_GetIfCarrierOn());
  EXPECT_EQ(Value(card0.Setup().Modulator.CarrierEnabled), 1);
  EXPECT_EQ(Value(card0.Setup().RouteInfo.RouteMode), 0);
  EXPECT_EQ(window.messages.back().lParam, 1);
}

// Demo cards with only the variant board's images.
class DemoVariantCardsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string sim = SimFolder();
    if (!std::filesystem::exists(sim + "/quorx_make_fpga_images")) GTEST_SKIP() << "image generator not built";
    ASSERT_TRUE(MakeFpgaImages(program_, sim, 4));
    manager_ = std::make_unique<quorxrtl20mgrclass>(program_ / "no-library-here");
    manager_->DoAfterHwCfgMgrLoaded();
    ASSERT_TRUE(manager_->OpenCards(true, 1));
    gRtl20Mgr = manager_.get();
  }
  void TearDown() override {
    gRtl20Mgr = nullptr;
    manager_.reset();
  }

  testsupport::LoggedProgramFolder program_;
  std::unique_ptr<quorxrtl20mgrclass> manager_;
};

TEST_F(DemoVariantCardsTest, ASimulatedCardTakesTheNewPersonalityWithoutALoad) {
  ASSERT_TRUE(manager_->ChipVariant(0));
  testing::RecordingMainWindow window;
  bool reloaded = false;
  ASSERT_TRUE(ApplyPersonalityChange(0, 1, false, reloaded));
  EXPECT_TRUE(reloaded);
  EXPECT_EQ(CardFpgaMode(0), 7);
  EXPECT_TRUE(IsPcmFmChannel(0, 1));
  EXPECT_EQ(Value(manager_->LoadState(0).CurrentFpgaMode), 7);
  ASSERT_EQ(window.messages.size(), 1u);  // no image load: only 60001
  EXPECT_EQ(window.messages[0].message, kWmCardReconfigured);
}

TEST(PersonalityInfoBlocks, EveryPersonalityIsDerivedBackFromItsBlock) {
  for (int mode = 0; mode < kFpgaModeCount; ++mode) {
    EXPECT_EQ(DeriveOperationalMode(InfoBlockForPersonality(mode), IsVariantPersonality(mode)), mode) << mode;
  }
  EXPECT_EQ(VariantOfPersonality(2), 10);
  EXPECT_EQ(VariantOfPersonality(12), 12);
}

TEST(PersonalityWithoutCards, NothingHappensWithoutAManager) {
  testing::RecordingMainWindow window;
  bool reloaded = true;
  EXPECT_FALSE(ApplyPersonalityChange(0, 2, true, reloaded));
  EXPECT_FALSE(reloaded);
  SetOperationalModeNotify(0, 1, true);
  EXPECT_FALSE(ChangeModulationMode(0, 0, "PCM_FM", true));
  EXPECT_TRUE(window.messages.empty());
}

}  // namespace
}  // namespace card
