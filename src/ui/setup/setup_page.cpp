#include "ui/setup/setup_page.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

#include "card/kr20card.h"
#include "config/globals.h"
#include "config/gui/menu_routines.h"
#include "config/options_record.h"
#include "config/options_store.h"
#include "settings/last_setup.h"
#include "settings/set_manager.h"
#include "ui/fill_parent.h"
#include "ui/scheme_colours.h"
#include "util/dialog_service.h"
#include "util/error_log.h"
#include "util/gui/popup_choice.h"
#include "util/gui/qt_colour.h"
#include "util/number_text.h"
#include "ui/setup/value_label.h"
#include "util/prompts.h"

namespace setup {

namespace {

constexpr util::TColor kValueText = 0x00FFFF;  // yellow
constexpr util::TColor kValueBackground = 0x000000;
// A card window gives each channel's panel 255 pixels: caption and value columns share them.
constexpr int kValueWidth = 100;       // the value column of a panel
constexpr int kColumnWidth = 54;       // each of the "Ch 1" / "Ch 2" columns
constexpr int kColumnSpacing = 4;
constexpr int kRowHeight = 15;         // one text line of the window's 11-pixel font and its leading
constexpr int kSecondValueWidth = 44;
constexpr int kLampSize = 14;

void SetColours(QWidget* widget, util::TColor background, util::TColor text, bool fill) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, util::ToQColor(background));
  palette.setColor(QPalette::WindowText, util::ToQColor(text));
  palette.setColor(QPalette::Text, util::ToQColor(text));
  widget->setPalette(palette);
  widget->setAutoFillBackground(fill);
}


// Whether the card's value stands for the value sent: equal up to the last digits a double keeps.
bool SameValue(double held, double sent) {
  return std::fabs(held - sent) <= 1e-9 * std::max(1.0, std::fabs(sent));
}

}  // namespace

SetupPage::SetupPage(QWidget* host, int card, int channel, const PageTables& tables, const char* formName)
    : QWidget(host), tables_(tables), context_(ResolveChannelContext(card, channel)) {
  setObjectName(QString::fromLatin1(formName));
  ui::FillParent(this);
  BuildLayout();
  UpdateColors();
}

SetupPage::~SetupPage() = default;

// ---- Layout -----------------------------------------------------------------------------------

