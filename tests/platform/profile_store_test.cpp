#include "platform/profile_store.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>
#include <charconv>
#include <filesystem>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/diagnostics.h"
#include "support/log_capture.h"
#include "support/scratch_folder.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using testsupport::ReadWholeFile;
using testsupport::WriteWholeFile;

ino_t Inode(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::istringstream in(bytes);
  for (std::string line; std::getline(in, line); lines.push_back(line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
  }
  return lines;
}

class ProfileStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir_.Path().empty()); }
  std::string Read(std::string_view section, std::string_view key, std::size_t capacity = kProfileValueCapacity) {
    return ReadProfileString(ini_, section, key, "<none>", capacity);
  }
  long FilesInDir() const { return std::distance(fs::directory_iterator(dir_.Path()), fs::directory_iterator()); }

  testsupport::ScratchFolder dir_;
  const std::string ini_ = dir_ / "test.ini";
};

using ProfileGoldenBytes = ProfileStoreTest;

TEST_F(ProfileGoldenBytes, WritesBuildSectionsInOrderAndReplaceKeysInPlace) {
  EXPECT_TRUE(WriteProfileString(ini_, "S1", "k1", "v1"));
  EXPECT_TRUE(WriteProfileString(ini_, "S1", "k2", "v2"));
  EXPECT_TRUE(WriteProfileString(ini_, "S2", "a", "b"));
  EXPECT_TRUE(WriteProfileString(ini_, "s1", "k3", "v3"));    // goes to the end of S1, before S2
  EXPECT_TRUE(WriteProfileString(ini_, " S1\t", "K1", "x"));  // in place, in the writer's spelling
  EXPECT_TRUE(WriteProfileString(ini_, " New ", " key ", " spaced"));
  EXPECT_EQ(ReadWholeFile(ini_), "[S1]\r\nK1=x\r\nk2=v2\r\nk3=v3\r\n[S2]\r\na=b\r\n[New]\r\nkey= spaced\r\n");
}

TEST_F(ProfileGoldenBytes, KeepsOtherLinesAndRewritesLfAsCrlf) {
  WriteWholeFile(ini_, "; head\nstray\n[ Alpha ]\nx = 1\nnot a key\n; about Beta\n\n[Beta]\n; only a note\n");
  EXPECT_TRUE(WriteProfileString(ini_, "ALPHA", "z", "3"));
  EXPECT_TRUE(WriteProfileString(ini_, "alpha", "X", "2"));
  EXPECT_TRUE(WriteProfileString(ini_, "Beta", "y", "4"));
  EXPECT_EQ(ReadWholeFile(ini_),
            "; head\r\nstray\r\n[ Alpha ]\r\nX=2\r\nnot a key\r\nz=3\r\n; about Beta\r\n\r\n"
            "[Beta]\r\ny=4\r\n; only a note\r\n");
}

TEST_F(ProfileGoldenBytes, MalformedLinesAndNulBytesAreKeptByteForByte) {
  WriteWholeFile(ini_, "[abc\nk=pre\n\x01\xff\xfe junk\n=novalue\n[A]\nk=a\0b\n\0\0=\0\n[]\nk=hidden\n[Last]\r"s);
  EXPECT_EQ(Read("abc", "k"), "<none>");  // "[abc" starts no section
  EXPECT_EQ(Read("A", "k"), "a\0b"s);
  EXPECT_TRUE(WriteProfileString(ini_, "A", "n", "1"));
  EXPECT_TRUE(WriteProfileString(ini_, "Last", "m", "2"));
  EXPECT_EQ(ReadWholeFile(ini_),
            "[abc\r\nk=pre\r\n\x01\xff\xfe junk\r\n=novalue\r\n[A]\r\nk=a\0b\r\n\0\0=\0\r\nn=1\r\n"
            "[]\r\nk=hidden\r\n[Last]\r\nm=2\r\n"s);
}

TEST_F(ProfileGoldenBytes, FirstDuplicateWinsForReadsAndWrites) {
  WriteWholeFile(ini_, "[A]\nk=1\nk=2\n[a]\nk=3\nm=4\n");
  EXPECT_EQ(Read("A", "k"), "1");
  EXPECT_EQ(Read("A", "m"), "<none>");
  EXPECT_TRUE(WriteProfileString(ini_, "A", "k", "9"));
  EXPECT_EQ(ReadWholeFile(ini_), "[A]\r\nk=9\r\nk=2\r\n[a]\r\nk=3\r\nm=4\r\n");
}

