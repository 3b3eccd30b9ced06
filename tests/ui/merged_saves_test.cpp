// Last-state saves asked for within one pass of the event loop are made once, at its end, with
// what the last of them would have written; none is lost at shut-down or before a load.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "card/rtl20_manager.h"
#include "main_form_fixture.h"
#include "settings/last_setup.h"
#include "settings/last_setup_files.h"
#include "settings/merged_saves.h"
#include "settings/set_manager.h"

namespace uitest {
namespace {

using Counts = std::map<std::string, int>;

// Counts the files renamed into place in one folder (every save replaces its file by a rename).
class Replacements {
 public:
  explicit Replacements(const std::string& folder) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd_ >= 0) inotify_add_watch(fd_, folder.c_str(), IN_MOVED_TO);
  }
  ~Replacements() {
    if (fd_ >= 0) close(fd_);
  }
  Replacements(const Replacements&) = delete;
  Replacements& operator=(const Replacements&) = delete;

  bool Watching() const { return fd_ >= 0; }

  // The renames since the last call, by file name, in the order they came.
  std::vector<std::string> Take() {
    std::vector<std::string> names;
    alignas(inotify_event) char buffer[16384];
    for (ssize_t got; (got = read(fd_, buffer, sizeof buffer)) > 0;) {
      for (ssize_t at = 0; at < got;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        if (event->len > 0) names.emplace_back(event->name);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    return names;
  }

  // The state files' renames by name (the FPGA configuration follows every personality load; a
  // card's ".BAK" copy goes with each save of its file).
  static Counts StateFileCounts(const std::vector<std::string>& names) {
    Counts counts;
    for (const std::string& name : StateFilesOnly(names)) ++counts[name];
    return counts;
  }
  static std::vector<std::string> StateFilesOnly(const std::vector<std::string>& names) {
    std::vector<std::string> kept;
    for (const std::string& name : names) {
      if (name.rfind(settings::kLastStateFileName, 0) == 0 && !name.ends_with(".BAK")) kept.push_back(name);
    }
    return kept;
  }

 private:
  int fd_;
};

std::vector<std::string> StateFiles(int cards) {
  std::vector<std::string> files = {settings::LastStateFilePath()};
  for (int card = 0; card < cards; ++card) files.push_back(settings::CardStateFilePath(card));
  return files;
}

std::vector<std::string> Contents(const std::vector<std::string>& files) {
  std::vector<std::string> contents;
  for (const std::string& file : files) contents.push_back(testsupport::ReadWholeFile(file));
  return contents;
}

std::vector<std::string> StateFileNames(int cards) {
  std::vector<std::string> names;
  for (const std::string& file : StateFiles(cards)) names.push_back(std::filesystem::path(file).filename());
  return names;
}

// The state files, each once.
Counts OnceEach(int cards) {
  Counts counts;
  for (const std::string& name : StateFileNames(cards)) counts[name] = 1;
  return counts;
}

class MergedSavesTest : public MainFormTest {
 protected:
  void SetThreshold(double value) {
    gKr20SetMgr->SetSignalThreshold(5, 0, value);
    settings::SaveLastSetupStateIfEnabled();
  }
  double Threshold() const { return gRtl20Mgr->Card(5)->Setup().Receiver[0].CarrierThesholdDbm; }
  bool SavesMade() { return RunUntil([] { return !settings::LastStateSavePending(); }, std::chrono::seconds(10)); }

  std::string hardware_ = folder_ / "SYSTEM/HARDWARECONFIGURATION";
};

// Six cards: every card's mode change asks for the whole last state, yet each of the n + 1 state
// files is replaced once. Saves asked for in one pass later write the last state once, the same
// bytes as an immediate save.
TEST_F(MergedSavesTest, StartUpAndOnePassWriteEachStateFileOnce) {
  PrepareProgramFolder(6);
  Replacements replaced(hardware_);
  ASSERT_TRUE(replaced.Watching());
  StartProgram();
  ASSERT_TRUE(SavesMade());
  EXPECT_EQ(Replacements::StateFileCounts(replaced.Take()), OnceEach(6));

  SetThreshold(-61.5);
  SetThreshold(-62.5);
  EXPECT_TRUE(settings::LastStateSavePending());
  EXPECT_TRUE(replaced.Take().empty());
  ASSERT_TRUE(SavesMade());
  EXPECT_EQ(Replacements::StateFileCounts(replaced.Take()), OnceEach(6));
  const std::vector<std::string> merged = Contents(StateFiles(6));
  EXPECT_NE(merged[6].find("CarrierThesholdDbm=-62.500000000\r\n"), std::string::npos);
  ASSERT_TRUE(settings::SaveLastSetupStateFile());
  EXPECT_EQ(Contents(StateFiles(6)), merged);
}

// A pending save is made before the files are read and before the shut-down's own saves (here the
// last-setup save, which would rewrite the state too, is skipped).
TEST_F(MergedSavesTest, APendingSaveIsMadeBeforeALoadAndBeforeTheShutDownSaves) {
  PrepareProgramFolder(6);
  StartProgram();
  ASSERT_TRUE(SavesMade());
  SetThreshold(-63.5);
  ASSERT_TRUE(settings::LoadLastSetupStateFile());
  EXPECT_EQ(Threshold(), -63.5);

  Replacements replaced(hardware_);
  SetThreshold(-64.5);
  form_->SetSkipLastSetupSave(true);
  form_->close();
  std::vector<std::string> order = replaced.Take();
  std::erase_if(order, [](const std::string& name) {
    return name.rfind(settings::kLastStateFileName, 0) == 0 && name.ends_with(".BAK");
  });
  ASSERT_FALSE(order.empty());
  EXPECT_EQ(std::vector<std::string>(order.begin(), order.begin() + std::min<std::size_t>(order.size(), 7)),
            StateFileNames(6));
  EXPECT_NE(testsupport::ReadWholeFile(hardware_ + "/Kr20LastState.last5").find("CarrierThesholdDbm=-64.500000000\r\n"),
            std::string::npos);
}

}  // namespace
}  // namespace uitest
