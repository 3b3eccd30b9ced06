#pragma once
// A vertical bar gauge without text: the share of the bar between the minimum and the progress,
// from the bottom up, in the fore colour on the back colour.
#include <QWidget>

#include "util/colour.h"

namespace ui {

class BarGauge final : public QWidget {
 public:
  BarGauge(QWidget* parent, int minimum, int maximum);

  // Limited to the range.
  void SetProgress(int progress);
  void SetForeColour(util::TColor colour);
  void SetBackColour(util::TColor colour);

  int Progress() const { return progress_; }
  int Minimum() const { return minimum_; }
  int Maximum() const { return maximum_; }
  util::TColor ForeColour() const { return fore_; }
  // Pixel rows of the bar for the current progress.
  int FilledHeight() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int minimum_;
  int maximum_;
  int progress_;
  util::TColor fore_ = 0x00FF00u;
  util::TColor back_ = 0;
};

}  // namespace ui