TEST_F(ProfileGoldenBytes, RandomJunkNeverLosesALine) {
  std::mt19937 random(7);
  const std::string alphabet = "[]=;\r\n \t\0xX\xff"s;
  for (int round = 0; round < 300; ++round) {
    std::string bytes(random() % 80, ' ');
    for (char& c : bytes) c = alphabet[random() % alphabet.size()];
    const std::string file = dir_ / (std::to_string(round) + ".ini");
    WriteWholeFile(file, bytes);
    ASSERT_TRUE(WriteProfileString(file, "X", "key", "val")) << round;
    EXPECT_EQ(ReadProfileString(file, "x", "KEY", ""), "val") << round;
    // The old lines are all there, in order, with one line (and maybe one header) added.
    const std::vector<std::string> before = Lines(bytes), after = Lines(ReadWholeFile(file));
    std::size_t matched = 0;
    for (const std::string& line : after) matched += matched < before.size() && line == before[matched];
    EXPECT_EQ(matched, before.size()) << round;
    EXPECT_LE(after.size(), before.size() + 2) << round;
  }
}

using ProfileReads = ProfileStoreTest;

TEST_F(ProfileReads, NamesMatchWithoutCaseAndBlanksAndQuotesAreStripped) {
  WriteWholeFile(
      ini_,
      "[ Sec One ]\r\n\t KEY one \t=  value  \r\na=\"x\"\nb='y'\nc=\"z'\nd=\"\"w\"\"\ne=\"\nf=''\ng= \" in \" \n");
  EXPECT_EQ(Read(" SEC ONE\t", "\tKey One"), "value");
  const std::pair<const char*, const char*> quoted[] = {{"a", "x"},  {"b", "y"}, {"c", "\"z'"}, {"d", "\"w\""},
                                                        {"e", "\""}, {"f", ""},  {"g", " in "}};
  for (const auto& [key, value] : quoted) EXPECT_EQ(Read("sec one", key), value) << key;
}

TEST_F(ProfileReads, MissingPiecesGiveTheFallbackAndLongValuesAreCut) {
  EXPECT_EQ(Read("A", "k"), "<none>");
  EXPECT_EQ(ReadProfileString(dir_ / "no/such.ini", "A", "k", "fb"), "fb");
  const std::string exact(1023, 'e'), longer = std::string(1500, 'a') + std::string(500, 'b');
  // A byte order mark does not hide the first header.
  WriteWholeFile(ini_, "\xEF\xBB\xBF[A]\nk=1\nexact=" + exact + "\nlong=" + longer + "\n[B]\n");
  const std::pair<const char*, const char*> missing[] = {{"C", "k"}, {"B", "k"}, {"A", ""}, {"", "k"}};
  for (const auto& [section, key] : missing) EXPECT_EQ(Read(section, key), "<none>") << section << key;
  EXPECT_EQ(Read("A", "k"), "1");
  EXPECT_EQ(Read("A", "exact"), exact);
  EXPECT_EQ(Read("A", "long"), longer.substr(0, 1023));
  EXPECT_EQ(Read("A", "exact", 5), "eeee");
  EXPECT_EQ(ReadProfileString(ini_, "A", "none", "fallback", 4), "fal");
}

TEST_F(ProfileReads, FileChangedByAnotherProcessIsReloaded) {
  ASSERT_TRUE(WriteProfileString(ini_, "A", "k", "1"));
  EXPECT_EQ(Read("A", "k"), "1");
  struct stat before {};
  ASSERT_EQ(::stat(ini_.c_str(), &before), 0);
  // Same inode, same size, and a time stamp that differs only in the nanoseconds.
  WriteWholeFile(ini_, "[A]\r\nk=2\r\n");
  const timespec times[2] = {before.st_atim, {before.st_mtim.tv_sec, before.st_mtim.tv_nsec ^ 1}};
  ASSERT_EQ(::utimensat(AT_FDCWD, ini_.c_str(), times, 0), 0);
  EXPECT_EQ(Read("A", "k"), "2");
  ASSERT_TRUE(WriteProfileString(ini_, "A", "j", "3"));
  EXPECT_EQ(ReadWholeFile(ini_), "[A]\r\nk=2\r\nj=3\r\n");
  fs::remove(ini_);
  EXPECT_EQ(Read("A", "k"), "<none>");
  ASSERT_TRUE(WriteProfileString(ini_, "B", "n", "4"));
  EXPECT_EQ(ReadWholeFile(ini_), "[B]\r\nn=4\r\n");
}

