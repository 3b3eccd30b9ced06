// The test-modulator and BERT commands (500 to 546). The test modulator and the transmit BERTs
// belong to the card, not to a channel: their set commands call the card object, as the test
// modulator window does, and write the value into the card's setup record themselves (transmit
// BERT 0 whatever the request's channel). The two receive-BERT commands go through the set
// manager. The read-backs answer from the setup record, so a value a window or a recalled setup
// file put there reads back as well as one set here.
//
// Two names are stored in another spelling than the option tables give, and the set commands take
// them back as the read-backs return them, by text (an index never selects them):
//   505 "SGLS" runs "SGLS" on the card and stores "SUBCAR"; 505 "SUBCAR" does the same.
//   508/510 "RNRZ-15" (the test modulator window's name) runs "NRZL" with the randomiser
//   "RAND15_NRZL" and stores "RNRZ-15"; the table's "RNRZ15" runs and stores "RNRZ15" itself.
// Example exchange:
//   request group 0, channel 0, command 505, value 0, option text "SGLS"  -> success 1
//   request group 0, channel 0, command 529                               -> success 1, text
//                                                                            count 1, "SUBCAR"
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "card/kr20card.h"
#include "card/records/card_setup_record.h"
#include "card/setup_routines.h"
#include "config/globals.h"
#include "net/remote_command_table.h"
#include "settings/set_manager.h"

