#include "ui/setup/combiner_setup_form.h"

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

constexpr const char* kCombiningOutput = "COMBINING_OUTPUT";
// The status record carries no pre-D SNR or scale: those values are shown as not available.
constexpr const char* kNotAvailable = "N/A";

bool Never(const SetupPage&) { return false; }
bool CanSet(const SetupPage& p) { return HasObject(p) && HasManager(); }

bool HasPostD(const SetupPage& p) { return HasObject(p) && Obj(p)->CardInfo().NumPostDCombiners >= 1; }
bool HasPreD(const SetupPage& p) { return HasObject(p) && Obj(p)->CardInfo().NumPreDCombiners >= 1; }

bool PreDShown(const SetupPage& p) {
  card::kr20cardclass* o = Obj(p);
  if (o == nullptr) return false;
  if (o->ChipVariant()) return card::IsDualPcmFmVariant1Routed(p.Card()) || card::IsDualPskVariant1Routed(p.Card());
  const int mode = card::DeriveOperationalMode(o->CardInfo(), o->ChipVariant());
  return mode == 0 || mode == 1;
}

std::string ModeText(std::uint8_t off, std::uint8_t polarization) {
  if (off != 0) return "Off";
  return polarization != 0 ? "Spatial / Polarization" : "Frequency";
}

std::string PostDOutputCaption(const SetupPage& p, const std::string& name) {
  if (name == kCombiningOutput) {
    return card::IsCombinedOutputOnCh2Active(p.Card()) ? "Ch2 = Post D Combined" : "Ch1 = Post D Combined";
  }
  if (name == "CHANNEL_A_OUTPUT") return "Ch 1";
  if (name == "CHANNEL_B_OUTPUT") return "Ch 2";
  return name;
}

std::string PreDOutputCaption(const std::string& name) {
  const config::kr20optionclass* options = config::gApp.Options;
  const bool onCh2 = options != nullptr && options->Info().FmFmPostDOut2 != 0;
  if (name == kCombiningOutput) return onCh2 ? "Ch2 = Pre D Combined" : "Ch1 = Pre D Combined";
  if (name == "CHANNEL_A_OUTPUT") return "Ch 1";
  if (name == "CHANNEL_B_OUTPUT") return "Ch 2";
  return name;
}

// The diversity output: the post-D one, then the pre-D one written over it, as the card has them.
std::optional<std::string> DiversityText(const SetupPage& p) {
  std::optional<std::string> text;
  if (HasPostD(p)) text = PostDOutputCaption(p, Obj(p)->PostD_GetDiversityOutput());
  if (HasPreD(p)) text = PreDOutputCaption(Obj(p)->PreD_GetDiversityOutput());
  return text;
}

// A pre-D value read from the card, when the card has the combiner.
template <double (card::kr20cardclass::*Get)() const>
std::optional<double> PreD(const SetupPage& p) {
  if (!HasPreD(p)) return std::nullopt;
  return (Obj(p)->*Get)();
}

template <double (card::kr20cardclass::*Get)() const>
std::optional<std::string> PreDText(const SetupPage& p, int maxLength, int decimals, double scale) {
  const std::optional<double> value = PreD<Get>(p);
  if (!value) return std::nullopt;
  return Fixed(maxLength, decimals, *value * scale);
}

std::optional<std::string> PostDStatus(const SetupPage& p, double value, int decimals) {
  if (!HasPostD(p)) return std::nullopt;
  return Fixed(9, decimals, value);
}

std::optional<std::string> PreDStatus(const SetupPage& p, double value) {
  if (!HasPreD(p)) return std::nullopt;
  return Fixed(9, 3, value);
}

std::optional<std::string> PreDNotAvailable(const SetupPage& p) {
  if (!HasPreD(p)) return std::nullopt;
  return std::string(kNotAvailable);
}

// ---- Prompts ------------------------------------------------------------------------------------

PromptRequest WholeHz(const char* title, std::optional<double> current, double lower, double upper) {
  return {.Integer = true, .Title = title, .Current = std::round(current.value_or(0.0)), .Lower = lower, .Upper = upper};
}

PromptRequest Decimal(const char* title, std::optional<double> current, int decimals, double lower, double upper) {
  return {.Title = title, .Current = current.value_or(0.0), .Decimals = decimals, .Lower = lower, .Upper = upper};
}

// ---- Menus --------------------------------------------------------------------------------------

std::vector<MenuEntry> NoiseModeItems(const SetupPage& p) {
  std::vector<std::string> names;
  if (HasObject(p)) Obj(p)->PreD_GetAvailableNoiseEstimateModes(names);
  std::vector<MenuEntry> items;
  for (const std::string& name : names) items.push_back({name, name});
  return items;
}

