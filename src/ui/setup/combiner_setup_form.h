#pragma once
// The "Combiner" tab of a channel's setup panel: the card's two diversity combiners. The pre-D
// group shows and sets the combining mode, signal bandwidth, time constants, noise-estimate mode
// and per input channel the centre frequency and fixed noise, with the measured noise per
// channel; the post-D group its combining mode and diversity output, with Eb/No and scale per
// channel and the combined gain. The combiners belong to the card: nothing here is repeated for
// the other channel.
#include "ui/setup/setup_page.h"

class TSM_CombinerSetupForm final : public setup::SetupPage {
  Q_OBJECT

 public:
  TSM_CombinerSetupForm(QWidget* host, int card, int channel);
};
