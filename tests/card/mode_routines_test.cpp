// Mode routines: the personality tables are pinned as a whole, so a changed entry shows up.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "card/mode_routines.h"

namespace card {
namespace {

TEST(ModeFamilies, PersonalityFamiliesPartitionTheSixteenModes) {
  for (int mode = 0; mode < 16; ++mode) {
    const int families = int{IsPskPskMode(mode)} + int{IsPskPcmFmMode(mode)} + int{IsPcmFmPcmFmMode(mode)} +
                         int{IsPmPskMode(mode)};
    // 14 and 15 are the multi-h CPM personalities, outside the four classic families.
    EXPECT_EQ(families, mode >= 14 ? 0 : 1) << "mode " << mode;
    EXPECT_EQ(IsVariantPersonality(mode), mode >= 4) << "mode " << mode;
  }
  for (int mode : {-1, 16, 100}) {
    EXPECT_FALSE(IsPskPskMode(mode) || IsPskPcmFmMode(mode) || IsPcmFmPcmFmMode(mode) || IsPmPskMode(mode));
    EXPECT_FALSE(IsVariantPersonality(mode));
  }
}

TEST(ModeFamilies, ChannelFamilyOfEveryModeAndChannel) {
  // Per mode: family letter of channel 0 and channel 1 (P PSK, F PCM/FM, M PM, H multi-h CPM).
  const std::array<const char*, 16> expected{"PP", "PF", "FF", "MP", "PP", "PP", "PP", "PF",
                                             "PF", "PF", "FF", "FF", "FF", "MP", "HP", "HF"};
  for (int mode = 0; mode < 16; ++mode) {
    for (int channel = 0; channel < 2; ++channel) {
      const char family = expected[static_cast<std::size_t>(mode)][channel];
      EXPECT_EQ(IsPcmFmChannelInMode(mode, channel), family == 'F') << mode << "/" << channel;
      EXPECT_EQ(IsPmChannelInMode(mode, channel), family == 'M') << mode << "/" << channel;
      EXPECT_EQ(IsMultiHCpmChannelInMode(mode, channel), family == 'H') << mode << "/" << channel;
    }
  }
  for (const auto& [mode, channel] : {std::pair{-1, 0}, {-1, 1}, {16, 0}, {16, 1}, {2, 2}, {2, -1}}) {
    EXPECT_FALSE(IsPcmFmChannelInMode(mode, channel) || IsPmChannelInMode(mode, channel) ||
                 IsMultiHCpmChannelInMode(mode, channel))
        << mode << "/" << channel;
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

TEST(DeriveOperationalMode, EveryCountCombination) {
  struct Case {
    kr20cardinfo Info;
    int Standard;
    int Variant;
  };
  const Case cases[] = {
      {Counts(1, 0, 0, 1), 14, 14},       // multi-h CPM + PSK
      {Counts(0, 1, 0, 1), 15, 15},       // multi-h CPM + PCM/FM
      {Counts(1, 1, 0, 1), 14, 14},       // PSK wins over PCM/FM beside multi-h CPM
      {Counts(1, 0, 1, 0), 3, 13},        // PM + PSK
      {Counts(1, 0, 1, 0, 1, 1), 3, 13},  // combiners do not matter for PM
      {Counts(2, 0, 0, 0), 0, 4},
      {Counts(2, 0, 0, 0, 1, 0), 0, 5},
      {Counts(2, 0, 0, 0, 0, 1), 0, 6},
      {Counts(2, 0, 0, 0, 1, 1), 0, 5},   // pre-D is asked first
      {Counts(3, 0, 0, 0), 0, 4},
      {Counts(0, 2, 0, 0), 2, 10},
      {Counts(0, 2, 0, 0, 1, 0), 2, 11},
      {Counts(0, 2, 0, 0, 0, 1), 2, 12},
      {Counts(2, 2, 0, 0), 0, 4},         // two PSK is asked before two PCM/FM
      {Counts(1, 1, 0, 0), 1, 7},
      {Counts(1, 1, 0, 0, 1, 0), 1, 8},
      {Counts(1, 1, 0, 0, 0, 1), 1, 9},
      {Counts(0, 0, 0, 0), 16, 16},
      {Counts(1, 0, 0, 0), 16, 16},
      {Counts(0, 1, 0, 0), 16, 16},
      {Counts(0, 0, 1, 0), 16, 16},       // PM alone
      {Counts(0, 0, 0, 1), 16, 16},       // multi-h CPM alone
      {Counts(0, 1, 1, 0), 16, 16},       // PM + PCM/FM is no personality
      {Counts(-1, -1, 0, 0), 16, 16},
  };
  for (const Case& c : cases) {
    const kr20cardinfo info = c.Info;
    const std::int32_t psk = info.NumPskReceivers;
    const std::int32_t fm = info.NumFmReceivers;
    SCOPED_TRACE(testing::Message() << "psk " << psk << " fm " << fm);
    EXPECT_EQ(DeriveOperationalMode(info, false), c.Standard);
    EXPECT_EQ(DeriveOperationalMode(info, true), c.Variant);
  }
}

TEST(GetCombiningModeName, EveryModeRouteAndFlagCombination) {
  // Expected code per mode for: route 0, route 1 with pre-D, route 1 with post-D only, route 1
  // with no flag.
  struct Row {
    int Independent, PreD, PostD, None;
  };
  const std::array<Row, 16> table{{
      {1, 5, 10, 10},   // 0
      {2, 4, 10, 10},   // 1
      {0, 10, 10, 10},  // 2
      {3, 10, 10, 10},  // 3
      {1, 5, 10, 10},   // 4
      {1, 5, 10, 10},   // 5
      {1, 10, 7, 10},   // 6
      {2, 10, 10, 10},  // 7
      {2, 10, 10, 10},  // 8
      {2, 10, 10, 10},  // 9
      {0, 4, 10, 10},   // 10
      {0, 4, 10, 10},   // 11
      {0, 10, 6, 10},   // 12
      {3, 10, 10, 10},  // 13
      {10, 8, 10, 10},  // 14
      {10, 9, 10, 10},  // 15
  }};
  for (int mode = 0; mode < 16; ++mode) {
    SCOPED_TRACE(testing::Message() << "mode " << mode);
    const Row row = table[static_cast<std::size_t>(mode)];
    for (bool preD : {false, true}) {
      for (bool postD : {false, true}) {
        EXPECT_EQ(GetCombiningModeName(mode, 0, preD, postD).Code, row.Independent);
      }
    }
    EXPECT_EQ(GetCombiningModeName(mode, 1, true, false).Code, row.PreD);
    EXPECT_EQ(GetCombiningModeName(mode, 1, true, true).Code, row.PreD);  // pre-D holds over post-D
    EXPECT_EQ(GetCombiningModeName(mode, 1, false, true).Code, row.PostD);
    EXPECT_EQ(GetCombiningModeName(mode, 1, false, false).Code, row.None);
    EXPECT_EQ(GetCombiningModeName(mode, 2, false, true).Code, row.PostD);  // any non-zero route
  }
  for (int mode : {-1, 16}) {
    EXPECT_EQ(GetCombiningModeName(mode, 0, false, false).Code, 10);
    EXPECT_EQ(GetCombiningModeName(mode, 1, true, true).Code, 10);
  }
}

TEST(GetCombiningModeName, NamesFollowTheCode) {
  EXPECT_EQ(GetCombiningModeName(2, 0, false, false).Name, "FM-FM INDEPENDENT");
  EXPECT_EQ(GetCombiningModeName(0, 0, false, false).Name, "PSK-PSK INDEPENDENT");
  EXPECT_EQ(GetCombiningModeName(1, 0, false, false).Name, "PSKFM INDEPENDENT");
  EXPECT_EQ(GetCombiningModeName(13, 0, false, false).Name, "PM-PSK INDEPENDENT");
  EXPECT_EQ(GetCombiningModeName(11, 1, true, false).Name, "FM PRE-D COMBINER");
  EXPECT_EQ(GetCombiningModeName(5, 1, true, false).Name, "PSK PRE-D COMBINER");
  EXPECT_EQ(GetCombiningModeName(12, 1, false, true).Name, "FM POST-D COMBINER");
  EXPECT_EQ(GetCombiningModeName(6, 1, false, true).Name, "PSK POST-D COMBINER");
  EXPECT_EQ(GetCombiningModeName(14, 1, true, false).Name, "MH-PSK PRE-D COMBINER");
  EXPECT_EQ(GetCombiningModeName(15, 1, true, false).Name, "MH-FM PRE-D COMBINER");
  EXPECT_EQ(GetCombiningModeName(14, 0, false, false).Name, "UNKNOWN");
}

TEST(GetCombiningModeName, ReadsTheRouteBlock) {
  RouteInfoRecord route{};
  route.FpgaMasterMode = 12;
  route.RouteMode = 1;
  route.PostDCombinerMode = 1;
  EXPECT_EQ(GetCombiningModeName(route).Code, 6);
  route.PreDCombinerMode = 1;
  EXPECT_EQ(GetCombiningModeName(route).Code, 10);
  route.RouteMode = 0;
  EXPECT_EQ(GetCombiningModeName(route).Code, 0);
}

FpgaModeSlotTable SlotsWith(std::initializer_list<int> usable) {
  FpgaModeSlotTable slots{};
  for (int mode : usable) slots[static_cast<std::size_t>(mode)].Usable = true;
  return slots;
}

FpgaModeSlotTable AllSlots() {
  FpgaModeSlotTable slots{};
  for (FpgaModeSlot& slot : slots) slot.Usable = true;
  return slots;
}

TEST(ModeFeatureTest, FullTableServesEveryOperationMode) {
  struct Expected {
    int Standard, Variant;
  };
  // The standard board's fixed personality and the variant board's first candidate.
  const std::array<Expected, 10> expected{{{2, 10}, {0, 4}, {1, 7}, {3, 13}, {1, 11},
                                           {0, 5}, {12, 12}, {6, 6}, {14, 14}, {15, 15}}};
  const FpgaModeSlotTable slots = AllSlots();
  for (int op = 0; op < kOperationModeCount; ++op) {
    SCOPED_TRACE(testing::Message() << "operation mode " << op);
    for (bool variant : {false, true}) {
      OperationModeChoice choice;
      EXPECT_TRUE(ModeFeatureTest(op, slots, variant, choice));
      const auto& e = expected[static_cast<std::size_t>(op)];
      EXPECT_EQ(choice.FpgaMode, variant ? e.Variant : e.Standard);
      EXPECT_EQ(choice.CombinerFlag, op >= 4 ? 1 : 0);
      EXPECT_EQ(choice.RouteMode, op >= 4 ? 1 : 0);
    }
  }
}

TEST(ModeFeatureTest, ChosenPersonalityRunsTheOperationMode) {
  // Whatever ModeFeatureTest picks must read back as the same operation mode.
  const FpgaModeSlotTable slots = AllSlots();
  for (int op = 0; op < kOperationModeCount; ++op) {
    for (bool variant : {false, true}) {
      OperationModeChoice choice;
      ASSERT_TRUE(ModeFeatureTest(op, slots, variant, choice));
      const bool preD = op == 4 || op == 5 || op == 8 || op == 9;
      const bool postD = op == 6 || op == 7;
      EXPECT_EQ(GetCombiningModeName(choice.FpgaMode, choice.RouteMode, preD, postD).Code, op)
          << "operation mode " << op << (variant ? " variant" : " standard");
    }
  }
}

TEST(ModeFeatureTest, PartialTables) {
  OperationModeChoice choice;
  // Variant board with only the plain dual PCM/FM image: FM pre-D falls back to it.
  FpgaModeSlotTable slots = SlotsWith({10});
  EXPECT_TRUE(ModeFeatureTest(4, slots, true, choice));
  EXPECT_EQ(choice.FpgaMode, 10);
  EXPECT_TRUE(ModeFeatureTest(0, slots, true, choice));
  EXPECT_EQ(choice.FpgaMode, 10);
  // Post-D FM needs 12 itself.
  choice = {};
  EXPECT_FALSE(ModeFeatureTest(6, slots, true, choice));
  EXPECT_EQ(choice.FpgaMode, 12);
  EXPECT_EQ(choice.RouteMode, 1);

  // Independent PSK on the variant board takes the first present of 4 .. 6.
  slots = SlotsWith({6});
  EXPECT_TRUE(ModeFeatureTest(1, slots, true, choice));
  EXPECT_EQ(choice.FpgaMode, 6);
  slots = SlotsWith({5, 6});
  EXPECT_TRUE(ModeFeatureTest(1, slots, true, choice));
  EXPECT_EQ(choice.FpgaMode, 5);

  // The standard board asks its fixed slot only.
  slots = SlotsWith({4, 5, 6});
  EXPECT_FALSE(ModeFeatureTest(1, slots, false, choice));
  EXPECT_EQ(choice.FpgaMode, 0);
  slots = SlotsWith({0});
  EXPECT_TRUE(ModeFeatureTest(1, slots, false, choice));
  EXPECT_TRUE(ModeFeatureTest(5, slots, false, choice));
  EXPECT_FALSE(ModeFeatureTest(7, slots, false, choice));

  // An empty table serves nothing.
  for (int op = 0; op < kOperationModeCount; ++op) {
    EXPECT_FALSE(ModeFeatureTest(op, FpgaModeSlotTable{}, true, choice));
    EXPECT_FALSE(ModeFeatureTest(op, FpgaModeSlotTable{}, false, choice));
  }
}

TEST(ModeFeatureTest, UnknownOperationModeLeavesTheChoiceAlone) {
  OperationModeChoice choice;
  choice.FpgaMode = 7;
  choice.RouteMode = 3;
  for (int op : {-1, 10, 42}) {
    EXPECT_FALSE(ModeFeatureTest(op, AllSlots(), true, choice));
    EXPECT_EQ(choice.FpgaMode, 7);
    EXPECT_EQ(choice.RouteMode, 3);
  }
}

TEST(ModeFeatures, ComeFromUsableSlotsOnly) {
  FpgaModeSlotTable slots{};
  slots[5] = {true, true, false};
  slots[6] = {true, false, true};
  slots[8] = {false, true, true};  // not usable: its flags do not count
  EXPECT_TRUE(ModeHasFeatureA(slots, 5));
  EXPECT_FALSE(ModeHasFeatureB(slots, 5));
  EXPECT_FALSE(ModeHasFeatureA(slots, 6));
  EXPECT_TRUE(ModeHasFeatureB(slots, 6));
  EXPECT_FALSE(ModeHasFeatureA(slots, 8));
  EXPECT_FALSE(ModeHasFeatureB(slots, 8));
  EXPECT_FALSE(ModeHasFeatureA(slots, 16));
  EXPECT_FALSE(ModeHasFeatureB(slots, -1));
}

TEST(ModeFeatures, SlotFromImageHeader) {
  FpgaImageHeader header{};
  EXPECT_EQ(SlotFromImageHeader(header), FpgaModeSlot{});  // no magic: not an image
  std::copy(std::begin(kFpgaImageMagic), std::end(kFpgaImageMagic), header.Magic);
  header.FormatVersion = kFpgaImageFormatVersion;
  header.HeaderSize = sizeof(FpgaImageHeader);
  header.FpgaMode = 11;
  header.ChipVariant = 1;
  header.PreDCombining = 1;
  EXPECT_EQ(SlotFromImageHeader(header), (FpgaModeSlot{true, true, false}));
  header.PreDCombining = 0;
  header.PostDCombining = 1;
  EXPECT_EQ(SlotFromImageHeader(header), (FpgaModeSlot{true, false, true}));
}

TEST(SelectAvailableImage, FirstUsableByPreference) {
  EXPECT_EQ(SelectAvailableImage(true, AllSlots()), 4);
  EXPECT_EQ(SelectAvailableImage(false, AllSlots()), 0);
  // Independent personalities come before combining ones.
  EXPECT_EQ(SelectAvailableImage(true, SlotsWith({5, 12, 10})), 10);
  EXPECT_EQ(SelectAvailableImage(true, SlotsWith({15, 14, 9})), 9);
  EXPECT_EQ(SelectAvailableImage(true, SlotsWith({15})), 15);
  // A standard board never falls back to a variant image, nor the reverse.
  EXPECT_EQ(SelectAvailableImage(false, SlotsWith({4, 5, 2})), 2);
  EXPECT_EQ(SelectAvailableImage(false, SlotsWith({4, 5})), 16);
  EXPECT_EQ(SelectAvailableImage(true, SlotsWith({0, 1, 2, 3})), 16);
  EXPECT_EQ(SelectAvailableImage(true, FpgaModeSlotTable{}), 16);
}

TEST(CardCapabilities, BertFftAndCombinerCounts) {
  kr20cardinfo info{};
  info.NumBerts = 1;
  info.NumFftChannels = 2;
  EXPECT_TRUE(CardHasBertForChannel(info, 0));
  EXPECT_FALSE(CardHasBertForChannel(info, 1));
  EXPECT_FALSE(CardHasBertForChannel(info, -1));
  EXPECT_TRUE(CardHasFftForChannel(info, 1));
  EXPECT_FALSE(CardHasFftForChannel(info, 2));
  EXPECT_FALSE(CardHasPreDCombiner(info));
  EXPECT_FALSE(CardHasPostDCombiner(info));
  info.NumPreDCombiners = 1;
  EXPECT_TRUE(CardHasPreDCombiner(info));
  EXPECT_FALSE(CardHasPostDCombiner(info));
  info.NumPostDCombiners = 2;
  EXPECT_TRUE(CardHasPostDCombiner(info));
}

TEST(CardCapabilities, ChannelReceiver) {
  EXPECT_TRUE(CardHasChannelReceiver(Counts(2, 0, 0, 0), 0));
  EXPECT_TRUE(CardHasChannelReceiver(Counts(2, 0, 0, 0), 1));
  EXPECT_FALSE(CardHasChannelReceiver(Counts(2, 0, 0, 0), 2));
  EXPECT_TRUE(CardHasChannelReceiver(Counts(1, 0, 0, 0), 0));
  EXPECT_FALSE(CardHasChannelReceiver(Counts(1, 0, 0, 0), 1));
  EXPECT_TRUE(CardHasChannelReceiver(Counts(1, 1, 0, 0), 1));
  // PM sits on channel 0.
  EXPECT_FALSE(CardHasChannelReceiver(Counts(1, 0, 1, 0), 0));
  EXPECT_TRUE(CardHasChannelReceiver(Counts(1, 0, 1, 0), 1));
  // Multi-h CPM: only channel 1.
  EXPECT_FALSE(CardHasChannelReceiver(Counts(1, 0, 0, 1), 0));
  EXPECT_TRUE(CardHasChannelReceiver(Counts(1, 0, 0, 1), 1));
  EXPECT_FALSE(CardHasChannelReceiver(Counts(2, 1, 0, 1), 2));
  EXPECT_FALSE(CardHasChannelReceiver(Counts(0, 0, 0, 0), 0));
}

TEST(CardCapabilities, DualTransmit) {
  kr20cardinfo info = Counts(2, 0, 0, 0);
  info.NumTxBerts = 2;
  EXPECT_TRUE(CardHasDualTransmit(info, true));
  EXPECT_FALSE(CardHasDualTransmit(info, false));
  info.NumTxBerts = 1;
  EXPECT_FALSE(CardHasDualTransmit(info, true));
  info = Counts(1, 1, 0, 0);
  info.NumTxBerts = 2;
  EXPECT_FALSE(CardHasDualTransmit(info, true));
}

TEST(CardCapabilities, IqByFamilyOfTheRunningPersonality) {
  kr20cardinfo two = Counts(2, 0, 0, 0);
  two.NumIqChannels = 2;
  kr20cardinfo one = two;
  one.NumIqChannels = 1;
  // PSK+PSK: every channel the IQ count covers.
  EXPECT_TRUE(CardHasIqForChannel(two, 0, 0));
  EXPECT_TRUE(CardHasIqForChannel(two, 1, 0));
  EXPECT_TRUE(CardHasIqForChannel(one, 0, 0));
  EXPECT_FALSE(CardHasIqForChannel(one, 1, 0));
  // PCM/FM channels have none.
  EXPECT_TRUE(CardHasIqForChannel(two, 0, 1));
  EXPECT_FALSE(CardHasIqForChannel(two, 1, 1));
  EXPECT_FALSE(CardHasIqForChannel(two, 0, 2));
  EXPECT_FALSE(CardHasIqForChannel(two, 1, 12));
  // PM or multi-h CPM on channel 0: the PSK channel 1 has the IQ channel, even with one; the
  // PCM/FM channel 1 of mode 15 has none.
  for (int mode : {3, 13, 14, 15}) {
    EXPECT_FALSE(CardHasIqForChannel(one, 0, mode)) << mode;
    EXPECT_EQ(CardHasIqForChannel(one, 1, mode), mode != 15) << mode;
  }
  kr20cardinfo none = two;
  none.NumIqChannels = 0;
  EXPECT_FALSE(CardHasIqForChannel(none, 0, 0));
  EXPECT_FALSE(CardHasIqForChannel(none, 1, 3));
  // The flag form directly.
  EXPECT_TRUE(CardHasIqForChannel(one, 1, false, false, false, true));
  EXPECT_FALSE(CardHasIqForChannel(two, 0, false, false, false, true));
  EXPECT_FALSE(CardHasIqForChannel(two, 1, false, false, true, false));
}

}  // namespace
}  // namespace card
