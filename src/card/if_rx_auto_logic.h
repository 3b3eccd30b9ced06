#pragma once
// The automatic IF receiver logic (options of "IF RX AUTO LOGIC"): after a rate, code, modulation
// or Viterbi change it re-derives a channel's carrier acquisition range, its signal filter, the
// down-converter's limited output and tuning, the pre-D signal bandwidth and the PCM/FM carrier
// acquisition loop from the bit rate. The values reach the card through the set manager's setters,
// which the settings layer installs here at start-up (the card layer sits below it).
#include <cstdint>

namespace card {

// The set manager's setters the logic uses; each takes (card, channel, value) and mirrors to the
// other channel by the set manager's own rules.
class IfRxAutoSetters {
 public:
  virtual ~IfRxAutoSetters() = default;
  virtual void SetCarrierAcqRange(int card, int channel, double rangeHz) = 0;
  // IF bandwidth in MHz; the setter works the ratio out.
  virtual void SetSignalFilterBwRatio(int card, int channel, double ifBandwidthMhz) = 0;
  virtual void SetDnCvtLimitedOutputMode(int card, int channel, std::uint8_t limited) = 0;
  virtual void SetTunedFreq(int card, int channel, double freqMhz) = 0;
  virtual void SetPreDSignalBw(int card, int channel, double bandwidthHz) = 0;
  virtual void SetCarrierAcqLoopBw(int card, int channel, double bandwidth) = 0;
};

// The set manager installs itself (nullptr removes it); the object must outlive its installation.
void InstallIfRxAutoSetters(IfRxAutoSetters* setters);
IfRxAutoSetters* InstalledIfRxAutoSetters();

// For a card and channel with a positive bit rate, by option:
// - "EnableIFCarAcqRgAlg": SetCarrierAcqRange with the suggested range (SuggestCarrierAcqRange).
// - "EnableIFCarFilterAlg", for a channel tied to a down-converter whose selected IF filter is
//   fitted: SetSignalFilterBwRatio with that filter's bandwidth; SetDnCvtLimitedOutputMode (on for
//   a PCM/FM channel, whose receiver takes a limited IF, or while the card's combiner is usable);
//   SetTunedFreq with the converter's tuned frequency, so the converter retunes in its new mode;
//   and, on a card with a pre-D combiner and a non-zero Route Mode, SetPreDSignalBw with the
//   channel's signal bandwidth at its stored filter ratio.
// - "EnableIFCarCFAlg", for a PCM/FM channel: SetCarrierAcqLoopBw with SuggestFmCarrierAcqLoopBw.
// Without installed setters, without options or without the card it does nothing: there is no
// other road to the setters from this layer. A setter that runs the logic again is not followed.
void RunIfRxAutoLogic(int card, int channel);

}  // namespace card
