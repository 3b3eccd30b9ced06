#include "ui/menu_bar_style.h"

#include <QIcon>
#include <QPainter>
#include <QStyleOptionMenuItem>
#include <QWidget>

#include <algorithm>

namespace ui {
namespace {

constexpr int kImageGap = 4;

const QStyleOptionMenuItem* ItemWithImageAndCaption(const QStyleOption* option) {
  const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
  return item != nullptr && !item->icon.isNull() && !item->text.isEmpty() ? item : nullptr;
}

}  // namespace

void MenuBarStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                               const QWidget* widget) const {
  const QStyleOptionMenuItem* item = element == CE_MenuBarItem ? ItemWithImageAndCaption(option) : nullptr;
  if (item == nullptr) {
    QProxyStyle::drawControl(element, option, painter, widget);
    return;
  }
  const int side = pixelMetric(PM_SmallIconSize, option, widget);
  // The caption drawn as usual in the part of the item right of the image.
  QStyleOptionMenuItem caption(*item);
  caption.icon = QIcon();
  caption.rect.setLeft(item->rect.left() + side + kImageGap);
  QStyleOptionMenuItem background(*item);
  background.icon = QIcon();
  background.text.clear();
  QProxyStyle::drawControl(element, &background, painter, widget);
  QProxyStyle::drawControl(element, &caption, painter, widget);
  const QRect image(item->rect.left() + kImageGap, item->rect.center().y() - side / 2, side, side);
  item->icon.paint(painter, image);
}

QSize MenuBarStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                     const QWidget* widget) const {
  const QStyleOptionMenuItem* item = type == CT_MenuBarItem ? ItemWithImageAndCaption(option) : nullptr;
  if (item == nullptr) return QProxyStyle::sizeFromContents(type, option, size, widget);
  const int side = pixelMetric(PM_SmallIconSize, option, widget);
  const QSize text = item->fontMetrics.size(Qt::TextShowMnemonic, item->text);
  const QSize both(side + kImageGap + text.width(), std::max(side, text.height()));
  return QProxyStyle::sizeFromContents(type, option, both, widget);
}

}  // namespace ui
