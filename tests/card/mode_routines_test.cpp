// Mode routines: the personality tables are pinned as a whole, so a changed entry shows up.
#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <string>

#include "card/mode_routines.h"

namespace card {
namespace {

TEST(ModeFamilies, FamilyOfEveryModeAndChannel) {
  // Per mode: family of channel 0 and channel 1 (P PSK, F PCM/FM, M PM, H multi-h CPM).
  const std::array<std::string, 16> expected{"PP", "PF", "FF", "MP", "PP", "PP", "PP", "PF",
                                             "PF", "PF", "FF", "FF", "FF", "MP", "HP", "HF"};
  for (int mode = -1; mode <= 16; ++mode) {
    const std::string f = mode >= 0 && mode < 16 ? expected[static_cast<std::size_t>(mode)] : "--";
    SCOPED_TRACE(testing::Message() << "mode " << mode);
    EXPECT_EQ(IsPskPskMode(mode), f == "PP");
    EXPECT_EQ(IsPskPcmFmMode(mode), f == "PF");
    EXPECT_EQ(IsPcmFmPcmFmMode(mode), f == "FF");
    EXPECT_EQ(IsPmPskMode(mode), f == "MP");
    EXPECT_EQ(IsVariantPersonality(mode), mode >= 4 && mode < 16);
    for (int channel = -1; channel <= 2; ++channel) {
      const char c = channel == 0 || channel == 1 ? f[static_cast<std::size_t>(channel)] : '-';
      EXPECT_EQ(IsPcmFmChannelInMode(mode, channel), c == 'F') << channel;
      EXPECT_EQ(IsPmChannelInMode(mode, channel), c == 'M') << channel;
      EXPECT_EQ(IsMultiHCpmChannelInMode(mode, channel), c == 'H') << channel;
    }
  }
}

kr20cardinfo Counts(int psk, int fm, int pm, int mhCpm, int preD = 0, int postD = 0) {
  kr20cardinfo info{};
  info.NumPskReceivers = psk;
  info.NumFmReceivers = fm;
  info.NumPmReceivers = pm;
  info.NumMhCpmReceivers = mhCpm;
  info.NumPreDCombiners = preD;
  info.NumPostDCombiners = postD;
  return info;
}

// The plain personalities round-trip through InfoBlockForPersonality (personality test); these
// rows pin the order in which the counts are asked.
TEST(DeriveOperationalMode, PriorityOfTheCounts) {
  const struct {
    kr20cardinfo Info;
    int Standard, Variant;
  } cases[] = {
      {Counts(1, 1, 0, 1), 14, 14},       // PSK wins over PCM/FM beside multi-h CPM
      {Counts(1, 0, 1, 0, 1, 1), 3, 13},  // combiners do not matter for PM
      {Counts(2, 0, 0, 0, 1, 1), 0, 5},   // pre-D is asked first
      {Counts(2, 2, 0, 0), 0, 4},         // two PSK is asked before two PCM/FM
      {Counts(0, 1, 1, 0), 16, 16},       // PM + PCM/FM is no personality
      {Counts(-1, -1, 0, 0), 16, 16},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "row " << &c - cases);
    EXPECT_EQ(DeriveOperationalMode(c.Info, false), c.Standard);
    EXPECT_EQ(DeriveOperationalMode(c.Info, true), c.Variant);
  }
}

TEST(GetCombiningModeName, EveryModeRouteAndFlagCombination) {
  const std::array<std::string, 11> names{
      "FM-FM INDEPENDENT",    "PSK-PSK INDEPENDENT", "PSKFM INDEPENDENT",     "PM-PSK INDEPENDENT",
      "FM PRE-D COMBINER",    "PSK PRE-D COMBINER",  "FM POST-D COMBINER",    "PSK POST-D COMBINER",
      "MH-PSK PRE-D COMBINER", "MH-FM PRE-D COMBINER", "UNKNOWN"};
  const auto code = [&](int mode, int route, bool preD, bool postD) {
    const CombiningMode m = GetCombiningModeName(mode, route, preD, postD);
    EXPECT_EQ(m.Name, names[static_cast<std::size_t>(m.Code)]);
    return m.Code;
  };
  // Code per mode for route 0, route 1 with pre-D, route 1 with post-D only (no flag: 10).
  const std::array<std::array<int, 3>, 16> table{{{1, 5, 10}, {2, 4, 10}, {0, 10, 10}, {3, 10, 10},
                                                  {1, 5, 10}, {1, 5, 10}, {1, 10, 7}, {2, 10, 10},
                                                  {2, 10, 10}, {2, 10, 10}, {0, 4, 10}, {0, 4, 10},
                                                  {0, 10, 6}, {3, 10, 10}, {10, 8, 10}, {10, 9, 10}}};
  for (int mode = -1; mode <= 16; ++mode) {
    SCOPED_TRACE(testing::Message() << "mode " << mode);
    const std::array<int, 3> row = mode >= 0 && mode < 16 ? table[static_cast<std::size_t>(mode)]
                                                          : std::array<int, 3>{10, 10, 10};
    for (bool preD : {false, true}) {
      for (bool postD : {false, true}) EXPECT_EQ(code(mode, 0, preD, postD), row[0]);
    }
    EXPECT_EQ(code(mode, 1, true, false), row[1]);
    EXPECT_EQ(code(mode, 1, true, true), row[1]);  // pre-D holds over post-D
    EXPECT_EQ(code(mode, 2, false, true), row[2]);  // any non-zero route
    EXPECT_EQ(code(mode, 1, false, false), 10);
  }
}

FpgaModeSlotTable SlotsWith(std::initializer_list<int> usable) {
  FpgaModeSlotTable slots{};
  for (int mode : usable) slots[static_cast<std::size_t>(mode)].Usable = true;
  return slots;
}

// Every image, with the combiners the images hold: pre-D in 0, 1, 5, 8, 11, 14, 15 and post-D in
// 6, 9, 12.
FpgaModeSlotTable AllSlots() {
  FpgaModeSlotTable slots{};
  for (FpgaModeSlot& slot : slots) slot.Usable = true;
  for (int mode : {0, 1, 5, 8, 11, 14, 15}) slots[static_cast<std::size_t>(mode)].PreDCombining = true;
  for (int mode : {6, 9, 12}) slots[static_cast<std::size_t>(mode)].PostDCombining = true;
  return slots;
}

TEST(ModeFeatureTest, TheChosenPersonalityRunsTheOperationMode) {
  // The standard board's fixed personality and the variant board's first candidate. FM PRE-D
  // needs two FM receivers: the standard board has no image for it (its PSK+PCM/FM image holds a
  // pre-D combiner, but channel 1 would stay a PSK receiver in an FM mode).
  const std::array<std::array<int, 2>, 10> expected{
      {{2, 10}, {0, 4}, {1, 7}, {3, 13}, {kNoFpgaMode, 11}, {0, 5}, {12, 12}, {6, 6}, {14, 14}, {15, 15}}};
  for (int op = 0; op < kOperationModeCount; ++op) {
    for (bool variant : {false, true}) {
      SCOPED_TRACE(testing::Message() << "operation mode " << op << (variant ? " variant" : " standard"));
      OperationModeChoice choice;
      if (op == 4 && !variant) {
        EXPECT_FALSE(ModeFeatureTest(op, AllSlots(), variant, choice));
        EXPECT_EQ(choice.FpgaMode, kNoFpgaMode);
        continue;
      }
      ASSERT_TRUE(ModeFeatureTest(op, AllSlots(), variant, choice));
      EXPECT_EQ(choice.FpgaMode, expected[static_cast<std::size_t>(op)][variant ? 1 : 0]);
      EXPECT_EQ(choice.CombinerFlag, op >= 4 ? 1 : 0);
      EXPECT_EQ(choice.RouteMode, op >= 4 ? 1 : 0);
      const bool preD = op == 4 || op == 5 || op == 8 || op == 9;
      EXPECT_EQ(GetCombiningModeName(choice.FpgaMode, choice.RouteMode, preD, op == 6 || op == 7).Code, op);
      EXPECT_FALSE(ModeFeatureTest(op, FpgaModeSlotTable{}, variant, choice));
    }
  }
}

TEST(ModeFeatureTest, PartialTablesAndUnknownModes) {
  OperationModeChoice choice;
  // Variant board with only the plain dual PCM/FM image: it cannot combine, so FM pre-D is not
  // offered; the independent FM-FM mode runs on it.
  EXPECT_FALSE(ModeFeatureTest(4, SlotsWith({10}), true, choice));
  EXPECT_TRUE(ModeFeatureTest(0, SlotsWith({10}), true, choice));
  EXPECT_EQ(choice.FpgaMode, 10);
  // The standard board asks its fixed slot only.
  EXPECT_FALSE(ModeFeatureTest(1, SlotsWith({4, 5, 6}), false, choice));

  choice = OperationModeChoice{0, 3, 7};
  EXPECT_FALSE(ModeFeatureTest(10, AllSlots(), true, choice));
  EXPECT_FALSE(ModeFeatureTest(-1, AllSlots(), true, choice));
  EXPECT_TRUE(choice.FpgaMode == 7 && choice.RouteMode == 3);
}

// A combining mode runs only on an image that holds the combiner it needs; a mode that cannot
// run is never offered.
TEST(ModeFeatureTest, ACombiningModeNeedsItsCombinerInTheImage) {
  OperationModeChoice choice;
  // Standard board whose images hold no combiner: only the independent modes.
  const FpgaModeSlotTable bare = SlotsWith({0, 1, 2, 3});
  for (int op = 0; op < kOperationModeCount; ++op) {
    EXPECT_EQ(ModeFeatureTest(op, bare, false, choice), op < 4) << op;
  }
  // A post-D image does not serve a pre-D mode, nor the reverse.
  FpgaModeSlotTable swapped = SlotsWith({0, 1, 6, 12, 14});
  swapped[0].PostDCombining = true;
  swapped[1].PostDCombining = true;
  swapped[6].PreDCombining = true;
  swapped[12].PreDCombining = true;
  swapped[14].PostDCombining = true;
  for (int op = 4; op < kOperationModeCount; ++op) {
    EXPECT_FALSE(ModeFeatureTest(op, swapped, false, choice)) << op;
    EXPECT_FALSE(ModeFeatureTest(op, swapped, true, choice)) << op;
  }
  // Variant board: the pre-D image is taken, never the plain one beside it.
  FpgaModeSlotTable variant = SlotsWith({4, 5, 10, 11});
  variant[5].PreDCombining = true;
  variant[11].PreDCombining = true;
  ASSERT_TRUE(ModeFeatureTest(5, variant, true, choice));
  EXPECT_EQ(choice.FpgaMode, 5);
  ASSERT_TRUE(ModeFeatureTest(4, variant, true, choice));
  EXPECT_EQ(choice.FpgaMode, 11);
}

TEST(ModeSlots, FeaturesComeFromUsableSlotsOfAValidHeader) {
  FpgaImageHeader header{};
  EXPECT_EQ(SlotFromImageHeader(header), FpgaModeSlot{});  // no magic: not an image
  std::copy(std::begin(kFpgaImageMagic), std::end(kFpgaImageMagic), header.Magic);
  header.FormatVersion = kFpgaImageFormatVersion;
  header.HeaderSize = sizeof(FpgaImageHeader);
  header.FpgaMode = 11;
  header.PreDCombining = 1;
  EXPECT_EQ(SlotFromImageHeader(header), (FpgaModeSlot{true, true, false}));

  FpgaModeSlotTable slots{};
  slots[5] = {true, true, false};
  slots[8] = {false, true, true};  // not usable: its flags do not count
  EXPECT_TRUE(ModeHasFeatureA(slots, 5) && !ModeHasFeatureB(slots, 5));
  EXPECT_FALSE(ModeHasFeatureA(slots, 8) || ModeHasFeatureB(slots, -1));
}

TEST(SelectAvailableImage, FirstUsableByPreferenceOfTheBoard) {
  EXPECT_EQ(SelectAvailableImage(true, AllSlots()), 4);
  EXPECT_EQ(SelectAvailableImage(false, AllSlots()), 0);
  // Independent personalities come before combining ones.
  EXPECT_EQ(SelectAvailableImage(true, SlotsWith({5, 12, 10})), 10);
  // A standard board never falls back to a variant image, nor the reverse.
  EXPECT_EQ(SelectAvailableImage(false, SlotsWith({4, 5})), 16);
  EXPECT_EQ(SelectAvailableImage(true, SlotsWith({0, 1, 2, 3})), 16);
}

TEST(CardCapabilities, ReceiversAndDualTransmit) {
  // {psk, fm, pm, multi-h} -> receiver on channel 0, 1, 2
  const struct {
    kr20cardinfo Info;
    bool Ch0, Ch1, Ch2;
  } receivers[] = {
      {Counts(2, 0, 0, 0), true, true, false}, {Counts(1, 0, 0, 0), true, false, false},
      {Counts(1, 0, 1, 0), false, true, false},  // PM sits on channel 0
      {Counts(2, 1, 0, 1), false, true, false},  // multi-h: channel 1 only
  };
  for (const auto& r : receivers) {
    EXPECT_EQ(CardHasChannelReceiver(r.Info, 0), r.Ch0);
    EXPECT_EQ(CardHasChannelReceiver(r.Info, 1), r.Ch1);
    EXPECT_EQ(CardHasChannelReceiver(r.Info, 2), r.Ch2);
  }

  kr20cardinfo info = Counts(2, 0, 0, 0);
  info.NumTxBerts = 2;
  EXPECT_TRUE(CardHasDualTransmit(info, true));
  EXPECT_FALSE(CardHasDualTransmit(info, false));
}

}  // namespace
}  // namespace card
