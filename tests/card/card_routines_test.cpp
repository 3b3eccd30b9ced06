// The card-indexed routines on demo cards: capabilities, families, routing and the IF receiver
// logic. Values that must reach a card are in personality_routines_test.
#include "card_test_support.h"
#include "card/card_routines.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "card/dncvt_manager.h"
#include "card/hwcfg_manager.h"
#include "card/if_rx_auto_logic.h"
#include "card/personality_routines.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "fake_zp90.h"
#include "support/log_capture.h"
#include "support/scripted_dialogs.h"
#include "util/dialog_service.h"

namespace card {
namespace {

// Demo cards of the chip-variant board (only its images exist); each test puts the cards into the
// personality it needs.
class DemoCardsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string sim = SimFolder();
    if (!std::filesystem::exists(sim + "/quorx_make_fpga_images")) GTEST_FAIL() << "image generator not built (the build makes it)";
    ASSERT_TRUE(MakeFpgaImages(program_, sim, 4));
    manager_ = std::make_unique<quorxrtl20mgrclass>(program_ / "no-library-here");
    manager_->DoAfterHwCfgMgrLoaded();
    ASSERT_TRUE(manager_->OpenCards(true, 2));
    gRtl20Mgr = manager_.get();
    gHwCfgMgr = &hwcfg_;
    gDnCvtMgr = &dncvt_;
    config::gApp.Options = &options_;
  }
  void TearDown() override {
    config::gApp.Options = nullptr;
    gDnCvtMgr = nullptr;
    gHwCfgMgr = nullptr;
    gRtl20Mgr = nullptr;
    manager_.reset();
  }

  void Run(int card, int mode) {
    ASSERT_TRUE(ReloadFpgaForPersonality(*manager_->Card(card), manager_->LoadState(card), mode));
    ASSERT_EQ(CardFpgaMode(card), mode);
  }
  CardSetupRecord& Setup(int card) { return manager_->Card(card)->Setup(); }

  testsupport::LoggedProgramFolder program_;
  std::unique_ptr<quorxrtl20mgrclass> manager_;
  quorxhwcfgmgrclass hwcfg_;
  quorxdncvtmgrclass dncvt_;
  config::kr20optionclass options_{false};
};

// The tables themselves are pinned in mode_routines_test; here the card's running personality
// and counts must be the ones asked.
TEST_F(DemoCardsTest, CapabilitiesAndFamiliesFollowTheCardsPersonality) {
  Run(0, 13);  // PM + PSK
  Run(1, 6);   // PSK + PSK with a post-D combiner
  EXPECT_TRUE(IsPmChannel(0, 0));
  EXPECT_FALSE(CardHasChannelReceiver(0, 0));
  EXPECT_TRUE(CardHasIqForChannel(0, 1));
  EXPECT_TRUE(CardHasPostDCombiner(1) && !CardHasPreDCombiner(1));
  // A card index that is not below the count answers no.
  EXPECT_FALSE(CardHasChannelReceiver(2, 1) || CardHasBertForChannel(-1, 0) || IsPcmFmChannel(2, 1));
  EXPECT_EQ(CardFpgaMode(2), kNoFpgaMode);
}

