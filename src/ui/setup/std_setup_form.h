#pragma once
// The "Rcvr" tab of a channel's setup panel: tuned frequency, modulation, data rate (and the
// second bit sync's rate), PCM input and output codes, bit-sync loop widths, the down-converter's
// SAW IF filter and AGC time constant, and the output data and clock polarity.
#include "ui/setup/setup_page.h"

class TSM_StdSetupForm final : public setup::SetupPage {
  Q_OBJECT

 public:
  TSM_StdSetupForm(QWidget* host, int card, int channel);
};
