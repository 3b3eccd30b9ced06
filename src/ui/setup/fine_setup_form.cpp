#include "ui/setup/fine_setup_form.h"

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "card/mode_routines.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "ui/setup/page_values.h"

namespace {

using namespace setup;

constexpr double kRatioLowest = 0.0;
constexpr double kRatioHighest = 5.0;
constexpr double kInputSourceCentreHz = 70'000'000.0;
constexpr util::TColor kRed = 0x0000FF;
constexpr util::TColor kYellow = 0x00FFFF;
constexpr double kPeakDeviationWarnRange = 0.05;

bool NotPm(const SetupPage& p) { return !p.IsPm(); }
bool CanSet(const SetupPage& p) { return HasObject(p) && HasManager(); }
bool CanSetNotMhCpm(const SetupPage& p) { return CanSet(p) && !p.IsMhCpm(); }
int MasterMode(const SetupPage& p) { return p.Context().Setup != nullptr ? p.Context().Setup->RouteInfo.FpgaMasterMode : -1; }
int UserMode(const SetupPage& p) { return p.Context().Setup != nullptr ? p.Context().Setup->RouteInfo.UserReceiverMode : -1; }
bool Loopback(const SetupPage& p) { return p.Context().Setup != nullptr && p.Context().Setup->Modulator.SakLoopbackMode != 0; }

bool IsInputSourceSelectable(const SetupPage& p) {
  if (p.IsMhCpm()) return false;
  return card::GetCardRouteMode(p.Card()) == 1 && !card::IsCombinerUsable(p.Card()) &&
         (p.Channel() == 1 || !card::IsPmChannel(p.Card(), 0));
}

std::string SourceCaption(const std::string& name) {
  if (name == "IF_INPUT1") return "Ch 1";
  if (name == "IF_INPUT2") return "Ch 2";
  if (name == "DIVERSITY_COMBINER" || name == "COMB") return "COMB";
  return name;
}

// ---- Values -----------------------------------------------------------------------------------

std::optional<double> AcqRangeHz(const SetupPage& p) {
  card::kr20cardclass* o = Obj(p);
  if (o == nullptr) return std::nullopt;
  switch (p.ChannelFamily()) {
    case Family::Psk: return o->PskRx_GetCarrierAcquisitionRangeInHz(p.Channel());
    case Family::PcmFm: return o->FmRx_GetCarrierAcquisitionRangeInHz(p.Channel());
    case Family::Pm: return o->PmRx_GetCarrierAcquisitionRangeInHz(p.Channel());
    case Family::MhCpm: break;
  }
  return static_cast<double>(Rx(p)->MhCpmLoopValue);  // a copy of the packed field
}

// The acquisition loop bandwidth in the unit the card takes (percent, or Hz on PCM/FM and PM).
std::optional<double> AcqLoopBw(const SetupPage& p) {
  card::kr20cardclass* o = Obj(p);
  if (o == nullptr) return std::nullopt;
  switch (p.ChannelFamily()) {
    case Family::Psk: return o->PskRx_GetCarrierAcquisitionLoopBandwidthInPercentOfStream1BitRate(p.Channel());
    case Family::PcmFm: return o->FmRx_GetCarrierAcquisitionLoopBandwidthInHz(p.Channel());
    case Family::Pm: return o->PmRx_GetCarrierAcquisitionLoopBandwidthInHz(p.Channel());
    case Family::MhCpm: break;
  }
  return static_cast<double>(Rx(p)->MhCpmCarrierloopbandwidthPct);
}

std::optional<double> TrackLoopBw(const SetupPage& p) {
  card::kr20cardclass* o = Obj(p);
  if (o == nullptr || p.IsMhCpm()) return std::nullopt;
  switch (p.ChannelFamily()) {
    case Family::PcmFm: return o->FmRx_GetCarrierTrackingLoopBandwidthInHz(p.Channel());
    case Family::Pm: return o->PmRx_GetCarrierTrackLoopBandwidthInHz(p.Channel());
    default: break;
  }
  return o->PskRx_GetCarrierTrackingLoopBandwidthInPercentOfStream1BitRate(p.Channel());
}

std::optional<double> Threshold(const SetupPage& p) {
  card::kr20cardclass* o = Obj(p);
  if (o == nullptr || p.IsMhCpm()) return std::nullopt;
  switch (p.ChannelFamily()) {
    case Family::PcmFm: return o->FmRx_GetReceiverSignalLevelQualificationThreshold(p.Channel());
    case Family::Pm: return o->PmRx_GetCarrierSignalThresholdIndBm(p.Channel());
    default: break;
  }
  return o->PskRx_GetReceiverSignalLevelQualificationThreshold(p.Channel());
}

bool InHertz(const SetupPage& p) { return p.IsPcmFm() || p.IsPm(); }

std::optional<std::string> LoopBwText(const SetupPage& p, std::optional<double> value) {
  if (!value) return std::nullopt;
  return Fixed(12, 2, InHertz(p) ? *value * 0.001 : *value);
}

std::optional<std::string> CarrierFreqText(const SetupPage& p) {
  if (p.IsMhCpm()) return Rx(p) != nullptr ? Fixed(12, 2, Rx(p)->MhCpmCarrierFrequencyMhz) : std::nullopt;
  if (p.IsPsk() && p.Channel() == 1 && card::IsPmPskMode(MasterMode(p))) {
    return Rx(p) != nullptr ? Fixed(12, 2, Rx(p)->CarrierFreqMhz) : std::nullopt;
  }
  return Fixed(12, 2, p.Status().Receiver.CarrierFreqMhz);
}

std::optional<std::string> InputSourceText(const SetupPage& p) {
  if (Loopback(p)) return std::string("Loopback");
  const card::ReceiverRecord* rx = Rx(p);
  if (rx == nullptr) return std::nullopt;
  if (card::SetupText(rx->InputSource).empty()) return std::string();
  card::kr20cardclass* o = Obj(p);
  return SourceCaption(p.IsPcmFm() ? o->FmRx_GetReceiverInputSourceMode(p.Channel())
                                   : o->PskRx_GetReceiverInputSourceMode(p.Channel()));
}

std::optional<util::TColor> PeakDeviationColour(const SetupPage& p) {
  const config::kr20optionclass* options = config::gApp.Options;
  if (options == nullptr || options->Info().WarnCarrierPeakDeviationRange == 0 || Rx(p) == nullptr) return std::nullopt;
  return Rx(p)->CarrierPeakDeviationRange > kPeakDeviationWarnRange ? kRed : kYellow;
}

// ---- Prompts ------------------------------------------------------------------------------------

PromptRequest FilterPrompt(const SetupPage& p) {
  PromptRequest s;
  s.Acts = !p.IsMhCpm();
  s.Title = "Enter the Carrier Signal (IF) Filter Bandwidth in MHz";
  s.Decimals = 6;
  s.Current = p.Status().Receiver.SignalBw * 0.000001;
  card::ChannelRateInfo info;
  card::GetChannelRateInfo(p.Card(), p.Channel(), info);
  const auto bw = p.IsPcmFm() ? card::SignalBwForRatioPcmFm : card::SignalBwForRatioPsk;
  s.Lower = bw(info, kRatioLowest) * 0.001;
  s.Upper = bw(info, kRatioHighest) * 0.001;
  return s;
}

PromptRequest CarrierFreqPrompt(const SetupPage& p) {
  PromptRequest s;
  s.Integer = true;
  s.Title = "Enter the Carrier Center Freq in Hz";
  // Cut, not rounded, to a whole number of hertz.
  s.Current = Rx(p) != nullptr ? std::trunc(Rx(p)->CarrierFreqMhz * 1'000'000.0) : 0.0;
  s.Lower = 1;
  s.Upper = 1'000'000'000;
  return s;
}

PromptRequest AcqRangePrompt(const SetupPage& p) {
  PromptRequest s;
  s.Integer = true;
  if (p.IsMhCpm()) {
    s.Title = "Enter the Carrier Offset in Hz";
    s.Current = Rx(p) != nullptr ? std::trunc(Rx(p)->MhCpmLoopValue) : 0.0;
    s.Lower = 1'000;
    s.Upper = 300'000;
    return s;
  }
  const card::CarrierAcqRange range = card::SuggestCarrierAcqRange(p.Card(), p.Channel());
  const double suggestion =
      p.IsPm() ? card::SuggestPmCarrierAcqLoopBw(p.Status().BitSync1.BitRate) : range.Suggested;
  s.Title = "Enter the Carrier Acquisition Range in Hz\n(suggest " + util::FloatToFixedText(24, 0, suggestion) + " Hz)";
  s.Current = util::RoundToInt(AcqRangeHz(p).value_or(0.0));
  s.Lower = range.Lower;
  s.Upper = range.Upper;
  return s;
}

PromptRequest AcqLoopPrompt(const SetupPage& p) {
  PromptRequest s;
  s.Current = AcqLoopBw(p).value_or(0.0);
  s.Decimals = 2;
  const double rate = p.Status().BitSync1.BitRate;
  switch (p.ChannelFamily()) {
    case Family::Psk:
      s.Title = "Enter the Carrier Acquision Loop BW in % of Data Rate\n(suggest 2%)";
      s.Lower = 0.0;
      s.Upper = 10.0;
      break;
    case Family::PcmFm:
      s.Title = "Enter the Carrier Acquision Loop BW in Hertz\n(suggest " +
                util::FloatToFixedText(24, 0, card::SuggestFmCarrierAcqLoopBw(p.Card(), p.Channel())) + " Hz)";
      s.Lower = 1.0;
      s.Upper = 10'000'000.0;
      break;
    case Family::Pm:
      s.Title = "Enter the Carrier Acquision Loop BW in Hertz\n(suggest " +
                util::FloatToFixedText(24, 0, card::SuggestPmCarrierAcqLoopBw(rate)) + " Hz)";
      s.Lower = 1.0;
      s.Upper = 10'000'000.0;
      break;
    case Family::MhCpm:
      s.Title = "Enter the Carrier Loop BW in Percent";
      s.Decimals = 3;
      s.Lower = 0.005;
      s.Upper = 0.1;
      break;
  }
  return s;
}

PromptRequest TrackLoopPrompt(const SetupPage& p) {
  PromptRequest s;
  s.Acts = !p.IsMhCpm();
  s.Current = TrackLoopBw(p).value_or(0.0);
  s.Decimals = 2;
  const double rate = p.Status().BitSync1.BitRate;
  if (p.IsPcmFm()) {
    const double bitRate = Rx(p) != nullptr ? static_cast<double>(Rx(p)->BitSync[0].Bitrate) : 0.0;
    s.Title = "Enter the Carrier Tracking Loop BW in Hertz\n(suggest " +
              util::FloatToFixedText(24, 0, card::SuggestFmCarrierTrackLoopBw(p.Card(), p.Channel(), bitRate)) + " Hz)";
    s.Lower = 1.0;
    s.Upper = 10'000'000.0;
  } else if (p.IsPm()) {
    s.Title = "Enter the Carrier Tracking Loop BW in Hertz\n(suggest " +
              util::FloatToFixedText(24, 0, card::SuggestPmCarrierTrackLoopBw(rate)) + " Hz)";
    s.Lower = 1.0;
    s.Upper = 30'000.0;
  } else {
    s.Title = "Enter the Carrier Tracking Loop BW in % of Data Rate\n(suggest 1%)";
    s.Lower = 0.0;
    s.Upper = 10.0;
  }
  return s;
}

PromptRequest ThresholdPrompt(const SetupPage& p) {
  PromptRequest s;
  s.Acts = !p.IsMhCpm();
  s.Integer = true;
  s.Title = "Enter the Receiver Signal Threshold in dBm";
  s.Current = util::RoundToInt(Threshold(p).value_or(0.0));
  s.Lower = -100;
  s.Upper = 0;
  return s;
}

PromptRequest PeakDeviationPrompt(const SetupPage& p) {
  return {.Title = "Enter the Peak Deviation", .Current = Rx(p) != nullptr ? Rx(p)->CarrierPeakDeviation : 0.0,
          .Decimals = 2, .Lower = 0.1, .Upper = 1.0};
}

PromptRequest PeakDeviationRangePrompt(const SetupPage& p) {
  return {.Title = "Enter the Peak Deviation Range",
          .Current = Rx(p) != nullptr ? Rx(p)->CarrierPeakDeviationRange : 0.0, .Decimals = 2, .Lower = 0.01,
          .Upper = 0.45};
}

// ---- Menus --------------------------------------------------------------------------------------

std::vector<MenuEntry> InputSourceItems(const SetupPage& p) {
  std::vector<std::string> names;
  card::kr20cardclass* o = Obj(p);
  if (o == nullptr) return {};
  if (p.IsPcmFm()) {
    card::FillFmInputSourceList(names);
  } else if (p.IsPm()) {
    card::FillPmInputSourceList(names);
  } else if (!o->IsSimulated()) {
    o->PskRx_GetReceiverInputSourceModeSupportedTypes(p.Channel(), names);
  } else {
    card::FillPskInputSourceList(names);
  }
  const int routeMode = card::GetCardRouteMode(p.Card());
  const bool combinerUsable = card::IsCombinerUsable(p.Card());
  std::vector<MenuEntry> items;
  for (const std::string& name : names) {
    MenuEntry item{name, SourceCaption(name)};
    if (item.Caption == "COMB" && (combinerUsable || routeMode == 0)) {
      item.Visible = false;
    } else if (routeMode == 1 && !combinerUsable && item.Caption == "Ch 1") {
      item.Visible = false;
    }
    items.push_back(std::move(item));
  }
  // Which of the first three sources a routed card offers depends on the personality family.
  if (IsInputSourceSelectable(p) && !p.IsPm()) {
    const int master = MasterMode(p);
    std::array<std::optional<bool>, 3> shown{};
    if (card::IsPskPskMode(master)) {
      shown = {false, p.Channel() == 1, true};
    } else if (card::IsPskPcmFmMode(master)) {
      if (p.Channel() == 0 && card::IsPcmFmPcmFmMode(UserMode(p))) {
        shown = {true, true, false};
      } else {
        shown = {false, true, true};
      }
    }
    for (std::size_t i = 0; i < shown.size() && i < items.size(); ++i) {
      if (shown[i]) items[i].Visible = *shown[i];
    }
  }
  return items;
}

std::vector<MenuEntry> AcqModeItems(const SetupPage& p) {
  std::vector<std::string> names;
  card::kr20cardclass* o = Obj(p);
  if (o == nullptr || p.IsPcmFm()) return {};
  if (p.IsPm()) {
    o->GetCarrierAcquisitionModeList(names);
  } else {
    o->PskRx_GetCarrierAcquisitionModeSupportedTypes(p.Channel(), names);
  }
  std::vector<MenuEntry> items;
  for (const std::string& name : names) items.push_back({name, name});
  return items;
}

// ---- Setters ------------------------------------------------------------------------------------

void ApplyInputSource(const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
  Mgr().SetInputSource(p.Card(), t.Channel, v.Text);
  // A source other than the diversity combiner brings the carrier back to the IF centre.
  if (!v.Text.starts_with("D") && !card::IsPmPskMode(MasterMode(p))) {
    Mgr().SetCarrierCenterFreq(p.Card(), t.Channel, kInputSourceCentreHz);
    if (SetupPage::BothChannels()) Mgr().SetCarrierCenterFreq(p.Card(), p.OtherChannel(), kInputSourceCentreHz);
  }
}

void ApplyPeakDeviation(const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
  card::ReceiverRecord* rx = Rx(p, t.Channel);
  rx->CarrierPeakDeviation = v.Number;
  Obj(p)->FmRx_SetCarrierPeakDeviation(t.Channel, v.Number);
  Mgr().SetPeakDevCompFactors(p.Card(), t.Channel, rx->CarrierPeakDeviationRange);
  Mgr().ApplyIfRxAutoLogic(p.Card(), t.Channel);
}

void ApplyPeakDeviationRange(const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
  Rx(p, t.Channel)->CarrierPeakDeviationRange = v.Number;
  Mgr().SetPeakDevCompFactors(p.Card(), t.Channel, v.Number);
  Mgr().ApplyIfRxAutoLogic(p.Card(), t.Channel);
}

bool Never(const SetupPage&) { return false; }

const std::array<SettingField, 10> kFields{{
    {.Component = "LabelRxCarSigFilterBwRatio", .Kind = FieldKind::Prompt,
     .Text = [](const SetupPage& p) -> std::optional<std::string> {
       if (p.IsMhCpm()) return std::string("xxxx");
       return Fixed(12, 2, p.Status().Receiver.SignalBw * 0.000001);
     },
     .Prompt = FilterPrompt, .Acts = CanSetNotMhCpm,
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetSignalFilterBwRatio(p.Card(), t.Channel, v.Number);
     },
     .Always = true},
    {.Component = "LabelRxCarCntrFreq", .Kind = FieldKind::Prompt, .Text = CarrierFreqText,
     .Prompt = CarrierFreqPrompt, .Acts = CanSet,
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetCarrierCenterFreq(p.Card(), t.Channel, v.Number);
     },
     .Always = true},
    {.Component = "LabelRxCarAcqRange", .Kind = FieldKind::Prompt,
     .Text = [](const SetupPage& p) -> std::optional<std::string> {
       const std::optional<double> hz = AcqRangeHz(p);
       return hz ? Fixed(12, 2, *hz * 0.001) : std::nullopt;
     },
     .Prompt = AcqRangePrompt, .Acts = CanSet,
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetCarrierAcqRange(p.Card(), t.Channel, v.Number);
     },
     // The acquisition range is the channel's own; the multi-h CPM carrier offset is repeated.
     .Repeats = [](const SetupPage& p) { return p.IsMhCpm(); },
     .Always = true,
     .Held = [](const SetupPage& p) { return p.IsMhCpm() ? std::nullopt : AcqRangeHz(p); }},
    {.Component = "LabelRxAcqLoopBw", .Kind = FieldKind::Prompt,
     .Text = [](const SetupPage& p) -> std::optional<std::string> {
       return p.IsMhCpm() ? (AcqLoopBw(p) ? Fixed(12, 2, *AcqLoopBw(p)) : std::nullopt) : LoopBwText(p, AcqLoopBw(p));
     },
     .Prompt = AcqLoopPrompt, .Acts = CanSet,
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetCarrierAcqLoopBw(p.Card(), t.Channel, v.Number);
     },
     .Always = true, .Held = AcqLoopBw},
    {.Component = "LabelRxTrackLoopBw", .Kind = FieldKind::Prompt,
     .Text = [](const SetupPage& p) { return LoopBwText(p, TrackLoopBw(p)); },
     .Prompt = TrackLoopPrompt, .Acts = CanSetNotMhCpm,
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetCarrierTrackLoopBw(p.Card(), t.Channel, v.Number);
     },
     .Always = true, .Held = TrackLoopBw},
    {.Component = "LabelRxCarSigThresh", .Kind = FieldKind::Prompt,
     .Text = [](const SetupPage& p) -> std::optional<std::string> {
       if (p.IsMhCpm()) return std::string("xxxx");
       const std::optional<double> dbm = Threshold(p);
       return dbm ? Fixed(12, 2, *dbm) : std::nullopt;
     },
     .Prompt = ThresholdPrompt, .Acts = CanSetNotMhCpm,
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetSignalThreshold(p.Card(), t.Channel, v.Number);
     },
     .Always = true, .Held = Threshold},
    {.Component = "LabelRxCarAcqMode", .Kind = FieldKind::Menu,
     .Text = [](const SetupPage& p) -> std::optional<std::string> {
       card::kr20cardclass* o = Obj(p);
       if (o == nullptr || p.IsPcmFm() || p.IsMhCpm()) return std::nullopt;
       return p.IsPm() ? o->PmRx_GetCarrierAcquisitionMode(p.Channel()) : o->PskRx_GetCarrierAcquisitionMode(p.Channel());
     },
     .Menu = "PopupMenuCarAcqMode", .Acts = CanSet,
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetCarrierAcqMode(p.Card(), t.Channel, v.Text);
     }},
    {.Component = "LabelRxInputSource", .Kind = FieldKind::Menu, .Text = InputSourceText,
     .Enabled = [](const SetupPage& p) { return !Loopback(p); }, .Menu = "PopupMenuInputSource",
     .Acts = [](const SetupPage& p) { return CanSet(p) && p.Channel() == 1; }, .Apply = ApplyInputSource,
     .Repeats = Never},
    {.Component = "PeakDeviationLabel", .Kind = FieldKind::Prompt,
     .Text = [](const SetupPage& p) -> std::optional<std::string> {
       return Rx(p) != nullptr ? Fixed(12, 2, Rx(p)->CarrierPeakDeviation) : std::nullopt;
     },
     .Prompt = PeakDeviationPrompt, .Acts = CanSet, .Apply = ApplyPeakDeviation, .Repeats = Never, .Always = true,
     .TextColour = PeakDeviationColour},
    {.Component = "PeakDeviationDeltaLabel", .Kind = FieldKind::Prompt,
     .Text = [](const SetupPage& p) -> std::optional<std::string> {
       return Rx(p) != nullptr ? Fixed(12, 2, Rx(p)->CarrierPeakDeviationRange) : std::nullopt;
     },
    .Prompt = PeakDeviationRangePrompt, .Acts = CanSet, .Apply = ApplyPeakDeviationRange, .Repeats = Never,
    .Always = true},
}};

