// The test-modulator and BERT commands over loopback: every set command with an argument it takes
// and one it refuses (the reply, the log line, what the card's test modulator and BERTs now run,
// and the card setup record as the next group-status datagram carries it), the read-backs of what
// the set commands stored and the write-back of what they return, and the modulator looped back
// into the receivers: they lock on its signal and the BERT counters run.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>

#include "card/kr20card.h"
#include "card/rtl20_manager.h"
#include "card/setup_routines.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "net/remote_command_table.h"
#include "settings/last_setup_files.h"
#include "settings/set_manager.h"
#include "remote_fixture.h"
#include "util/number_text.h"

namespace remotetest {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr const char* kBadName = "Invalid String Command..(check case + spelling)";

std::string Text(const char (&field)[card::kSetupTextLen]) { return card::SetupText(field); }
// A packed field by value (the checks bind references).
template <class T>
T V(T field) {
  return field;
}

// What card 0's test modulator, transmit BERTs and receive BERTs run, read from the card.
struct ModulatorState {
  std::string mode, type, iSource, qSource, iqRouting, symbolRouting, preprocessing;
  bool carrierOn = false, modulationOn = false, noiseOn = false;
  double level = 0.0, cno = 0.0, modIndex = 0.0;
  std::string source1, encoding1, randomizer1, source2, encoding2, randomizer2;
  double txRate0 = 0.0, txRate1 = 0.0, txBer0 = 0.0;
  std::string txPattern0, txClock0, txData0, txPattern1, rxPattern0, rxPattern1;
  bool operator==(const ModulatorState&) const = default;

  static ModulatorState Of(const card::kr20cardclass& c) {
    ModulatorState s;
    s.mode = c.GetMod_GetModulatorMode();
    s.type = c.GetMod_GetModulationType();
    s.iSource = c.GetMod_GetIDataSource();
    s.qSource = c.GetMod_GetQDataSource();
    s.iqRouting = c.GetMod_GetIQOutputRouting();
    s.symbolRouting = c.GetMod_GetSymbolRouting();
    s.preprocessing = c.GetMod_GetInputPreprocessing();
    s.carrierOn = c.GetMod_GetIfCarrierOn();
    s.modulationOn = c.GetMod_GetIfModulationOn();
    s.noiseOn = c.GetMod_GetEnableNoiseGeneration();
    s.level = c.GetMod_IfCarrierLevelInDbm();
    s.cno = c.GetMod_GetCarrierToNoiseLevel();
    s.modIndex = c.GetMod_GetDirPcmModIndex();
    s.source1 = c.GetMod_GetPcmCh1DataSource();
    s.encoding1 = c.GetMod_GetPcmCh1PcmEncoding();
    s.randomizer1 = c.GetMod_GetPcmCh1PcmRandScrambling();
    s.source2 = c.GetMod_GetPcmCh2DataSource();
    s.encoding2 = c.GetMod_GetPcmCh2PcmEncoding();
    s.randomizer2 = c.GetMod_GetPcmCh2PcmRandScrambling();
    s.txRate0 = c.TxBert_GetBitRate(0);
    s.txRate1 = c.TxBert_GetBitRate(1);
    s.txBer0 = c.TxBert_GetBitErrorRate(0);
    s.txPattern0 = c.TxBert_GetPnPattern(0);
    s.txClock0 = c.TxBert_GetClockPolarity(0);
    s.txData0 = c.TxBert_GetDataPolarity(0);
    s.txPattern1 = c.TxBert_GetPnPattern(1);
    s.rxPattern0 = c.Bert_GetPnPattern(0);
    s.rxPattern1 = c.Bert_GetPnPattern(1);
    return s;
  }
};

using RunsOn = std::function<bool(const ModulatorState&)>;
using Shows = std::function<bool(const card::CardSetupRecord&)>;

struct SetCase {
  const char* name;
  std::int32_t channel;
  std::int32_t command;
  double value;
  std::string text;
  const char* refusal;  // nullptr: the command succeeds
  RunsOn runs;          // what the card runs afterwards (successes only)
  Shows shows;          // card 0's setup record in the next group status (successes only)
};

class RemoteModulatorTest : public RemoteTest {
 protected:
  // Card 0 sees nothing but its own test modulator.
  void StartLooped() {
    card0Settings_ = "IfInput1=NONE\nIfInput2=NONE\n";
    StartRemote();
  }

  card::kr20cardclass& Card0() const { return *gRtl20Mgr->Card(0); }
  card::CardSetupRecord Setup0() const { return Card0().Setup(); }