void SetupPage::BuildLayout() {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(2, 2, 2, 2);
  outer->setSpacing(3);
  panels_.reserve(tables_.Panels.size());
  for (const PanelLayout& panel : tables_.Panels) {
    PanelWidgets made;
    made.Table = &panel;
    QWidget* parent = this;
    QVBoxLayout* into = outer;
    if (panel.Parent != nullptr) {
      for (PanelWidgets& p : panels_) {
        if (QString::fromLatin1(p.Table->Name) == QString::fromLatin1(panel.Parent)) {
          parent = p.Frame;
          into = qobject_cast<QVBoxLayout*>(p.Frame->layout());
        }
      }
    }
    made.Frame = new QFrame(parent);
    made.Frame->setObjectName(QString::fromLatin1(panel.Name));
    config::RemovePanelBevels(made.Frame);
    auto* column = new QVBoxLayout(made.Frame);
    // Nested panels keep their parent's edges, so that every value column ends at one line.
    const int side = panel.Parent != nullptr ? 0 : 4;
    column->setContentsMargins(side, 1, side, 1);
    column->setSpacing(0);
    if (panel.Title != nullptr) {
      made.Title = new QLabel(QString::fromLatin1(panel.Title), made.Frame);
      made.Title->setObjectName(QString::fromLatin1(panel.Name) + QStringLiteral("Title"));
      QFont bold = made.Title->font();
      bold.setBold(true);
      made.Title->setFont(bold);
      column->addWidget(made.Title);
    }
    auto* grid = new QGridLayout();
    grid->setHorizontalSpacing(kColumnSpacing);
    grid->setVerticalSpacing(0);
    grid->setColumnStretch(0, 1);
    int row = 0;
    if (panel.Columns) {
      for (int c = 0; c < 2; ++c) {
        auto* heading = new QLabel(QStringLiteral("Ch %1").arg(c + 1), made.Frame);
        heading->setObjectName(QString::fromLatin1(panel.Name) + QStringLiteral("Ch%1").arg(c + 1));
        heading->setAlignment(Qt::AlignCenter);
        grid->addWidget(heading, row, c + 1);
        grid->setColumnMinimumWidth(c + 1, kColumnWidth);
        made.Headings.push_back(heading);
      }
      ++row;
    } else {
      grid->setColumnMinimumWidth(1, panel.ValueWidth > 0 ? panel.ValueWidth : kValueWidth);
    }
    for (const RowLayout& rowLayout : panel.Rows) {
      RowWidgets r;
      r.Table = &rowLayout;
      r.Caption = new QLabel(QString::fromLatin1(rowLayout.Caption), made.Frame);
      r.Caption->setObjectName(QString::fromLatin1(rowLayout.CaptionName));
      r.Caption->setFixedHeight(kRowHeight);
      grid->addWidget(r.Caption, row, 0);
      const int used = rowLayout.Values[1] != nullptr ? 2 : 1;
      QHBoxLayout* values = nullptr;
      if (!panel.Columns) {
        values = new QHBoxLayout();
        values->setContentsMargins(0, 0, 0, 0);
        values->setSpacing(4);
        grid->addLayout(values, row, 1);
      }
      for (int v = 0; v < used; ++v) {
        const SettingField* field = FindField(rowLayout.Values[static_cast<std::size_t>(v)]);
        if (field == nullptr) continue;
        QWidget* widget = MakeField(*field, made.Frame);
        fields_.back().Row = rows_.size();
        if (values == nullptr) {
          grid->addWidget(widget, row, v + 1);
        } else if (field->Kind == FieldKind::Lamp) {
          values->addWidget(widget, 0, Qt::AlignLeft);
        } else {
          // A second value beside the first is the narrower one; the first takes what is left.
          if (v == 1 && used == 2 && field->Kind != FieldKind::Check) widget->setFixedWidth(kSecondValueWidth);
          values->addWidget(widget, v == 0 ? 1 : 0);
        }
        r.Values.push_back(widget);
      }
      rows_.push_back(std::move(r));
      ++row;
    }
    column->addLayout(grid);
    into->addWidget(made.Frame);
    panels_.push_back(std::move(made));
  }
  outer->addStretch(1);
}

QWidget* SetupPage::MakeField(const SettingField& field, QWidget* parent) {
  QWidget* widget = nullptr;
  const QString name = QString::fromLatin1(field.Component);
  if (field.Kind == FieldKind::Check) {
    auto* box = new QCheckBox(QString::fromLatin1(field.Caption != nullptr ? field.Caption : ""), parent);
    connect(box, &QCheckBox::clicked, this, [this, &field](bool checked) { OnChecked(field, checked); });
    widget = box;
  } else if (field.Kind == FieldKind::Lamp) {
    auto* lamp = new QFrame(parent);
    lamp->setFixedSize(kLampSize, kLampSize);
    lamp->setFrameShape(QFrame::Box);
    lamp->setAutoFillBackground(true);
    widget = lamp;
  } else {
    auto* label = new ValueLabel(parent);
    label->setAlignment(Qt::AlignCenter);
    if (field.Caption != nullptr) label->setText(QString::fromLatin1(field.Caption));
    if (field.Kind != FieldKind::Display) {
      label->setCursor(Qt::PointingHandCursor);
      connect(label, &ValueLabel::clicked, this, [this, &field] { OnClicked(field); });
    }
    widget = label;
  }
  widget->setObjectName(name);
  if (field.Kind != FieldKind::Lamp) widget->setFixedHeight(kRowHeight);
  fields_.push_back({&field, widget});
  return widget;
}

const SettingField* SetupPage::FindField(const char* component) const {
  if (component == nullptr) return nullptr;
  const QString name = QString::fromLatin1(component);
  for (const SettingField& field : tables_.Fields) {
    if (name == QString::fromLatin1(field.Component)) return &field;
  }
  return nullptr;
}

const PopupMenuTable* SetupPage::FindMenu(const QString& name) const {
  for (const PopupMenuTable& menu : tables_.Menus) {
    if (name == QString::fromLatin1(menu.Name)) return &menu;
  }
  return nullptr;
}

// ---- Life cycle ---------------------------------------------------------------------------------

