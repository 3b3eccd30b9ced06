// Helpers of the card setup file tests: records filled from the key tables with values that
// survive the file, and comparing byte images and sections.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "card/records/card_setup_record.h"
#include "card/records/dncvt_channel_record.h"
#include "settings/setup_file_sections.h"

namespace setupfiletest {

namespace sf = settings::setupfile;

// Fills every field of the table with a value of its form that the file carries unchanged;
// `seed` 1 and 2 give a different value in every field (flags alternate the other way round).
inline void FillFromTable(std::span<std::byte> record, std::span<const sf::KeySpec> keys, int seed) {
  int index = 0;
  for (const sf::KeySpec& spec : keys) {
    std::byte* field = record.data() + spec.Offset;
    const auto put = [field](auto value) { std::memcpy(field, &value, sizeof value); };
    ++index;
    switch (spec.KeyForm) {
      case sf::Form::kText: {
        std::string text = "S" + std::to_string(seed) + "_" + std::string(spec.Key) + "_" + std::to_string(index);
        text.resize(std::min(text.size(), spec.Size - 1));
        std::memset(field, 0, spec.Size);
        std::memcpy(field, text.data(), text.size());
        break;
      }
      case sf::Form::kInteger: put(std::int32_t{seed * 100000 + index * 37 - 5000}); break;
      case sf::Form::kDecimal: put(seed * 1000.0 + index * 3.125 - 777.5); break;
      case sf::Form::kYesNo: put(static_cast<std::uint8_t>((seed + index) % 2)); break;
      case sf::Form::kHex: put(0xC0DE0000u + static_cast<std::uint32_t>(seed * 256 + index)); break;
      case sf::Form::kLowByte: put(static_cast<std::uint8_t>(seed * 50 + index)); break;
    }
  }
}

template <class Record>
void Fill(Record& record, std::span<const sf::KeySpec> keys, int seed) {
  FillFromTable(sf::BytesOf(record), keys, seed);
}

// Every byte `seed`-patterned first (a field no table names keeps that pattern), then the tables.
inline void FillCardSetup(card::CardSetupRecord& setup, int seed) {
  std::memset(static_cast<void*>(&setup), 0x10 * seed + seed, sizeof setup);
  Fill(setup.RouteInfo, sf::RouteInfoKeys(), seed);
  setup.RouteInfo.FpgaMasterMode = seed == 1 ? 5 : 9;  // valid mode numbers
  setup.RouteInfo.UserReceiverMode = seed == 1 ? 7 : 2;
  for (auto& receiver : setup.Receiver) {
    for (auto& bitsync : receiver.BitSync) Fill(bitsync, sf::BitsyncKeys(), seed);
    Fill(receiver.Routing, sf::RoutingKeys(), seed);
    Fill(receiver, sf::ReceiverKeys(), seed);
  }
  for (auto& bert : setup.RxBert) Fill(bert, sf::RxBertKeys(), seed);
  for (auto& bert : setup.TxBert) Fill(bert, sf::TxBertKeys(), seed);
  Fill(setup.PreD, sf::PreDKeys(), seed);
  Fill(setup.PostD, sf::PostDKeys(), seed);
  for (auto& encoder : setup.Modulator.PcmEncoder) Fill(encoder, sf::PcmEncoderKeys(), seed);
  for (auto& profile : setup.Modulator.Profiles) Fill(profile, sf::ModProfileKeys(), seed);
  Fill(setup.Modulator, sf::ModSweepKeys(), seed);
  Fill(setup.Modulator, sf::ModRestKeys(), seed);
  for (auto& fft : setup.Fft) Fill(fft, sf::FftKeys(), seed);
  for (auto& iq : setup.Iq) Fill(iq, sf::IqKeys(), seed);
  Fill(setup.BasebandSources, sf::BasebandKeys(), seed);
}

inline void FillDnCvtSetup(card::DnCvtSetupRecord& setup, int seed) {
  std::memset(static_cast<void*>(&setup), 0x10 * seed + seed + 4, sizeof setup);
  Fill(setup, sf::DownConverterKeys(), seed);
}

// A byte range of a record that the file does not carry back unchanged.
struct Span {
  const char* What;
  std::size_t Offset;
  std::size_t Size;
};

// The offsets where two images differ outside the excluded spans.
inline std::vector<std::size_t> Differences(std::span<const std::byte> expected, std::span<const std::byte> actual,
                                            const std::vector<Span>& excluded) {
  std::vector<std::size_t> differences;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    bool skip = false;
    for (const Span& span : excluded) skip = skip || (i >= span.Offset && i < span.Offset + span.Size);
    if (!skip && expected[i] != actual[i]) differences.push_back(i);
  }
  return differences;
}

// The lines of one section as the file holds them (header included), up to the next header.
inline std::string SectionText(const std::string& file, const std::string& header) {
  const std::size_t start = file.find(header + "\r\n");
  if (start == std::string::npos) return {};
  std::size_t end = file.find("\r\n[", start);
  end = end == std::string::npos ? file.size() : end + 2;
  return file.substr(start, end - start);
}

}  // namespace setupfiletest
