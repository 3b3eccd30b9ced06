// The device-library log-mask dialog on two virtual cards: the mask reaches the library of the
// chosen card only.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <array>
#include <cstdint>
#include <vector>

#include "card/fpga_image_header.h"
#include "card/kr20card.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "support/scripted_dialogs.h"
#include "ui/dialogs/rtl_log_mask_dlg.h"
#include "ui/modal_driver.h"
#include "ui/main_form_fixture.h"

namespace uitest {
namespace {

// The mask the simulated library holds for the card, read back through the card's GPIO module.
std::uint32_t LibraryMask(int card) {
  const card::kr20cardclass* object = gRtl20Mgr->Card(card);
  if (object == nullptr) return 0xDEADu;
  int fpga = 0;
  std::uint32_t base = 0;
  if (!card::FindFpgaModule(object->FpgaInfo(), card::kDevTypeGpio, 0, fpga, base)) return 0xDEADu;
  std::array<std::uint32_t, 1> value{};
  if (!object->Dtrd_PeekRegOnFpga(fpga, base + card::gpio_reg::kLoggingMask, value, 1)) return 0xDEADu;
  return value[0];
}

class RtlLogMaskDlgTest : public MainFormTest {
 protected:
  testsupport::ScopedScriptedDialogs dialogs_;
};

TEST_F(RtlLogMaskDlgTest, OpensWithAlarmAndWarning) {
  TDbg_RtlLogMaskDlg dialog;
  dialog.BeginForCard(1);
  EXPECT_EQ(dialog.windowTitle(), "RTL DLL LOGGING MASK Card 2");
  const std::vector<const char*> names{"Alarm",   "Warning", "Event",   "Status",  "Data",    "Setup",
                                       "Debug_1", "Debug_2", "Debug_3", "Debug_4", "Debug_5", "Trace"};
  for (int k = 0; k < 12; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(dialog.LevelBox(k)->text().toStdString(), names[static_cast<std::size_t>(k)]);
    EXPECT_EQ(dialog.LevelBox(k)->isChecked(), k < 2);
  }
  EXPECT_EQ(dialog.findChild<QLabel*>("LabelMask")->text(), "0xC000");
}

// The boxes ticked (by position) and the mask that reaches the library.
struct MaskRow {
  const char* name;
  std::vector<int> toggled;
  std::uint32_t mask;
  const char* label;
};

TEST_F(RtlLogMaskDlgTest, MaskReachesTheChosenCardOnly) {
  PrepareProgramFolder(2);
  StartProgram();
  ASSERT_EQ(gRtl20Mgr->CardCount(), 2);
  ASSERT_EQ(LibraryMask(0), 0xC000u);
  ASSERT_EQ(LibraryMask(1), 0xC000u);
  const std::vector<MaskRow> rows{
      {"Trace", {0, 1, 11}, 0x0010, "0x0010"},
      {"All", {2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 0xFFF0, "0xFFF0"},
      {"Unchanged", {}, 0xC000, "0xC000"},
      {"DebugPair", {0, 6, 7}, 0x4300, "0x4300"},
  };
  for (const MaskRow& row : rows) {
    SCOPED_TRACE(row.name);
    const std::uint32_t other = LibraryMask(0);
    WhenShown<TDbg_RtlLogMaskDlg>("Dbg_RtlLogMaskDlg", [&row](TDbg_RtlLogMaskDlg& d) {
      for (int k : row.toggled) d.LevelBox(k)->click();
      EXPECT_EQ(d.findChild<QLabel*>("LabelMask")->text(), row.label);
      d.findChild<QPushButton*>("OKBtn")->click();
    });
    EXPECT_TRUE(ui::RunLogMaskDialog(1, form_.get()));
    EXPECT_EQ(LibraryMask(1), row.mask);
    EXPECT_EQ(LibraryMask(0), other);
  }
}

TEST_F(RtlLogMaskDlgTest, EveryWayOutButOkLeavesTheCard) {
  PrepareProgramFolder(1);
  StartProgram();
  for (int way = 0; way < 3; ++way) {
    SCOPED_TRACE(way);
    WhenShown<TDbg_RtlLogMaskDlg>("Dbg_RtlLogMaskDlg", [way](TDbg_RtlLogMaskDlg& d) {
      d.LevelBox(11)->click();
      if (way == 0) QTest::keyClick(&d, Qt::Key_Escape);
      if (way == 1) d.close();
      if (way == 2) d.findChild<QPushButton*>("CancelBtn")->click();
    });
    EXPECT_FALSE(ui::RunLogMaskDialog(0, form_.get()));
    EXPECT_EQ(LibraryMask(0), 0xC000u);
  }
}

}  // namespace
}  // namespace uitest
