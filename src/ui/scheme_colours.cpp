#include "ui/scheme_colours.h"

#include <QPalette>

#include "config/globals.h"
#include "config/options_store.h"
#include "util/gui/qt_colour.h"

namespace ui {

util::TColor SchemeColour(config::ColorIndex index) {
  const auto at = static_cast<std::size_t>(index);
  if (config::gApp.Options != nullptr) return config::gApp.Options->Info().ColorScheme.at(at);
  config::ColorBlock colours{};
  config::kr20optionclass::SelectDefaultColorScheme(0, colours);
  return colours.at(at);
}

void PaintPanel(QWidget* widget, util::TColor background) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, util::ToQColor(background));
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

void SetTextColour(QWidget* widget, util::TColor text) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, util::ToQColor(text));
  palette.setColor(QPalette::Text, util::ToQColor(text));
  widget->setPalette(palette);
}

}  // namespace ui
