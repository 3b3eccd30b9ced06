#pragma once
// The file poke window of a card (a factory tool): reads register/value pairs from a poke file
// and writes them all, in file order, into FPGA 1 or 2 of the card with one button.
#include <string>
#include <vector>

#include "ui/factory/factory_window.h"
#include "ui/factory/poke_file.h"

class QCheckBox;
class QFrame;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;

class TDbg_FilePokeForm : public ui::FactoryWindow {
 public:
  TDbg_FilePokeForm(QWidget* owner, int card);

  void RestoreWindowState();
  void UpdateDisplay();
  // True when at least one pair was read; the pairs replace the loaded ones.
  bool ReadPokeFile(const std::string& fileName);

  // The operator's actions.
  void MenuFPGANumberClick();
  void ButtonReadFileClick();
  void ButtonPokeClick();
  void ButtonClearMemoClick();
  void CheckBoxMemoHexClick();
  // A right-click on the setup panel: its popup menu, while the FPGA is present.
  void PanelSetupPopup();

  int Fpga() const { return fpga_; }
  int EntryCount() const { return static_cast<int>(pairs_.size()); }
  const std::vector<factory::PokePair>& Pairs() const { return pairs_; }
  const std::string& FileName() const { return fileName_; }

  // Components by their names.
  QFrame* PanelSetup = nullptr;
  QLabel* LabelFpgaNumber = nullptr;
  QLabel* LabelFpgaAddress = nullptr;
  QMenu* PopupMenuSetup = nullptr;
  QFrame* PanelCommand = nullptr;
  QLabel* LabelPokeFile = nullptr;
  QLabel* LabelNumPokeLocations = nullptr;
  QPushButton* ButtonReadFile = nullptr;
  QPushButton* ButtonPoke = nullptr;
  QCheckBox* CheckBoxCmdHex = nullptr;
  QPlainTextEdit* MemoDump = nullptr;
  QPushButton* ButtonClearMemo = nullptr;
  QCheckBox* CheckBoxMemoHex = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ListPairs();

  int fpga_ = 0;
  std::vector<factory::PokePair> pairs_;
  bool dumpHex_ = true;
  std::string fileName_;
};
