#include "ui/factory/file_poke_form.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <string>
#include <utility>

#include "card/kr20card.h"
#include "ui/factory/factory_widgets.h"
#include "ui/factory/register_text.h"
#include "util/error_log.h"
#include "util/file_routines.h"
#include "util/gui/popup_choice.h"
#include "util/number_text.h"
#include "util/process_globals.h"
#include "util/prompts.h"
#include "util/speaker.h"

namespace {

constexpr const char* kInvalidFileText = "INVALID SETUP FILE..ABORT LOAD";
constexpr const char* kListingRule = "--------------------------";

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

TDbg_FilePokeForm::TDbg_FilePokeForm(QWidget* owner, int card)
    : FactoryWindow(owner, card, config::CardWindowKind::FilePoke),
      fileName_(util::ProgramFolder() + "/" + factory::kDefaultPokeFileName) {
  setObjectName("Dbg_FilePokeForm");

  PanelSetup = ui::MakeFactoryPanel(this, "PanelSetup");
  auto* setupGrid = new QGridLayout(PanelSetup);
  auto* setupTitle = new QLabel(QStringLiteral("Setup Info"));
  setupTitle->setObjectName("LabelSetupInfo");
  setupGrid->addWidget(setupTitle, 0, 0, 1, 2);
  LabelFpgaNumber = ui::AddValueRow(setupGrid, 1, "FPGA Number", "LabelFpgaNumber");
  LabelFpgaAddress = ui::AddValueRow(setupGrid, 2, "FPGA Address", "LabelFpgaAddress");
  setupGrid->setRowStretch(3, 1);
  PanelSetup->setToolTip(QStringLiteral("Right-click to change"));
  PanelSetup->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(PanelSetup, &QWidget::customContextMenuRequested, this, &TDbg_FilePokeForm::PanelSetupPopup);
  PopupMenuSetup = new QMenu(this);
  PopupMenuSetup->setObjectName("PopupMenuSetup");
  ui::AddPopupItem(PopupMenuSetup, "MenuFPGANumber", "FPGA Number", [this] { MenuFPGANumberClick(); });

  PanelCommand = ui::MakeFactoryPanel(this, "PanelCommand");
  auto* commandGrid = new QGridLayout(PanelCommand);
  LabelPokeFile = ui::AddValueRow(commandGrid, 0, "Poke File", "LabelPokeFile");
  LabelNumPokeLocations = ui::AddValueRow(commandGrid, 1, "Num Poke Locations", "LabelNumPokeLocations");
  ButtonReadFile = new QPushButton(QStringLiteral("Read File"), PanelCommand);
  ButtonReadFile->setObjectName("ButtonReadFile");
  ButtonPoke = new QPushButton(QStringLiteral("Poke It"), PanelCommand);
  ButtonPoke->setObjectName("ButtonPoke");
  CheckBoxCmdHex = new QCheckBox(QStringLiteral("Hex"), PanelCommand);
  CheckBoxCmdHex->setObjectName("CheckBoxCmdHex");
  CheckBoxCmdHex->setChecked(true);
  commandGrid->addWidget(ButtonReadFile, 2, 0);
  commandGrid->addWidget(ButtonPoke, 2, 1);
  commandGrid->addWidget(CheckBoxCmdHex, 3, 0);
  connect(ButtonReadFile, &QPushButton::clicked, this, &TDbg_FilePokeForm::ButtonReadFileClick);
  connect(ButtonPoke, &QPushButton::clicked, this, &TDbg_FilePokeForm::ButtonPokeClick);

  MemoDump = new QPlainTextEdit(this);
  MemoDump->setObjectName("MemoDump");
  MemoDump->setReadOnly(true);
  MemoDump->setLineWrapMode(QPlainTextEdit::NoWrap);
  QFont fixed(QStringLiteral("Courier New"));
  fixed.setStyleHint(QFont::TypeWriter);
  fixed.setPixelSize(12);
  MemoDump->setFont(fixed);
  ButtonClearMemo = new QPushButton(QStringLiteral("Clear"), this);
  ButtonClearMemo->setObjectName("ButtonClearMemo");
  CheckBoxMemoHex = new QCheckBox(QStringLiteral("Hex"), this);
  CheckBoxMemoHex->setObjectName("CheckBoxMemoHex");
  CheckBoxMemoHex->setChecked(dumpHex_);
  connect(ButtonClearMemo, &QPushButton::clicked, this, &TDbg_FilePokeForm::ButtonClearMemoClick);
  connect(CheckBoxMemoHex, &QCheckBox::clicked, this, &TDbg_FilePokeForm::CheckBoxMemoHexClick);

  auto* top = new QHBoxLayout;
  top->addWidget(PanelSetup);
  top->addWidget(PanelCommand, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(ButtonClearMemo);
  bottom->addWidget(CheckBoxMemoHex);
  bottom->addStretch(1);
  auto* column = new QVBoxLayout(this);
  column->addLayout(top);
  column->addWidget(MemoDump, 1);
  column->addLayout(bottom);
  SetCardCaption("File POKE for Card ");
}

void TDbg_FilePokeForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shown_ || event->spontaneous()) return;
  RestoreWindowState();
  UpdateDisplay();
}

