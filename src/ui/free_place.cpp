#include "ui/free_place.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <tuple>
#include <utility>

namespace ui {

namespace {

std::int64_t Overlap(const QRect& a, const QRect& b) {
  const QRect both = a.intersected(b);
  return both.isEmpty() ? 0 : static_cast<std::int64_t>(both.width()) * both.height();
}

// A window's title corner: what must stay in sight for the operator to find and drag it.
constexpr int kCornerSide = 40;
constexpr int kCascadeStep = 30;
static_assert(kCascadeStep > kTitleBarHeight, "a cascaded window keeps the title bar above it in sight");

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

std::int64_t StartsNear(const QRect& place, const std::vector<QRect>& windows) {
  std::int64_t near = 0;
  for (const QRect& window : windows) {
    near += std::abs(window.left() - place.left()) <= kNearestStart && std::abs(window.top() - place.top()) <= kNearestStart
                ? 1
                : 0;
  }
  return near;
}

QRect TitleBar(const QRect& window, const QRect& area) {
  return QRect(window.topLeft(), QSize(window.width(), std::min(kTitleBarHeight, window.height()))).intersected(area);
}

// Columns [first, last] of a title bar that something covers.
using Span = std::pair<int, int>;

// The longest run of `bar`'s columns outside every span (sorted by their first column).
int LongestFreeRun(const QRect& bar, const std::vector<Span>& spans) {
  if (bar.isEmpty()) return 0;
  int longest = 0;
  int next = bar.left();
  for (const auto& [first, last] : spans) {
    if (first > next) longest = std::max(longest, first - next);
    next = std::max(next, last + 1);
  }
  return std::max(longest, bar.right() + 1 - next);
}

void AddSpan(const QRect& bar, const QRect& cover, std::vector<Span>& spans) {
  if (!cover.intersects(bar)) return;
  spans.emplace_back(std::max(cover.left(), bar.left()), std::min(cover.right(), bar.right()));
}

// A window's title bar as the windows already there leave it.
struct Title {
  QRect bar;
  std::vector<Span> covered;
  bool inSight = false;
};

// Each window's title bar under the windows above it (later in the list).
std::vector<Title> Titles(const std::vector<QRect>& windows, const QRect& area) {
  std::vector<Title> titles;
  for (std::size_t i = 0; i < windows.size(); ++i) {
    Title title{TitleBar(windows[i], area), {}, false};
    for (std::size_t j = i + 1; j < windows.size(); ++j) AddSpan(title.bar, windows[j], title.covered);
    std::sort(title.covered.begin(), title.covered.end());
    title.inSight = LongestFreeRun(title.bar, title.covered) >= kVisibleTitle;
    titles.push_back(std::move(title));
  }
  return titles;
}

// How many title bars in sight before `place` came are out of sight with it.
std::int64_t TitlesHidden(const QRect& place, const std::vector<Title>& titles) {
  std::int64_t hidden = 0;
  for (const Title& title : titles) {
    if (!title.inSight || !place.intersects(title.bar)) continue;
    std::vector<Span> spans = title.covered;
    AddSpan(title.bar, place, spans);
    std::sort(spans.begin(), spans.end());
    hidden += LongestFreeRun(title.bar, spans) < kVisibleTitle ? 1 : 0;
  }
  return hidden;
}

}  // namespace

int VisibleTitle(const QRect& window, const std::vector<QRect>& others, const QRect& area) {
  const QRect bar = TitleBar(window, area);
  std::vector<Span> spans;
  for (const QRect& other : others) AddSpan(bar, other, spans);
  std::sort(spans.begin(), spans.end());
  return LongestFreeRun(bar, spans);
}

QPoint DialogPlace(QSize size, const QRect& mainFrame, const QRect& area, int gap) {
  QRect dialog(QPoint(0, 0), size);
  dialog.moveCenter(mainFrame.center());
  if (dialog.intersects(mainFrame) && !mainFrame.isEmpty()) {
    const int below = mainFrame.bottom() + 1 + gap;
    const int above = mainFrame.top() - gap - size.height();
    if (below + size.height() <= area.bottom() + 1) {
      dialog.moveTop(below);
    } else if (above >= area.top()) {
      dialog.moveTop(above);
    } else {
      // No room either side: as little of the main window covered as the area allows.
      dialog.moveTop(mainFrame.center().y() < area.center().y() ? below : above);
    }
  }
  if (area.isEmpty()) return dialog.topLeft();
  const auto along = [](int wanted, int low, int high) { return std::max(low, std::min(wanted, high)); };
  return QPoint(along(dialog.left(), area.left(), area.right() + 1 - size.width()),
                along(dialog.top(), area.top(), area.bottom() + 1 - size.height()));
}

QRect FindFreeFrame(QSize size, const QRect& area, const std::vector<QRect>& strips,
                    const std::vector<QRect>& windows, QSize smallest, int gap) {
  if (area.isEmpty()) return QRect(QPoint(0, 0), size);
  const int width = std::min(size.width(), area.width());
  const int height = std::min(size.height(), area.height());
  const int leastWidth = std::max((width + 1) / 2, smallest.width());
  const int leastHeight = std::max((height + 1) / 2, smallest.height());
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
  // Cascade places, for a screen too full to keep windows apart: each title bar stays in sight
  // above the window after it.
  for (const QRect& rect : windows) {
    xs.push_back(rect.left() + kCascadeStep);
    ys.push_back(rect.top() + kCascadeStep);
    // Just as much of the window's title bar left in sight at its start or at its end.
    xs.push_back(rect.left() + kVisibleTitle);
    xs.push_back(rect.right() + 1 - kVisibleTitle - width);
  }
  std::sort(xs.begin(), xs.end());
  xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());

  const std::vector<Title> titles = Titles(windows, area);
  const std::int64_t wanted = static_cast<std::int64_t>(width) * height;
  using Cost = std::tuple<std::int64_t, std::int64_t, std::int64_t, std::int64_t, std::int64_t>;
  bool found = false;
  QRect best;
  Cost bestCost{};
  const auto consider = [&](const QRect& place) {
    // Gaps count as covered, so windows do not touch.
    const QRect padded = place.adjusted(-gap + 1, -gap + 1, gap - 1, gap - 1);
    const Cost cost{TotalOverlap(padded, strips), StartsNear(place, windows), TitlesHidden(place, titles),
                    wanted - static_cast<std::int64_t>(place.width()) * place.height(), CoveredCorners(place, windows)};
    // Scanned top to bottom, left to right, whole windows first: the first of equal cost stays, so
    // windows that must overlap cascade down from the top and leave room for the next.
    if (!found || cost < bestCost) {
      found = true;
      best = place;
      bestCost = cost;
    }
    return std::get<0>(cost) == 0 && TotalOverlap(padded, windows) == 0;
  };
  for (const int y : ys) {
    for (const int x : xs) {
      const QRect place(x, y, width, height);
      if (area.contains(place) && consider(place)) return place;
    }
  }
  // Windows cut to what is left of the area below and right of a corner, down to half their size.
  for (const int y : ys) {
    for (const int x : xs) {
      if (!area.contains(QPoint(x, y))) continue;
      const QRect place(x, y, std::min(width, area.right() + 1 - x), std::min(height, area.bottom() + 1 - y));
      if (place.size() == QSize(width, height) || place.width() < leastWidth || place.height() < leastHeight) continue;
      consider(place);
    }
  }
  return found ? best : QRect(area.topLeft(), QSize(width, height));
}

}  // namespace ui