TEST_F(ProfileReads, PathsMatchWithoutCaseAndWithBackslashes) {
  fs::create_directory(dir_ / "Sub");
  ASSERT_TRUE(WriteProfileString(dir_ / "Sub/Conf.ini", "A", "k", "1"));
  EXPECT_EQ(ReadProfileString(dir_.Path() + "\\SUB\\conf.INI", "A", "k", ""), "1");
  ASSERT_TRUE(WriteProfileString(dir_ / "sub/CONF.ini", "A", "k", "2"));
  EXPECT_EQ(ReadWholeFile(dir_ / "Sub/Conf.ini"), "[A]\r\nk=2\r\n");
}

using ProfileWrites = ProfileStoreTest;

TEST_F(ProfileWrites, BadNamesAndValuesAndFlushesChangeNothing) {
  EXPECT_TRUE(WriteProfileString(ini_, "", "", ""));  // a flush with nothing pending
  EXPECT_FALSE(fs::exists(ini_));
  WriteWholeFile(ini_, "[A]\nk=1\n");
  const ino_t before = Inode(ini_);
  const struct {
    std::string_view section, key, value;
  } bad[] = {{"A\r", "k", "v"}, {"A\nB", "k", "v"}, {"A", "k\n", "v"}, {"A", "k", "v\r\nx=y"}, {"A]", "k", "v"},
             {"A", "k=", "v"},  {"A", "", "v"},     {"", "k", "v"},    {" \t", "k", "v"},      {"A", " ", "v"}};
  for (const auto& entry : bad) {
    EXPECT_FALSE(WriteProfileString(ini_, entry.section, entry.key, entry.value)) << entry.section << entry.key;
  }
  EXPECT_TRUE(WriteProfileString(ini_, "", "", ""));
  EXPECT_EQ(Inode(ini_), before);
  EXPECT_EQ(ReadWholeFile(ini_), "[A]\nk=1\n");
  EXPECT_EQ(Read("A", "k"), "1");
}

TEST_F(ProfileWrites, UnwritablePlacesFailAndReport) {
  std::vector<std::string> reports;
  SetDiagnosticSink([&](const std::string& text) {
    reports.push_back(text);
    (void)ReadProfileString(ini_, "A", "k", "");  // a log writer may use the store itself
  });
  EXPECT_FALSE(WriteProfileString(dir_ / "missing/x.ini", "A", "k", "v"));
  fs::create_directory(dir_ / "folder.ini");
  EXPECT_FALSE(WriteProfileString(dir_ / "folder.ini", "A", "k", "v"));  // not a file: never replaced
  EXPECT_THAT(reports, ::testing::ElementsAre(::testing::StartsWith("Profile file " + (dir_ / "missing/x.ini") +
                                                                    " not written: cannot create ")));
  const std::string vanishing = dir_ / "gone/x.ini";
  fs::create_directory(dir_ / "gone");
  {
    ProfileBatch batch(vanishing);
    EXPECT_TRUE(WriteProfileString(vanishing, "A", "k", "1"));
    fs::remove_all(dir_ / "gone");
    EXPECT_FALSE(batch.Commit());
    EXPECT_FALSE(batch.Commit());
  }
  SetDiagnosticSink(nullptr);
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
  EXPECT_TRUE(fs::is_directory(dir_ / "folder.ini"));
  EXPECT_EQ(ReadProfileString(vanishing, "A", "k", "none"), "none");
}

TEST_F(ProfileWrites, KeepModeAndLinksAndLeaveNoTemporaryFiles) {
  const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  WriteWholeFile(ini_, "[A]\n");
  fs::permissions(ini_, mode);
  fs::create_symlink(ini_, dir_ / "link.ini");
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(WriteProfileString(dir_ / "link.ini", "A", "k", std::to_string(i)));
  EXPECT_EQ(fs::status(ini_).permissions(), mode);
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.ini"));
  EXPECT_EQ(ReadWholeFile(ini_), "[A]\r\nk=19\r\n");
  EXPECT_EQ(FilesInDir(), 2);
}

TEST_F(ProfileWrites, ReadersSeeOnlyWholeFiles) {
  const std::string a(300'000, 'a'), b(200'000, 'b');
  const std::string wholeA = "[S]\r\nbig=" + a + "\r\n", wholeB = "[S]\r\nbig=" + b + "\r\n";
  ASSERT_TRUE(WriteProfileString(ini_, "S", "big", a));
  std::atomic<bool> done{false};
  std::atomic<int> reads{0}, torn{0};
  std::thread reader([&] {
    for (; !done; ++reads) {
      const std::string seen = ReadWholeFile(ini_);
      torn += seen != wholeA && seen != wholeB;
    }
  });
  for (int i = 0; i < 100; ++i) EXPECT_TRUE(WriteProfileString(ini_, "S", "big", i % 2 ? a : b));
  done = true;
  reader.join();
  EXPECT_EQ(torn, 0);
  EXPECT_GT(reads, 0);
  EXPECT_EQ(FilesInDir(), 1);
}

