// Widgets need a QApplication before the first test. Listing the tests (done at build time,
// without a display) needs none.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <QApplication>

namespace {

// Under a loaded virtual X server a new client is now and then turned away for a moment, and Qt
// gives up at once. Wait until a plain connection succeeds (at most about 5 s) before Qt tries.
void WaitForDisplay() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (std::getenv("DISPLAY") == nullptr || (platform != nullptr && std::strcmp(platform, "xcb") != 0)) return;
  void* xcb = dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
  if (xcb == nullptr) return;
  using Connect = void* (*)(const char*, int*);
  using HasError = int (*)(void*);
  using Disconnect = void (*)(void*);
  Connect connect = nullptr;
  HasError hasError = nullptr;
  Disconnect disconnect = nullptr;
  void* symbol = dlsym(xcb, "xcb_connect");
  std::memcpy(&connect, &symbol, sizeof connect);
  symbol = dlsym(xcb, "xcb_connection_has_error");
  std::memcpy(&hasError, &symbol, sizeof hasError);
  symbol = dlsym(xcb, "xcb_disconnect");
  std::memcpy(&disconnect, &symbol, sizeof disconnect);
  if (connect != nullptr && hasError != nullptr && disconnect != nullptr) {
    for (int attempt = 0; attempt < 50; ++attempt) {
      void* connection = connect(nullptr, nullptr);
      const bool ok = connection != nullptr && hasError(connection) == 0;
      if (connection != nullptr) disconnect(connection);
      if (ok) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
  dlclose(xcb);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
#ifdef QUORX_TEST_OFFSCREEN
  // These tests draw nothing the X server must do; off screen they are spared its turning
  // clients away under load. A run that takes screenshots (QUORX_SCREENSHOT_FOLDER set) keeps
  // the platform it was given, so that the pictures show the X server's fonts.
  if (std::getenv("QUORX_SCREENSHOT_FOLDER") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
#endif
  WaitForDisplay();
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
