// Known records behind the status datagram builders: cards with or without an object, status
// records, display blocks and settings that a test fills itself.
#pragma once

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "net/status_source.h"
#include "settings/set_manager.h"

namespace nettest {

struct TestCard {
  bool HasObject = false;
  card::kr20cardinfo Info{};
  card::CardSetupRecord Setup{};
  std::uint16_t Mask = 0;
  std::string SetupFileName;
  std::array<double, 2> SpanHz{};
};

class TestStatusSource final : public net::StatusSource {
 public:
  TestStatusSource()
      : cards_(std::make_unique<std::array<TestCard, 6>>()),
        status_(std::make_unique<settings::StatusRecordTable>()),
        display_(std::make_unique<settings::DisplayBlockTable>()) {}

  int Count = 0;
  bool AnySimulated = false;
  net::RemoteControlSettings RemoteSettings;

  TestCard& Card(int card) { return (*cards_)[static_cast<std::size_t>(card)]; }
  settings::ChannelStatusRecord& Status(int card, int channel) {
    return (*status_)[static_cast<std::size_t>(card)][static_cast<std::size_t>(channel)];
  }
  settings::DisplayDataBlock& Display(int card, int channel) {
    return (*display_)[static_cast<std::size_t>(card)][static_cast<std::size_t>(channel)];
  }

  int CardCount() const override { return Count; }
  bool AnyCardTypeSimulated() const override { return AnySimulated; }
  const card::kr20cardinfo* CardInfo(int card) const override { return Has(card) ? &At(card).Info : nullptr; }
  const card::CardSetupRecord* Setup(int card) const override { return Has(card) ? &At(card).Setup : nullptr; }
  std::uint16_t FunctionMask(int card) const override { return Has(card) ? At(card).Mask : 0; }
  std::string SetupFileName(int card) const override { return Has(card) ? At(card).SetupFileName : std::string{}; }
  const settings::ChannelStatusRecord* StatusRecord(int card, int channel) const override {
    return &(*status_)[static_cast<std::size_t>(card)][static_cast<std::size_t>(channel)];
  }
  const settings::DisplayDataBlock* DisplayBlock(int card, int channel) const override {
    return &(*display_)[static_cast<std::size_t>(card)][static_cast<std::size_t>(channel)];
  }
  double FftSpanHz(int card, int channel) const override {
    return Has(card) ? At(card).SpanHz[static_cast<std::size_t>(channel)] : 0.0;
  }
  net::RemoteControlSettings Remote() const override { return RemoteSettings; }

 private:
  bool Has(int card) const { return card >= 0 && card < 6 && At(card).HasObject; }
  const TestCard& At(int card) const { return (*cards_)[static_cast<std::size_t>(card)]; }

  std::unique_ptr<std::array<TestCard, 6>> cards_;
  std::unique_ptr<settings::StatusRecordTable> status_;
  std::unique_ptr<settings::DisplayBlockTable> display_;
};

// Fills a record with the bytes first, first + step, first + 2 step, ... (mod 256), so a
// shifted or misplaced copy shows.
template <class T>
void FillPattern(T& record, std::uint8_t first, std::uint8_t step) {
  std::vector<std::uint8_t> bytes(sizeof(T));
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(first + step * i);
  std::memcpy(&record, bytes.data(), sizeof(T));
}

template <std::size_t N>
void SetText(char (&field)[N], const std::string& text) {
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), std::min(text.size(), N));
}

}  // namespace nettest