  void Run(const SetCase& row) {
    SCOPED_TRACE(row.name);
    const card::CardSetupRecord before = Setup0();
    const ModulatorState runningBefore = ModulatorState::Of(Card0());
    const Reply reply = Command(0, row.channel, row.command, row.value, row.text);
    ASSERT_TRUE(reply.Received());
    const net::RemoteCommandEntry* entry = net::FindRemoteCommand(row.command);
    ASSERT_NE(entry, nullptr);
    const std::string value = util::FloatToFixedText(16, 6, row.value);
    EXPECT_EQ(reply.ValueCount(), 0u);
    EXPECT_EQ(reply.TextCount(), 0u);
    if (row.refusal != nullptr) {
      EXPECT_FALSE(reply.Success());
      EXPECT_EQ(reply.Message(), row.refusal);
      const std::string name(std::string(row.refusal) == "Invalid Channel Index" ? std::string_view("UNKNOWN COMMAND")
                                                                                  : entry->Name);
      EXPECT_EQ(LastRemoteLine(), Line(row.command, name, value, std::string("  FAILED ") + row.refusal));
      const card::CardSetupRecord after = Setup0();
      EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0) << "the setup record changed";
      EXPECT_TRUE(ModulatorState::Of(Card0()) == runningBefore) << "the card changed";
      return;
    }
    EXPECT_TRUE(reply.Success()) << reply.Message();
    EXPECT_EQ(reply.Message(), "");
    EXPECT_EQ(LastRemoteLine(), Line(row.command, std::string(entry->Name), value, " Processed OK"));
    if (row.runs) {
      EXPECT_TRUE(row.runs(ModulatorState::Of(Card0())));
    }
    if (row.shows) {
      const GroupStatus status = WaitGroupStatus([&](const GroupStatus& s) { return row.shows(s.Setup()); });
      ASSERT_TRUE(status.Valid());
      EXPECT_TRUE(row.shows(status.Setup()));
    }
  }

  Reply ReadBack(std::int32_t command, std::int32_t channel = 0) {
    const Reply reply = Command(0, channel, command, 0.0);
    EXPECT_TRUE(reply.Received());
    EXPECT_TRUE(reply.Success()) << command << ": " << reply.Message();
    EXPECT_EQ(reply.Message(), "");
    return reply;
  }
  double ReadValue(std::int32_t command, std::int32_t channel = 0) {
    const Reply reply = ReadBack(command, channel);
    EXPECT_EQ(reply.ValueCount(), 1u) << command;
    EXPECT_EQ(reply.TextCount(), 0u) << command;
    EXPECT_EQ(reply.Value(1), 0.0) << command;
    return reply.Value(0);
  }
  std::string ReadText(std::int32_t command, std::int32_t channel = 0) {
    const Reply reply = ReadBack(command, channel);
    EXPECT_EQ(reply.ValueCount(), 0u) << command;
    EXPECT_EQ(reply.TextCount(), 1u) << command;
    if (!reply.Received()) return {};
    return std::string(reinterpret_cast<const char*>(reply.bytes.data() + 793));
  }
};

