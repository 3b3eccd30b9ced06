// The device-library binding: the entry lists themselves, and loading stand-in libraries that
// are complete, lack a required entry, lack the file, or are no library at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "card/device_api.h"
#include "card/zp90_binding.h"
#include "support/log_capture.h"
#include "support/scratch_folder.h"

namespace card {
namespace {

std::string FolderOf(const char* libraryPath) { return std::filesystem::path(libraryPath).parent_path().string(); }

std::size_t CountLines(const std::vector<std::string>& texts, const std::string& part) {
  return static_cast<std::size_t>(
      std::count_if(texts.begin(), texts.end(), [&](const std::string& t) { return t.find(part) != std::string::npos; }));
}

// Null-ness of every pointer of a table, in list order.
std::vector<bool> BoundPointers(Zp90Functions functions) {
  std::vector<bool> bound;
  Zp90Api::ForEachPointer(functions, [&](auto& pointer) { bound.push_back(pointer != nullptr); });
  return bound;
}

// The entries of the stand-in libraries, as they implement them.
const std::set<std::string> kTestLibraryEntries = {
    "Lib_GetApiVersion",   "Card_GetCount", "Card_Open", "Card_Close", "Card_GetInfoBlock",
    "PskRx_SetCarrierCenterFrequencyInHz", "PskRx_GetCarrierCenterFrequencyInHz", "GetMod_GetSupportedModulations"};

class Zp90Binding : public ::testing::Test {
 protected:
  testsupport::LoggedProgramFolder folder;
  zp90class library;
};

TEST_F(Zp90Binding, BindsACompleteLibraryLeavingOnlyMissingOptionalEntriesNull) {
  ASSERT_TRUE(library.Load(FolderOf(TEST_DEVICE_LIB)));
  EXPECT_EQ(library.ResolvedCount(), kTestLibraryEntries.size());
  EXPECT_EQ(library.MissingCount(), kZp90EntryCount - kTestLibraryEntries.size());
  const std::vector<bool> bound = BoundPointers(library.Fn());
  ASSERT_EQ(bound.size(), kZp90EntryCount);
  for (std::size_t i = 0; i < kZp90EntryCount; ++i) {
    const std::string name(kZp90Entries[i].name);
    EXPECT_EQ(bound[i], kTestLibraryEntries.count(name) == 1) << name;
    EXPECT_EQ(library.Has(static_cast<Zp90Entry>(i)), bound[i]) << name;
  }

  // Each pointer reaches its own symbol, a double argument and answer in their places.
  const Zp90Functions& fn = library.Fn();
  int cards = 0;
  EXPECT_EQ(fn.Card_GetCount(&cards), kDevOk);
  EXPECT_EQ(cards, 2);
  EXPECT_EQ(fn.Card_Open(1), kDevOk);
  EXPECT_EQ(fn.PskRx_SetCarrierCenterFrequencyInHz(1, 1, 70'125'000.5), kDevOk);
  double hz = 0.0;
  EXPECT_EQ(fn.PskRx_GetCarrierCenterFrequencyInHz(1, 1, &hz), kDevOk);
  EXPECT_EQ(hz, 70'125'000.5);

  const std::string line = "Device library " + library.Path() + " loaded: " +
                           std::to_string(kTestLibraryEntries.size()) + " of " + std::to_string(kZp90EntryCount) +
                           " entry points";
  EXPECT_EQ(CountLines(folder.LogTexts(), line), 1u) << line;
}

TEST_F(Zp90Binding, ALibraryWithoutARequiredEntryIsRefusedAndDropsTheOneLoadedBefore) {
  ASSERT_TRUE(library.Load(FolderOf(TEST_DEVICE_LIB)));
  EXPECT_FALSE(library.Load(FolderOf(TEST_DEVICE_LIB_INCOMPLETE)));
  EXPECT_FALSE(library.Loaded());
  EXPECT_EQ(library.ResolvedCount(), kTestLibraryEntries.size() - 1);
  for (bool bound : BoundPointers(library.Fn())) EXPECT_FALSE(bound);
  EXPECT_EQ(CountLines(folder.LogTexts(),
                       "Device library " + library.Path() + " refused: entry point Zp90_Card_GetInfoBlock missing"),
            1u);
}

TEST_F(Zp90Binding, AMissingFileOrOneThatIsNoLibraryIsLoggedOnce) {
  testsupport::ScratchFolder empty;
  EXPECT_FALSE(library.Load(empty.Path()));
  EXPECT_EQ(library.Path(), empty / "librtZp903x.so");
  EXPECT_EQ(CountLines(folder.LogTexts(), "Device library " + (empty / "librtZp903x.so") + " not found"), 1u);

  ASSERT_TRUE(testsupport::WriteWholeFile(folder / "librtZp903x.so", "not an ELF object\n"));
  EXPECT_FALSE(library.Load(folder.Path()));
  EXPECT_FALSE(library.Loaded());
  EXPECT_EQ(library.ResolvedCount(), 0u);
  EXPECT_EQ(CountLines(folder.LogTexts(), "Device library " + library.Path() + " could not be loaded: "), 1u);
}

TEST_F(Zp90Binding, FindsTheLibraryInTheProgramFolderWhateverItsLetterCase) {
  std::filesystem::copy_file(TEST_DEVICE_LIB, folder / "LIBRTZP903X.SO");
  ASSERT_TRUE(library.Load());
  EXPECT_EQ(std::filesystem::path(library.Path()).filename(), "LIBRTZP903X.SO");
}

TEST(DnCvtBinding, BindsKr12AndKeepsTheLibrariesApartByPrefix) {
  testsupport::LoggedProgramFolder folder;
  dncvtlibclass kr12(DnCvtLibraryKind::Kr12);
  ASSERT_TRUE(kr12.Load(FolderOf(TEST_DNCVT_LIB)));
  EXPECT_EQ(kr12.ResolvedCount(), 6u);
  double dbm = 0.0;
  EXPECT_EQ(kr12.Fn().ReadStrength(0, 1, &dbm), kDevOk);
  EXPECT_EQ(dbm, -72.25);

  // A Kr12 library under the Kr14 name has none of the Kr14 symbols.
  dncvtlibclass kr14(DnCvtLibraryKind::Kr14);
  std::filesystem::copy_file(TEST_DNCVT_LIB, folder / "libKr14P3_Dll.so");
  EXPECT_FALSE(kr14.Load(folder.Path()));
  EXPECT_EQ(CountLines(folder.LogTexts(), " refused: entry point Kr14_"), 5u);
}

}  // namespace
}  // namespace card
