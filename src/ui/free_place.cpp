#include "ui/free_place.h"

#include <algorithm>
#include <cstdint>
#include <tuple>

namespace ui {

namespace {

std::int64_t Overlap(const QRect& a, const QRect& b) {
  const QRect both = a.intersected(b);
  return both.isEmpty() ? 0 : static_cast<std::int64_t>(both.width()) * both.height();
}

// A window's title corner: what must stay in sight for the operator to find and drag it.
constexpr int kCornerSide = 40;
constexpr int kCascadeStep = 30;

std::int64_t CoveredCorners(const QRect& place, const std::vector<QRect>& windows) {
  std::int64_t covered = 0;
  for (const QRect& window : windows) {
    covered += place.intersects(QRect(window.topLeft(), QSize(kCornerSide, kCornerSide / 2))) ? 1 : 0;
  }
  return covered;
}

std::int64_t TotalOverlap(const QRect& place, const std::vector<QRect>& rects) {
  std::int64_t total = 0;
  for (const QRect& rect : rects) total += Overlap(place, rect);
  return total;
}

}  // namespace

QPoint FindFreePlace(QSize size, const QRect& area, const std::vector<QRect>& strips,
                     const std::vector<QRect>& windows, int gap) {
  if (area.isEmpty()) return QPoint(0, 0);
  const int width = std::min(size.width(), area.width());
  const int height = std::min(size.height(), area.height());
  // Candidate corners: the area's edges and just past every obstacle's edges.
  std::vector<int> xs{area.left(), area.right() + 1 - width};
  std::vector<int> ys{area.top(), area.bottom() + 1 - height};
  for (const std::vector<QRect>* list : {&strips, &windows}) {
    for (const QRect& rect : *list) {
      xs.push_back(rect.right() + 1 + gap);
      xs.push_back(rect.left());
      xs.push_back(rect.left() - gap - width);
      ys.push_back(rect.bottom() + 1 + gap);
      ys.push_back(rect.top());
      ys.push_back(rect.top() - gap - height);
    }
  }
  // Cascade places, for a screen too full to keep windows apart.
  for (const QRect& rect : windows) {
    xs.push_back(rect.left() + kCascadeStep);
    ys.push_back(rect.top() + kCascadeStep);
  }
  std::sort(xs.begin(), xs.end());
  xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());

  bool found = false;
  QPoint best;
  std::tuple<std::int64_t, std::int64_t, std::int64_t> bestCost{};
  for (const int y : ys) {
    for (const int x : xs) {
      const QRect place(x, y, width, height);
      if (!area.contains(place)) continue;
      // Gaps count as covered, so windows do not touch.
      const QRect padded = place.adjusted(-gap + 1, -gap + 1, gap - 1, gap - 1);
      const std::tuple<std::int64_t, std::int64_t, std::int64_t> cost{
          TotalOverlap(padded, strips), CoveredCorners(place, windows), TotalOverlap(padded, windows)};
      if (std::get<0>(cost) == 0 && std::get<2>(cost) == 0) return place.topLeft();
      // Scanned top to bottom, left to right: the first of equal cost stays.
      if (!found || cost < bestCost) {
        found = true;
        best = place.topLeft();
        bestCost = cost;
      }
    }
  }
  return found ? best : area.topLeft();
}

}  // namespace ui