TEST_F(RemoteModulatorTest, CarrierModulationNoiseAndLevels) {
  StartLooped();
  const SetCase cases[] = {
      {"carrier on with 1.0", 0, 500, 1.0, "", nullptr, [](const ModulatorState& s) { return s.carrierOn; },
       [](const card::CardSetupRecord& r) { return r.Modulator.CarrierEnabled == 1; }},
      // The command ignores the channel, whatever it holds.
      {"carrier 2.0 is off, channel 5", 5, 500, 2.0, "", nullptr, [](const ModulatorState& s) { return !s.carrierOn; },
       [](const card::CardSetupRecord& r) { return r.Modulator.CarrierEnabled == 0; }},
      {"modulation on", 1, 501, 1.0, "", nullptr, [](const ModulatorState& s) { return s.modulationOn; },
       [](const card::CardSetupRecord& r) { return r.Modulator.ModulationEnabled == 1; }},
      {"modulation 0.5 is off", 0, 501, 0.5, "", nullptr, [](const ModulatorState& s) { return !s.modulationOn; },
       [](const card::CardSetupRecord& r) { return r.Modulator.ModulationEnabled == 0; }},
      {"noise on", 0, 502, 1.0, "", nullptr, [](const ModulatorState& s) { return s.noiseOn; },
       [](const card::CardSetupRecord& r) { return r.Modulator.NoiseEnabled == 1; }},
      {"noise NaN is off", 0, 502, kNaN, "", nullptr, [](const ModulatorState& s) { return !s.noiseOn; },
       [](const card::CardSetupRecord& r) { return r.Modulator.NoiseEnabled == 0; }},
      {"amplitude -0.5 is -1", 0, 503, -0.5, "", nullptr, [](const ModulatorState& s) { return s.level == -1.0; },
       [](const card::CardSetupRecord& r) { return r.Modulator.CarrierAmplitudeDbm == -1.0; }},
      {"amplitude -79.2 is -80", 1, 503, -79.2, "", nullptr, [](const ModulatorState& s) { return s.level == -80.0; },
       [](const card::CardSetupRecord& r) { return r.Modulator.CarrierAmplitudeDbm == -80.0; }},
      {"amplitude -80.7 is -81", 0, 503, -80.7, "", "Value not in valid range of 0 to -80", nullptr, nullptr},
      {"amplitude 1.0", 0, 503, 1.0, "", "Value not in valid range of 0 to -80", nullptr, nullptr},
      {"amplitude NaN", 0, 503, kNaN, "", "Value not in valid range of 0 to -80", nullptr, nullptr},
      {"C/No 55.5", 0, 504, 55.5, "", nullptr, [](const ModulatorState& s) { return s.cno == 55.5; },
       [](const card::CardSetupRecord& r) { return r.Modulator.CarrerToNoiseDbm == 55.5; }},
      {"C/No 110", 0, 504, 110.0, "", nullptr, [](const ModulatorState& s) { return s.cno == 110.0; },
       [](const card::CardSetupRecord& r) { return r.Modulator.CarrerToNoiseDbm == 110.0; }},
      {"C/No 110.01", 0, 504, 110.01, "", "Value not in valid range of 0 to 110", nullptr, nullptr},
      {"C/No -0.1", 0, 504, -0.1, "", "Value not in valid range of 0 to 110", nullptr, nullptr},
      {"C/No NaN", 0, 504, kNaN, "", "Value not in valid range of 0 to 110", nullptr, nullptr},
      {"PSK/PM index 1.25", 0, 518, 1.25, "", nullptr, [](const ModulatorState& s) { return s.modIndex == 1.25; },
       [](const card::CardSetupRecord& r) { return r.Modulator.DirPskPmModIndex == 1.25; }},
      {"PSK/PM index 3.14159", 0, 518, 3.14159, "", nullptr,
       [](const ModulatorState& s) { return s.modIndex == 3.14159; },
       [](const card::CardSetupRecord& r) { return r.Modulator.DirPskPmModIndex == 3.14159; }},
      {"PSK/PM index 3.2", 0, 518, 3.2, "", "Invalid Test Mod Psk/Pm Mod Index Value", nullptr, nullptr},
      {"PSK/PM index -0.01", 0, 518, -0.01, "", "Invalid Test Mod Psk/Pm Mod Index Value", nullptr, nullptr},
  };
  for (const SetCase& row : cases) Run(row);
}

// Turning the carrier off resets the sweep engine: a running sweep stops. Turning it on leaves a
// running sweep alone.
TEST_F(RemoteModulatorTest, CarrierOffResetsTheSweep) {
  StartLooped();
  card::kr20cardclass& card = Card0();
  card::ModSweepParamBlock block = card::ModSweepParamsOf(card.Setup());
  const double carrierMhz = card.Setup().Modulator.CarrierFreqMhz;
  block.SweepRateHz = 1000.0;
  block.StartFreqMhz = carrierMhz;
  block.StopFreqMhzAry[0] = carrierMhz + 0.5;
  block.NumProfiles = 1;
  block.SweepProfileIndex = 0;
  block.SinglePass = 0;
  ASSERT_TRUE(card.DoOnSetModulatorSweepProcess(block));
  ASSERT_TRUE(card.RunModulatorSweep());
  ASSERT_TRUE(card.IsModulatorSweepRunning());

  ASSERT_TRUE(Command(0, 0, 500, 1.0).Success());
  EXPECT_TRUE(card.IsModulatorSweepRunning());
  ASSERT_TRUE(Command(0, 0, 500, 0.0).Success());
  EXPECT_FALSE(card.IsModulatorSweepRunning());
  EXPECT_EQ(int{card.Setup().Modulator.CarrierEnabled}, 0);
}

