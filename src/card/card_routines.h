#pragma once
// Card-indexed routines of the card layer: each looks the card up in `gRtl20Mgr` and answers from
// the card object (its info block, setup record and load state) through the value routines of
// mode_routines.h and setup_routines.h. A card index that is not below the card count, or a card
// without an object, is answered as documented per routine (mostly false / nothing done).
//
// The receiver family of a channel comes from the card's detected personality (CardFpgaMode):
// the personality its info block describes (DeriveOperationalMode) — that is what the loaded
// image reports — and the load state's current mode when the block describes none.
#include <cstdint>
#include <string>
#include <string_view>

#include "card/kr20card.h"
#include "card/records/card_setup_record.h"
#include "card/records/dncvt_channel_record.h"
#include "card/setup_routines.h"

namespace card {

// The receiver input that takes the diversity combiner's output; a channel fed from it gets no
// input-source call of its own from its setter, only from the routing (ApplyGroupSetupToCards).
inline constexpr const char* kDiversityCombinerSource = "DIVERSITY_COMBINER";
// The post-D combiner output that carries the combined data.
inline constexpr const char* kCombiningOutputName = "COMBINING_OUTPUT";
// Text of a missing card's designations.
inline constexpr const char* kNotUsedDesignation = "NOT USED";
// FPGA-0 register that reads kCombinedOutputOnCh2Pattern while the combined output of a dual
// PCM/FM post-D card is put out on channel 2.
inline constexpr std::uint32_t kCombinedOutputOnCh2Register = 1284;
inline constexpr std::uint32_t kCombinedOutputOnCh2Pattern = 0xAAAAAAAAu;

// The card object of a valid index, nullptr otherwise (no manager, index out of range, none).
kr20cardclass* CardObject(int card);

// The card's detected personality (0 .. 15), kNoFpgaMode without a card or when none is known.
int CardFpgaMode(int card);

// ---- Capabilities from the card's info block ---------------------------------------------------

bool CardHasBertForChannel(int card, int channel);
bool CardHasFftForChannel(int card, int channel);
bool CardHasChannelReceiver(int card, int channel);
bool CardHasDualTransmit(int card);
bool CardHasIqForChannel(int card, int channel);
bool CardHasPreDCombiner(int card);
bool CardHasPostDCombiner(int card);

// ---- Receiver family of a channel in the card's detected personality ---------------------------

bool IsPcmFmChannel(int card, int channel);
bool IsPmChannel(int card, int channel);
bool IsMultiHCpmChannel(int card, int channel);

// Whether the modulation is offered on the channel in the card's current personality: a PCM/FM,
// PM or multi-h CPM channel offers only "PCM_FM", "PM" or "MH_CPM"; a PSK channel offers what its
// receiver lists as supported, or, while the card cannot be asked, every PSK modulation.
bool IsModulationSupported(int card, int channel, std::string_view modulation);

// ---- Routing and combining ----------------------------------------------------------------------

// The setup's RouteMode; 1 when the index is not below the card count (or the card has no object).
int GetCardRouteMode(int card);
// A post-D combiner and RouteMode 1.
bool IsCombinerUsable(int card);
// RouteMode not 0 and either the combiner is usable or the setup's wanted and running
// personalities put the same family on both channels; never while the combined output is put out
// on channel 2 (the channels then show separate data).
bool IsCardCombining(int card);
// RouteMode not 0 and the selected combiner (pre-D when the setup's pre-D flag is set, else post-D
// when its post-D flag is set) is neither off nor in polarization mode.
bool IsFreqDiversityCombining(int card);
// Personality 12, RouteMode not 0, option FmFmPostDOut2 set and FPGA-0 register 1284 reading
// 0xAAAAAAAA. A ready card whose register reads another value clears the option; a card that is
// not ready (or whose register cannot be read) leaves the option alone.
bool IsCombinedOutputOnCh2(int card);
// The same test, then the option read again (the test may have cleared it).
bool IsCombinedOutputOnCh2Active(int card);
// The card runs personality 11, 12, respectively 5, with a non-zero RouteMode.
bool IsDualPcmFmVariant1Routed(int card);
bool IsDualPcmFmVariant2Routed(int card);
// The PSK post-detection personality (6), routed: its combiner is the post-D one as well.
bool IsDualPskVariant2Routed(int card);
bool IsDualPskVariant1Routed(int card);

// The route feeds receivers from the pre-D combiner: RouteMode not 0 and the pre-D flag set.
bool RoutesThroughPreDCombiner(const RouteInfoRecord& route);

// Re-applies the card's channel routing for `routeMode` before a setter sends its value: Route
// Mode 0 sends each receiving channel's input source to its receiver (a channel whose stored
// source is the diversity combiner is sent its own input: independent channels are never fed from
// the combiner; nothing for multi-h CPM); another Route Mode, on a card with a post-D combiner
// that does not combine, selects the combining output, and on a card combining before detection
// (a pre-D combiner, the setup's pre-D flag set) connects each channel whose stored source is the
// diversity combiner to it, so that choosing it takes effect at once. Nothing without a card or
// setup.
void ApplyGroupSetupToCards(int routeMode, int card, const CardSetupRecord* setup);

// Stores each channel's own input (OwnInputSource of its family) in the setup: for every channel
// when `everySource` is set, else only for a channel whose stored source is the diversity
// combiner. Multi-h CPM channels and channels without a stored source are left alone. Nothing is
// sent to the card.
void GiveChannelsOwnInputs(int card, bool everySource);

// Stores `routeMode` in the setup. Leaving a combining route for Route Mode 0 gives every channel
// its own input back; a route that does not combine before detection keeps no channel on the
// diversity combiner. Nothing is sent to the card. Nothing without a card.
void StoreRouteMode(int card, int routeMode);

// ---- Designations ------------------------------------------------------------------------------

std::string CardDesignationName(int card);
void SetCardDesignation(int card, std::string_view text);
// Stream 0 or 1; "NOT USED" / nothing done for a missing card or another stream.
std::string StreamDesignationName(int card, int stream);
void SetStreamDesignation(int card, int stream, std::string_view text);

// ---- Channel context -------------------------------------------------------------------------------

// Bit rate, modulation, PCM input code and Viterbi flag of the channel from the setup record;
// false (info left default) without a card or for a channel outside 0 .. 1.
bool GetChannelRateInfo(int card, int channel, ChannelRateInfo& info);

// Cards in use: the card run-time manager's count, 0 .. 6; 0 without the manager.
int SystemCardCount();

// The card object from the manager's table (nullptr when missing). With an object: its setup
// record, the channel's down-converter index (-1 when none) and record (nullptr when none) and the
// channel's family flags. Without one: setup nullptr and index -1, the other outputs untouched.
// True when the card object exists.
bool GetGroupChannelContext(int card, int channel, int& dcIndex, bool& isMultiHCpm, bool& isPm, bool& isPcmFm,
                            DnCvtChannelRecord*& dcRecord, CardSetupRecord*& setup, kr20cardclass*& cardObject);

// The same as one value; `Valid` when the card object and its setup record exist.
struct GroupChannelContext {
  bool Valid = false;
  int DcIndex = -1;
  bool MultiHCpm = false;
  bool Pm = false;
  bool PcmFm = false;
  DnCvtChannelRecord* DcRecord = nullptr;
  CardSetupRecord* Setup = nullptr;
  kr20cardclass* Object = nullptr;
};
GroupChannelContext GroupChannelContextOf(int card, int channel);

// The receiver name of a channel of a single-receiver family ("PCM_FM", "PM", "MH_CPM"); empty for
// a PSK channel, whose name is its modulation.
std::string FamilyReceiverName(const GroupChannelContext& context);

// ---- FFT span --------------------------------------------------------------------------------------------

// Span := AutoFftSpanHz(bit rate of the channel), stored in MHz in the channel's FFT block and
// sent with Fft_SetFrequencySpanInHz. The span in Hz; 0 (nothing done) without a card or for a
// channel outside 0 .. 1.
double AutoSetFftSpanForChannel(int card, int channel);

// ---- Suggestions from the channel's setup --------------------------------------------------------

// The range for the channel's bit rate, input code and family; the default range without a card.
CarrierAcqRange SuggestCarrierAcqRange(int card, int channel);
// The channel's bit-rate-based flag is the setup's XmitterIsDigital (a digital transmitter's
// carrier loops scale with its bit rate); 10 kHz without a card.
double SuggestFmCarrierAcqLoopBw(int card, int channel);
// `measuredSpreadMhz` is the channel's measured carrier frequency spread, which the status
// records above this layer hold; bit rate x 0.001 without a card.
double SuggestFmCarrierTrackLoopBw(int card, int channel, double bitRate, double measuredSpreadMhz = 0.0);

// ---- Prompt --------------------------------------------------------------------------------------------

// Asks "Enter the Tuning Frequency in MHz" with the converter's used bands listed as
// "<start> -- <stop>" (2 decimals), limited from the lowest band start to the highest band stop.
// An answer that is no number shows "Invalid Number, freq won't change" titled "INVALID NUMBER"
// and keeps `currentMhz` (a cancelled box keeps it too, as every prompt does). A converter index
// without a record or without a used band returns `currentMhz` without asking.
double PromptTuningFrequency(int dcIndex, double currentMhz);

}  // namespace card
