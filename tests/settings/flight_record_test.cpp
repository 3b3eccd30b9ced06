// The flight-record writer: byte-exact files of two cards (headers with each card's channel
// numbers, field widths, fixed and scientific columns, the BER placeholder, the setup fields),
// numbers wider than their column (cut in their decimals only), restarting and stopping, and
// failed starts, opens and writes.
#include "settings/flight_record.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "card/rtl20_manager.h"
#include "config/general_routines.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "support/log_capture.h"
#include "support/scripted_dialogs.h"

namespace {

using config::flightrecordparamoptions;
using settings::FlightRecordColumnTable;
using settings::flightrecordinfo;
using testsupport::ReadWholeFile;

void SetHeader(config::FlightRecordHeaderText& field, const char* text) {
  std::memset(field, 0, sizeof field);
  std::strncpy(field, text, sizeof field - 1);
}

struct ColumnSpec {
  int Channel;
  int Index;
  int Width;
  int Decimals;
  bool Scientific;
  const char* Header[3];
};

// Every column off with headers that must never show; then the listed ones on.
void SetColumns(FlightRecordColumnTable& table, std::initializer_list<ColumnSpec> specs, bool setup0, bool setup1) {
  for (auto& channel : table) {
    for (flightrecordparamoptions& column : channel) {
      column = flightrecordparamoptions{};
      column.Width = 5;
      for (auto& header : column.HeaderText) SetHeader(header, "HIDDEN");
    }
  }
  for (const ColumnSpec& spec : specs) {
    flightrecordparamoptions& column = table[spec.Channel][spec.Index];
    column.Enabled = 1;
    column.Width = spec.Width;
    column.Decimals = spec.Decimals;
    column.Scientific = spec.Scientific ? 1 : 0;
    for (int line = 0; line < 3; ++line) SetHeader(column.HeaderText[line], spec.Header[line]);
  }
  table[0][0].IncludeSetup = setup0 ? 1 : 0;
  table[1][0].IncludeSetup = setup1 ? 1 : 0;
}

// Channel 1: time, RSSI, IF frequency (scientific), Eb/No, BER, lock and the setup fields;
// channel 2: RSSI, IF power, BER and lock.
void SetTwoChannelColumns(FlightRecordColumnTable& table) {
  using namespace config;
  SetColumns(table,
             {{0, kFltColTime, 19, 6, false, {"Time", "ddd:hh:mm:ss.ssssss", ""}},
              {0, kFltColRssi, 7, 1, false, {"Ch1", "RSSI", "dBm"}},
              {0, kFltColIfCarrierFreq, 10, 3, true, {"Ch1 Frq", "IF Car", "Hz"}},
              {0, kFltColEbNo, 7, 1, false, {"Ch1", "Eb/No", "dB"}},
              {0, kFltColBer, 9, 5, false, {"Ch1", "BER", ""}},
              {0, kFltColBitSyncLock, 6, 0, false, {"Ch1", "B/S Lk", ""}},
              {1, kFltColRssi, 7, 1, false, {"Ch2", "RSSI", "dBm"}},
              {1, kFltColIfCarrierPower, 10, 1, false, {"Ch2 Pwr", "IF Car 1", "dBm"}},
              {1, kFltColBer, 9, 2, false, {"Ch2", "BER", ""}},
              {1, kFltColBitSyncLock, 6, 0, false, {"Ch2", "B/S Lk", ""}}},
             true, false);
}

// `text` with every `from` replaced by its `to`.
std::string Replaced(std::string text, std::initializer_list<std::pair<std::string, std::string>> edits) {
  for (const auto& [from, to] : edits) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
      text.replace(at, from.size(), to);
    }
  }
  return text;
}

// The header lines of SetTwoChannelColumns; line 1 of the first and of the second card.
const std::string kHeader1Card1 =
    "Time               , Ch1    , Ch1 Frq   , Ch1    , Ch1      , Ch1   , Tuned    , SAW      , AGC      , "
    "PCM         , Bit         , Demod       , IF          , Peak     , Peak Dec , , "
    "Ch2    , Ch2 Pwr   , Ch2      , Ch2   ";