TEST_F(RemoteModulatorTest, ModesEncodersAndRoutings) {
  StartLooped();
  const SetCase cases[] = {
      {"mode SGLS is stored as SUBCAR", 0, 505, 0.0, "SGLS", nullptr,
       [](const ModulatorState& s) { return s.mode == "SGLS"; },
       [](const card::CardSetupRecord& r) { return Text(r.Modulator.ModulationMode) == "SUBCAR"; }},
      {"mode USB", 0, 505, 0.0, "USB", "Unsupported Modulation Mode", nullptr, nullptr},
      {"mode index 1 is USB", 0, 505, 1.0, "", "Unsupported Modulation Mode", nullptr, nullptr},
      {"mode in other case", 0, 505, 0.0, "sgls", kBadName, nullptr, nullptr},
      {"mode index 2", 1, 505, 2.0, "", nullptr, [](const ModulatorState& s) { return s.mode == "DIR_PSK"; },
       [](const card::CardSetupRecord& r) { return Text(r.Modulator.ModulationMode) == "DIR_PSK"; }},
      {"type BPSK leaves the mode", 0, 506, 0.0, "BPSK", nullptr,
       [](const ModulatorState& s) { return s.type == "BPSK" && s.mode == "DIR_PSK"; },
       [](const card::CardSetupRecord& r) {
         return Text(r.Modulator.ModulationType) == "BPSK" && Text(r.Modulator.ModulationMode) == "DIR_PSK";
       }},
      {"type FM", 0, 506, 0.0, "FM", "Unsupported Modulation Type", nullptr, nullptr},
      {"type index 10 is FSK", 0, 506, 10.0, "", "Unsupported Modulation Type", nullptr, nullptr},
      {"type index 12", 0, 506, 12.0, "", kBadName, nullptr, nullptr},
      {"type index 8", 0, 506, 8.0, "", nullptr, [](const ModulatorState& s) { return s.type == "SOQPSK_TG"; },
       [](const card::CardSetupRecord& r) { return Text(r.Modulator.ModulationType) == "SOQPSK_TG"; }},
      {"encoder 1 from TTL input 1", 0, 507, 0.0, "TTL_INPUT_1", nullptr,
       [](const ModulatorState& s) { return s.source1 == "TTL_INPUT_1"; },
       [](const card::CardSetupRecord& r) { return Text(r.Modulator.PcmEncoder[0].DataSource) == "TTL_INPUT_1"; }},
      {"encoder 1 from N_C", 0, 507, 0.0, "N_C", "Unsupported PCM Encoder Data Source", nullptr, nullptr},
      {"encoder 1 source index 8", 0, 507, 8.0, "", kBadName, nullptr, nullptr},
      {"encoder 1 source index 5", 0, 507, 5.0, "", nullptr, [](const ModulatorState& s) { return s.source1 == "TX_BERT"; },
       [](const card::CardSetupRecord& r) { return Text(r.Modulator.PcmEncoder[0].DataSource) == "TX_BERT"; }},
      {"encoder 1 code index 10 is RNRZ15 without randomiser", 0, 508, 10.0, "", nullptr,
       [](const ModulatorState& s) { return s.encoding1 == "RNRZ15" && s.randomizer1 == "NONE"; },
       [](const card::CardSetupRecord& r) { return Text(r.Modulator.PcmEncoder[0].OutputCode) == "RNRZ15"; }},
      {"encoder 1 code RNRZ-15 as the window stores it", 0, 508, 0.0, "RNRZ-15", nullptr,
       [](const ModulatorState& s) { return s.encoding1 == "NRZL" && s.randomizer1 == "RAND15_NRZL"; },
       [](const card::CardSetupRecord& r) { return Text(r.Modulator.PcmEncoder[0].OutputCode) == "RNRZ-15"; }},
      {"encoder 1 code BIOM drops the randomiser", 0, 508, 0.0, "BIOM", nullptr,
       [](const ModulatorState& s) { return s.encoding1 == "BIOM" && s.randomizer1 == "NONE"; },
       [](const card::CardSetupRecord& r) { return Text(r.Modulator.PcmEncoder[0].OutputCode) == "BIOM"; }},
      {"encoder 1 code index 11", 0, 508, 11.0, "", kBadName, nullptr, nullptr},
      {"encoder 2 from RS-422 input 2", 1, 509, 0.0, "422_INPUT_2", nullptr,
       [](const ModulatorState& s) { return s.source2 == "422_INPUT_2" && s.source1 == "TX_BERT"; },
       [](const card::CardSetupRecord& r) { return Text(r.Modulator.PcmEncoder[1].DataSource) == "422_INPUT_2"; }},
      {"encoder 2 source index 6 is N_C", 0, 509, 6.0, "", "Unsupported PCM Encoder Data Source", nullptr, nullptr},
      {"encoder 2 code RNRZ-15", 0, 510, 0.0, "RNRZ-15", nullptr,
       [](const ModulatorState& s) { return s.encoding2 == "NRZL" && s.randomizer2 == "RAND15_NRZL"; },
       [](const card::CardSetupRecord& r) { return Text(r.Modulator.PcmEncoder[1].OutputCode) == "RNRZ-15"; }},
      {"encoder 2 code in other case", 0, 510, 0.0, "rnrz-15", kBadName, nullptr, nullptr},
      {"I from encoder 2", 0, 519, 0.0, "PCM_ENCODER2", nullptr,
       [](const ModulatorState& s) { return s.iSource == "PCM_ENCODER2"; },
       [](const card::CardSetupRecord& r) { return Text(r.Modulator.IDataSource) == "PCM_ENCODER2"; }},
      {"I from the command encoder", 0, 519, 0.0, "CMD_ENCODER", "Unsupported MOD IQ SOURCE", nullptr, nullptr},
      {"Q index 0", 0, 520, 0.0, "", nullptr, [](const ModulatorState& s) { return s.qSource == "PCM_ENCODER1"; },
       [](const card::CardSetupRecord& r) { return Text(r.Modulator.QDataSource) == "PCM_ENCODER1"; }},
      {"Q index 2 is the command encoder", 0, 520, 2.0, "", "Unsupported MOD IQ SOURCE", nullptr, nullptr},
      {"IQ routing Q = I", 0, 521, 0.0, "Q_EQUAL_I", nullptr,
       [](const ModulatorState& s) { return s.iqRouting == "Q_EQUAL_I"; },
       [](const card::CardSetupRecord& r) { return Text(r.Modulator.IQRouting) == "Q_EQUAL_I"; }},
      {"IQ routing index 2", 0, 521, 2.0, "", kBadName, nullptr, nullptr},
      {"symbol routing index 1", 0, 522, 1.0, "", nullptr,
       [](const ModulatorState& s) { return s.symbolRouting == "DEINTERLEAVE"; },
       [](const card::CardSetupRecord& r) { return Text(r.Modulator.SymbolRouting) == "DEINTERLEAVE"; }},
      {"symbol routing in other case", 0, 522, 0.0, "deinterleave", kBadName, nullptr, nullptr},
      {"preprocessing deinterleave", 0, 523, 0.0, "DEINTERLEAVE", nullptr,
       [](const ModulatorState& s) { return s.preprocessing == "DEINTERLEAVE"; },
       [](const card::CardSetupRecord& r) { return Text(r.Modulator.InputPreprocess) == "DEINTERLEAVE"; }},
      {"preprocessing index 2", 0, 523, 2.0, "", kBadName, nullptr, nullptr},
  };
  for (const SetCase& row : cases) Run(row);
}