std::vector<MenuEntry> DiversityItems(const SetupPage& p) {
  std::vector<std::string> names;
  if (HasObject(p)) Obj(p)->PostD_GetAvailableDiversityOutputs(names);
  const bool onCh2 = card::IsCombinedOutputOnCh2Active(p.Card());
  std::vector<MenuEntry> items;
  for (const std::string& name : names) {
    MenuEntry item{name, PostDOutputCaption(p, name)};
    item.Visible = item.Caption != (onCh2 ? "Ch 1" : "Ch 2");
    items.push_back(std::move(item));
  }
  return items;
}

// ---- Fields -------------------------------------------------------------------------------------

using CardObject = card::kr20cardclass;

const std::array<SettingField, 22> kFields{{
    {.Component = "LabelCombinerMode", .Kind = FieldKind::Toggle,
     .Text = [](const SetupPage& p) -> std::optional<std::string> {
       if (!HasPreD(p)) return std::nullopt;
       return ModeText(p.Context().Setup->PreD.CombinerModeOff, p.Context().Setup->PreD.CombinerModePolarity);
     },
     .Flag = [](const SetupPage& p) { return p.Context().Setup->PreD.CombinerModePolarity != 0; }, .Acts = CanSet,
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetPreDCombinerMode(p.Card(), t.Channel, v.Number != 0.0 ? 1 : 0);
     },
     .Repeats = Never},
    {.Component = "LabelSignalBw", .Kind = FieldKind::Prompt,
     .Text = [](const SetupPage& p) { return PreDText<&CardObject::PreD_GetSignalBandwidthInHz>(p, 7, 4, 0.000001); },
     .Prompt = [](const SetupPage& p) {
       return WholeHz("Enter the Signal Bandwidth", PreD<&CardObject::PreD_GetSignalBandwidthInHz>(p), 10, 100'000'000);
     },
     .Acts = CanSet,
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetPreDSignalBw(p.Card(), t.Channel, v.Number);
     },
     .Repeats = Never, .Always = true},
    {.Component = "LabelTimeConst", .Kind = FieldKind::Prompt,
     .Text = [](const SetupPage& p) { return PreDText<&CardObject::PreD_GetTimeConstInSec>(p, 12, 4, 1.0); },
     .Prompt = [](const SetupPage& p) {
       return Decimal("Enter the Time Constant (in seconds)", PreD<&CardObject::PreD_GetTimeConstInSec>(p), 2, 0.0, 1.0);
     },
     .Acts = CanSet,
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetPreDTimeConst(p.Card(), t.Channel, v.Number);
     },
     .Repeats = Never, .Always = true},
    {.Component = "LabelPhaseTimeConst", .Kind = FieldKind::Prompt,
     .Text = [](const SetupPage& p) { return PreDText<&CardObject::PreD_GetPhaseTimeConstInSec>(p, 12, 4, 1.0); },
     .Prompt = [](const SetupPage& p) {
       return Decimal("Enter the Phase Time Constant (in seconds)", PreD<&CardObject::PreD_GetPhaseTimeConstInSec>(p), 4,
                      0.0, 1.0);
     },
     .Acts = CanSet,
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetPreDPhaseTimeConst(p.Card(), t.Channel, v.Number);
     },
     .Repeats = Never, .Always = true},
    {.Component = "LabelNoiseEstMode", .Kind = FieldKind::Menu,
     .Text = [](const SetupPage& p) -> std::optional<std::string> {
       if (!HasPreD(p)) return std::nullopt;
       return Obj(p)->PreD_GetNoiseEstimateMode();
     },
     .Menu = "PopupMenuNoiseEstimateMode", .Acts = CanSet,
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetPreDNoiseEstimateMode(p.Card(), t.Channel, v.Text);
     },
     .Repeats = Never, .Always = true},
    {.Component = "LabelCntrFreqChA", .Kind = FieldKind::Prompt,
     .Text = [](const SetupPage& p) { return PreDText<&CardObject::PreD_GetChannelACenterFreqInHz>(p, 7, 4, 0.000001); },
     .Prompt = [](const SetupPage& p) {
       return WholeHz("Enter the Center Frequency for Ch 1 (Hz)", PreD<&CardObject::PreD_GetChannelACenterFreqInHz>(p), 0,
                      100'000'000);
     },
     .Acts = CanSet,
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetPreDCenterFreq(p.Card(), t.Channel, 0, v.Number);
     },
     .Repeats = Never, .Always = true},
    {.Component = "LabelCntrFreqChB", .Kind = FieldKind::Prompt,
     .Text = [](const SetupPage& p) { return PreDText<&CardObject::PreD_GetChannelBCenterFreqInHz>(p, 7, 4, 0.000001); },
     .Prompt = [](const SetupPage& p) {
       return WholeHz("Enter the Center Frequency for Ch 2 (Hz)", PreD<&CardObject::PreD_GetChannelBCenterFreqInHz>(p), 0,
                      100'000'000);
     },
     .Acts = CanSet,
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetPreDCenterFreq(p.Card(), t.Channel, 1, v.Number);
     },
     .Repeats = Never, .Always = true},
    {.Component = "LabelFixedNoiseChA", .Kind = FieldKind::Prompt,
     .Text = [](const SetupPage& p) { return PreDText<&CardObject::PreD_GetFixedNoChannelA>(p, 12, 2, 1.0); },
     .Prompt = [](const SetupPage& p) {
       return Decimal("Enter the Fixed Noise for Ch 1 (dBm/Hz)", PreD<&CardObject::PreD_GetFixedNoChannelA>(p), 2, -100.0,
                      10.0);
     },
     .Acts = CanSet,
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetPreDFixedNoise(p.Card(), t.Channel, 0, v.Number);
     },
     .Repeats = Never, .Always = true},
    {.Component = "LabelFixedNoiseChB", .Kind = FieldKind::Prompt,
     .Text = [](const SetupPage& p) { return PreDText<&CardObject::PreD_GetFixedNoChannelB>(p, 12, 2, 1.0); },
     .Prompt = [](const SetupPage& p) {
       return Decimal("Enter the Fixed Noise for Ch 2 (dBm/Hz)", PreD<&CardObject::PreD_GetFixedNoChannelB>(p), 2, -100.0,
                      10.0);
     },
     .Acts = CanSet,
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetPreDFixedNoise(p.Card(), t.Channel, 1, v.Number);
     },
     .Repeats = Never, .Always = true},
    {.Component = "LabelSnrChA", .Kind = FieldKind::Display, .Style = FieldStyle::Status, .Text = PreDNotAvailable},
    {.Component = "LabelSnrChB", .Kind = FieldKind::Display, .Style = FieldStyle::Status, .Text = PreDNotAvailable},
    {.Component = "LabelMeasuredNoiseChA", .Kind = FieldKind::Display, .Style = FieldStyle::Status,
     .Text = [](const SetupPage& p) { return PreDStatus(p, p.Status0().PreD.ChanAMeasuredNoise); }},
    {.Component = "LabelMeasuredNoiseChB", .Kind = FieldKind::Display, .Style = FieldStyle::Status,
     .Text = [](const SetupPage& p) { return PreDStatus(p, p.Status0().PreD.ChanBMeasuredNoise); }},
    {.Component = "LabelScaleChAPreD", .Kind = FieldKind::Display, .Style = FieldStyle::Status, .Text = PreDNotAvailable},
    {.Component = "LabelScaleChBPreD", .Kind = FieldKind::Display, .Style = FieldStyle::Status, .Text = PreDNotAvailable},
    {.Component = "LabelDiversityMode", .Kind = FieldKind::Menu, .Text = DiversityText,
     .Menu = "PopupMenuMenuDiversityOutputMode", .Acts = CanSet,
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetPostDDiversityOutput(p.Card(), t.Channel, v.Text);
     },
     .Repeats = Never, .Always = true},
    {.Component = "LabelPostDCombinerMode", .Kind = FieldKind::Toggle,
     .Text = [](const SetupPage& p) -> std::optional<std::string> {
       if (!HasPostD(p)) return std::nullopt;
       return ModeText(p.Context().Setup->PostD.CombinerModeOff, p.Context().Setup->PostD.CombinerModePolarity);
     },
     .Flag = [](const SetupPage& p) { return p.Context().Setup->PostD.CombinerModePolarity != 0; }, .Acts = CanSet,
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetPostDCombinerMode(p.Card(), t.Channel, v.Number != 0.0 ? 1 : 0);
     },
     .Repeats = Never},
    {.Component = "LabelScaleChA", .Kind = FieldKind::Display, .Style = FieldStyle::Status,
     .Text = [](const SetupPage& p) { return PostDStatus(p, p.Status0().PostD.ChanAScalePct, 1); }},
    {.Component = "LabelScaleChB", .Kind = FieldKind::Display, .Style = FieldStyle::Status,
     .Text = [](const SetupPage& p) { return PostDStatus(p, p.Status0().PostD.ChanBScalePct, 1); }},
    {.Component = "LabelEbNoChA", .Kind = FieldKind::Display, .Style = FieldStyle::Status,
     .Text = [](const SetupPage& p) { return PostDStatus(p, p.Status0().PostD.ChanAEbNoDb, 3); }},
    {.Component = "LabelEbNoChB", .Kind = FieldKind::Display, .Style = FieldStyle::Status,
     .Text = [](const SetupPage& p) { return PostDStatus(p, p.Status0().PostD.ChanBEbNoDb, 3); }},
    {.Component = "LabelCombinedGain", .Kind = FieldKind::Display, .Style = FieldStyle::Status,
     .Text = [](const SetupPage& p) { return PostDStatus(p, p.Status0().PostD.CombiningGainDb, 1); }},
}};

