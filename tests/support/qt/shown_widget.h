// What an operator really sees of a widget: shown on screen (the widget and every ancestor up to a
// shown window), with a non-zero size, and wholly inside every ancestor, so not clipped away.
// A widget that is hidden, or lies in a tab page that is not selected, is not seen.
#pragma once

#include <gtest/gtest.h>

#include <QLabel>
#include <QCoreApplication>
#include <QRect>
#include <QScrollArea>
#include <QString>
#include <QWidget>

#include <functional>
#include <string>

namespace testsupport {

inline std::string WidgetName(const QWidget* widget) {
  if (widget == nullptr) return "<none>";
  const QString name = widget->objectName();
  return name.isEmpty() ? std::string(widget->metaObject()->className()) : name.toStdString();
}

// Scrolls every scroll area that holds `widget` so that the widget is in view, as the operator
// scrolls to a row.
inline void ScrollIntoView(const QWidget* widget) {
  for (QWidget* ancestor = widget != nullptr ? widget->parentWidget() : nullptr; ancestor != nullptr;
       ancestor = ancestor->parentWidget()) {
    if (auto* area = qobject_cast<QScrollArea*>(ancestor)) {
      area->ensureWidgetVisible(const_cast<QWidget*>(widget), 0, 0);
      QCoreApplication::processEvents();
    }
  }
}

inline testing::AssertionResult ShownToOperator(const QWidget* widget) {
  if (widget == nullptr) return testing::AssertionFailure() << "no such widget";
  if (!widget->isVisible()) {
    const QWidget* hidden = widget;
    while (hidden != nullptr && hidden->isVisibleTo(hidden->parentWidget() ? hidden->parentWidget() : hidden) &&
           !hidden->isWindow()) {
      hidden = hidden->parentWidget();
    }
    return testing::AssertionFailure() << WidgetName(widget) << " is not shown (hidden at " << WidgetName(hidden)
                                       << ")";
  }
  if (widget->width() <= 0 || widget->height() <= 0) {
    return testing::AssertionFailure() << WidgetName(widget) << " has size " << widget->width() << "x"
                                       << widget->height();
  }
  for (const QWidget* ancestor = widget->parentWidget(); ancestor != nullptr; ancestor = ancestor->parentWidget()) {
    const QRect where(widget->mapTo(ancestor, QPoint(0, 0)), widget->size());
    // A panel taller than the scroll area holding it is seen a part at a time, as the operator
    // scrolls; what lies inside it is still checked against the panel.
    const auto* area = ancestor->parentWidget() != nullptr ? qobject_cast<const QScrollArea*>(ancestor->parentWidget())
                                                           : nullptr;
    const bool scrolled = area != nullptr && area->viewport() == ancestor && where.height() > ancestor->height();
    if (scrolled ? !ancestor->rect().intersects(where) : !ancestor->rect().contains(where)) {
      return testing::AssertionFailure() << WidgetName(widget) << " at " << where.x() << "," << where.y() << " "
                                         << where.width() << "x" << where.height() << " is cut off by "
                                         << WidgetName(ancestor) << " (" << ancestor->width() << "x"
                                         << ancestor->height() << ")";
    }
    if (ancestor->isWindow()) break;
  }
  return testing::AssertionSuccess();
}

// Shown, and its whole text fits the label.
inline testing::AssertionResult LabelReadable(const QLabel* label) {
  testing::AssertionResult shown = ShownToOperator(label);
  if (!shown) return shown;
  if (label->text().isEmpty()) return testing::AssertionFailure() << WidgetName(label) << " shows no text";
  const int needed = label->fontMetrics().horizontalAdvance(label->text());
  if (needed > label->contentsRect().width()) {
    return testing::AssertionFailure() << WidgetName(label) << " \"" << label->text().toStdString() << "\" needs "
                                       << needed << " px of " << label->contentsRect().width();
  }
  return testing::AssertionSuccess();
}

// Every label that `page` itself shows (rows its rules hide for the mode are left out) is seen
// whole by the operator; a value (a label that takes clicks or shows a reading) carries a text.
// Returns how many labels were checked, so that a caller can tell a filled page from an empty one.
inline int CheckLabelsShown(const QWidget& page, const std::function<bool(const QLabel*)>& isValue) {
  int checked = 0;
  for (const QLabel* label : page.findChildren<QLabel*>()) {
    if (!label->isVisibleTo(&page)) continue;
    SCOPED_TRACE(WidgetName(label));
    ScrollIntoView(label);
    if (isValue(label) || !label->text().isEmpty()) {
      EXPECT_TRUE(LabelReadable(label));
    } else {
      EXPECT_TRUE(ShownToOperator(label));
    }
    ++checked;
  }
  return checked;
}

}  // namespace testsupport
