// Widgets need a QApplication before the first test. Listing the tests (done at build time,
// without a display) needs none.
#include <dlfcn.h>
#include <link.h>

#include <gtest/gtest.h>

#include <QApplication>

extern "C" {
// Leaks of the system's libraries, not ours: D-Bus (reached by Qt's platform integration) and the
// Mesa software renderer with its LLVM.
const char* __lsan_default_suppressions();
const char* __lsan_default_suppressions() {
  return "leak:libdbus-1.so\n"
         "leak:libLLVM\n"
         "leak:swrast_dri.so\n"
         "leak:libfontconfig.so\n";
}
}

namespace {

// Mesa unloads its driver when the display closes, before the leak report at exit, which could
// then not name the driver's frames and could not suppress them. Keep every library loaded.
void KeepLibrariesLoaded() {
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void*) {
        if (info->dlpi_name != nullptr && info->dlpi_name[0] != '\0') {
          dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
        }
        return 0;
      },
      nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  QApplication app(argc, argv);
  const int result = RUN_ALL_TESTS();
  KeepLibrariesLoaded();
  return result;
}
