#pragma once
// The window-message road to the main window: a message number and two parameters, posted
// (queued, returns at once) or sent (runs the handler and returns its result). The main window
// implements it; lower layers only hold this interface.
#include <cstdint>

namespace platform {

using WParam = std::uintptr_t;
using LParam = std::intptr_t;

class MessageTarget {
 public:
  virtual ~MessageTarget() = default;
  // Queues the message; false when it cannot be queued (target gone or closing).
  virtual bool Post(std::uint32_t message, WParam wParam, LParam lParam) = 0;
  // Delivers the message and returns the handler's result. From another thread it waits with a
  // time-out and gives up (returning 0) once the program is closing.
  virtual LParam Send(std::uint32_t message, WParam wParam, LParam lParam) = 0;
};

}  // namespace platform