const std::string kHeader1Card2 = Replaced(kHeader1Card1, {{"Ch1", "Ch3"}, {"Ch2", "Ch4"}});
const std::string kHeader2 =
    "ddd:hh:mm:ss.ssssss, RSSI   , IF Car    , Eb/No  , BER      , B/S Lk, Freq     , IF BW    , TC       , "
    "Input       , Rate        , Type        , Input       , Dev      , Index    , , "
    "RSSI   , IF Car 1  , BER      , B/S Lk";
const std::string kHeader3 =
    "                   , dBm    , Hz        , dB     ,          ,       , MHz      , kHz      , Secs     , "
    "Code        , MBps        ,             , Source      , Index    , Delta    , , "
    "dBm    , dBm       ,          ,       ";

// The first card's values: channel 1 locked with a BER and a demodulator name too long for its
// column, channel 2 without a converter and its BERT not locked.
void SetFirstCardValues(flightrecordinfo& record) {
  settings::flightrecordparaminfo& a = record.Params[0];
  a.Rssi = -45.26;
  a.IfCarrierFreqHz = 70'000'123.0;
  a.EbNoDb = 12.34;
  a.Ber = 1.5e-5;
  a.BerValid = 1;
  a.BitSyncLock = 1;
  a.TunedFreqMhz = 2250.5;
  a.IfBandwidthKhz = 10000.0;
  a.AgcTimeConstMsecs = 0.1;  // written in seconds
  a.PcmInputCode = "NRZ-L";
  a.BitRateMbps = 2.0;
  a.DemodType = "SOQPSK-TG-LONGNAME";
  a.InputSource = "IF_1";
  a.PeakDeviation = 0.35;
  a.PeakDeviationSpread = 0.05;
  settings::flightrecordparaminfo& b = record.Params[1];
  b.IfCarrierPowerDbm = -60.04;
  b.Ber = 0.5;  // not shown: the BERT is not locked
}

const std::string kCard1Line1 =
    "000:01:02:03.500000, -45.3  ,  7.000E+07, 12.3   ,  1.50E-05, 1     , 2250.50  , 10000.000, 0.00010  , "
    "NRZ-L       , 2.0000      , SOQPSK-TG-LO, IF_1        , 0.35     , 0.05     , , "
    "-200.0 , -60.0     , -------  , 0     ";
// The second tick: channel 2's BERT locked.
const std::string kCard1Line2 =
    Replaced(kCard1Line1, {{"03.500000", "03.600000"}, {"-60.0     , -------  ", "-60.0     ,  5.00E-01"}});
// The second card: only a BER on channel 1.
std::string Card2Line(const std::string& time) {
  return time +
         ", -200.0 ,  0.000E+00, 0.0    ,  1.23E-06, 0     , 0.00     , 0.000    , 0.00000  , "
         "            , 0.0000      ,             ,             , 0.00     , 0.00     , , "
         "-200.0 , 0.0       , -------  , 0     ";
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  return bytes;
}

class FlightRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    options_ = std::make_unique<config::kr20optionclass>(false);
    config::gApp.Options = options_.get();
    cards_ = std::make_unique<quorxrtl20mgrclass>(program_.Path());
    cards_->SetCardCount(2);
    gRtl20Mgr = cards_.get();
    manager_ = std::make_unique<kr20setmgrclass>();
    dialogs_ = std::make_shared<testsupport::ScriptedDialogs>();
    util::SetDialogService(dialogs_);
    config::gApp.MasterTimerCurrentTime = 3723.5;
  }
  void TearDown() override {
    manager_.reset();
    util::SetDialogService(nullptr);
    config::gApp.Options = nullptr;
    gRtl20Mgr = nullptr;
    cards_.reset();
    config::gApp.Recording = false;
    config::gApp.MasterTimerCurrentTime = 0.0;
  }
  FlightRecordColumnTable& Columns() { return options_->Info().FlightRecordParamOptions; }
  flightrecordinfo& Record(int card) { return manager_->FlightRecords[static_cast<std::size_t>(card)]; }
  std::string FileOf(int card) { return config::CurrentArchiveDir() + "/FltData.Kr20_" + std::to_string(card + 1); }

  testsupport::LoggedProgramFolder program_;
  std::unique_ptr<config::kr20optionclass> options_;
  std::unique_ptr<quorxrtl20mgrclass> cards_;
  std::unique_ptr<kr20setmgrclass> manager_;
  std::shared_ptr<testsupport::ScriptedDialogs> dialogs_;
};

