#pragma once
// A card's test modulator window: the IF carrier, modulation, noise, the PCM encoders, the
// transmit BERTs, the subcarrier, routing, calibration and the frequency sweep. It talks to the
// card object directly and copies every change into the card's setup record.
#include <QWidget>
#include <array>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QMenu;
class QProgressBar;
class QRadioButton;
class QScrollBar;
class QTabWidget;
class QTimer;
class QToolButton;
namespace card {
class kr20cardclass;
struct CardSetupRecord;
}  // namespace card

class TSM_ModControlForm final : public QWidget {
 public:
  // The fifteen option lists behind the popup menus, in the order BuildMenus fills them.
  enum Menu {
    kModulationMode,
    kModulationType,
    kIQOutputRouting,
    kSymbolRouting,
    kInputPreProcessing,
    kIDataSource,
    kQDataSource,
    kPcmDataSource1,
    kPcmOutputCode1,
    kPcmDataSource2,
    kPcmOutputCode2,
    kSub1InputSource,
    kSub1ModulationType,
    kTxbPrnPattern1,
    kTxbPrnPattern2,
    kMenuCount
  };
  // How long Start waits for the engine to report running, in polls 100 ms apart.
  static constexpr int kStartPolls = 10;
  static constexpr int kStartPollMs = 100;

  explicit TSM_ModControlForm(int card, QWidget* owner = nullptr);
  ~TSM_ModControlForm() override;
  TSM_ModControlForm(const TSM_ModControlForm&) = delete;
  TSM_ModControlForm& operator=(const TSM_ModControlForm&) = delete;

  int Card() const { return card_; }
  bool Shown() const { return shown_; }
  bool Busy() const { return handlerDepth_ > 0; }
  // Deleted by the main window while a handler waits for the operator: the form frees itself
  // once that handler returns.
  void MarkClosed();

  void BuildMenus();
  void ArrangeForCard();
  void UpdateDisplay();
  void UpdateColors();
  void SaveWindowState();
  // The master timer's beat while the window is open: a running sweep moves on to its next
  // profile and shows its offset and progress without the operator touching the window.
  void SweepTick();
  bool SweepActive() const { return sweepActive_; }
  bool SweepPaused() const { return sweepPaused_; }
  bool StartPending() const { return startPolls_ > 0; }
  // One poll of a pending Start (what the wait timer calls every 100 ms).
  void PollStartWait();
  const std::vector<std::string>& OptionList(Menu menu) const { return lists_[menu]; }

  // ---- Handlers (the operator's actions) --------------------------------------------------------
  void LabelInputSourceClick();
  void CheckBoxClick(QCheckBox* box);
  void ScrollBarCarrierAmplitudeChange();
  void ScrollBarCarrierToNoiseChange();
  void PromptLabelClick(QLabel* label);
  void PopupLabelClick(QLabel* label);
  void MenuItemClick(Menu menu, const QAction* item);
  void RadixClick(QRadioButton* button);
  // Sweep.
  void MenuSweepRateClick();
  void MenuSwStartFreqClick();
  void MenuSwStopFreqClick() { PromptSweepStopFreq(0); }
  void MenuSwStopFreq2Click() { PromptSweepStopFreq(1); }
  void MenuSwStopFreq3Click() { PromptSweepStopFreq(2); }
  void MenuSwModeSingleClick() { SetSweepMode(true); }
  void MenuSwModeContinuousClick() { SetSweepMode(false); }
  void MenuSnapCenteratCycleCompleteClick();
  void CheckBoxSwStop1EnableClick();
  void CheckBoxSwStop2EnableClick();
  void SpeedButtonStartClick();
  void SpeedButtonPauseClick();
  void SpeedButtonStopClick();
  void PanelSweepRightClick();

