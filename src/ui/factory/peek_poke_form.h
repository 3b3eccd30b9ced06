#pragma once
// The register peek/poke window of a card (a factory tool): pokes one 32-bit value into one
// register of FPGA 1 or 2 and peeks a run of registers into a dump, in hexadecimal or decimal.
// Every register access goes through the card object.
#include <array>
#include <cstdint>
#include <string>

#include "ui/factory/factory_window.h"

class QCheckBox;
class QFrame;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;

class TDbg_PeekPokeForm : public ui::FactoryWindow {
 public:
  TDbg_PeekPokeForm(QWidget* owner, int card);

  void RestoreWindowState();
  void UpdateDisplay();
  void AppendPeekDump();

  // The operator's actions.
  void MenuFPGANumberClick();
  void MenuRegisterNumberClick();
  void MenuNumRegsToPeekClick();
  void MenuPokeValueClick();
  void CheckBoxCmdHexClick();
  void CheckBoxMemoHexClick();
  void ButtonPokeClick();
  void ButtonPeekClick();
  void ButtonClearMemoClick();
  // A right-click on the setup or command panel: its popup menu, while the FPGA is present.
  void PanelSetupPopup();
  void PanelCommandPopup();

  int Fpga() const { return fpga_; }
  int PokeRegister() const { return pokeRegister_; }
  int PeekRegister() const { return peekRegister_; }
  int PeekCount() const { return peekCount_; }
  std::uint32_t PokeValue() const { return pokeValue_; }
  // Lines in the dump (0 when it is empty).
  int DumpLineCount() const;

  // Components by their names.
  QFrame* PanelSetup = nullptr;
  QLabel* LabelFpgaNumber = nullptr;
  QLabel* LabelPokeRegister = nullptr;
  QLabel* LabelPeekRegister = nullptr;
  QLabel* LabelNumPeekLocations = nullptr;
  QLabel* LabelFpgaAddress = nullptr;
  QMenu* PopupMenuSetup = nullptr;
  QFrame* PanelCommand = nullptr;
  QLabel* LabelPokeValue = nullptr;
  QLabel* LabelPeekValue1 = nullptr;
  QPushButton* ButtonPoke = nullptr;
  QPushButton* ButtonPeek = nullptr;
  QCheckBox* CheckBoxCmdHex = nullptr;
  QMenu* PopupMenuCommand = nullptr;
  QPlainTextEdit* MemoDump = nullptr;
  QPushButton* ButtonClearMemo = nullptr;
  QCheckBox* CheckBoxMemoHex = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Appends a line to the dump unless it is full; false (after the warning) when it was.
  bool AppendDumpLine(const std::string& text);

  int fpga_ = 0;
  int pokeRegister_ = 0;
  int peekRegister_ = 0;
  int peekCount_ = 10;
  std::uint32_t pokeValue_ = 0;
  std::array<std::uint32_t, 4096> peekValues_{};
  int peekValuesRead_ = 0;  // registers the last peek read; 0 after a failed peek
  bool peekFailed_ = false;
  bool commandHex_ = true;
  bool dumpHex_ = true;
};
