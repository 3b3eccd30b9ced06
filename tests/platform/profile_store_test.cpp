#include "platform/profile_store.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/diagnostics.h"
#include "platform/profile_file.h"
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

long LineCount(const std::string& bytes) { return std::count(bytes.begin(), bytes.end(), '\n'); }

class ProfileStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir_.Path().empty()); }
  std::string Read(std::string_view section, std::string_view key, std::size_t capacity = kProfileValueCapacity) {
    return ReadProfileString(ini_, section, key, "<none>", capacity);
  }

  testsupport::ScratchFolder dir_;
  const std::string ini_ = dir_ / "test.ini";
};

TEST_F(ProfileStoreTest, WritesGiveTheseExactBytes) {
  struct Write {
    std::string_view section, key, value;
  };
  const struct {
    std::string before;
    std::vector<Write> writes;
    std::string after;
  } cases[] = {
      // New keys go to the end of their section, a key is replaced in place in the writer's spelling.
      {"",
       {{"S1", "k1", "v1"}, {"S1", "k2", "v2"}, {"S2", "a", "b"}, {"s1", "k3", "v3"}, {" S1\t", "K1", "x"},
        {" New ", " key ", " spaced"}},
       "[S1]\r\nK1=x\r\nk2=v2\r\nk3=v3\r\n[S2]\r\na=b\r\n[New]\r\nkey= spaced\r\n"},
      // Other lines, malformed ones and NUL bytes survive byte for byte; "[abc" starts no section, "[]" does.
      {"[abc\nk=pre\n\x01\xff junk\n=novalue\n[A]\nk=a\0b\n\0\0=\0\n[]\nk=hidden\n[Last]\r"s,
       {{"A", "n", "1"}, {"Last", "m", "2"}},
       "[abc\r\nk=pre\r\n\x01\xff junk\r\n=novalue\r\n[A]\r\nk=a\0b\r\n\0\0=\0\r\nn=1\r\n[]\r\nk=hidden\r\n"
       "[Last]\r\nm=2\r\n"s},
  };
  for (const auto& c : cases) {
    WriteWholeFile(ini_, c.before);
    for (const Write& w : c.writes) EXPECT_TRUE(WriteProfileString(ini_, w.section, w.key, w.value)) << w.key;
    EXPECT_EQ(ReadWholeFile(ini_), c.after);
  }
}

TEST_F(ProfileStoreTest, ReadsMatchNamesWithoutCaseStripQuotesAndCutLongValues) {
  const std::string exact(1023, 'e'), longer = std::string(1500, 'a') + std::string(500, 'b');
  // A byte order mark does not hide the first header.
  WriteWholeFile(ini_, "\xEF\xBB\xBF[ Sec One ]\r\n\t KEY one \t=  value  \r\nb='y'\nc=\"z'\n"
                       "g= \" in \" \nk=1\nk=2\nexact=" + exact + "\nlong=" + longer + "\n[sec one]\nm=4\n[B]\n");
  const std::pair<const char*, std::string> values[] = {
      {"\tKey One", "value"}, {"b", "y"},       {"c", "\"z'"},  {"g", " in "},  {"k", "1"},
      {"m", "<none>"},        {"exact", exact}, {"long", longer.substr(0, 1023)}, {"", "<none>"}};
  for (const auto& [key, value] : values) EXPECT_EQ(Read(" SEC ONE\t", key), value) << key;
  for (const char* section : {"C", "B", ""}) EXPECT_EQ(Read(section, "k"), "<none>") << section;
  EXPECT_EQ(ReadProfileString(dir_ / "no/such.ini", "A", "k", "fb"), "fb");
  EXPECT_EQ(Read("sec one", "exact", 5), "eeee");
  EXPECT_EQ(ReadProfileString(ini_, "A", "none", "fallback", 4), "fal");
}

