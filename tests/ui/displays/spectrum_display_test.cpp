// The spectrum display as the virtual X server shows it, drawn with OpenGL (Mesa) and with the
// QPainter fallback: grid, trace rows, reference level, point counts and values out of range.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <QAction>
#include <QFrame>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

#include "display_test_support.h"
#include "support/log_capture.h"
#include "ui/scheme_colours.h"
#include "ui/displays/fft_widget_form.h"
#include "ui/fill_parent.h"
#include "ui/displays/scope_gl.h"
#include "ui/displays/scope_painter.h"
#include "util/process_globals.h"

namespace {

using displaytest::At;
using displaytest::CountColour;
using displaytest::Rgb;
using ui::ScopeDrawing;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

const char* DrawingName(ScopeDrawing drawing) { return drawing == ScopeDrawing::OpenGl ? "OpenGl" : "Painter"; }

// One display for card 0, channel 0 on a shown 152 x 150 host panel.
class SpectrumDisplay {
 public:
  explicit SpectrumDisplay(ScopeDrawing drawing) {
    host_.resize(152, 150);
    form_ = new TFft_WidgetForm(&host_, 0, 0, drawing);
    ui::FillParent(form_);
    host_.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&host_));
    QCoreApplication::processEvents();
  }

  TFft_WidgetForm& Form() { return *form_; }
  QImage Screen() { return displaytest::Screen(form_->PanelVideo); }
  int Width() const { return form_->PanelVideo->width(); }
  int Height() const { return form_->PanelVideo->height(); }
  // The screen row of a value (screen rows count downwards).
  int RowOf(double db) const { return Height() - 1 - form_->Renderer()->RowOf(db); }
  QWidget& Host() { return host_; }

 private:
  QWidget host_;
  TFft_WidgetForm* form_;
};

class SpectrumPixels : public ::testing::TestWithParam<ScopeDrawing> {
 protected:
  void SetUp() override {
    if (GetParam() == ScopeDrawing::OpenGl) {
      if (const std::string reason = displaytest::NoOpenGlReason(); !reason.empty()) GTEST_SKIP() << reason;
    }
    display_ = std::make_unique<SpectrumDisplay>(GetParam());
  }
  void TearDown() override { util::ClosingFlag = false; }

  // `count` points, every one at `db`, shown.
  QImage Show(double db, int count) {
    manager_.SetSpectrum(std::vector<double>(static_cast<std::size_t>(std::clamp(count, 0, 16384)), db), count);
    display_->Form().UpdateSpectrum();
    return display_->Screen();
  }

  displaytest::InstalledSetManager manager_;
  std::unique_ptr<SpectrumDisplay> display_;
  const QRgb trace_ = Rgb(ui::SchemeColour(config::kTraceColor));
  const QRgb grid_ = Rgb(ui::SchemeColour(config::kGridColor));
  const QRgb background_ = Rgb(ui::SchemeColour(config::kScopeBackgroundColor));
};

TEST_P(SpectrumPixels, GridDividesTheViewInTenEachWayAndTracksTheRendererKind) {
  TFft_WidgetForm& form = display_->Form();
  ASSERT_TRUE(form.Initialised());
  EXPECT_EQ(dynamic_cast<ui::scopeglclass*>(form.Renderer()) != nullptr, GetParam() == ScopeDrawing::OpenGl);
  const QImage screen = display_->Screen();
  const int w = display_->Width();
  const int h = display_->Height();
  ASSERT_EQ(screen.size(), QSize(w, h));
  EXPECT_EQ(w, 146);
  EXPECT_EQ(h, 124);
  // A column between two horizontal lines crosses the vertical lines only.
  const int freeRow = h - 1 - (static_cast<int>(std::lround(h / 10.0)) / 2);
  std::vector<int> columns;
  for (int x = 0; x < w; ++x) {
    if (At(screen, x, freeRow) == grid_) columns.push_back(x);
  }
  std::vector<int> expected;
  for (int j = 0; j < 9; ++j) expected.push_back(static_cast<int>(std::lround((j + 1) * w / 10.0)));
  EXPECT_EQ(columns, expected);
  std::vector<int> rows;
  for (int y = 0; y < h; ++y) {
    if (At(screen, 1, y) == grid_) rows.push_back(h - 1 - y);
  }
  std::vector<int> expectedRows;
  for (int j = 8; j >= 0; --j) expectedRows.push_back(static_cast<int>(std::lround((j + 1) * h / 10.0)));
  EXPECT_EQ(rows, expectedRows);
  EXPECT_EQ(CountColour(screen, trace_), 0) << "no trace before data";
}

