#pragma once
// The menu bar's items show their image beside their caption (Qt's own menu bar shows an item's
// image instead of its caption), so that "Logging" keeps its caption while it carries its mark.
#include <QProxyStyle>

namespace ui {

class MenuBarStyle final : public QProxyStyle {
 public:
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override;
  QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                         const QWidget* widget) const override;
};

}  // namespace ui
