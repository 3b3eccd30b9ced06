#pragma once
// The down-converter manager (`gDnCvtMgr`): binds the Kr12 and Kr14 converter libraries from the
// program folder, owns their card objects and keeps the table of twelve converter channel
// records that the receiver channels are tied to (the hardware configuration says which).
//
// The table holds the Kr12 channels first, then the Kr14 channels, in card and channel order;
// channels beyond twelve are left out (one log line). A simulated type has no library and no
// card objects: its channels get demo tables, the setters store into the record and report true,
// the readers report false.
//
// Every DnCvt* routine refuses (false, nothing changed, nothing sent) an index outside
// 0..NumDnCvts-1 or one whose record is not present.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "card/dncvt_card.h"
#include "card/records/dncvt_channel_record.h"
#include "card/records/hw_config_records.h"
#include "card/zp90_binding.h"

namespace card {

using DnCvtChannelRecords = std::array<DnCvtChannelRecord, kDnCvtRecords>;

// Converter channels on one card of each type. A simulated type always has Kr12 radios of one
// channel and Kr14 cards of two; a type whose cards are open has what its cards report (the
// virtual Kr12 card, like a real one, may carry two channels).
struct DnCvtChannelsPerCard {
  int Kr12 = 1;
  int Kr14 = 2;
};

// The dialog's view of the converters, laid out as the manager's table is: `kr12Channels` Kr12
// channels, then `kr14Channels` Kr14 channels, in card and channel order (`perCard` channels on
// each card of a type that is not simulated; Kr12 radios of one channel and Kr14 cards of two when
// simulated), each only when its type is enabled; at most twelve in all (the rest logged and left
// out). A record that already holds the same channel keeps its tables and setup; other records
// are cleared. count := records used.
void BuildDownConverterList(int& count, DnCvtChannelRecords& records, const std::array<HwCfgEnableRecord, 3>& enables,
                            int kr14Channels, int kr12Channels, DnCvtChannelsPerCard perCard = {});

// "KR-12P2 Card <n> Ch <m>" or "KR-14P3 Card <n> Ch <m>" (counted from 1); "NOT USED" for an
// index outside 0..11 or a record that is not present.
void DownConverterAssignmentLabel(int index, const DnCvtChannelRecords& records, std::string& text);

// The converter of a receiver channel through `gHwCfgMgr` (-1 when there is none or no manager);
// whether that converter is present in `gDnCvtMgr`.
int GetDownConverterIndex(int card, int channel);
bool HasDownConverter(int card, int channel);

// `gDnCvtMgr`'s AssignKeepFreqInSpecs; false without a manager.
bool AssignKeepFreqInSpecs(int index, double freqMhz);

}  // namespace card

class quorxdncvtmgrclass {
 public:
  // `libraryFolder`: where the converter libraries are found; the program folder when empty.
  explicit quorxdncvtmgrclass(std::string libraryFolder = {});
  ~quorxdncvtmgrclass();
  quorxdncvtmgrclass(const quorxdncvtmgrclass&) = delete;
  quorxdncvtmgrclass& operator=(const quorxdncvtmgrclass&) = delete;

  // What the hardware dialog reads and writes back.
  int NumKr12Cards = 0;     // detected / opened converter cards
  int NumKr14Cards = 0;
  int NumKr12Channels = 0;  // converter channels of each type in the table
  int NumKr14Channels = 0;
  int NumDnCvts = 0;        // records in use, 0..12
  card::DnCvtChannelRecords Records{};

  // Which converter types to open and whether simulated (from the hardware configuration).
  void Configure(const card::HwCfgEnableRecord& kr12, const card::HwCfgEnableRecord& kr14);
  // Binds the libraries of the enabled, not simulated types, opens their cards and builds the
  // table (a record keeps its setup when the same channel comes back). False when an enabled
  // library could not be bound or a card could not be opened; what opened is used all the same.
  bool OpenAll();
  // Closes and deletes the card objects. The records stay, so that the setups come back when the
  // same channels open again; until then nothing reaches a converter.
  void CloseAll();

  // Channels per card of each type: those the first open card of a type reports, the defaults
  // for a type without open cards.
  card::DnCvtChannelsPerCard ChannelsPerCard() const;

  // Converter cards of a type, by creating and deleting a card object for each card the library
  // reports (the open cards when the manager has them open already).
  int ProbeKr12Cards();
  int ProbeKr14Cards();

  // The card object serving a record; null when none (simulated, closed or bad index).
  card::dncvtcardclass* CardOf(int index) const;
  // A usable index: 0..NumDnCvts-1 and the record present.
  bool IsValidIndex(int index) const;

  // Stores the frequency (and its band) when it lies in a used band of the record; otherwise logs
  // "Freq Not In Available Freq Range, freq won't change" and changes nothing.
  bool AssignKeepFreqInSpecs(int index, double freqMhz);

  // Each stores its field of the record's setup and sends it; true when the converter took it.
  bool DnCvtApplySetup(int index);
  bool DnCvtSetAgcFreeze(int index, std::uint8_t on);
  // On also copies the record's current AGC value into its zero reference.
  bool DnCvtSetAgcZero(int index, std::uint8_t on);
  bool DnCvtSetTimeConstant(int index, std::int32_t tcIndex);
  bool DnCvtSetIfBandwidth(int index, std::int32_t filterIndex);
  bool DnCvtSetLimitedOutputMode(int index, std::uint8_t on);
  bool DnCvtSetDigitalAgcMode(int index, std::int32_t mode);

  // True when read; outputs untouched on false. A strength reading becomes the record's AGC value.
  bool DnCvtReadStrength(int index, double& dbm);
  bool DnCvtReadPllStatus(int index, std::uint8_t& status1, std::uint8_t& status2, std::uint8_t& status3) const;
  bool DnCvtReadAmFrequency(int index, std::int32_t& hz) const;
  bool DnCvtReadAmIndex(int index, double& amIndex) const;

 private:
  struct TypeState {
    card::dncvtlibclass library;
    card::HwCfgEnableRecord enable{};
    std::vector<std::unique_ptr<card::dncvtcardclass>> cards;
    explicit TypeState(card::DnCvtLibraryKind kind) : library(kind) {}
  };

  bool OpenType(TypeState& type);
  int ProbeCards(TypeState& type);
  bool BindLibrary(TypeState& type);
  // Sends through the record's card; true for a simulated record (nothing to send to).
  template <class Send>
  bool Send(int index, Send&& send);

  std::string libraryFolder_;
  TypeState kr12_{card::DnCvtLibraryKind::Kr12};
  TypeState kr14_{card::DnCvtLibraryKind::Kr14};
};