const std::array<RowLayout, 7> kControlRows{{
    {"LabelRxCarSigFilterBwCaption", "FIR IF Filter BW (MHz)", {"LabelRxCarSigFilterBwRatio"}, NotPm},
    {"LabelRxCarCntrFreqCaption", "Carrier Freq (MHz)", {"LabelRxCarCntrFreq"}},
    {"LabelRxCarAcqRangeCaption", "Carrier Acq Range (kHz)", {"LabelRxCarAcqRange"}, NotPm},
    {"LabelRxAcqLoopBwCaption", "Carrier Acq LBW (%)", {"LabelRxAcqLoopBw"}, nullptr,
     [](const SetupPage& p) { return InHertz(p) ? "Carrier Acq LBW (kHz)" : "Carrier Acq LBW (%)"; }},
    {"LabelRxTrackLoopBwCaption", "Carrier Trk LBW (%)", {"LabelRxTrackLoopBw"}, nullptr,
     [](const SetupPage& p) { return InHertz(p) ? "Carrier Trk LBW (kHz)" : "Carrier Trk LBW (%)"; }},
    {"LabelRxCarSigThreshCaption", "Carrier Thresh (dBm)", {"LabelRxCarSigThresh"}, NotPm},
    {"LabelRxCarAcqModeCaption", "Carrier Acq Mode", {"LabelRxCarAcqMode"},
     [](const SetupPage& p) { return !p.IsPcmFm() && !p.IsMhCpm(); }},
}};

