// The device-library binding: the entry lists themselves, and loading stand-in libraries that
// are complete, lack a required entry, lack the file, are cut short or are no library at all.
#include <elf.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <future>
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

TEST_F(Zp90Binding, AMissingFileIsOnePlainLine) {
  testsupport::ScratchFolder empty;
  EXPECT_FALSE(library.Load(empty.Path()));
  EXPECT_EQ(library.Path(), empty / "librtZp903x.so");
  EXPECT_EQ(CountLines(folder.LogTexts(), "Device library " + (empty / "librtZp903x.so") + " not found"), 1u);
}

// The places in a real built library where a copy cut short ends.
struct LibraryLayout {
  std::size_t size = 0;
  std::size_t programHeadersEnd = 0;
  std::size_t lastSegment = 0;  // index of the loadable segment that ends last in the file
  std::size_t lastSegmentOffset = 0;
  std::size_t lastSegmentBytes = 0;
  std::uint16_t machine = 0;
};

LibraryLayout LayoutOf(const std::string& bytes) {
  LibraryLayout layout;
  layout.size = bytes.size();
  Elf64_Ehdr header{};
  std::memcpy(&header, bytes.data(), sizeof header);
  layout.machine = header.e_machine;
  layout.programHeadersEnd = header.e_phoff + std::size_t{header.e_phnum} * sizeof(Elf64_Phdr);
  for (std::size_t i = 0; i < header.e_phnum; ++i) {
    Elf64_Phdr segment{};
    std::memcpy(&segment, bytes.data() + header.e_phoff + i * sizeof segment, sizeof segment);
    if (segment.p_type == PT_LOAD && segment.p_offset + segment.p_filesz >= layout.lastSegmentOffset + layout.lastSegmentBytes) {
      layout.lastSegment = i;
      layout.lastSegmentOffset = segment.p_offset;
      layout.lastSegmentBytes = segment.p_filesz;
    }
  }
  return layout;
}

std::string Patched(std::string bytes, std::size_t offset, const void* value, std::size_t size) {
  std::memcpy(bytes.data() + offset, value, size);
  return bytes;
}

