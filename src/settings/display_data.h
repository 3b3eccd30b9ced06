#pragma once
// Filling one display block from a card: the IQ pairs and spectrum points go straight from the
// card's buffer reads into the block, with no copy and no allocation
// (kr20setmgrclass::RefreshFftIqData walks every card and channel with this).
#include "settings/display_data_block.h"

namespace card {
class kr20cardclass;
}

namespace settings {

// What to read for a channel: IQ when the card has an IQ capture for it, the channel is neither
// PCM/FM nor PM nor multi-h CPM and the capture runs; the spectrum when the card has an FFT for
// it and the FFT is enabled (both "runs" asked of the card here).
struct DisplayReadPlan {
  bool IqCapable = false;
  bool FftCapable = false;
};

// Reads what the plan allows into `block`; a count from the card is limited to 0 .. 16384.
// Parts not read keep their contents and counts.
void RefreshDisplayBlock(const card::kr20cardclass& object, int channel, DisplayReadPlan plan, DisplayDataBlock& block);

}  // namespace settings
