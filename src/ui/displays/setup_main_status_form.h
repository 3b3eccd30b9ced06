#pragma once
// The status strip of one receiver channel inside a card window: from left to right the
// channel's spectrum display, its IQ display, a column of status values with the bit-sync and
// reference lamps, and the RSSI bar. Every value comes from the channel's status record, which
// the host window refreshes every 0.2 s (UpdateChannelStatus).
//
// Which parts show depends on the card's operation mode and on the receiver the card runs on the
// channel (ArrangeStatusPanel): the FM modes and FM receivers have no constellation and get a
// spectrum of twice the width and the peak deviation, and only a channel with a down-converter
// shows the RSSI bar and the reference lamp.
#include <QWidget>

#include "util/colour.h"

class QFrame;
class QLabel;
class TFft_WidgetForm;
class TSC_IQForm;

namespace card {
class kr20cardclass;
struct CardSetupRecord;
}  // namespace card

namespace ui {
class BarGauge;
}

class TSetupMainStatusForm final : public QWidget {
 public:
  // The panel fills `owner` and follows its size.
  TSetupMainStatusForm(QWidget* owner, int channel, int card);
  ~TSetupMainStatusForm() override;

  // The IQ display, then the spectrum display, each shown, initialised and coloured.
  void CreateChannelDisplays();
  // Sizes and shows the parts by the card's operation mode.
  void ArrangeStatusPanel();
  // Every 0.2 s, once the displays exist: the labels, the constellation, the spectrum.
  void UpdateChannelStatus();
  void UpdateStatusLabels();
  void ApplyStatusColours();
  // Closes and deletes the IQ display, then the spectrum display.
  void CloseChannelDisplays();

  int Card() const { return card_; }
  int Channel() const { return channel_; }
  bool DisplaysCreated() const { return displaysCreated_; }
  bool DownConverterPresent() const { return dnCvtPresent_; }
  TSC_IQForm* IqDisplay() const { return iqForm_; }
  TFft_WidgetForm* SpectrumDisplay() const { return fftForm_; }

  QFrame* PanelFftBackground1 = nullptr;
  QFrame* PanelFft1 = nullptr;
  QFrame* PanelIqBackground1 = nullptr;
  QFrame* PanelIq1 = nullptr;
  QFrame* PanelStatusCh1 = nullptr;
  QLabel* LabelStatusCh1 = nullptr;
  QLabel* LabelIfLevel1 = nullptr;
  QLabel* LabelEbNo1 = nullptr;
  QLabel* LabelPeakDeviation1 = nullptr;
  QLabel* LabelCarPwr1 = nullptr;
  QLabel* LabelCarFreq1 = nullptr;
  QFrame* ShapeBsLock1 = nullptr;
  QLabel* LabelBsLock1 = nullptr;
  QFrame* ShapeRefLock1 = nullptr;
  QLabel* LabelRefLock1 = nullptr;
  QFrame* PanelRssi = nullptr;
  QFrame* PanelRssiGauge = nullptr;
  ui::BarGauge* CGaugeCh1 = nullptr;
  QLabel* LabelStrength1 = nullptr;
  QFrame* PanelAgcZeroRssiPos1 = nullptr;

  // The captions of the value labels.
  QLabel* CaptionIfLevel = nullptr;
  QLabel* CaptionEbNo = nullptr;
  QLabel* CaptionPeakDeviation = nullptr;
  QLabel* CaptionCarPwr = nullptr;
  QLabel* CaptionCarFreq = nullptr;
  QLabel* CaptionBsLock = nullptr;
  QLabel* CaptionRefLock = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildStatusColumn();
  void BuildRssiPanel();
  void BindStatusContext();
  static void SetLamp(QFrame* lamp, QLabel* text, bool locked);

  int card_;
  int channel_;
  int dnCvtIndex_ = -1;
  bool dnCvtPresent_ = false;
  card::kr20cardclass* cardObject_ = nullptr;
  card::CardSetupRecord* setup_ = nullptr;
  bool displaysCreated_ = false;
  TSC_IQForm* iqForm_ = nullptr;
  TFft_WidgetForm* fftForm_ = nullptr;
};