void SetupPage::FormShow() {
  BuildMenus();
  built_ = true;
  UpdateVisibility();
  UpdateColors();
}

void SetupPage::FreeLists() { lists_.clear(); }

void SetupPage::BuildMenus() {
  FreeLists();
  for (const PopupMenuTable& menu : tables_.Menus) {
    QMenu*& popup = menus_[menu.Name];
    if (popup == nullptr) {
      popup = new QMenu(this);
      popup->setObjectName(QString::fromLatin1(menu.Name));
    }
    config::ClearMenu(popup);
    std::vector<std::string>& list = lists_[menu.Name];
    const std::vector<MenuEntry> items = menu.Fill(*this);
    const QString menuName = QString::fromLatin1(menu.Name);
    for (std::size_t i = 0; i < items.size(); ++i) {
      const int tag = static_cast<int>(i);
      // An item triggered from the menu itself is handled after the menu has finished with it:
      // the setting may rebuild this very menu.
      config::AddMenuItemVisible(
          popup, QString::fromLatin1(menu.ItemPrefix) + QString::number(tag), QString::fromStdString(items[i].Caption),
          items[i].Visible,
          [this, menuName, tag](QAction*) {
            QMetaObject::invokeMethod(this, [this, menuName, tag] { MenuItemChosen(menuName, tag); }, Qt::QueuedConnection);
          },
          this, tag);
      list.push_back(items[i].Device);
    }
  }
}

void SetupPage::UpdateVisibility() {
  for (PanelWidgets& panel : panels_) {
    if (panel.Table->Visible != nullptr) panel.Frame->setVisible(panel.Table->Visible(*this));
    if (panel.Table->Enabled != nullptr) panel.Frame->setEnabled(panel.Table->Enabled(*this));
  }
  std::vector<bool> rowShown(rows_.size());
  for (std::size_t r = 0; r < rows_.size(); ++r) {
    RowWidgets& row = rows_[r];
    rowShown[r] = row.Table->Visible == nullptr || row.Table->Visible(*this);
    row.Caption->setVisible(rowShown[r]);
    if (row.Table->CaptionOf != nullptr) row.Caption->setText(QString::fromLatin1(row.Table->CaptionOf(*this)));
  }
  // Each value is shown or hidden once, with its row and by its own rule: showing a widget lays the
  // window out at once, so a value shown for a moment leaves its row laid out for it (the value
  // beside it cut short) until the event loop lays it out again.
  for (FieldWidgets& field : fields_) {
    const bool own = field.Table->Visible == nullptr || field.Table->Visible(*this);
    field.Widget->setVisible(rowShown[field.Row] && own);
    if (field.Table->Enabled != nullptr) field.Widget->setEnabled(field.Table->Enabled(*this));
  }
}

void SetupPage::RefreshValues() {
  context_ = ResolveChannelContext(context_.Card, context_.Channel);
  SetupPage::UpdateVisibility();
  updating_ = true;
  for (FieldWidgets& field : fields_) {
    if (field.Table->Text != nullptr) {
      const std::optional<std::string> text = field.Table->Text(*this);
      if (text) {
        if (auto* box = qobject_cast<QCheckBox*>(field.Widget)) {
          box->setChecked(*text == "1");
        } else if (auto* label = qobject_cast<QLabel*>(field.Widget)) {
          label->setText(QString::fromStdString(*text));
        }
      }
    }
    ColourValue(*field.Table, field.Widget);
  }
  // Panels that follow a value just shown (a check box) follow it at once.
  SetupPage::UpdateVisibility();
  updating_ = false;
}

void SetupPage::RefreshIfBuilt() {
  if (built_) RefreshValues();
}

void SetupPage::Reload() { BuildMenus(); }

util::TColor SetupPage::SchemeColour(int index) const { return ui::SchemeColour(static_cast<config::ColorIndex>(index)); }

