// Every operation mode a card offers, on the virtual cards of both boards: the mode chosen as the
// card windows and the remote command choose it runs, names itself, keeps the combiner flags it
// needs, and a combining mode's card really combines.
#include "card_test_support.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "card/card_routines.h"
#include "card/kr20card.h"
#include "card/mode_routines.h"
#include "card/personality_routines.h"
#include "card/rtl20_manager.h"
#include "card/setup_routines.h"
#include "config/globals.h"
#include "config/name_tables.h"
#include "config/options_store.h"
#include "fake_zp90.h"

namespace card {
namespace {

// Card 0: the standard board running PSK+PSK (0); card 1: the chip-variant board running PSK+PSK
// (4). Both IF inputs of each card carry the same 1 Mb/s BPSK signal at 8 dB Eb/No, so that a
// receiver fed from the combiner sees about 11 dB.
class OperationModesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string sim = SimFolder();
    if (!std::filesystem::exists(sim + "/librtZp903x.so")) GTEST_FAIL() << "devicesim libraries not built (the build makes them)";
    setenv("QUORX_SIM_FOLDER", program_.Path().c_str(), 1);
    ASSERT_TRUE(testsupport::WriteWholeFile(
        program_ / "VirtualHardware.cfg",
        "[General]\nCards=2\nSeed=3\n"
        "[Card_0]\nChipVariant=NO\nFpgaMode=0\n"
        "IfInput1=70e6, -45, BPSK, 1e6, 8, NRZL\nIfInput2=70e6, -45, BPSK, 1e6, 8, NRZL\n"
        "[Card_1]\nChipVariant=YES\nFpgaMode=4\n"
        "IfInput1=70e6, -45, BPSK, 1e6, 8, NRZL\nIfInput2=70e6, -45, BPSK, 1e6, 8, NRZL\n"));
    ASSERT_TRUE(MakeFpgaImages(program_, sim));
    handle_ = ResetSimLibrary(sim);
    ASSERT_NE(handle_, nullptr);
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
    if (handle_ == nullptr) return;
    // The clock keeps its mode across a reset: the next test gets the real one back.
    if (auto* use = Hook<void (*)(int)>("QuorxSim_UseManualClock"); use != nullptr) use(0);
    dlclose(handle_);
  }

  template <class Pointer>
  Pointer Hook(const char* name) const {
    void* address = dlsym(handle_, name);
    Pointer pointer = nullptr;
    static_assert(sizeof pointer == sizeof address);
    std::memcpy(&pointer, &address, sizeof pointer);
    return pointer;
  }
  // The simulated clock, moved by the test only.
  void UseManualClock() {
    auto* use = Hook<void (*)(int)>("QuorxSim_UseManualClock");
    ASSERT_NE(use, nullptr);
    use(1);
  }
  void Advance(double seconds) {
    auto* advance = Hook<int (*)(double)>("QuorxSim_AdvanceSeconds");
    ASSERT_NE(advance, nullptr);
    advance(seconds);
  }

  // The card windows' and the remote command's mode change: the combiner flags the chosen
  // personality's image carries, the wanted personality, the load, the route mode.
  void RunOperationMode(int cardIndex, const OperationModeChoice& choice) {
    CardSetupRecord& setup = manager_->Card(cardIndex)->Setup();
    const FpgaModeSlotTable slots = manager_->ModeSlots(cardIndex);
    const bool combine = choice.CombinerFlag != 0;
    setup.RouteInfo.PreDCombinerMode = combine && ModeHasFeatureA(slots, choice.FpgaMode) ? 1 : 0;
    setup.RouteInfo.PostDCombinerMode = combine && ModeHasFeatureB(slots, choice.FpgaMode) ? 1 : 0;
    setup.RouteInfo.UserReceiverMode = choice.FpgaMode;
    const int master = ChooseFpgaMode(cardIndex);
    bool reloaded = false;
    ApplyPersonalityChange(cardIndex, master, false, reloaded);
    SetOperationalModeNotify(cardIndex, choice.RouteMode, reloaded);
  }

  testsupport::LoggedProgramFolder program_;
  void* handle_ = nullptr;
  std::unique_ptr<quorxrtl20mgrclass> manager_;
  config::kr20optionclass options_{false};
};

bool IsPreDMode(int op) { return op == 4 || op == 5 || op == 8 || op == 9; }
bool IsPostDMode(int op) { return op == 6 || op == 7; }

