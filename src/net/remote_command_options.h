#pragma once
// The name tables of the remote commands and the resolution of an option argument: a request
// names an option by its text, or, with an empty text, by its index in the command's table.
#include <array>
#include <span>
#include <string>
#include <string_view>

namespace net {

using OptionTable = std::span<const std::string_view>;

// The processor's own tables, indexed by the numeric argument.
inline constexpr std::array<std::string_view, 6> RemotePcmOutputCodeNames{
    "NRZL", "NRZM", "NRZS", "BIOL", "BIOM", "BIOS"};
inline constexpr std::array<std::string_view, 8> RemoteModulationFormatNames{
    "PCM_FM", "SOQPSK_TG", "SOQPSK_MIL", "BPSK", "QPSK", "OQPSK", "MULTIH_CPM", "AUQPSK"};

// The device library's option names, resolved with ResolveOptionArgument.
inline constexpr std::array<std::string_view, 4> OptRoutingLocations{
    "OFF", "POST_BITSYNC", "POST_VITERBI", "POST_PCM_CODING"};
inline constexpr std::array<std::string_view, 3> OptViterbiRates{
    "RATE_ONE_HALF", "RATE_ONE_THIRD", "RATE_THREE_FOURTHS"};
inline constexpr std::array<std::string_view, 2> OptViterbiSymbolOrders{"G1G2_ORDER", "G2G1_ORDER"};
inline constexpr std::array<std::string_view, 3> OptModulatorModes{"SGLS", "USB", "DIR_PSK"};
inline constexpr std::array<std::string_view, 12> OptModulationTypes{
    "PM",        "PM_DIR", "FM",          "BPSK",      "QPSK", "AUQPSK",
    "SQPSK",     "SOQPSK_MIL_STD", "SOQPSK_TG", "ARTM_II", "FSK",  "PCM_FM"};
inline constexpr std::array<std::string_view, 8> OptPcmEncoderDataSources{
    "INPUT_OFF", "TTL_INPUT_1", "TTL_INPUT_2", "422_INPUT_1",
    "422_INPUT_2", "TX_BERT", "N_C", "TERNARY_INPUT"};
inline constexpr std::array<std::string_view, 11> OptPcmEncoderCodes{
    "NRZL", "NRZM", "NRZS", "BIOL", "BIOM", "BIOS", "DMM", "DMS", "DBIOM", "DBIOS", "RNRZ15"};
inline constexpr std::array<std::string_view, 19> OptPrnPatterns{
    "allZeros", "allOnes", "alternatingOneZero", "pn3",  "pn4",  "pn5",  "pn6",
    "pn7",      "pn9",     "pn10",               "pn11", "pn15", "pn17", "pn18",
    "pn20",     "pn21",    "pn22",               "pn23", "userPattern"};
inline constexpr std::array<std::string_view, 3> OptIqDataSources{"PCM_ENCODER1", "PCM_ENCODER2", "CMD_ENCODER"};
inline constexpr std::array<std::string_view, 2> OptIqOutputRoutings{"I_AND_Q", "Q_EQUAL_I"};
inline constexpr std::array<std::string_view, 3> OptSymbolRoutings{"NONE", "DEINTERLEAVE", "EXTERNAL_PROCESS"};
inline constexpr std::array<std::string_view, 2> OptInputPreprocesses{"NONE", "DEINTERLEAVE"};

inline constexpr std::string_view kInvalidOptionText = "Invalid String Command..(check case + spelling)";

// A non-empty text must equal an entry exactly, case included, and is left as it is. An empty
// text takes the entry whose index is the value taken down to a whole number; NaN and an index
// outside the table are refused. On refusal the error text is set and the text is untouched.
bool ResolveOptionArgument(std::string& text, double value, OptionTable table, std::string& errorText);

}  // namespace net
