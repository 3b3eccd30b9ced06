#include "ui/cards/card_window.h"

#include <QCloseEvent>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>

#include <algorithm>
#include <cctype>
#include <string>

#include "card/card_routines.h"
#include "card/mode_routines.h"
#include "card/personality_routines.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "config/gui/menu_routines.h"
#include "config/name_tables.h"
#include "config/options_store.h"
#include "settings/card_recall.h"
#include "settings/last_setup.h"
#include "settings/operation_mode.h"
#include "settings/set_manager.h"
#include "settings/setup_file.h"
#include "ui/cards/strip_routines.h"
#include "ui/card_window_place.h"
#include "ui/pressed_look.h"
#include "ui/scheme_colours.h"
#include "ui/displays/setup_main_status_form.h"
#include "ui/setup/setup_main_setup_form.h"
#include "util/dialog_service.h"
#include "util/error_log.h"
#include "util/file_routines.h"
#include "util/gui/delete_widget.h"
#include "util/gui/popup_choice.h"
#include "util/number_text.h"
#include "util/process_globals.h"

namespace ui {
namespace {

constexpr util::TColor kBothChannelsOnColour = 0x008000;  // green
constexpr util::TColor kBothChannelsOffColour = 0xC0C0C0;  // silver
constexpr util::TColor kModeLabelText = 0x00FFFF;          // yellow
constexpr util::TColor kModeLabelBackground = 0x000000;

constexpr const char* kSetupFolder = "/USER/SETUPFILES/";
constexpr const char* kDefaultSetupName = "A_DEFAULT.";
constexpr const char* kSaveFirstQuestion = "Setup gEdited Without Saving.  Save First?";
constexpr const char* kRecallFailedText = "INVALID SETUP FILE..ABORT LOAD";

QFrame* MakePanel(QWidget* parent, const char* name, int left, int top, int width, int height) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(QString::fromLatin1(name));
  panel->setGeometry(left, top, width, height);
  panel->setFrameShape(QFrame::Panel);
  panel->setFrameShadow(QFrame::Raised);
  return panel;
}

// The setup names are kept with their base name in upper case; the folder keeps its letters.
std::string WithUpperCaseBaseName(std::string path) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  std::transform(path.begin() + static_cast<std::ptrdiff_t>(start), path.end(), path.begin() + static_cast<std::ptrdiff_t>(start),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return path;
}

std::string& SetupFileName(int card) { return gKr20SetMgr->SetupFileNames.at(static_cast<std::size_t>(card)); }

// The combining kind of an operation-mode code: the pre-D codes 4 and 5 put the combined data on
// channel 2, the post-D codes 6 and 7 on channel 1; the other codes do not combine here.
bool CombinerKind(int modeCode, int& preDOut) {
  if (modeCode < 4 || modeCode > 7) return false;
  preDOut = modeCode <= 5 ? 1 : 0;
  return true;
}

// The operation mode the card's channel 0 status shows.
card::CombiningMode StatusCombiningMode(int card) {
  if (gKr20SetMgr == nullptr) return {};
  const settings::RouteInfoCopy& route = gKr20SetMgr->StatusRecord(card, 0).RouteInfo;
  return card::GetCombiningModeName(static_cast<int>(route.ModeFunction), static_cast<int>(route.RouteMode),
                                    route.RouteBytes[0] != 0, route.RouteBytes[1] != 0);
}

}  // namespace