TEST_P(SpectrumPixels, TraceValueLiesOnItsRowAndTheReferenceLevelMovesItDown) {
  for (const double db : {-80.0, -40.0, 0.0}) {
    SCOPED_TRACE(db);
    const QImage screen = Show(db, 100);
    const int row = display_->RowOf(db);
    EXPECT_EQ(row, display_->Height() - 1 - static_cast<int>(std::lround((db + 90.0) * display_->Height() / 100.0)));
    // Points 1 .. 99 span the columns from 1 x 1.46 to 99 x 1.46.
    const int onRow = CountColour(screen, trace_, QRect(0, row, display_->Width(), 1));
    EXPECT_GE(onRow, 140);
    EXPECT_EQ(CountColour(screen, trace_), onRow) << "nothing off the row";
  }
  display_->Form().ScrollBarSpectrumRefCcpMode->setValue(25);
  EXPECT_EQ(display_->Form().ReferenceLevel(), 25.0);
  const QImage moved = Show(-40.0, 100);
  const int expected = display_->Height() - 1 -
                       static_cast<int>(std::lround(50.0 * display_->Height() / 100.0 - 0.25 * display_->Height()));
  EXPECT_GE(CountColour(moved, trace_, QRect(0, expected, display_->Width(), 1)), 140);

  display_->Form().ScrollBarSpectrumRefCcpMode->setValue(200);  // two heights down: out of view
  EXPECT_EQ(CountColour(Show(10.0, 100), trace_), 0);
}

TEST_P(SpectrumPixels, PointCountsFromNoneToTheWholeBlockAndBeyond) {
  struct Row {
    const char* name;
    int count;
    bool trace;
  };
  for (const Row& row : {Row{"none", 0, false}, Row{"one", 1, false}, Row{"two", 2, false}, Row{"three", 3, true},
                         Row{"whole block", 16384, true}, Row{"negative", -7, false}, Row{"beyond", 16385, true},
                         Row{"huge", 2147483647, true}}) {
    SCOPED_TRACE(row.name);
    const QImage screen = Show(-40.0, row.count);
    EXPECT_EQ(CountColour(screen, trace_) > 0, row.trace);
    EXPECT_GE(display_->Form().PointCount(), 0);
    EXPECT_LE(display_->Form().PointCount(), 16384);
  }
  // Three points: the one segment from point 1 to point 2 spans a third of the width.
  const QImage three = Show(-40.0, 3);
  const int row = display_->RowOf(-40.0);
  const int lit = CountColour(three, trace_, QRect(0, row, display_->Width(), 1));
  EXPECT_NEAR(lit, display_->Width() / 3, 2);
}

TEST_P(SpectrumPixels, ValuesThatAreNoNumbersLeaveGapsAndWildOnesStayOffTheView) {
  std::vector<double> values(100, -40.0);
  values[50] = kNaN;
  values[51] = kInf;
  values[52] = -kInf;
  values[70] = 1e300;  // a spike far above the top edge
  manager_.SetSpectrum(values, 100);
  display_->Form().UpdateSpectrum();
  const QImage screen = display_->Screen();
  const int row = display_->RowOf(-40.0);
  // The gap: no trace around the columns of points 50 .. 52.
  const int gapColumn = static_cast<int>(std::lround(51 * display_->Width() / 100.0));
  EXPECT_EQ(CountColour(screen, trace_, QRect(gapColumn - 1, 0, 3, display_->Height())), 0);
  EXPECT_GT(CountColour(screen, trace_, QRect(0, row, gapColumn - 3, 1)), 50);
  // The spike reaches the top edge.
  const int spikeColumn = static_cast<int>(std::lround(70 * display_->Width() / 100.0));
  EXPECT_GT(CountColour(screen, trace_, QRect(spikeColumn - 2, 0, 5, 3)), 0);
}

