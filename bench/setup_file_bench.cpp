// Saving and recalling a full card setup file (about 350 keys), against writing and reading the
// same bytes plainly: each pair of one run gives a ratio (save / plain synced write, load / plain
// read and parse).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <stdlib.h>
#include <unistd.h>

#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>

#include "card/records/card_setup_record.h"
#include "card/records/dncvt_channel_record.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "settings/setup_file.h"
#include "settings/setup_file_sections.h"
#include "support/scratch_folder.h"

namespace {

namespace sf = settings::setupfile;

using TempFolder = testsupport::ScratchFolder;

// Every key a value of its form: texts of typical length, numbers with decimals.
template <class Record>
void Fill(Record& record, std::span<const sf::KeySpec> keys) {
  std::span<std::byte> bytes = sf::BytesOf(record);
  int index = 0;
  for (const sf::KeySpec& spec : keys) {
    std::byte* field = bytes.data() + spec.Offset;
    ++index;
    switch (spec.KeyForm) {
      case sf::Form::kText: {
        const std::string text = "NAME_" + std::to_string(index);
        std::memset(field, 0, spec.Size);
        std::memcpy(field, text.data(), std::min(text.size(), spec.Size - 1));
        break;
      }
      case sf::Form::kInteger: {
        const std::int32_t value = index * 1000 + 7;
        std::memcpy(field, &value, sizeof value);
        break;
      }
      case sf::Form::kDecimal: {
        const double value = index * 12.345;
        std::memcpy(field, &value, sizeof value);
        break;
      }
      case sf::Form::kYesNo:
      case sf::Form::kLowByte: {
        const std::uint8_t value = index % 2;
        std::memcpy(field, &value, sizeof value);
        break;
      }
      case sf::Form::kHex: {
        const std::uint32_t value = 0x5A5A0000u + static_cast<std::uint32_t>(index);
        std::memcpy(field, &value, sizeof value);
        break;
      }
    }
  }
}

struct FullSetup {
  card::CardSetupRecord setup{};
  card::DnCvtChannelRecord dnCvtA{};
  card::DnCvtChannelRecord dnCvtB{};

