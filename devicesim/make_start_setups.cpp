// quorx_make_start_setups <program folder>: gives a new program folder's virtual cards a setup
// that matches the signals of its VirtualHardware.cfg, so that the first start shows receivers at
// work: each card in its personality, each channel on its signal's modulation, PCM code, bit rate
// and IF carrier, and each channel's down-converter tuned to the RF carrier with an IF filter
// that passes the signal.
//
// It opens the folder's virtual cards the way the program does, makes the settings through the
// set manager's setters, as an operator would on the setup pages, and saves them with the
// program's own last-state writer ("Kr20LastState.last" and "Kr20LastState.last<card>" in
// SYSTEM/HARDWARECONFIGURATION). The program loads that state at its next start-up and applies
// it to the cards.
//
// A folder that already has a last state or a last setup (or their ".BAK" copies) is the
// operator's: nothing is written. The steps are logged in SYSTEM/ERLOGS/StartSetups.log.
// Exit status: 0 when the state was written or kept, 1 otherwise.
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "card/card_routines.h"
#include "card/card_state_source.h"
#include "card/dncvt_manager.h"
#include "card/hwcfg_manager.h"
#include "card/records/card_setup_record.h"
#include "card/records/dncvt_channel_record.h"
#include "card/rtl20_manager.h"
#include "card/setup_routines.h"
#include "config/card_state_view.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "devicesim/sim_config.h"
#include "settings/last_setup.h"
#include "settings/last_setup_files.h"
#include "settings/set_manager.h"
#include "util/error_log.h"
#include "util/ini_file_check.h"

namespace {

constexpr const char* kVersionText = "2.01";

// The program's last state or last setup, or a copy of one: the operator's files.
bool HasLastSetupOrState() {
  std::vector<std::string> files{settings::LastSetupFilePath(), settings::LastStateFilePath()};
  for (int card = 0; card < config::kMaxCards; ++card) files.push_back(settings::CardStateFilePath(card));
  for (const std::string& file : files) {
    if (util::IniFileOrBakPresent(file)) return true;
  }
  return false;
}

// The managers as the program's start-up makes them, the cards and converters opened.
class VirtualCards {
 public:
  VirtualCards() : options_(true) {
    config::gApp.Options = &options_;
    hwCfg_ = std::make_unique<quorxhwcfgmgrclass>();
    gHwCfgMgr = hwCfg_.get();
    gHwCfgMgr->LoadConfigFile();
    dnCvt_ = std::make_unique<quorxdncvtmgrclass>();
    gDnCvtMgr = dnCvt_.get();
    rtl20_ = std::make_unique<quorxrtl20mgrclass>();
    gRtl20Mgr = rtl20_.get();
    gHwCfgMgr->AttachReceiverCards(gRtl20Mgr);
    gHwCfgMgr->AttachDownConverters(gDnCvtMgr);
    setMgr_ = std::make_unique<kr20setmgrclass>();
    gKr20SetMgr = setMgr_.get();
    config::SetCardStateView(&card::ManagerCardStateView());
    gHwCfgMgr->LoadConfigFileSimulatedOnly();
    gRtl20Mgr->DoAfterHwCfgMgrLoaded();
    gHwCfgMgr->LoadConfigFile();
    gHwCfgMgr->ApplyHardwareConfiguration();
    gHwCfgMgr->OpenAllCards();
  }
  ~VirtualCards() {
    config::SetCardStateView(nullptr);
    gKr20SetMgr = nullptr;
    setMgr_.reset();
    if (gHwCfgMgr != nullptr) gHwCfgMgr->CloseAllCards();
    gRtl20Mgr = nullptr;
    rtl20_.reset();
    gDnCvtMgr = nullptr;
    dnCvt_.reset();
    gHwCfgMgr = nullptr;
    hwCfg_.reset();
    config::gApp.Options = nullptr;
  }
  VirtualCards(const VirtualCards&) = delete;
  VirtualCards& operator=(const VirtualCards&) = delete;

  // Cards the device library reported and the program opened.
  bool Usable() const { return gHwCfgMgr->Kr20SimulatedFlag == 0 && card::SystemCardCount() > 0; }

