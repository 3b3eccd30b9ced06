// The tuning prompt as the operator meets it in the program's own input box: the question and
// every band of the converter shown in the box, not only in a title bar that shows one line.
#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QTimer>

#include <cstdlib>
#include <memory>

#include "card/dncvt_manager.h"
#include "setup_panel_fixture.h"
#include "util/gui/qt_dialog_service.h"
#include "util/number_text.h"

namespace setuptest {
namespace {

using TuningPromptTest = SetupPanelTest;

TEST_F(TuningPromptTest, EveryBandIsShownInTheBoxAndEscapeKeepsTheFrequency) {
  Start(false, 0, 0);
  if (IsSkipped() || HasFatalFailure()) return;
  util::SetDialogService(std::make_shared<util::QtDialogService>());
  QStringList shown;
  QString offered;
  QString windowTitle;
  QImage image;
  QTimer hand;
  hand.setInterval(10);
  QObject::connect(&hand, &QTimer::timeout, [&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QDialog*>(widget);
      if (box == nullptr || !box->isVisible() || box->findChild<QLineEdit*>() == nullptr) continue;
      windowTitle = box->windowTitle();
      for (const QLabel* label : box->findChildren<QLabel*>()) {
        if (label->isVisible() && label->buddy() == nullptr) shown.append(label->text().split(u'\n'));
      }
      image = box->grab().toImage();
      offered = box->findChild<QLineEdit*>()->text();
      QTest::keyClick(box->findChild<QLineEdit*>(), Qt::Key_Escape);
      return;
    }
  });
  hand.start();
  const double before = gDnCvtMgr->Records[0].Setup.FreqMhz;
  Click("TSM_StdSetupForm", "LabelTunedFreqMhz1");
  hand.stop();
  util::SetDialogService(nullptr);

  EXPECT_EQ(windowTitle.toStdString(), "Enter the Tuning Frequency in MHz");
  ASSERT_FALSE(shown.isEmpty());
  EXPECT_EQ(shown.front().toStdString(), "Enter the Tuning Frequency in MHz");
  int bands = 0;
  for (const card::DnCvtFreqBand& band : gDnCvtMgr->Records[0].FreqBands) {
    if (band.StartMhz <= 0.0 || band.StopMhz <= 0.0) continue;
    ++bands;
    const std::string line =
        util::FloatToFixedText(12, 2, band.StartMhz) + " -- " + util::FloatToFixedText(12, 2, band.StopMhz);
    EXPECT_TRUE(shown.contains(QString::fromStdString(line))) << line;
  }
  EXPECT_GE(bands, 2);
  EXPECT_TRUE(shown.back().startsWith(QStringLiteral("Input Value between "))) << shown.back().toStdString();
  // Escape keeps the frequency and says nothing.
  const double after = gDnCvtMgr->Records[0].Setup.FreqMhz;
  EXPECT_EQ(after, before);
  EXPECT_EQ(offered.toStdString(), util::FloatToFixedText(32, 2, before));
  if (const char* folder = std::getenv("QUORX_SCREENSHOT_FOLDER"); folder != nullptr && *folder != '\0') {
    EXPECT_TRUE(image.save(QString::fromStdString(std::string(folder) + "/prompt_tuning.png")));
  }
}

}  // namespace
}  // namespace setuptest
