#include "ui/setup/std_setup_form.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "card/dncvt_manager.h"
#include "config/globals.h"
#include "ui/setup/page_values.h"

namespace {

using namespace setup;

constexpr int kInputCodes = 13;
constexpr int kOutputCodes = 6;
constexpr double kLowestDataRate = 10.0;
constexpr double kHighestDataRate = 30'000'000.0;

bool DcPresent(const SetupPage& p) { return p.Context().DcPresent; }
bool NotPm(const SetupPage& p) { return !p.IsPm(); }
bool IsDualRateModulation(const SetupPage& p) {
  const card::ReceiverRecord* rx = Rx(p);
  if (rx == nullptr) return false;
  const std::string modulation = card::SetupText(rx->DemodMode);
  return modulation == "UAQPSK" || modulation == "AUQPSK";
}
bool DualTransmit(const SetupPage& p) { return card::CardHasDualTransmit(p.Card()); }

// ---- Tuning: one prompt, or one per channel while the card combines in frequency diversity ----

void TuneHandler(SetupPage& p) {
  if (!HasManager()) return;
  const int card = p.Card();
  if (card::IsFreqDiversityCombining(card)) {
    const double ch0 = card::PromptTuningFrequency(card::GetDownConverterIndex(card, 0),
                                                   gKr20SetMgr->StatusRecord(card, 0).DnCvt.TunedFreqMhz);
    const double ch1 = card::PromptTuningFrequency(card::GetDownConverterIndex(card, 1),
                                                   gKr20SetMgr->StatusRecord(card, 1).DnCvt.TunedFreqMhz);
    Mgr().SetTunedFreqBoth(card, ch0, ch1);
  } else {
    const double mhz = card::PromptTuningFrequency(p.Context().DcIndex, p.Context().DcTunedMhz);
    Mgr().SetTunedFreq(card, p.Channel(), mhz);
    if (SetupPage::BothChannels()) Mgr().SetTunedFreq(card, p.OtherChannel(), mhz);
  }
  SetupPage::MarkEditedAndSave();
  p.RefreshValues();
  p.RestartAcquisition();
}

// ---- Values -----------------------------------------------------------------------------------

std::optional<std::string> InputCodeText(const SetupPage& p) {
  card::kr20cardclass* o = Obj(p);
  switch (p.ChannelFamily()) {
    case Family::MhCpm:
    case Family::Pm:
      return card::SetupText(p.Status().BitSync1.PcmInputCode);
    case Family::PcmFm:
      if (o == nullptr) return std::nullopt;
      return card::PrnNameToDisplay(o->FmRx_GetBitSyncInputDataDecodingMode(p.Channel()),
                                    o->FmRx_GetBitSyncDescramblerMode(p.Channel()));
    case Family::Psk:
      break;
  }
  if (o == nullptr) return std::nullopt;
  return card::PrnNameToDisplay(o->PskRx_GetBitSyncStream1InputDataDecodingMode(p.Channel()),
                                o->PskRx_GetBitSyncStream1DescramblerMode(p.Channel()));
}

std::optional<std::string> SawText(const SetupPage& p) {
  const int index = p.Status().DnCvt.IfFilterIndex;
  const ChannelContext& c = p.Context();
  if (c.HasDcTables && static_cast<std::size_t>(index) < c.SawKhz.size() && c.SawKhz[static_cast<std::size_t>(index)] != 0.0) {
    return Fixed(12, 2, c.SawKhz[static_cast<std::size_t>(index)] * 0.001);
  }
  return "Index " + util::FloatToFixedText(5, 0, index);
}

std::optional<std::string> AgcText(const SetupPage& p) {
  const int index = p.Status().DnCvt.AgcTcIndex;
  const ChannelContext& c = p.Context();
  if (c.HasDcTables && static_cast<std::size_t>(index) < c.AgcMs.size() && c.AgcMs[static_cast<std::size_t>(index)] != 0.0) {
    return Fixed(12, 1, c.AgcMs[static_cast<std::size_t>(index)]);
  }
  return "Index " + util::FloatToFixedText(5, 0, index);
}

std::optional<double> AcqRangeHeld(const SetupPage& p) {
  card::kr20cardclass* o = Obj(p);
  if (o == nullptr) return std::nullopt;
  switch (p.ChannelFamily()) {
    case Family::PcmFm: return o->FmRx_GetBitSyncAcquisitionRangeInPercentOfBitRate(p.Channel());
    case Family::MhCpm: return std::nullopt;
    case Family::Psk:
    case Family::Pm: break;
  }
  return o->PskRx_GetBitSyncStream1AcquisitionRangeInPercentOfBitRate(p.Channel());
}

std::optional<double> LoopWidthHeld(const SetupPage& p) {
  card::kr20cardclass* o = Obj(p);
  if (o == nullptr) return std::nullopt;
  if (p.IsPcmFm()) return o->FmRx_GetBitSyncLoopWidthInPercentOfBitRate(p.Channel());
  return o->PskRx_GetBitSyncStream1LoopWidthInPercentOfBitRate(p.Channel());
}

std::optional<double> DataRateHeld(const SetupPage& p) {
  card::kr20cardclass* o = Obj(p);
  if (o == nullptr) return std::nullopt;
  if (p.IsPcmFm()) return o->FmRx_GetBitSyncRateInbps(p.Channel());
  if (p.IsPsk()) return o->PskRx_GetBitSyncStream1RateInbps(p.Channel());
  return std::nullopt;
}

double DataRateUpper(const SetupPage& p) {
  const double max = Obj(p) != nullptr ? static_cast<double>(Obj(p)->MaxDataRate()) : 0.0;
  return std::clamp(max, kLowestDataRate, kHighestDataRate);
}

// ---- Prompts ------------------------------------------------------------------------------------

PromptRequest DataRatePrompt(const SetupPage& p) {
  PromptRequest s;
  s.Integer = true;
  s.Title = "Enter the Data Rate in Bps";
  if (p.IsPcmFm() || p.IsPsk()) {
    s.Current = DataRateHeld(p).value_or(0.0);
  } else {
    s.Current = p.Status().BitSync1.BitRate;
  }
  s.Current = util::RoundToInt(s.Current);
  s.Lower = kLowestDataRate;
  s.Upper = DataRateUpper(p);
  return s;
}

PromptRequest DataRate2Prompt(const SetupPage& p) {
  PromptRequest s;
  s.Integer = true;
  s.Title = "Enter the Data Rate in Bps for 2nd bit sync";
  s.Current = Obj(p) != nullptr ? util::RoundToInt(Obj(p)->PskRx_GetBitSyncStream2RateInbps(p.Channel())) : 0;
  s.Lower = kLowestDataRate;
  s.Upper = DataRateUpper(p);
  return s;
}

PromptRequest AcqLbwPrompt(const SetupPage& p) {
  PromptRequest s;
  s.Decimals = 3;
  if (p.IsMhCpm()) {
    s.Title = "Enter the Symbol Loop Bandwidth in % of Data Rate";
    s.Current = Rx(p) != nullptr ? static_cast<double>(Rx(p)->MhCpmSymbolloopbandwidthPct) : 0.0;
    s.Lower = 0.005;
    s.Upper = 0.1;
  } else {
    s.Title = "Enter the Acquisition Range in % of Data Rate";
    s.Current = AcqRangeHeld(p).value_or(0.0);
    s.Lower = 0.02;
    s.Upper = 4.0;
  }
  return s;
}

PromptRequest TrkLbwPrompt(const SetupPage& p) {
  PromptRequest s;
  s.Decimals = 3;
  s.Title = "Enter the Loop BW in % of Data Rate";
  s.Current = LoopWidthHeld(p).value_or(0.0);
  s.Lower = 0.01;
  s.Upper = 2.0;
  return s;
}

// ---- Menus --------------------------------------------------------------------------------------

std::vector<MenuEntry> ModulationItems(const SetupPage& p) {
  std::vector<std::string> names;
  card::kr20cardclass* o = Obj(p);
  if (p.IsPsk() && o != nullptr && !o->IsSimulated()) {
    o->PskRx_GetCarrierModulationModeSupportedTypes(p.Channel(), names);
  } else if (HasManager()) {
    names = gKr20SetMgr->ModulationList;
  }
  std::vector<MenuEntry> items;
  for (const std::string& name : names) {
    MenuEntry item{name, name, name != "UQPSK"};
    if (name == "SQPSK") item.Caption = "OQPSK";
    if (name == "SOQPSK") item.Caption = "SOQPSK_SX";
    if (p.IsPm()) item.Visible = name == "PM";
    if (p.IsMhCpm()) item.Visible = name == "MH_CPM";
    // Modulations the channel does not offer in the card's current personality are hidden.
    if (item.Visible && !card::IsModulationSupported(p.Card(), p.Channel(), name)) item.Visible = false;
    items.push_back(std::move(item));
  }
  return items;
}

std::vector<MenuEntry> InputCodeItems(const SetupPage&) {
  std::vector<MenuEntry> items;
  for (int i = 0; i < kInputCodes; ++i) items.push_back({card::PcmDecoderCodeName(i), card::PcmDecoderCodeName(i)});
  return items;
}

std::vector<MenuEntry> OutputCodeItems(const SetupPage&) {
  std::vector<MenuEntry> items;
  for (int i = 0; i < kOutputCodes; ++i) items.push_back({card::PcmEncoderCodeName(i), card::PcmEncoderCodeName(i)});
  return items;
}

std::vector<MenuEntry> SawItems(const SetupPage& p) {
  std::vector<MenuEntry> items;
  const ChannelContext& c = p.Context();
  for (std::size_t i = 0; i < c.SawKhz.size(); ++i) {
    const std::string caption = c.HasDcTables ? util::FloatToFixedText(6, 2, c.SawKhz[i] * 0.001)
                                              : "Index " + std::to_string(i);
    items.push_back({std::to_string(i), caption});
  }
  return items;
}

std::vector<MenuEntry> AgcItems(const SetupPage& p) {
  std::vector<MenuEntry> items;
  const ChannelContext& c = p.Context();
  for (std::size_t i = 0; i < c.AgcMs.size(); ++i) {
    const std::string caption = c.HasDcTables ? util::FloatToFixedText(6, 1, c.AgcMs[i]) : "Index " + std::to_string(i);
    items.push_back({std::to_string(i), caption});
  }
  return items;
}

// ---- Setters ------------------------------------------------------------------------------------

void ApplyModulation(const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
  if (!t.Other && p.Context().Setup != nullptr) p.Context().Setup->Modulator.SakLoopbackMode = 0;
  // The other channel follows only with a modulation its receiver runs: a PM or multi-h CPM
  // channel is not made a PSK one by its neighbour's choice.
  if (t.Other && !card::IsModulationSupported(p.Card(), t.Channel, v.Text)) return;
  Mgr().SetModulationFormat(p.Card(), t.Channel, v.Text, 0);
}
void FinishModulation(SetupPage& p) { Mgr().ApplyCardMode(p.Card()); }

void ApplyDataRate2(const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
  card::kr20cardclass* o = Obj(p);
  if (o == nullptr) return;
  const auto rate = util::RoundToInt(v.Number);
  if (!t.Other) Rx(p, t.Channel)->BitSync[1].Bitrate = rate;
  o->PskRx_SetBitSyncStream2RateInbps(t.Channel, rate);
}


const std::array<SettingField, 12> kFields{{
    {.Component = "LabelTunedFreqMhz1", .Kind = FieldKind::Custom,
     .Text = [](const SetupPage& p) { return Fixed(9, 2, p.Status().DnCvt.TunedFreqMhz); },
     .Handler = TuneHandler},
    {.Component = "LabelModulation1", .Kind = FieldKind::Menu,
     .Text = [](const SetupPage& p) -> std::optional<std::string> { return card::SetupText(p.Status().Receiver.ReceiverName); },
     .Menu = "PopupMenuModulation", .Acts = [](const SetupPage& p) { return HasObject(p) && HasManager(); },
     .Apply = ApplyModulation, .Finish = FinishModulation, .Restart = true, .RefreshFirst = true},
    {.Component = "LabelDataRate1", .Kind = FieldKind::Prompt,
     .Text = [](const SetupPage& p) { return Fixed(9, 3, p.Status().BitSync1.BitRate * 0.000001); },
     .Enabled = NotPm, .Prompt = DataRatePrompt,
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetDataRate(p.Card(), t.Channel, util::RoundToInt(v.Number));
     },
     .Always = true, .Restart = true, .Held = DataRateHeld},
    {.Component = "LabelDataRate2", .Kind = FieldKind::Prompt,
     .Text = [](const SetupPage& p) -> std::optional<std::string> {
       if (!HasObject(p)) return std::nullopt;
       return Fixed(9, 3, Obj(p)->PskRx_GetBitSyncStream2RateInbps(p.Channel()) * 0.000001);
     },
     .Visible = [](const SetupPage& p) { return DualTransmit(p) && IsDualRateModulation(p); },
     .Prompt = DataRate2Prompt, .Acts = [](const SetupPage& p) { return HasObject(p) && DualTransmit(p); },
     .Apply = ApplyDataRate2, .Always = true, .Restart = true},
    {.Component = "LabelInputCode1", .Kind = FieldKind::Menu, .Text = InputCodeText, .Enabled = NotPm,
     .Menu = "PopupMenuInputCode", .Acts = [](const SetupPage& p) { return HasObject(p) && HasManager(); },
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetPcmInputCode(p.Card(), t.Channel, v.Text);
     },
     .Restart = true},
    {.Component = "LabelOutputCode1", .Kind = FieldKind::Menu,
     .Text = [](const SetupPage& p) -> std::optional<std::string> {
       return card::PcmEncoderCodeName(p.Status().BitSync1.PcmOutputCode);
     },
     .Menu = "PopupMenuOutputCode", .Acts = [](const SetupPage&) { return HasManager(); },
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetPcmOutputCode(p.Card(), t.Channel, v.Text);
     }},
    {.Component = "LabelBsAcqLbw", .Kind = FieldKind::Prompt,
     .Text = [](const SetupPage& p) -> std::optional<std::string> {
       if (p.IsMhCpm()) return Rx(p) != nullptr ? Fixed(12, 3, Rx(p)->MhCpmSymbolloopbandwidthPct) : std::nullopt;
       const std::optional<double> held = AcqRangeHeld(p);
       return held ? Fixed(12, 3, *held) : std::nullopt;
     },
     .Prompt = AcqLbwPrompt, .Acts = [](const SetupPage&) { return HasManager(); },
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetBitsyncAcqRange(p.Card(), t.Channel, v.Number);
     },
     .Always = true, .Held = AcqRangeHeld},
    {.Component = "LabelBsTrkLbw", .Kind = FieldKind::Prompt,
     .Text = [](const SetupPage& p) -> std::optional<std::string> {
       if (p.IsMhCpm()) return std::nullopt;  // the multi-h CPM receiver has no tracking width
       const std::optional<double> held = LoopWidthHeld(p);
       return held ? Fixed(12, 3, *held) : std::nullopt;
     },
     .Prompt = TrkLbwPrompt, .Acts = [](const SetupPage&) { return HasManager(); },
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetBitsyncLoopWidth(p.Card(), t.Channel, v.Number);
     },
     .Always = true, .Held = LoopWidthHeld},
    {.Component = "LabelIfBw11", .Kind = FieldKind::Menu, .Text = SawText, .Menu = "PopupMenuIfBw",
     .Acts = [](const SetupPage&) { return HasManager(); },
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetSawIfFilter(p.Card(), t.Channel, util::RoundToInt(v.Number));
     }},
    {.Component = "LabelAgcTc1", .Kind = FieldKind::Menu, .Text = AgcText, .Menu = "PopupMenuAgc",
     .Acts = [](const SetupPage&) { return HasManager(); },
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetAgcTimeConst(p.Card(), t.Channel, util::RoundToInt(v.Number));
     }},
    {.Component = "LabelDataPolarity", .Kind = FieldKind::Toggle,
     .Text = [](const SetupPage& p) { return OnOff(p.Status().Receiver.DataInverted != 0, "Invert", "Normal"); },
     .Flag = [](const SetupPage& p) { return p.Status().Receiver.DataInverted != 0; },
     .Acts = [](const SetupPage&) { return HasManager(); },
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetDataPolarity(p.Card(), t.Channel, v.Number != 0.0 ? 1 : 0);
     }},
    // The status record's clock flag is the clock-invert flag: set means "Invert".
    {.Component = "LabelClkPolarity", .Kind = FieldKind::Toggle,
     .Text = [](const SetupPage& p) { return OnOff(p.Status().Receiver.ClockRisingEdge != 0, "Invert", "Normal"); },
     .Flag = [](const SetupPage& p) { return p.Status().Receiver.ClockRisingEdge != 0; },
     .Acts = [](const SetupPage&) { return HasManager(); },
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetClockPolarity(p.Card(), t.Channel, v.Number != 0.0 ? "RISING_EDGE" : "FALLING_EDGE");
     }},
}};

