// The files rewritten whole with a ".BAK" of the previous one (options, hardware configuration,
// FPGA configuration, window positions, last setup): a damaged file is named in the log and read
// from its ".BAK", and saving over it never replaces that whole ".BAK".
#include <functional>
#include <string>

#include "card/hwcfg_manager.h"
#include "config/options_store.h"
#include "config/window_positions.h"
#include "multi_card_fixture.h"
#include "settings/last_setup.h"
#include "settings/setup_file.h"

namespace {

using testsupport::ReadWholeFile;
using testsupport::WriteWholeFile;

class KeptFilesTest : public settingstest::MultiCardTest {
 protected:
  void SetUp() override { StartCards({{false, 0}}); }
};

struct KeptFile {
  const char* name;
  std::string path;
  std::string damage;  // written over the file: a file of this kind lacking what every one holds
  std::string reason;  // as the log gives it
  std::function<void(int)> set;  // one value of the file into memory
  std::function<bool()> save;
  std::function<int()> load;  // loads the file and gives the value back
};

TEST_F(KeptFilesTest, ADamagedFileIsReadFromItsBakWhichItsSaveKeeps) {
  // The last setup names setup files that exist, one per value.
  for (int value = 1; value <= 4; ++value) {
    manager_->SetupFileNames[0] = SetupFile("SETUP" + std::to_string(value));
    ASSERT_TRUE(settings::SaveCardSetupFile(0));
  }
  config::SetDefaultWindowPositions();
  const KeptFile files[] = {
      {"last setup", HwCfg("Kr20Last.last"), "[KR20_CommonArea]\r\n", "no key NumKr20Cards in section KR20_CommonArea",
       [this](int v) { manager_->SetupFileNames[0] = SetupFile("SETUP" + std::to_string(v)); },
       [] { return settings::SaveLastSetupFile(); },
       [this] {
         settings::LoadLastSetupFile();
         for (int v = 1; v <= 4; ++v) {
           if (manager_->SetupFileNames[0] == SetupFile("SETUP" + std::to_string(v))) return v;
         }
         return 0;
       }},
      {"options", program_ / "SYSTEM/OPTIONS/Kr20Options.opt", "[COLORS]\r\nGrid=00FFFFFF\r\n", "no section OPTIONS",
       [this](int v) { options_.Info().DataRecordRateHz = v; },
       [this] { return config::kr20optionclass::SaveOptions(options_.Info()); },
       [this] {
         config::kr20optionclass::LoadOptions(options_.Info());
         return static_cast<int>(options_.Info().DataRecordRateHz);
       }},
      {"FPGA configuration", HwCfg("Kr20FpgaCfg.cfg"), "[Card_1]\r\nForceLoad=0\r\n", "no section Card_0",
       [this](int v) { cards_->LoadState(5).DefaultFpgaMode = v; }, [this] { return cards_->SaveFpgaConfigFile(); },
       [this] {
         cards_->LoadFpgaConfigFile();
         return static_cast<int>(cards_->LoadState(5).DefaultFpgaMode);
       }},
      {"window positions", HwCfg("Kr20Last.pos"), "[PeekPoke_0]\r\nLeft=1\r\n", "no section MainWindow",
       [](int v) { config::gApp.MainWindowPlacement.Left = v; }, [] { return config::SaveGlobalPositionInfo(); },
       [] {
         config::LoadGlobalPositionInfo();
         return static_cast<int>(config::gApp.MainWindowPlacement.Left);
       }},
      {"hardware configuration", HwCfg("Kr20HwCfg.cfg"), "[Kr12]\r\nEnabled=YES\r\n", "no section Kr20",
       [this](int v) { hwcfg_->EnableRecords[card::kHwCfgKr14].NumToSimulate = v; },
       [this] { return hwcfg_->SaveConfigFile(); },
       [this] {
         hwcfg_->LoadConfigFile();
         return static_cast<int>(hwcfg_->EnableRecords[card::kHwCfgKr14].NumToSimulate);
       }},
  };
  for (const KeptFile& file : files) {
    SCOPED_TRACE(file.name);
    const std::string bak = file.path + ".BAK";
    file.set(1);
    ASSERT_TRUE(file.save());
    file.set(2);
    ASSERT_TRUE(file.save());
    const std::string whole = ReadWholeFile(bak);
    ASSERT_TRUE(WriteWholeFile(file.path, file.damage));

    file.set(3);
    EXPECT_EQ(file.load(), 1);
    EXPECT_TRUE(Logged(file.path + " is damaged (" + file.reason + "); read from " + bak));

    file.set(4);
    ASSERT_TRUE(file.save());
    EXPECT_EQ(ReadWholeFile(bak), whole);
    EXPECT_TRUE(Logged(file.path + " is damaged (" + file.reason + "); its whole .BAK is kept"));
    file.set(3);
    EXPECT_EQ(file.load(), 4);  // the file saved in place of the damaged one
  }
}

}  // namespace
