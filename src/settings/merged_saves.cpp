#include "settings/merged_saves.h"

#include <atomic>

#include "settings/last_setup.h"

namespace settings {
namespace {

std::atomic<PassEndQueue*> gQueue{nullptr};
std::atomic<bool> gPending{false};

}  // namespace

void InstallPassEndQueue(PassEndQueue* queue) {
  // The old queue may never come back to its pass end: what it holds is written now.
  MakePendingLastStateSave();
  gQueue = queue;
}

PassEndQueue* InstalledPassEndQueue() { return gQueue.load(); }

void RequestLastStateSave() {
  PassEndQueue* queue = gQueue.load();
  if (queue == nullptr) {
    SaveLastSetupStateFile();
    return;
  }
  // One call per pending save; the requests that follow ride on it.
  if (!gPending.exchange(true)) queue->CallAtPassEnd();
}

bool MakePendingLastStateSave() {
  if (!gPending.exchange(false)) return true;
  return SaveLastSetupStateFile();
}

bool LastStateSavePending() { return gPending.load(); }

}  // namespace settings
