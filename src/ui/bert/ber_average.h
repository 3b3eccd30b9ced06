#pragma once
// The BER averaging of a receive-BERT panel: once a second while the operator's averaging runs it
// counts a second, and when the chosen number of seconds is reached it takes the errors and bits
// the card counted over the period, then starts the next period.
#include <cstdint>
#include <functional>

namespace ui {

enum class BerAverageStatus { NoSync, Off, Acquiring, Complete };

// The card's running counters of one BERT.
struct BertCounters {
  double ErrorBits = 0.0;
  double TotalBits = 0.0;
};

struct BerAverageInputs {
  double Now = 0.0;          // the program clock, seconds
  bool Locked = false;       // the BERT's lock from the status record
  bool Running = false;      // the operator's "Start BER Avg" is down
  bool InputOn = false;      // the BERT's input source is on
  std::int32_t SampleLength = 1;  // seconds of a period
};

struct BerAverageStep {
  bool Acted = false;          // false within a second of the last step: nothing changed
  BerAverageStatus Status = BerAverageStatus::Off;
  double Progress = 0.0;       // 0..100
  bool PeriodComplete = false;
  bool Restarted = false;      // the card's counters went backwards: the period began again
  bool ReleaseButton = false;  // no lock: the averaging stops
};

class BerAverager {
 public:
  // A new period from the card's counters as they stand now.
  void Reset(const BertCounters& counters, double now);
  // The results of the last completed period are forgotten.
  void ClearResults();

  // One refresh. A sample length below 1 counts as 1. `read` gives the card's counters; it is
  // asked only while the averaging runs.
  BerAverageStep Update(const BerAverageInputs& in, const std::function<BertCounters()>& read);

  double AverageErrors() const { return averageErrors_; }
  double AverageBer() const { return averageBer_; }
  std::int32_t SecondsCounted() const { return secondsCounted_; }

 private:
  double startErrorBits_ = 0.0;
  double startTotalBits_ = 0.0;
  BertCounters lastSeen_{};
  double accumulatedErrors_ = 0.0;
  double bitsInPeriod_ = 0.0;
  double averageErrors_ = 0.0;
  double averageBer_ = 0.0;
  std::int32_t secondsCounted_ = 0;
  double lastTick_ = 0.0;
};

}  // namespace ui