TEST_P(SpectrumPixels, ViewResetWithoutDataKeepsFiniteScalesAndDrawsTheGrid) {
  TFft_WidgetForm& form = display_->Form();
  form.ResetView();
  ui::ScopeRenderer& renderer = *form.Renderer();
  EXPECT_EQ(renderer.XPixelsPerPoint(), 0.0);
  EXPECT_TRUE(std::isfinite(renderer.YPixelsPerDb()));
  EXPECT_EQ(renderer.VerticalFactor(), 1.0);
  EXPECT_EQ(renderer.ZoomFactor(), 1.0);
  const QImage screen = display_->Screen();
  EXPECT_GT(CountColour(screen, grid_), 0);
  EXPECT_EQ(CountColour(screen, trace_), 0);
  // Data after the reset lands where it belongs.
  EXPECT_GE(CountColour(Show(-40.0, 100), trace_, QRect(0, display_->RowOf(-40.0), display_->Width(), 1)), 140);
}

TEST_P(SpectrumPixels, HiddenOrClosedDisplaysCopyAndDrawNothing) {
  TFft_WidgetForm& form = display_->Form();
  Show(-40.0, 100);
  ASSERT_EQ(form.PointCount(), 100);
  form.hide();
  manager_.SetSpectrum(std::vector<double>(10, -40.0), 10);
  form.UpdateSpectrum();
  EXPECT_EQ(form.PointCount(), 100) << "a hidden display reads nothing";
  form.show();
  util::ClosingFlag = true;
  form.UpdateSpectrum();
  EXPECT_EQ(form.PointCount(), 100) << "nor while the program closes";
  util::ClosingFlag = false;
  form.CloseSpectrumDisplay();
  EXPECT_EQ(form.Renderer(), nullptr);
  form.UpdateSpectrum();  // still reads, draws nothing
  EXPECT_EQ(form.PointCount(), 10);
}

TEST_P(SpectrumPixels, TextsShowTheSpanOnceDataIsThere) {
  util::SetScreenSize({1280, 1024});
  const QRgb labels = Rgb(ui::SchemeColour(config::kDataBarLabelsColor));
  EXPECT_EQ(CountColour(display_->Screen(), labels), 0) << "no texts before data";
  const QImage screen = Show(-80.0, 100);
  // "Span" at x 10 on the top line; the span value of column 1 three lines lower on this screen.
  const int f = 9;
  EXPECT_GT(CountColour(screen, labels, QRect(10, 0, 30, f + 2)), 10);
  EXPECT_GT(CountColour(screen, labels, QRect(40, 3 * (f + 2), 60, f + 2)), 10);
  EXPECT_EQ(ui::ScopeText(display_->Form().View().Texts[1][0].Value), "0.0 MHz");
}

INSTANTIATE_TEST_SUITE_P(Drawing, SpectrumPixels, ::testing::Values(ScopeDrawing::OpenGl, ScopeDrawing::Painter),
                         [](const auto& row) { return std::string(DrawingName(row.param)); });

TEST(SpectrumFallback, PainterShowsTheSamePictureAsOpenGl) {
  if (const std::string reason = displaytest::NoOpenGlReason(); !reason.empty()) GTEST_SKIP() << reason;
  util::SetScreenSize({1280, 1024});
  displaytest::InstalledSetManager manager;
  std::vector<double> values(16384);
  for (std::size_t i = 0; i < values.size(); ++i) {
    // A carrier hump over a ragged noise floor.
    const double offset = (static_cast<double>(i) - 8192.0) / 600.0;
    values[i] = -75.0 + 5.0 * std::sin(static_cast<double>(i) * 0.37) + 50.0 * std::exp(-offset * offset);
  }
  manager.SetSpectrum(values, 16384);
  SpectrumDisplay gl(ScopeDrawing::OpenGl);
  SpectrumDisplay painter(ScopeDrawing::Painter);
  gl.Form().UpdateSpectrum();
  painter.Form().UpdateSpectrum();
  const QImage a = gl.Screen();
  const QImage b = painter.Screen();
  ASSERT_EQ(a.size(), b.size());
  int differing = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) differing += At(a, x, y) != At(b, x, y) ? 1 : 0;
  }
  const QRgb trace = Rgb(ui::SchemeColour(config::kTraceColor));
  const int traceA = CountColour(a, trace);
  const int traceB = CountColour(b, trace);
  EXPECT_GT(traceA, 500);
  EXPECT_NEAR(traceA, traceB, traceA / 10);
  // Lines of one pixel may end a pixel apart; everything else matches.
  EXPECT_LE(differing, a.width() * a.height() / 50) << differing << " pixels differ";
}

