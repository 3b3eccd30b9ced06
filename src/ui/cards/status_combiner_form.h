#pragma once
// The combined card in its status strip: both channels' strengths and the IF detect and bit-sync
// lamps of the channel that carries the combined data (or of both, for the developer).
#include <QWidget>

class QLabel;
namespace util {
class StatusLamp;
}

class TSM_Status_CombinerForm final : public QWidget {
 public:
  TSM_Status_CombinerForm(QWidget* host, int card);

  // From both status records of the card; nothing once the card is beyond the card count.
  void UpdateCombinerStatus();

  QLabel* LabelStrengthChA = nullptr;
  QLabel* LabelStrengthChB = nullptr;
  util::StatusLamp* ShapeCarrierLockA = nullptr;
  util::StatusLamp* ShapeBsLockChA = nullptr;
  util::StatusLamp* ShapeCarrierLockB = nullptr;
  util::StatusLamp* ShapeBsLockChB = nullptr;

 private:
  void ShowCombinerLamps(int channel);
  void ShowCombinerLampsDeveloper(int channel, bool pskFm);

  int card_;
};