const std::array<RowLayout, 1> kInputRows{{{"LabelRxInputSourceCaption", "Input Source", {"LabelRxInputSource"}}}};

const std::array<RowLayout, 2> kPcmFmRows{{
    {"PeakDeviationCaption", "Peak Deviation Index", {"PeakDeviationLabel"}},
    {"PeakDeviationDeltaCaption", "Peak Deviation Index Delta (+/-)", {"PeakDeviationDeltaLabel"}},
}};

const std::array<PanelLayout, 3> kPanels{{
    {.Name = "PanelControl", .Rows = kControlRows},
    {.Name = "PanelInputSource", .Rows = kInputRows,
     .Visible = [](const SetupPage& p) { return !p.IsPm() && !p.IsMhCpm() && IsInputSourceSelectable(p); }},
    // Short numbers beside the longest caption of the page.
    {.Name = "PanelPcmFm", .Rows = kPcmFmRows, .Visible = [](const SetupPage& p) { return p.IsPcmFm(); },
     .ValueWidth = 72},
}};

const std::array<PopupMenuTable, 2> kMenus{{
    {"PopupMenuInputSource", "MenuRxInputSource", InputSourceItems, "LabelRxInputSource"},
    {"PopupMenuCarAcqMode", "MenuCarrierAcquisionMode", AcqModeItems, "LabelRxCarAcqMode"},
}};

}  // namespace

TSM_FineSetupForm::TSM_FineSetupForm(QWidget* host, int card, int channel)
    : SetupPage(host, card, channel, setup::PageTables{kPanels, kFields, kMenus}, "TSM_FineSetupForm") {}

void TSM_FineSetupForm::UpdateVisibility() {
  BuildMenus();
  SetupPage::UpdateVisibility();
}