TEST_F(ProfileWrites, ConcurrentWritersLoseNoKey) {
  const auto key = [](int t, int i) { return std::to_string(t) + "k" + std::to_string(i); };
  std::vector<std::thread> writers;
  for (int t = 0; t < 6; ++t) {
    writers.emplace_back([&, t] {
      for (int i = 0; i < 40; ++i) {
        EXPECT_TRUE(WriteProfileString(ini_, std::to_string(i % 3), key(t, i), std::to_string(t * 1000 + i)));
      }
    });
  }
  for (std::thread& writer : writers) writer.join();
  const std::string bytes = ReadWholeFile(ini_);
  EXPECT_EQ(Lines(bytes).size(), 3u + 6 * 40);
  for (int t = 0; t < 6; ++t) {
    for (int i = 0; i < 40; ++i) {
      const std::string line = key(t, i) + "=" + std::to_string(t * 1000 + i) + "\r\n";
      EXPECT_NE(bytes.find(line), std::string::npos) << line;
    }
  }
}

using ProfileBatches = ProfileStoreTest;

// 350 keys over ten sections, in an order that keeps revisiting the sections.
void Write350Keys(const std::string& file) {
  for (int i = 0; i < 350; ++i) {
    char number[32];
    const auto end = std::to_chars(number, number + sizeof number, i * 12.345, std::chars_format::fixed, 9).ptr;
    const std::string section = "Section" + std::to_string(i % 10), key = "Key" + std::to_string(i % 37);
    ASSERT_TRUE(WriteProfileString(file, section, key, std::string(number, end) + " YES 0x" + std::to_string(i)));
  }
}

TEST_F(ProfileBatches, BatchGivesTheBytesOfKeyByKeyWritingAndWritesAtTheEnd) {
  const std::string start = "; kept\n[Section3]\nKey1=old\n; tail\n";
  WriteWholeFile(ini_, start);
  WriteWholeFile(dir_ / "single.ini", start);
  Write350Keys(dir_ / "single.ini");
  {
    ProfileBatch batch(ini_);
    Write350Keys(ini_);
    EXPECT_EQ(ReadWholeFile(ini_), start);
    EXPECT_EQ(Read("section3", "key1"), "2752.935000000 YES 0x223");
    EXPECT_EQ(Read("Section9", "Key16"), "4308.405000000 YES 0x349");
    EXPECT_FALSE(WriteProfileString(ini_, "bad]", "k", "v"));
  }
  EXPECT_EQ(ReadWholeFile(ini_), ReadWholeFile(dir_ / "single.ini"));
  EXPECT_EQ(Lines(ReadWholeFile(ini_)).size(), 2u + 10 + 10 * 35);
}

TEST_F(ProfileBatches, NestedScopesWriteOnceAtTheOutermostEndOntoTheFileAsItIsThen) {
  WriteWholeFile(ini_, "[A]\n");
  const ino_t before = Inode(ini_);
  {
    ProfileBatch outer(ini_);
    {
      ProfileBatch inner(dir_.Path() + "\\TEST.INI");
      ASSERT_TRUE(WriteProfileString(ini_, "A", "k", "1"));
      EXPECT_TRUE(inner.Commit());
    }
    ASSERT_TRUE(WriteProfileString(ini_, "A", "j", "2"));
    EXPECT_EQ(Inode(ini_), before);
    WriteWholeFile(ini_, "[A]\n[B]\nother=3\n");  // changed by someone else meanwhile
    EXPECT_EQ(Read("B", "other"), "3");
    EXPECT_TRUE(outer.Commit());
    EXPECT_TRUE(outer.Commit());
    EXPECT_EQ(ReadWholeFile(ini_), "[A]\r\nk=1\r\nj=2\r\n[B]\r\nother=3\r\n");
  }
  ProfileBatch batch(ini_);
  ASSERT_TRUE(WriteProfileString(ini_, "B", "other", "4"));
  EXPECT_TRUE(WriteProfileString(ini_, "", "", ""));  // a flush writes now, even inside a scope
  EXPECT_EQ(ReadWholeFile(ini_), "[A]\r\nk=1\r\nj=2\r\n[B]\r\nother=4\r\n");
  const ino_t flushed = Inode(ini_);
  EXPECT_TRUE(batch.Commit());
  EXPECT_EQ(Inode(ini_), flushed);  // nothing left to write
}

}  // namespace
}  // namespace platform