  FullSetup() {
    Fill(setup.RouteInfo, sf::RouteInfoKeys());
    setup.RouteInfo.FpgaMasterMode = 5;
    setup.RouteInfo.UserReceiverMode = 5;
    for (auto& receiver : setup.Receiver) {
      for (auto& bitsync : receiver.BitSync) Fill(bitsync, sf::BitsyncKeys());
      Fill(receiver.Routing, sf::RoutingKeys());
      Fill(receiver, sf::ReceiverKeys());
    }
    for (auto& bert : setup.RxBert) Fill(bert, sf::RxBertKeys());
    for (auto& bert : setup.TxBert) Fill(bert, sf::TxBertKeys());
    Fill(setup.PreD, sf::PreDKeys());
    Fill(setup.PostD, sf::PostDKeys());
    for (auto& encoder : setup.Modulator.PcmEncoder) Fill(encoder, sf::PcmEncoderKeys());
    for (auto& profile : setup.Modulator.Profiles) Fill(profile, sf::ModProfileKeys());
    Fill(setup.Modulator, sf::ModSweepKeys());
    Fill(setup.Modulator, sf::ModRestKeys());
    for (auto& fft : setup.Fft) Fill(fft, sf::FftKeys());
    for (auto& iq : setup.Iq) Fill(iq, sf::IqKeys());
    Fill(setup.BasebandSources, sf::BasebandKeys());
    Fill(dnCvtA.Setup, sf::DownConverterKeys());
    Fill(dnCvtB.Setup, sf::DownConverterKeys());
  }
};

// The program loads setups with its options in place; without them every load would first build
// the default options.
struct OptionsInPlace {
  config::kr20optionclass options{false};
  OptionsInPlace() { config::gApp.Options = &options; }
  ~OptionsInPlace() { config::gApp.Options = nullptr; }
  OptionsInPlace(const OptionsInPlace&) = delete;
  OptionsInPlace& operator=(const OptionsInPlace&) = delete;
};

// Card index 5 has no card object here: only the designation texts depend on it.
constexpr int kCard = 5;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void SaveSetupFile(benchmark::State& state) {
  TempFolder folder;
  const std::string file = folder.Path() + "/BENCH.VexA";
  const FullSetup full;
  for (auto _ : state) {
    if (!settings::WriteCardSetup(kCard, file, full.setup, full.dnCvtA, full.dnCvtB))
      state.SkipWithError("save failed");
  }
  state.counters["bytes"] = static_cast<double>(ReadAll(file).size());
}

void LoadSetupFile(benchmark::State& state) {
  TempFolder folder;
  const std::string file = folder.Path() + "/BENCH.VexA";
  FullSetup full;
  const OptionsInPlace options;
  if (!settings::WriteCardSetup(kCard, file, full.setup, full.dnCvtA, full.dnCvtB)) state.SkipWithError("save failed");
  for (auto _ : state) {
    if (!settings::ReadCardSetup(kCard, file, full.setup, full.dnCvtA, full.dnCvtB)) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(full.setup);
  }
}

void SyncFolder(const std::string& folder) {
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return;
  ::fsync(dir);
  ::close(dir);
}

// A load of a file the store has not parsed yet (as at start-up): every round the file's time
// stamp moves, so the store reads and parses it again.
void LoadSetupFileChangedOnDisk(benchmark::State& state) {
  TempFolder folder;
  const std::string file = folder.Path() + "/BENCH.VexA";
  FullSetup full;
  const OptionsInPlace options;
  if (!settings::WriteCardSetup(kCard, file, full.setup, full.dnCvtA, full.dnCvtB)) state.SkipWithError("save failed");
  long round = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const timespec times[2] = {{0, UTIME_OMIT}, {1'000'000'000 + round / 1'000'000'000, round % 1'000'000'000}};
    ++round;
    if (::utimensat(AT_FDCWD, file.c_str(), times, 0) != 0) state.SkipWithError("touch failed");
    state.ResumeTiming();
    if (!settings::ReadCardSetup(kCard, file, full.setup, full.dnCvtA, full.dnCvtB)) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(full.setup);
  }
}

// The same bytes with the durability a save gives: temporary file, fsync, rename, folder fsync.
void PlainSyncedWriteOfTheSameBytes(benchmark::State& state) {
  TempFolder folder;
  const std::string file = folder.Path() + "/BENCH.VexA";
  const FullSetup full;
  settings::WriteCardSetup(kCard, file, full.setup, full.dnCvtA, full.dnCvtB);
  const std::string bytes = ReadAll(file);
  const std::string temp = file + ".tmp";
  for (auto _ : state) {
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool ok =
        fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) && ::fsync(fd) == 0;
    if (fd >= 0) ::close(fd);
    if (!ok || ::rename(temp.c_str(), file.c_str()) != 0) state.SkipWithError("write failed");
    SyncFolder(folder.Path());
  }
}

void PlainWriteOfTheSameBytes(benchmark::State& state) {
  TempFolder folder;
  const std::string file = folder.Path() + "/BENCH.VexA";
  const FullSetup full;
  settings::WriteCardSetup(kCard, file, full.setup, full.dnCvtA, full.dnCvtB);
  const std::string bytes = ReadAll(file);
  for (auto _ : state) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) state.SkipWithError("write failed");
  }
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The least a loader must do with the file: read it, split it into sections and key lines and
// turn every value into a number (or keep it as text).
void PlainReadAndParseOfTheSameFile(benchmark::State& state) {
  TempFolder folder;
  const std::string file = folder.Path() + "/BENCH.VexA";
  const FullSetup full;
  settings::WriteCardSetup(kCard, file, full.setup, full.dnCvtA, full.dnCvtB);
  for (auto _ : state) {
    const std::string bytes = ReadAll(file);
    std::string_view rest = bytes;
    std::string_view section;
    std::size_t keys = 0;
    double sum = 0.0;
    while (!rest.empty()) {
      std::size_t end = 0;
      while (end < rest.size() && rest[end] != '\r' && rest[end] != '\n') ++end;
      const std::string_view line = TrimBlanks(rest.substr(0, end));
      rest.remove_prefix(end < rest.size() ? end + 1 : end);
      if (!rest.empty() && rest.front() == '\n') rest.remove_prefix(1);
      if (line.starts_with('[')) {
        section = line.substr(1, line.find(']') - 1);
        continue;
      }
      const std::size_t equals = line.find('=');
      if (equals == std::string_view::npos) continue;
      const std::string_view value = TrimBlanks(line.substr(equals + 1));
      double number = 0.0;
      std::from_chars(value.data(), value.data() + value.size(), number);
      sum += number;
      keys += section.size();
    }
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(keys);
  }
}

BENCHMARK(SaveSetupFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainSyncedWriteOfTheSameBytes)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainWriteOfTheSameBytes)->Unit(benchmark::kMicrosecond);
BENCHMARK(LoadSetupFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(LoadSetupFileChangedOnDisk)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainReadAndParseOfTheSameFile)->Unit(benchmark::kMicrosecond);

}  // namespace
