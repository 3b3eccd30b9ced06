#pragma once
// FPGA personality changes of a card: which personality its setup asks for, reloading the card
// into another one, and telling the main window (message 60001) that the card changed.
#include <cstdint>
#include <string>

#include "card/kr20card.h"
#include "card/records/card_info_block.h"
#include "card/records/card_setup_record.h"
#include "card/records/fpga_info_records.h"

namespace card {

// Window message to the main window: wParam the card, lParam 1 when its mode or setup changed
// (0 when only the routing did). Sent, not posted, so the card's windows re-synchronise before the
// sender goes on.
inline constexpr std::uint32_t kWmCardReconfigured = 60001;

// The variant personality that runs the same families as a personality of the standard board
// (0 -> 4, 1 -> 7, 2 -> 10, 3 -> 13); a variant personality is returned as it is.
int VariantOfPersonality(int mode);

// The info block a card running `mode` (0 .. 15) reports: what DeriveOperationalMode maps back to
// the same personality. A simulated card has no library to read it from.
kr20cardinfo InfoBlockForPersonality(int mode);

// Sets the setup's FpgaMasterMode from its UserReceiverMode and combiner flags and returns it: the
// requested personality when the card's slot for it is usable; else, on the variant board, the
// personality of the requested families with the requested combiner (pre-D when the setup's pre-D
// flag is set, else post-D when its post-D flag is), then those families without a combiner, then
// the standard personality of the families; last the card's first available image
// (SelectAvailableImage). kNoFpgaMode (setup unchanged) without a card.
int ChooseFpgaMode(int card);

// True when the card must load a personality: the setup's FpgaMasterMode is a personality
// (0 .. 15) and the load state asks for a forced load, or the mode differs from the card's
// detected one, or a card that is not simulated holds no image in FPGA 0.
bool ResolvePersonalityForCard(int card, const FpgaLoadState& loadState, const CardSetupRecord& setup);

// On the variant board a standard personality (0 .. 3, or 16) becomes its variant (or the first
// available image when the variant has no image) and the load is forced. When the mode differs
// from the detected one or `force` is set: reloaded := true, ForceLoad := 1, Last := Current,
// Desired := mode, the FPGA configuration file is saved, a simulated card is reloaded by
// ReloadFpgaForPersonality and another by EnsureFpgasLoaded (messages 50001 around the load), and
// message 60001 (card, 1) is sent; the route is reconciled with the new image before the load
// (ReconcileRouteWithPersonality). Otherwise reloaded := false and nothing changes. False without
// a card, for a mode outside 0 .. 15 after the substitution, or when the load failed (logged).
bool ApplyPersonalityChange(int card, int mode, bool force, bool& reloaded);

// After a personality change the route must name an operation mode the new image runs: when the
// setup's RouteMode and combiner flags name none (an unknown mode, a mode this board does not
// offer, or a combining mode whose combiner the image lacks), they become the image's independent
// mode, or, for an image that only runs combined, its pre-D (then post-D) combining mode; the
// inputs follow the route (StoreRouteMode). True when the route was changed. Nothing is sent.
bool ReconcileRouteWithPersonality(int card);

// The reload of a simulated card: it takes the info block of `mode` (SetSimulatedCardInfo: the
// header's block of the card's image for it, else InfoBlockForPersonality) and the
// load state shows the mode loaded (Last := Current, Current := Desired := mode, ForceLoad := 0).
// False, nothing changed, for a card that is not simulated or a mode outside 0 .. 15.
bool ReloadFpgaForPersonality(kr20cardclass& cardObject, FpgaLoadState& loadState, int mode);

// Clears the setup's SakLoopbackMode; unless option RecallTestModOutputState is set, turns the test
// modulator's carrier, modulation and noise off on the card and clears their setup flags; stores
// `routeMode` (StoreRouteMode: inputs follow the route) and re-applies the routing to the card;
// then sends message 60001 (card, changed). Nothing without a card.
void SetOperationalModeNotify(int card, int routeMode, bool changed);

// When the channel's family must change for `modulation` ("PM" and "MH_CPM" need their own
// families; "PCM_FM" or `pcmFmWanted` PCM/FM; every other modulation PSK), picks a personality
// that gives the channel that family (keeping the other channel's family and the combiner kind
// where an image allows) and applies it with ApplyPersonalityChange (which sends
// 60001). When no available image fits it logs
//   "Modulation Mode <modulation> for card <n> channel <m> is not supported by any available FPGA personality"
// (n and m counted from 1) and returns false. True when nothing had to change or the change was
// applied.
bool ChangeModulationMode(int card, int channel, const std::string& modulation, bool pcmFmWanted);

}  // namespace card
