#pragma once
// A card's strip in the main window: its designation, the compact lock and strength panels of its
// channels (two independent ones, or one for the combined card) and its warning text.
#include <QWidget>

class QFrame;
class QLabel;
class TSM_Status_IndependentForm;
class TSM_Status_CombinerForm;

class TSM_MainStatusBarForm final : public QWidget {
 public:
  TSM_MainStatusBarForm(QWidget* host, int card);

  // Panel widths by the card's route mode.
  void ArrangePanels();
  // Designation, panels and warning; nothing until the panels exist.
  void UpdateDisplay();
  void UpdateWarning();
  void UpdateColors();
  // Deletes the three panels; the strip shows only its designation and warning after it.
  void FreeStatusPanels();

  int Card() const { return card_; }
  TSM_Status_IndependentForm* IndependentPanel(int channel) const;
  TSM_Status_CombinerForm* CombinerPanel() const { return combiner_; }

  QFrame* PanelMainStatus = nullptr;
  QLabel* PanelDesignation = nullptr;
  QFrame* PanelStatus1 = nullptr;
  QFrame* PanelStatus2 = nullptr;
  QFrame* PanelStatusWarning = nullptr;
  QLabel* LabelWarning = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void CreatePanels();

  bool panelsCreated_ = false;
  int card_;
  TSM_Status_IndependentForm* independent_[2] = {nullptr, nullptr};
  TSM_Status_CombinerForm* combiner_ = nullptr;
};
