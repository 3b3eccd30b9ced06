#pragma once
namespace settings {

// True when the status record of the card's channel 0 already shows that route mode and that FPGA
// personality (the route information the status task copies from the card's setup). False for a
// card index outside 0..5 or before the set manager exists.
bool IsCurrentOperationMode(int card, int routeMode, int fpgaMode);

}  // namespace settings
