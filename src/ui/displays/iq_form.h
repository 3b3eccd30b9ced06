#pragma once
// One receiver channel's IQ constellation inside its status panel. Every 0.2 s the channel's IQ
// pairs are copied from its display block and painted with a cross-hair on an off-screen image,
// which is then copied to the screen in one step: the picture never flickers, and each refresh
// replaces the previous one. A block without pairs leaves the last picture standing.
#include <array>
#include <memory>

#include <QImage>
#include <QWidget>

#include "ui/displays/iq_plot.h"
// The image keeps its control in a QPointer, which needs the whole type.
#include <QLabel>

#include "util/gui/offscreen_image.h"

class QFrame;

namespace ui {

inline constexpr std::size_t kIqPairs = 16384;

// The inner borderless form whose canvas receives the finished picture.
class IqScreen final : public QWidget {
 public:
  explicit IqScreen(QWidget* parent);
  QImage& Canvas() { return canvas_; }
  const QImage& Canvas() const { return canvas_; }
  void FillCanvas(util::TColor colour, const QRect& area);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QImage canvas_;
};

}  // namespace ui

class TSC_IQForm final : public QWidget {
 public:
  TSC_IQForm(QWidget* hostPanel, int channel, int card);
  ~TSC_IQForm() override;

  // Count 0, pairs zeroed, the view built; initialised.
  void ResetIqDisplay();
  // Every 0.2 s: the channel's IQ pairs, then one picture. Only when initialised, visible and the
  // program is not closing; a block of no pairs changes nothing.
  void UpdateIqPoints();
  void ApplyIqColours();
  // Removes the off-screen image and the inner form.
  void CloseIqDisplay();

  void PlotIq();
  void PaintIq();
  void DrawIqBackground();

  bool Initialised() const { return initialised_; }
  int PointCount() const { return count_; }
  const ui::IqPlot& Plot() const { return plot_; }
  ui::IqScreen* InnerForm() const { return inner_; }
  util::offscnimageclass* Image() const { return image_.get(); }

  QFrame* PanelGraph = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildIqView();
  void ResizeImage();
  int GraphWidth() const;
  int GraphHeight() const;

  bool initialised_ = false;
  bool busy_ = false;
  int card_;
  int channel_;
  std::unique_ptr<util::offscnimageclass> image_;
  ui::IqScreen* inner_ = nullptr;
  ui::IqPlot plot_;
  int count_ = 0;
  std::unique_ptr<std::array<ui::IqPoint, ui::kIqPairs>> pairs_;
};
