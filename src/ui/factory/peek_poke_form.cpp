#include "ui/factory/peek_poke_form.h"

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

#include <algorithm>
#include <span>
#include <string>

#include "card/kr20card.h"
#include "ui/factory/factory_widgets.h"
#include "ui/factory/register_text.h"
#include "util/error_log.h"
#include "util/gui/popup_choice.h"
#include "util/prompts.h"

namespace {

constexpr const char* kDumpFullText = "The dump is full, Press the Clear button";
constexpr const char* kNotReadText = "NOT READ";

std::string FpgaText(int fpga) { return "FPGA " + std::to_string(fpga + 1); }

}  // namespace

TDbg_PeekPokeForm::TDbg_PeekPokeForm(QWidget* owner, int card)
    : FactoryWindow(owner, card, config::CardWindowKind::PeekPoke) {
  setObjectName("Dbg_PeekPokeForm");

  PanelSetup = ui::MakeFactoryPanel(this, "PanelSetup");
  auto* setupGrid = new QGridLayout(PanelSetup);
  LabelFpgaNumber = ui::AddValueRow(setupGrid, 0, "FPGA Number", "LabelFpgaNumber");
  LabelPokeRegister = ui::AddValueRow(setupGrid, 1, "Poke Register Number", "LabelPokeRegister");
  LabelPeekRegister = ui::AddValueRow(setupGrid, 2, "Peek Register Number", "LabelPeekRegister");
  LabelNumPeekLocations = ui::AddValueRow(setupGrid, 3, "Num Peek Locations", "LabelNumPeekLocations");
  LabelFpgaAddress = ui::AddValueRow(setupGrid, 4, "FPGA Address", "LabelFpgaAddress");
  PanelSetup->setToolTip(QStringLiteral("Right-click to change"));
  PanelSetup->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(PanelSetup, &QWidget::customContextMenuRequested, this, &TDbg_PeekPokeForm::PanelSetupPopup);
  PopupMenuSetup = new QMenu(this);
  PopupMenuSetup->setObjectName("PopupMenuSetup");
  ui::AddPopupItem(PopupMenuSetup, "MenuFPGANumber", "FPGA Number", [this] { MenuFPGANumberClick(); });
  ui::AddPopupItem(PopupMenuSetup, "MenuRegisterNumber", "Register Number", [this] { MenuRegisterNumberClick(); });
  ui::AddPopupItem(PopupMenuSetup, "MenuNumRegsToPeek", "Num Regs To Peek", [this] { MenuNumRegsToPeekClick(); });

  PanelCommand = ui::MakeFactoryPanel(this, "PanelCommand");
  auto* commandGrid = new QGridLayout(PanelCommand);
  LabelPokeValue = ui::AddValueRow(commandGrid, 0, "Poke Value", "LabelPokeValue");
  LabelPeekValue1 = ui::AddValueRow(commandGrid, 1, "Peek Value 1", "LabelPeekValue1");
  ButtonPoke = new QPushButton(QStringLiteral("Poke It"), PanelCommand);
  ButtonPoke->setObjectName("ButtonPoke");
  ButtonPeek = new QPushButton(QStringLiteral("Peek At It"), PanelCommand);
  ButtonPeek->setObjectName("ButtonPeek");
  CheckBoxCmdHex = new QCheckBox(QStringLiteral("Hex"), PanelCommand);
  CheckBoxCmdHex->setObjectName("CheckBoxCmdHex");
  commandGrid->addWidget(ButtonPoke, 2, 0);
  commandGrid->addWidget(ButtonPeek, 2, 1);
  commandGrid->addWidget(CheckBoxCmdHex, 3, 0);
  connect(ButtonPoke, &QPushButton::clicked, this, &TDbg_PeekPokeForm::ButtonPokeClick);
  connect(ButtonPeek, &QPushButton::clicked, this, &TDbg_PeekPokeForm::ButtonPeekClick);
  connect(CheckBoxCmdHex, &QCheckBox::clicked, this, &TDbg_PeekPokeForm::CheckBoxCmdHexClick);
  PanelCommand->setToolTip(QStringLiteral("Right-click to change"));
  PanelCommand->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(PanelCommand, &QWidget::customContextMenuRequested, this, &TDbg_PeekPokeForm::PanelCommandPopup);
  PopupMenuCommand = new QMenu(this);
  PopupMenuCommand->setObjectName("PopupMenuCommand");
  ui::AddPopupItem(PopupMenuCommand, "MenuPokeValue", "Poke Value", [this] { MenuPokeValueClick(); });

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
  connect(ButtonClearMemo, &QPushButton::clicked, this, &TDbg_PeekPokeForm::ButtonClearMemoClick);
  connect(CheckBoxMemoHex, &QCheckBox::clicked, this, &TDbg_PeekPokeForm::CheckBoxMemoHexClick);

  auto* top = new QHBoxLayout;
  top->addWidget(PanelSetup);
  top->addWidget(PanelCommand);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(ButtonClearMemo);
  bottom->addWidget(CheckBoxMemoHex);
  bottom->addStretch(1);
  auto* column = new QVBoxLayout(this);
  column->addLayout(top);
  column->addWidget(MemoDump, 1);
  column->addLayout(bottom);

  CheckBoxCmdHex->setChecked(commandHex_);
  CheckBoxMemoHex->setChecked(dumpHex_);
  SetCardCaption("PEEK/POKE for Card ");
}