const std::array<RowLayout, 4> kPreDRows{{
    {"LabelCombinerModeCaption", "Combiner Mode", {"LabelCombinerMode"}},
    {"LabelSignalBwCaption", "Signal BW (MHz)", {"LabelSignalBw"}},
    {"LabelTimeConstCaption", "Time Constant (Sec)", {"LabelTimeConst"}},
    {"LabelPhaseTimeConstLabel", "Phase Time Constant (Sec)", {"LabelPhaseTimeConst"}, PreDShown},
}};

const std::array<RowLayout, 1> kNoiseModeRows{{{"LabelNoiseEstModeCaption", "Noise Estimate Mode", {"LabelNoiseEstMode"}}}};

const std::array<RowLayout, 2> kPreDChannelRows{{
    {"LabelCntrFreqCaption", "Center Freq (MHz)", {"LabelCntrFreqChA", "LabelCntrFreqChB"}},
    {"LabelFixedNoiseCaption", "Fixed Noise (dBm)", {"LabelFixedNoiseChA", "LabelFixedNoiseChB"}},
}};

const std::array<RowLayout, 3> kPreDStatusRows{{
    {"LabelSnrCaption", "SNR (dB)", {"LabelSnrChA", "LabelSnrChB"}},
    {"LabelMeasuredNoiseCaption", "Meas Noise", {"LabelMeasuredNoiseChA", "LabelMeasuredNoiseChB"}},
    {"LabelScalePreDCaption", "Scale (%)", {"LabelScaleChAPreD", "LabelScaleChBPreD"}},
}};

