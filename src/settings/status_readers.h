#pragma once
// The value rules of the status snapshot that the timer tasks of the set manager apply
// (kr20setmgrclass::RefreshChannelStatus and its siblings, status_readers.cpp).
#include <cstdint>
#include <string_view>

#include "settings/channel_status_record.h"

namespace settings {

// Offsets the receivers report their carrier around, and the window outside which a Route
// Mode 1 receiver is taken to see the carrier 7.5 MHz off.
inline constexpr double kNominalCarrierHz = 70'000'000.0;
inline constexpr double kRouteMode1WindowLowHz = 69'000'000.0;
inline constexpr double kRouteMode1WindowHighHz = 71'000'000.0;
inline constexpr double kRouteMode1OffsetHz = 7'500'000.0;
// At or below this Eb/No (dB) a PCM/FM channel's transmitter is pulsed as digital again.
inline constexpr double kXmitterDigitalEbNoDb = 6.0;

// Modulations that carry two bits per symbol: the bit rate shown is twice the symbol rate.
bool IsDoubleRateModulation(std::string_view modulation);
// 0 "NRZL" .. 5 "BIOS"; -1 for any other text (the field is then left as it was).
int PcmOutputCodeNumber(std::string_view code);
// The lock after the Eb/No rule: a locked bit sync below `minEbNoDb` counts as unlocked while
// the rule is enabled.
bool QualifiedBitSyncLock(bool locked, double ebNoDb, bool ruleEnabled, double minEbNoDb);
// Highest and lowest of the actual carrier frequency: a field that is exactly 0 first becomes
// `startHz` (70 MHz for PSK and PCM/FM, the current value for PM and multi-h CPM).
void TrackCarrierExtremes(ReceiverStatusBlock& block, double startHz);
// The bit error rate text of the card; -1.0 when it is not a number.
double BitErrorRateFromText(std::string_view text);
// A text into a fixed status field, cut and NUL-terminated, the rest zeroed.
void PutStatusText(char (&field)[kStatusTextLen], std::string_view text);

}  // namespace settings