TEST_F(RemoteModulatorTest, TransmitAndReceiveBerts) {
  StartLooped();
  const SetCase cases[] = {
      {"receive BERT 1 pattern pn11", 1, 512, 0.0, "pn11", nullptr,
       [](const ModulatorState& s) { return s.rxPattern1 == "pn11" && s.rxPattern0 == "pn15"; },
       [](const card::CardSetupRecord& r) {
         return Text(r.RxBert[1].PrnPattern) == "pn11" && Text(r.RxBert[0].PrnPattern) == "pn15";
       }},
      {"receive BERT pattern index 2", 0, 512, 2.5, "", nullptr,
       [](const ModulatorState& s) { return s.rxPattern0 == "alternatingOneZero"; },
       [](const card::CardSetupRecord& r) { return Text(r.RxBert[0].PrnPattern) == "alternatingOneZero"; }},
      {"receive BERT pattern pn9", 0, 512, 0.0, "pn9", "Unsupported BERT PRN Pattern", nullptr, nullptr},
      {"receive BERT user pattern", 0, 512, 18.0, "", "Unsupported BERT PRN Pattern", nullptr, nullptr},
      {"receive BERT pattern PN15", 0, 512, 0.0, "PN15", kBadName, nullptr, nullptr},
      {"receive BERT pattern, channel 2", 2, 512, 0.0, "pn15", "Invalid Channel Index", nullptr, nullptr},
      {"reset BERT statistics", 1, 511, 0.0, "", nullptr, nullptr, nullptr},
      {"reset BERT statistics, channel -1", -1, 511, 0.0, "", "Invalid Channel Index", nullptr, nullptr},
      // The transmit-BERT commands address BERT 0 whatever the channel says.
      {"transmit rate 2 Mbit/s on channel 1", 1, 513, 2000000.0, "", nullptr,
       [](const ModulatorState& s) { return s.txRate0 == 2e6 && s.txRate1 != 2e6; },
       [](const card::CardSetupRecord& r) { return r.TxBert[0].BitRate == 2e6 && r.TxBert[1].BitRate != 2e6; }},
      {"transmit rate 10 bit/s", 0, 513, 10.0, "", nullptr, [](const ModulatorState& s) { return s.txRate0 == 10.0; },
       [](const card::CardSetupRecord& r) { return r.TxBert[0].BitRate == 10.0; }},
      {"transmit rate 5 bit/s", 0, 513, 5.0, "", "Invalid Tx Bert Bit Rate", nullptr, nullptr},
      {"transmit rate above 10 Mbit/s", 0, 513, 10000000.5, "", "Invalid Tx Bert Bit Rate", nullptr, nullptr},
      {"transmit pattern pn17", 0, 514, 0.0, "pn17", nullptr,
       [](const ModulatorState& s) { return s.txPattern0 == "pn17" && s.txPattern1 == "pn15"; },
       [](const card::CardSetupRecord& r) { return Text(r.TxBert[0].PrnPattern) == "pn17"; }},
      {"transmit pattern pn9", 0, 514, 0.0, "pn9", "Unsupported BERT PRN Pattern", nullptr, nullptr},
      {"transmit pattern PN15", 0, 514, 0.0, "PN15", kBadName, nullptr, nullptr},
      {"transmit clock inverted", 0, 515, 1.0, "", nullptr,
       [](const ModulatorState& s) { return s.txClock0 == "invert" && s.txData0 == "normal"; },
       [](const card::CardSetupRecord& r) {
         return Text(r.TxBert[0].ClockPolarity) == "invert" && Text(r.TxBert[0].DataPolarity) == "normal";
       }},
      {"transmit clock -1.0 is normal", 0, 515, -1.0, "", nullptr,
       [](const ModulatorState& s) { return s.txClock0 == "normal"; },
       [](const card::CardSetupRecord& r) { return Text(r.TxBert[0].ClockPolarity) == "normal"; }},
      {"transmit data 0.5 inverts", 0, 516, 0.5, "", nullptr,
       [](const ModulatorState& s) { return s.txData0 == "invert" && s.txClock0 == "normal"; },
       [](const card::CardSetupRecord& r) { return Text(r.TxBert[0].DataPolarity) == "invert"; }},
      {"transmit data NaN is normal", 0, 516, kNaN, "", nullptr,
       [](const ModulatorState& s) { return s.txData0 == "normal"; },
       [](const card::CardSetupRecord& r) { return Text(r.TxBert[0].DataPolarity) == "normal"; }},
      {"transmit error rate 1e-3", 0, 517, 1e-3, "", nullptr, [](const ModulatorState& s) { return s.txBer0 == 1e-3; },
       [](const card::CardSetupRecord& r) { return r.TxBert[0].BitErrorRate == 1e-3; }},
      {"transmit error rate 1.5", 0, 517, 1.5, "", "Invalid Tx Bert Bit Error Rate", nullptr, nullptr},
      {"transmit error rate NaN", 0, 517, kNaN, "", "Invalid Tx Bert Bit Error Rate", nullptr, nullptr},
  };
  for (const SetCase& row : cases) Run(row);
}

