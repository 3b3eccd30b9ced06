// The four pages of a PSK and a PCM/FM channel of virtual cards with locked signals, at the size a
// card window gives them, each page seen whole; pictures are kept when QUORX_SCREENSHOT_FOLDER
// names the folder to write them to (scripts/screenshots.sh runs this under a virtual X server).
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>

#include <cstdlib>
#include <filesystem>

#include "page_shown.h"
#include "setup_panel_fixture.h"
#include "support/qt/whole_paint.h"

namespace setuptest {
namespace {

struct Shot {
  const char* Family;
  int Mode;
  const char* Signals;
  const char* Modulation;
};

const Shot kShots[] = {
    {"psk", 5,
     "IfInput1=70e6, -40, QPSK, 2e6, 16, NRZL\nIfInput2=70e6, -43, QPSK, 2e6, 15, NRZL\n", "QPSK"},
    {"pcmfm", 12,
     "IfInput1=70e6, -40, FM, 2e6, 16, NRZL\nIfInput2=70e6, -42, FM, 2e6, 15, NRZL\n", "PCM_FM"},
};

void PrintTo(const Shot& shot, std::ostream* os) { *os << shot.Family; }

class ScreenshotTest : public SetupPanelTest, public ::testing::WithParamInterface<Shot> {};

// A setting's value: a box of its own colour on the page.
bool IsValueBox(const QLabel* label) {
  return qobject_cast<const setup::ValueLabel*>(label) != nullptr && label->autoFillBackground();
}

TEST_P(ScreenshotTest, SetupPages) {
  const char* folder = std::getenv("QUORX_SCREENSHOT_FOLDER");
  const Shot& shot = GetParam();
  Start(true, shot.Mode, 0, 1, card::HwCfgCardSetRecord{0, 2, {0, 1}}, shot.Signals);
  if (IsSkipped() || HasFatalFailure()) return;
  auto manualClock = settingstest::SimHook<void (*)(int)>(sim_ + "/librtZp903x.so", "QuorxSim_UseManualClock");
  auto advance = settingstest::SimHook<int (*)(double)>(sim_ + "/librtZp903x.so", "QuorxSim_AdvanceSeconds");
  ASSERT_NE(manualClock, nullptr);
  ASSERT_NE(advance, nullptr);
  manualClock(1);
  for (int ch = 0; ch < 2; ++ch) {
    if (shot.Modulation != nullptr) manager_->SetModulationFormat(0, ch, shot.Modulation, 0);
    manager_->SetDataRate(0, ch, 2'000'000);
    manager_->SetCarrierCenterFreq(0, ch, 70'000'000.0);
    manager_->SetViterbiDecodeEnable(0, ch, 1);
    manager_->SetTunedFreq(0, ch, 2250.5);
  }
  for (int step = 0; step < 20; ++step) {
    advance(0.25);
    ReadStatus();
  }
  manualClock(0);
  panel_->UpdatePagesVisibility();
  panel_->RefreshPages();
  auto* tabs = Find<QTabWidget>("PageControl1");
  ASSERT_NE(tabs, nullptr);
  // Combining, so the "Combiner" tab is offered as the card window offers it.
  panel_->SetCombinerTabVisible(true);
  const char* pages[] = {"std", "fine", "outputs", "combiner"};
  const char* forms[] = {"TSM_StdSetupForm", "TSM_FineSetupForm", "TSM_OutputsSetupForm", "TSM_CombinerSetupForm"};
  if (folder != nullptr) std::filesystem::create_directories(folder);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(pages[i]);
    // What the picture shows is what the operator sees: every row of the page whole.
    OpenPageOf(&Page(forms[i]));
    ASSERT_TRUE(Page(forms[i]).isVisible());
    EXPECT_GE(CheckPageShown(Page(forms[i])), 6);
    // The picture shows the page from its top row, every value box whole.
    for (auto* area : host_->findChildren<QScrollArea*>()) area->verticalScrollBar()->setValue(0);
    const QImage picture = testsupport::SettledPicture(*host_);
    int boxes = 0;
    EXPECT_TRUE(testsupport::ValueBoxesWhole(picture, *host_, Page(forms[i]), IsValueBox, &boxes));
    EXPECT_GE(boxes, 1);
    if (folder == nullptr) continue;
    const std::string path = std::string(folder) + "/setup_" + pages[i] + "_" + shot.Family + ".png";
    EXPECT_TRUE(picture.save(QString::fromStdString(path))) << path;
  }
}

INSTANTIATE_TEST_SUITE_P(Families, ScreenshotTest, ::testing::ValuesIn(kShots),
                         [](const auto& row) { return std::string(row.param.Family); });

}  // namespace
}  // namespace setuptest
