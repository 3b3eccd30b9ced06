#include "card/card_state_source.h"

#include "card/card_routines.h"
#include "card/hwcfg_manager.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"

namespace card {
namespace {

bool InRange(int card) { return card >= 0 && card < SystemCardCount(); }

class ManagerView final : public config::CardStateView {
 public:
  int CardCount() const override { return SystemCardCount(); }
  bool IsCardOpen(int card) const override {
    const kr20cardclass* object = InRange(card) ? CardObject(card) : nullptr;
    return object != nullptr && object->IsOpen();
  }
  bool IsSimulatedCardTypeConfigured(int /*card*/) const override {
    return gHwCfgMgr != nullptr && gHwCfgMgr->Kr20SimulatedFlag != 0;
  }
  bool IsFpgaLoading(int card) const override {
    if (!InRange(card) || gRtl20Mgr == nullptr) return false;
    const FpgaLoadState& state = gRtl20Mgr->LoadState(card);
    return state.LoadingNow != 0 || state.CurrentFpgaMode != state.DesiredFpgaMode;
  }
  bool IsModulatorOutputOn(int card) const override {
    const kr20cardclass* object = InRange(card) ? CardObject(card) : nullptr;
    return object != nullptr && object->Setup().Modulator.CarrierEnabled != 0;
  }
  int RouteMode(int card) const override { return GetCardRouteMode(card); }
};

}  // namespace

const config::CardStateView& ManagerCardStateView() {
  static const ManagerView view;
  return view;
}

}  // namespace card