// Every read-back answers what the set commands stored, one value or one text; a set command takes
// back what the read-back of its value returned, also the names stored in another spelling.
TEST_F(RemoteModulatorTest, ReadBacksAnswerTheStoredValuesAndTakeThemBack) {
  StartLooped();
  // The defaults of a new setup read back, and their names are taken back.
  EXPECT_EQ(ReadText(531), "TX_BERT");
  EXPECT_EQ(ReadText(533), "TX_BERT");
  EXPECT_EQ(ReadText(532), "NRZL");

  struct SetThenRead {
    std::int32_t set;
    double value;
    std::string text;
    std::int32_t get;
    std::int32_t channel;
    double number;      // a value read-back
    const char* name;   // a text read-back (nullptr: a value)
  };
  const SetThenRead rows[] = {
      {500, 1.0, "", 524, 0, 1.0, nullptr},
      {501, 1.0, "", 525, 0, 1.0, nullptr},
      {502, 1.0, "", 526, 0, 1.0, nullptr},
      {503, -42.3, "", 527, 0, -43.0, nullptr},
      {504, 63.25, "", 528, 0, 63.25, nullptr},
      {505, 0.0, "SGLS", 529, 0, 0.0, "SUBCAR"},
      {506, 0.0, "QPSK", 530, 0, 0.0, "QPSK"},
      {507, 1.0, "", 531, 0, 0.0, "TTL_INPUT_1"},
      {508, 10.0, "", 532, 0, 0.0, "RNRZ15"},
      {509, 0.0, "422_INPUT_1", 533, 0, 0.0, "422_INPUT_1"},
      {510, 0.0, "RNRZ-15", 534, 0, 0.0, "RNRZ-15"},
      {512, 0.0, "allOnes", 535, 1, 0.0, "allOnes"},
      {513, 2000000.0, "", 536, 0, 2000000.0, nullptr},
      {514, 0.0, "pn11", 537, 0, 0.0, "pn11"},
      {515, 1.0, "", 538, 0, 1.0, nullptr},
      {516, 3.0, "", 539, 0, 1.0, nullptr},
      {517, 0.25, "", 540, 0, 0.25, nullptr},
      {518, 0.75, "", 541, 0, 0.75, nullptr},
      {519, 1.0, "", 542, 0, 0.0, "PCM_ENCODER2"},
      {520, 0.0, "PCM_ENCODER2", 543, 0, 0.0, "PCM_ENCODER2"},
      {521, 1.0, "", 544, 0, 0.0, "Q_EQUAL_I"},
      {522, 0.0, "EXTERNAL_PROCESS", 545, 0, 0.0, "EXTERNAL_PROCESS"},
      {523, 1.0, "", 546, 0, 0.0, "DEINTERLEAVE"},
  };
  for (const SetThenRead& row : rows) {
    SCOPED_TRACE(row.set);
    const Reply set = Command(0, row.channel, row.set, row.value, row.text);
    ASSERT_TRUE(set.Received());
    ASSERT_TRUE(set.Success()) << set.Message();
    const net::RemoteCommandEntry* get = net::FindRemoteCommand(row.get);
    ASSERT_NE(get, nullptr);
    if (row.name == nullptr) {
      EXPECT_EQ(ReadValue(row.get, row.channel), row.number);
    } else {
      const std::string name = ReadText(row.get, row.channel);
      EXPECT_EQ(name, row.name);
      // Written back as it was read: accepted, and the same name reads back again.
      const Reply back = Command(0, row.channel, row.set, 99.0, name);
      EXPECT_TRUE(back.Success()) << back.Message();
      EXPECT_EQ(ReadText(row.get, row.channel), row.name);
    }
    EXPECT_EQ(LastRemoteLine(), Line(row.get, std::string(get->Name), "0.000000", " Processed OK"));
  }
  // "SUBCAR" written back runs "SGLS" on the card; "RNRZ-15" the randomised NRZ-L.
  EXPECT_EQ(Card0().GetMod_GetModulatorMode(), "SGLS");
  EXPECT_EQ(Card0().GetMod_GetPcmCh2PcmEncoding(), "NRZL");
  EXPECT_EQ(Card0().GetMod_GetPcmCh2PcmRandScrambling(), "RAND15_NRZL");

  // Transmit BERT 1 is read on channel 1; these commands never change it.
  const card::TxBertRecord bert1 = Setup0().TxBert[1];
  const double rate1 = bert1.BitRate;
  EXPECT_EQ(ReadValue(536, 1), rate1);
  EXPECT_NE(rate1, 2000000.0);
  EXPECT_EQ(ReadValue(538, 1), 0.0);
  EXPECT_EQ(ReadValue(540, 1), 0.0);
  EXPECT_EQ(ReadText(537, 1), "pn15");
  EXPECT_EQ(ReadText(535, 0), "pn15");

  // A value the setup record got elsewhere (as from a window or a recalled setup) reads back too.
  card::SetSetupText(Card0().Setup().Modulator.SymbolRouting, "NONE");
  Card0().Setup().Modulator.CarrierAmplitudeDbm = -12.0;
  EXPECT_EQ(ReadText(545), "NONE");
  EXPECT_EQ(ReadValue(527), -12.0);

  // Channel-addressing read-backs refuse a channel other than 0 and 1; the others ignore it.
  for (const std::int32_t command : {535, 536, 537, 538, 539, 540}) {
    SCOPED_TRACE(command);
    const Reply bad = Command(0, 2, command, 0.0);
    EXPECT_FALSE(bad.Success());
    EXPECT_EQ(bad.Message(), "Invalid Channel Index");
    EXPECT_EQ(bad.ValueCount(), 0u);
    EXPECT_EQ(bad.TextCount(), 0u);
  }
  const Reply anyChannel = Command(0, 7, 527, 0.0);
  EXPECT_TRUE(anyChannel.Success());
  EXPECT_EQ(anyChannel.ValueCount(), 1u);
}

