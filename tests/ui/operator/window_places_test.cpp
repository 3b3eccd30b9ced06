// Where the per-card windows open on a fresh program folder: on the screen, clear of the main
// window's status strips and of each other while the screen has room; a stored place still wins.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>

#include <cstdlib>
#include <string>
#include <vector>

#include "config/window_positions.h"
#include "operator_fixture.h"
#include "ui/bert/card_bert_form.h"
#include "ui/cards/main_status_bar_form.h"
#include "ui/modulator/mod_control_form.h"
#include "util/ini_routines.h"

namespace operatortest {
namespace {

class WindowPlacesTest : public OperatorTest {
 protected:
  // The card's window of the View or Setup submenu `menu`, chosen as the operator chooses it.
  QWidget* OpenFromMenu(const char* menu, int card) {
    QAction* item = form_->findChild<QAction*>(QString::fromLatin1(menu) + QString::number(card));
    EXPECT_NE(item, nullptr) << menu << card;
    if (item == nullptr) return nullptr;
    EXPECT_TRUE(item->isVisible() && item->isEnabled()) << menu << card;
    item->trigger();
    Settle(std::chrono::milliseconds(100));
    return QApplication::activeWindow();
  }

  // The main window's status strips where the operator sees them.
  std::vector<QRect> Strips() const {
    std::vector<QRect> strips;
    for (int card = 0; card < ui::kStatusPanelCount; ++card) {
      const TSM_MainStatusBarForm* strip = form_->StatusBar(card);
      if (strip == nullptr) continue;
      EXPECT_TRUE(testsupport::ShownToOperator(strip));
      strips.push_back(QRect(strip->mapToGlobal(QPoint(0, 0)), strip->size()));
    }
    return strips;
  }

  static QRect Screen() { return QGuiApplication::primaryScreen()->availableGeometry(); }

  // Each window on the screen and clear of every strip.
  void ExpectOnScreenAndClearOfStrips(const std::vector<QWidget*>& windows) {
    const std::vector<QRect> strips = Strips();
    ASSERT_EQ(strips.size(), 6u);
    for (const QWidget* window : windows) {
      ASSERT_NE(window, nullptr);
      SCOPED_TRACE(window->windowTitle().toStdString());
      EXPECT_TRUE(window->isVisible());
      const QRect place = window->frameGeometry();
      // Wholly on the screen; a window larger than the screen starts at its edge.
      const QRect screen = Screen();
      const bool acrossFits = place.width() <= screen.width()
                                  ? place.left() >= screen.left() && place.right() <= screen.right()
                                  : place.left() == screen.left();
      const bool downFits = place.height() <= screen.height()
                                ? place.top() >= screen.top() && place.bottom() <= screen.bottom()
                                : place.top() == screen.top();
      EXPECT_TRUE(acrossFits && downFits) << Where(*window);
      for (const QRect& strip : strips) {
        EXPECT_FALSE(place.intersects(strip)) << "covers the strip at " << strip.y();
      }
    }
  }

  // Each window clear of the earlier ones unless the screen had no place left for it: the screen is
  // searched pixel by pixel for a place clear of the strips and of the windows opened before.
  void ExpectApartWhileThereIsRoom(const std::vector<QWidget*>& windows) {
    std::vector<QRect> blocked = Strips();
    const QRect screen = Screen();
    for (std::size_t i = 0; i < windows.size(); ++i) {
      const QRect place = windows[i]->frameGeometry();
      bool overlaps = false;
      for (std::size_t j = 0; j < i; ++j) overlaps = overlaps || place.intersects(windows[j]->frameGeometry());
      if (overlaps) {
        bool room = false;
        for (int y = screen.top(); !room && y + place.height() <= screen.bottom() + 1; ++y) {
          for (int x = screen.left(); !room && x + place.width() <= screen.right() + 1; ++x) {
            const QRect candidate(QPoint(x, y), place.size());
            bool clear = true;
            for (const QRect& other : blocked) clear = clear && !candidate.intersects(other);
            room = clear;
          }
        }
        EXPECT_FALSE(room) << Where(*windows[i]) << " covers another window though the screen had room";
      }
      blocked.push_back(place);
    }
    EXPECT_FALSE(windows.size() > 1 && windows[0]->frameGeometry().intersects(windows[1]->frameGeometry()) &&
                 screen.width() >= 2 * windows[0]->width() + 8)
        << "the first two windows fit side by side";
  }