const std::array<RowLayout, 2> kPostDRows{{
    {"LabelDiversityModeCaption", "Diversity Output Mode", {"LabelDiversityMode"}},
    {"LabelPostDCombinerModeCaption", "Combiner Mode", {"LabelPostDCombinerMode"}},
}};

const std::array<RowLayout, 2> kPostDStatusRows{{
    {"LabelScaleCaption", "Scale (%)", {"LabelScaleChA", "LabelScaleChB"}},
    {"LabelEbNoCaption", "Eb/No (dB)", {"LabelEbNoChA", "LabelEbNoChB"}},
}};

const std::array<RowLayout, 1> kGainRows{{{"LabelCombinedGainCaption", "Combined Gain (dB)", {"LabelCombinedGain"}}}};

const std::array<PanelLayout, 8> kPanels{{
    {.Name = "PanelPreD", .Rows = kPreDRows, .Visible = PreDShown, .Scheme = PanelScheme::SetupLabels},
    {.Name = "PanelPreDInner", .Parent = "PanelPreD", .Rows = kNoiseModeRows, .Scheme = PanelScheme::SetupLabels},
    {.Name = "PanelPreDChannels", .Parent = "PanelPreDInner", .Rows = kPreDChannelRows,
     .Scheme = PanelScheme::SetupLabels, .Columns = true},
    {.Name = "PanelPreDStatus", .Parent = "PanelPreD", .Rows = kPreDStatusRows, .Scheme = PanelScheme::Status,
     .Columns = true},
    {.Name = "PanelPostD", .Rows = kPostDRows,
     // Both post-D personalities, PSK as well as PCM/FM: without it a PSK POST-D COMBINER card would
     // offer a Combiner page with nothing on it.
     .Visible = [](const SetupPage& p) {
       return card::IsDualPcmFmVariant2Routed(p.Card()) || card::IsDualPskVariant2Routed(p.Card());
     },
     .Scheme = PanelScheme::SetupLabels},
    {.Name = "PanelPostDStatus", .Parent = "PanelPostD", .Rows = kPostDStatusRows, .Scheme = PanelScheme::Status,
     .Columns = true},
    {.Name = "PanelPostDGain", .Parent = "PanelPostDStatus", .Rows = kGainRows, .Scheme = PanelScheme::Status},
    {.Name = "PanelCombinerSpacer"},
}};

const std::array<PopupMenuTable, 2> kMenus{{
    {"PopupMenuNoiseEstimateMode", "PopupMenuNoiseEstimateMode", NoiseModeItems, "LabelNoiseEstMode"},
    {"PopupMenuMenuDiversityOutputMode", "MenuDiversityOutputMode", DiversityItems, "LabelDiversityMode"},
}};

}  // namespace

TSM_CombinerSetupForm::TSM_CombinerSetupForm(QWidget* host, int card, int channel)
    : SetupPage(host, card, channel, setup::PageTables{kPanels, kFields, kMenus}, "TSM_CombinerSetupForm") {}
