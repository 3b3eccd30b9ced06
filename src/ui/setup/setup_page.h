#pragma once
// One setup page of a receiver channel, built from its tables (setting_fields.h) and driven by the
// setup panel: the page life cycle (show, visibility, refresh, reload, colours, lists) and the one
// setting-handler pattern every field of every page goes through.
//
// Handlers act only once the page has been shown (built). A menu item's handler works on copies
// of its Tag and its device name: a setter may make the card window rebuild this page's menus and
// lists (a mode change), so nothing of the menu is used once the setter has been called.
#include <QString>
#include <QWidget>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "settings/channel_status_record.h"
#include "ui/setup/channel_context.h"
#include "ui/setup/setting_fields.h"
#include "util/colour.h"

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QMenu;

namespace setup {

class SetupPage : public QWidget {
  Q_OBJECT

 public:
  // Fills `host` (a panel of the setup panel); the page's component name is `formName`.
  SetupPage(QWidget* host, int card, int channel, const PageTables& tables, const char* formName);
  ~SetupPage() override;
  SetupPage(const SetupPage&) = delete;
  SetupPage& operator=(const SetupPage&) = delete;

  // ---- Life cycle, driven by the setup panel --------------------------------------------------
  // Menus built and built set, visibility, colours, values.
  void FormShow();
  // Frees and rebuilds the menus and their lists.
  virtual void BuildMenus();
  virtual void UpdateVisibility();
  // Re-resolves the channel context and re-reads every value shown.
  void RefreshValues();
  void RefreshIfBuilt();
  void Reload();
  void UpdateColors();
  void FreeLists();
  bool Built() const { return built_; }

  // ---- The setting-handler pattern ------------------------------------------------------------
  // What a click on the field's value does (the label's click handler).
  void ClickField(const QString& component);
  // A menu item chosen: the Tag of an item of the named popup menu.
  void MenuItemChosen(const QString& menuName, int tag);
  // Steps 4 to 8 of the pattern for the field: the setter (unless `answered` is false), its
  // repeat, the edited flag, the last-state save, the refresh and the restart.
  void ApplySetting(const SettingField& field, const SettingValue& value, bool answered);
  // The setup edited and the last state saved (step 6).
  static void MarkEditedAndSave();
  // Acquisition restarted on the channel and, while both channels are controlled, on the other.
  void RestartAcquisition() const;

  // ---- What the tables read --------------------------------------------------------------------
  int Card() const { return context_.Card; }
  int Channel() const { return context_.Channel; }
  int OtherChannel() const { return context_.OtherChannel; }
  const ChannelContext& Context() const { return context_; }
  Family ChannelFamily() const { return FamilyOf(context_.Card, context_.Channel); }
  bool IsPsk() const { return ChannelFamily() == Family::Psk; }
  bool IsPcmFm() const { return ChannelFamily() == Family::PcmFm; }
  bool IsPm() const { return ChannelFamily() == Family::Pm; }
  bool IsMhCpm() const { return ChannelFamily() == Family::MhCpm; }
  // The channel's status record and the card's channel-0 record (the combiner blocks).
  const settings::ChannelStatusRecord& Status() const;
  const settings::ChannelStatusRecord& Status0() const;
  static bool BothChannels();
  // The device names of a popup menu's items, in item order.
  const std::vector<std::string>& List(const char* menuName) const;
  // The state of a check box of the page; false for an unknown name.
  bool IsChecked(const char* component) const;

 private:
  struct FieldWidgets {
    const SettingField* Table = nullptr;
    QWidget* Widget = nullptr;
    std::size_t Row = 0;  // its row in rows_
  };
  struct RowWidgets {
    const RowLayout* Table = nullptr;
    QLabel* Caption = nullptr;
    std::vector<QWidget*> Values;
  };
  struct PanelWidgets {
    const PanelLayout* Table = nullptr;
    QFrame* Frame = nullptr;
    QLabel* Title = nullptr;
    std::vector<QLabel*> Headings;
  };

  void BuildLayout();
  QWidget* MakeField(const SettingField& field, QWidget* parent);
  const SettingField* FindField(const char* component) const;
  const PopupMenuTable* FindMenu(const QString& name) const;
  void OnClicked(const SettingField& field);
  void OnChecked(const SettingField& field, bool checked);
  void AskPrompt(const SettingField& field);
  void ShowMenu(const PopupMenuTable& menu);
  void ReportRefusal(const SettingField& field, double sent, double held) const;
  void ColourValue(const SettingField& field, QWidget* widget) const;
  util::TColor SchemeColour(int index) const;

  PageTables tables_;
  ChannelContext context_;
  bool built_ = false;
  bool updating_ = false;
  std::vector<PanelWidgets> panels_;
  std::vector<RowWidgets> rows_;
  std::vector<FieldWidgets> fields_;
  std::map<std::string, QMenu*> menus_;
  std::map<std::string, std::vector<std::string>> lists_;
};

}  // namespace setup
