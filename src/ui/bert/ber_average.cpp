#include "ui/bert/ber_average.h"

#include <algorithm>

namespace ui {

void BerAverager::Reset(const BertCounters& counters, double now) {
  startErrorBits_ = counters.ErrorBits;
  startTotalBits_ = counters.TotalBits;
  lastSeen_ = counters;
  accumulatedErrors_ = 0.0;
  bitsInPeriod_ = 0.0;
  secondsCounted_ = 0;
  lastTick_ = now;
}

void BerAverager::ClearResults() {
  averageErrors_ = 0.0;
  averageBer_ = 0.0;
}

BerAverageStep BerAverager::Update(const BerAverageInputs& in, const std::function<BertCounters()>& read) {
  BerAverageStep step;
  if (in.Now - lastTick_ < 1.0) return step;
  step.Acted = true;
  if (!in.Locked) {
    // The last tick stays: without lock this repeats at every refresh.
    step.Status = BerAverageStatus::NoSync;
    step.ReleaseButton = true;
    return step;
  }
  if (!in.Running) {
    step.Status = BerAverageStatus::Off;
    return step;
  }
  lastTick_ = in.Now;
  if (in.InputOn) ++secondsCounted_;
  const std::int32_t length = std::max(in.SampleLength, 1);
  const BertCounters now = read ? read() : BertCounters{};
  // Counters that went back were reset (by the other channel, a remote command or the card):
  // differences across the reset mean nothing, so the period begins again from here.
  if (now.ErrorBits < lastSeen_.ErrorBits || now.TotalBits < lastSeen_.TotalBits) {
    Reset(now, in.Now);
    step.Status = BerAverageStatus::Acquiring;
    step.Restarted = true;
    return step;
  }
  lastSeen_ = now;
  if (secondsCounted_ < length) {
    step.Status = BerAverageStatus::Acquiring;
    step.Progress = static_cast<double>(secondsCounted_) / length * 100.0;
    return step;
  }
  accumulatedErrors_ += now.ErrorBits - startErrorBits_;
  bitsInPeriod_ = now.TotalBits - startTotalBits_;
  averageErrors_ = accumulatedErrors_ / secondsCounted_;
  averageBer_ = bitsInPeriod_ > 0.0 ? accumulatedErrors_ / bitsInPeriod_ : 1.0;
  step.Status = BerAverageStatus::Complete;
  step.Progress = 100.0;
  step.PeriodComplete = true;
  Reset(now, in.Now);
  return step;
}

}  // namespace ui
