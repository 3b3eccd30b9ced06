#pragma once
// The card run-time manager (`gRtl20Mgr`): binds the receiver-card library, owns the card objects
// (one per card found, by index), keeps per card the chip-variant flag, the FPGA load state, the
// sixteen FPGA mode slots scanned from the ".VantMcs" images and the function mask of the
// operation modes offered, guards FPGA commands with "FPGALOAD_COMMAND_MUTEX" and writes the FPGA
// configuration file "Kr20FpgaCfg.cfg".
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "card/fpga_image_header.h"
#include "card/hwcfg_manager.h"
#include "card/kr20card.h"
#include "card/mode_routines.h"
#include "card/records/fpga_info_records.h"
#include "card/zp90_binding.h"
#include "platform/named_mutex.h"

namespace card {

inline constexpr int kMaxReceiverCards = 6;
inline constexpr const char* kFpgaCommandMutexName = "FPGALOAD_COMMAND_MUTEX";
inline constexpr int kFpgaCommandLockTimeoutMs = 2000;

// One of the sixteen FPGA mode slots of a card: the image that serves the personality.
struct kr20modefnstruct {
  int Mode = kNoFpgaMode;  // 0..15, 16 when the slot is empty
  std::string ImageFile;   // full path
  FpgaImageHeader Header{};
};
using kr20modefnavailstruct = std::array<kr20modefnstruct, kFpgaImageModeCount>;

}  // namespace card

class quorxrtl20mgrclass final : public card::HwCfgReceiverCards {
 public:
  // `libraryFolder` empty: the program folder.
  explicit quorxrtl20mgrclass(std::string libraryFolder = {});
  // Marks every card for a forced FPGA load when the globals' force-FPGA-load flag is set, saves
  // the FPGA configuration file, closes the cards.
  ~quorxrtl20mgrclass() override;
  quorxrtl20mgrclass(const quorxrtl20mgrclass&) = delete;
  quorxrtl20mgrclass& operator=(const quorxrtl20mgrclass&) = delete;

  // Binds the device library, counts the cards and scans the FPGA images of
  // SYSTEM/HARDWARECONFIGURATION/KR20_BIN into the mode slots of every card.
  bool DoAfterHwCfgMgrLoaded();

  // The card-count copy: cards in use (found, or simulated); valid indices are 0 .. count - 1.
  int CardCount() const { return cardCount_; }
  // Overrides the card-count copy (start-up clears it for simulated cards); limited to 0 .. 6.
  void SetCardCount(int count);
  // Cards the device library reported at DoAfterHwCfgMgrLoaded (0 .. 6).
  int CardsFound() const { return cardsFound_; }
  // The card object of that index; nullptr when there is none.
  card::kr20cardclass* Card(int card) const;
  const card::zp90class& Library() const { return library_; }

  bool ChipVariant(int card) const;
  // The card's load state (the card object's own record); a dummy record for a bad index.
  card::FpgaLoadState& LoadState(int card);
  // Bit i set when operation mode i is offered.
  std::uint16_t FunctionMask(int card) const;
  const card::kr20modefnavailstruct& ModeImages(int card) const;
  card::FpgaModeSlotTable ModeSlots(int card) const;

  // Waits up to 2000 ms for "FPGALOAD_COMMAND_MUTEX"; logs "COULDN'T GET A FPGA COMMAND LOCK" and
  // returns false on time-out.
  bool FpgaCmdLock();
  void FpgaCmdUnlock();

  // "SYSTEM/HARDWARECONFIGURATION/Kr20FpgaCfg.cfg", INI, written whole (".BAK" kept):
  //   [Card_<i>]            i = 0 .. 5, every card slot, with or without a card
  //   ForceLoad=<0|1>
  //   DefaultFpgaMode=<0..16>  DesiredFpgaMode=<0..16>  LastFpgaMode=<0..16>  CurrentFpgaMode=<0..16>
  // (16: none). Loading keeps the current value of a missing key and logs and ignores a value out
  // of range. A card object takes its slot's record when it is opened and gives it back when closed.
  bool SaveFpgaConfigFile();
  bool LoadFpgaConfigFile();
  static std::string FpgaConfigFilePath();
  // "SYSTEM/HARDWARECONFIGURATION/KR20_BIN": the ".VantMcs" images.
  static std::string FpgaImageFolder();

  // Pushes the whole card setup record to the card.
  bool ApplyCardSetup(int card);
  bool ApplyPostDDiversityOutput(int card, const std::string& name);

  // The hardware configuration's hook.
  int DetectedCardCount() override;
  bool OpenCards(bool simulated, int count) override;
  void CloseCards() override;

 private:
  std::string libraryFolder_;
  card::zp90class library_;
  platform::NamedMutex fpgaCommandMutex_{card::kFpgaCommandMutexName};
  int cardCount_ = 0;
  int cardsFound_ = 0;
  std::array<std::unique_ptr<card::kr20cardclass>, card::kMaxReceiverCards> cards_;
  std::array<card::kr20modefnavailstruct, card::kMaxReceiverCards> modeImages_{};
  std::array<std::uint16_t, card::kMaxReceiverCards> functionMasks_{};
  card::FpgaLoadState noCardLoadState_{};

  // The slot records while no card object holds them (before opening, after closing).
  std::array<card::FpgaLoadState, card::kMaxReceiverCards> loadStates_{};
  std::array<bool, card::kMaxReceiverCards> chipVariants_{};
  // Every image scanned, by the board it is built for (index 1: chip variant).
  std::array<card::kr20modefnavailstruct, 2> imagesByVariant_{};

  void ScanFpgaImages();
  // Gives the card its variant's images and recomputes its function mask.
  void AssignModeImages(int card, bool chipVariant);
  void ClearModeImages(int card);
  bool ProbeChipVariant(int card) const;
};