// The modulator on card 0's IF inputs: the PSK receiver of channel 0 locks on it, the receive BERT
// counts its bits, the errors the transmit BERT puts in show, a reset starts the count anew, and
// with the carrier off the receiver loses the signal.
TEST_F(RemoteModulatorTest, LoopedBackModulatorLocksTheReceiverAndRunsTheBert) {
  StartLooped();
  // Nothing on the inputs yet.
  GroupStatus status = WaitGroupStatus([](const GroupStatus&) { return true; });
  ASSERT_TRUE(status.Valid());
  EXPECT_EQ(status.Status(0).Receiver.CarrierLocked, 0);
  EXPECT_EQ(status.Status(0).Bert.Locked, 0);

  // The status records carry a BERT's counts while its input is switched on, as the operator does
  // in the BERT window; there is no remote command for it.
  gKr20SetMgr->SetBertInputSource(0, 0, 1);

  // The receiver's defaults: SOQPSK-TG at 70 MHz, 1 Mbit/s NRZ-L, receive BERT on pn15.
  struct Step {
    std::int32_t command;
    double value;
    const char* text;
  };
  const Step steps[] = {
      {506, 0.0, "SOQPSK_TG"}, {519, 0.0, "PCM_ENCODER1"}, {507, 0.0, "TX_BERT"}, {508, 0.0, "NRZL"},
      {513, 1000000.0, ""},    {514, 0.0, "pn15"},         {517, 0.0, ""},        {503, -30.0, ""},
      {512, 0.0, "pn15"},      {502, 0.0, ""},             {501, 1.0, ""},        {500, 1.0, ""},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.command);
    const Reply reply = Command(0, 0, step.command, step.value, step.text);
    ASSERT_TRUE(reply.Received());
    ASSERT_TRUE(reply.Success()) << reply.Message();
  }
  status = WaitGroupStatus([](const GroupStatus& s) {
    return s.Status(0).Receiver.CarrierLocked == 1 && s.Status(0).BitSync1.Locked == 1 && s.Status(0).Bert.Locked == 1 &&
           s.Status(0).Bert.TotalBits > 100000;
  });
  ASSERT_TRUE(status.Valid());
  ASSERT_EQ(status.Status(0).Bert.Locked, 1)
      << "the receive BERT did not lock on the looped-back modulator: carrier " << int{status.Status(0).Receiver.CarrierLocked}
      << ", bit sync " << int{status.Status(0).BitSync1.Locked} << ", Viterbi " << int{status.Setup().Receiver[0].BitSync[0].ViterbiDecodeEnabled};
  EXPECT_EQ(status.Setup().Modulator.CarrierEnabled, 1);
  EXPECT_EQ(status.Setup().Modulator.ModulationEnabled, 1);
  // A clean loop: no errors.
  EXPECT_EQ(V(status.Status(0).Bert.ErrorBits), 0.0);
  const std::int32_t counted = status.Status(0).Bert.TotalBits;
  status = WaitGroupStatus([counted](const GroupStatus& s) { return s.Status(0).Bert.TotalBits > counted; });
  EXPECT_GT(V(status.Status(0).Bert.TotalBits), counted) << "the BERT counters do not advance";

  // One error in a thousand from the transmit BERT reaches the receive BERT.
  ASSERT_TRUE(Command(0, 0, 517, 1e-3).Success());
  status = WaitGroupStatus([](const GroupStatus& s) { return s.Status(0).Bert.ErrorBits > 100.0; });
  EXPECT_GT(V(status.Status(0).Bert.ErrorBits), 100.0);
  EXPECT_EQ(V(status.Setup().TxBert[0].BitErrorRate), 1e-3);

  // Clean again, a reset starts the counts anew: no errors since.
  ASSERT_TRUE(Command(0, 0, 517, 0.0).Success());
  ASSERT_TRUE(Command(0, 0, 511, 0.0).Success());
  status = WaitGroupStatus([](const GroupStatus& s) {
    return s.Status(0).Bert.Locked == 1 && s.Status(0).Bert.ErrorBits == 0.0 && s.Status(0).Bert.TotalBits > 0;
  });
  EXPECT_EQ(V(status.Status(0).Bert.ErrorBits), 0.0);
  EXPECT_GT(V(status.Status(0).Bert.TotalBits), 0);

  // The carrier off: the receiver and the BERT lose it.
  ASSERT_TRUE(Command(0, 0, 500, 0.0).Success());
  EXPECT_FALSE(Card0().GetMod_GetIfCarrierOn());
  status = WaitGroupStatus([](const GroupStatus& s) {
    return s.Status(0).Receiver.CarrierLocked == 0 && s.Status(0).Bert.Locked == 0;
  });
  EXPECT_EQ(status.Status(0).Receiver.CarrierLocked, 0);
  EXPECT_EQ(status.Status(0).Bert.Locked, 0);
  EXPECT_EQ(status.Setup().Modulator.CarrierEnabled, 0);
}