TEST_F(DemoCardsTest, ASimulatedCardTakesTheNewPersonalityWithoutALoad) {
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

// The combiner is usable only with a post-D combiner and Route Mode 1; polarization combining is
// no frequency diversity.
TEST_F(DemoCardsTest, CombinerUseAndFrequencyDiversity) {
  EXPECT_EQ(GetCardRouteMode(-1), 1);
  Run(1, 12);
  Setup(1).RouteInfo.RouteMode = 1;
  EXPECT_TRUE(IsCombinerUsable(1));
  Setup(1).RouteInfo.RouteMode = 2;
  EXPECT_FALSE(IsCombinerUsable(1));

  Setup(0).RouteInfo.RouteMode = 1;
  Setup(0).RouteInfo.PreDCombinerMode = 1;
  EXPECT_TRUE(IsFreqDiversityCombining(0));
  Setup(0).PreD.CombinerModePolarity = 1;
  EXPECT_FALSE(IsFreqDiversityCombining(0));
  EXPECT_FALSE(IsFreqDiversityCombining(3));
}

TEST_F(DemoCardsTest, ACardThatIsNotReadyNeverClearsTheChannel2Option) {
  Run(0, 12);
  Setup(0).RouteInfo.RouteMode = 1;
  options_.Info().FmFmPostDOut2 = 1;
  ASSERT_FALSE(manager_->Card(0)->IsReady());
  EXPECT_FALSE(IsCombinedOutputOnCh2(0));
  EXPECT_FALSE(IsCombinedOutputOnCh2Active(0));
  EXPECT_EQ(options_.Info().FmFmPostDOut2, 1);
  // Combining is judged without the channel-2 output then.
  EXPECT_TRUE(IsCardCombining(0));
  Setup(0).RouteInfo.RouteMode = 0;
  EXPECT_FALSE(IsCardCombining(0));
}

TEST_F(DemoCardsTest, GroupChannelContextWithAndWithoutACard) {
  dncvt_.NumDnCvts = 2;
  dncvt_.Records[1].Kind = kDnCvtKindKr12;
  ASSERT_EQ(GetDownConverterIndex(0, 1), 1);
  Run(0, 7);

  int dc = 99;
  bool mh = true, pm = true, fm = false;
  DnCvtChannelRecord* record = nullptr;
  CardSetupRecord* setup = nullptr;
  kr20cardclass* object = nullptr;
  EXPECT_TRUE(GetGroupChannelContext(0, 1, dc, mh, pm, fm, record, setup, object));
  EXPECT_TRUE(object == manager_->Card(0) && setup == &manager_->Card(0)->Setup());
  EXPECT_EQ(dc, 1);
  EXPECT_EQ(record, &dncvt_.Records[1]);
  EXPECT_TRUE(fm && !pm && !mh);

  // Without a card: setup null, index -1, flags and record untouched.
  mh = true, pm = true, fm = true;
  record = &dncvt_.Records[3];
  EXPECT_FALSE(GetGroupChannelContext(4, 0, dc, mh, pm, fm, record, setup, object));
  EXPECT_TRUE(setup == nullptr && object == nullptr && dc == -1);
  EXPECT_EQ(record, &dncvt_.Records[3]);
  EXPECT_TRUE(mh && pm && fm);
}

TEST_F(DemoCardsTest, RateInfoComesFromTheChannelsSetup) {
  Run(0, 7);
  ReceiverRecord rx = Setup(0).Receiver[1];
  rx.BitSync[0].Bitrate = 2'000'000;
  SetSetupText(rx.DemodMode, "PCM_FM");
  SetSetupText(rx.BitSync[0].PcmInputCode, "BIOL");
  rx.BitSync[0].ViterbiDecodeEnabled = 1;
  rx.XmitterIsDigital = 1;
  Setup(0).Receiver[1] = rx;

  ChannelRateInfo info;
  ASSERT_TRUE(GetChannelRateInfo(0, 1, info));
  EXPECT_EQ(info.BitRate, 2e6);
  EXPECT_EQ(info.PcmCode, "BIOL");
  EXPECT_TRUE(info.Viterbi);
  EXPECT_FALSE(GetChannelRateInfo(0, 2, info));
  EXPECT_FALSE(GetChannelRateInfo(3, 0, info));
  // The channel's code and digital flag reach the suggestions.
  EXPECT_EQ(SuggestFmCarrierAcqLoopBw(0, 1), 4000.0);
}

// Records what the logic hands the set manager: "name card/channel value".
class RecordingSetters final : public IfRxAutoSetters {
 public:
  void SetCarrierAcqRange(int card, int channel, double v) override { Add("AcqRange", card, channel, v); }
  void SetSignalFilterBwRatio(int card, int channel, double v) override { Add("FilterBw", card, channel, v); }
  void SetDnCvtLimitedOutputMode(int card, int channel, std::uint8_t v) override { Add("Limited", card, channel, v); }
  void SetTunedFreq(int card, int channel, double v) override { Add("Tune", card, channel, v); }
  void SetPreDSignalBw(int card, int channel, double) override { Add("PreDBw", card, channel, 0); }
  void SetCarrierAcqLoopBw(int card, int channel, double) override {
    Add("AcqLoopBw", card, channel, 0);
    RunIfRxAutoLogic(card, channel);  // a setter that applies the logic again is not followed
  }
  std::vector<std::string> calls;

 private:
  void Add(const char* name, int card, int channel, double value) {
    std::ostringstream call;
    call << name << " " << card << "/" << channel << " " << value;
    calls.push_back(call.str());
  }
};

TEST_F(DemoCardsTest, TheIfReceiverLogicCallsTheInstalledSettersByOption) {
  const int dc = GetDownConverterIndex(0, 1);
  ASSERT_GE(dc, 0);
  dncvt_.NumDnCvts = 12;
  DnCvtChannelRecord& record = dncvt_.Records[static_cast<std::size_t>(dc)];
  record.Kind = kDnCvtKindKr14;
  record.IfFilterBwKhz[2] = 6000.0;
  record.Setup.BwFilterSelected = 2;
  record.Setup.FreqMhz = 2250.5;

  Run(0, 8);  // PSK + PCM/FM with a pre-D combiner
  Setup(0).RouteInfo.RouteMode = 1;
  Setup(0).Receiver[1].BitSync[0].Bitrate = 1'000'000;
  Setup(0).Receiver[1].CarrierSignalBwRatio = 1.0;
  SetSetupText(Setup(0).Receiver[1].BitSync[0].PcmInputCode, "NRZL");
  options_.Info().EnableIFCarAcqRgAlg = 1;
  options_.Info().EnableIFCarFilterAlg = 1;
  options_.Info().EnableIFCarCFAlg = 1;

  RecordingSetters setters;
  RunIfRxAutoLogic(0, 1);  // nothing installed: nothing to call
  InstallIfRxAutoSetters(&setters);
  RunIfRxAutoLogic(0, 1);
  InstallIfRxAutoSetters(nullptr);

  EXPECT_EQ(setters.calls, (std::vector<std::string>{"AcqRange 0/1 1e+06", "FilterBw 0/1 6", "Limited 0/1 1",
                                                       "Tune 0/1 2250.5", "PreDBw 0/1 0", "AcqLoopBw 0/1 0"}));

  // Options off, or no such card: no call.
  setters.calls.clear();
  options_.Info().EnableIFCarAcqRgAlg = 0;
  options_.Info().EnableIFCarFilterAlg = 0;
  options_.Info().EnableIFCarCFAlg = 0;
  InstallIfRxAutoSetters(&setters);
  RunIfRxAutoLogic(0, 1);
  RunIfRxAutoLogic(4, 0);
  InstallIfRxAutoSetters(nullptr);
  EXPECT_TRUE(setters.calls.empty());
}

TEST_F(DemoCardsTest, TheTuningPromptListsTheBandsAndKeepsTheFrequencyOnBadInput) {
  dncvt_.Records[0].FreqBands[0] = DnCvtFreqBand{2200.0, 2300.0};
  dncvt_.Records[0].FreqBands[1] = DnCvtFreqBand{1435.0, 1540.0};
  auto dialogs = std::make_shared<testsupport::ScriptedDialogs>();
  util::SetDialogService(dialogs);

  dialogs->AnswerInput("2250.25");
  EXPECT_EQ(PromptTuningFrequency(0, 2210.0), 2250.25);
  ASSERT_EQ(dialogs->Queries().size(), 1u);
  EXPECT_EQ(dialogs->Queries()[0].title,
            "Enter the Tuning Frequency in MHz\n2200.00 -- 2300.00\n1435.00 -- 1540.00");

  dialogs->AnswerInput("abc");
  EXPECT_EQ(PromptTuningFrequency(0, 2210.0), 2210.0);
  ASSERT_EQ(dialogs->Messages().size(), 1u);
  EXPECT_EQ(dialogs->Messages()[0].text, "Invalid Number, freq won't change");

  // No band: nothing to ask.
  EXPECT_EQ(PromptTuningFrequency(-1, 70.0), 70.0);
  EXPECT_TRUE(dialogs->AllAnswered());
  util::SetDialogService(nullptr);
}

}  // namespace
}  // namespace card