  // ---- Components by their names ----------------------------------------------------------------
  QTabWidget* PageControlMain = nullptr;
  QTabWidget* PageControlTxBert = nullptr;
  QLabel* LabelInputSource = nullptr;
  QLabel* LabelCarrierFreq = nullptr;
  QLabel* LabelSweepOffsetCaption = nullptr;
  QLabel* LabelSweepOffset = nullptr;
  QLabel* LabelCarrierAmplitude = nullptr;
  QScrollBar* ScrollBarCarrierAmplitude = nullptr;
  QLabel* LabelModulationMode = nullptr;
  QLabel* LabelModulationType = nullptr;
  QCheckBox* CheckBoxCarrierEnabled = nullptr;
  QCheckBox* CheckBoxModulationEnabled = nullptr;
  QCheckBox* CheckBoxNoiseEnabled = nullptr;
  QLabel* LabelCarrierToNoiseCaption = nullptr;
  QLabel* LabelCarrierToNoise = nullptr;
  QScrollBar* ScrollBarCarrierToNoise = nullptr;
  QLabel* LabelEstEbNo = nullptr;
  std::array<QLabel*, 2> LabelPcmDataSource{};
  std::array<QLabel*, 2> LabelPcmOutputCode{};
  std::array<QWidget*, 2> TabSheetTxBert{};
  std::array<QLabel*, 2> LabelTxbDataRate{};
  std::array<QLabel*, 2> LabelTxbBer{};
  std::array<QLabel*, 2> LabelTxbPrnPattern{};
  std::array<QCheckBox*, 2> CheckBoxTxbClock{};
  std::array<QCheckBox*, 2> CheckBoxTxbData{};
  std::array<QFrame*, 2> PanelTxbUserPattern{};
  std::array<QLabel*, 2> LabelTxbUserPattern{};
  std::array<QLabel*, 2> LabelTxbUserPatternLen{};
  std::array<QRadioButton*, 2> RadioButtonTxbBin{};
  std::array<QRadioButton*, 2> RadioButtonTxbHex{};
  std::array<QRadioButton*, 2> RadioButtonTxbDec{};
  QFrame* PanelSubcarrier = nullptr;
  QLabel* LabelSub1InputSource = nullptr;
  QLabel* LabelSub1Modulation = nullptr;
  QLabel* LabelSub1Rate = nullptr;
  QLabel* LabelSub1ModIndex = nullptr;
  QFrame* PanelPmModIndex = nullptr;
  QLabel* LabelPmModIndex = nullptr;
  QFrame* PanelFmPeakDeviation = nullptr;
  QLabel* LabelFmPeakDeviation = nullptr;
  QFrame* PanelRouting = nullptr;
  QLabel* LabelIDataSource = nullptr;
  QLabel* LabelQDataSource = nullptr;
  QLabel* LabelIQRouting = nullptr;
  QLabel* LabelIPowerLevelCaption = nullptr;
  QLabel* LabelIPowerLevel = nullptr;
  QLabel* LabelQPowerLevelCaption = nullptr;
  QLabel* LabelQPowerLevel = nullptr;
  QLabel* LabelMaxOutputCal = nullptr;
  QLabel* LabelSymbolRouting = nullptr;
  QLabel* LabelInputPreprocessing = nullptr;
  QCheckBox* CheckBoxQpskConjugate = nullptr;
  // Per encoder: convolution encoding, swap G1 G2, invert G2, invert data, falling clock edge.
  std::array<std::array<QCheckBox*, 5>, 2> CheckBoxPcm{};
  std::array<QMenu*, kMenuCount> PopupMenus{};
  // Sweep panel.
  QFrame* PanelSweep = nullptr;
  QLabel* PanelSweepState = nullptr;
  QLabel* LabelSweepRate = nullptr;
  QLabel* LabelSwStartFreq = nullptr;
  std::array<QLabel*, 3> LabelSwStopFreqCaption{};
  std::array<QLabel*, 3> LabelSwStopFreq{};
  QLabel* LabelSweepMode = nullptr;
  QLabel* LabelSweepProgress = nullptr;
  QProgressBar* ProgressBarSweep = nullptr;
  QCheckBox* CheckBoxSwStop1Enable = nullptr;
  QCheckBox* CheckBoxSwStop2Enable = nullptr;
  std::array<QFrame*, 3> PanelSweepButton{};
  QToolButton* SpeedButtonStart = nullptr;
  QToolButton* SpeedButtonPause = nullptr;
  QToolButton* SpeedButtonStop = nullptr;
  QMenu* PopupMenuSweep = nullptr;
  QAction* MenuSweepRate = nullptr;
  QAction* MenuSwStartFreq = nullptr;
  std::array<QAction*, 3> MenuSwStopFreq{};
  QAction* MenuSwModeSingle = nullptr;
  QAction* MenuSwModeContinuous = nullptr;
  QAction* MenuSnapCenteratCycleComplete = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class ModHandlerScope;
  struct PromptField;
  struct CheckField;

  void BuildLayout();
  void BuildPrimaryTab(QWidget* tab);
  void BuildSecondaryTab(QWidget* tab);
  void BuildMiscTab(QWidget* tab);
  void BuildSweepPanel(QFrame* panel);
  void BuildTxBertTab(QWidget* tab, int bert);
  QLabel* ValueLabel(QWidget* parent, const char* name, int x, int y, int w);
  void FormShow();
  void FormCloseQuery();
  bool HasPreDCombiner() const;
  bool DualTransmit() const;
  void SetModulatorControlsEnabled(bool direct);
  void RefreshTxBertPanel(int bert);
  double EstimatedEbNo(double cNo) const;
  void Commit();
  bool Guarded() const;
  QMenu* MenuOfLabel(QLabel* label, Menu& menu) const;

  // Sweep.
  void RefreshSweepPanel();
  void RefreshSweepButtons();
  void RefreshSweepState();
  bool AdvanceSweepProfile();
  void StartSweep();
  void FinishStart(bool running);
  // What is wrong when the segment in use starts where it stops; empty when it has a range.
  std::string EmptySweepSegmentText() const;
  void CancelStartWait();
  void PauseSweep();
  void ClearRunState();
  void PromptSweepParameter(const std::string& title, int decimals, double lower, double upper, int field);
  void PromptSweepStopFreq(int stop);
  void SetSweepMode(bool single);

  int card_ = 0;
  card::kr20cardclass* object_ = nullptr;
  card::CardSetupRecord* setup_ = nullptr;
  std::array<std::vector<std::string>, kMenuCount> lists_{};
  bool shown_ = false;
  bool updating_ = false;
  bool closed_ = false;
  int handlerDepth_ = 0;
  bool sweepPresent_ = false;
  bool sweepActive_ = false;
  bool sweepRunning_ = false;
  bool sweepPaused_ = false;
  double lastSweepOffset_ = 0.0;
  double lastSweepProgress_ = 0.0;
  bool sglsMode_ = false;
  std::array<bool, 2> userPatternSelected_{};
  int startPolls_ = 0;
  QTimer* startWait_ = nullptr;
  std::vector<std::pair<QLabel*, bool>> clickLabels_;  // label, opens a popup (else a prompt)
  std::vector<PromptField> prompts_;
  std::vector<CheckField> checks_;
};