const std::array<RowLayout, 7> kGroup1Rows{{
    {"LabelTunedFreqCaption", "Frequency (MHz)", {"LabelTunedFreqMhz1"}, DcPresent},
    {"LabelModulationCaption", "Modulation", {"LabelModulation1"},
     [](const SetupPage& p) { return !p.IsPm() && !p.IsPcmFm(); }},
    {"LabelDataRateCaption", "Data Rate (Mbps)", {"LabelDataRate1", "LabelDataRate2"}},
    {"LabelInputCodeCaption", "Input Data Code", {"LabelInputCode1"}},
    {"LabelOutputCodeCaption", "Output Data Code", {"LabelOutputCode1"}},
    {"LabelBsAcqLbwCaption", "Bit Sync Acq LBW (%)", {"LabelBsAcqLbw"}},
    {"LabelBsTrkLbwCaption", "Bit Sync Trk LBW (%)", {"LabelBsTrkLbw"}},
}};

const std::array<RowLayout, 4> kGroup2Rows{{
    {"LabelIfBwCaption", "SAW IF BW (MHz)", {"LabelIfBw11"}},
    {"LabelAgcTcCaption", "AGC TC (msec)", {"LabelAgcTc1"}},
    {"LabelDataPolarityCaption", "Data Polarity", {"LabelDataPolarity"}},
    {"LabelClkPolarityCaption", "Clock Polarity", {"LabelClkPolarity"}},
}};

const std::array<PanelLayout, 3> kPanels{{
    {.Name = "PanelRcvrOuter"},
    {.Name = "PanelRcvrGroup1", .Parent = "PanelRcvrOuter", .Rows = kGroup1Rows},
    {.Name = "PanelRcvrGroup2", .Parent = "PanelRcvrOuter", .Rows = kGroup2Rows, .Visible = DcPresent},
}};

const std::array<PopupMenuTable, 5> kMenus{{
    {"PopupMenuModulation", "MenuModulationMode", ModulationItems, "LabelModulation1"},
    {"PopupMenuInputCode", "MenuInputCode_", InputCodeItems, "LabelInputCode1"},
    {"PopupMenuOutputCode", "MenuOutputCode_", OutputCodeItems, "LabelOutputCode1"},
    {"PopupMenuIfBw", "SubMenuSawFilter_", SawItems, "LabelIfBw11", true},
    {"PopupMenuAgc", "SubMenuAgcTc_", AgcItems, "LabelAgcTc1", true},
}};

}  // namespace

TSM_StdSetupForm::TSM_StdSetupForm(QWidget* host, int card, int channel)
    : SetupPage(host, card, channel, setup::PageTables{kPanels, kFields, kMenus}, "TSM_StdSetupForm") {}
