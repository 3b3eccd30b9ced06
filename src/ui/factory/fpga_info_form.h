#pragma once
// The FPGA table-of-contents window of a card (a factory tool): one grid per FPGA with a row per
// functional module its loaded image declares. It follows the FPGA loaded now: the grids are
// sized and filled again each time the window is shown and after the card's FPGA image load.
#include <array>

#include "ui/factory/factory_window.h"

class QFrame;
class QLabel;
class QTableWidget;

class TDbg_FpgaInfoForm : public ui::FactoryWindow {
 public:
  static constexpr int kColumns = 8;

  TDbg_FpgaInfoForm(QWidget* owner, int card);

  void RestoreWindowState();
  void SetupGrids();
  void UpdateDisplay();

  // Components by their names: index 0 for FPGA 1, 1 for FPGA 2.
  std::array<QFrame*, 2> PanelFpga{};
  std::array<QTableWidget*, 2> StringGridFpga{};
  std::array<QLabel*, 2> LabelNotLoaded{};

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Device entries of the FPGA's record that the grid shows (0 when the FPGA is not present).
  int DeviceCount(int fpga) const;
};
