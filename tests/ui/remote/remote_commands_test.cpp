// Every card and receiver command over loopback with an argument it takes and one it refuses: the
// reply, the log line, and what the next group-status datagram of the card shows of the change
// (the card setup record, and the card's own read-back in the channel status records). A refused
// request leaves the card's setup record as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>

#include "card/card_routines.h"
#include "card/dncvt_manager.h"
#include "card/kr20card.h"
#include "card/rtl20_manager.h"
#include "card/setup_routines.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "net/remote_command_table.h"
#include "settings/set_manager.h"
#include "remote_fixture.h"
#include "util/number_text.h"

namespace remotetest {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

using Shows = std::function<bool(const GroupStatus&)>;

std::string Text(const char (&field)[card::kSetupTextLen]) { return card::SetupText(field); }

struct Case {
  const char* name;
  std::int32_t group;
  std::int32_t channel;
  std::int32_t command;
  double value;
  std::string text;
  const char* refusal;  // nullptr: the command succeeds
  Shows shows;          // what the next group status of card 0 shows (successes only)
};

class RemoteCommandsTest : public RemoteTest {
 protected:
  // The program with the timer's own adjustment of the PCM/FM tracking loop off: at 5 Hz it
  // rewrites channel 2's tracking loop bandwidth in the setup record whenever the measured carrier
  // spread has moved, at moments that depend on the machine's load, and a refused command's
  // before-and-after comparison of the setup would take that for the command's doing.
  void StartRemote() {
    RemoteTest::StartRemote();
    if (HasFatalFailure()) return;
    config::gApp.Options->Info().EnableIFCarCFAlg = 0;
  }

  card::CardSetupRecord SetupOf(int cardIndex) const { return gRtl20Mgr->Card(cardIndex)->Setup(); }

  void Run(const Case& row) {
    SCOPED_TRACE(row.name);
    const card::CardSetupRecord before0 = SetupOf(0);
    const card::CardSetupRecord before1 = SetupOf(1);
    const Reply reply = Command(row.group, row.channel, row.command, row.value, row.text);
    ASSERT_TRUE(reply.Received());
    const net::RemoteCommandEntry* entry = net::FindRemoteCommand(row.command);
    ASSERT_NE(entry, nullptr);
    const std::string value = util::FloatToFixedText(16, 6, row.value);
    if (row.refusal != nullptr) {
      EXPECT_FALSE(reply.Success());
      EXPECT_EQ(reply.Message(), row.refusal);
      const std::string name(std::string(row.refusal) == "Invalid Channel Index" ? std::string_view("UNKNOWN COMMAND") : entry->Name);
      EXPECT_EQ(LastRemoteLine(), Line(row.command, name, value, std::string("  FAILED ") + row.refusal));
      const card::CardSetupRecord after0 = SetupOf(0);
      const card::CardSetupRecord after1 = SetupOf(1);
      EXPECT_EQ(std::memcmp(&before0, &after0, sizeof before0), 0) << "card 0's setup changed";
      EXPECT_EQ(std::memcmp(&before1, &after1, sizeof before1), 0) << "card 1's setup changed";
      return;
    }
    EXPECT_TRUE(reply.Success()) << reply.Message();
    EXPECT_EQ(reply.Message(), "");
    EXPECT_EQ(reply.ValueCount(), 0u);
    EXPECT_EQ(reply.TextCount(), 0u);
    EXPECT_EQ(LastRemoteLine(), Line(row.command, std::string(entry->Name), value, " Processed OK"));
    if (row.shows) {
      const GroupStatus status = WaitGroupStatus(row.shows);
      ASSERT_TRUE(status.Valid());
      EXPECT_TRUE(row.shows(status));
    }
  }

