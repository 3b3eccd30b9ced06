// Pictures of the test modulator window on a virtual card: its three tabs and the sweep panel
// while a continuous sweep runs its second profile. Checked for fit (every label inside its parent,
// no text wider than its label); with QUORX_SCREENSHOT_FOLDER set they are kept there
// (docs/screenshots/).
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QTabWidget>
#include <cstdlib>

#include "support/qt/shown_widget.h"
#include "ui/modulator/mod_window_fixture.h"

namespace modtest {
namespace {

class ScreenshotTest : public ModWindowTest {
 protected:
  void Keep(const QImage& image, const char* name) {
    if (const char* folder = std::getenv("QUORX_SCREENSHOT_FOLDER"); folder != nullptr && *folder != '\0') {
      EXPECT_TRUE(image.save(QString::fromStdString(std::string(folder) + "/" + name)));
    }
  }
  // Every label the current tab shows is seen whole by the operator; returns how many were checked.
  static int ExpectFit(const QWidget* tab) {
    return testsupport::CheckLabelsShown(*tab, [](const QLabel*) { return false; });
  }
};

TEST_F(ScreenshotTest, ScreenshotTestThreeTabsAndTheSweepPanel) {
  Start(5, true);
  if (IsSkipped()) return;
  card::ModSweepParamBlock block = card::ModSweepParamsOf(Rec());
  block.SweepRateHz = 20000.0;
  block.StartFreqMhz = 69.9;
  block.StopFreqMhzAry[0] = 70.1;
  block.StopFreqMhzAry[1] = 70.0;
  block.StopFreqMhzAry[2] = 70.2;
  block.NumProfiles = 3;
  block.SinglePass = 0;
  card::StoreModSweepParams(Rec(), block);
  card::SetSetupText(Rec().Modulator.PcmEncoder[0].OutputCode, "NRZL");
  Rec().TxBert[0].BitRate = 1e6;
  Card().SetMod_SetCarrierToNoiseLevel(72.0);
  Form().UpdateDisplay();
  Form().SpeedButtonStart->click();
  Advance(11.0);
  Form().SweepTick();
  Form().SweepTick();
  Advance(2.0);
  Form().SweepTick();
  ASSERT_EQ(Text("PanelSweepState"), "RUNNING");
  const char* names[] = {"modulator_primary.png", "modulator_secondary.png", "modulator_misc.png"};
  for (int tab = 0; tab < 3; ++tab) {
    Form().PageControlMain->setCurrentIndex(tab);
    QCoreApplication::processEvents();
    EXPECT_GE(ExpectFit(Form().PageControlMain->currentWidget()), 10) << names[tab];
    const QImage image = Form().grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(image.width(), 508);
    Keep(image, names[tab]);
  }
  Form().PageControlMain->setCurrentIndex(0);
  QCoreApplication::processEvents();
  const QImage sweep = Form().PanelSweep->grab().toImage().convertToFormat(QImage::Format_RGB32);
  // The lime state panel and Start button of a running sweep.
  int lime = 0;
  for (int y = 0; y < sweep.height(); ++y) {
    for (int x = 0; x < sweep.width(); ++x) lime += (sweep.pixel(x, y) & 0xFFFFFFu) == 0x00FF00u ? 1 : 0;
  }
  EXPECT_GE(lime, 400);
  Keep(sweep, "modulator_sweep.png");
}

// The sweep menu as a right click on the sweep panel shows it, "Sweep Mode" opened.
TEST_F(ScreenshotTest, ScreenshotTestSweepMenu) {
  Start(5, true);
  if (IsSkipped()) return;
  QMenu* modes = Form().PopupMenuSweep->findChild<QMenu*>("MenuSweepMode");
  ASSERT_NE(modes, nullptr);
  QImage picture;
  QTimer look;
  look.setInterval(5);
  QObject::connect(&look, &QTimer::timeout, [&] {
    if (!modes->isVisible()) return;
    look.stop();
    QMenu* menu = Form().PopupMenuSweep;
    const QRect both = menu->geometry().united(modes->geometry());
    picture = QImage(both.size(), QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.drawPixmap(menu->geometry().topLeft() - both.topLeft(), menu->grab());
    painter.drawPixmap(modes->geometry().topLeft() - both.topLeft(), modes->grab());
    painter.end();
    while (QWidget* popup = QApplication::activePopupWidget()) popup->close();
  });
  look.start();
  UseSweepMenu({"Sweep Mode"});
  look.stop();
  ASSERT_FALSE(picture.isNull());
  EXPECT_GT(picture.width(), Form().PopupMenuSweep->width());
  Keep(picture, "modulator_sweep_menu.png");
}

}  // namespace
}  // namespace modtest
