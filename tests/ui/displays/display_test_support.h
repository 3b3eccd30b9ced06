#pragma once
// Displays drawn on the virtual X server: a set manager whose display blocks the tests fill, a
// shown host panel, and reading back what the screen shows.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QTest>
#include <QWidget>

#include "settings/display_data_block.h"
#include "ui/displays/scope_drawing.h"
#include "settings/set_manager.h"
#include "util/colour.h"
#include "util/gui/qt_colour.h"

namespace displaytest {

// Why OpenGL drawing cannot be tried here, empty when it can: a GL surface needs a platform with
// GL windows and a context that can be made current. A GL test skips with this reason.
inline std::string NoOpenGlReason() {
  const std::string platform = QGuiApplication::platformName().toStdString();
  if (ui::DecideScopeDrawing(platform, true).Drawing != ui::ScopeDrawing::OpenGl) {
    return "the Qt platform \"" + platform + "\" has no OpenGL windows";
  }
  std::string renderer;
  if (!ui::ProbeOpenGl(renderer)) return "no OpenGL context can be made current on the Qt platform \"" + platform + "\"";
  return {};
}

// The set manager the displays read, installed as gKr20SetMgr for the test's lifetime.
class InstalledSetManager {
 public:
  InstalledSetManager() : manager_(std::make_unique<kr20setmgrclass>()) { gKr20SetMgr = manager_.get(); }
  ~InstalledSetManager() { gKr20SetMgr = nullptr; }
  InstalledSetManager(const InstalledSetManager&) = delete;
  InstalledSetManager& operator=(const InstalledSetManager&) = delete;

  settings::DisplayDataBlock& Block(int card = 0, int channel = 0) { return manager_->DisplayBlock(card, channel); }

  // Count and values written as the card's buffer read writes them: bytes into the packed block.
  void SetSpectrum(const std::vector<double>& values, int count, int card = 0, int channel = 0) {
    settings::DisplayDataBlock& block = Block(card, channel);
    block.SpectrumCount = count;
    auto* bytes = reinterpret_cast<std::byte*>(&block);
    if (values.empty()) return;
    std::memcpy(bytes + offsetof(settings::DisplayDataBlock, SpectrumPoints), values.data(),
                std::min(values.size(), settings::kDisplayPoints) * sizeof(double));
  }
  void SetIq(const std::vector<std::array<double, 2>>& pairs, int count, int card = 0, int channel = 0) {
    settings::DisplayDataBlock& block = Block(card, channel);
    block.IqCount = count;
    auto* bytes = reinterpret_cast<std::byte*>(&block);
    if (pairs.empty()) return;
    std::memcpy(bytes + offsetof(settings::DisplayDataBlock, IqPairs), pairs.data(),
                std::min(pairs.size(), settings::kDisplayPoints) * 2 * sizeof(double));
  }

 private:
  std::unique_ptr<kr20setmgrclass> manager_;
};

inline QRgb Rgb(util::TColor colour) { return util::ToQColor(colour).rgb() & 0xFFFFFFu; }
inline QRgb At(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFFu; }

// What the widget shows now, GL surfaces included.
inline QImage Screen(QWidget* widget) {
  QCoreApplication::processEvents();
  return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline int CountColour(const QImage& image, QRgb rgb, QRect area = {}) {
  if (area.isNull()) area = image.rect();
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) count += At(image, x, y) == rgb ? 1 : 0;
  }
  return count;
}

}  // namespace displaytest