CardWindow::CardWindow(QWidget* owner, int card, Variant variant)
    : QMainWindow(owner, Qt::Tool), card_(card), variant_(variant) {
  setObjectName(variant == Variant::TwoChannels ? "SetupMainGuiForm" : "SetupSingleMainGuiForm");
  setWindowTitle(QStringLiteral("Client"));
  setFont(StripFont());

  QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
  file->setObjectName("MenuFile");
  QAction* save = file->addAction(QStringLiteral("Save"), this, &CardWindow::MenuFileSaveClick);
  save->setObjectName("MenuFileSave");
  QAction* saveAs = file->addAction(QStringLiteral("Save &As"), this, &CardWindow::MenuFileSaveAsClick);
  saveAs->setObjectName("MenuFileSaveAs");
  file->addSeparator();
  QAction* recall = file->addAction(QStringLiteral("Recall"), this, &CardWindow::MenuFileRecallClick);
  recall->setObjectName("MenuFileRecall");

  auto* client = new QWidget(this);
  client->setObjectName("Client");
  const bool two = variant == Variant::TwoChannels;
  client->setFixedSize(525, two ? 588 : 447);
  setCentralWidget(client);
  // The window keeps the size of its client area and menu, whatever size a placement record holds.
  layout()->setSizeConstraint(QLayout::SetFixedSize);

  PanelChStatus[0] = MakePanel(client, "PanelChStatus1", 4, 1, 515, 150);
  if (two) PanelChStatus[1] = MakePanel(client, "PanelChStatus2", 4, 151, 515, 150);
  PanelUtility = MakePanel(client, "PanelUtility", two ? 20 : 18, two ? 304 : 158, 483, 25);
  LabelOpModeLabel = new QLabel(QStringLiteral("OPERATION MODE"), PanelUtility);
  LabelOpModeLabel->setObjectName("LabelOpModeLabel");
  LabelOpModeLabel->move(6, 6);
  LabelOperationalMode = new QLabel(PanelUtility);
  LabelOperationalMode->setObjectName("LabelOperationalMode");
  LabelOperationalMode->setGeometry(108, 6, 150, 14);
  LabelOperationalMode->setCursor(Qt::PointingHandCursor);
  PaintPanel(LabelOperationalMode, kModeLabelBackground);
  SetTextColour(LabelOperationalMode, kModeLabelText);
  LabelOperationalMode->installEventFilter(this);
  if (two) {
    PanelBothChControl = MakePanel(PanelUtility, "PanelBothChControl", 266, 2, 83, 22);
    PanelBothChControl->setToolTip(QStringLiteral("Control Both Channels"));
    SpeedButtonControlBothChannels = new QToolButton(PanelBothChControl);
    SpeedButtonControlBothChannels->setObjectName("SpeedButtonControlBothChannels");
    SpeedButtonControlBothChannels->setText(QStringLiteral("Both Ch Control"));
    SpeedButtonControlBothChannels->setCheckable(true);
    SpeedButtonControlBothChannels->setGeometry(4, 2, 74, 17);
    QFont small = StripFont();
    small.setPixelSize(9);
    SpeedButtonControlBothChannels->setFont(small);
    ShowPressedWhenChecked(SpeedButtonControlBothChannels);
    connect(SpeedButtonControlBothChannels, &QToolButton::clicked, this,
            &CardWindow::SpeedButtonControlBothChannelsClick);
  }
  ButtonReload = new QPushButton(QStringLiteral("Load Firmware"), PanelUtility);
  ButtonReload->setObjectName("ButtonReload");
  ButtonReload->setGeometry(394, 5, 87, 19);
  connect(ButtonReload, &QPushButton::clicked, this, &CardWindow::ButtonReloadClick);
  if (two) {
    PanelCommand[0] = MakePanel(client, "PanelCommand1", 4, 335, 255, 248);
    PanelCommand[1] = MakePanel(client, "PanelCommand2", 264, 335, 255, 248);
  } else {
    PanelCommand[0] = MakePanel(client, "PanelCommand1", 152, 189, 255, 248);
  }
  PopupMenuOperationalMode = new QMenu(this);
  PopupMenuOperationalMode->setObjectName("PopupMenuOperationalMode");

  BindCardContext();
  for (QFrame* panel : {PanelBothChControl, PanelUtility, PanelCommand[0], PanelCommand[1]}) {
    if (panel != nullptr) config::RemovePanelBevels(panel);
  }
}

CardWindow::~CardWindow() { CloseChannelPanels(); }

config::CardWindowKind CardWindow::PlacementKind() const {
  return variant_ == Variant::TwoChannels ? config::CardWindowKind::CardSetup
                                          : config::CardWindowKind::SingleChannelSetup;
}

bool CardWindow::SingleChannelUsage() const {
  return config::gApp.Options != nullptr && config::gApp.Options->Info().SingleChannelUsage != 0;
}

void CardWindow::BindCardContext() {
  chipVariant_ = gRtl20Mgr != nullptr && gRtl20Mgr->ChipVariant(card_);
}

TSetupMainStatusForm* CardWindow::StatusPanel(int channel) const {
  return channel >= 0 && channel < 2 ? statusPanels_[static_cast<std::size_t>(channel)] : nullptr;
}

