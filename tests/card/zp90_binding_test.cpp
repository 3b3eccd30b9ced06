// The device-library binding: the entry lists themselves, and loading stand-in libraries that
// are complete, lack a required entry, lack the file, or are no library at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "card/device_api.h"
#include "card/records/card_info_block.h"
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

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

template <std::size_t N>
std::vector<std::string> RequiredNames(const EntryInfo (&entries)[N]) {
  std::vector<std::string> names;
  for (const EntryInfo& entry : entries) {
    if (entry.need == EntryNeed::Required) names.emplace_back(entry.name);
  }
  return names;
}

// Null-ness of every pointer of a table, in list order.
template <class Api>
std::vector<bool> BoundPointers(typename Api::Functions functions) {
  std::vector<bool> bound;
  Api::ForEachPointer(functions, [&](auto& pointer) { bound.push_back(pointer != nullptr); });
  return bound;
}

// The entries of the stand-in libraries, as they implement them.
const std::set<std::string> kTestLibraryEntries = {
    "Lib_GetApiVersion",   "Card_GetCount", "Card_Open", "Card_Close", "Card_GetInfoBlock",
    "PskRx_SetCarrierCenterFrequencyInHz", "PskRx_GetCarrierCenterFrequencyInHz", "GetMod_GetSupportedModulations"};

TEST(DeviceApiList, EntriesAreUniqueNamedByFamilyAndFiveAreRequired) {
  const std::set<std::string_view> families = {"Lib",   "Card",  "Dtrd", "GetMod", "SetMod", "PskRx", "FmRx", "PmRx",
                                               "MhCpmRx", "Fft", "IQ",   "PreD",   "PostD",  "Bert",  "TxBert"};
  std::set<std::string_view> seen;
  for (const EntryInfo& entry : kZp90Entries) {
    EXPECT_TRUE(seen.insert(entry.name).second) << entry.name << " listed twice";
    EXPECT_EQ(families.count(entry.name.substr(0, entry.name.find('_'))), 1u) << entry.name << ": unknown family";
  }
  EXPECT_EQ(seen.size(), kZp90EntryCount);
  EXPECT_EQ(RequiredNames(kZp90Entries),
            (std::vector<std::string>{"Lib_GetApiVersion", "Card_GetCount", "Card_Open", "Card_Close",
                                      "Card_GetInfoBlock"}));

  std::set<std::string_view> dnCvtSeen;
  for (const EntryInfo& entry : kDnCvtEntries) EXPECT_TRUE(dnCvtSeen.insert(entry.name).second) << entry.name;
  EXPECT_EQ(RequiredNames(kDnCvtEntries),
            (std::vector<std::string>{"Lib_GetApiVersion", "GetCardCount", "OpenCard", "CloseCard", "GetChannelCount"}));
}

class Zp90Binding : public ::testing::Test {
 protected:
  testsupport::LoggedProgramFolder folder;
  zp90class library;
};

