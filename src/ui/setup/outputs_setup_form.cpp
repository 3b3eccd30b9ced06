#include "ui/setup/outputs_setup_form.h"

#include <array>
#include <string>
#include <vector>

#include "ui/setup/page_values.h"

namespace {

using namespace setup;

constexpr const char* kNotApplicable = "N/A";
constexpr const char* kPostViterbi = "POST_VITERBI";
constexpr util::TColor kLime = 0x00FF00;
constexpr util::TColor kYellow = 0x00FFFF;

bool RoutingEnabled(const SetupPage& p) { return !p.IsPm() && !p.IsMhCpm(); }
bool CanRoute(const SetupPage& p) { return HasObject(p); }
bool StreamOneOnly(const SetupPage& p) { return Rx(p) != nullptr && Rx(p)->StreamControlS1Only != 0; }
bool DecodeBoxShown(const SetupPage& p) { return !p.IsMhCpm() && card::CardHasChannelReceiver(p.Card(), p.Channel()); }
bool DecodeEnabledInSetup(const SetupPage& p) {
  return Rx(p) != nullptr && Rx(p)->BitSync[0].ViterbiDecodeEnabled != 0;
}

// A routing location of a PSK channel; "N/A" on the other families.
template <std::string (card::kr20cardclass::*Get)(int) const>
std::optional<std::string> Location(const SetupPage& p) {
  if (!p.IsPsk()) return std::string(kNotApplicable);
  if (!HasObject(p)) return std::nullopt;
  return (Obj(p)->*Get)(p.Channel());
}

std::optional<std::string> InvertLocationText(const SetupPage& p) {
  if (!p.IsPsk()) return std::string(kNotApplicable);
  card::kr20cardclass* o = Obj(p);
  if (o == nullptr) return std::nullopt;
  const std::string stream1 = o->PskRx_GetSignalRoutingStream1InvertLocation(p.Channel());
  const std::string stream2 = o->PskRx_GetSignalRoutingStream2InvertLocation(p.Channel());
  if (!StreamOneOnly(p) && stream2 != stream1) return stream1 + " / " + stream2;
  return stream1;
}

bool Mismatch(const SetupPage& p) {
  card::kr20cardclass* o = Obj(p);
  return p.IsPsk() && o != nullptr && !StreamOneOnly(p) &&
         o->PskRx_GetStream1OutputInvertEnable(p.Channel()) != o->PskRx_GetStream2OutputInvertEnable(p.Channel());
}

// A Viterbi value from the PCM/FM receiver or from the PSK receiver's stream 1.
template <class T>
std::optional<T> Viterbi(const SetupPage& p, T (card::kr20cardclass::*fm)(int) const,
                         T (card::kr20cardclass::*psk)(int) const) {
  card::kr20cardclass* o = Obj(p);
  if (o == nullptr) return std::nullopt;
  return p.IsPcmFm() ? (o->*fm)(p.Channel()) : (o->*psk)(p.Channel());
}

std::optional<std::string> Flag(std::optional<bool> value) {
  if (!value) return std::nullopt;
  return std::string(*value ? "1" : "0");
}

std::optional<std::string> ErrorRate(std::optional<double> rate) {
  if (!rate) return std::nullopt;
  return Fixed(12, 0, *rate * 100.0);
}

// ---- Menus --------------------------------------------------------------------------------------

std::vector<MenuEntry> Names(const std::vector<std::string>& names, bool hidePostViterbi) {
  std::vector<MenuEntry> items;
  for (const std::string& name : names) items.push_back({name, name, !(hidePostViterbi && name == kPostViterbi)});
  return items;
}

std::vector<MenuEntry> RoutingItems(const SetupPage& p, bool hidePostViterbi) {
  std::vector<std::string> names;
  if (HasObject(p)) Obj(p)->PskRx_GetSignalRoutingSupportedTypes(p.Channel(), names);
  return Names(names, hidePostViterbi);
}

std::vector<MenuEntry> RateModeItems(const SetupPage& p) {
  std::vector<std::string> names;
  if (card::kr20cardclass* o = Obj(p)) {
    if (p.IsPcmFm()) {
      o->FmRx_GetViterbiRateModeSupportedTypes(p.Channel(), names);
    } else {
      o->PskRx_GetViterbiRateModeSupportedTypes(p.Channel(), names);
    }
  }
  return Names(names, false);
}

std::vector<MenuEntry> SymbolOrderItems(const SetupPage& p) {
  std::vector<std::string> names;
  if (HasObject(p)) Obj(p)->PskRx_GetViterbiSymbolOrderModeList(names);
  return Names(names, false);
}

// ---- Routing: to the card object, then into the setup record ------------------------------------

template <void (card::kr20cardclass::*Set)(int, const std::string&), char (card::RxRoutingRecord::*Field)[card::kSetupTextLen]>
void ApplyLocation(const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
  card::kr20cardclass* o = Obj(p);
  (o->*Set)(t.Channel, v.Text);
  card::SetSetupText(Rx(p, t.Channel)->Routing.*Field, v.Text);
}

bool Never(const SetupPage&) { return false; }

const std::array<SettingField, 13> kFields{{
    {.Component = "LabelStreamControl", .Kind = FieldKind::Toggle,
     .Text = [](const SetupPage& p) { return OnOff(StreamOneOnly(p), "Stream 1 Only", "Stream 1 = Stream 2"); },
     .Enabled = RoutingEnabled, .Flag = StreamOneOnly, .Acts = CanRoute,
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Rx(p, t.Channel)->StreamControlS1Only = v.Number != 0.0 ? 1 : 0;
     },
     .Repeats = Never},
    {.Component = "LabelRouteStreamSwapLoc", .Kind = FieldKind::Menu,
     .Text = Location<&card::kr20cardclass::PskRx_GetSignalRoutingStreamSwapLocation>, .Enabled = RoutingEnabled,
     .Menu = "PopupMenuStreamSwapLocation", .Acts = CanRoute,
     .Apply = ApplyLocation<&card::kr20cardclass::PskRx_SetSignalRoutingStreamSwapLocation,
                            &card::RxRoutingRecord::StreamSwapLocation>},
    {.Component = "LabelRouteInvertLocStream1", .Kind = FieldKind::Menu, .Text = InvertLocationText,
     .Enabled = RoutingEnabled, .Menu = "PopupMenuInvertLocationStream1", .Acts = CanRoute,
     .Apply = ApplyLocation<&card::kr20cardclass::PskRx_SetSignalRoutingStream1InvertLocation,
                            &card::RxRoutingRecord::InvertLocation>},
    {.Component = "LabelRouteRecombineLoc", .Kind = FieldKind::Menu,
     .Text = Location<&card::kr20cardclass::PskRx_GetSignalRoutingRecombineLocation>, .Enabled = RoutingEnabled,
     .Menu = "PopupMenuRecombineLocation", .Acts = CanRoute,
     .Apply = ApplyLocation<&card::kr20cardclass::PskRx_SetSignalRoutingRecombineLocation,
                            &card::RxRoutingRecord::RecombineLocation>},
    {.Component = "LabelMismatch", .Kind = FieldKind::Display, .Style = FieldStyle::Plain, .Visible = Mismatch,
     .Caption = "Mismatch"},
    {.Component = "CheckBoxViterbiDecodeEnable", .Kind = FieldKind::Check,
     .Text = [](const SetupPage& p) {
       return Flag(Viterbi(p, &card::kr20cardclass::FmRx_GetViterbiDecodeEnable,
                           &card::kr20cardclass::PskRx_GetViterbiStream1DecodeEnable));
     },
     .Visible = DecodeBoxShown, .Acts = [](const SetupPage&) { return HasManager(); },
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetViterbiDecodeEnable(p.Card(), t.Channel, v.Number != 0.0 ? 1 : 0);
     },
     .Caption = "Viterbi Decode Enable"},
    {.Component = "LabelViterbiRateMode", .Kind = FieldKind::Menu,
     .Text = [](const SetupPage& p) {
       return Viterbi(p, &card::kr20cardclass::FmRx_GetViterbiRateMode,
                      &card::kr20cardclass::PskRx_GetViterbiStream1RateMode);
     },
     .Menu = "PopupMenuViterbiRateMode", .Acts = [](const SetupPage&) { return HasManager(); },
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetViterbiRateMode(p.Card(), t.Channel, v.Text);
     }},
    {.Component = "LabelViterbiSymbolOrder", .Kind = FieldKind::Menu,
     .Text = [](const SetupPage& p) {
       return Viterbi(p, &card::kr20cardclass::FmRx_GetViterbiSymbolOrderMode,
                      &card::kr20cardclass::PskRx_GetViterbiStream1SymbolOrderMode);
     },
     .Menu = "PopupMenuViterbiSymbolOrder", .Acts = [](const SetupPage&) { return HasManager(); },
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetViterbiSymbolOrder(p.Card(), t.Channel, v.Text);
     }},
    {.Component = "ShapeViterbiLockStateS1", .Kind = FieldKind::Lamp,
     .TextColour = [](const SetupPage& p) -> std::optional<util::TColor> {
       const std::optional<std::string> lock = Viterbi(p, &card::kr20cardclass::FmRx_GetViterbiLockState,
                                                       &card::kr20cardclass::PskRx_GetViterbiStream1LockState);
       return lock == std::optional<std::string>("LOCKED") ? kLime : kYellow;
     }},
    {.Component = "LabelViterbiSymbolRateS1", .Kind = FieldKind::Display, .Style = FieldStyle::Status,
     .Text = [](const SetupPage& p) {
       return ErrorRate(Viterbi(p, &card::kr20cardclass::FmRx_GetViterbiSymbolErrorRate,
                                &card::kr20cardclass::PskRx_GetViterbiStream1SymbolErrorRate));
     }},
    {.Component = "LabelViterbiBitErrorRateS1", .Kind = FieldKind::Display, .Style = FieldStyle::Status,
     .Text = [](const SetupPage& p) {
       return ErrorRate(Viterbi(p, &card::kr20cardclass::FmRx_GetViterbiBitErrorRate,
                                &card::kr20cardclass::PskRx_GetViterbiStream1BitErrorRate));
     }},
    {.Component = "CheckBoxInvertG1", .Kind = FieldKind::Check,
     .Text = [](const SetupPage& p) {
       return Flag(Viterbi(p, &card::kr20cardclass::FmRx_GetViterbiG1SymbolInvert,
                           &card::kr20cardclass::PskRx_GetViterbiStream1G1SymbolInvert));
     },
     .Acts = [](const SetupPage&) { return HasManager(); },
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetViterbiSymbolInvert(p.Card(), t.Channel, 1, v.Number != 0.0 ? 1 : 0);
     },
     .Caption = "Invert G1"},
    {.Component = "CheckBoxInvertG2", .Kind = FieldKind::Check,
     .Text = [](const SetupPage& p) {
       return Flag(Viterbi(p, &card::kr20cardclass::FmRx_GetViterbiG2SymbolInvert,
                           &card::kr20cardclass::PskRx_GetViterbiStream1G2SymbolInvert));
     },
     .Acts = [](const SetupPage&) { return HasManager(); },
     .Apply = [](const SetupPage& p, const SettingTarget& t, const SettingValue& v) {
       Mgr().SetViterbiSymbolInvert(p.Card(), t.Channel, 0, v.Number != 0.0 ? 1 : 0);
     },
     .Caption = "Invert G2"},
}};