TSetupMainSetupForm* CardWindow::CommandPanel(int channel) const {
  return channel >= 0 && channel < 2 ? commandPanels_[static_cast<std::size_t>(channel)] : nullptr;
}

bool CardWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == LabelOperationalMode && event->type() == QEvent::MouseButtonRelease) {
    LabelOperationalModeClick();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void CardWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (event->spontaneous()) return;
  RestoreWindowPlacement();
  shown_ = true;
  ApplyOperationMode();
  ApplyCardColours();
  UpdateDisplay();
}

void CardWindow::closeEvent(QCloseEvent* event) {
  SaveWindowPlacement();
  event->accept();
}

void CardWindow::RestoreWindowPlacement() {
  updating_ = true;
  const config::WindowPlacementRecord placement = config::gApp.Placement(card_, PlacementKind());
  resize(placement.Width, placement.Height);
  PlaceCardWindow(*this, card_, PlacementKind());
  CreateChannelPanels();
  BuildOperationModeMenu();
  lastModeCode_ = 0;
  SetCardCaptions();
  updating_ = false;
}

void CardWindow::SaveWindowPlacement() {
  config::WindowPlacementRecord& placement = config::gApp.Placement(card_, PlacementKind());
  placement.WasVisible = isVisible() ? 1 : 0;
  placement.Left = x();
  placement.Top = y();
  placement.Width = width();
  placement.Height = height();
}

void CardWindow::CreateChannelPanels() {
  CloseChannelPanels();
  for (int channel = 0; channel < Channels(); ++channel) {
    const auto slot = static_cast<std::size_t>(channel);
    statusPanels_[slot] = new TSetupMainStatusForm(PanelChStatus[slot], channel, card_);
    statusPanels_[slot]->show();
    commandPanels_[slot] = new TSetupMainSetupForm(PanelCommand[slot], card_, channel);
    commandPanels_[slot]->show();
  }
}

void CardWindow::CloseChannelPanels() {
  for (std::size_t slot = 0; slot < 2; ++slot) {
    if (statusPanels_[slot] != nullptr) {
      statusPanels_[slot]->CloseChannelDisplays();
      util::DeleteWidget(statusPanels_[slot]);
    }
    if (commandPanels_[slot] != nullptr) {
      commandPanels_[slot]->DestroyPages();
      util::DeleteWidget(commandPanels_[slot]);
    }
  }
}

void CardWindow::BuildOperationModeMenu() {
  config::ClearMenu(PopupMenuOperationalMode);
  const std::uint16_t mask = gRtl20Mgr != nullptr ? gRtl20Mgr->FunctionMask(card_) : 0;
  // One channel per card offers only independent modes; this window stops one mode earlier.
  const int singleLimit = variant_ == Variant::TwoChannels ? 4 : 3;
  for (int i = 0; i < card::kOperationModeCount; ++i) {
    if (!util::IsBitSet(mask, i)) continue;
    if (SingleChannelUsage() && i >= singleLimit) break;
    config::AddMenuItem(PopupMenuOperationalMode,
                        QString::fromStdString("SubMenuMenuOperationalMode" + util::FloatToFixedText(2, 0, i)),
                        QString::fromLatin1(config::CombiningModeNames[static_cast<std::size_t>(i)].data(),
                                            static_cast<int>(config::CombiningModeNames[static_cast<std::size_t>(i)].size())),
                        [this](QAction* item) { OperationModeItemClick(item); }, this, i);
  }
}

void CardWindow::LabelOperationalModeClick() {
  if (QAction* chosen = util::PopupMenuChoice(PopupMenuOperationalMode); chosen != nullptr) chosen->trigger();
}

void CardWindow::OperationModeItemClick(QAction* item) {
  const int index = config::MenuItemTag(item);
  card::OperationModeChoice choice;
  if (gRtl20Mgr != nullptr && index >= 0 &&
      card::ModeFeatureTest(index, gRtl20Mgr->ModeSlots(card_), chipVariant_, choice)) {
    SetOperationalMode(choice.RouteMode, choice.FpgaMode, choice.CombinerFlag != 0);
  }
  UpdateDisplay();
}