TEST_F(OperationModesTest, EveryOfferedModeRunsWithItsNameAndCombinerFlags) {
  testing::RecordingMainWindow window;
  // The standard board offers its four independent modes and the pre-D combining mode of its
  // PSK+PSK image (its PSK+PCM/FM image has one FM receiver: no FM pre-D); the variant board
  // every mode.
  const std::uint16_t expectedMasks[] = {0x002F, 0x03FF};
  for (int cardIndex = 0; cardIndex < 2; ++cardIndex) {
    const bool variant = manager_->ChipVariant(cardIndex);
    ASSERT_EQ(variant, cardIndex == 1);
    const std::uint16_t mask = manager_->FunctionMask(cardIndex);
    EXPECT_EQ(mask, expectedMasks[cardIndex]) << "card " << cardIndex;
    for (int op = 0; op < kOperationModeCount; ++op) {
      if (((mask >> op) & 1u) == 0) continue;
      SCOPED_TRACE(::testing::Message() << "card " << cardIndex << " operation mode " << op << " "
                                      << config::CombiningModeNames[static_cast<std::size_t>(op)]);
      OperationModeChoice choice;
      ASSERT_TRUE(ModeFeatureTest(op, manager_->ModeSlots(cardIndex), variant, choice));
      RunOperationMode(cardIndex, choice);

      const CardSetupRecord& setup = manager_->Card(cardIndex)->Setup();
      const RouteInfoRecord route = setup.RouteInfo;
      EXPECT_EQ(CardFpgaMode(cardIndex), Value(route.FpgaMasterMode));
      EXPECT_EQ(Value(route.FpgaMasterMode), choice.FpgaMode);
      const CombiningMode mode = GetCombiningModeName(route);
      EXPECT_EQ(mode.Code, op);
      EXPECT_EQ(mode.Name, std::string(config::CombiningModeNames[static_cast<std::size_t>(op)]));
      EXPECT_EQ(Value(route.RouteMode), op >= 4 ? 1 : 0);
      EXPECT_EQ(Value(route.PreDCombinerMode), IsPreDMode(op) ? 1 : 0);
      EXPECT_EQ(Value(route.PostDCombinerMode), IsPostDMode(op) ? 1 : 0);
      // The running personality holds the combiner its mode needs.
      if (IsPreDMode(op)) {
        EXPECT_TRUE(CardHasPreDCombiner(cardIndex));
      }
      if (IsPostDMode(op)) {
        EXPECT_TRUE(CardHasPostDCombiner(cardIndex));
      }
    }
  }
}

// A combining mode is offered only where its image carries the combiner: the standard board
// has no post-D image, so its post-D modes stay out of the menu and the remote command.
TEST_F(OperationModesTest, ModesWithoutTheirCombinerAreNotOffered) {
  const FpgaModeSlotTable standard = manager_->ModeSlots(0);
  OperationModeChoice choice;
  for (int op : {6, 7, 8, 9}) EXPECT_FALSE(ModeFeatureTest(op, standard, false, choice)) << op;
  for (int mode = 0; mode < 4; ++mode) {
    SCOPED_TRACE(mode);
    EXPECT_EQ(ModeHasFeatureA(standard, mode), mode <= 1);  // PSK+PSK and PSK+PCM/FM carry a pre-D combiner
    EXPECT_FALSE(ModeHasFeatureB(standard, mode));
  }
}

// The pre-D mode of the standard board combines: channel 2's receiver fed from the combiner sees
// both inputs together, about 3 dB above either.
TEST_F(OperationModesTest, ThePreDModeOfTheStandardBoardCombines) {
  testing::RecordingMainWindow window;
  OperationModeChoice choice;
  ASSERT_TRUE(ModeFeatureTest(5, manager_->ModeSlots(0), false, choice));
  RunOperationMode(0, choice);
  kr20cardclass& object = *manager_->Card(0);
  ASSERT_EQ(GetCombiningModeName(object.Setup().RouteInfo).Name, "PSK PRE-D COMBINER");
  ASSERT_TRUE(CardHasPreDCombiner(0));

  UseManualClock();
  CardSetupRecord& setup = object.Setup();
  ReceiverRecord& rx = setup.Receiver[1];
  rx.BitSync[0].Bitrate = 1'000'000;
  SetSetupText(rx.BitSync[0].PcmInputCode, "NRZL");
  SetSetupText(rx.DemodMode, "BPSK");
  rx.CarrierFreqMhz = 70.0;
  SetSetupText(rx.InputSource, "IF_INPUT2");
  ASSERT_TRUE(manager_->ApplyCardSetup(0));
  Advance(0.5);
  const double single = object.PskRx_GetBitSyncStream1SignalEbNo(1);
  EXPECT_NEAR(single, 8.0, 0.6);
  SetSetupText(rx.InputSource, "DIVERSITY_COMBINER");
  ASSERT_TRUE(manager_->ApplyCardSetup(0));
  EXPECT_EQ(object.PskRx_GetReceiverInputSourceMode(1), "DIVERSITY_COMBINER");
  Advance(0.5);
  EXPECT_NEAR(object.PskRx_GetBitSyncStream1SignalEbNo(1), 11.0, 0.6);
}

}  // namespace
}  // namespace card
