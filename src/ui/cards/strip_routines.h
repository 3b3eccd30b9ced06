#pragma once
// Small pieces the status strips share: their labels and lamps, colours from the scheme, hints.
#include <QFont>
#include <QString>

#include <cstddef>
#include <string>
#include <string_view>

#include "config/options_record.h"
#include "util/colour.h"

class QLabel;
class QWidget;
namespace util {
class StatusLamp;
}

namespace ui {

// Arial, 11 pixels high: the strips' font.
QFont StripFont();

// A strength label (36 x 20 at `left`) with its hint.
QLabel* MakeStripLabel(QWidget* parent, const char* name, const char* hint, int left);
// A lamp of 25 x `height` at (left, top) with its hint, yellow until the first refresh.
util::StatusLamp* MakeStripLamp(QWidget* parent, const char* name, const char* hint, int left, int top, int height);

// The designation, or "Group <card> Ch <channel>" (both from 1) when it is empty.
QString StreamHint(const std::string& designation, int card, int channel);

// A NUL-terminated text in a fixed field, never read past the field.
template <std::size_t N>
std::string_view FieldText(const char (&field)[N]) {
  std::size_t length = 0;
  while (length < N && field[length] != '\0') ++length;
  return {field, length};
}

}  // namespace ui
