#pragma once
// "System Options": the operator's editor of the option record. It edits the live record in place
// (each edit at once), Cancel (or closing the window) puts the record back as it was when the
// dialog opened, and the options file is written when it closes either way. It hosts the
// flight-record column form and opens the colour dialog.
#include <QDialog>

#include <array>

#include "config/options_record.h"

class QAbstractButton;
class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWidget;
class TFltParamOptionsEditForm;

class TVexaCmnOptionEditDlg final : public QDialog {
 public:
  static constexpr int kAffinityBoxes = 8;

  explicit TVexaCmnOptionEditDlg(QWidget* owner);
  ~TVexaCmnOptionEditDlg() override;

  // Reads the options file into the record, runs the dialog modally and writes the file.
  void EditOptions(config::kr20optinfo& record);
  bool Cancelled() const { return cancelled_; }
  TFltParamOptionsEditForm* FlightRecordForm() const { return fltForm_; }

  // ---- Handlers ------------------------------------------------------------------------------------
  void OKBtnClick();
  void CancelBtnClick();
  // Every plain check box and radio button: all flags and the rate into the record.
  void CheckBoxDisableSpeakerClick();
  // Priority and affinity controls; `clicked` is the control the operator clicked.
  void RadioPriorityNormalClick(QAbstractButton* clicked);
  void PanelMaxStrengthClick();
  void PanelMinStrengthClick();
  // Antenna correction factor of receiver `receiver` (0 .. 11).
  void PanelACF1Click(int receiver);
  void LabelDefaultCfSpanPctClick();
  void LabelMinEbNoLockClick();
  void LabelFmBitsyncConfidenceClick();
  void LabelFmFmPostDConfidenceClick();
  void LabelConstantMultiplierClick();
  void LabelPredNoiseFilterGainClick();
  void ButtonColorsClick();
  void ButtonDefaultColorsClick();

  // ---- Components (objectName = the component name) --------------------------------------------------
  QTabWidget* PageControl = nullptr;
  QRadioButton* RadioButton1Hz = nullptr;
  QRadioButton* RadioButton5Hz = nullptr;
  QRadioButton* RadioButton10Hz = nullptr;
  QRadioButton* RadioButton25Hz = nullptr;
  QCheckBox* CheckBoxSingleChannelUsage = nullptr;
  QRadioButton* RadioButtonLoadLastState = nullptr;
  QRadioButton* RadioButtonLoadLastSetupFile = nullptr;
  QCheckBox* CheckBoxAlwaysSaveSetups = nullptr;
  QLabel* PanelMaxStrength = nullptr;
  QLabel* PanelMinStrength = nullptr;
  QRadioButton* RadioPriorityNormal = nullptr;
  QRadioButton* RadioPriorityHigh = nullptr;
  QCheckBox* CheckBoxAllCpus = nullptr;
  std::array<QCheckBox*, kAffinityBoxes> CheckBoxCpu{};
  QCheckBox* CheckBoxRecallTestModOutputState = nullptr;
  QCheckBox* CheckBoxWarnCarrierPeakDeviationRange = nullptr;
  QCheckBox* CheckBoxViewTestModCarNoiseLevel = nullptr;
  QCheckBox* CheckBoxViewCarrierFreqSpan = nullptr;
  QCheckBox* CheckBoxMinLastStateSaves = nullptr;
  QCheckBox* CheckBoxAutoSetFreqSpan = nullptr;
  std::array<QLabel*, config::kAcfInfoCount> PanelACF{};
  QPushButton* ButtonColors = nullptr;
  QPushButton* ButtonDefaultColors = nullptr;
  std::array<QRadioButton*, 3> RadioDefaultColors{};
  QLabel* LabelConstantMultiplier = nullptr;
  QLabel* LabelMinEbNoLock = nullptr;
  QLabel* LabelFmBitsyncConfidence = nullptr;
  QLabel* LabelFmFmPostDConfidence = nullptr;
  QCheckBox* CheckBoxEnableBsEbNoAlg = nullptr;
  QLabel* LabelDefaultCfSpanPct = nullptr;
  QCheckBox* CheckBoxEnableIFCarAcqRgAlg = nullptr;
  QCheckBox* CheckBoxEnableIFCarFilterAlg = nullptr;
  QCheckBox* CheckBoxEnableIFCarCFAlg = nullptr;
  QCheckBox* CheckBoxUseDirectCifTuningMode = nullptr;
  QCheckBox* CheckBoxFmFmPostDOut2 = nullptr;
  QLabel* LabelPredNoiseFilterGain = nullptr;
  QWidget* PageFltRecordSetup = nullptr;
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;

 public:
  // Closing by the title bar or Escape counts as Cancel.
  void reject() override;

 private:
  QWidget* BuildOperationsPage();
  QWidget* BuildUtilityPage();
  QWidget* BuildCardSettingsPage();
  void SetUpProcessorControls();
  void ShowOptions();
  bool Quiet() const { return loading_ || updating_ || record_ == nullptr; }

  config::kr20optinfo* record_ = nullptr;
  config::kr20optinfo backup_{};
  bool loading_ = false;
  bool updating_ = false;
  bool cancelled_ = false;
  TFltParamOptionsEditForm* fltForm_ = nullptr;
};
