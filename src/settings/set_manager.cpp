#include "settings/set_manager.h"

#include "card/card_routines.h"
#include "card/rtl20_manager.h"
#include "card/setup_routines.h"

namespace settings {

const SetterRule& RuleOf(SetterId id) { return kSetterRules[static_cast<std::size_t>(id)]; }

bool RepeatsForOtherChannel(Repeat rule, int routeMode, bool freqDiversity, bool bothChannelsHaveDnCvt) {
  switch (rule) {
    case Repeat::WithRouteMode: return routeMode != 0;
    case Repeat::Always: return true;
    case Repeat::Never: return false;
    case Repeat::OutsideFreqDiversity: return routeMode != 0 && !freqDiversity;
    case Repeat::PerCard: return false;
    case Repeat::WhereDnCvtTied: return routeMode != 0 && bothChannelsHaveDnCvt;
  }
  return false;
}

}  // namespace settings

kr20setmgrclass::kr20setmgrclass()
    // Value-initialised on the heap: zero bytes, and never a 4.7 MB temporary on the stack.
    : status_(std::make_unique<settings::StatusRecordTable>()),
      display_(std::make_unique<settings::DisplayBlockTable>()) {
  card::FillModulationList(ModulationList);
  card::FillPskInputSourceList(PskInputSourceList);
  card::FillFmInputSourceList(FmInputSourceList);
  card::FillPmInputSourceList(PmInputSourceList);
  card::FillInputCodeList(PcmInputCodeList);
  card::FillOutputCodeList(PcmOutputCodeList);
  config::gApp.Recording = false;
  card::InstallIfRxAutoSetters(this);
}

kr20setmgrclass::~kr20setmgrclass() {
  StopFlightRecord();
  if (card::InstalledIfRxAutoSetters() == this) card::InstallIfRxAutoSetters(nullptr);
}

bool kr20setmgrclass::ContextOf(int card, int channel, Context& context) {
  if (gRtl20Mgr == nullptr || card < 0 || card >= gRtl20Mgr->CardCount()) return false;
  if (channel < 0 || channel >= settings::kChannels) return false;
  context = Context{};
  context.Card = card;
  context.Channel = channel;
  if (!card::GetGroupChannelContext(card, channel, context.DcIndex, context.MhCpm, context.Pm, context.PcmFm,
                                    context.DcRecord, context.Setup, context.Object)) {
    return false;
  }
  return context.Setup != nullptr && context.Object != nullptr;
}
