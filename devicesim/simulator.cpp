#include "devicesim/simulator.h"

namespace quorxsim {

Simulator& Simulator::Instance() {
  static Simulator simulator;
  return simulator;
}

Simulator::Simulator() { Build(); }

void Simulator::Build() {
  const SimConfig config = LoadSimConfig();
  const std::int64_t now = SimClock::Instance().NowNs();
  std::vector<std::unique_ptr<Card>> cards;
  for (int i = 0; i < config.cards; ++i) {
    cards.push_back(std::make_unique<Card>(i, config.card[static_cast<std::size_t>(i)], config.seed, now));
  }
  cards_ = std::move(cards);
}

void Simulator::Reset() {
  std::unique_lock structure(mutex_);
  Build();
}

int Simulator::CardCount() {
  std::shared_lock structure(mutex_);
  return static_cast<int>(cards_.size());
}

}  // namespace quorxsim
