#pragma once
// Pieces of the set manager's two automatic adjustments that the master timer drives
// (kr20setmgrclass::AutoAdjustIfTrackLoopBw, kr20setmgrclass::UpdateDualPcmFmOutputSelect),
// kept apart so that the decision rules can be tested without a card.
#include <string>

#include "settings/channel_status_record.h"

namespace settings {

// A tracking loop bandwidth this far (Hz) or further from the suggested value is replaced.
inline constexpr double kTrackLoopBwAdjustThresholdHz = 1000.0;

// Whether a stored bandwidth `currentHz` is replaced by `suggestedHz`.
bool TrackLoopBwNeedsAdjust(double currentHz, double suggestedHz);

// The channel's measured carrier frequency spread in MHz: the highest minus the lowest actual
// carrier frequency since the last acquisition restart. 0 while either is unset (0), not finite,
// or the spread is not positive, so that the suggestion falls back to the span option.
double MeasuredCarrierSpreadMhz(const ChannelStatusRecord& record);

// The debug-mode log line of an adjustment; `card` and `channel` count from 0, the values in Hz.
std::string TrackLoopBwAdjustLogText(int card, int channel, double suggestedHz, double currentHz);

// The output-select flag of a combined dual PCM/FM card: 1 (channel B) only when B's post-D
// Eb/No is strictly greater than A's; equal or unreadable (NaN) values keep channel A.
bool SelectsChannelB(double chanAEbNoDb, double chanBEbNoDb);

}  // namespace settings
