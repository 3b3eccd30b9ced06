#pragma once
// A status lamp: a small filled rectangle with a dark border, lime while locked or detected,
// yellow while not, silver where the value does not apply.
#include <QWidget>

#include "util/colour.h"

namespace util {

inline constexpr TColor kLampOnColour = 0x00FF00;       // lime
inline constexpr TColor kLampOffColour = 0x00FFFF;      // yellow
inline constexpr TColor kLampUnusedColour = 0xC0C0C0;   // silver

inline constexpr TColor LampColour(bool on) { return on ? kLampOnColour : kLampOffColour; }

class StatusLamp final : public QWidget {
 public:
  explicit StatusLamp(QWidget* parent = nullptr);
  // Repaints only when the colour changes: the strips set their lamps ten times a second.
  void SetColour(TColor colour);
  TColor Colour() const { return colour_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TColor colour_ = kLampUnusedColour;
};

}  // namespace util
