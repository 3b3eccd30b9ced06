// Pictures of the main window's menus on two virtual cards, as the operator opens them. Each
// picture is checked for what must be in it; with QUORX_SCREENSHOT_FOLDER set it is also kept there
// (docs/screenshots/).
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "config/general_routines.h"
#include "ui/main_form_fixture.h"
#include "ui/main_menus.h"
#include "util/gui/log_viewer_window.h"

namespace uitest {
namespace {

class ScreenshotTest : public MainFormTest {
 protected:
  static void Keep(const QImage& image, const std::string& name) {
    const char* folder = std::getenv("QUORX_SCREENSHOT_FOLDER");
    if (folder == nullptr || *folder == '\0') return;
    EXPECT_TRUE(image.save(QString::fromStdString(std::string(folder) + "/" + name)));
  }

  // The menu popped up under its place in the menu bar, as a click on the bar shows it.
  QImage PopUp(QMenu* menu) {
    const QRect place = form_->Menus().MainMenu->actionGeometry(menu->menuAction());
    menu->popup(form_->Menus().MainMenu->mapToGlobal(place.bottomLeft()));
    RunUntil([] { return false; }, std::chrono::milliseconds(200));
    QImage image = menu->grab().toImage();
    menu->hide();
    return image;
  }
};

TEST_F(ScreenshotTest, TheMainMenus) {
  PrepareProgramFolder(2);
  ASSERT_TRUE(testsupport::WriteWholeFile(folder_ / config::kFactoryModeMarker, ""));
  std::filesystem::create_directories(folder_ / "USERTOOLS");
  for (const char* tool : {"SpectrumLogger.Exe", "TelemetryReplay.Exe"}) {
    ASSERT_TRUE(testsupport::WriteWholeFile(folder_ / (std::string("USERTOOLS/") + tool), "#!/bin/sh\n"));
  }
  StartProgram();
  form_->resize(720, form_->height());
  RunUntil([] { return false; }, std::chrono::milliseconds(1200));
  ui::MainMenus& menus = form_->Menus();
  // Recording: the check mark and the Logging menu's image.
  menus.MenuRecordRSSI->trigger();
  QApplication::processEvents();

  const QImage window = form_->grab().toImage();
  EXPECT_EQ(window.size(), form_->size());
  EXPECT_FALSE(menus.MenuRecording->icon().isNull());

  struct Shot {
    QMenu* menu;
    const char* name;
    int items;  // the visible items the picture must be tall enough for
  };
  for (const Shot& shot :
       {Shot{menus.MenuSystem, "menus_system.png", 4}, Shot{menus.MenuView, "menus_view.png", 4},
        Shot{menus.MenuRecording, "menus_logging.png", 2}, Shot{menus.MenuTools, "menus_tools.png", 2},
        Shot{menus.MenuFactory, "menus_factory.png", 4}}) {
    SCOPED_TRACE(shot.name);
    const QImage image = PopUp(shot.menu);
    Keep(image, shot.name);
    EXPECT_GE(image.height(), shot.items * 16);
    EXPECT_GE(image.width(), 60);
  }

  // "Card Setup" opened from "Setup": the two cards' items.
  menus.MenuiSetup->popup(
      menus.MainMenu->mapToGlobal(menus.MainMenu->actionGeometry(menus.MenuiSetup->menuAction()).bottomLeft()));
  RunUntil([] { return false; }, std::chrono::milliseconds(150));
  const QRect item = menus.MenuiSetup->actionGeometry(menus.MenuCardSetup->menuAction());
  menus.MenuCardSetup->popup(menus.MenuiSetup->mapToGlobal(item.topRight()));
  RunUntil([] { return false; }, std::chrono::milliseconds(200));
  // The picture shows the Setup menu with "Card Setup" open beside it, as the operator sees them.
  const QRect setupPlace = menus.MenuiSetup->geometry();
  const QRect cardsPlace = menus.MenuCardSetup->geometry();
  const QRect both = setupPlace.united(cardsPlace);
  QImage picture(both.size(), QImage::Format_RGB32);
  picture.fill(form_->palette().color(QPalette::Window));
  {
    QPainter painter(&picture);
    painter.drawImage(setupPlace.topLeft() - both.topLeft(), menus.MenuiSetup->grab().toImage());
    painter.drawImage(cardsPlace.topLeft() - both.topLeft(), menus.MenuCardSetup->grab().toImage());
  }
  Keep(picture, "menus_card_setup.png");
  EXPECT_GE(cardsPlace.height(), 2 * 16);
  EXPECT_GE(cardsPlace.left(), setupPlace.right() - 8) << "Card Setup opens beside the Setup menu";
  menus.MenuCardSetup->hide();
  menus.MenuiSetup->hide();
}

// The error-log viewer on the program's own log, as View > Error Logs opens it.
TEST_F(ScreenshotTest, TheLogViewer) {
  PrepareProgramFolder(2);
  StartProgram();
  util::LogViewerWindow viewer;
  ASSERT_TRUE(viewer.Load(LogPath()));
  viewer.resize(900, 420);
  viewer.show();
  RunUntil([] { return false; }, std::chrono::milliseconds(300));
  const QImage image = viewer.grab().toImage();
  Keep(image, "log_viewer.png");
  EXPECT_EQ(image.size(), viewer.size());
  EXPECT_TRUE(viewer.Text()->isVisible());
  EXPECT_TRUE(viewer.Text()->toPlainText().contains("------------------PROGRAM START--------------------"));
}

}  // namespace
}  // namespace uitest