// With the options asking for every change to be kept, 500 to 504 have the last-state file
// rewritten (card 0's state file); the other set commands leave their values to the next save.
TEST_F(RemoteModulatorTest, CarrierAndNoiseCommandsKeepTheLastState) {
  StartLooped();
  config::kr20optinfo& options = config::gApp.Options->Info();
  options.MinLastStateSaves = 0;
  options.LoadLastSetupState = 1;
  const std::string path = settings::CardStateFilePath(0);
  const auto fileHolds = [&](const std::string& line) {
    return testsupport::ReadWholeFile(path).find(line) != std::string::npos;
  };
  struct Kept {
    std::int32_t command;
    double value;
    const char* line;
  };
  const Kept rows[] = {
      {503, -33.0, "CarrierAmplitudeDbm=-33.000000000\r\n"},
      {504, 44.5, "CarrerToNoiseDbm=44.500000000\r\n"},
      {500, 1.0, "CarrierEnabled=YES\r\n"},
      {501, 1.0, "ModulationEnabled=YES\r\n"},
      {502, 1.0, "NoiseEnabled=YES\r\n"},
  };
  for (const Kept& row : rows) {
    SCOPED_TRACE(row.command);
    EXPECT_FALSE(fileHolds(row.line));
    ASSERT_TRUE(Command(0, 0, row.command, row.value).Success());
    EXPECT_TRUE(RunUntil([&] { return fileHolds(row.line); }, std::chrono::seconds(5)));
  }
  // A modulation type is kept with the next save, not by its own command.
  ASSERT_TRUE(Command(0, 0, 506, 0.0, "BPSK").Success());
  RunUntil([] { return false; }, std::chrono::milliseconds(500));
  EXPECT_FALSE(fileHolds("ModulationType=BPSK\r\n"));
  ASSERT_TRUE(Command(0, 0, 503, -34.0).Success());
  EXPECT_TRUE(RunUntil([&] { return fileHolds("ModulationType=BPSK\r\n"); }, std::chrono::seconds(5)));
}

}  // namespace
}  // namespace remotetest
