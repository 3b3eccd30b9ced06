#include "ui/card_window_place.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWidget>

#include <vector>

#include "config/globals.h"
#include "ui/cards/main_status_bar_form.h"
#include "ui/free_place.h"
#include "ui/main_form.h"

namespace ui {

namespace {

QRect GlobalRect(const QWidget& widget) { return QRect(widget.mapToGlobal(QPoint(0, 0)), widget.size()); }

}  // namespace

void PlaceCardWindow(QWidget& window, int card, config::CardWindowKind kind,
                     const std::function<bool(const QWidget&)>& sameKind) {
  config::WindowPlacementRecord& placement = config::gApp.Placement(card, kind);
  if (config::gApp.Placed(card, kind) != 0) {
    window.move(placement.Left, placement.Top);
    return;
  }
  TQuorxLMainForm* main = config::gApp.QuorxLMainForm;
  QScreen* screen = main != nullptr ? main->screen() : QGuiApplication::primaryScreen();
  const QRect area = screen != nullptr ? screen->availableGeometry() : QRect();
  std::vector<QRect> strips;
  if (main != nullptr && main->isVisible()) {
    // The main window's menu bar counts as a strip: it too must stay in reach.
    if (const QWidget* menu = main->menuWidget(); menu != nullptr && menu->isVisible()) strips.push_back(GlobalRect(*menu));
    for (int slot = 0; slot < kStatusPanelCount; ++slot) {
      const TSM_MainStatusBarForm* strip = main->StatusBar(slot);
      if (strip != nullptr && strip->isVisible()) strips.push_back(GlobalRect(*strip));
    }
  }
  std::vector<QRect> windows;
  for (const QWidget* other : QApplication::topLevelWidgets()) {
    if (other != &window && other->isVisible() && sameKind(*other)) windows.push_back(other->frameGeometry());
  }
  // The size the window's layout will give it (it settles after the first showing), with its frame.
  QSize size = window.size();
  if (QLayout* layout = window.layout(); layout != nullptr) {
    layout->activate();
    size = size.boundedTo(layout->maximumSize()).expandedTo(layout->minimumSize());
  }
  size += window.frameGeometry().size() - window.geometry().size();
  const QPoint place = FindFreePlace(size, area, strips, windows);
  window.move(place);
  placement.Left = place.x();
  placement.Top = place.y();
  placement.Width = window.width();
  placement.Height = window.height();
  config::gApp.Placed(card, kind) = 1;
}

}  // namespace ui