TEST_F(Zp90Binding, BindsACompleteLibraryAndCallsThroughItsPointers) {
  ASSERT_TRUE(library.Load(FolderOf(TEST_DEVICE_LIB)));
  EXPECT_TRUE(library.Loaded());
  EXPECT_EQ(library.ResolvedCount(), kTestLibraryEntries.size());
  EXPECT_EQ(library.MissingCount(), kZp90EntryCount - kTestLibraryEntries.size());

  const Zp90Functions& fn = library.Fn();
  ASSERT_NE(fn.Lib_GetApiVersion, nullptr);
  ASSERT_NE(fn.Card_GetCount, nullptr);
  ASSERT_NE(fn.Card_Open, nullptr);
  ASSERT_NE(fn.Card_Close, nullptr);
  ASSERT_NE(fn.Card_GetInfoBlock, nullptr);

  int version = 0;
  EXPECT_EQ(fn.Lib_GetApiVersion(&version), kDevOk);
  EXPECT_EQ(version, kZp90ApiVersion);
  int cards = 0;
  EXPECT_EQ(fn.Card_GetCount(&cards), kDevOk);
  EXPECT_EQ(cards, 2);
  EXPECT_EQ(fn.Card_Open(1), kDevOk);
  kr20cardinfo info{};
  EXPECT_EQ(fn.Card_GetInfoBlock(1, &info, static_cast<int>(sizeof info) - 1), kDevBufferTooSmall);
  EXPECT_EQ(fn.Card_GetInfoBlock(1, &info, static_cast<int>(sizeof info)), kDevOk);
  EXPECT_EQ(info.NumPskReceivers, 2);
  EXPECT_EQ(info.NumFftChannels, 2);

  // Arguments of every kind arrive in their places.
  EXPECT_EQ(fn.PskRx_SetCarrierCenterFrequencyInHz(1, 1, 70'125'000.5), kDevOk);
  double hz = 0.0;
  EXPECT_EQ(fn.PskRx_GetCarrierCenterFrequencyInHz(1, 1, &hz), kDevOk);
  EXPECT_EQ(hz, 70'125'000.5);
  EXPECT_EQ(fn.PskRx_GetCarrierCenterFrequencyInHz(1, 2, &hz), kDevBadChannel);
  DevName names[kDevListMaxNames]{};
  int count = 0;
  EXPECT_EQ(fn.GetMod_GetSupportedModulations(1, names, kDevListMaxNames, &count), kDevOk);
  ASSERT_EQ(count, 3);
  EXPECT_STREQ(names[2], "PCM_FM");
  EXPECT_EQ(fn.Card_Close(1), kDevOk);

  const std::string line = "Device library " + library.Path() + " loaded: " +
                           std::to_string(kTestLibraryEntries.size()) + " of " + std::to_string(kZp90EntryCount) +
                           " entry points";
  EXPECT_TRUE(Contains(folder.LogTexts(), line)) << line;
}

TEST_F(Zp90Binding, MissingOptionalEntriesLeaveOnlyTheirPointersNull) {
  ASSERT_TRUE(library.Load(FolderOf(TEST_DEVICE_LIB)));
  const std::vector<bool> bound = BoundPointers<Zp90Api>(library.Fn());
  ASSERT_EQ(bound.size(), kZp90EntryCount);
  for (std::size_t i = 0; i < kZp90EntryCount; ++i) {
    const std::string name(kZp90Entries[i].name);
    const bool implemented = kTestLibraryEntries.count(name) == 1;
    EXPECT_EQ(bound[i], implemented) << name;
    EXPECT_EQ(library.Has(static_cast<Zp90Entry>(i)), implemented) << name;
  }
  EXPECT_EQ(library.Fn().PskRx_SetCarrierAcquisitionRangeInHz, nullptr);
  EXPECT_FALSE(library.Has(Zp90Entry::TxBert_SetDataPolarity));
}

TEST_F(Zp90Binding, RefusesALibraryWithoutARequiredEntry) {
  EXPECT_FALSE(library.Load(FolderOf(TEST_DEVICE_LIB_INCOMPLETE)));
  EXPECT_FALSE(library.Loaded());
  EXPECT_EQ(library.ResolvedCount(), kTestLibraryEntries.size() - 1);
  for (bool bound : BoundPointers<Zp90Api>(library.Fn())) EXPECT_FALSE(bound);
  EXPECT_FALSE(library.Has(Zp90Entry::Card_Open));

  const std::vector<std::string> texts = folder.LogTexts();
  EXPECT_TRUE(Contains(texts, "Device library " + library.Path() + " refused: entry point Zp90_Card_GetInfoBlock missing"));
  EXPECT_EQ(CountLines(texts, " refused: "), 1u);
  EXPECT_EQ(CountLines(texts, " loaded: "), 0u);
}

TEST_F(Zp90Binding, AFailedLoadDropsTheLibraryLoadedBefore) {
  ASSERT_TRUE(library.Load(FolderOf(TEST_DEVICE_LIB)));
  EXPECT_FALSE(library.Load(FolderOf(TEST_DEVICE_LIB_INCOMPLETE)));
  EXPECT_FALSE(library.Loaded());
  EXPECT_EQ(library.Fn().Card_Open, nullptr);
  EXPECT_EQ(library.Fn().PskRx_GetCarrierCenterFrequencyInHz, nullptr);

  ASSERT_TRUE(library.Load(FolderOf(TEST_DEVICE_LIB)));
  library.Unload();
  EXPECT_FALSE(library.Loaded());
  EXPECT_EQ(library.Fn().Card_GetCount, nullptr);
  EXPECT_EQ(library.ResolvedCount(), 0u);
}

