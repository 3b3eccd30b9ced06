// The main window's side of the test modulator windows in the whole program on virtual cards:
// the View menu item opens it, the re-colour and mode-change messages reach it, the master timer
// moves a running sweep on, the shut-down saves and deletes it and the next start reopens it.
#include <QAction>
#include <QPalette>
#include <QPointer>
#include <QToolButton>

#include "card/card_routines.h"
#include "card/kr20card.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "settings/window_messages.h"
#include "ui/main_form_fixture.h"
#include "ui/modulator/mod_control_form.h"
#include "ui/modulator/test_modulator_windows.h"
#include "util/gui/qt_colour.h"

namespace uitest {
namespace {

using ModMainWindowTest = MainFormTest;

TEST_F(ModMainWindowTest, WindowLivesFromItsMenuItemToTheNextStart) {
  PrepareProgramFolder(2);
  StartProgram();
  QAction* item = form_->findChild<QAction*>("SubMenuMenuViewTestModulator1");
  ASSERT_NE(item, nullptr);
  EXPECT_TRUE(item->isEnabled());
  item->trigger();
  // Watched, not only compared: a window made anew may take the deleted one's address.
  const QPointer<TSM_ModControlForm> mod = ui::TestModulatorFormOf(1);
  ASSERT_NE(mod, nullptr);
  EXPECT_TRUE(mod->isVisible());
  EXPECT_EQ(mod->windowTitle().toStdString(), "Kr20 Card 2 Test Modulator");
  EXPECT_EQ(ui::TestModulatorFormOf(0), nullptr);
  item->trigger();
  ASSERT_EQ(ui::TestModulatorFormOf(1), mod);

  // Re-colour message.
  config::gApp.Options->Info().ColorScheme[config::kAppSetupBackgroundColor] = 0x123456;
  form_->Send(settings::kWmRecolour, 0, 0);
  EXPECT_EQ(mod->palette().color(QPalette::Window), util::ToQColor(0x123456));

  // A mode change lays it out again: the input source goes back to the card.
  card::kr20cardclass* object = card::CardObject(1);
  ASSERT_NE(object, nullptr);
  object->DoOnSetFpga0RegB00(false);
  config::gApp.ReconfigurationPending = true;
  form_->Send(settings::kWmCardChanged, 1, 1);
  EXPECT_TRUE(object->ModulatorInputDirect());

  // The master timer moves a running continuous sweep on by itself.
  object->Setup().Modulator.CarrierEnabled = 1;
  object->SetMod_SetIfCarrierOn(true);
  card::ModSweepParamBlock block = card::ModSweepParamsOf(object->Setup());
  block.SweepRateHz = 20000.0;
  block.StartFreqMhz = object->Setup().Modulator.CarrierFreqMhz;
  block.StopFreqMhzAry[0] = block.StartFreqMhz + 0.004;
  block.StopFreqMhzAry[1] = block.StartFreqMhz + 0.008;
  block.NumProfiles = 2;
  block.SinglePass = 0;
  card::StoreModSweepParams(object->Setup(), block);
  mod->UpdateDisplay();
  mod->SpeedButtonStart->click();
  ASSERT_TRUE(RunUntil([mod] { return !mod->StartPending(); }, std::chrono::seconds(5)));
  ASSERT_TRUE(mod->SweepActive());
  EXPECT_TRUE(
      RunUntil([object] { return object->Setup().Modulator.SweepProfileIndex == 1; }, std::chrono::seconds(10)));

  mod->move(120, 140);
  form_->CloseProgram();
  EXPECT_EQ(ui::TestModulatorFormOf(1), nullptr);
  const config::WindowPlacementRecord placement = config::gApp.Placement(1, config::CardWindowKind::TestModulator);
  EXPECT_EQ(placement.WasVisible, 1);
  EXPECT_EQ(placement.Width, 508);

  // Open at the last close: open again at the next start, where it was.
  RestartProgram();
  TSM_ModControlForm* again = ui::TestModulatorFormOf(1);
  ASSERT_NE(again, nullptr);
  EXPECT_TRUE(again->isVisible());
  EXPECT_TRUE(again->Shown());
  EXPECT_EQ(ui::TestModulatorFormOf(0), nullptr);
}

}  // namespace
}  // namespace uitest
