#pragma once
// A factory tool: which message levels the device library logs for one card. Bits 15 down to 4
// of the mask are the twelve levels, "Alarm" first; the dialog always starts from "Alarm" and
// "Warning" (0xC000), it does not read the card's mask.
#include <QDialog>

#include <array>
#include <cstdint>

class QCheckBox;
class QLabel;
class QPushButton;

namespace ui {
inline constexpr std::uint32_t kRtlStartLogMask = 0x0000C000;
inline constexpr int kRtlLogLevels = 12;
// The level names, bit 15 first.
extern const std::array<const char*, kRtlLogLevels> kRtlLogLevelNames;
}  // namespace ui

class TDbg_RtlLogMaskDlg final : public QDialog {
 public:
  explicit TDbg_RtlLogMaskDlg(QWidget* owner = nullptr);

  // Runs the dialog modally for the card; true when accepted, the mask then in Mask().
  bool ExecuteForCard(int card);
  // The two halves of ExecuteForCard around the modal run.
  void BeginForCard(int card);
  bool EndForCard(bool accepted);

  std::uint32_t Mask() const { return mask_; }
  int Card() const { return card_; }
  QCheckBox* LevelBox(int k) const { return boxes_.at(static_cast<std::size_t>(k)); }

  void OKBtnClick();
  void CancelBtnClick();
  void CheckBox1Click();
  // Esc and the title bar cancel.
  void reject() override;

 private:
  std::uint32_t MaskFromBoxes() const;
  void ShowMask();

  int card_ = 0;
  std::uint32_t mask_ = ui::kRtlStartLogMask;
  bool cancelled_ = false;
  bool updating_ = false;
  std::array<QCheckBox*, ui::kRtlLogLevels> boxes_{};
  QLabel* LabelMask = nullptr;
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;
};

namespace ui {
// The "Set RTL Log Mask" item of a card: the dialog, and when accepted the mask on every
// functional block of that card. False when cancelled or the card is not open.
bool RunLogMaskDialog(int card, QWidget* owner);
}  // namespace ui