void TDbg_PeekPokeForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shown_ || event->spontaneous()) return;
  RestoreWindowState();
  UpdateDisplay();
}

void TDbg_PeekPokeForm::RestoreWindowState() {
  updating_ = true;
  RestorePlacement();
  MemoDump->clear();
  CheckBoxCmdHex->setChecked(commandHex_);
  CheckBoxMemoHex->setChecked(dumpHex_);
  updating_ = false;
  UpdateDisplay();
  shown_ = true;
  updating_ = false;
}

void TDbg_PeekPokeForm::UpdateDisplay() {
  if (!isVisible() || updating_) return;
  updating_ = true;
  const bool present = FpgaPresent(fpga_);
  ButtonPoke->setEnabled(present);
  ButtonPeek->setEnabled(present);
  peekCount_ = std::clamp(peekCount_, 1, factory::kFpgaRegisters);
  LabelFpgaAddress->setText(QString::fromStdString(factory::FpgaAddressText(fpga_)));
  LabelFpgaNumber->setText(QString::number(fpga_ + 1));
  LabelPokeRegister->setText(QString::fromStdString(factory::RegisterLabelText(pokeRegister_)));
  LabelPeekRegister->setText(QString::fromStdString(factory::RegisterLabelText(peekRegister_)));
  LabelNumPeekLocations->setText(QString::number(peekCount_));
  LabelPokeValue->setText(QString::fromStdString(factory::CommandValueText(pokeValue_, commandHex_)));
  const std::string peeked = peekFailed_ ? kNotReadText : factory::CommandValueText(peekValues_[0], commandHex_);
  LabelPeekValue1->setText(QString::fromStdString(peeked));
  updating_ = false;
  SetCardCaption("PEEK/POKE for Card ");
}

void TDbg_PeekPokeForm::PanelSetupPopup() {
  if (!FpgaPresent(fpga_)) return;
  if (QAction* chosen = util::PopupMenuChoice(PopupMenuSetup); chosen != nullptr) chosen->trigger();
}

void TDbg_PeekPokeForm::PanelCommandPopup() {
  if (!FpgaPresent(fpga_)) return;
  if (QAction* chosen = util::PopupMenuChoice(PopupMenuCommand); chosen != nullptr) chosen->trigger();
}

void TDbg_PeekPokeForm::MenuFPGANumberClick() {
  if (!FpgaPresent(1)) return;
  std::int32_t number = fpga_ + 1;
  if (util::PromptIntInRange("Enter the FPGA to use", number, 2, 10, 1)) fpga_ = number - 1;
  UpdateDisplay();
}

void TDbg_PeekPokeForm::MenuRegisterNumberClick() {
  std::int32_t reg = pokeRegister_;
  if (util::PromptIntInRange("Enter the PEEK/POKE register", reg, factory::kFpgaRegisters - 1, 10, 0)) {
    pokeRegister_ = reg;
    peekRegister_ = reg;
  }
  UpdateDisplay();
}

void TDbg_PeekPokeForm::MenuNumRegsToPeekClick() {
  std::int32_t count = peekCount_;
  if (util::PromptIntInRange("Enter the number of PEEK registers to read", count, factory::kFpgaRegisters, 10, 1)) {
    peekCount_ = count;
  }
  UpdateDisplay();
}

