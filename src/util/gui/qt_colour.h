#pragma once
// TColor (0x00BBGGRR) to and from QColor. The top byte of a TColor carries nothing we keep, and
// a QColor's alpha has no place in a TColor.
#include <QColor>

#include "util/colour.h"

namespace util {

inline QColor ToQColor(TColor colour) { return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour)); }

inline TColor FromQColor(const QColor& colour) {
  const QColor rgb = colour.toRgb();
  return MakeTColor(static_cast<std::uint8_t>(rgb.red()), static_cast<std::uint8_t>(rgb.green()),
                    static_cast<std::uint8_t>(rgb.blue()));
}

}  // namespace util