TEST_F(ProfileStoreTest, FileChangedByAnotherProcessIsReloaded) {
  ASSERT_TRUE(WriteProfileString(ini_, "A", "k", "1"));
  EXPECT_EQ(Read("A", "k"), "1");
  struct stat before {};
  ASSERT_EQ(::stat(ini_.c_str(), &before), 0);
  // Same inode, same size, and a time stamp that differs only in the nanoseconds.
  WriteWholeFile(ini_, "[A]\r\nk=2\r\n");
  const timespec times[2] = {before.st_atim, {before.st_mtim.tv_sec, before.st_mtim.tv_nsec ^ 1}};
  ASSERT_EQ(::utimensat(AT_FDCWD, ini_.c_str(), times, 0), 0);
  EXPECT_EQ(Read("A", "k"), "2");
  fs::remove(ini_);
  EXPECT_EQ(Read("A", "k"), "<none>");
}

TEST_F(ProfileStoreTest, BadNamesAndValuesAreRefusedAndFlushesChangeNothing) {
  EXPECT_TRUE(WriteProfileString(ini_, "", "", ""));  // a flush with nothing pending
  EXPECT_FALSE(fs::exists(ini_));
  WriteWholeFile(ini_, "[A]\nk=1\n");
  const ino_t before = Inode(ini_);
  const struct {
    std::string_view section, key, value;
  } bad[] = {{"A\nB", "k", "v"}, {"A", "k", "v\r\nx=y"}, {"A]", "k", "v"}, {"A", "k=", "v"}, {"A", "", "v"}};
  for (const auto& entry : bad) {
    EXPECT_FALSE(WriteProfileString(ini_, entry.section, entry.key, entry.value)) << entry.section << entry.key;
  }
  EXPECT_TRUE(WriteProfileString(ini_, "", "", ""));
  EXPECT_EQ(Inode(ini_), before);
  EXPECT_EQ(ReadWholeFile(ini_), "[A]\nk=1\n");
  EXPECT_EQ(Read("A", "k"), "1");
}

TEST_F(ProfileStoreTest, UnwritablePlacesFailAndReport) {
  std::vector<std::string> reports;
  SetDiagnosticSink([&](const std::string& text) {
    reports.push_back(text);
    (void)ReadProfileString(ini_, "A", "k", "");  // a log writer may use the store itself
  });
  EXPECT_FALSE(WriteProfileString(dir_ / "missing/x.ini", "A", "k", "v"));
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
  EXPECT_EQ(ReadProfileString(vanishing, "A", "k", "none"), "none");
}

// A path through a missing folder or through a regular file names no file: the reader gets its
// fallback, as for a missing file, and nothing is reported as unreadable.
TEST_F(ProfileStoreTest, APathThroughARegularFileReadsAsMissing) {
  WriteWholeFile(ini_, "[A]\nk=1\n");
  std::vector<std::string> reports;
  SetDiagnosticSink([&](const std::string& text) { reports.push_back(text); });
  for (const std::string& path : {dir_ / "missing/x.ini", ini_ + "/x.ini"}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(ReadProfileString(path, "A", "k", "fb"), "fb");
    {
      const ProfileReadScope scope(path);
      EXPECT_EQ(ReadProfileString(path, "A", "k", "fb"), "fb");
    }
  }
  SetDiagnosticSink(nullptr);
  EXPECT_THAT(reports, ::testing::IsEmpty());
  EXPECT_EQ(Read("A", "k"), "1");
}

