#include "ui/card_window_place.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLayout>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include <utility>
#include <vector>

#include "config/globals.h"
#include "ui/free_place.h"
#include "ui/main_form.h"
#include "ui/main_menus.h"
#include "util/gui/window_frame.h"
#include "util/gui/window_stack.h"

namespace ui {

std::vector<QRect> OtherWindowFrames(const QWidget& window) {
  const QWidget* main = config::gApp.QuorxLMainForm;
  std::vector<QWidget*> others;
  for (QWidget* other : QApplication::topLevelWidgets()) {
    if (other == &window || other == main || !other->isVisible()) continue;
    // Menus, tool tips and the like come and go; they are no place to keep clear of.
    const Qt::WindowType type = other->windowType();
    if (type != Qt::Window && type != Qt::Dialog && type != Qt::Tool) continue;
    others.push_back(other);
  }
  // Which title bar a window covers depends on which lies above which. The log viewers (another
  // program's windows, where they were put) count as lying lowest.
  std::vector<QRect> windows;
  if (TQuorxLMainForm* form = config::gApp.QuorxLMainForm; form != nullptr) {
    windows = form->Menus().LogViewerFrames();
  }
  for (const QWidget* other : util::InStackingOrder(std::move(others))) windows.push_back(other->frameGeometry());
  return windows;
}

namespace {

QRect AvailableArea() {
  TQuorxLMainForm* main = config::gApp.QuorxLMainForm;
  QScreen* screen = main != nullptr ? main->screen() : QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect();
}

// The window at `frame` (its frame's place and size), cut to that size where it is smaller.
void SetFrame(QWidget& window, const QRect& frame, const QMargins& margins) {
  const QSize client = frame.size().shrunkBy(margins);
  if (client != window.size()) window.resize(client.expandedTo(window.minimumSize()));
  util::MoveFrameTo(window, frame.topLeft());
}

}  // namespace

QRect FreeFrameBesideMainWindow(QSize frameSize, const std::vector<QRect>& alsoClear) {
  TQuorxLMainForm* main = config::gApp.QuorxLMainForm;
  std::vector<QRect> mainWindow = alsoClear;
  std::vector<QRect> others;
  if (main != nullptr && main->isVisible()) {
    mainWindow.push_back(main->frameGeometry());
    others = OtherWindowFrames(*main);
  }
  return FindFreeFrame(frameSize, AvailableArea(), mainWindow, others);
}

QMargins MainWindowFrameMargins() {
  const TQuorxLMainForm* main = config::gApp.QuorxLMainForm;
  if (main == nullptr) return {};
  const QRect frame = main->frameGeometry();
  const QRect client = main->geometry();
  return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                  frame.bottom() - client.bottom());
}

void PlaceDialogOnMainWindow(QWidget& dialog) {
  const TQuorxLMainForm* main = config::gApp.QuorxLMainForm;
  if (main == nullptr || !main->isVisible()) return;
  // The size it shows with, and its frame's margins, which the window manager tells of a window
  // created but not yet shown.
  if (!dialog.testAttribute(Qt::WA_Resized)) dialog.adjustSize();
  static_cast<void>(dialog.winId());
  const QMargins margins = util::FrameMargins(dialog);
  const QRect area = AvailableArea();
  const QRect frame = util::FitFrameOnArea(QRect(QPoint(0, 0), dialog.size().grownBy(margins)), area);
  SetFrame(dialog, QRect(DialogPlace(frame.size(), main->frameGeometry(), area), frame.size()), margins);
}

void PlaceCardWindow(QWidget& window, int card, config::CardWindowKind kind) {
  config::WindowPlacementRecord& placement = config::gApp.Placement(card, kind);
  const QRect area = AvailableArea();
  const QMargins margins = util::FrameMargins(window);
  if (config::gApp.Placed(card, kind) != 0) {
    // Back to the pixel where the operator left it; a window larger than this screen (kept from a
    // larger one) is cut to it, its whole frame on it.
    // A window of a fixed size larger than the screen cannot be cut: it keeps its place too.
    const QRect kept(QPoint(placement.Left, placement.Top), window.size().grownBy(margins));
    const QSize least = window.minimumSize().grownBy(margins);
    const bool fits = area.isEmpty() || (kept.width() <= area.width() && kept.height() <= area.height()) ||
                      least.width() > area.width() || least.height() > area.height();
    SetFrame(window, fits ? kept : util::FitFrameOnArea(kept, area), margins);
    return;
  }
  TQuorxLMainForm* main = config::gApp.QuorxLMainForm;
  // The size the window's layout will give it (it settles after the first showing), with its frame.
  QSize size = window.size();
  QSize smallest = window.minimumSize();
  if (QLayout* layout = window.layout(); layout != nullptr) {
    layout->activate();
    size = size.boundedTo(layout->maximumSize()).expandedTo(layout->minimumSize());
    smallest = smallest.expandedTo(layout->minimumSize());
  }
  size = size.grownBy(margins);
  // The whole main window counts: its title bar, menu bar and status strips stay in reach.
  std::vector<QRect> mainWindow;
  if (main != nullptr && main->isVisible()) mainWindow.push_back(main->frameGeometry());
  const QRect frame = FindFreeFrame(size, area, mainWindow, OtherWindowFrames(window), smallest.grownBy(margins));
  SetFrame(window, frame, margins);
  placement.Left = frame.x();
  placement.Top = frame.y();
  placement.Width = window.width();
  placement.Height = window.height();
  config::gApp.Placed(card, kind) = 1;
}

}  // namespace ui
