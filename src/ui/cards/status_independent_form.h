#pragma once
// One receiver channel in a card's status strip: the down-converter's signal strength, the IF
// detect lamp and the bit-sync lamps (a second one for the two streams of a dual-transmit card).
#include <QWidget>

class QLabel;
namespace util {
class StatusLamp;
}

class TSM_Status_IndependentForm final : public QWidget {
 public:
  TSM_Status_IndependentForm(QWidget* host, int channel, int card);

  // From the channel's status record; nothing once the card is beyond the card count.
  void UpdateDisplay();

  QLabel* LabelStrength = nullptr;
  util::StatusLamp* ShapeCarrierLock = nullptr;
  util::StatusLamp* ShapeBsLock = nullptr;
  util::StatusLamp* ShapeBsLock2 = nullptr;

 private:
  int card_;
  int channel_;
};
