#pragma once
// One receive-BERT panel of a card BERT window: the channel's BERT status (lock, inversion, bit
// rate, bits, errors, BER, counters), its settings (input source, clock polarity, pattern, user
// pattern, averaging length) and the BER averaging over that length, once or continuously.
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "ui/bert/ber_average.h"
#include "util/colour.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolButton;
class BertHandlerScope;

namespace card {
class kr20cardclass;
struct CardSetupRecord;
}  // namespace card
namespace util {
class StatusLamp;
}

inline constexpr util::TColor kBertGreen = 0x00FF00;
inline constexpr util::TColor kBertYellow = 0x00FFFF;
inline constexpr util::TColor kBertNotApplicable = 0xC0C0C0;
inline constexpr util::TColor kBertInputOff = 0x808080;

class TSM_BertControlForm final : public QWidget {
 public:
  // Placed into `parent` (a panel of the card BERT window), filling it.
  TSM_BertControlForm(QWidget* parent, int channel, int card, std::function<double()> clock);
  ~TSM_BertControlForm() override;
  TSM_BertControlForm(const TSM_BertControlForm&) = delete;
  TSM_BertControlForm& operator=(const TSM_BertControlForm&) = delete;

  int Card() const { return card_; }
  int Channel() const { return channel_; }
  bool Shown() const { return shown_; }
  void ClearShown() { shown_ = false; }
  // Taken out of its window while one of its handlers waits for the operator: hidden, never
  // refreshed or acting again, and freed once that handler has returned.
  void MarkClosed();
  bool Busy() const { return handlerDepth_ > 0; }
  const ui::BerAverager& Averager() const { return averager_; }

  void FormShow();
  void FormClose();
  void UpdateDisplay();
  void UpdateBerAverage();
  void BuildMenus();
  void ResetAveraging();
  void UpdateColors();

  // The operator's actions.
  void LabelInputSourceClick();
  void LabelClockPolarityClick();
  void ClockPolarityItemClick(const QAction* item);
  void LabelPrnPatternClick();
  void PrnPatternItemClick(const QAction* item);
  void LabelUserPatternClick();
  void LabelBerSampleLengthClick();
  void ButtonResetStatsClick();
  void RadioBinClick();
  void RadioBerAvgSingleClick();
  void SpeedButtonBerAvgGoClick();

  // Components by the names the operator's tools and tests know them by.
  QFrame* PanelStatus = nullptr;
  QFrame* PanelConfig = nullptr;
  QFrame* PanelUserPattern = nullptr;
  QFrame* PanelBerAvg = nullptr;
  QFrame* PanelBerAvgResults = nullptr;
  QLabel* LabelLock = nullptr;
  util::StatusLamp* ShapeLock = nullptr;
  QLabel* LabelInvert = nullptr;
  util::StatusLamp* ShapeInvert = nullptr;
  QLabel* LabelBitRate = nullptr;
  QLabel* LabelTotalBits = nullptr;
  QLabel* LabelErrorBits = nullptr;
  QLabel* LabelBer = nullptr;
  QLabel* LabelCounterCaption = nullptr;
  QLabel* LabelCounter = nullptr;
  QLabel* LabelInversionCount = nullptr;
  QLabel* LabelInputSource = nullptr;
  QLabel* LabelClockPolarity = nullptr;
  QLabel* LabelPrnPattern = nullptr;
  QLabel* LabelUserPattern = nullptr;
  QLabel* LabelUserPatternLength = nullptr;
  QRadioButton* RadioDec = nullptr;
  QRadioButton* RadioHex = nullptr;
  QRadioButton* RadioBin = nullptr;
  QPushButton* ButtonResetStats = nullptr;
  QLabel* LabelBerSampleLength = nullptr;
  QRadioButton* RadioBerAvgSingle = nullptr;
  QRadioButton* RadioBerAvgContinuous = nullptr;
  QToolButton* SpeedButtonBerAvgGo = nullptr;
  QProgressBar* ProgressBarBerAvg = nullptr;
  QLabel* PanelBerAvgStatus = nullptr;
  QLabel* LabelAvgErrors = nullptr;
  QLabel* LabelAvgBer = nullptr;
  QMenu* PopupMenuClockPolarity = nullptr;
  QMenu* PopupMenuPrnPattern = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildLayout();
  void RebuildMenu(QMenu* menu, const char* itemName, const std::vector<std::string>& entries, bool patterns);
  // The steps every setting change ends with: reset stats, setup edited, last state saved, refresh.
  void AfterSetting();
  ui::BertCounters ReadCounters() const;
  bool Locked() const;
  bool InputOn() const;
  void ShowInputOff();
  void ShowAverageStatus(ui::BerAverageStatus status, double progress);

  int card_ = 0;
  int channel_ = 0;
  card::kr20cardclass* object_ = nullptr;
  card::CardSetupRecord* setup_ = nullptr;
  std::function<double()> clock_;
  bool pcmFm_ = false;
  bool shown_ = false;
  bool updating_ = false;
  bool userPatternMode_ = false;
  std::vector<std::string> clockPolarities_;
  std::vector<std::string> patterns_;
  ui::BerAverager averager_;
  bool closed_ = false;
  int handlerDepth_ = 0;
  friend class BertHandlerScope;
  ui::BerAverageStatus shownStatus_ = ui::BerAverageStatus::Off;
};
