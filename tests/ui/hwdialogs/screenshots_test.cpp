// Pictures of the three dialogs on virtual cards, each checked for what must be in it; with
// QUORX_SCREENSHOT_FOLDER set they are also kept there (docs/screenshots/).
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include <cstdlib>
#include <string>

#include "config/globals.h"
#include "support/qt/shown_widget.h"
#include "support/scripted_dialogs.h"
#include "ui/dialogs/hw_config_editor_dlg.h"
#include "ui/dialogs/network_editor_dlg.h"
#include "ui/dialogs/rtl_log_mask_dlg.h"
#include "ui/main_form_fixture.h"

namespace uitest {
namespace {

constexpr const char* kCardsAndConverters =
    "[General]\nCards=2\nSeed=3\n[DownConverters]\nKr12Cards=2\nKr12Channels=1\nKr14Cards=1\nKr14Channels=2\n";

class ScreenshotTest : public MainFormTest {
 protected:
  static void Keep(const QImage& image, const char* name) {
    const char* folder = std::getenv("QUORX_SCREENSHOT_FOLDER");
    if (folder == nullptr || *folder == '\0') return;
    EXPECT_TRUE(image.save(QString::fromStdString(std::string(folder) + "/" + name)));
  }

  static QImage Picture(QWidget& dialog) {
    dialog.show();
    RunUntil([] { return false; }, std::chrono::milliseconds(200));
    return dialog.grab().toImage().convertToFormat(QImage::Format_RGB32);
  }

  // Every child label, button and box the dialog shows is seen by the operator and has room for its
  // text; returns how many were checked.
  static int ExpectTextsFit(const QWidget& dialog) {
    int checked = 0;
    for (const QWidget* child : dialog.findChildren<QWidget*>()) {
      if (!child->isVisibleTo(&dialog) || child->parentWidget() == nullptr) continue;
      QString text;
      if (const auto* label = qobject_cast<const QLabel*>(child)) text = label->text();
      if (const auto* button = qobject_cast<const QAbstractButton*>(child)) text = button->text();
      if (text.isEmpty()) continue;
      SCOPED_TRACE(child->objectName().toStdString());
      EXPECT_TRUE(testsupport::ShownToOperator(child));
      ++checked;
      const int extra = qobject_cast<const QCheckBox*>(child) != nullptr ? 20 : 0;
      EXPECT_LE(child->fontMetrics().horizontalAdvance(text) + extra, child->width());
    }
    return checked;
  }

  testsupport::ScopedScriptedDialogs dialogs_;
};

TEST_F(ScreenshotTest, NetworkDialog) {
  PrepareProgramFolder(2);
  StartProgram();
  net::NetConfig config = gNetMgr->Config();
  config.Enabled = true;
  config.ClientIpAddr = "192.168.100.200";
  gNetMgr->SetConfig(config);
  TNetworkEditorDlg dialog(form_.get(), *gNetMgr);
  dialog.BeginExecute();
  const QImage image = Picture(dialog);
  Keep(image, "dialog_network.png");
  EXPECT_GE(ExpectTextsFit(dialog), 5);
  // The remote-control box is red.
  int red = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) red += image.pixel(x, y) == qRgb(255, 0, 0) ? 1 : 0;
  }
  EXPECT_GT(red, 50);
}

TEST_F(ScreenshotTest, HardwareDialog) {
  PrepareProgramFolder(2, false, kCardsAndConverters);
  StartProgram();
  TVexaHwCfgMgrEditorDlg dialog(form_.get(), *gHwCfgMgr, *gRtl20Mgr, *gDnCvtMgr);
  dialog.BeginExecute();
  const QImage image = Picture(dialog);
  Keep(image, "dialog_hardware.png");
  EXPECT_GE(ExpectTextsFit(dialog), 5);
  // The four assignment panels: yellow text on black.
  int yellow = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb p = image.pixel(x, y);
      yellow += qRed(p) > 180 && qGreen(p) > 180 && qBlue(p) < 90 ? 1 : 0;
    }
  }
  EXPECT_GT(yellow, 200);
}

TEST_F(ScreenshotTest, LogMaskDialog) {
  PrepareProgramFolder(2);
  StartProgram();
  TDbg_RtlLogMaskDlg dialog(form_.get());
  dialog.BeginForCard(0);
  dialog.LevelBox(11)->click();
  const QImage image = Picture(dialog);
  Keep(image, "dialog_log_mask.png");
  EXPECT_GE(ExpectTextsFit(dialog), 5);
  EXPECT_EQ(dialog.findChild<QLabel*>("LabelMask")->text(), "0xC010");
}

}  // namespace
}  // namespace uitest