namespace net {
namespace {

using Ctx = RemoteCommandContext;
using Arg = RemoteArgument;

constexpr int kTxBert = 0;  // the transmit BERT the set commands address

// The modulator mode "SGLS" is stored as "SUBCAR", the name the operator sees.
constexpr std::string_view kSglsMode = "SGLS";
constexpr std::string_view kSglsStoredMode = "SUBCAR";
constexpr std::array<std::string_view, 1> kModulatorModeSpellings{kSglsStoredMode};
// The test-modulator window stores the randomised NRZ-L code as "RNRZ-15".
constexpr std::array<std::string_view, 1> kPcmEncoderCodeSpellings{"RNRZ-15"};

// The PN patterns the BERTs run; the other names of the option table are refused.
constexpr std::array<std::string_view, 6> kSupportedBertPatterns{"allZeros", "allOnes", "alternatingOneZero",
                                                                 "pn11",     "pn15",    "pn17"};

constexpr std::string_view kInvert = "invert";
constexpr std::string_view kNormal = "normal";

std::size_t Ch(const Ctx& c) { return static_cast<std::size_t>(c.Channel); }
card::ModulatorRecord& Mod(const Ctx& c) { return c.Setup->Modulator; }

bool Refuse(Ctx& c, std::string_view text) {
  c.ErrorText = text;
  return false;
}

bool IsSupportedBertPattern(std::string_view name) {
  return std::find(kSupportedBertPatterns.begin(), kSupportedBertPatterns.end(), name) != kSupportedBertPatterns.end();
}

void ReplyValue(RemoteReplyBytes reply, double value) {
  const std::array<double, 1> values{value};
  PutReplyValues(reply, values);
}

template <std::size_t N>
void ReplyText(RemoteReplyBytes reply, const char (&field)[N]) {
  PutReplyText(reply, card::SetupText(field));
}

// ---- Carrier, modulation and noise -----------------------------------------------------------------

bool SetCarrierEnable(Ctx& c, const Arg& a, RemoteReplyBytes) {
  c.Card->SetMod_SetIfCarrierOn(a.Flag);
  Mod(c).CarrierEnabled = a.Flag ? 1 : 0;
  // A carrier switched off leaves no sweep running; the carrier goes back to its set frequency.
  if (!a.Flag) c.Card->ResetModulatorSweep();
  return true;
}

bool SetModulationEnable(Ctx& c, const Arg& a, RemoteReplyBytes) {
  c.Card->SetMod_SetIfModulationOn(a.Flag);
  Mod(c).ModulationEnabled = a.Flag ? 1 : 0;
  return true;
}

bool SetNoiseEnable(Ctx& c, const Arg& a, RemoteReplyBytes) {
  c.Card->SetMod_SetEnableNoiseGeneration(a.Flag);
  Mod(c).NoiseEnabled = a.Flag ? 1 : 0;
  return true;
}

bool SetCarrierAmplitude(Ctx& c, const Arg& a, RemoteReplyBytes) {
  // Whole dBm, taken down: -0.5 is -1. NaN takes down below every level.
  const std::int32_t level = a.Index;
  if (level < -80 || level > 0) return Refuse(c, "Value not in valid range of 0 to -80");
  c.Card->SetMod_SetIfCarrierLevel(static_cast<double>(level));
  Mod(c).CarrierAmplitudeDbm = static_cast<double>(level);
  return true;
}

bool SetNoiseLevel(Ctx& c, const Arg& a, RemoteReplyBytes) {
  if (!(a.Value >= 0.0 && a.Value <= 110.0)) return Refuse(c, "Value not in valid range of 0 to 110");
  c.Card->SetMod_SetCarrierToNoiseLevel(a.Value);
  Mod(c).CarrerToNoiseDbm = a.Value;
  return true;
}

// ---- Modulator mode and type, PCM encoders ----------------------------------------------------------

bool SetModulationMode(Ctx& c, const Arg& a, RemoteReplyBytes) {
  if (a.Name == "USB") return Refuse(c, "Unsupported Modulation Mode");
  const std::string_view mode = a.Name == kSglsStoredMode ? kSglsMode : std::string_view(a.Name);
  c.Card->SetMod_SetModulatorMode(std::string(mode));
  card::SetSetupText(Mod(c).ModulationMode, mode == kSglsMode ? kSglsStoredMode : mode);
  return true;
}

bool SetModulationType(Ctx& c, const Arg& a, RemoteReplyBytes) {
  if (a.Name == "FM" || a.Name == "FSK") return Refuse(c, "Unsupported Modulation Type");
  c.Card->SetMod_SetModulationType(a.Name);
  card::SetSetupText(Mod(c).ModulationType, a.Name);
  return true;
}

bool RefusedEncoderSource(Ctx& c, const Arg& a) {
  if (a.Name != "N_C") return false;
  Refuse(c, "Unsupported PCM Encoder Data Source");
  return true;
}

bool SetPcmEnc1DataSource(Ctx& c, const Arg& a, RemoteReplyBytes) {
  if (RefusedEncoderSource(c, a)) return false;
  c.Card->SetMod_SetPcmCh1DataSource(a.Name);
  card::SetSetupText(Mod(c).PcmEncoder[0].DataSource, a.Name);
  return true;
}

bool SetPcmEnc2DataSource(Ctx& c, const Arg& a, RemoteReplyBytes) {
  if (RefusedEncoderSource(c, a)) return false;
  c.Card->SetMod_SetPcmCh2DataSource(a.Name);
  card::SetSetupText(Mod(c).PcmEncoder[1].DataSource, a.Name);
  return true;
}

// "RNRZ-15" goes to the encoder as NRZ-L with the randomiser; any other code as itself without.
bool SetPcmEnc1OutputCode(Ctx& c, const Arg& a, RemoteReplyBytes) {
  const card::PrnCode prn = card::NormalizePrnPattern(a.Name);
  c.Card->SetMod_SetPcmCh1PcmEncoding(prn.Code);
  c.Card->SetMod_SetPcm1Randomizer(prn.Descrambler);
  card::SetSetupText(Mod(c).PcmEncoder[0].OutputCode, a.Name);
  return true;
}

bool SetPcmEnc2OutputCode(Ctx& c, const Arg& a, RemoteReplyBytes) {
  const card::PrnCode prn = card::NormalizePrnPattern(a.Name);
  c.Card->SetMod_SetPcmCh2PcmEncoding(prn.Code);
  c.Card->SetMod_SetPcm2Randomizer(prn.Descrambler);
  card::SetSetupText(Mod(c).PcmEncoder[1].OutputCode, a.Name);
  return true;
}

// ---- Receive BERT of the channel (set manager) -------------------------------------------------------

bool ResetBertStats(Ctx& c, const Arg&, RemoteReplyBytes) {
  gKr20SetMgr->ResetBertStats(c.Group, c.Channel);
  return true;
}

bool SetRxBertPattern(Ctx& c, const Arg& a, RemoteReplyBytes) {
  if (!IsSupportedBertPattern(a.Name)) return Refuse(c, "Unsupported BERT PRN Pattern");
  gKr20SetMgr->SetBertPnPattern(c.Group, c.Channel, a.Name);
  return true;
}

// ---- Transmit BERT 0 --------------------------------------------------------------------------------

bool SetTxBertRate(Ctx& c, const Arg& a, RemoteReplyBytes) {
  if (!(a.Value >= 10.0 && a.Value <= 10000000.0)) return Refuse(c, "Invalid Tx Bert Bit Rate");
  c.Card->TxBert_SetBitRate(kTxBert, a.Value);
  c.Setup->TxBert[kTxBert].BitRate = a.Value;
  return true;
}

bool SetTxBertPattern(Ctx& c, const Arg& a, RemoteReplyBytes) {
  if (!IsSupportedBertPattern(a.Name)) return Refuse(c, "Unsupported BERT PRN Pattern");
  c.Card->TxBert_SetPnPattern(kTxBert, a.Name);
  card::SetSetupText(c.Setup->TxBert[kTxBert].PrnPattern, a.Name);
  return true;
}

std::string_view PolarityOf(double value) { return value > 0.0 ? kInvert : kNormal; }

bool SetTxBertClockPolarity(Ctx& c, const Arg& a, RemoteReplyBytes) {
  const std::string_view polarity = PolarityOf(a.Value);
  c.Card->TxBert_SetClockPolarity(kTxBert, std::string(polarity));
  card::SetSetupText(c.Setup->TxBert[kTxBert].ClockPolarity, polarity);
  return true;
}

bool SetTxBertDataPolarity(Ctx& c, const Arg& a, RemoteReplyBytes) {
  const std::string_view polarity = PolarityOf(a.Value);
  c.Card->TxBert_SetDataPolarity(kTxBert, std::string(polarity));
  card::SetSetupText(c.Setup->TxBert[kTxBert].DataPolarity, polarity);
  return true;
}

bool SetTxBertErrorRate(Ctx& c, const Arg& a, RemoteReplyBytes) {
  if (!(a.Value >= 0.0 && a.Value <= 1.0)) return Refuse(c, "Invalid Tx Bert Bit Error Rate");
  c.Card->TxBert_SetBitErrorRate(kTxBert, a.Value);
  c.Setup->TxBert[kTxBert].BitErrorRate = a.Value;
  return true;
}

// ---- Modulation index, I/Q sources and routings -----------------------------------------------------

bool SetPskPmModIndex(Ctx& c, const Arg& a, RemoteReplyBytes) {
  if (!(a.Value >= 0.0 && a.Value <= 3.14159)) return Refuse(c, "Invalid Test Mod Psk/Pm Mod Index Value");
  c.Card->SetMod_SetDirPcmModIndex(a.Value);
  Mod(c).DirPskPmModIndex = a.Value;
  return true;
}

bool RefusedIqSource(Ctx& c, const Arg& a) {
  if (a.Name != "CMD_ENCODER") return false;
  Refuse(c, "Unsupported MOD IQ SOURCE");
  return true;
}

bool SetIDataSource(Ctx& c, const Arg& a, RemoteReplyBytes) {
  if (RefusedIqSource(c, a)) return false;
  c.Card->SetMod_SetIDataSource(a.Name);
  card::SetSetupText(Mod(c).IDataSource, a.Name);
  return true;
}

bool SetQDataSource(Ctx& c, const Arg& a, RemoteReplyBytes) {
  if (RefusedIqSource(c, a)) return false;
  c.Card->SetMod_SetQDataSource(a.Name);
  card::SetSetupText(Mod(c).QDataSource, a.Name);
  return true;
}

bool SetIqRouting(Ctx& c, const Arg& a, RemoteReplyBytes) {
  c.Card->SetMod_SetIQOutputRouting(a.Name);
  card::SetSetupText(Mod(c).IQRouting, a.Name);
  return true;
}

bool SetSymbolRouting(Ctx& c, const Arg& a, RemoteReplyBytes) {
  c.Card->SetMod_SetSymbolRouting(a.Name);
  card::SetSetupText(Mod(c).SymbolRouting, a.Name);
  return true;
}

bool SetInputPreprocessing(Ctx& c, const Arg& a, RemoteReplyBytes) {
  c.Card->SetMod_SetInputPreprocess(a.Name);
  card::SetSetupText(Mod(c).InputPreprocess, a.Name);
  return true;
}

// ---- Read-backs from the setup record ---------------------------------------------------------------

double FlagValue(std::uint8_t flag) { return flag != 0 ? 1.0 : 0.0; }

bool GetCarrierEnable(Ctx& c, const Arg&, RemoteReplyBytes reply) {
  ReplyValue(reply, FlagValue(Mod(c).CarrierEnabled));
  return true;
}
bool GetModulationEnable(Ctx& c, const Arg&, RemoteReplyBytes reply) {
  ReplyValue(reply, FlagValue(Mod(c).ModulationEnabled));
  return true;
}
bool GetNoiseEnable(Ctx& c, const Arg&, RemoteReplyBytes reply) {
  ReplyValue(reply, FlagValue(Mod(c).NoiseEnabled));
  return true;
}
bool GetCarrierAmplitude(Ctx& c, const Arg&, RemoteReplyBytes reply) {
  ReplyValue(reply, Mod(c).CarrierAmplitudeDbm);
  return true;
}
bool GetNoiseLevel(Ctx& c, const Arg&, RemoteReplyBytes reply) {
  ReplyValue(reply, Mod(c).CarrerToNoiseDbm);
  return true;
}
bool GetModulationMode(Ctx& c, const Arg&, RemoteReplyBytes reply) {
  ReplyText(reply, Mod(c).ModulationMode);
  return true;
}
bool GetModulationType(Ctx& c, const Arg&, RemoteReplyBytes reply) {
  ReplyText(reply, Mod(c).ModulationType);
  return true;
}
bool GetPcmEnc1DataSource(Ctx& c, const Arg&, RemoteReplyBytes reply) {
  ReplyText(reply, Mod(c).PcmEncoder[0].DataSource);
  return true;
}
bool GetPcmEnc1OutputCode(Ctx& c, const Arg&, RemoteReplyBytes reply) {
  ReplyText(reply, Mod(c).PcmEncoder[0].OutputCode);
  return true;
}
bool GetPcmEnc2DataSource(Ctx& c, const Arg&, RemoteReplyBytes reply) {
  ReplyText(reply, Mod(c).PcmEncoder[1].DataSource);
  return true;
}
bool GetPcmEnc2OutputCode(Ctx& c, const Arg&, RemoteReplyBytes reply) {
  ReplyText(reply, Mod(c).PcmEncoder[1].OutputCode);
  return true;
}
bool GetRxBertPattern(Ctx& c, const Arg&, RemoteReplyBytes reply) {
  ReplyText(reply, c.Setup->RxBert[Ch(c)].PrnPattern);
  return true;
}
bool GetTxBertRate(Ctx& c, const Arg&, RemoteReplyBytes reply) {
  ReplyValue(reply, c.Setup->TxBert[Ch(c)].BitRate);
  return true;
}
bool GetTxBertPattern(Ctx& c, const Arg&, RemoteReplyBytes reply) {
  ReplyText(reply, c.Setup->TxBert[Ch(c)].PrnPattern);
  return true;
}
bool GetTxBertClockPolarity(Ctx& c, const Arg&, RemoteReplyBytes reply) {
  ReplyValue(reply, card::SetupText(c.Setup->TxBert[Ch(c)].ClockPolarity) == kInvert ? 1.0 : 0.0);
  return true;
}
bool GetTxBertDataPolarity(Ctx& c, const Arg&, RemoteReplyBytes reply) {
  ReplyValue(reply, card::SetupText(c.Setup->TxBert[Ch(c)].DataPolarity) == kInvert ? 1.0 : 0.0);
  return true;
}
bool GetTxBertErrorRate(Ctx& c, const Arg&, RemoteReplyBytes reply) {
  ReplyValue(reply, c.Setup->TxBert[Ch(c)].BitErrorRate);
  return true;
}
bool GetPskPmModIndex(Ctx& c, const Arg&, RemoteReplyBytes reply) {
  ReplyValue(reply, Mod(c).DirPskPmModIndex);
  return true;
}
bool GetIDataSource(Ctx& c, const Arg&, RemoteReplyBytes reply) {
  ReplyText(reply, Mod(c).IDataSource);
  return true;
}
bool GetQDataSource(Ctx& c, const Arg&, RemoteReplyBytes reply) {
  ReplyText(reply, Mod(c).QDataSource);
  return true;
}
bool GetIqRouting(Ctx& c, const Arg&, RemoteReplyBytes reply) {
  ReplyText(reply, Mod(c).IQRouting);
  return true;
}
bool GetSymbolRouting(Ctx& c, const Arg&, RemoteReplyBytes reply) {
  ReplyText(reply, Mod(c).SymbolRouting);
  return true;
}
bool GetInputPreprocessing(Ctx& c, const Arg&, RemoteReplyBytes reply) {
  ReplyText(reply, Mod(c).InputPreprocess);
  return true;
}

using R = RemoteArgumentRule;
constexpr OptionTable kNoOptions{};

// Number order: FindRemoteCommand searches it by halves. Only 500 to 504 save the last state.
constexpr std::array<RemoteCommandEntry, 47> kCommands{{
    {500, "SET TEST_MOD CARRIER ENABLE", false, R::FlagIsOne, 0, "", kNoOptions, true, SetCarrierEnable},
    {501, "SET TEST_MOD MODULATION ENABLE", false, R::FlagIsOne, 0, "", kNoOptions, true, SetModulationEnable},
    {502, "SET TEST_MOD NOISE ENABLE", false, R::FlagIsOne, 0, "", kNoOptions, true, SetNoiseEnable},
    {503, "SET TEST_MOD CARRIER AMPLITUDE", false, R::Checked, 0, "", kNoOptions, true, SetCarrierAmplitude},
    {504, "SET TEST_MOD NOISE LEVEL", false, R::Checked, 0, "", kNoOptions, true, SetNoiseLevel},
    {505, "SET TEST_MOD MODULATION MODE", false, R::OptionName, 0, "", OptModulatorModes, false, SetModulationMode,
     kModulatorModeSpellings},
    {506, "SET TEST_MOD MODULATION TYPE", false, R::OptionName, 0, "", OptModulationTypes, false, SetModulationType},
    {507, "SET TEST_MOD PCM ENC 1 DATA SOURCE", false, R::OptionName, 0, "", OptPcmEncoderDataSources, false,
     SetPcmEnc1DataSource},
    {508, "SET TEST_MOD PCM ENC 1 OUTPUT CODE", false, R::OptionName, 0, "", OptPcmEncoderCodes, false,
     SetPcmEnc1OutputCode, kPcmEncoderCodeSpellings},
    {509, "SET TEST_MOD PCM ENC 2 DATA SOURCE", false, R::OptionName, 0, "", OptPcmEncoderDataSources, false,
     SetPcmEnc2DataSource},
    {510, "SET TEST_MOD PCM ENC 2 OUTPUT CODE", false, R::OptionName, 0, "", OptPcmEncoderCodes, false,
     SetPcmEnc2OutputCode, kPcmEncoderCodeSpellings},
    {511, "SET TEST_MOD RESET BERT STATS", true, R::None, 0, "", kNoOptions, false, ResetBertStats},
    {512, "SET TEST_MOD RX BERT PRN PATTERN", true, R::OptionName, 0, "", OptPrnPatterns, false, SetRxBertPattern},
    {513, "SET TEST_MOD BERT DATA RATE", false, R::Checked, 0, "", kNoOptions, false, SetTxBertRate},
    {514, "SET TEST_MOD BERT PRN PATTERN", false, R::OptionName, 0, "", OptPrnPatterns, false, SetTxBertPattern},
    {515, "SET TEST_MOD BERT CLOCK POLARITY", false, R::Checked, 0, "", kNoOptions, false, SetTxBertClockPolarity},
    {516, "SET TEST_MOD BERT DATA POLARITY", false, R::Checked, 0, "", kNoOptions, false, SetTxBertDataPolarity},
    {517, "SET TEST_MOD BERT XMIT BER", false, R::Checked, 0, "", kNoOptions, false, SetTxBertErrorRate},
    {518, "SET TEST_MOD PSK-PM MOD INDEX", false, R::Checked, 0, "", kNoOptions, false, SetPskPmModIndex},
    {519, "SET TEST_MOD I DATA SOURCE", false, R::OptionName, 0, "", OptIqDataSources, false, SetIDataSource},
    {520, "SET TEST_MOD Q DATA SOURCE", false, R::OptionName, 0, "", OptIqDataSources, false, SetQDataSource},
    {521, "SET TEST_MOD IQ ROUTING", false, R::OptionName, 0, "", OptIqOutputRoutings, false, SetIqRouting},
    {522, "SET TEST_MOD SYMBOL ROUTING", false, R::OptionName, 0, "", OptSymbolRoutings, false, SetSymbolRouting},
    {523, "SET TEST_MOD INPUT PREPROCESSING", false, R::OptionName, 0, "", OptInputPreprocesses, false,
     SetInputPreprocessing},
    {524, "GET TESTMOD CARRIER ENABLE", false, R::None, 0, "", kNoOptions, false, GetCarrierEnable},
    {525, "GET TESTMOD MODULATION ENABLE", false, R::None, 0, "", kNoOptions, false, GetModulationEnable},
    {526, "GET TESTMOD NOISE ENABLE", false, R::None, 0, "", kNoOptions, false, GetNoiseEnable},
    {527, "GET TESTMOD CARRIER AMPLITUDE", false, R::None, 0, "", kNoOptions, false, GetCarrierAmplitude},
    {528, "GET TESTMOD CARRIER NOISE LEVEL", false, R::None, 0, "", kNoOptions, false, GetNoiseLevel},
    {529, "GET TESTMOD MODULATION MODE", false, R::None, 0, "", kNoOptions, false, GetModulationMode},
    {530, "GET TESTMOD MODULATION TYPE", false, R::None, 0, "", kNoOptions, false, GetModulationType},
    {531, "GET TESTMOD PCM ENC 1 DATA SOURCE", false, R::None, 0, "", kNoOptions, false, GetPcmEnc1DataSource},
    {532, "GET TESTMOD PCM ENC 1 OUTPUT CODE", false, R::None, 0, "", kNoOptions, false, GetPcmEnc1OutputCode},
    {533, "GET TESTMOD PCM ENC 2 DATA SOURCE", false, R::None, 0, "", kNoOptions, false, GetPcmEnc2DataSource},
    {534, "GET TESTMOD PCM ENC 2 OUTPUT CODE", false, R::None, 0, "", kNoOptions, false, GetPcmEnc2OutputCode},
    {535, "GET TESTMOD RX BERT PRN PATTERN", true, R::None, 0, "", kNoOptions, false, GetRxBertPattern},
    {536, "GET TESTMOD TX BERT DATA RATE", true, R::None, 0, "", kNoOptions, false, GetTxBertRate},
    {537, "GET TESTMOD TX BERT PRN PATTERN", true, R::None, 0, "", kNoOptions, false, GetTxBertPattern},
    {538, "GET TESTMOD TX BERT CLOCK POLARITY", true, R::None, 0, "", kNoOptions, false, GetTxBertClockPolarity},
    {539, "GET TESTMOD TX BERT DATA POLARITY", true, R::None, 0, "", kNoOptions, false, GetTxBertDataPolarity},
    {540, "GET TESTMOD TX BERT XMIT BER", true, R::None, 0, "", kNoOptions, false, GetTxBertErrorRate},
    {541, "GET TESTMOD PSKPM MOD INDEX", false, R::None, 0, "", kNoOptions, false, GetPskPmModIndex},
    {542, "GET TESTMOD I DATA SOURCE", false, R::None, 0, "", kNoOptions, false, GetIDataSource},
    {543, "GET TESTMOD Q DATA SOURCE", false, R::None, 0, "", kNoOptions, false, GetQDataSource},
    {544, "GET TESTMOD IQ ROUTING", false, R::None, 0, "", kNoOptions, false, GetIqRouting},
    {545, "GET TESTMOD SYMBOL ROUTING", false, R::None, 0, "", kNoOptions, false, GetSymbolRouting},
    {546, "GET TESTMOD INPUT PREPROCESSING", false, R::None, 0, "", kNoOptions, false, GetInputPreprocessing},
}};

static_assert(std::is_sorted(kCommands.begin(), kCommands.end(),
                             [](const RemoteCommandEntry& a, const RemoteCommandEntry& b) { return a.Number < b.Number; }),
              "the command table must be in number order");
static_assert(kCommands.front().Number == 500 && kCommands.back().Number == 546 &&
                  kCommands.size() == 546 - 500 + 1,
              "every number from 500 to 546 has its row");

}  // namespace

std::span<const RemoteCommandEntry> TestModulatorAndBertCommands() { return kCommands; }

}  // namespace net