// Files that are no whole shared object for this machine never reach the loader (a cut copy
// would kill the process inside it): each is refused with one line and nothing is bound.
TEST_F(Zp90Binding, AFileThatIsNoWholeLibraryForThisMachineIsRefusedBeforeLoading) {
  const std::string good = testsupport::ReadWholeFile(TEST_DEVICE_LIB);
  ASSERT_GT(good.size(), sizeof(Elf64_Ehdr));
  const LibraryLayout layout = LayoutOf(good);
  ASSERT_GT(layout.lastSegmentOffset, layout.programHeadersEnd);
  ASSERT_GT(layout.lastSegmentBytes, 2u);
  const std::uint16_t otherMachine = 0xBEEF;
  const std::uint16_t executable = ET_EXEC;
  const unsigned char class32 = ELFCLASS32;
  const unsigned char bigEndian = ELFDATA2MSB;
  const std::uint16_t none = 0;
  const std::uint16_t shortEntry = sizeof(Elf64_Phdr) - 1;
  const std::uint16_t longHeader = sizeof(Elf64_Ehdr) + 1;
  const std::uint16_t longSectionEntry = sizeof(Elf64_Shdr) + 8;
  struct Row {
    const char* name;
    std::string bytes;
    std::string reason;
  };
  const Row rows[] = {
      {"empty", "", "0 bytes, too short for an ELF header"},
      {"text", std::string(100, 'x'), "not an ELF file"},
      {"header only", good.substr(0, sizeof(Elf64_Ehdr)), "program header table outside the file"},
      {"inside the program headers", good.substr(0, layout.programHeadersEnd - 3),
       "program header table outside the file"},
      {"inside a segment", good.substr(0, layout.lastSegmentOffset + layout.lastSegmentBytes / 2),
       "segment " + std::to_string(layout.lastSegment) + " outside the file"},
      {"one byte short", good.substr(0, good.size() - 1), "section header table outside the file"},
      {"32-bit", Patched(good, EI_CLASS, &class32, 1), "not a 64-bit ELF object"},
      {"big-endian", Patched(good, EI_DATA, &bigEndian, 1), "not a little-endian ELF object"},
      {"executable", Patched(good, offsetof(Elf64_Ehdr, e_type), &executable, 2), "not a shared object"},
      {"other machine", Patched(good, offsetof(Elf64_Ehdr, e_machine), &otherMachine, 2),
       "built for ELF machine 48879, this machine is " + std::to_string(layout.machine)},
      {"no program headers", Patched(good, offsetof(Elf64_Ehdr, e_phnum), &none, 2), "no program headers"},
      {"program header entry size", Patched(good, offsetof(Elf64_Ehdr, e_phentsize), &shortEntry, 2),
       "program header entry size 55, expected 56"},
      {"ELF header size", Patched(good, offsetof(Elf64_Ehdr, e_ehsize), &longHeader, 2), "ELF header size 65, expected 64"},
      {"section header entry size", Patched(good, offsetof(Elf64_Ehdr, e_shentsize), &longSectionEntry, 2),
       "section header entry size 72, expected 64"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    testsupport::ScratchFolder scratch;
    ASSERT_TRUE(testsupport::WriteWholeFile(scratch / "librtZp903x.so", row.bytes));
    EXPECT_FALSE(library.Load(scratch.Path()));
    EXPECT_FALSE(library.Loaded());
    EXPECT_EQ(library.ResolvedCount(), 0u);
    const std::string line = "Device library " + (scratch / "librtZp903x.so") + " refused: " + row.reason;
    EXPECT_EQ(CountLines(folder.LogTexts(), line), 1u) << line;
  }
  EXPECT_EQ(CountLines(folder.LogTexts(), "could not be loaded"), 0u);
}

// A FIFO in the library's place is refused at once: opening it to read must not wait for a
// writer. Should the load block, a writer is opened to release it and the test fails.
TEST_F(Zp90Binding, AFifoOrAFolderInTheLibrarysPlaceIsRefusedWithoutWaiting) {
  const std::string fifo = folder / "librtZp903x.so";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  auto loading = std::async(std::launch::async, [&] { return library.Load(folder.Path()); });
  if (loading.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
    const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    loading.wait();
    if (writer >= 0) close(writer);
    FAIL() << "loading the library blocked on the FIFO";
  }
  EXPECT_FALSE(loading.get());
  EXPECT_EQ(CountLines(folder.LogTexts(), "Device library " + fifo + " refused: not a regular file"), 1u);

  testsupport::ScratchFolder scratch;
  std::filesystem::create_directory(scratch / "librtZp903x.so");
  EXPECT_FALSE(library.Load(scratch.Path()));
  EXPECT_EQ(CountLines(folder.LogTexts(), "Device library " + (scratch / "librtZp903x.so") + " refused: not a regular file"),
            1u);
}

// A library path that runs through a regular file names no library: not found, as on a machine
// without the card, not refused as unreadable.
TEST_F(Zp90Binding, ALibraryPathThroughARegularFileIsNotFound) {
  testsupport::ScratchFolder scratch;
  ASSERT_TRUE(testsupport::WriteWholeFile(scratch / "file", "x"));
  EXPECT_FALSE(library.Load(scratch / "file"));
  EXPECT_EQ(CountLines(folder.LogTexts(), "Device library " + (scratch / "file/librtZp903x.so") + " not found"), 1u);
  EXPECT_EQ(CountLines(folder.LogTexts(), "refused"), 0u);
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

  // A down-converter library cut short is refused as the card library is.
  const std::string bytes = testsupport::ReadWholeFile(TEST_DNCVT_LIB);
  testsupport::ScratchFolder scratch;
  ASSERT_TRUE(testsupport::WriteWholeFile(scratch / "libKr12V2_Dll.so", bytes.substr(0, bytes.size() - 1)));
  EXPECT_FALSE(kr12.Load(scratch.Path()));
  EXPECT_EQ(CountLines(folder.LogTexts(), "Device library " + (scratch / "libKr12V2_Dll.so") +
                                              " refused: section header table outside the file"),
            1u);
}

}  // namespace
}  // namespace card