TEST_F(Zp90Binding, AMissingFileIsLoggedOnceAndLeavesTheLibraryUnloaded) {
  testsupport::ScratchFolder empty;
  EXPECT_FALSE(library.Load(empty.Path()));
  EXPECT_FALSE(library.Loaded());
  EXPECT_EQ(library.ResolvedCount(), 0u);
  EXPECT_EQ(library.Path(), empty / "librtZp903x.so");
  const std::vector<std::string> texts = folder.LogTexts();
  EXPECT_TRUE(Contains(texts, "Device library " + (empty / "librtZp903x.so") + " not found"));
  EXPECT_EQ(CountLines(texts, "Device library "), 1u);
}

TEST_F(Zp90Binding, FindsTheLibraryInTheProgramFolderWhateverItsLetterCase) {
  std::filesystem::copy_file(TEST_DEVICE_LIB, folder / "LIBRTZP903X.SO");
  ASSERT_TRUE(library.Load());
  EXPECT_EQ(std::filesystem::path(library.Path()).filename(), "LIBRTZP903X.SO");
  int cards = 0;
  EXPECT_EQ(library.Fn().Card_GetCount(&cards), kDevOk);
  EXPECT_EQ(cards, 2);
}

TEST_F(Zp90Binding, AFileThatIsNoLibraryIsLoggedAndRefused) {
  ASSERT_TRUE(testsupport::WriteWholeFile(folder / "librtZp903x.so", "not an ELF object\n"));
  EXPECT_FALSE(library.Load(folder.Path()));
  EXPECT_FALSE(library.Loaded());
  EXPECT_EQ(CountLines(folder.LogTexts(), "Device library " + library.Path() + " could not be loaded: "), 1u);
}

TEST(DnCvtBinding, BindsKr12AndKeepsTheLibrariesApartByPrefix) {
  testsupport::LoggedProgramFolder folder;
  dncvtlibclass kr12(DnCvtLibraryKind::Kr12);
  ASSERT_TRUE(kr12.Load(FolderOf(TEST_DNCVT_LIB)));
  EXPECT_EQ(kr12.ResolvedCount(), 6u);
  ASSERT_NE(kr12.Fn().ReadStrength, nullptr);
  double dbm = 0.0;
  EXPECT_EQ(kr12.Fn().ReadStrength(0, 1, &dbm), kDevOk);
  EXPECT_EQ(dbm, -72.25);
  EXPECT_EQ(kr12.Fn().SetFrequencyMhz, nullptr);
  EXPECT_FALSE(kr12.Has(DnCvtEntry::SetFrequencyMhz));
  EXPECT_TRUE(kr12.Has(DnCvtEntry::GetChannelCount));

  // The Kr14 binder looks for its own file, and a Kr12 library under the Kr14 name has none of
  // the Kr14 symbols.
  dncvtlibclass kr14(DnCvtLibraryKind::Kr14);
  EXPECT_FALSE(kr14.Load(FolderOf(TEST_DNCVT_LIB)));
  EXPECT_TRUE(Contains(folder.LogTexts(),
                       "Device library " + FolderOf(TEST_DNCVT_LIB) + "/libKr14P3_Dll.so not found"));
  std::filesystem::copy_file(TEST_DNCVT_LIB, folder / "libKr14P3_Dll.so");
  EXPECT_FALSE(kr14.Load(folder.Path()));
  const std::vector<std::string> texts = folder.LogTexts();
  EXPECT_TRUE(Contains(texts, "Device library " + kr14.Path() + " refused: entry point Kr14_Lib_GetApiVersion missing"));
  EXPECT_EQ(CountLines(texts, " refused: entry point Kr14_"), 5u);
}

}  // namespace
}  // namespace card