void SetupPage::ColourValue(const SettingField& field, QWidget* widget) const {
  // The rule's colour, taken out of its optional where it is tested: GCC 12 at -O2 loses track of
  // an optional carried through the branches below and warns of its value as uninitialised.
  bool ruled = false;
  util::TColor colour = 0;
  if (field.TextColour != nullptr) {
    if (const std::optional<util::TColor> given = field.TextColour(*this)) {
      ruled = true;
      colour = *given;
    }
  }
  if (field.Kind == FieldKind::Lamp) {
    SetColours(widget, ruled ? colour : 0xC0C0C0, 0x000000, true);
    return;
  }
  if (field.Kind == FieldKind::Check) return;  // check boxes take their panel's colours
  switch (field.Style) {
    case FieldStyle::Setting:
      SetColours(widget, kValueBackground, ruled ? colour : kValueText, true);
      break;
    case FieldStyle::Status:
      ui::SetTextColour(widget, ruled ? colour : SchemeColour(config::kAppStatusDataColor));
      break;
    case FieldStyle::Plain:
      if (ruled) ui::SetTextColour(widget, colour);
      break;
  }
}

void SetupPage::UpdateColors() {
  SetColours(this, SchemeColour(config::kAppSetupBackgroundColor), SchemeColour(config::kAppMainLabelColor), true);
  for (PanelWidgets& panel : panels_) {
    switch (panel.Table->Scheme) {
      case PanelScheme::Page:
        SetColours(panel.Frame, SchemeColour(config::kAppSetupBackgroundColor), SchemeColour(config::kAppMainLabelColor),
                   true);
        break;
      case PanelScheme::SetupLabels:
        SetColours(panel.Frame, SchemeColour(config::kAppSetupBackgroundColor),
                   SchemeColour(config::kAppSetupLabelColor), true);
        break;
      case PanelScheme::Status:
        SetColours(panel.Frame, SchemeColour(config::kAppStatusBackgroundColor),
                   SchemeColour(config::kAppStatusLabelColor), true);
        break;
    }
  }
  for (FieldWidgets& field : fields_) ColourValue(*field.Table, field.Widget);
  if (built_) RefreshValues();
}

// ---- What the tables read ---------------------------------------------------------------------------

const settings::ChannelStatusRecord& SetupPage::Status() const {
  static const settings::ChannelStatusRecord none{};
  return gKr20SetMgr != nullptr ? gKr20SetMgr->StatusRecord(context_.Card, context_.Channel) : none;
}

const settings::ChannelStatusRecord& SetupPage::Status0() const {
  static const settings::ChannelStatusRecord none{};
  return gKr20SetMgr != nullptr ? gKr20SetMgr->StatusRecord(context_.Card, 0) : none;
}

bool SetupPage::BothChannels() { return config::gApp.gControlBothChannels.load() != 0; }

const std::vector<std::string>& SetupPage::List(const char* menuName) const {
  static const std::vector<std::string> none;
  const auto found = lists_.find(menuName);
  return found != lists_.end() ? found->second : none;
}

bool SetupPage::IsChecked(const char* component) const {
  const auto* box = findChild<QCheckBox*>(QString::fromLatin1(component));
  return box != nullptr && box->isChecked();
}

// ---- The setting-handler pattern --------------------------------------------------------------------

void SetupPage::ClickField(const QString& component) {
  const SettingField* field = FindField(component.toLatin1().constData());
  if (field == nullptr) return;
  if (field->Kind == FieldKind::Check) {
    if (auto* box = findChild<QCheckBox*>(component)) box->click();
    return;
  }
  OnClicked(*field);
}

void SetupPage::OnClicked(const SettingField& field) {
  if (!built_ || updating_) return;
  if (field.Acts != nullptr && !field.Acts(*this)) return;
  switch (field.Kind) {
    case FieldKind::Menu:
      if (const PopupMenuTable* menu = FindMenu(QString::fromLatin1(field.Menu))) ShowMenu(*menu);
      break;
    case FieldKind::Prompt:
      AskPrompt(field);
      break;
    case FieldKind::Toggle: {
      SettingValue value;
      value.Number = field.Flag != nullptr && field.Flag(*this) ? 0.0 : 1.0;
      ApplySetting(field, value, true);
      break;
    }
    case FieldKind::Custom:
      if (field.Handler != nullptr) field.Handler(*this);
      break;
    case FieldKind::Display:
    case FieldKind::Check:
    case FieldKind::Lamp:
      break;
  }
}

void SetupPage::OnChecked(const SettingField& field, bool checked) {
  if (!built_ || updating_) return;
  if (field.Acts != nullptr && !field.Acts(*this)) return;
  SettingValue value;
  value.Number = checked ? 1.0 : 0.0;
  ApplySetting(field, value, true);
}

