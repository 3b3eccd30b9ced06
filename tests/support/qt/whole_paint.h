// Pictures of windows as the operator sees them once they have settled, and the check that every
// value box in a picture is drawn whole.
//
// Showing a widget lays its window out at once; hiding one only asks for a new layout, which the
// event loop does later. A picture taken in between shows the row of a value hidden a moment ago
// laid out for it still: the value beside it cut short, the cell's background where the hidden
// value was.
#pragma once

#include <gtest/gtest.h>

#include <QBoxLayout>
#include <QColor>
#include <QCoreApplication>
#include <QEvent>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QRect>
#include <QWidget>

#include <functional>
#include <string>

#include "support/qt/shown_widget.h"

namespace testsupport {

// The widget drawn after the layouts it waits for are done.
inline QImage SettledPicture(QWidget& widget) {
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The layout of `layout`'s tree that holds `widget` itself.
inline QLayout* LayoutHolding(QLayout* layout, const QWidget* widget) {
  if (layout == nullptr) return nullptr;
  for (int i = 0; i < layout->count(); ++i) {
    QLayoutItem* item = layout->itemAt(i);
    if (item->widget() == widget) return layout;
    if (QLayout* inner = LayoutHolding(item->layout(), widget)) return inner;
  }
  return nullptr;
}

// The cell a label's layout gives it, in its parent's coordinates, and how many pixels of the
// cell's background a whole drawing may show across it: the spacing between the boxes of a row of
// several. False when the cell holds anything but value boxes (a lamp, a check box), which leave
// the background showing beside them.
inline bool ValueCell(const QLabel& label, const std::function<bool(const QLabel*)>& isBox, QRect& cell,
                      int& gaps) {
  QLayout* layout = LayoutHolding(label.parentWidget() != nullptr ? label.parentWidget()->layout() : nullptr, &label);
  if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
    int row = 0, column = 0, rows = 0, columns = 0;
    grid->getItemPosition(grid->indexOf(&label), &row, &column, &rows, &columns);
    cell = grid->cellRect(row, column);
    gaps = 0;
    return true;
  }
  auto* box = qobject_cast<QBoxLayout*>(layout);
  if (box == nullptr) return false;
  int shown = 0;
  for (int i = 0; i < box->count(); ++i) {
    QWidget* item = box->itemAt(i)->widget();
    if (item == nullptr || !item->isVisibleTo(label.parentWidget())) continue;
    const auto* other = qobject_cast<const QLabel*>(item);
    if (other == nullptr || !isBox(other)) return false;
    ++shown;
  }
  cell = box->geometry();
  gaps = (shown - 1) * box->spacing();
  return true;
}

// Every value box (a label `isBox` picks, drawn on a colour other than its holder's) that `root` shows
// whole in `picture` (the picture of `pictured`) fills its cell: along the box's middle line the
// cell shows its holder's background no more than between the boxes of a row.
inline testing::AssertionResult ValueBoxesWhole(const QImage& picture, const QWidget& pictured, const QWidget& root,
                                                const std::function<bool(const QLabel*)>& isBox, int* checked = nullptr) {
  int count = 0;
  for (const QLabel* label : root.findChildren<QLabel*>()) {
    if (!isBox(label) || !label->isVisible() || label->visibleRegion().boundingRect() != label->rect()) continue;
    QRect cell;
    int gaps = 0;
    if (!ValueCell(*label, isBox, cell, gaps)) continue;
    const QWidget* holder = label->parentWidget();
    const QColor background = holder->palette().color(holder->backgroundRole());
    // A reading drawn on its holder's own colour is no box.
    if (label->palette().color(label->backgroundRole()) == background) continue;
    const int y = label->mapTo(&pictured, QPoint(0, label->height() / 2)).y();
    const QPoint left = holder->mapTo(&pictured, cell.topLeft());
    int bare = 0;
    for (int x = left.x(); x < left.x() + cell.width(); ++x) {
      if (x < 0 || y < 0 || x >= picture.width() || y >= picture.height()) continue;
      if ((picture.pixel(x, y) & 0xFFFFFFu) == (background.rgb() & 0xFFFFFFu)) ++bare;
    }
    if (bare > gaps) {
      return testing::AssertionFailure() << WidgetName(label) << " \"" << label->text().toStdString() << "\" is "
                                         << label->width() << " px wide in a cell of " << cell.width()
                                         << " px: the cell's background shows on " << bare << " px of its middle line";
    }
    ++count;
  }
  if (checked != nullptr) *checked = count;
  return testing::AssertionSuccess();
}

}  // namespace testsupport