void TDbg_FilePokeForm::RestoreWindowState() {
  updating_ = true;
  RestorePlacement();
  MemoDump->clear();
  CheckBoxMemoHex->setChecked(dumpHex_);
  updating_ = false;
  UpdateDisplay();
  shown_ = true;
  updating_ = false;
}

void TDbg_FilePokeForm::UpdateDisplay() {
  if (!isVisible() || updating_) return;
  updating_ = true;
  const bool present = FpgaPresent(fpga_);
  ButtonPoke->setEnabled(present);
  ButtonPoke->setVisible(!pairs_.empty());
  LabelFpgaNumber->setText(QString::number(fpga_ + 1));
  LabelFpgaAddress->setText(QString::fromStdString(factory::FpgaAddressText(fpga_)));
  LabelPokeFile->setText(QString::fromStdString(util::FileBaseName(fileName_)));
  LabelNumPokeLocations->setText(QString::number(pairs_.size()));
  updating_ = false;
  SetCardCaption("File POKE for Card ");
}

void TDbg_FilePokeForm::PanelSetupPopup() {
  if (!FpgaPresent(fpga_)) return;
  if (QAction* chosen = util::PopupMenuChoice(PopupMenuSetup); chosen != nullptr) chosen->trigger();
}

void TDbg_FilePokeForm::MenuFPGANumberClick() {
  if (!FpgaPresent(1)) return;
  std::int32_t number = fpga_ + 1;
  if (util::PromptIntInRange("Enter the FPGA to use", number, 2, 10, 1)) fpga_ = number - 1;
  UpdateDisplay();
}

bool TDbg_FilePokeForm::ReadPokeFile(const std::string& fileName) {
  factory::PokeFileRead read = factory::ReadPokeFile(fileName, CheckBoxCmdHex->isChecked() ? 16 : 10);
  if (!read.why.empty()) util::LogInfo(read.why, Card() + 1, false);
  pairs_ = std::move(read.pairs);
  return !pairs_.empty();
}

void TDbg_FilePokeForm::ButtonReadFileClick() {
  std::string chosen;
  if (!util::OpenFileDialog(FolderOf(fileName_), factory::kPokeFileExtension, chosen, fileName_)) {
    UpdateDisplay();
    return;
  }
  const std::string previous = fileName_;
  fileName_ = chosen;
  if (ReadPokeFile(fileName_)) {
    ListPairs();
  } else {
    fileName_ = previous;
    util::LogError(kInvalidFileText, Card() + 1, true);
  }
  UpdateDisplay();
}

void TDbg_FilePokeForm::ListPairs() {
  std::string text = "Poke File -> " + fileName_ + "\n" + kListingRule;
  text.reserve(text.size() + pairs_.size() * 48);
  for (const factory::PokePair& pair : pairs_) {
    text += '\n';
    text += factory::PokeListingLine(pair, dumpHex_);
  }
  MemoDump->setPlainText(QString::fromStdString(text));
}

void TDbg_FilePokeForm::ButtonPokeClick() {
  card::kr20cardclass* object = CardObject();
  const bool ready = object != nullptr && object->IsReady();
  int failed = 0;
  int skipped = 0;
  for (const factory::PokePair& pair : pairs_) {
    if (!factory::PokeRegisterInRange(pair.Register)) {
      ++skipped;
      util::WriteErrorLogLine("File poke: register " + std::to_string(pair.Register) + " (" +
                                  util::IntToHexText(pair.Register, 4, true) +
                                  ") is not one of the FPGA's registers, not poked",
                              Card() + 1);
      continue;
    }
    if (!ready || !object->Dtrd_PokeRegOnFpga(fpga_, pair.Register, pair.Value)) ++failed;
  }
  if (failed > 0) {
    // A refused poke must not sound like a written list.
    const std::string what = "FILE POKE FAILED: " + std::to_string(failed) + " of " +
                             std::to_string(pairs_.size() - static_cast<std::size_t>(skipped)) +
                             " registers not written" + (ready ? "" : ", card not ready");
    util::LogError(what, Card() + 1, false);
    MemoDump->appendPlainText(QString::fromStdString(what));
  } else {
    util::SpeakerScale();
  }
  UpdateDisplay();
}

void TDbg_FilePokeForm::CheckBoxMemoHexClick() {
  if (shown_ && !updating_) dumpHex_ = CheckBoxMemoHex->isChecked();
  UpdateDisplay();
}

void TDbg_FilePokeForm::ButtonClearMemoClick() {
  MemoDump->clear();
  UpdateDisplay();
}