void TDbg_PeekPokeForm::MenuPokeValueClick() {
  std::uint32_t value = pokeValue_;
  if (util::PromptUnsignedInRange("Enter the value to poke into the POKE register (0x for hex)", value, 4294967295u, 10,
                                  0)) {
    pokeValue_ = value;
  }
  UpdateDisplay();
}

void TDbg_PeekPokeForm::CheckBoxCmdHexClick() {
  if (shown_ && !updating_) commandHex_ = CheckBoxCmdHex->isChecked();
  UpdateDisplay();
}

void TDbg_PeekPokeForm::CheckBoxMemoHexClick() {
  if (shown_ && !updating_) {
    dumpHex_ = CheckBoxMemoHex->isChecked();
    MemoDump->clear();
  }
  UpdateDisplay();
}

void TDbg_PeekPokeForm::ButtonPokeClick() {
  card::kr20cardclass* object = CardObject();
  const bool ready = object != nullptr && object->IsReady();
  if (!ready || !object->Dtrd_PokeRegOnFpga(fpga_, static_cast<std::uint32_t>(pokeRegister_), pokeValue_)) {
    // The operator must not take a refused poke for a written register.
    const std::string what = "POKE FAILED: " + FpgaText(fpga_) + " register " +
                             factory::RegisterLabelText(pokeRegister_) + (ready ? " not written" : ", card not ready");
    util::LogError(what, Card() + 1, false);
    AppendDumpLine(what);
  }
  UpdateDisplay();
}

void TDbg_PeekPokeForm::ButtonPeekClick() {
  const int run = factory::PeekRunLength(peekRegister_, peekCount_);
  card::kr20cardclass* object = CardObject();
  const bool ready = object != nullptr && object->IsReady();
  peekFailed_ = !ready || run < 1 ||
                !object->Dtrd_PeekRegOnFpga(fpga_, static_cast<std::uint32_t>(peekRegister_),
                                            std::span<std::uint32_t>(peekValues_), run);
  peekValuesRead_ = peekFailed_ ? 0 : run;
  if (peekFailed_) {
    util::LogError("PEEK FAILED: " + FpgaText(fpga_) + " from register " + factory::RegisterLabelText(peekRegister_) +
                       (ready ? " not read" : ", card not ready"),
                   Card() + 1, false);
  }
  AppendPeekDump();
  UpdateDisplay();
}

int TDbg_PeekPokeForm::DumpLineCount() const {
  return MemoDump->document()->isEmpty() ? 0 : MemoDump->document()->blockCount();
}

bool TDbg_PeekPokeForm::AppendDumpLine(const std::string& text) {
  const int held = DumpLineCount();
  if (held >= factory::kMaxDumpLines) {
    util::LogWarning(kDumpFullText, held, true);
    return false;
  }
  MemoDump->appendPlainText(QString::fromStdString(text));
  return true;
}

void TDbg_PeekPokeForm::AppendPeekDump() {
  if (peekFailed_) {
    if (AppendDumpLine("PEEK FAILED: no registers read")) AppendDumpLine(factory::kDumpEndMarker);
    return;
  }
  // The lines are gathered and appended at once: the dump takes up to 4096 values a peek.
  const int room = std::max(factory::kMaxDumpLines - DumpLineCount(), 0);
  const int lines = std::min(peekValuesRead_, room);
  std::string text;
  text.reserve(static_cast<std::size_t>(lines + 2) * 24);
  for (int i = 0; i < lines; ++i) {
    if (i > 0) text += '\n';
    text += factory::DumpLine(peekRegister_ + 4 * i, peekValues_[static_cast<std::size_t>(i)], dumpHex_);
  }
  const bool complete = lines == peekValuesRead_;
  if (complete) {
    if (peekValuesRead_ < peekCount_) {
      text += "\nREAD " + std::to_string(peekValuesRead_) + " OF " + std::to_string(peekCount_) +
              " REGISTERS: THE FPGA ENDS AT REGISTER " + std::to_string(factory::kFpgaRegisters - 1);
    }
    text += '\n';
    text += factory::kDumpEndMarker;
  }
  if (!text.empty()) MemoDump->appendPlainText(QString::fromStdString(text));
  if (!complete) util::LogWarning(kDumpFullText, DumpLineCount(), true);
}

void TDbg_PeekPokeForm::ButtonClearMemoClick() {
  MemoDump->clear();
  UpdateDisplay();
}