void SetupPage::ShowMenu(const PopupMenuTable& menu) {
  const auto found = menus_.find(menu.Name);
  if (found == menus_.end() || found->second == nullptr) return;
  const QAction* chosen = util::PopupMenuChoice(found->second);
  if (chosen == nullptr) return;
  MenuItemChosen(QString::fromLatin1(menu.Name), config::MenuItemTag(chosen));
}

void SetupPage::MenuItemChosen(const QString& menuName, int tag) {
  if (!built_) return;
  const PopupMenuTable* menu = FindMenu(menuName);
  if (menu == nullptr || tag < 0) return;
  const SettingField* field = FindField(menu->Field);
  if (field == nullptr) return;
  if (field->Acts != nullptr && !field->Acts(*this)) return;
  SettingValue value;
  if (menu->TagIsValue) {
    const auto popup = menus_.find(menu->Name);
    if (popup == menus_.end() || tag >= popup->second->actions().size()) return;
    value.Number = tag;
  } else {
    const std::vector<std::string>& list = List(menu->Name);
    if (static_cast<std::size_t>(tag) >= list.size()) return;
    value.Text = list[static_cast<std::size_t>(tag)];  // a copy: the setter may rebuild the list
  }
  ApplySetting(*field, value, true);
}

void SetupPage::AskPrompt(const SettingField& field) {
  if (field.Prompt == nullptr) return;
  const PromptRequest prompt = field.Prompt(*this);
  if (!prompt.Acts) return;
  SettingValue value;
  bool answered = false;
  if (prompt.Integer) {
    std::int32_t number = util::RoundToInt(prompt.Current);
    answered = util::PromptIntInRange(prompt.Title, number, util::RoundToInt(prompt.Upper), 10,
                                      util::RoundToInt(prompt.Lower));
    value.Number = number;
  } else {
    double number = prompt.Current;
    answered = util::PromptDoubleInRange(prompt.Title, number, prompt.Decimals, prompt.Lower, prompt.Upper);
    value.Number = number;
  }
  ApplySetting(field, value, answered);
}

void SetupPage::ApplySetting(const SettingField& field, const SettingValue& value, bool answered) {
  if (!answered && !field.Always) return;
  if (answered && field.Apply != nullptr) {
    field.Apply(*this, {context_.Channel, false}, value);
    if (BothChannels() && (field.Repeats == nullptr || field.Repeats(*this))) {
      field.Apply(*this, {context_.OtherChannel, true}, value);
    }
    if (field.Finish != nullptr) field.Finish(*this);
  }
  if (field.RefreshFirst) RefreshValues();
  MarkEditedAndSave();
  RefreshValues();
  // Only a card that answers can refuse: a simulated or absent card reads 0 for everything.
  const bool cardAnswers = context_.Object != nullptr && context_.Object->IsReady();
  if (answered && field.Held != nullptr && cardAnswers) {
    if (const std::optional<double> held = field.Held(*this); held && !SameValue(*held, value.Number)) {
      ReportRefusal(field, value.Number, *held);
    }
  }
  if (field.Restart) RestartAcquisition();
}

void SetupPage::MarkEditedAndSave() {
  config::gApp.SetupEdited = 1;
  settings::SaveLastSetupStateIfEnabled();
}

void SetupPage::RestartAcquisition() const {
  if (gKr20SetMgr == nullptr) return;
  gKr20SetMgr->RestartAcquisition(context_.Card, context_.Channel);
  if (BothChannels()) gKr20SetMgr->RestartAcquisition(context_.Card, context_.OtherChannel);
}

void SetupPage::ReportRefusal(const SettingField& field, double sent, double held) const {
  std::string what = field.Component;
  for (const RowWidgets& row : rows_) {
    for (QWidget* widget : row.Values) {
      if (widget->objectName() == QString::fromLatin1(field.Component)) what = row.Caption->text().toStdString();
    }
  }
  util::LogWarning("Card " + std::to_string(context_.Card + 1) + " CH " + std::to_string(context_.Channel + 1) + " " +
                       what + ": the card refused " + util::FloatToFixedText(24, 6, sent) + " and holds " +
                       util::FloatToFixedText(24, 6, held),
                   context_.Card + 1, false);
}

}  // namespace setup
