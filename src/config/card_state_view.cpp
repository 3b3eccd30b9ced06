#include "config/card_state_view.h"

#include <atomic>

namespace config {

namespace {
std::atomic<const CardStateView*> gView{nullptr};
}

void SetCardStateView(const CardStateView* view) { gView = view; }

const CardStateView* GetCardStateView() { return gView; }

}  // namespace config
