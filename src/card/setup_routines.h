#pragma once
// Setup routines of the card layer, as plain value functions: the name lists the setup pages
// offer, PCM code and modulation numbers, PRN pattern splitting, the rate-derived suggestions
// for carrier loops and ranges, the signal-filter ratio <-> bandwidth conversion, the FFT span
// rule and the designation texts of a setup record. The card-indexed routines read the values
// from the card (setup record, family, options) and call these.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "card/records/card_setup_record.h"

namespace card {

inline constexpr const char* kUnknownCodeName = "UNKNOWN";
// Longest designation a card or stream takes (its field holds the NUL too).
inline constexpr std::size_t kDesignationMaxChars = kDesignationLen - 1;

// ---- Name lists (each clears the list first) ------------------------------------------------

// "NRZL", "NRZM", "NRZS", "BIOL", "BIOM", "BIOS", "RZ", "DBIOM", "DBIOS", "DMM", "DMS", "DMM2".
void FillInputCodeList(std::vector<std::string>& list);
// "NRZL", "NRZM", "NRZS", "BIOL", "BIOM", "BIOS".
void FillOutputCodeList(std::vector<std::string>& list);
// Every modulation name a receiver can be set to, in the order of ModulationNumber.
void FillModulationList(std::vector<std::string>& list);
// "IF_INPUT1", "IF_INPUT2", "DIVERSITY_COMBINER" (PSK and PCM/FM receivers take the same inputs).
void FillPskInputSourceList(std::vector<std::string>& list);
void FillFmInputSourceList(std::vector<std::string>& list);
// "IF_1", "IF_2".
void FillPmInputSourceList(std::vector<std::string>& list);
// The IF input a channel (0 or 1) receives on its own: "IF_INPUT1" / "IF_INPUT2" for a PSK or
// PCM/FM receiver, "IF_1" / "IF_2" for a PM one; empty for multi-h CPM (no input choice) or
// another channel.
std::string OwnInputSource(int channel, bool pm, bool multiHCpm);

// ---- Codes and modulations ----------------------------------------------------------------------

// Encoder codes 0 .. 5, decoder codes 0 .. 12 (config name tables); "UNKNOWN" otherwise.
std::string PcmEncoderCodeName(int index);
std::string PcmDecoderCodeName(int index);
// The decoder code number of a name (0 .. 12), -1 for a name not in the table.
int PcmCodeNumber(std::string_view name);
// Biphase codes (BIOL, BIOM, BIOS, DBIOM, DBIOS) put two symbols in every bit.
bool IsBiphaseCode(int codeNumber);
// The modulation number of a name (its place in FillModulationList), -1 for an unknown name.
int ModulationNumber(std::string_view name);

// A PCM code as the setup pages show it, split into the decoder code and the descrambler the
// receiver and encoder take: "RNRZ-15" is "NRZL" with "RAND15_NRZL"; any other name is itself
// with "NONE".
struct PrnCode {
  std::string Code;
  std::string Descrambler;
  bool operator==(const PrnCode&) const = default;
};
PrnCode NormalizePrnPattern(std::string_view name);
// The reverse: "RNRZ-15" when the descrambler is "RAND15_NRZL", otherwise the code.
std::string PrnNameToDisplay(std::string_view code, std::string_view descrambler);

// A user pattern whose bits are the low `lengthBits` bits of `pattern`, as the four bytes the
// BERTs take: left-justified (first bit in the top bit of byte 0), big-endian. A length outside
// 1 .. 32 is limited to it (0 or less gives four zero bytes).
std::string PackBitPattern(std::uint32_t pattern, int lengthBits);

// ---- Rate-derived suggestions -------------------------------------------------------------------

// The factor of a PCM/FM channel's carrier acquisition range per bit of its symbol rate.
inline constexpr double kCarrierAcqRangeRateFactor = 1.0;

struct CarrierAcqRange {
  double Lower = 1.0;
  double Upper = 10'000'000.0;
  double Suggested = 10'000'000.0;  // Hz
};
// Lower 1 Hz; upper 10 MHz (1 MHz on PM channels) and the suggestion equals it; on PCM/FM
// channels the suggestion is bit rate x (1 for "NRZL", else 2) x kCarrierAcqRangeRateFactor and
// the upper limit twice that.
CarrierAcqRange SuggestCarrierAcqRange(double bitRate, bool isPcmFm, bool isPm, std::string_view inputCode);

// bit rate x 0.002 with the channel's bit-rate-based flag set, else 10 kHz.
double SuggestFmCarrierAcqLoopBw(double bitRate, bool bitRateBased);
// bit rate x 0.001 with the flag set; else the measured carrier frequency spread (MHz) x 1e6, or
// 0.01 x the "IfCarCfSpanPct" option x bit rate when that is not positive.
double SuggestFmCarrierTrackLoopBw(double bitRate, bool bitRateBased, double measuredSpreadMhz, double ifCarCfSpanPct);
double SuggestPmCarrierAcqLoopBw(double dataRate);
double SuggestPmCarrierTrackLoopBw(double dataRate);

// ---- Signal filter bandwidth ---------------------------------------------------------------------

// What the bandwidth of a channel's signal follows (GetChannelRateInfo).
struct ChannelRateInfo {
  double BitRate = 0.0;       // bit/s
  std::string Modulation;     // receiver modulation name
  std::string PcmCode;        // PCM input code name
  bool Viterbi = false;       // rate-1/2 Viterbi decoding on
};

// Symbols per bit that the modulation, the Viterbi code and the PCM code put on the air: the
// product of the three factors (QPSK-like modulations carry two bits per symbol, the Viterbi
// code doubles the symbols, biphase codes double them again). Unknown names count 1.
double SignalRateFactor(const ChannelRateInfo& info);

// The signal bandwidth in kHz for a filter ratio: factors x bit rate x (ratio / 2.5) for PSK,
// (ratio / 0.5) for PCM/FM, x 0.001.
double SignalBwForRatioPsk(const ChannelRateInfo& info, double ratio);
double SignalBwForRatioPcmFm(const ChannelRateInfo& info, double ratio);
// The filter ratio for a bandwidth in Hz (the inverse of the above); 0 when the rate or the
// factors are not positive.
double SignalFilterRatioForBwPsk(const ChannelRateInfo& info, double bandwidthHz);
double SignalFilterRatioForBwPcmFm(const ChannelRateInfo& info, double bandwidthHz);
// The signal bandwidth in Hz of a channel for a ratio, by the channel's family.
double ChannelSignalBw(const ChannelRateInfo& info, bool isPcmFm, double ratio);

// ---- FFT span ----------------------------------------------------------------------------------------

inline constexpr double kFftSpanMinHz = 3'000'000.0;
inline constexpr double kFftSpanMaxHz = 60'000'000.0;
inline constexpr double kFftSpanPerBitRate = 2.85;
// 2.85 x the bit rate, limited to 3 .. 60 MHz and rounded to whole MHz.
double AutoFftSpanHz(double bitRate);

// ---- Designations ------------------------------------------------------------------------------------

// The texts of the record, up to the first NUL of their field.
std::string CardDesignationText(const CardSetupRecord& setup);
std::string StreamDesignationText(const CardSetupRecord& setup, int stream);
// Store a text cut to 17 characters, the rest of the field zero. A stream outside 0 .. 1 is
// ignored.
void SetCardDesignationText(CardSetupRecord& setup, std::string_view text);
void SetStreamDesignationText(CardSetupRecord& setup, int stream, std::string_view text);

// A text field of the setup record: cut to fit with its NUL, the rest zeroed. Char fields have
// alignment 1, so a reference to one inside the packed record is sound.
template <std::size_t N>
void SetSetupText(char (&field)[N], std::string_view text) {
  static_assert(N > 0);
  const std::size_t length = text.size() < N - 1 ? text.size() : N - 1;
  for (std::size_t i = 0; i < N; ++i) field[i] = i < length ? text[i] : '\0';
}

template <std::size_t N>
std::string SetupText(const char (&field)[N]) {
  std::size_t length = 0;
  while (length < N && field[length] != '\0') ++length;
  return std::string(field, length);
}

}  // namespace card