const std::array<RowLayout, 5> kRoutingRows{{
    {"LabelStreamControlCaption", "Stream Control", {"LabelStreamControl"}},
    {"LabelRouteStreamSwapLocCaption", "Stream Swap Location", {"LabelRouteStreamSwapLoc"}},
    {"LabelRouteInvertLocStream1Caption", "Invert Location", {"LabelRouteInvertLocStream1"}},
    {"LabelRouteRecombineLocCaption", "Recombine Location", {"LabelRouteRecombineLoc"}},
    {"LabelMismatchCaption", "", {"LabelMismatch"}},
}};

const std::array<RowLayout, 1> kDecodeRows{{{"LabelViterbiDecodeCaption", "", {"CheckBoxViterbiDecodeEnable"}}}};

const std::array<RowLayout, 6> kViterbiRows{{
    {"LabelViterbiRateModeCaption", "Rate Mode", {"LabelViterbiRateMode"}},
    {"LabelViterbiSymbolOrderCaption", "Symbol Order", {"LabelViterbiSymbolOrder"}},
    {"LabelViterbiLockCaption", "", {"ShapeViterbiLockStateS1"}},
    {"LabelViterbiSymbolErrCaption", "Err %", {"LabelViterbiSymbolRateS1"}},
    {"LabelViterbiBitErrCaption", "Err %", {"LabelViterbiBitErrorRateS1"}},
    {"LabelViterbiInvertCaption", "", {"CheckBoxInvertG1", "CheckBoxInvertG2"}},
}};

