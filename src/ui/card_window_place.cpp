#include "ui/card_window_place.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLayout>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include <vector>

#include "config/globals.h"
#include "ui/free_place.h"
#include "ui/main_form.h"
#include "util/gui/window_frame.h"

namespace ui {

std::vector<QRect> OtherWindowFrames(const QWidget& window) {
  const QWidget* main = config::gApp.QuorxLMainForm;
  std::vector<QRect> windows;
  for (const QWidget* other : QApplication::topLevelWidgets()) {
    if (other == &window || other == main || !other->isVisible()) continue;
    // Menus, tool tips and the like come and go; they are no place to keep clear of.
    const Qt::WindowType type = other->windowType();
    if (type != Qt::Window && type != Qt::Dialog && type != Qt::Tool) continue;
    windows.push_back(other->frameGeometry());
  }
  return windows;
}

void PlaceCardWindow(QWidget& window, int card, config::CardWindowKind kind) {
  config::WindowPlacementRecord& placement = config::gApp.Placement(card, kind);
  if (config::gApp.Placed(card, kind) != 0) {
    util::MoveFrameTo(window, QPoint(placement.Left, placement.Top));
    return;
  }
  TQuorxLMainForm* main = config::gApp.QuorxLMainForm;
  QScreen* screen = main != nullptr ? main->screen() : QGuiApplication::primaryScreen();
  const QRect area = screen != nullptr ? screen->availableGeometry() : QRect();
  // The size the window's layout will give it (it settles after the first showing), with its frame.
  QSize size = window.size();
  if (QLayout* layout = window.layout(); layout != nullptr) {
    layout->activate();
    size = size.boundedTo(layout->maximumSize()).expandedTo(layout->minimumSize());
  }
  const QMargins margins = util::FrameMargins(window);
  size = size.grownBy(margins);
  // The whole main window counts: its title bar, menu bar and status strips stay in reach.
  std::vector<QRect> mainWindow;
  if (main != nullptr && main->isVisible()) mainWindow.push_back(main->frameGeometry());
  const QPoint place = FindFreePlace(size, area, mainWindow, OtherWindowFrames(window));
  util::MoveFrameTo(window, place);
  placement.Left = place.x();
  placement.Top = place.y();
  placement.Width = window.width();
  placement.Height = window.height();
  config::gApp.Placed(card, kind) = 1;
}

}  // namespace ui
