// Widgets need a QApplication before the first test. Listing the tests (done at build time,
// without a display) needs none.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include <QApplication>

namespace {

// An X server started without -noreset resets whenever its last client leaves: it drops every
// connection, including one that arrived during the reset, and Qt then aborts with "could not
// connect to display". GUI test programs take turns on the display, so each of them finds the
// server resetting after the one before, and a probe connection closed just before Qt connects
// starts a reset of its own. The probe therefore stays open until Qt holds its own connection:
// while a client is connected the server cannot reset.
class DisplayHold {
 public:
  DisplayHold() = default;
  DisplayHold(const DisplayHold&) = delete;
  DisplayHold& operator=(const DisplayHold&) = delete;
  ~DisplayHold() {
    if (connection_ != nullptr) disconnect_(connection_);
    if (library_ != nullptr) dlclose(library_);
  }

  // Connects to $DISPLAY, retrying for up to `patience` while the server resets or is slow to
  // answer. False, with `error` saying why, when no connection could be made.
  bool Connect(std::chrono::milliseconds patience, std::string& error) {
    library_ = dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (library_ == nullptr) {
      error = "libxcb.so.1 cannot be loaded";
      return false;
    }
    Connector connect = nullptr;
    HasError hasError = nullptr;
    Bind(connect, "xcb_connect");
    Bind(hasError, "xcb_connection_has_error");
    Bind(disconnect_, "xcb_disconnect");
    if (connect == nullptr || hasError == nullptr || disconnect_ == nullptr) {
      error = "libxcb.so.1 lacks xcb_connect";
      return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + patience;
    int attempts = 0;
    int code = 0;
    for (;;) {
      ++attempts;
      void* connection = connect(nullptr, nullptr);
      code = connection != nullptr ? hasError(connection) : -1;
      if (code == 0) {
        connection_ = connection;
        return true;
      }
      if (connection != nullptr) disconnect_(connection);
      if (std::chrono::steady_clock::now() >= deadline) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    error = std::to_string(attempts) + " connection attempts in " + std::to_string(patience.count() / 1000) +
            " s failed, the last with xcb error " + std::to_string(code);
    return false;
  }

 private:
  using Connector = void* (*)(const char*, int*);
  using HasError = int (*)(void*);
  using Disconnector = void (*)(void*);

  template <class Function>
  void Bind(Function& function, const char* name) {
    void* symbol = dlsym(library_, name);
    std::memcpy(&function, &symbol, sizeof function);
  }

  void* library_ = nullptr;
  void* connection_ = nullptr;
  Disconnector disconnect_ = nullptr;
};

bool UsesX() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  return platform == nullptr || std::strcmp(platform, "xcb") == 0;
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
#ifdef QUORX_TEST_OFFSCREEN
  // These tests draw nothing the X server must do; they run off screen. A run that takes
  // screenshots (QUORX_SCREENSHOT_FOLDER set) keeps the platform it was given, so that the
  // pictures show the X server's fonts.
  if (std::getenv("QUORX_SCREENSHOT_FOLDER") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
#endif
  // The window-place tests run a second time on the display without a window manager that
  // test.sh starts beside the one with it, and a third time there under the silent window manager.
  const auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
  };
  if (set("QUORX_WITHOUT_WINDOW_MANAGER") || set("QUORX_SILENT_WINDOW_MANAGER")) {
    const char* display = std::getenv("QUORX_BARE_DISPLAY");
    if (display == nullptr || *display == '\0') {
      std::fprintf(stderr, "qt_test_main: QUORX_BARE_DISPLAY is not set; test.sh starts that display\n");
      return 1;
    }
    setenv("DISPLAY", display, 1);
  }
  // A test that cannot reach its display fails with this line, not with Qt's abort.
  DisplayHold display;
  if (UsesX()) {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') {
      std::fprintf(stderr, "qt_test_main: DISPLAY is not set; these tests draw on an X server\n");
      return 1;
    }
    std::string error;
    if (!display.Connect(std::chrono::seconds(20), error)) {
      std::fprintf(stderr, "qt_test_main: X display %s not reachable: %s\n", name, error.c_str());
      return 1;
    }
  }
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