 private:
  config::kr20optionclass options_;
  std::unique_ptr<quorxhwcfgmgrclass> hwCfg_;
  std::unique_ptr<quorxdncvtmgrclass> dnCvt_;
  std::unique_ptr<quorxrtl20mgrclass> rtl20_;
  std::unique_ptr<kr20setmgrclass> setMgr_;
};

// The modulation the channel's receiver is set to for the signal: the receiver family's own for
// PCM/FM, PM and multi-h CPM; a PSK receiver takes the signal's modulation when it offers it and
// keeps its own when the signal names only the family.
std::string ModulationFor(int card, int channel, const card::GroupChannelContext& family,
                          const quorxsim::SignalConfig& signal) {
  if (family.PcmFm) return "PCM_FM";
  if (family.Pm) return "PM";
  if (family.MultiHCpm) return "MH_CPM";
  if (!signal.modulation.empty() && card::IsModulationSupported(card, channel, signal.modulation)) {
    return signal.modulation;
  }
  return card::SetupText(family.Setup->Receiver[static_cast<std::size_t>(channel)].DemodMode);
}

// The narrowest fitted IF filter of the converter that is at least as wide as the channel's
// signal, else the widest; -1 when the converter has none.
int IfFilterFor(int card, int channel, const card::GroupChannelContext& context) {
  if (context.DcRecord == nullptr) return -1;
  card::ChannelRateInfo rate;
  if (!card::GetChannelRateInfo(card, channel, rate)) return -1;
  const double ratio = context.Setup->Receiver[static_cast<std::size_t>(channel)].CarrierSignalBwRatio;
  const double signalKhz = card::ChannelSignalBw(rate, context.PcmFm, ratio) * 0.001;
  int narrowest = -1;
  int widest = -1;
  for (std::size_t i = 0; i < card::kDnCvtIfFilters; ++i) {
    const double khz = context.DcRecord->IfFilterBwKhz[i];
    if (!(khz > 0.0)) continue;
    const int index = static_cast<int>(i);
    if (widest < 0 || khz > context.DcRecord->IfFilterBwKhz[static_cast<std::size_t>(widest)]) widest = index;
    const bool wideEnough = khz >= signalKhz;
    if (wideEnough &&
        (narrowest < 0 || khz < context.DcRecord->IfFilterBwKhz[static_cast<std::size_t>(narrowest)])) {
      narrowest = index;
    }
  }
  return narrowest >= 0 ? narrowest : widest;
}

bool IsInputCode(const std::string& code) {
  for (const std::string& name : gKr20SetMgr->PcmInputCodeList) {
    if (name == code) return true;
  }
  return false;
}

// The receiver of one channel set for the signal at its IF input, its converter tuned to the RF
// carrier.
void SetUpChannel(int card, int channel, const quorxsim::CardConfig& virtualCard, double rfCarrierMhz) {
  card::GroupChannelContext context = card::GroupChannelContextOf(card, channel);
  if (!context.Valid) return;
  const std::string source = card::SetupText(context.Setup->Receiver[static_cast<std::size_t>(channel)].InputSource);
  const bool secondInput = source == "IF_INPUT2" || source == "IF_2";
  const quorxsim::SignalConfig& signal = virtualCard.input[secondInput ? 1 : 0];
  if (signal.present) {
    kr20setmgrclass& manager = *gKr20SetMgr;
    manager.SetModulationFormat(card, channel, ModulationFor(card, channel, context, signal), context.PcmFm ? 1 : 0);
    const std::string code = signal.randomized ? "RNRZ-15" : signal.code;
    if (IsInputCode(code)) manager.SetPcmInputCode(card, channel, code);
    if (std::isfinite(signal.bitRate) && signal.bitRate >= 1.0 && signal.bitRate < 2e9) {
      manager.SetDataRate(card, channel, static_cast<std::int32_t>(std::lround(signal.bitRate)));
    }
    manager.SetCarrierCenterFreq(card, channel, signal.carrierHz);
  }
  context = card::GroupChannelContextOf(card, channel);
  if (context.DcIndex < 0) return;
  if (const int filter = IfFilterFor(card, channel, context); filter >= 0) gKr20SetMgr->SetSawIfFilter(card, channel, filter);
  gKr20SetMgr->SetTunedFreq(card, channel, rfCarrierMhz);
}

// Each card in the personality it powers up in, then its channels.
void SetUpCards(const quorxsim::SimConfig& hardware) {
  for (int card = 0; card < card::SystemCardCount() && card < quorxsim::kMaxCards; ++card) {
    const quorxsim::CardConfig& virtualCard = hardware.card[static_cast<std::size_t>(card)];
    card::kr20cardclass* object = card::CardObject(card);
    if (object == nullptr) continue;
    if (virtualCard.fpgaMode >= 0 && virtualCard.fpgaMode < card::kFpgaImageModeCount) {
      object->Setup().RouteInfo.FpgaMasterMode = virtualCard.fpgaMode;
      object->Setup().RouteInfo.UserReceiverMode = virtualCard.fpgaMode;
    }
    gKr20SetMgr->ApplyCardMode(card);
    for (int channel = 0; channel < settings::kChannels; ++channel) {
      SetUpChannel(card, channel, virtualCard, hardware.dncvt.rfCarrierMhz);
    }
  }
}

int Run(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::current_path(folder, error);
  if (error) {
    std::fprintf(stderr, "quorx_make_start_setups: cannot enter %s: %s\n", folder.c_str(), error.message().c_str());
    return 1;
  }
  if (HasLastSetupOrState()) {
    std::printf("quorx_make_start_setups: %s has a last state or last setup already; kept\n", folder.c_str());
    return 0;
  }
  util::LogProgramStart(false, kVersionText, nullptr, "QuorxL start setups", "/SYSTEM/ERLOGS/", "StartSetups");
  bool saved = false;
  {
    std::vector<std::string> notes;  // the libraries report them in their own log
    const quorxsim::SimConfig hardware = quorxsim::ReadSimConfig(quorxsim::SimConfigPath(), notes);
    VirtualCards cards;
    if (cards.Usable()) {
      SetUpCards(hardware);
      saved = settings::SaveLastSetupStateFile();
    } else {
      util::WriteErrorLogLine("No virtual receiver cards found; no start setups written", 0);
    }
  }
  const std::string log = util::ErrorLogPath();
  util::LogProgramEnd(false);
  if (!saved) {
    std::fprintf(stderr, "quorx_make_start_setups: no start setups written for %s (see %s)\n", folder.c_str(),
                 log.c_str());
    return 1;
  }
  std::printf("quorx_make_start_setups: the virtual cards' start setups written to %s\n",
              settings::LastStateFilePath().c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quorx_make_start_setups <program folder>\n");
    return 1;
  }
  try {
    return Run(std::filesystem::absolute(argv[1]));
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "quorx_make_start_setups: %s\n", failure.what());
    return 1;
  }
}