TEST_F(ProfileStoreTest, WritesKeepModeAndLinksAndLeaveNoTemporaryFiles) {
  const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  WriteWholeFile(ini_, "[A]\n");
  fs::permissions(ini_, mode);
  fs::create_symlink(ini_, dir_ / "link.ini");
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(WriteProfileString(dir_ / "link.ini", "A", "k", std::to_string(i)));
  EXPECT_EQ(fs::status(ini_).permissions(), mode);
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.ini"));
  EXPECT_EQ(ReadWholeFile(ini_), "[A]\r\nk=19\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.Path()), fs::directory_iterator()), 2);
}

TEST_F(ProfileStoreTest, ReadersSeeOnlyWholeFiles) {
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
}

TEST_F(ProfileStoreTest, ConcurrentWritersLoseNoKey) {
  std::vector<std::thread> writers;
  for (int t = 0; t < 6; ++t) {
    writers.emplace_back([&, t] {
      for (int i = 0; i < 40; ++i) {
        EXPECT_TRUE(WriteProfileString(ini_, std::to_string(i % 3), "k" + std::to_string(t * 40 + i), "v"));
      }
    });
  }
  for (std::thread& writer : writers) writer.join();
  const std::string bytes = ReadWholeFile(ini_);
  EXPECT_EQ(LineCount(bytes), 3 + 6 * 40);
  for (int k = 0; k < 6 * 40; ++k) EXPECT_NE(bytes.find("\nk" + std::to_string(k) + "=v\r\n"), std::string::npos) << k;
}

// 60 keys over ten sections, in an order that keeps revisiting the sections.
void Write60Keys(const std::string& file) {
  for (int i = 0; i < 60; ++i) {
    ASSERT_TRUE(WriteProfileString(file, "S" + std::to_string(i % 10), "K" + std::to_string(i % 7), std::to_string(i)));
  }
}

TEST_F(ProfileStoreTest, NestedBatchesWriteOnceAtTheOutermostEndTheBytesOfKeyByKeyWriting) {
  const std::string start = "; kept\n[S3]\nK1=old\n; tail\n";
  WriteWholeFile(ini_, start);
  WriteWholeFile(dir_ / "single.ini", start);
  Write60Keys(dir_ / "single.ini");
  const ino_t before = Inode(ini_);
  {
    ProfileBatch outer(ini_);
    {
      ProfileBatch inner(dir_.Path() + "\\TEST.INI");
      Write60Keys(ini_);
      EXPECT_TRUE(inner.Commit());
    }
    EXPECT_EQ(Inode(ini_), before);
    EXPECT_EQ(Read("s3", "k1"), "43");  // reads see the pending values
    EXPECT_FALSE(WriteProfileString(ini_, "bad]", "k", "v"));
    EXPECT_TRUE(outer.Commit());
  }
  EXPECT_EQ(ReadWholeFile(ini_), ReadWholeFile(dir_ / "single.ini"));
  EXPECT_EQ(LineCount(ReadWholeFile(ini_)), 2 + 10 + 60);
}

TEST_F(ProfileStoreTest, LoneCrEndsALineAndRewritesGiveCrlfWithoutDuplicates) {
  // CR only, then CR LF, LF and CR mixed; "\r\r\n" is a line and an empty line.
  const struct {
    const char* name;
    std::string before;
    std::string after;
  } cases[] = {
      {"cr only", "[A]\rk=1\r; note\r[B]\rx=y\r", "[A]\r\nk=9\r\nnew=n\r\n; note\r\n[B]\r\nx=y\r\n"},
      {"mixed", "[A]\r\nk=1\n; note\r\r\n[B]\rx=y", "[A]\r\nk=9\r\nnew=n\r\n; note\r\n\r\n[B]\r\nx=y\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteWholeFile(ini_, c.before);
    EXPECT_EQ(Read("A", "k"), "1");
    EXPECT_EQ(Read("B", "x"), "y");
    EXPECT_EQ(Read("A", "x"), "<none>");
    ASSERT_TRUE(WriteProfileString(ini_, "A", "k", "9"));
    ASSERT_TRUE(WriteProfileString(ini_, "A", "new", "n"));
    EXPECT_EQ(ReadWholeFile(ini_), c.after);
    ASSERT_TRUE(WriteProfileString(ini_, "A", "k", "9"));
    EXPECT_EQ(ReadWholeFile(ini_), c.after);
  }
}

TEST_F(ProfileStoreTest, FifosFoldersAndOversizeFilesAreRefusedOnceWithoutBlockingOrReplacing) {
  const std::string limit = std::to_string(kProfileFileLimit);
  // Exactly the limit is read; one byte more is refused.
  const std::string fits = "[A]\r\nk=1\r\n;" + std::string(kProfileFileLimit - 11, 'x');
  const struct {
    const char* name;
    std::function<void(const std::string&)> make;
    std::string logged;  // after the path
  } cases[] = {
      {"fifo", [](const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }, " is not a regular file"},
      {"folder", [](const std::string& path) { fs::create_directory(path); }, " is not a regular file"},
      {"oversize", [&](const std::string& path) { WriteWholeFile(path, fits + "x"); },
       " is " + std::to_string(kProfileFileLimit + 1) + " bytes, more than the " + limit + " allowed"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir_ / (std::string(c.name) + ".ini");
    c.make(path);
    const fs::file_type type = fs::symlink_status(path).type();
    std::vector<std::string> reports;
    SetDiagnosticSink([&](const std::string& text) { reports.push_back(text); });
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ReadProfileString(path, "A", "k", "fb"), "fb");
    {
      const ProfileReadScope scope(path);
      EXPECT_EQ(ReadProfileString(path, "A", "k", "fb"), "fb");
    }
    EXPECT_FALSE(WriteProfileString(path, "A", "k", "2"));
    {
      ProfileBatch batch(path);
      EXPECT_FALSE(WriteProfileString(path, "A", "k", "2"));
      EXPECT_TRUE(batch.Commit());  // nothing was taken into the batch
    }
    SetDiagnosticSink(nullptr);
    EXPECT_THAT(reports, ::testing::ElementsAre("Profile file not read: " + path + c.logged));
    EXPECT_EQ(fs::symlink_status(path).type(), type);
    if (std::string_view(c.name) == "oversize") {
      EXPECT_EQ(fs::file_size(path), kProfileFileLimit + 1);
      fs::resize_file(path, kProfileFileLimit);
      EXPECT_EQ(ReadProfileString(path, "A", "k", "fb"), "1");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_.Path()), fs::directory_iterator()), &c - cases + 1);
  }
}

