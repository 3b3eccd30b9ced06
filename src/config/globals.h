#pragma once
// The globals record every subsystem reads: mode flags, shared flags, window placement and the
// per-card window tables, and the manager pointers. The managers and windows are owned by the
// main window; the record only points at them.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "config/window_placement.h"
#include "platform/instance_lock.h"

class TQuorxLMainForm;
class TDbg_PeekPokeForm;
class TDbg_FilePokeForm;
class TDbg_FpgaInfoForm;
class TSetupMainGuiForm;
class TSetupSingleMainGuiForm;
class TCardBertForm;
class TSM_ModControlForm;

class quorxhwcfgmgrclass;
class quorxdncvtmgrclass;
class quorxrtl20mgrclass;
class quorxnetmgrclass;
class kr20setmgrclass;

namespace config {

class kr20optionclass;

inline constexpr int kMaxCards = 6;
inline constexpr int kChannelsPerCard = 2;
inline constexpr int kMaxChannels = kMaxCards * kChannelsPerCard;

template <typename Form>
using PerCardWindows = std::array<Form*, kMaxCards>;

struct GlobalAppRecord {
  TQuorxLMainForm* QuorxLMainForm = nullptr;
  // This program's and the sibling program's single-instance locks, while this process holds them.
  std::unique_ptr<platform::InstanceLock> InstanceMutex;
  std::unique_ptr<platform::InstanceLock> SiblingInstanceMutex;
  std::string VersionText;
  // Written by the master timer on every working tick; read by other threads' tasks.
  std::atomic<double> MasterTimerCurrentTime{0.0};

  std::uint8_t FactoryMode = 0;
  std::uint8_t DeveloperMode = 0;
  std::uint8_t DebugMode = 0;
  std::uint8_t W10DeviceDlls = 0;

  WindowPlacementRecord MainWindowPlacement{};
  std::array<std::array<WindowPlacementRecord, kCardWindowKinds>, kMaxCards> CardWindowPlacement{};
  // 1 where the placement record holds a place the window had (read from the position file or
  // taken when it was shown); 0 where it holds only the default.
  std::array<std::array<std::uint8_t, kCardWindowKinds>, kMaxCards> CardWindowPlaced{};

  std::uint8_t ForceFpgaLoad = 0;
  std::atomic<bool> Recording{false};          // the flight record is running
  std::atomic<std::uint8_t> SetupEdited{0};    // set by every setting handler
  std::atomic<std::uint8_t> gControlBothChannels{0};
  std::atomic<bool> ReconfigurationPending{false};

  PerCardWindows<TDbg_PeekPokeForm> PeekPokeForms{};
  PerCardWindows<TDbg_FilePokeForm> FilePokeForms{};
  PerCardWindows<TDbg_FpgaInfoForm> FpgaTocForms{};
  PerCardWindows<TSetupMainGuiForm> CardSetupForms{};
  PerCardWindows<TSetupSingleMainGuiForm> SingleChannelForms{};
  PerCardWindows<TCardBertForm> CardBertForms{};
  PerCardWindows<TSM_ModControlForm> TestModulatorForms{};

  kr20optionclass* Options = nullptr;

  WindowPlacementRecord& Placement(int card, CardWindowKind kind) {
    return CardWindowPlacement.at(static_cast<std::size_t>(card)).at(static_cast<std::size_t>(kind));
  }
  std::uint8_t& Placed(int card, CardWindowKind kind) {
    return CardWindowPlaced.at(static_cast<std::size_t>(card)).at(static_cast<std::size_t>(kind));
  }
};

// The one globals record of the program.
extern GlobalAppRecord gApp;

}  // namespace config

// The managers, created in this order at start-up and deleted in the same order at shut-down.
extern quorxhwcfgmgrclass* gHwCfgMgr;
extern quorxdncvtmgrclass* gDnCvtMgr;
extern quorxrtl20mgrclass* gRtl20Mgr;
extern quorxnetmgrclass* gNetMgr;
extern kr20setmgrclass* gKr20SetMgr;
