#pragma once
// Deletes a widget its parent would otherwise delete later, and clears the reference to it, so that
// nothing reaches a window that is gone.
#include <memory>

namespace util {

template <class Widget>
void DeleteWidget(Widget*& widget) {
  std::unique_ptr<Widget> owned(widget);
  widget = nullptr;
}

}  // namespace util
