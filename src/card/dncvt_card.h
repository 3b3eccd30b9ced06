#pragma once
// The down-converter card objects: one per `Kr12` or `Kr14` converter card found by its library,
// owned by the down-converter manager. A card has one or more converter channels; each receiver
// channel of a `Kr20` card that has a converter tied to it is tuned and read through the channel
// of one of these cards.
//
// Same rule as the receiver card: an operation first tests that the library is loaded, the card
// is open, the channel exists on the card and the library has the entry; when not (or when the
// library refuses the call) setters report false, readers report false and leave their outputs
// as they were, and no call reaches the library. Nothing here throws.
#include <cstdint>
#include <memory>
#include <type_traits>

#include "card/device_api.h"
#include "card/records/dncvt_channel_record.h"

namespace card {

class dncvtlibclass;

// Cards a converter library may report (the manager keeps twelve channel records).
inline constexpr int kDnCvtMaxCards = static_cast<int>(kDnCvtRecords);
// Channels one converter card may report.
inline constexpr int kDnCvtMaxChannelsPerCard = static_cast<int>(kDnCvtRecords);

// The number of cards the library found, 0 when it is not loaded or cannot tell; a count outside
// 0..kDnCvtMaxCards is logged and taken as 0.
int CountDnCvtCards(const dncvtlibclass& library);

class dncvtcardclass {
 public:
  // Card `card` of a converter library, which must outlive the object; the kind follows the
  // library (kDnCvtKindKr12 or kDnCvtKindKr14).
  dncvtcardclass(int card, const dncvtlibclass& library);
  // The same over a bare table of entry points of the given kind, counted as loaded.
  dncvtcardclass(int card, const DnCvtFunctions& functions, std::int32_t kind);
  virtual ~dncvtcardclass();
  dncvtcardclass(const dncvtcardclass&) = delete;
  dncvtcardclass& operator=(const dncvtcardclass&) = delete;

  // Opens the card and reads its channel count (a count outside 1..kDnCvtMaxChannelsPerCard
  // refuses the card, which is closed again). Failures are logged.
  bool Open();
  void Close();

  int CardIndex() const { return card_; }
  std::int32_t Kind() const { return kind_; }
  bool IsOpen() const { return open_; }
  int ChannelCount() const { return channelCount_; }
  // Library loaded, card open and the channel on the card.
  bool IsReady(int channel) const;

  // Fills what the converter channel can do into its record: kind, card, channel, the IF filter
  // bandwidths (kHz), AGC time constants (ms) and tuning bands (MHz). Tables the library does not
  // give, or gives with a count outside the record's table, stay zero; non-finite or negative
  // values read as 0.0 (not fitted, not used). False when not ready.
  bool ReadChannelTables(int channel, DnCvtChannelRecord& record) const;

  // ---- Settings -----------------------------------------------------------------------------
  // NaN frequencies and indices outside the record's tables are not sent.
  bool SetFrequencyMhz(int channel, double mhz);
  bool SetAgcFreeze(int channel, bool on);
  bool SetAgcZero(int channel, bool on);
  bool SetAgcTimeConstant(int channel, std::int32_t index);
  bool SetIfBandwidth(int channel, std::int32_t index);
  bool SetLimitedOutputMode(int channel, bool on);
  bool SetDigitalAgcMode(int channel, std::int32_t mode);
  // Sends the setup's tuned frequency, AGC freeze and zero, AGC time-constant and IF filter
  // indices, limited-output flag and digital AGC mode; true when every one was taken.
  bool ApplySetup(int channel, const DnCvtSetupRecord& setup);

  // ---- Readings -----------------------------------------------------------------------------
  bool ReadStrength(int channel, double& dbm) const;
  bool ReadPllStatus(int channel, std::uint8_t& status1, std::uint8_t& status2, std::uint8_t& status3) const;
  bool ReadAmFrequency(int channel, std::int32_t& hz) const;
  bool ReadAmIndex(int channel, double& index) const;
  bool ReadStatus(int channel, std::uint8_t& status) const;

 private:
  template <class... P>
  using Entry = int (*DnCvtFunctions::*)(int, P...);

  const DnCvtFunctions& Functions() const;
  bool LibraryLoaded() const;
  template <class... P>
  int Call(int channel, Entry<int, P...> entry, std::type_identity_t<P>... args) const;
  template <class... P>
  int CallCard(Entry<P...> entry, std::type_identity_t<P>... args) const;

  int card_;
  const dncvtlibclass* library_ = nullptr;
  const DnCvtFunctions* table_ = nullptr;
  std::int32_t kind_;
  bool open_ = false;
  int channelCount_ = 0;
};

// A card of the `Kr12` converter library.
class kr12cardclass final : public dncvtcardclass {
 public:
  using dncvtcardclass::dncvtcardclass;
};

// A card of the `Kr14` converter library.
class kr14cardclass final : public dncvtcardclass {
 public:
  using dncvtcardclass::dncvtcardclass;
};

// The object for card `card` of the library, of the library's kind.
std::unique_ptr<dncvtcardclass> MakeDnCvtCard(int card, const dncvtlibclass& library);

}  // namespace card