  // The part of the screen the main window and `windows` cover, painted as they lie, kept in the
  // screenshot folder when one is given.
  void SaveScreenPicture(const std::vector<QWidget*>& windows, const char* name) {
    const char* folder = std::getenv("QUORX_SCREENSHOT_FOLDER");
    QRect covered = form_->frameGeometry();
    for (const QWidget* window : windows) covered = covered.united(window->frameGeometry());
    QImage picture(covered.size(), QImage::Format_RGB32);
    picture.fill(QColor(0x30, 0x40, 0x50));
    QPainter painter(&picture);
    std::vector<QWidget*> all{form_.get()};
    all.insert(all.end(), windows.begin(), windows.end());
    for (QWidget* window : all) {
      const QRect place = window->geometry().translated(-covered.topLeft());
      painter.drawPixmap(place.topLeft(), window->grab());
      // The screen has no window manager to frame the windows: a line tells where each ends.
      painter.setPen(QPen(QColor(0x20, 0x30, 0x80), 2));
      painter.drawRect(place.adjusted(1, 1, -1, -1));
    }
    painter.end();
    ASSERT_FALSE(picture.isNull());
    EXPECT_GE(picture.width(), 529);
    if (folder != nullptr && *folder != '\0') {
      EXPECT_TRUE(picture.save(QString::fromStdString(std::string(folder) + "/" + name)));
    }
  }

  static std::string Where(const QWidget& window) {
    const QRect place = window.frameGeometry();
    return window.windowTitle().toStdString() + " at " + std::to_string(place.x()) + "," + std::to_string(place.y()) +
           " " + std::to_string(place.width()) + "x" + std::to_string(place.height());
  }
};

TEST_F(WindowPlacesTest, CardWindowsOpenClearOfTheStripsAndOfEachOther) {
  StartOnEveryPersonality();
  if (HasFatalFailure()) return;
  std::vector<QWidget*> windows;
  for (int card = 0; card < 6; ++card) {
    OpenFromMenu("SubMenuMenuCardSetup", card);
    windows.push_back(config::gApp.CardSetupForms[static_cast<std::size_t>(card)]);
  }
  ExpectOnScreenAndClearOfStrips(windows);
  ExpectApartWhileThereIsRoom(windows);
  // What the operator sees: the main window and the six windows, as they lie on the screen.
  SaveScreenPicture(windows, "six_card_windows.png");
}

TEST_F(WindowPlacesTest, BertAndModulatorWindowsOpenClearOfTheStripsAndOfTheirKind) {
  StartOnEveryPersonality();
  if (HasFatalFailure()) return;
  std::vector<QWidget*> berts;
  std::vector<QWidget*> modulators;
  for (int card = 0; card < 6; ++card) {
    OpenFromMenu("SubMenuMenuViewBERT", card);
    berts.push_back(config::gApp.CardBertForms[static_cast<std::size_t>(card)]);
    OpenFromMenu("SubMenuMenuViewTestModulator", card);
    modulators.push_back(config::gApp.TestModulatorForms[static_cast<std::size_t>(card)]);
  }
  {
    SCOPED_TRACE("BERT");
    ExpectOnScreenAndClearOfStrips(berts);
    ExpectApartWhileThereIsRoom(berts);
  }
  {
    SCOPED_TRACE("test modulator");
    ExpectOnScreenAndClearOfStrips(modulators);
    ExpectApartWhileThereIsRoom(modulators);
  }
}

// A window keeps the place it had: after a restart, and where the position file puts it, even
// over a strip (the operator put it there).
TEST_F(WindowPlacesTest, StoredPlacesWin) {
  StartOnEveryPersonality();
  if (HasFatalFailure()) return;
  OpenFromMenu("SubMenuMenuCardSetup", 0);
  OpenFromMenu("SubMenuMenuCardSetup", 1);
  const QPoint first = config::gApp.CardSetupForms[0]->pos();
  const QPoint second = config::gApp.CardSetupForms[1]->pos();
  ASSERT_NE(first, second);
  form_->CloseProgram();
  const std::string file = config::PositionFilePath();
  EXPECT_EQ(testsupport::IniTextValue(testsupport::ReadWholeFile(file), "CardSetup_0", "Placed"), "YES");
  EXPECT_EQ(testsupport::IniTextValue(testsupport::ReadWholeFile(file), "CardSetup_4", "Placed"), "NO");
  ASSERT_TRUE(util::IniWriteInt(file, "CardSetup_4", "Width", 529));
  ASSERT_TRUE(util::IniWriteInt(file, "CardSetup_4", "Height", 610));
  ASSERT_TRUE(util::IniWriteInt(file, "CardSetup_4", "Left", 5));
  ASSERT_TRUE(util::IniWriteInt(file, "CardSetup_4", "Top", 30));
  ASSERT_TRUE(util::IniWriteBool(file, "CardSetup_4", "Placed", true));
  RestartProgram();
  // The two windows were open at the close: they come back where they were.
  ASSERT_NE(config::gApp.CardSetupForms[0], nullptr);
  ASSERT_NE(config::gApp.CardSetupForms[1], nullptr);
  EXPECT_EQ(config::gApp.CardSetupForms[0]->pos(), first);
  EXPECT_EQ(config::gApp.CardSetupForms[1]->pos(), second);
  OpenFromMenu("SubMenuMenuCardSetup", 4);
  EXPECT_EQ(config::gApp.CardSetupForms[4]->pos(), QPoint(5, 30));
  // One never placed still finds a free place.
  OpenFromMenu("SubMenuMenuCardSetup", 5);
  ExpectOnScreenAndClearOfStrips({config::gApp.CardSetupForms[5]});
}

}  // namespace
}  // namespace operatortest