  // A frequency inside the first used band of card 0's channel converter.
  double InBandMhz(int channel) const {
    const int index = card::GetDownConverterIndex(0, channel);
    EXPECT_GE(index, 0);
    const card::DnCvtFreqBand band = gDnCvtMgr->Records[static_cast<std::size_t>(index)].FreqBands[0];
    return (band.StartMhz + band.StopMhz) / 2.0;
  }
};

TEST_F(RemoteCommandsTest, CardCombinerAndAgcCommands) {
  StartRemote();
  const Case cases[] = {
      {"reload firmware", 0, 0, 100, 0.0, "", nullptr, nullptr},
      {"reload firmware, channel 2", 0, 2, 100, 0.0, "", "Invalid Channel Index", nullptr},
      {"recall project never succeeds", 0, 0, 104, 0.0, "", "", nullptr},
      {"combiner polarity on only for 1.0", 0, 0, 200, 1.0, "", nullptr,
       [](const GroupStatus& s) { return s.Setup().PreD.CombinerModePolarity == 1; }},
      {"combiner polarity 0.5 is off", 0, 0, 200, 0.5, "", nullptr,
       [](const GroupStatus& s) { return s.Setup().PreD.CombinerModePolarity == 0; }},
      {"combiner polarity, channel 3", 0, 3, 200, 1.0, "", "Invalid Channel Index", nullptr},
      {"post-D polarity on", 0, 1, 201, 1.0, "", nullptr,
       [](const GroupStatus& s) { return s.Setup().PostD.CombinerModePolarity == 1; }},
      {"post-D polarity, channel 3", 0, 3, 201, 1.0, "", "Invalid Channel Index", nullptr},
      {"AGC slope mode changes nothing", 0, 0, 300, 123.0, "", nullptr, nullptr},
      {"AGC freeze", 0, 0, 301, 1.0, "", nullptr,
       [](const GroupStatus& s) { return s.Status(0).DnCvt.AgcFreeze == 1; }},
      {"AGC freeze 0.5 unfreezes", 0, 0, 301, 0.5, "", nullptr,
       [](const GroupStatus& s) { return s.Status(0).DnCvt.AgcFreeze == 0; }},
      {"AGC freeze, channel 9", 0, 9, 301, 1.0, "", "Invalid Channel Index", nullptr},
      {"AGC zero", 0, 1, 302, 1.0, "", nullptr, [](const GroupStatus& s) { return s.Status(1).DnCvt.AgcZero == 1; }},
      {"AGC zero, channel -1", 0, -1, 302, 1.0, "", "Invalid Channel Index", nullptr},
  };
  for (const Case& row : cases) Run(row);
}

TEST_F(RemoteCommandsTest, ReceiverCommands) {
  StartRemote();
  // Card 0 to PSK on channel 0 and PCM/FM on channel 1 (operation mode 2, personality 1).
  ASSERT_TRUE(UseOperationalMode(0, 2.0, 1));
  ASSERT_TRUE(card::IsPcmFmChannel(0, 1));
  ASSERT_FALSE(card::IsPcmFmChannel(0, 0));
  const double tuned = InBandMhz(0);
  const std::uint32_t maxRate = gRtl20Mgr->Card(0)->MaxDataRate();
  ASSERT_GT(maxRate, 1000001u);
  const std::string unterminated(net::kRemoteOptionTextBytes, 'A');
  const Case cases[] = {
      {"restart acquisition", 0, 0, 400, 0.0, "", nullptr, nullptr},
      {"restart acquisition, channel 2", 0, 2, 400, 0.0, "", "Invalid Channel Index", nullptr},
      {"tune inside a band", 0, 0, 401, tuned, "", nullptr,
       [tuned](const GroupStatus& s) { return std::abs(s.Status(0).DnCvt.TunedFreqMhz - tuned) < 1e-6; }},
      {"tune outside every band", 0, 0, 401, 1.0, "", "Not Valid Tuned Freq", nullptr},
      {"tune to NaN", 0, 0, 401, kNaN, "", "Not Valid Tuned Freq", nullptr},
      {"tune a channel without a converter", 1, 0, 401, tuned, "", "Not Valid Tuned Freq", nullptr},
      {"BPSK on the PSK channel", 0, 0, 402, 3.0, "", nullptr,
       [](const GroupStatus& s) {
         return Text(s.Setup().Receiver[0].DemodMode) == "BPSK" &&
                std::string(s.Status(0).Receiver.ReceiverName) == "BPSK";
       }},
      {"FM on the PSK channel", 0, 0, 402, 0.0, "", "FM Format not supported on this channel this mode", nullptr},
      {"multi-h CPM on the PSK channel", 0, 0, 402, 6.0, "", "Modulation Format not supported at this time", nullptr},
      {"AUQPSK on the PSK channel", 0, 0, 402, 7.0, "", "Modulation Format not supported at this time", nullptr},
      {"format 7.99, the highest below 8", 0, 0, 402, 7.99, "", "Modulation Format not supported at this time", nullptr},
      {"format 8", 0, 0, 402, 8.0, "", "Unsupported Modulation Format", nullptr},
      {"PSK format on the PCM/FM channel", 0, 1, 402, 1.0, "", "Only FM Format on this channel this mode", nullptr},
      {"PCM/FM on the PCM/FM channel", 0, 1, 402, 0.0, "", nullptr,
       [](const GroupStatus& s) { return Text(s.Setup().Receiver[1].DemodMode) == "PCM_FM"; }},
      {"data rate cut to whole bit/s", 0, 0, 403, 1000000.9, "", nullptr,
       [](const GroupStatus& s) { return s.Setup().Receiver[0].BitSync[0].Bitrate == 1000000; }},
      {"data rate 100, the lowest", 0, 0, 403, 100.0, "", nullptr,
       [](const GroupStatus& s) { return s.Setup().Receiver[0].BitSync[0].Bitrate == 100; }},
      {"data rate at the card's maximum", 0, 0, 403, static_cast<double>(maxRate), "", nullptr,
       [maxRate](const GroupStatus& s) { return static_cast<std::uint32_t>(s.Setup().Receiver[0].BitSync[0].Bitrate) == maxRate; }},
      {"data rate 99", 0, 0, 403, 99.0, "", "Invalid Data Rate", nullptr},
      {"data rate above the card's maximum", 0, 0, 403, maxRate + 1.0, "", "Invalid Data Rate", nullptr},
      {"data rate infinite", 0, 0, 403, kInf, "", "Invalid Data Rate", nullptr},
      {"PSK input code 8", 0, 0, 404, 8.0, "", nullptr,
       [](const GroupStatus& s) { return Text(s.Setup().Receiver[0].BitSync[0].PcmInputCode) == "DBIOS"; }},
      {"RNRZ-15 on the PCM/FM channel", 0, 1, 404, 12.0, "", nullptr,
       [](const GroupStatus& s) { return Text(s.Setup().Receiver[1].BitSync[0].PcmInputCode) == "RNRZ-15"; }},
      {"PCM/FM input code 8", 0, 1, 404, 8.0, "", "Input Code type not supported this operational mode.", nullptr},
      {"input code 13", 0, 0, 404, 13.0, "", "Unsupported PCM Input Code", nullptr},
      {"output code 5", 0, 0, 405, 5.0, "", nullptr,
       [](const GroupStatus& s) {
         return Text(s.Setup().Receiver[0].BitSync[0].PcmOutputCode) == "BIOS" && s.Status(0).BitSync1.PcmOutputCode == 5;
       }},
      {"output code 6", 0, 0, 405, 6.0, "", "Unsupported PCM Output Code", nullptr},
      {"IF filter 1", 0, 0, 406, 1.0, "", nullptr,
       [](const GroupStatus& s) { return s.Status(0).DnCvt.IfFilterIndex == 1; }},
      {"IF filter 8", 0, 0, 406, 8.0, "", "Unsupported Saw IF Filter selection", nullptr},
      {"IF filter of a channel without a converter", 1, 0, 406, 1.0, "", "This Saw IF Filter selection is unavailable",
       nullptr},
      {"AGC time constant 2", 0, 0, 407, 2.0, "", nullptr,
       [](const GroupStatus& s) { return s.Status(0).DnCvt.AgcTcIndex == 2; }},
      {"AGC time constant 5", 0, 0, 407, 5.0, "", "Unsupported AGC TC selection", nullptr},
      {"data polarity 0.0 inverts", 0, 0, 408, 0.0, "", nullptr,
       [](const GroupStatus& s) { return s.Setup().Receiver[0].InvertOutput == 1 && s.Status(0).Receiver.DataInverted == 1; }},
      {"data polarity 1.0 does not", 0, 0, 408, 1.0, "", nullptr,
       [](const GroupStatus& s) { return s.Setup().Receiver[0].InvertOutput == 0 && s.Status(0).Receiver.DataInverted == 0; }},
      {"data polarity, channel 2", 0, 2, 408, 0.0, "", "Invalid Channel Index", nullptr},
      {"clock polarity 0.0 rising", 0, 0, 409, 0.0, "", nullptr,
       [](const GroupStatus& s) { return Text(s.Setup().Receiver[0].OutputClockPolarity) == "RISING_EDGE"; }},
      {"clock polarity 2.0 falling", 0, 0, 409, 2.0, "", nullptr,
       [](const GroupStatus& s) { return Text(s.Setup().Receiver[0].OutputClockPolarity) == "FALLING_EDGE"; }},
      {"clock polarity, channel 2", 0, 2, 409, 0.0, "", "Invalid Channel Index", nullptr},
      {"stream swap by name", 0, 0, 410, 0.0, "POST_VITERBI", nullptr,
       [](const GroupStatus& s) { return Text(s.Setup().Receiver[0].Routing.StreamSwapLocation) == "POST_VITERBI"; }},
      {"stream swap, name in other case", 0, 0, 410, 2.0, "post_viterbi",
       "Invalid String Command..(check case + spelling)", nullptr},
      {"invert location by index", 0, 0, 411, 1.9, "", nullptr,
       [](const GroupStatus& s) { return Text(s.Setup().Receiver[0].Routing.InvertLocation) == "POST_BITSYNC"; }},
      {"invert location index 4", 0, 0, 411, 4.0, "", "Invalid String Command..(check case + spelling)", nullptr},
      {"recombine location by name", 0, 1, 412, 99.0, "POST_PCM_CODING", nullptr,
       [](const GroupStatus& s) { return Text(s.Setup().Receiver[1].Routing.RecombineLocation) == "POST_PCM_CODING"; }},
      {"recombine location, text filling its field", 0, 1, 412, 0.0, unterminated,
       "Invalid String Command..(check case + spelling)", nullptr},
      {"recombine location, NaN index", 0, 1, 412, kNaN, "", "Invalid String Command..(check case + spelling)",
       nullptr},
  };
  for (const Case& row : cases) Run(row);

  // A new data rate restarts the acquisition: the carrier's extremes start again at the nominal
  // carrier, far below a highest frequency put in before.
  const auto planted = [](const GroupStatus& s) { return s.Status(0).Receiver.HighestSignalFreqHz == 71e6; };
  gKr20SetMgr->StatusRecord(0, 0).Receiver.HighestSignalFreqHz = 71e6;
  ASSERT_TRUE(planted(WaitGroupStatus(planted)));
  Run({"data rate restarts the acquisition", 0, 0, 403, 2000000.0, "", nullptr,
       [](const GroupStatus& s) { return s.Status(0).Receiver.HighestSignalFreqHz < 70.5e6; }});
  // A converter whose table holds a 0 kHz entry has no such filter.
  gDnCvtMgr->Records[static_cast<std::size_t>(card::GetDownConverterIndex(0, 0))].IfFilterBwKhz[3] = 0.0;
  Run({"IF filter of a 0 kHz entry", 0, 0, 406, 3.0, "", "This Saw IF Filter selection is unavailable", nullptr});
}

// On a frequency-diversity pair (pre-D combining, combiner on, normal polarity) a tuning command
// for one channel tunes it and keeps the other channel where it is tuned.
TEST_F(RemoteCommandsTest, TuningOneChannelOfAFrequencyDiversityPairKeepsTheOther) {
  StartRemote();
  ASSERT_TRUE(UseOperationalMode(0, 5.0, 0));
  card::CardSetupRecord& setup = gRtl20Mgr->Card(0)->Setup();
  setup.PreD.CombinerModeOff = 0;
  setup.PreD.CombinerModePolarity = 0;
  ASSERT_TRUE(card::IsFreqDiversityCombining(0));
  const int index = card::GetDownConverterIndex(0, 0);
  ASSERT_GE(index, 0);
  ASSERT_GE(card::GetDownConverterIndex(0, 1), 0);
  const card::DnCvtFreqBand band = gDnCvtMgr->Records[static_cast<std::size_t>(index)].FreqBands[0];
  const double low = band.StartMhz + (band.StopMhz - band.StartMhz) / 4.0;
  const double high = band.StartMhz + (band.StopMhz - band.StartMhz) * 3.0 / 4.0;
  const auto near = [](double a, double b) { return std::abs(a - b) < 1e-6; };

  ASSERT_TRUE(Command(0, 1, 401, high).Success());
  GroupStatus status = WaitGroupStatus([&](const GroupStatus& s) { return near(s.Status(1).DnCvt.TunedFreqMhz, high); });
  ASSERT_TRUE(status.Valid());
  ASSERT_TRUE(near(status.Status(1).DnCvt.TunedFreqMhz, high));

  const Reply reply = Command(0, 0, 401, low);
  ASSERT_TRUE(reply.Success()) << reply.Message();
  status = WaitGroupStatus([&](const GroupStatus& s) { return near(s.Status(0).DnCvt.TunedFreqMhz, low); });
  ASSERT_TRUE(status.Valid());
  EXPECT_NEAR(status.Status(0).DnCvt.TunedFreqMhz, low, 1e-6);
  EXPECT_NEAR(status.Status(1).DnCvt.TunedFreqMhz, high, 1e-6);
  EXPECT_NEAR(gKr20SetMgr->StatusRecord(0, 1).DnCvt.TunedFreqMhz, high, 1e-6);
}

TEST_F(RemoteCommandsTest, BitSyncAndViterbiCommands) {
  StartRemote();
  const Case cases[] = {
      {"bit-sync acquisition range", 0, 0, 450, 12.5, "", nullptr,
       [](const GroupStatus& s) { return s.Setup().Receiver[0].BitSync[0].AcqLoopBandwidthPct == 12.5; }},
      {"bit-sync acquisition range NaN", 0, 0, 450, kNaN, "", "Value Not A Finite Number", nullptr},
      {"bit-sync acquisition range infinite", 0, 0, 450, -kInf, "", "Value Not A Finite Number", nullptr},
      {"bit-sync loop width", 0, 1, 451, 0.25, "", nullptr,
       [](const GroupStatus& s) { return s.Setup().Receiver[1].BitSync[0].TrkLoopBandwidthPct == 0.25; }},
      {"bit-sync loop width infinite", 0, 1, 451, kInf, "", "Value Not A Finite Number", nullptr},
      // The Viterbi settings reach both channels whatever the route mode.
      {"Viterbi rate by name", 0, 0, 452, 0.0, "RATE_ONE_THIRD", nullptr,
       [](const GroupStatus& s) {
         return Text(s.Setup().Receiver[0].BitSync[0].ViterbiRateMode) == "RATE_ONE_THIRD" &&
                Text(s.Setup().Receiver[1].BitSync[0].ViterbiRateMode) == "RATE_ONE_THIRD";
       }},
      {"Viterbi rate by index", 0, 1, 452, 2.0, "", nullptr,
       [](const GroupStatus& s) { return Text(s.Setup().Receiver[1].BitSync[0].ViterbiRateMode) == "RATE_THREE_FOURTHS"; }},
      {"Viterbi rate in other case", 0, 0, 452, 0.0, "rate_one_half", "Invalid String Command..(check case + spelling)",
       nullptr},
      {"Viterbi symbol order by index", 0, 0, 453, 1.0, "", nullptr,
       [](const GroupStatus& s) { return Text(s.Setup().Receiver[0].BitSync[0].ViterbiSymbolOrder) == "G2G1_ORDER"; }},
      {"Viterbi symbol order index 2", 0, 0, 453, 2.0, "", "Invalid String Command..(check case + spelling)", nullptr},
      {"Viterbi enable with 0.0", 0, 0, 454, 0.0, "", nullptr,
       [](const GroupStatus& s) {
         return s.Setup().Receiver[0].BitSync[0].ViterbiDecodeEnabled == 1 &&
                s.Setup().Receiver[1].BitSync[0].ViterbiDecodeEnabled == 1;
       }},
      {"Viterbi 1.0 disables", 0, 0, 454, 1.0, "", nullptr,
       [](const GroupStatus& s) { return s.Setup().Receiver[0].BitSync[0].ViterbiDecodeEnabled == 0; }},
      {"Viterbi enable, channel 2", 0, 2, 454, 0.0, "", "Invalid Channel Index", nullptr},
      {"Viterbi G1 inverted", 0, 0, 455, 0.0, "", nullptr,
       [](const GroupStatus& s) { return s.Setup().Receiver[0].BitSync[0].ViterbiG1Inverted == 1; }},
      {"Viterbi G1, channel 2", 0, 2, 455, 0.0, "", "Invalid Channel Index", nullptr},
      {"Viterbi G2 inverted", 0, 1, 456, 0.0, "", nullptr,
       [](const GroupStatus& s) { return s.Setup().Receiver[1].BitSync[0].ViterbiG2Inverted == 1; }},
      {"Viterbi G2 not inverted with 3.0", 0, 1, 456, 3.0, "", nullptr,
       [](const GroupStatus& s) { return s.Setup().Receiver[1].BitSync[0].ViterbiG2Inverted == 0; }},
      {"Viterbi G2, channel 2", 0, 2, 456, 0.0, "", "Invalid Channel Index", nullptr},
  };
  for (const Case& row : cases) Run(row);
}

TEST_F(RemoteCommandsTest, ReadBacksAnswerTheConverterTables) {
  StartRemote();
  for (int channel = 0; channel < 2; ++channel) {
    SCOPED_TRACE(channel);
    const int index = card::GetDownConverterIndex(0, channel);
    ASSERT_GE(index, 0);
    const card::DnCvtChannelRecord& record = gDnCvtMgr->Records[static_cast<std::size_t>(index)];
    const Reply filters = Command(0, channel, 413, 0.0);
    ASSERT_TRUE(filters.Received());
    EXPECT_TRUE(filters.Success());
    ASSERT_EQ(filters.ValueCount(), 8u);
    EXPECT_EQ(filters.TextCount(), 0u);
    for (std::size_t i = 0; i < 8; ++i) {
      const double bandwidth = record.IfFilterBwKhz[i];  // by value: the record is packed
      EXPECT_EQ(filters.Value(i), bandwidth) << i;
    }
    EXPECT_EQ(filters.Value(8), 0.0);
    EXPECT_EQ(LastRemoteLine(), Line(413, "GET AGC SAW FILTERS", "0.000000", " Processed OK"));
    const Reply times = Command(0, channel, 414, 0.0);
    ASSERT_TRUE(times.Received());
    ASSERT_EQ(times.ValueCount(), 8u);
    for (std::size_t i = 0; i < 8; ++i) {
      const double time = record.AgcTcMsecs[i];
      EXPECT_EQ(times.Value(i), time) << i;
    }
  }
  // Card 1 has no converter: eight zeros.
  for (const std::int32_t command : {413, 414}) {
    SCOPED_TRACE(command);
    const Reply none = Command(1, 0, command, 0.0);
    ASSERT_TRUE(none.Received());
    EXPECT_TRUE(none.Success());
    ASSERT_EQ(none.ValueCount(), 8u);
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(none.Value(i), 0.0);
  }
  const Reply badChannel = Command(0, 4, 413, 0.0);
  EXPECT_EQ(badChannel.Message(), "Invalid Channel Index");
  EXPECT_EQ(badChannel.ValueCount(), 0u);
}

}  // namespace
}  // namespace remotetest