// The virtual X server offers OpenGL through Mesa's software rasterizer: the displays draw with
// QPainter there, and say so once.
TEST(SpectrumDrawingChoice, SoftwareOpenGlOfTheVirtualXServerIsPassedOverAndTheChoiceIsLoggedOnce) {
  if (const std::string reason = displaytest::NoOpenGlReason(); !reason.empty()) GTEST_SKIP() << reason;
  testsupport::LoggedProgramFolder folder;
  ui::ScopeDrawingPolicy policy;
  EXPECT_EQ(policy.Choose(), ScopeDrawing::Painter);
  EXPECT_EQ(policy.Choose(), ScopeDrawing::Painter);
  const std::vector<std::string> texts = folder.LogTexts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], "------------------PROGRAM START--------------------");
  EXPECT_EQ(texts[1], "Program Version 2.01");
  EXPECT_EQ(texts[2].rfind("Spectrum displays draw with QPainter: OpenGL is rendered in software (llvmpipe", 0), 0u)
      << texts[2];
}

// Up to 16384 points on a few hundred pixel columns: the renderer draws each column's range, and
// the picture must be the one every segment between consecutive points gives.
TEST(SpectrumTrace, ColumnRangesLightTheSamePixelsAsEverySegment) {
  displaytest::InstalledSetManager manager;
  std::vector<double> values(16384);
  std::uint32_t noise = 12345;
  for (std::size_t i = 0; i < values.size(); ++i) {
    noise = noise * 1664525u + 1013904223u;  // a ragged floor, as a real spectrum has
    const double offset = (static_cast<double>(i) - 5000.0) / 300.0;
    values[i] = -80.0 + 12.0 * (noise >> 8) / 16777216.0 + 45.0 * std::exp(-offset * offset);
  }
  manager.SetSpectrum(values, 16384);
  SpectrumDisplay display(ScopeDrawing::Painter);
  display.Form().UpdateSpectrum();
  const QImage screen = display.Screen();

  // Every segment from point 1 to the last, drawn one by one.
  QImage reference(screen.size(), QImage::Format_RGB32);
  reference.fill(Qt::black);
  {
    QPainter painter(&reference);
    painter.setPen(QPen(Qt::white, 0));
    const ui::ScopeRenderer& renderer = *display.Form().Renderer();
    const int h = display.Height();
    for (std::size_t i = 1; i + 1 < values.size(); ++i) {
      painter.drawLine(renderer.ColumnOf(static_cast<double>(i)), h - 1 - renderer.RowOf(values[i]),
                       renderer.ColumnOf(static_cast<double>(i + 1)), h - 1 - renderer.RowOf(values[i + 1]));
    }
  }
  const QRgb trace = Rgb(ui::SchemeColour(config::kTraceColor));
  int both = 0;
  int onlyOne = 0;
  for (int y = 0; y < screen.height(); ++y) {
    for (int x = 0; x < screen.width(); ++x) {
      const bool drawn = At(screen, x, y) == trace;
      const bool expected = At(reference, x, y) == 0xFFFFFFu;
      both += drawn && expected ? 1 : 0;
      onlyOne += drawn != expected ? 1 : 0;
    }
  }
  EXPECT_GT(both, 2000);
  EXPECT_LE(onlyOne, both / 100) << onlyOne << " pixels differ of " << both;
}

TEST(SpectrumMenu, EightSpansOfferedAndTheOneMegahertzEntryHidden) {
  displaytest::InstalledSetManager manager;
  SpectrumDisplay display(ScopeDrawing::Painter);
  std::vector<std::string> names;
  std::vector<std::string> shown;
  for (QAction* item : display.Form().PopupMenuSpan->actions()) {
    names.push_back(item->objectName().toStdString());
    if (item->isVisible()) shown.push_back(item->text().toStdString());
  }
  EXPECT_EQ(names, (std::vector<std::string>{"MenuFftSpan0_Single", "MenuFftSpan1_Single", "MenuFftSpan2_Single",
                                             "MenuFftSpan3_Single", "MenuFftSpan4_Single", "MenuFftSpan5_Single",
                                             "MenuFftSpan6_Single", "MenuFftSpan7_Single", "MenuFftSpan8_Single"}));
  EXPECT_EQ(shown, (std::vector<std::string>{"2.0MHz", "5.0MHz", "10.0MHz", "15.0MHz", "20.0MHz", "30.0MHz", "40.0MHz",
                                             "Auto Set"}));
  EXPECT_EQ(display.Form().ScrollBarSpectrumRefCcpMode->minimum(), -200);
  EXPECT_EQ(display.Form().ScrollBarSpectrumRefCcpMode->maximum(), 200);
}

}  // namespace
