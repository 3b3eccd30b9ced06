#pragma once
// The "Output" tab of a channel's setup panel: how the decoded streams leave the card (stream
// control, stream swap, inversion and recombine locations of the PSK signal routing) and the
// channel's Viterbi decoder (enable, rate mode, symbol order, G1/G2 inversion, lock lamp and
// error rates). The routing goes to the card object and the setup record directly; the Viterbi
// settings through the set manager.
#include "ui/setup/setup_page.h"

class TSM_OutputsSetupForm final : public setup::SetupPage {
  Q_OBJECT

 public:
  TSM_OutputsSetupForm(QWidget* host, int card, int channel);
};
