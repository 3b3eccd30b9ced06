// Values that cannot be taken as read, through every reader of a start-up file: each is logged
// once, naming the file, section and key and the value the reader keeps instead.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "card/hwcfg_manager.h"
#include "card/records/card_setup_record.h"
#include "card/records/dncvt_channel_record.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "config/window_positions.h"
#include "settings/setup_file.h"
#include "support/log_capture.h"
#include "util/process_globals.h"

namespace {

struct DamagedValue {
  const char* name;
  std::string text;    // as the file holds it
  std::string logged;  // as the log line quotes it
};

const std::vector<DamagedValue>& DamagedValues() {
  static const std::vector<DamagedValue> rows{
      {"NaN", "NaN", "\"NaN\""},
      {"inf", "inf", "\"inf\""},
      {"1e999", "1e999", "\"1e999\""},
      {"2147483648", "2147483648", "\"2147483648\""},
      {"binary", "\x01\x7F\xFE\xFF", "\"\\x01\\x7f\\xfe\\xff\""},
      {"trailing garbage", "12abc", "\"12abc\""},
  };
  return rows;
}

std::string HardwareFolder(const testsupport::LoggedProgramFolder& program) {
  return program / "SYSTEM/HARDWARECONFIGURATION";
}

// One reader: writes its file with the value in one key, reads it, and gives the line it must log.
struct Reader {
  const char* name;
  std::function<std::string(const testsupport::LoggedProgramFolder&, const std::string& text)> write;
  std::function<void(const std::string& file)> read;
  std::function<std::string(const std::string& file, const std::string& logged)> line;
};

// A whole setup file as the program writes it, with one value replaced.
std::string WriteSetupFile(const testsupport::LoggedProgramFolder& program, const std::string& text) {
  const std::string file = program / "DAMAGED.VexA";
  card::CardSetupRecord setup{};
  setup.RouteInfo.RouteMode = 3;
  card::DnCvtChannelRecord a{};
  card::DnCvtChannelRecord b{};
  EXPECT_TRUE(settings::WriteCardSetup(4, file, setup, a, b));
  std::string bytes = testsupport::ReadWholeFile(file);
  const std::size_t at = bytes.find("Route Mode=3\r\n");
  EXPECT_NE(at, std::string::npos);
  bytes.replace(at, 14, "Route Mode=" + text + "\r\n");
  EXPECT_TRUE(testsupport::WriteWholeFile(file, bytes));
  return file;
}

const std::vector<Reader>& Readers() {
  static const std::vector<Reader> readers{
      {"hardware configuration",
       [](const testsupport::LoggedProgramFolder& program, const std::string& text) {
         const std::string file = HardwareFolder(program) + "/Kr20HwCfg.cfg";
         EXPECT_TRUE(testsupport::WriteWholeFile(file, "[Kr20]\r\nNumToSimulate=" + text + "\r\n"));
         return file;
       },
       [](const std::string&) {
         quorxhwcfgmgrclass manager;
         manager.LoadConfigFile();
       },
       [](const std::string&, const std::string& logged) {
         return "Kr20HwCfg.cfg [Kr20] NumToSimulate=" + logged + " is not a valid number; 1 used";
       }},
      {"FPGA configuration",
       [](const testsupport::LoggedProgramFolder& program, const std::string& text) {
         const std::string file = HardwareFolder(program) + "/Kr20FpgaCfg.cfg";
         EXPECT_TRUE(testsupport::WriteWholeFile(file, "[Card_0]\r\n[Card_3]\r\nDesiredFpgaMode=4\r\nCurrentFpgaMode=" + text +
                                                           "\r\n"));
         return file;
       },
       [](const std::string&) {
         quorxrtl20mgrclass manager("");
         manager.LoadFpgaConfigFile();
       },
       [](const std::string&, const std::string& logged) {
         return "Kr20FpgaCfg.cfg [Card_3] CurrentFpgaMode=" + logged + " is not a valid number; 16 used";
       }},
      {"options",
       [](const testsupport::LoggedProgramFolder&, const std::string& text) {
         const std::string file = config::OptionsFilePath();
         std::filesystem::create_directories(std::filesystem::path(file).parent_path());
         EXPECT_TRUE(testsupport::WriteWholeFile(file, "[OPTIONS]\r\nDataRecordRateHz=" + text + "\r\n"));
         return file;
       },
       [](const std::string&) { config::kr20optionclass options(true); },
       [](const std::string&, const std::string& logged) {
         return "Options file: [OPTIONS] DataRecordRateHz = " + logged + " not a number, using 1";
       }},
      {"window positions",
       [](const testsupport::LoggedProgramFolder& program, const std::string& text) {
         const std::string file = HardwareFolder(program) + "/Kr20Last.pos";
         // The key before it was read well: the value kept is still the width held.
         EXPECT_TRUE(testsupport::WriteWholeFile(file, "[MainWindow]\r\nTop=10\r\nWidth=" + text + "\r\n"));
         return file;
       },
       [](const std::string&) {
         config::SetDefaultWindowPositions();
         config::LoadGlobalPositionInfo();
       },
       [](const std::string&, const std::string& logged) {
         return "Kr20Last.pos [MainWindow] Width=" + logged + " is not a valid number; 1280 used";
       }},
      {"card setup", WriteSetupFile,
       [](const std::string& file) {
         card::CardSetupRecord setup{};
         setup.RouteInfo.RouteMode = 2;
         card::DnCvtChannelRecord a{};
         card::DnCvtChannelRecord b{};
         EXPECT_TRUE(settings::ReadCardSetup(4, file, setup, a, b));
         EXPECT_EQ(static_cast<int>(setup.RouteInfo.RouteMode), 2);
       },
       [](const std::string& file, const std::string& logged) {
         return "Setup file " + file + ": [Stream Route Info] Route Mode = " + logged + " not a number, using 2";
       }},
  };
  return readers;
}

TEST(DamagedValues, EveryReaderLogsTheValueItKeeps) {
  util::SetScreenSize({1920, 1080});
  for (const Reader& reader : Readers()) {
    for (const DamagedValue& value : DamagedValues()) {
      SCOPED_TRACE(std::string(reader.name) + ", " + value.name);
      testsupport::LoggedProgramFolder program;
      std::filesystem::create_directories(HardwareFolder(program));
      const std::string file = reader.write(program, value.text);
      const std::size_t before = program.LogTexts().size();
      reader.read(file);
      const std::vector<std::string> texts = program.LogTexts();
      EXPECT_EQ(std::vector<std::string>(texts.begin() + static_cast<std::ptrdiff_t>(before), texts.end()),
                std::vector<std::string>{reader.line(file, value.logged)});
    }
  }
  util::SetScreenSize({});
}

}  // namespace