const std::array<PanelLayout, 4> kPanels{{
    {.Name = "PanelOutputsOuter", .Enabled = [](const SetupPage& p) { return !p.IsPm(); }},
    {.Name = "PanelRouting", .Title = "Routing", .Parent = "PanelOutputsOuter", .Rows = kRoutingRows},
    {.Name = "GroupBoxViterbi", .Title = "Viterbi", .Parent = "PanelOutputsOuter", .Rows = kDecodeRows,
     .Visible = [](const SetupPage& p) { return DecodeBoxShown(p) && DecodeEnabledInSetup(p); }},
    {.Name = "PanelViterbi", .Parent = "GroupBoxViterbi", .Rows = kViterbiRows,
     .Visible = [](const SetupPage& p) { return p.IsChecked("CheckBoxViterbiDecodeEnable"); }},
}};

const std::array<PopupMenuTable, 5> kMenus{{
    {"PopupMenuViterbiRateMode", "MenuMenuViterbiRateMode", RateModeItems, "LabelViterbiRateMode"},
    {"PopupMenuViterbiSymbolOrder", "MenuViterbiSymbolOrderTypeInfoMode", SymbolOrderItems, "LabelViterbiSymbolOrder"},
    {"PopupMenuRecombineLocation", "MenuRecombineLocation", [](const SetupPage& p) { return RoutingItems(p, false); },
     "LabelRouteRecombineLoc"},
    {"PopupMenuStreamSwapLocation", "MenuStreamSwapLocation", [](const SetupPage& p) { return RoutingItems(p, true); },
     "LabelRouteStreamSwapLoc"},
    {"PopupMenuInvertLocationStream1", "MenuInvertLocationStream1",
     [](const SetupPage& p) { return RoutingItems(p, true); }, "LabelRouteInvertLocStream1"},
}};

}  // namespace

TSM_OutputsSetupForm::TSM_OutputsSetupForm(QWidget* host, int card, int channel)
    : SetupPage(host, card, channel, setup::PageTables{kPanels, kFields, kMenus}, "TSM_OutputsSetupForm") {}
