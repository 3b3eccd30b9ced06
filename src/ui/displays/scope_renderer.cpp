#include "ui/displays/scope_renderer.h"

#include <algorithm>
#include <cmath>

#include "util/process_globals.h"

namespace ui {

namespace {

// Grids with more lines than this are drawn with this many.
constexpr std::uint32_t kMaxGridLines = 1024;
constexpr int kMinorTickLength = 5;
constexpr int kMarkerStep = 3;
constexpr int kZoomDotSize = 5;
// Screens narrower than this put column 1's texts three lines lower.
constexpr int kWideScreen = 1399;
// Far beyond any client area; keeps wild values inside the integer range.
constexpr double kCoordinateLimit = 32768.0;

int Pixel(double value) {
  return static_cast<int>(std::lround(std::clamp(value, -kCoordinateLimit, kCoordinateLimit)));
}

bool IsBlank(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; });
}

}  // namespace

ScopeRenderer::ScopeRenderer() : lineBuffer_(std::make_unique<std::array<util::GlVertex, kScopePoints>>()) {}

ScopeRenderer::~ScopeRenderer() = default;

void ScopeRenderer::SetView(const ScopeViewRecord& view) {
  const bool newBackground = !backgroundSet_ || view.BackgroundColour != view_.BackgroundColour;
  view_ = view;
  // Every refresh hands the record over; the surface is cleared only for a new colour.
  if (newBackground) BackgroundChanged(view_.BackgroundColour);
  backgroundSet_ = true;
}

void ScopeRenderer::SetTrace(bool dataFlag, std::span<const ScopeVertex> vertices, int count) {
  dataFlag_ = dataFlag;
  vertices_ = vertices.first(std::min(vertices.size(), kScopePoints));
  count_ = std::clamp(count, 0, static_cast<int>(vertices_.size()));
}

void ScopeRenderer::SetHorizontalZoom(double pct) {
  pct = std::isnan(pct) ? 0.0 : std::clamp(pct, 0.0, 99.0);
  zoomFactor_ = 1.0 - 0.01 * pct;
  if (!(zoomFactor_ > 0.0)) zoomFactor_ = 1.0;
}

void ScopeRenderer::SetVerticalScale(double pct) {
  pct = std::isnan(pct) ? 100.0 : std::clamp(pct, 1.0, 1000.0);
  verticalFactor_ = 0.01 * pct;
}

void ScopeRenderer::SetReferenceOffset(double pct) {
  referencePct_ = std::isnan(pct) ? 0.0 : std::clamp(pct, -200.0, 200.0);
  referenceOffset_ = 0.01 * referencePct_ * height_;
}

void ScopeRenderer::StoreClientSize(int width, int height) {
  width_ = std::max(width, 1);
  height_ = std::max(height, 1);
  // The offset is a share of the height, so it follows the height.
  referenceOffset_ = 0.01 * referencePct_ * height_;
}

void ScopeRenderer::ComputeScales() {
  const double top = view_.TopDb / verticalFactor_;
  bottom_ = view_.BottomDb / verticalFactor_;
  double range = top - bottom_;
  if (range == 0.0 || !std::isfinite(range)) range = 0.00001;
  yPixelsPerDb_ = height_ / range;
  xPixelsPerPoint_ = count_ >= 2 ? static_cast<double>(width_) / count_ : 0.0;
  xPixelsPerPoint_ /= zoomFactor_;
  // Centres the zoomed trace; the same for every point count, so a zoom set before the first
  // data still holds when data arrives.
  xOffset_ = 0.5 * width_ / zoomFactor_ - 0.5 * width_;
}

int ScopeRenderer::RowOf(double valueDb) const { return Pixel((valueDb - bottom_) * yPixelsPerDb_ - referenceOffset_); }

int ScopeRenderer::ColumnOf(double index) const {
  const int x = Pixel(index * xPixelsPerPoint_ - xOffset_);
  return view_.MirrorHorizontally != 0 ? width_ - x : x;
}

void ScopeRenderer::Draw() {
  if (util::ClosingFlag.load()) return;
  if (!BeginFrame(view_.BackgroundColour)) return;
  ComputeScales();
  DrawGrid();
  DrawTexts();
  DrawMarkers();
  DrawTrace();
  EndFrame();
}

void ScopeRenderer::DrawGrid() {
  if (zoomFactor_ < 1.0) Dot(width_ - kZoomDotSize, height_ - kZoomDotSize, kZoomDotSize, kScopeYellow);
  const bool mirror = view_.MirrorHorizontally != 0;
  auto verticals = [&](std::uint32_t count, int length, util::TColor colour) {
    const std::uint32_t n = std::min(count, kMaxGridLines);
    for (std::uint32_t j = 0; j < n; ++j) {
      int x = Pixel(static_cast<double>(j + 1) * width_ / (n + 1));
      if (mirror) x = width_ - x;
      const std::array<util::GlVertex, 2> line{{{x, 0}, {x, length}}};
      Lines(line, colour);
    }
  };
  auto horizontals = [&](std::uint32_t count, int length, util::TColor colour) {
    const std::uint32_t n = std::min(count, kMaxGridLines);
    for (std::uint32_t j = 0; j < n; ++j) {
      const int y = Pixel(static_cast<double>(j + 1) * height_ / (n + 1));
      const std::array<util::GlVertex, 2> line{{{0, y}, {length, y}}};
      Lines(line, colour);
    }
  };
  if (view_.MajorVerticalOn != 0) verticals(view_.MajorVerticalCount, height_, view_.MajorGridColour);
  if (view_.MinorVerticalOn != 0) verticals(view_.MinorVerticalCount, kMinorTickLength, view_.MinorGridColour);
  if (view_.MajorHorizontalOn != 0) horizontals(view_.MajorHorizontalCount, width_, view_.MajorGridColour);
  if (view_.MinorHorizontalOn != 0) horizontals(view_.MinorHorizontalCount, kMinorTickLength, view_.MinorGridColour);
}

