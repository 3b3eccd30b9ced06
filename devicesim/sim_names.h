#pragma once
// The names of every enumerated setting of the simulated cards. A setter accepts exactly the
// names of its list (case included); a list getter hands the list out as it stands here.
#include <array>
#include <span>
#include <string_view>

namespace quorxsim {

using NameList = std::span<const std::string_view>;

inline bool InList(NameList list, std::string_view name) {
  for (std::string_view entry : list) {
    if (entry == name) return true;
  }
  return false;
}

// ---- Receivers ------------------------------------------------------------------------------------
inline constexpr std::array<std::string_view, 2> kIfInputsOnly{"IF_INPUT1", "IF_INPUT2"};
inline constexpr std::array<std::string_view, 3> kIfInputsWithCombiner{"IF_INPUT1", "IF_INPUT2",
                                                                       "DIVERSITY_COMBINER"};
inline constexpr std::array<std::string_view, 2> kPmInputs{"IF_1", "IF_2"};
inline constexpr std::array<std::string_view, 9> kPskModulations{
    "BPSK", "QPSK", "SQPSK", "UQPSK", "UAQPSK", "AUQPSK", "SOQPSK", "SOQPSK_TG", "SOQPSK_MIL"};
inline constexpr std::array<std::string_view, 2> kAcquisitionModes{"UNAIDED", "FFT"};
// Bit-sync input (decoder) codes; "RNRZ-15" reaches the card as "NRZL" with the descrambler.
inline constexpr std::array<std::string_view, 12> kDecoderCodes{"NRZL", "NRZM", "NRZS", "BIOL", "BIOM",  "BIOS",
                                                                "RZ",   "DBIOM", "DBIOS", "DMM", "DMS", "DMM2"};
inline constexpr std::array<std::string_view, 6> kOutputCodes{"NRZL", "NRZM", "NRZS", "BIOL", "BIOM", "BIOS"};
inline constexpr std::array<std::string_view, 2> kDescramblers{"NONE", "RAND15_NRZL"};
inline constexpr std::array<std::string_view, 2> kClockPolarities{"RISING_EDGE", "FALLING_EDGE"};
inline constexpr std::array<std::string_view, 4> kRoutingLocations{"OFF", "POST_BITSYNC", "POST_VITERBI",
                                                                   "POST_PCM_CODING"};
inline constexpr std::array<std::string_view, 3> kViterbiRates{"RATE_ONE_HALF", "RATE_ONE_THIRD",
                                                               "RATE_THREE_FOURTHS"};
inline constexpr std::array<std::string_view, 2> kViterbiSymbolOrders{"G1G2_ORDER", "G2G1_ORDER"};

// ---- Displays and combiners ---------------------------------------------------------------------
inline constexpr std::array<std::string_view, 6> kFftWindows{"NONE", "HANNING", "HAMMING", "BARLETT", "BLACKMAN",
                                                             "KAISER"};
inline constexpr std::array<std::string_view, 2> kNoiseEstimateModes{"AUTOMATIC", "FIXED"};
inline constexpr std::array<std::string_view, 3> kDiversityOutputs{"COMBINING_OUTPUT", "CHANNEL_A_OUTPUT",
                                                                   "CHANNEL_B_OUTPUT"};

// ---- BERTs ------------------------------------------------------------------------------------------
inline constexpr std::array<std::string_view, 19> kRxPnPatterns{
    "allZeros", "allOnes", "alternatingOneZero", "pn3",  "pn4",  "pn5",  "pn6",  "pn7",  "pn9",        "pn10",
    "pn11",     "pn15",    "pn17",               "pn18", "pn20", "pn21", "pn22", "pn23", "userPattern"};
inline constexpr std::array<std::string_view, 7> kTxPnPatterns{"allZeros", "allOnes", "alternatingOneZero", "pn11",
                                                               "pn15",     "pn17",    "userPattern"};
inline constexpr std::array<std::string_view, 2> kTxPolarities{"normal", "invert"};

// ---- Test modulator ---------------------------------------------------------------------------------
inline constexpr std::array<std::string_view, 3> kModulatorModes{"SGLS", "USB", "DIR_PSK"};
inline constexpr std::array<std::string_view, 12> kModulationTypes{
    "PM", "PM_DIR", "FM", "BPSK", "QPSK", "AUQPSK", "SQPSK", "SOQPSK_MIL_STD", "SOQPSK_TG", "ARTM_II", "FSK", "PCM_FM"};
inline constexpr std::array<std::string_view, 3> kIqDataSources{"PCM_ENCODER1", "PCM_ENCODER2", "CMD_ENCODER"};
inline constexpr std::array<std::string_view, 2> kIqOutputRoutings{"I_AND_Q", "Q_EQUAL_I"};
inline constexpr std::array<std::string_view, 3> kSymbolRoutings{"NONE", "DEINTERLEAVE", "EXTERNAL_PROCESS"};
inline constexpr std::array<std::string_view, 2> kInputPreprocessings{"NONE", "DEINTERLEAVE"};
inline constexpr std::array<std::string_view, 8> kPcmEncoderSources{
    "INPUT_OFF", "TTL_INPUT_1", "TTL_INPUT_2", "422_INPUT_1", "422_INPUT_2", "TX_BERT", "N_C", "TERNARY_INPUT"};
inline constexpr std::array<std::string_view, 11> kPcmEncoderCodes{"NRZL", "NRZM", "NRZS", "BIOL",  "BIOM",  "BIOS",
                                                                   "DMM",  "DMS",  "DBIOM", "DBIOS", "RNRZ15"};
inline constexpr std::array<std::string_view, 2> kRandomizers{"NONE", "RAND15_NRZL"};
inline constexpr std::array<std::string_view, 2> kSglsDataSources{"PCM_ENCODER1", "PCM_ENCODER2"};
inline constexpr std::array<std::string_view, 2> kSglsModulations{"FSK", "BPSK"};
inline constexpr std::array<std::string_view, 6> kTestGenPatterns{"NONE",     "ALL_ZEROS", "ALL_ONES",
                                                                  "ALTERNATING", "PN11",    "PN15"};
// Receiver debug and baseband outputs.
inline constexpr std::array<std::string_view, 5> kPmDebugMuxSelects{"OFF", "I_FIR_DBG", "Q_FIR_DBG", "PHASE_ERROR",
                                                                    "LOOP_FILTER"};
inline constexpr std::array<std::string_view, 5> kBasebandOutputs{"OFF", "I_FIR_DBG", "Q_FIR_DBG", "STREAM1_DATA",
                                                                  "STREAM2_DATA"};
inline constexpr std::array<std::string_view, 3> kModIndexCompensationModes{"OFF", "AUTOMATIC", "MANUAL"};

// PSK modulations that one carrier loop setting demodulates: equal groups lock onto each other.
inline int PskGroup(std::string_view name) {
  if (name == "BPSK") return 1;
  if (name == "QPSK") return 2;
  if (name == "SQPSK" || name == "OQPSK") return 3;
  if (name == "UQPSK") return 4;
  if (name == "AUQPSK" || name == "UAQPSK") return 5;
  if (name == "SOQPSK" || name == "SOQPSK_TG" || name == "SOQPSK_MIL" || name == "SOQPSK_MIL_STD") return 6;
  return 0;
}

// Bits carried per channel symbol of a PSK modulation (unbalanced QPSK carries a stream per rail).
inline double BitsPerSymbol(std::string_view name) {
  const int group = PskGroup(name);
  return group == 2 || group == 3 || group == 6 ? 2.0 : 1.0;
}

// Code families a bit synchroniser can lock on with one setting.
inline int CodeClass(std::string_view code) {
  if (code == "NRZL" || code == "NRZM" || code == "NRZS") return 1;
  if (code == "BIOL" || code == "BIOM" || code == "BIOS" || code == "DBIOM" || code == "DBIOS") return 2;
  if (code == "DMM" || code == "DMS" || code == "DMM2") return 3;
  if (code == "RZ") return 4;
  return 0;
}

// Codes that carry the data in transitions: one channel error becomes two data errors.
inline bool IsDifferentialCode(std::string_view code) {
  return code == "NRZM" || code == "NRZS" || code == "BIOM" || code == "BIOS" || code == "DBIOM" ||
         code == "DBIOS" || code == "DMM" || code == "DMS" || code == "DMM2";
}

}  // namespace quorxsim
