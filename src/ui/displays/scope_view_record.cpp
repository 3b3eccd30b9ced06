#include "ui/displays/scope_view_record.h"

#include <algorithm>
#include <cstring>

namespace ui {

void SetScopeText(std::array<char, kScopeTextSize>& field, std::string_view text) {
  const std::size_t length = std::min(text.size(), kScopeTextSize - 1);
  std::memcpy(field.data(), text.data(), length);
  std::fill(field.begin() + static_cast<std::ptrdiff_t>(length), field.end(), '\0');
}

std::string_view ScopeText(const std::array<char, kScopeTextSize>& field) {
  return std::string_view(field.data(), strnlen(field.data(), field.size()));
}

ScopeViewRecord DefaultScopeView() {
  ScopeViewRecord view;
  for (int column = 0; column < kScopeTextColumns; ++column) {
    for (int line = 0; line < kScopeTextLines; ++line) {
      ScopeTextSlot& slot = view.Texts[static_cast<std::size_t>(column)][static_cast<std::size_t>(line)];
      const bool shown = column == 0 || (column == 1 && line == 0);
      slot.Shown = shown ? 1 : 0;
      slot.ValueActive = shown ? 1 : 0;
      slot.Colour = kScopeSilver;
      SetScopeText(slot.Label, shown ? "           " : "");
      SetScopeText(slot.Value, "");
    }
  }
  SetScopeText(view.Texts[0][0].Label, "Span       ");
  for (ScopeMarker& marker : view.HorizontalMarkers) marker = {1, kScopeSilver, 0.0};
  for (ScopeMarker& marker : view.VerticalMarkers) marker = {1, kScopeSilver, 0.0};
  return view;
}

}  // namespace ui