void CardWindow::SetOperationalMode(int routeMode, int fpgaMode, bool combinerFlag) {
  if (fpgaMode == card::kNoFpgaMode || settings::IsCurrentOperationMode(card_, routeMode, fpgaMode)) return;
  card::kr20cardclass* object = card::CardObject(card_);
  if (object == nullptr || gRtl20Mgr == nullptr) return;
  card::CardSetupRecord& setup = object->Setup();
  // The single-channel window never combines.
  const bool combine = combinerFlag && variant_ == Variant::TwoChannels;
  const card::FpgaModeSlotTable modeSlots = gRtl20Mgr->ModeSlots(card_);
  setup.RouteInfo.PreDCombinerMode = combine && card::ModeHasFeatureA(modeSlots, fpgaMode) ? 1 : 0;
  setup.RouteInfo.PostDCombinerMode = combine && card::ModeHasFeatureB(modeSlots, fpgaMode) ? 1 : 0;
  setup.RouteInfo.UserReceiverMode = fpgaMode;
  const int masterMode = card::ChooseFpgaMode(card_);
  // The route goes with the personality: the image loads into the mode that was chosen.
  card::StoreRouteMode(card_, routeMode);
  bool reloaded = false;
  card::ApplyPersonalityChange(card_, masterMode, false, reloaded);
  config::gApp.ReconfigurationPending = true;
  card::SetOperationalModeNotify(card_, routeMode, reloaded);
}

void CardWindow::UpdateDisplay() {
  if (updating_) return;
  updating_ = true;
  const card::CombiningMode mode = StatusCombiningMode(card_);
  if (mode.Code != lastModeCode_) ApplyOperationMode();
  lastModeCode_ = mode.Code;
  SetCardCaptions();
  const QString name = QString::fromStdString(StatusCombiningMode(card_).Name);
  if (LabelOperationalMode->text() != name) LabelOperationalMode->setText(name);
  if (PanelBothChControl != nullptr) {
    PaintPanel(PanelBothChControl, SpeedButtonControlBothChannels->isChecked() ? kBothChannelsOnColour
                                                                                       : kBothChannelsOffColour);
  }
  updating_ = false;
}

void CardWindow::SetCardCaptions() {
  std::string caption = "QuorxL Card " + util::FloatToFixedText(2, 0, card_ + 1);
  if (gKr20SetMgr != nullptr) {
    const std::string& name = SetupFileName(card_);
    if (!name.empty()) caption += "  " + util::FileBaseName(name) + " ";
  }
  caption += "  " + util::FormatElapsedTime(util::ElapsedSeconds());
  setWindowTitle(QString::fromStdString(caption));
}

void CardWindow::SetCombinerTabVisible(int channel, bool visible) {
  if (TSetupMainSetupForm* panel = CommandPanel(channel); panel != nullptr) panel->SetCombinerTabVisible(visible);
}

void CardWindow::ApplyOperationMode() {
  const bool single = SingleChannelUsage();
  if (variant_ == Variant::SingleChannel) {
    SetCombinerTabVisible(0, false);
  } else {
    int preDOut = 0;
    bool combining = CombinerKind(StatusCombiningMode(card_).Code, preDOut);
    if (single) combining = false;
    for (int channel = 0; channel < 2; ++channel) {
      TSetupMainSetupForm* command = CommandPanel(channel);
      if (command == nullptr) continue;
      bool show = true;
      if (combining) {
        show = preDOut == channel;
        command->setVisible(show);
        SetCombinerTabVisible(channel, show);
      } else {
        if (single) {
          PanelBothChControl->hide();
          show = channel == 0;
          if (TSetupMainStatusForm* status = StatusPanel(channel); status != nullptr) status->setVisible(show);
        }
        command->setVisible(show);
        SetCombinerTabVisible(channel, false);
      }
    }
    PanelBothChControl->setVisible(!combining && !single);
    if (combining || single) {
      SpeedButtonControlBothChannels->setChecked(false);
      config::gApp.gControlBothChannels = 0;
    }
  }
  for (int channel = 0; channel < Channels(); ++channel) {
    if (TSetupMainStatusForm* status = StatusPanel(channel); status != nullptr) status->ArrangeStatusPanel();
    if (TSetupMainSetupForm* command = CommandPanel(channel); command != nullptr) command->UpdatePagesVisibility();
  }
}

