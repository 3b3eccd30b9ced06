#pragma once
// One receiver channel's spectrum inside its status panel: up to 16384 points taken every 0.2 s
// from the channel's display block, drawn over a 10 x 10 grid from -90 dB (bottom edge) to
// +10 dB (top edge), a reference-level bar that moves the trace down by its percent of the
// height, and a span menu ("S") that sets the card's FFT span.
//
// The renderer draws with OpenGL, or with QPainter where the display has no GL (scope_drawing.h).
// UI thread only; one mutex brackets the view changes of ResetView and the Draw of each refresh.
#include <array>
#include <memory>
#include <mutex>

#include <QWidget>

#include "ui/displays/scope_drawing.h"
#include "ui/displays/scope_renderer.h"
#include "ui/displays/scope_view_record.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QScrollBar;

namespace card {
class kr20cardclass;
struct CardSetupRecord;
}  // namespace card

namespace ui {

// Span menu entries in MHz, index = item tag; -1 is "Auto Set".
inline constexpr std::array<double, 9> kFftSpanTableMhz{1, 2, 5, 10, 15, 20, 30, 40, -1};
// dB per division of a display scale index: 0 -> 1, 1 -> 2, 2 -> 5, 3 -> 10, any other -> 1.
double DbPerDivision(int index);
// The scale the display uses: 10 dB per division.
inline constexpr int kFftDbPerDivisionIndex = 3;

}  // namespace ui

class TFft_WidgetForm final : public QWidget {
 public:
  // A display for (card, channel) on `hostPanel`. `drawing` Auto takes the program's choice.
  TFft_WidgetForm(QWidget* hostPanel, int channel, int card, ui::ScopeDrawing drawing = ui::ScopeDrawing::Auto);
  ~TFft_WidgetForm() override;

  // Once: the span menu, the panels, the view record, the renderer, the colours.
  void InitSpectrumView();
  // Every 0.2 s: the channel's spectrum points from its display block, then one frame. Only when
  // initialised, visible and the program is not closing.
  void UpdateSpectrum();
  void ApplySpectrumColours();
  // Deletes the renderer; later refreshes draw nothing.
  void CloseSpectrumDisplay();
  void ResetView();
  void RefreshMarkers();
  void BuildSpanMenu();
  void SpanItemClick(QAction* item);
  void PanelSpanClick();
  void ScrollBarSpectrumRefCcpModeChange(int position);

  bool Initialised() const { return initialised_; }
  int PointCount() const { return count_; }
  double ReferenceLevel() const { return referenceLevel_; }
  const ui::ScopeViewRecord& View() const { return view_; }
  ui::ScopeRenderer* Renderer() const { return renderer_.get(); }

  QFrame* PanelMaster = nullptr;
  QFrame* PanelVideo = nullptr;
  QFrame* PanelTopControl = nullptr;
  QFrame* PanelLeftControl = nullptr;
  QFrame* PanelRightControl = nullptr;
  QFrame* PanelCcpModeMainControl = nullptr;
  QScrollBar* ScrollBarSpectrumRefCcpMode = nullptr;
  QLabel* PanelSpan = nullptr;
  QMenu* PopupMenuSpan = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void PlaceMaster();
  card::CardSetupRecord* Setup() const;

  int card_;
  int channel_;
  ui::ScopeDrawing drawing_;
  std::unique_ptr<std::array<double, ui::kScopePoints>> points_;
  int count_ = 0;
  bool initialised_ = false;
  bool busy_ = false;
  double referenceLevel_ = 0.0;
  std::unique_ptr<ui::ScopeRenderer> renderer_;
  std::unique_ptr<std::array<ui::ScopeVertex, ui::kScopePoints>> vertices_;
  std::mutex drawingLock_;
  ui::ScopeViewRecord view_{};
};
