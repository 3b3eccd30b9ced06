#pragma once
// The tables that describe a setup page: its panels with their rows, its popup menus and its
// fields. Every editable value of the four pages is a field of such a table; SetupPage (one body
// of code) builds the widgets from the tables, shows the values and runs the one setting-handler
// pattern for a click: a popup menu or a numeric prompt (or a toggle), then the setter, its
// repeat for the other channel while both channels are controlled together, the setup-edited
// flag, the last-state save, the refresh and, where the field says so, the acquisition restart.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "util/colour.h"

namespace setup {

class SetupPage;

// The value a handler hands to the setter: a number (prompt, toggle, menu position) or a device
// name (menu of names).
struct SettingValue {
  double Number = 0.0;
  std::string Text;
};

// Where one setter call goes: the page's channel, or the other channel in the both-channels
// repeat.
struct SettingTarget {
  int Channel = 0;
  bool Other = false;
};

// A numeric prompt as a field asks it. `Acts` false: the handler does nothing at all.
struct PromptRequest {
  bool Acts = true;
  bool Integer = false;
  std::string Title;
  double Current = 0.0;  // integer prompts offer it as a whole number
  int Decimals = 0;
  double Lower = 0.0;
  double Upper = 0.0;
};

enum class FieldKind : std::uint8_t {
  Display,  // shown only
  Menu,     // a click opens the field's popup menu
  Prompt,   // a click asks for a number
  Toggle,   // a click applies the negated flag
  Check,    // a check box; a click applies its new state
  Lamp,     // a status lamp
  Custom,   // a click runs the field's own handler
};

// How a value is drawn: a setting (yellow on black), a status value (the status data colour) or
// plain text in the panel's colours.
enum class FieldStyle : std::uint8_t { Setting, Status, Plain };

using PageTest = bool (*)(const SetupPage&);
using PageText = std::optional<std::string> (*)(const SetupPage&);  // std::nullopt keeps the text shown
using PagePrompt = PromptRequest (*)(const SetupPage&);
using PageApply = void (*)(const SetupPage&, const SettingTarget&, const SettingValue&);
using PageAction = void (*)(SetupPage&);
using PageHeld = std::optional<double> (*)(const SetupPage&);
using PageColour = std::optional<util::TColor> (*)(const SetupPage&);

struct SettingField {
  const char* Component;  // the value widget's component name
  FieldKind Kind = FieldKind::Display;
  FieldStyle Style = FieldStyle::Setting;
  PageText Text = nullptr;      // the value shown (Check: "1"/"0" sets the box)
  PageTest Visible = nullptr;   // nullptr: always (hidden, not disabled, when false)
  PageTest Enabled = nullptr;   // nullptr: always
  const char* Menu = nullptr;   // Menu: the popup menu's component name
  PagePrompt Prompt = nullptr;  // Prompt
  PageTest Flag = nullptr;      // Toggle: the current flag
  PageTest Acts = nullptr;      // nullptr: always; false: the click does nothing at all
  PageApply Apply = nullptr;    // the setter call for one target
  // Whether the value is repeated for the other channel while both channels are controlled
  // together; nullptr: always repeated.
  PageTest Repeats = nullptr;
  PageAction Finish = nullptr;   // after the setter calls (a card-wide step)
  PageAction Handler = nullptr;  // Custom: the whole handler
  bool Always = false;        // a prompt answer that is no number still marks edited, saves, refreshes
  bool Restart = false;       // acquisition restarted afterwards
  bool RefreshFirst = false;  // the values are refreshed before the state is saved
  // The value the card holds after the setter (same unit as the value sent); when it differs,
  // the refusal is logged and the card's value is what the page shows.
  PageHeld Held = nullptr;
  PageColour TextColour = nullptr;  // a value colour that overrides the style's
  const char* Caption = nullptr;    // Check: the box's caption; Display/Plain: a fixed text
};

// One row of a panel: a caption and up to two value widgets (field component names).
struct RowLayout {
  const char* CaptionName;  // the caption label's component name
  const char* Caption;
  std::array<const char*, 2> Values{};
  PageTest Visible = nullptr;                   // nullptr: always
  const char* (*CaptionOf)(const SetupPage&) = nullptr;  // a caption that depends on the channel
};

// How a panel is coloured.
enum class PanelScheme : std::uint8_t {
  Page,         // the form's colour and font
  SetupLabels,  // "AppSetup BackgroundColor" with "AppSetup LabelColor"
  Status,       // "AppStatus BackgroundColor" with "AppStatus LabelColor"
};

struct PanelLayout {
  const char* Name;
  const char* Title = nullptr;   // a title line above the rows
  const char* Parent = nullptr;  // nested in this panel (after its rows); nullptr: in the page
  std::span<const RowLayout> Rows{};
  PageTest Visible = nullptr;
  PageTest Enabled = nullptr;
  PanelScheme Scheme = PanelScheme::Page;
  bool Columns = false;  // a "Ch 1" / "Ch 2" heading above the value columns
  int ValueWidth = 0;    // the value column's width where the captions need more room; 0: the usual
};

// One popup menu item: the device name kept in the page's list, the caption shown and whether
// the item is visible.
struct MenuEntry {
  std::string Device;
  std::string Caption;
  bool Visible = true;
};

struct PopupMenuTable {
  const char* Name;        // the popup menu's component name
  const char* ItemPrefix;  // item i is named ItemPrefix + i (+ "_Single")
  std::vector<MenuEntry> (*Fill)(const SetupPage&);
  const char* Field;  // the field whose setting a chosen item applies
  // The item's Tag is the value (table positions); otherwise the Tag indexes the page's list of
  // device names.
  bool TagIsValue = false;
};

struct PageTables {
  std::span<const PanelLayout> Panels;
  std::span<const SettingField> Fields;
  std::span<const PopupMenuTable> Menus;
};

}  // namespace setup
