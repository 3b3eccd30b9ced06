// Saving and recalling a full card setup file (about 350 keys), against writing and reading the
// same bytes plainly.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>

#include "card/records/card_setup_record.h"
#include "card/records/dncvt_channel_record.h"
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
  if (!settings::WriteCardSetup(kCard, file, full.setup, full.dnCvtA, full.dnCvtB)) state.SkipWithError("save failed");
  for (auto _ : state) {
    if (!settings::ReadCardSetup(kCard, file, full.setup, full.dnCvtA, full.dnCvtB)) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(full.setup);
  }
}

// The same bytes with the durability a save gives: temporary file, fsync, rename.
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

void PlainReadOfTheSameBytes(benchmark::State& state) {
  TempFolder folder;
  const std::string file = folder.Path() + "/BENCH.VexA";
  const FullSetup full;
  settings::WriteCardSetup(kCard, file, full.setup, full.dnCvtA, full.dnCvtB);
  for (auto _ : state) {
    std::string bytes = ReadAll(file);
    benchmark::DoNotOptimize(bytes);
  }
}

BENCHMARK(SaveSetupFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainSyncedWriteOfTheSameBytes)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainWriteOfTheSameBytes)->Unit(benchmark::kMicrosecond);
BENCHMARK(LoadSetupFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainReadOfTheSameBytes)->Unit(benchmark::kMicrosecond);

}  // namespace