TEST_F(ProfileStoreTest, BatchWritesAreReappliedWhenTheFileChangesOnDiskDuringTheBatch) {
  WriteWholeFile(ini_, "[A]\r\nk=old\r\n");
  ProfileBatch batch(ini_);
  ASSERT_TRUE(WriteProfileString(ini_, "A", "k", "mine"));
  ASSERT_TRUE(WriteProfileString(ini_, "B", "b", "1"));
  // Another program replaces the file while the batch is open.
  WriteWholeFile(dir_ / "other.ini", "; theirs\r\n[A]\r\nk=theirs\r\nt=2\r\n");
  fs::rename(dir_ / "other.ini", ini_);
  ASSERT_TRUE(WriteProfileString(ini_, "A", "z", "3"));
  EXPECT_TRUE(batch.Commit());
  EXPECT_EQ(ReadWholeFile(ini_), "; theirs\r\n[A]\r\nk=mine\r\nt=2\r\nz=3\r\n[B]\r\nb=1\r\n");
}

TEST_F(ProfileStoreTest, ScopesLookAtTheDiskOnceButUnbatchedWritesAlwaysDo) {
  WriteWholeFile(ini_, "[A]\r\nk=1\r\n");
  {
    const ProfileReadScope scope(dir_.Path() + "//TEST.INI");
    EXPECT_EQ(Read("A", "k"), "1");
    WriteWholeFile(ini_, "[A]\r\nk=2\r\nextra=e\r\n");
    EXPECT_EQ(Read("A", "k"), "1");  // the scope trusts what it read first
    {
      const ProfileReadScope inner(ini_);  // a new scope looks again
      EXPECT_EQ(Read("A", "k"), "2");
    }
    WriteWholeFile(ini_, "[A]\r\nk=3\r\nextra=e\r\nmore=m\r\n");
    // A write that goes out at once never replaces what it has not seen.
    ASSERT_TRUE(WriteProfileString(ini_, "A", "w", "x"));
    EXPECT_EQ(ReadWholeFile(ini_), "[A]\r\nk=3\r\nextra=e\r\nmore=m\r\nw=x\r\n");
    WriteWholeFile(ini_, "[A]\r\nk=4\r\n");
    EXPECT_EQ(Read("A", "k"), "3");
  }
  EXPECT_EQ(Read("A", "k"), "4");
}

}  // namespace
}  // namespace platform
