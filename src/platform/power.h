#pragma once
namespace platform {
// Stands in for shutting the operating system down after the program ends. It never powers the
// machine off: it only reports that it was asked to. Returns false (nothing was shut down).
bool RequestSystemShutdown();
}  // namespace platform