TEST_F(FlightRecordTest, TwoCardsWriteHeadersAndOneLinePerTickUntilRestartedOrStopped) {
  SetTwoChannelColumns(Columns());
  SetFirstCardValues(Record(0));
  Record(1).Params[0].Ber = 1.234e-6;
  Record(1).Params[0].BerValid = 1;

  // Recording switched on: the first tick starts the record and writes its line at once.
  config::gApp.Recording = true;
  manager_->WriteFlightRecordLines();
  ASSERT_TRUE(config::gApp.Recording.load());
  const std::string first = config::CurrentArchiveDir();
  EXPECT_EQ(std::filesystem::path(first).parent_path(), std::filesystem::path(program_ / "USER/ARCHIVEDATA"));

  Record(0).Params[1].BerValid = 1;
  config::gApp.MasterTimerCurrentTime = 3723.6;
  manager_->WriteFlightRecordLines();

  // Read while still open: every line is on disk as soon as its tick ends.
  EXPECT_EQ(ReadWholeFile(FileOf(0)), Lines({kHeader1Card1, kHeader2, kHeader3, kCard1Line1, kCard1Line2}));
  EXPECT_EQ(ReadWholeFile(FileOf(1)), Lines({kHeader1Card2, kHeader2, kHeader3, Card2Line("000:01:02:03.500000"),
                                             Card2Line("000:01:02:03.600000")}));

  // "Restart Logging" while recording: a new folder with fresh files.
  manager_->StartFlightRecord();
  EXPECT_TRUE(config::gApp.Recording.load());
  EXPECT_NE(config::CurrentArchiveDir(), first);
  const std::string restarted = FileOf(0);
  EXPECT_EQ(ReadWholeFile(restarted), Lines({kHeader1Card1, kHeader2, kHeader3}));

  // Stopped: closed, recording off, and no more lines.
  manager_->StopFlightRecord();
  EXPECT_EQ(Record(0).File, nullptr);
  EXPECT_FALSE(config::gApp.Recording.load());
  manager_->WriteFlightRecordLines();
  EXPECT_EQ(ReadWholeFile(restarted), Lines({kHeader1Card1, kHeader2, kHeader3}));
}

TEST_F(FlightRecordTest, AFailedStartReportsOnceAndStaysOff) {
  // ARCHIVEDATA is a file: no archive folder can be made.
  std::filesystem::create_directories(program_ / "USER");
  ASSERT_TRUE(testsupport::WriteWholeFile(program_ / "USER/ARCHIVEDATA", "in the way"));
  SetTwoChannelColumns(Columns());
  const std::size_t logBefore = program_.LogTexts().size();

  config::gApp.Recording = true;
  manager_->WriteFlightRecordLines();
  EXPECT_FALSE(config::gApp.Recording.load());
  // One try for the whole pass, not one per card: one log line and one box.
  EXPECT_EQ(program_.LogTexts().size(), logBefore + 1);
  EXPECT_EQ(dialogs_->Messages().size(), 1u);
  for (int tick = 0; tick < 5; ++tick) manager_->WriteFlightRecordLines();
  EXPECT_EQ(program_.LogTexts().size(), logBefore + 1);
  EXPECT_EQ(dialogs_->Messages().size(), 1u);
}

