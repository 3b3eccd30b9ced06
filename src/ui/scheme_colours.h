#pragma once
// The colour scheme every operator window takes its colours from: the options' scheme,
// or the first built-in scheme while there are no options.
#include <QColor>
#include <QWidget>

#include "config/options_record.h"
#include "util/colour.h"

namespace ui {

util::TColor SchemeColour(config::ColorIndex index);

// Fills the widget's background with `background` (and, with `text`, sets its text colour).
void PaintPanel(QWidget* widget, util::TColor background);
void SetTextColour(QWidget* widget, util::TColor text);

}  // namespace ui
