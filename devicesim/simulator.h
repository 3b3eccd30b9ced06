#pragma once
// The simulated cards of the receiver-card library: built from the configuration on first use,
// rebuilt by Reset. Every entry point reaches a card through WithCard, which holds the card
// table shared (Reset holds it exclusively) and the card's own mutex, and first brings the card
// up to the simulated clock. An entry point that only reads says so: the card then counts as
// unchanged by it, and may answer the next read from the same step (Card::AdvanceTo).
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <vector>

#include "card/device_status.h"
#include "devicesim/sim_card.h"
#include "devicesim/sim_clock.h"
#include "devicesim/sim_config.h"

namespace quorxsim {

// What an entry point does to a card: only reads it, or may change it (the safe default).
enum class Access { kRead, kWrite };

class Simulator {
 public:
  static Simulator& Instance();

  // Reloads the configuration; every card starts again from power-up.
  void Reset();
  int CardCount();

  // Runs body(card) on card `index`; kDevBadCard for an index outside the cards found, and, when
  // `requireOpen`, for a closed card.
  template <class Body>
  int WithCard(int index, bool requireOpen, Body&& body, Access access = Access::kWrite) {
    std::shared_lock structure(mutex_);
    if (index < 0 || static_cast<std::size_t>(index) >= cards_.size()) return card::kDevBadCard;
    Card& c = *cards_[static_cast<std::size_t>(index)];
    std::lock_guard lock(c.mutex);
    c.AdvanceTo(SimClock::Instance().NowNs());
    if (requireOpen && !c.open) return card::kDevBadCard;
    // Marked before the body runs, so a body that fails halfway still counts as a change.
    if (access == Access::kWrite) c.MarkChanged();
    return body(c);
  }

 private:
  Simulator();
  void Build();

  std::shared_mutex mutex_;
  std::vector<std::unique_ptr<Card>> cards_;
};

}  // namespace quorxsim