TEST_F(FlightRecordTest, AFileThatCannotBeOpenedClosesTheOnesAlreadyOpen) {
  SetTwoChannelColumns(Columns());
  std::array<flightrecordinfo, 3> records{};
  const std::string bad = program_ / "NO_SUCH_FOLDER/FltData.Kr20_3";
  const auto nameOf = [&](int card) {
    return card == 2 ? bad : program_ / ("FltData.Kr20_" + std::to_string(card + 1));
  };
  const std::size_t logBefore = program_.LogLines().size();

  EXPECT_FALSE(settings::OpenFlightRecordFiles(records, Columns(), nameOf));
  for (const flightrecordinfo& record : records) EXPECT_EQ(record.File, nullptr);
  const std::vector<std::string> lines = program_.LogLines();
  ASSERT_EQ(lines.size(), logBefore + 1);
  EXPECT_EQ(lines.back().substr(0, 6), "000002");  // numbered with the card index
  EXPECT_EQ(program_.LogTexts().back(), "CANNOT OPEN FILE " + bad + "  Check permissions");
  // The files opened before it were closed with their headers complete.
  EXPECT_EQ(ReadWholeFile(program_ / "FltData.Kr20_2"), Lines({kHeader1Card2, kHeader2, kHeader3}));
}

TEST_F(FlightRecordTest, AFailedWriteIsReportedOnce) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  flightrecordinfo record;
  record.File = std::fopen("/dev/full", "wb");
  ASSERT_NE(record.File, nullptr);
  record.FileName = "/dev/full";
  const std::size_t logBefore = program_.LogTexts().size();
  EXPECT_FALSE(settings::WriteFlightRecordLine(record, 4, "line"));
  EXPECT_FALSE(settings::WriteFlightRecordLine(record, 4, "line"));
  settings::CloseFlightRecordFile(record, 4);
  const std::vector<std::string> texts = program_.LogTexts();
  ASSERT_EQ(texts.size(), logBefore + 1);
  EXPECT_EQ(texts.back(), "CANNOT WRITE FILE /dev/full");
  EXPECT_EQ(record.File, nullptr);
}

TEST(FlightRecordLines, NumbersWiderThanTheirColumnLoseDecimalsOnly) {
  FlightRecordColumnTable table{};
  using namespace config;
  SetColumns(table,
             {{0, kFltColTime, 8, 0, false, {"", "", ""}},
              {0, kFltColRssi, 3, 1, false, {"", "", ""}},
              {0, kFltColIfCarrierPower, 7, 4, false, {"", "", ""}},
              {0, kFltColIfCarrierFreq, 6, 2, false, {"", "", ""}},
              {0, kFltColDeviation, 4, 3, true, {"", "", ""}},
              {0, kFltColEbNo, 20, 9, false, {"", "", ""}},
              {0, kFltColBer, 3, 0, false, {"", "", ""}}},
             true, false);
  flightrecordinfo record;
  settings::flightrecordparaminfo& p = record.Params[0];
  p.Rssi = -123.4;                  // integer digits wider than the column
  p.IfCarrierPowerDbm = -12.34567;  // cut in its decimals, like a text
  p.IfCarrierFreqHz = 1e17;         // 18 integer digits: more than the 16 characters of a fixed number
  p.Deviation = 70e6;               // scientific, wider than 4: never cut
  p.EbNoDb = 1234567890123.5678;    // cut to 16 characters in its decimals
  p.BerValid = 0;                   // the placeholder is a text: cut to the column
  p.TunedFreqMhz = 123456789.5;
  p.AgcTimeConstMsecs = 1234567.0;  // 1234.567 s: its five decimals cut to the 9 characters
  p.BitRateMbps = 12345678.25;
  p.PcmInputCode = "A-VERY-LONG-CODE-NAME";
  EXPECT_EQ(settings::FlightRecordDataLine(table, record, 90061.25),
            "001:01:01:01, -123, -12.345, 100000000000000000, 7.000E+07, 1234567890123.56    , ---, "
            "123456789, 0.000    , 1234.5670, A-VERY-LONG-, 12345678.250, "
            "            ,             , 0.00     , 0.00     , ");
}

}  // namespace
