#include "card/if_rx_auto_logic.h"

#include "card/card_routines.h"
#include "config/globals.h"
#include "config/options_store.h"

namespace card {

namespace {

IfRxAutoSetters* gSetters = nullptr;
// The setters may end in the logic again (a setter that applies it); one pass is enough.
bool gRunning = false;

class RunningScope {
 public:
  RunningScope() { gRunning = true; }
  ~RunningScope() { gRunning = false; }
  RunningScope(const RunningScope&) = delete;
  RunningScope& operator=(const RunningScope&) = delete;
};

}  // namespace

void InstallIfRxAutoSetters(IfRxAutoSetters* setters) { gSetters = setters; }
IfRxAutoSetters* InstalledIfRxAutoSetters() { return gSetters; }

void RunIfRxAutoLogic(int card, int channel) {
  if (gSetters == nullptr || gRunning || config::gApp.Options == nullptr) return;
  const config::kr20optinfo options = config::gApp.Options->Info();
  int dcIndex = -1;
  bool isMultiHCpm = false;
  bool isPm = false;
  bool isPcmFm = false;
  DnCvtChannelRecord* dcRecord = nullptr;
  CardSetupRecord* setup = nullptr;
  kr20cardclass* object = nullptr;
  if (!GetGroupChannelContext(card, channel, dcIndex, isMultiHCpm, isPm, isPcmFm, dcRecord, setup, object)) return;
  ChannelRateInfo rate;
  if (!GetChannelRateInfo(card, channel, rate) || rate.BitRate <= 0.0) return;
  const RunningScope running;
  IfRxAutoSetters& setters = *gSetters;

  if (options.EnableIFCarAcqRgAlg != 0) {
    setters.SetCarrierAcqRange(card, channel, SuggestCarrierAcqRange(card, channel).Suggested);
  }

  if (options.EnableIFCarFilterAlg != 0 && dcRecord != nullptr) {
    const std::int32_t filter = dcRecord->Setup.BwFilterSelected;
    const double filterKhz =
        filter >= 0 && filter < static_cast<std::int32_t>(kDnCvtIfFilters) ? dcRecord->IfFilterBwKhz[filter] : 0.0;
    if (filterKhz > 0.0) {
      setters.SetSignalFilterBwRatio(card, channel, filterKhz * 0.001);
      const bool limited = isPcmFm || IsCombinerUsable(card);
      setters.SetDnCvtLimitedOutputMode(card, channel, limited ? 1 : 0);
      const double tunedMhz = dcRecord->Setup.FreqMhz;
      if (tunedMhz > 0.0) setters.SetTunedFreq(card, channel, tunedMhz);
      if (CardHasPreDCombiner(card) && setup->RouteInfo.RouteMode != 0) {
        const double ratio = setup->Receiver[channel].CarrierSignalBwRatio;
        setters.SetPreDSignalBw(card, channel, ChannelSignalBw(rate, isPcmFm, ratio));
      }
    }
  }

  if (options.EnableIFCarCFAlg != 0 && isPcmFm) {
    setters.SetCarrierAcqLoopBw(card, channel, SuggestFmCarrierAcqLoopBw(card, channel));
  }
}

}  // namespace card
