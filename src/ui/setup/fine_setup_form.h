#pragma once
// The "Signal" tab of a channel's setup panel: the carrier loop (digital IF filter bandwidth,
// carrier centre frequency, acquisition range and mode, acquisition and tracking loop bandwidths,
// signal threshold), the receiver's input source and, on PCM/FM channels, the peak deviation
// index and its delta. Rows, units and limits follow the channel's receiver family.
#include "ui/setup/setup_page.h"

class TSM_FineSetupForm final : public setup::SetupPage {
  Q_OBJECT

 public:
  TSM_FineSetupForm(QWidget* host, int card, int channel);

  // The menus are rebuilt first: which input sources are offered depends on the routing.
  void UpdateVisibility() override;
};
