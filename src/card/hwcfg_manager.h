#pragma once
// The hardware-configuration manager (`gHwCfgMgr`): which card types the system uses, which of
// them are simulated, and which down-converter channel serves each channel of each receiver card.
// It opens and closes every card: the down-converters through the down-converter manager, the
// receiver cards through the hook the card run-time manager installs (AttachReceiverCards).
//
// File "SYSTEM/HARDWARECONFIGURATION/Kr20HwCfg.cfg", INI, written whole (".BAK" kept):
//
//   [Kr20]  [Kr12]  [Kr14]        one section per enable record
//   Enabled=YES|NO
//   Simulated=YES|NO
//   NumToSimulate=<n>             Kr20 cards 1..6, Kr12 radios 1..8, Kr14 channels 1..12
//   [CardSet_<i>]                 i = 0..5, the receiver card
//   CardIndex=<i>
//   NumDnCvts=<0..2>              channels of the card with a converter
//   DnCvtIndex0=<-1..11>          converter of channel 0 (-1: none)
//   DnCvtIndex1=<-1..11>          converter of channel 1
//
// Missing keys keep the defaults (every type enabled and not simulated, one card / radio and two
// Kr14 channels to simulate, converters 0..11 in order, two per card); out-of-range values are
// logged and replaced by the default; a converter assigned twice keeps only its first channel.
// The simulation markers (card/sim_markers.h) decide whether a type is simulated: loading reads
// them after the file.
#include <array>
#include <cstdint>
#include <string>

#include "card/records/hw_config_records.h"

class quorxdncvtmgrclass;

namespace card {

inline constexpr const char* kHwCfgFileName = "Kr20HwCfg.cfg";

// Upper bounds of the number to simulate, per type (Kr20 cards, Kr12 radios, Kr14 channels).
inline constexpr std::array<std::int32_t, kHwCfgCardTypes> kHwCfgMaxSimulated{6, 8, 12};

using HwCfgEnableRecords = std::array<HwCfgEnableRecord, kHwCfgCardTypes>;
using HwCfgCardSetRecords = std::array<HwCfgCardSetRecord, kHwCfgCardSets>;

// The receiver-card side of opening and closing, implemented by the card run-time manager (which
// owns the receiver card objects) and installed with quorxhwcfgmgrclass::AttachReceiverCards.
class HwCfgReceiverCards {
 public:
  virtual ~HwCfgReceiverCards() = default;
  // Receiver cards the device library found (0..6).
  virtual int DetectedCardCount() = 0;
  // Creates and opens the objects of `count` cards (0..6), simulated ones when `simulated`.
  virtual bool OpenCards(bool simulated, int count) = 0;
  virtual void CloseCards() = 0;
};

// Defaults: every type enabled, not simulated.
HwCfgEnableRecords DefaultEnableRecords();
// Converters 0 .. count - 1 in order, two per card, for the first `cards` cards; every other
// channel gets -1. Each record's card index and count are set.
void AssignDefaultDownConverters(int count, int cards, HwCfgCardSetRecords& records);

}  // namespace card

class quorxhwcfgmgrclass {
 public:
  quorxhwcfgmgrclass();
  ~quorxhwcfgmgrclass();
  quorxhwcfgmgrclass(const quorxhwcfgmgrclass&) = delete;
  quorxhwcfgmgrclass& operator=(const quorxhwcfgmgrclass&) = delete;

  // The records the hardware dialog edits (order kHwCfgKr20, kHwCfgKr12, kHwCfgKr14).
  card::HwCfgEnableRecords EnableRecords;
  card::HwCfgCardSetRecords CardSetRecords;
  // 1 when the Kr20 cards are simulated (demo values in the status snapshot); 1 when any
  // enabled card type is simulated (system status datagram). Kept by load and apply.
  std::uint8_t Kr20SimulatedFlag = 0;
  std::uint8_t AnySimulatedFlag = 0;

  // The hooks the opening goes through. Without an attached converter manager `gDnCvtMgr` is used.
  void AttachReceiverCards(card::HwCfgReceiverCards* cards) { receivers_ = cards; }
  void AttachDownConverters(quorxdncvtmgrclass* manager) { dncvt_ = manager; }

  static std::string ConfigFilePath();

  // Defaults, then the file (when present), then the markers. False when the file is missing.
  bool LoadConfigFile();
  // Only the three enable records (file, then markers); the card assignments stay as they are.
  bool LoadConfigFileSimulatedOnly();
  // Writes the whole file; false (logged) when it could not be written.
  bool SaveConfigFile();
  // Puts the records in order (card indices, converter slots, counts), recomputes the simulated
  // flags and hands the converter enables to the down-converter manager.
  void ApplyHardwareConfiguration();
  // Creates and opens the receiver cards (through the hook) and the down-converters. False when
  // one side failed or is missing. Without a configuration file the converters that opened are
  // handed out in order, two per card, and every other channel gets none.
  bool OpenAllCards();
  void CloseAllCards();

  // Detected counts: receiver cards from the hook (0 without one); converter cards by probing.
  int HwCfgCountKr20();
  int HwCfgCountKr12();
  int HwCfgCountKr14();

  // Receiver cards the system works with: GetNumSimChannels of the Kr20 record and the detected
  // count, limited to 0..6.
  int NumSystemCards();

  // Index (0..11) of the converter assigned to that channel of the card; -1 when none or when
  // card or channel are out of range.
  int GetDownConverterIndex(int card, int channel) const;

 private:
  quorxdncvtmgrclass* DownConverters() const;
  void ReadEnableRecords(const std::string& path);
  void ReadMarkers();
  void UpdateFlags();

  card::HwCfgReceiverCards* receivers_ = nullptr;
  // Set while the card sets are the built-in defaults (no file read, none saved): the converters
  // are only known once they are open.
  bool defaultAssignments_ = true;
  quorxdncvtmgrclass* dncvt_ = nullptr;
};
