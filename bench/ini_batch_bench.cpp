// The cost of saving a 350-key INI file (the size of a setup or state file) through a
// ProfileBatch, against writing the same bytes straight to disk.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/profile_store.h"
#include "support/scratch_folder.h"

namespace {

struct Entry {
  std::string section, key, value;
};

// 10 sections x 35 keys with the kinds of values the program writes: fixed decimals, flags, hex.
const std::vector<Entry>& Entries() {
  static const std::vector<Entry> entries = [] {
    std::vector<Entry> list;
    for (int s = 0; s < 10; ++s) {
      for (int k = 0; k < 35; ++k) {
        char text[40];
        std::string value;
        if (k % 3 == 0) {
          value.assign(text, std::to_chars(text, text + sizeof text, s * 1.5 + k * 12.345, std::chars_format::fixed, 9).ptr);
        } else if (k % 3 == 1) {
          value = k % 2 ? "YES" : "NO";
        } else {
          value = "0x" + std::string(text, std::to_chars(text, text + sizeof text, 0x1F000 + s * 35 + k, 16).ptr);
        }
        list.push_back({"Channel" + std::to_string(s), "Parameter" + std::to_string(k), value});
      }
    }
    return list;
  }();
  return entries;
}

using TempFolder = testsupport::ScratchFolder;

std::string ExpectedBytes() {
  std::string bytes;
  std::string current;
  for (const Entry& entry : Entries()) {
    if (entry.section != current) bytes += "[" + entry.section + "]\r\n";
    current = entry.section;
    bytes += entry.key + "=" + entry.value + "\r\n";
  }
  return bytes;
}

void BM_BatchWrite350Keys(benchmark::State& state) {
  TempFolder folder;
  const std::string file = folder.Path() + "/SETUP.INI";
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove(file);
    state.ResumeTiming();
    platform::ProfileBatch batch(file);
    for (const Entry& entry : Entries()) platform::WriteProfileString(file, entry.section, entry.key, entry.value);
    if (!batch.Commit()) state.SkipWithError("commit failed");
  }
  const std::string expected = ExpectedBytes();
  std::string written(expected.size() + 1, '\0');
  std::ifstream in(file, std::ios::binary);
  in.read(written.data(), static_cast<std::streamsize>(written.size()));
  written.resize(static_cast<std::size_t>(in.gcount()));
  if (written != expected) state.SkipWithError("unexpected file content");
}

void BM_PlainWrite350Keys(benchmark::State& state) {
  TempFolder folder;
  const std::string file = folder.Path() + "/SETUP.INI";
  const std::string bytes = ExpectedBytes();
  for (auto _ : state) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) state.SkipWithError("write failed");
  }
}

// The same bytes with the durability the store gives: temporary file, fsync, rename, folder fsync.
void BM_PlainSyncedWrite350Keys(benchmark::State& state) {
  TempFolder folder;
  const std::string file = folder.Path() + "/SETUP.INI";
  const std::string temp = file + ".tmp";
  const std::string bytes = ExpectedBytes();
  for (auto _ : state) {
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool ok = fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
                    ::fsync(fd) == 0;
    if (fd >= 0) ::close(fd);
    if (!ok || ::rename(temp.c_str(), file.c_str()) != 0) state.SkipWithError("write failed");
    const int dir = ::open(folder.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
      ::fsync(dir);
      ::close(dir);
    }
  }
}

BENCHMARK(BM_BatchWrite350Keys)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainWrite350Keys)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainSyncedWrite350Keys)->Unit(benchmark::kMicrosecond);

}  // namespace
