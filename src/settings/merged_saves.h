#pragma once
// Last-state saves asked for within one pass of the event loop are made once, at its end: at
// start-up every card's mode change asks for the whole last state (the common file and one file
// per card), and n cards would otherwise rewrite n + 1 files n times. A save is never skipped,
// only merged: the one made at the end writes the state as it then stands, which is what the
// last of the merged saves would have written.
//
// The settings layer knows no event loop; the user interface installs where the end of a pass is.
// Without an installed queue every save is made at once.

namespace settings {

class PassEndQueue {
 public:
  virtual ~PassEndQueue() = default;
  // Arranges one call of MakePendingLastStateSave() once the current pass of the event loop has
  // done its other work. Called once per pending save; may be called from any thread.
  virtual void CallAtPassEnd() = 0;
};

// Installs the queue (nullptr removes it); a save still pending is made first. The queue must
// outlive its installation.
void InstallPassEndQueue(PassEndQueue* queue);
PassEndQueue* InstalledPassEndQueue();

// A last-state save: at once without a queue, else at the end of the current pass, merged with
// the others asked for in it.
void RequestLastStateSave();
// Makes the pending save now, if there is one (before the shut-down's own saves, before the files
// are read). False only when the save was made and failed.
bool MakePendingLastStateSave();
bool LastStateSavePending();

}  // namespace settings