void ScopeRenderer::DrawTexts() {
  if (!dataPresent_) return;
  const int f = TextFontSize();
  const int h = f / 2;
  const bool narrowScreen = util::GetScreenSize().width < kWideScreen;
  for (int column = 0; column < kScopeTextColumns; ++column) {
    int labelX = 10;
    if (column == 1) labelX = width_ / 2 - 17 * h - 15;
    if (column == 2) labelX = width_ - 15 - 24 * h;
    const int valueX = labelX + 12 * h + f;
    for (int line = 0; line < kScopeTextLines; ++line) {
      const ScopeTextSlot& slot = view_.Texts[static_cast<std::size_t>(column)][static_cast<std::size_t>(line)];
      if (slot.Shown == 0) continue;
      const int row = column == 1 && narrowScreen ? line + 3 : line;
      const int y = height_ - f - (f + 2) * row;
      // Blanks leave no ink: only texts with something to show are drawn.
      const std::string_view label = ScopeText(slot.Label);
      if (!IsBlank(label)) Text(labelX, y, label, slot.Colour);
      const std::string_view value = ScopeText(slot.Value);
      if (!IsBlank(value)) Text(valueX, y, value, slot.ValueActive != 0 ? slot.Colour : kScopeSilver);
    }
  }
}

void ScopeRenderer::DrawMarkers() {
  auto& buffer = *lineBuffer_;
  for (const ScopeMarker& marker : view_.HorizontalMarkers) {
    if (marker.Shown == 0 || !(marker.PositionPct > 0.0 && marker.PositionPct < 100.0)) continue;
    const int y = Pixel(height_ * 0.01 * marker.PositionPct);
    std::size_t n = 0;
    for (int x = 0; x <= width_ && n < buffer.size(); x += kMarkerStep) buffer[n++] = {x, y};
    Points(std::span(buffer.data(), n), marker.Colour);
  }
  for (const ScopeMarker& marker : view_.VerticalMarkers) {
    if (marker.Shown == 0 || !(marker.PositionPct > 0.0 && marker.PositionPct < 100.0)) continue;
    const int x = Pixel(width_ * 0.01 * marker.PositionPct);
    std::size_t n = 0;
    for (int y = 0; y <= height_ && n < buffer.size(); y += kMarkerStep) buffer[n++] = {x, y};
    Points(std::span(buffer.data(), n), marker.Colour);
  }
}

void ScopeRenderer::FlushLines(util::TColor colour) {
  if (lineCount_ >= 2) Lines(std::span(lineBuffer_->data(), lineCount_), colour);
  lineCount_ = 0;
}

void ScopeRenderer::AddTraceVertex(util::GlVertex vertex, util::TColor colour) {
  auto& buffer = *lineBuffer_;
  if (lineCount_ == buffer.size()) {
    // A full buffer is drawn; the next batch goes on from its last vertex.
    const util::GlVertex last = buffer[lineCount_ - 1];
    FlushLines(colour);
    buffer[lineCount_++] = last;
  }
  buffer[lineCount_++] = vertex;
}

void ScopeRenderer::FlushColumn(util::TColor colour) {
  if (column_.Points == 0) return;
  const int x = column_.X;
  AddTraceVertex({x, column_.First}, colour);
  if (column_.Points > 2) {
    // The segments inside one pixel column light the rows between their lowest and highest
    // point, whatever their order: the column's range draws the same pixels.
    AddTraceVertex({x, column_.Lowest}, colour);
    AddTraceVertex({x, column_.Highest}, colour);
  }
  if (column_.Points > 1) AddTraceVertex({x, column_.Last}, colour);
  column_.Points = 0;
}

void ScopeRenderer::DrawTrace() {
  if (count_ == 0 || vertices_.empty()) return;
  const util::TColor colour = dataFlag_ ? view_.TraceColour : kScopeSilver;
  lineCount_ = 0;
  column_.Points = 0;
  // Point 0 starts no segment: the segments run from point 1 to the last point. Up to 16384
  // points fall on a few hundred pixel columns; consecutive points in one column are drawn as
  // that column's range.
  for (int i = 1; i < count_; ++i) {
    const ScopeVertex& v = vertices_[static_cast<std::size_t>(i)];
    if (!std::isfinite(v[0]) || !std::isfinite(v[1])) {
      // A value that is no number leaves a gap.
      FlushColumn(colour);
      FlushLines(colour);
      continue;
    }
    const int x = ColumnOf(v[0]);
    const int y = RowOf(v[1]);
    if (column_.Points > 0 && x != column_.X) FlushColumn(colour);
    if (column_.Points == 0) {
      column_ = {x, y, y, y, y, 0};
    } else {
      column_.Lowest = std::min(column_.Lowest, y);
      column_.Highest = std::max(column_.Highest, y);
      column_.Last = y;
    }
    ++column_.Points;
  }
  FlushColumn(colour);
  FlushLines(colour);
}

}  // namespace ui
