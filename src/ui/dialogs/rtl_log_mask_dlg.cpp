#include "ui/dialogs/rtl_log_mask_dlg.h"

#include <QCheckBox>
#include <QFont>
#include <QLabel>
#include <QPushButton>

#include <cstdio>
#include <string>

#include "card/kr20card.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "ui/card_window_place.h"
#include "util/error_log.h"

namespace ui {
const std::array<const char*, kRtlLogLevels> kRtlLogLevelNames{"Alarm",   "Warning", "Event",   "Status",
                                                               "Data",    "Setup",   "Debug_1", "Debug_2",
                                                               "Debug_3", "Debug_4", "Debug_5", "Trace"};
}  // namespace ui

namespace {
constexpr std::uint32_t kTopLevelBit = 0x8000;
}  // namespace

TDbg_RtlLogMaskDlg::TDbg_RtlLogMaskDlg(QWidget* owner) : QDialog(owner) {
  setObjectName("Dbg_RtlLogMaskDlg");
  setModal(true);
  QFont font("Arial");
  font.setPixelSize(11);
  setFont(font);
  setFixedSize(246, 262);
  // Two columns of six levels.
  for (int k = 0; k < ui::kRtlLogLevels; ++k) {
    auto* box = new QCheckBox(this);
    box->setObjectName(QStringLiteral("CheckBox%1").arg(k + 1));
    box->setGeometry(k < 6 ? 20 : 130, 14 + 24 * (k % 6), 100, 18);
    connect(box, &QCheckBox::clicked, this, &TDbg_RtlLogMaskDlg::CheckBox1Click);
    boxes_[static_cast<std::size_t>(k)] = box;
  }
  auto* caption = new QLabel("Mask", this);
  caption->setObjectName("LabelMaskCaption");
  caption->setGeometry(20, 166, 40, 18);
  LabelMask = new QLabel(this);
  LabelMask->setObjectName("LabelMask");
  LabelMask->setGeometry(64, 166, 80, 18);
  OKBtn = new QPushButton("OK", this);
  OKBtn->setObjectName("OKBtn");
  OKBtn->setGeometry(34, 214, 80, 25);
  CancelBtn = new QPushButton("Cancel", this);
  CancelBtn->setObjectName("CancelBtn");
  CancelBtn->setGeometry(132, 214, 80, 25);
  connect(OKBtn, &QPushButton::clicked, this, &TDbg_RtlLogMaskDlg::OKBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &TDbg_RtlLogMaskDlg::CancelBtnClick);
}

bool TDbg_RtlLogMaskDlg::ExecuteForCard(int card) {
  BeginForCard(card);
  ui::PlaceDialogOnMainWindow(*this);
  const int result = exec();
  return EndForCard(result == QDialog::Accepted);
}

void TDbg_RtlLogMaskDlg::BeginForCard(int card) {
  cancelled_ = false;
  card_ = card;
  setWindowTitle(QStringLiteral("RTL DLL LOGGING MASK Card %1").arg(card + 1));
  mask_ = ui::kRtlStartLogMask;
  updating_ = true;
  for (int k = 0; k < ui::kRtlLogLevels; ++k) {
    QCheckBox* box = boxes_[static_cast<std::size_t>(k)];
    box->setText(QString::fromLatin1(ui::kRtlLogLevelNames[static_cast<std::size_t>(k)]));
    box->setChecked((mask_ & (kTopLevelBit >> k)) != 0);
  }
  updating_ = false;
  ShowMask();
}

bool TDbg_RtlLogMaskDlg::EndForCard(bool accepted) {
  if (!accepted || cancelled_) return false;
  mask_ = MaskFromBoxes();
  return true;
}

std::uint32_t TDbg_RtlLogMaskDlg::MaskFromBoxes() const {
  std::uint32_t mask = 0;
  for (int k = 0; k < ui::kRtlLogLevels; ++k) {
    if (boxes_[static_cast<std::size_t>(k)]->isChecked()) mask |= kTopLevelBit >> k;
  }
  return mask;
}

void TDbg_RtlLogMaskDlg::ShowMask() {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(mask_ & 0xFFFFu));
  LabelMask->setText(QString::fromLatin1(text));
}

void TDbg_RtlLogMaskDlg::CheckBox1Click() {
  if (updating_) return;
  mask_ = MaskFromBoxes();
  updating_ = true;
  for (int k = 0; k < ui::kRtlLogLevels; ++k) boxes_[static_cast<std::size_t>(k)]->setChecked((mask_ & (kTopLevelBit >> k)) != 0);
  updating_ = false;
  ShowMask();
}

void TDbg_RtlLogMaskDlg::OKBtnClick() {
  cancelled_ = false;
  accept();
}

// Cancel, Esc and the title bar all end in reject().
void TDbg_RtlLogMaskDlg::CancelBtnClick() { reject(); }

void TDbg_RtlLogMaskDlg::reject() {
  cancelled_ = true;
  QDialog::reject();
}

namespace ui {

bool RunLogMaskDialog(int card, QWidget* owner) {
  TDbg_RtlLogMaskDlg dialog(owner);
  if (!dialog.ExecuteForCard(card)) return false;
  card::kr20cardclass* object = gRtl20Mgr != nullptr ? gRtl20Mgr->Card(card) : nullptr;
  if (object == nullptr) {
    util::WriteErrorLogLine("Set RTL Log Mask: card " + std::to_string(card + 1) + " is not open, mask not set", card + 1);
    return false;
  }
  object->SetAllLoggingMasks(dialog.Mask());
  return true;
}

}  // namespace ui
