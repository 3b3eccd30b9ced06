#pragma once
// Mode routines of the card layer, as plain value functions: which receiver family serves which
// channel in an FPGA personality (mode 0 .. 15), which personality a card's counts describe,
// which operation mode (combining-mode code 0 .. 9) a personality and routing amount to, and
// what a card's counts offer per channel. They take values, an info block or a card's table of
// mode slots; the card-indexed routines look the card up and call these.
//
// Personalities: 0 PSK+PSK, 1 PSK+PCM/FM, 2 PCM/FM+PCM/FM, 3 PM+PSK; on the chip-variant board
// 4 .. 6 PSK+PSK (plain, pre-D, post-D), 7 .. 9 PSK+PCM/FM (plain, pre-D, post-D), 10 .. 12
// PCM/FM+PCM/FM (plain, pre-D, post-D), 13 PM+PSK, 14 multi-h CPM+PSK, 15 multi-h CPM+PCM/FM.
#include <array>
#include <cstdint>
#include <string>

#include "card/fpga_image_header.h"
#include "card/records/card_info_block.h"
#include "card/records/card_setup_record.h"

namespace card {

// Operation modes (the codes of config::CombiningModeNames) a card can be asked to run.
inline constexpr int kOperationModeCount = 10;
// The combining-mode code of a personality and routing that names no operation mode.
inline constexpr int kUnknownCombiningMode = 10;
inline constexpr const char* kUnknownCombiningModeName = "UNKNOWN";

// ---- Personality families ------------------------------------------------------------------

constexpr bool IsPskPskMode(int mode) { return mode == 0 || mode == 4 || mode == 5 || mode == 6; }
constexpr bool IsPskPcmFmMode(int mode) { return mode == 1 || (mode >= 7 && mode <= 9); }
constexpr bool IsPcmFmPcmFmMode(int mode) { return mode == 2 || (mode >= 10 && mode <= 12); }
constexpr bool IsPmPskMode(int mode) { return mode == 3 || mode == 13; }
// Personalities built for the chip-variant board.
constexpr bool IsVariantPersonality(int mode) { return mode >= 4 && mode <= 15; }

// The receiver family of a channel (0 or 1) in a personality. PCM/FM: channel 0 in 2, 10, 11, 12
// and channel 1 in 1, 2, 7 .. 12; PM: channel 0 in 3 or 13; multi-h CPM: channel 0 in 14 or 15.
// Every other channel of a known personality is PSK.
bool IsPcmFmChannelInMode(int mode, int channel);
bool IsPmChannelInMode(int mode, int channel);
bool IsMultiHCpmChannelInMode(int mode, int channel);

// The personality (0 .. 15) that a card's counts describe, kNoFpgaMode (16) when none:
// multi-h CPM with PSK 14, multi-h CPM with PCM/FM 15, PM with PSK 3 (variant 13), two PSK 0
// (variant 5 with a pre-D combiner, 6 with a post-D one, else 4), two PCM/FM 2 (variant 11, 12,
// 10 likewise), one PSK and one PCM/FM 1 (variant 8, 9, 7 likewise).
int DeriveOperationalMode(const kr20cardinfo& info, bool chipVariant);

// ---- Operation modes -----------------------------------------------------------------------

struct CombiningMode {
  int Code = kUnknownCombiningMode;
  std::string Name = kUnknownCombiningModeName;
};

// The operation mode a personality runs in. Route Mode 0 (independent channels): 2, 10, 11, 12
// -> 0; 0, 4, 5, 6 -> 1; 1, 7, 8, 9 -> 2; 3, 13 -> 3. Otherwise with the pre-D flag: 1, 10, 11 -> 4;
// 0, 4, 5 -> 5; 14 -> 8; 15 -> 9. Otherwise with the post-D flag: 12 -> 6; 6 -> 7. Anything else
// is 10, "UNKNOWN". The name is config::CombiningModeNames[code].
CombiningMode GetCombiningModeName(int fpgaMode, int routeMode, bool preDFlag, bool postDFlag);
// The same from the route block of a setup or status record.
CombiningMode GetCombiningModeName(const RouteInfoRecord& route);

// ---- Mode slots of a card --------------------------------------------------------------------

// What the image scan found for one personality of a card.
struct FpgaModeSlot {
  bool Usable = false;          // an image for the personality exists and passed the scan
  bool PreDCombining = false;   // its header marks pre-detection combining
  bool PostDCombining = false;  // its header marks post-detection combining
  bool operator==(const FpgaModeSlot&) const = default;
};
using FpgaModeSlotTable = std::array<FpgaModeSlot, kFpgaImageModeCount>;

// The slot an image header describes (a valid header is usable).
FpgaModeSlot SlotFromImageHeader(const FpgaImageHeader& header);

bool IsModeSlotUsable(const FpgaModeSlotTable& slots, int mode);
// The mode's slot is usable and its image combines before (A) or after (B) detection.
bool ModeHasFeatureA(const FpgaModeSlotTable& slots, int mode);
bool ModeHasFeatureB(const FpgaModeSlotTable& slots, int mode);

// What serves an operation mode.
struct OperationModeChoice {
  std::uint8_t CombinerFlag = 0;  // 0 for the independent modes 0 .. 3, 1 for 4 .. 9
  std::int32_t RouteMode = 0;     // likewise
  std::int32_t FpgaMode = kNoFpgaMode;
};

// Picks the personality that serves operation mode `operationMode` (0 .. 9): a fixed one, or on
// the chip-variant board the first usable of its candidates. True when the card's slot of that
// personality is usable and, for a combining mode, its image holds the combiner the mode needs
// (pre-D for 4, 5, 8, 9, post-D for 6, 7): the function mask, the card windows' mode menu and the
// remote mode command all ask here, so a mode that cannot run is never offered. FM PRE-D COMBINER
// (4) needs two FM receivers and runs on the variant board only. `choice` is filled
// whenever the operation mode is known (with the first candidate when none serves) and left alone
// for an index outside 0 .. 9.
bool ModeFeatureTest(int operationMode, const FpgaModeSlotTable& slots, bool chipVariant, OperationModeChoice& choice);

// The personality a card falls back to when its wanted one cannot run: the first usable slot of
// the preference list of its board (independent personalities before combining ones, PSK+PSK
// first); kNoFpgaMode when no slot is usable.
int SelectAvailableImage(bool chipVariant, const FpgaModeSlotTable& slots);

// ---- Capabilities from a card's counts --------------------------------------------------------

// The card counts a receive BERT, an FFT channel for the channel.
bool CardHasBertForChannel(const kr20cardinfo& info, int channel);
bool CardHasFftForChannel(const kr20cardinfo& info, int channel);
// The card's receivers (PSK + PCM/FM + PM + multi-h CPM) exceed the channel number; never
// channel 0 on a card with a PM receiver; only channel 1 on a card with a multi-h CPM receiver.
bool CardHasChannelReceiver(const kr20cardinfo& info, int channel);
// Chip-variant board with at least two PSK receivers and two transmit BERTs.
bool CardHasDualTransmit(const kr20cardinfo& info, bool chipVariant);
// At least one IQ channel, the channel is PSK, and either channel 0 is PM or multi-h CPM and the
// channel is 1, or neither and the IQ count exceeds the channel number.
bool CardHasIqForChannel(const kr20cardinfo& info, int channel, bool channelIsPcmFm, bool channelIsPm,
                         bool channelIsMultiHCpm, bool channel0IsPmOrMultiHCpm);
// The same with the families taken from the card's running personality.
bool CardHasIqForChannel(const kr20cardinfo& info, int channel, int fpgaMode);
bool CardHasPreDCombiner(const kr20cardinfo& info);
bool CardHasPostDCombiner(const kr20cardinfo& info);

}  // namespace card