void CardWindow::ApplyCardColours() {
  for (int channel = 0; channel < Channels(); ++channel) {
    if (TSetupMainStatusForm* status = StatusPanel(channel); status != nullptr) status->ApplyStatusColours();
    if (TSetupMainSetupForm* command = CommandPanel(channel); command != nullptr) command->UpdateColors();
  }
  PaintPanel(centralWidget(), SchemeColour(config::kAppSetupBackgroundColor));
  PaintPanel(this, SchemeColour(config::kAppSetupBackgroundColor));
  SetTextColour(LabelOpModeLabel, SchemeColour(config::kAppSetupLabelColor));
  if (shown_) UpdateDisplay();
}

void CardWindow::Refresh5Hz() {
  if (!shown_) return;
  UpdateDisplay();
  FpgaLoadNotify();
  for (int channel = 0; channel < Channels(); ++channel) {
    if (TSetupMainStatusForm* status = StatusPanel(channel); status != nullptr) status->UpdateChannelStatus();
    if (TSetupMainSetupForm* command = CommandPanel(channel); command != nullptr) command->RefreshPages();
  }
}

void CardWindow::Reload() {
  ApplyOperationMode();
  for (int channel = 0; channel < Channels(); ++channel) {
    if (gKr20SetMgr != nullptr) gKr20SetMgr->ApplyIfRxAutoLogic(card_, channel);
  }
  for (int channel = 0; channel < Channels(); ++channel) {
    if (TSetupMainSetupForm* command = CommandPanel(channel); command != nullptr) command->ReloadPages();
  }
  repaint();
}

void CardWindow::SpeedButtonControlBothChannelsClick() {
  config::gApp.gControlBothChannels = SpeedButtonControlBothChannels->isChecked() ? 1 : 0;
}

void CardWindow::ButtonReloadClick() {
  if (card::kr20cardclass* object = card::CardObject(card_); object != nullptr) {
    bool reloaded = false;
    card::ApplyPersonalityChange(card_, object->Setup().RouteInfo.FpgaMasterMode, true, reloaded);
  }
  UpdateDisplay();
}

void CardWindow::MenuFileSaveClick() {
  if (gKr20SetMgr == nullptr) return;
  std::string& name = SetupFileName(card_);
  if (name.empty()) {
    if (config::gApp.Options == nullptr || config::gApp.Options->Info().AlwaysSaveSetups == 0) {
      MenuFileSaveAsClick();
      return;
    }
    name = util::ProgramFolder() + kSetupFolder + kDefaultSetupName + settings::kSetupFileExtension;
  }
  // A setup that did not reach its file is still edited.
  if (settings::SaveCardSetupFile(card_)) config::gApp.SetupEdited = 0;
  settings::SaveLastSetupFile();
  UpdateDisplay();
}

void CardWindow::MenuFileSaveAsClick() {
  if (gKr20SetMgr == nullptr) return;
  std::string chosen;
  if (util::SaveFileDialog(util::ProgramFolder() + kSetupFolder, settings::kSetupFileExtension, chosen,
                           SetupFileName(card_))) {
    SetupFileName(card_) = WithUpperCaseBaseName(chosen);
    MenuFileSaveClick();
  }
  UpdateDisplay();
}

void CardWindow::MenuFileRecallClick() {
  if (gKr20SetMgr == nullptr) return;
  if (config::gApp.Options != nullptr && config::gApp.Options->Info().AlwaysSaveSetups != 0) {
    MenuFileSaveClick();
  } else if (config::gApp.SetupEdited != 0) {
    switch (util::Dialogs().AskYesNoCancel("SAVE", kSaveFirstQuestion)) {
      case util::Answer::Yes:
        MenuFileSaveClick();
        break;
      case util::Answer::No:
        break;
      case util::Answer::Cancel:
        return;
    }
  }
  // The periodic refresh leaves the window alone while the card takes the recalled setup.
  shown_ = false;
  std::string chosen;
  if (util::OpenFileDialog(util::ProgramFolder() + kSetupFolder, settings::kSetupFileExtension, chosen,
                           SetupFileName(card_))) {
    if (settings::RecallCardSetupFile(card_, WithUpperCaseBaseName(chosen))) {
      config::gApp.SetupEdited = 0;
    } else {
      util::LogError(kRecallFailedText, card_ + 1, true);
    }
  }
  shown_ = true;
  UpdateDisplay();
}

}  // namespace ui
