#pragma once
// The end of a pass of the Qt event loop for the merged last-state saves: one low-priority posted
// event, delivered after the events already queued, makes the pending save.
#include <QObject>

#include "settings/merged_saves.h"

namespace ui {

class PassEndSaveQueue final : public QObject, public settings::PassEndQueue {
 public:
  // Installs itself for as long as it lives; going away makes a pending save first.
  PassEndSaveQueue();
  ~PassEndSaveQueue() override;
  PassEndSaveQueue(const PassEndSaveQueue&) = delete;
  PassEndSaveQueue& operator=(const PassEndSaveQueue&) = delete;

  void CallAtPassEnd() override;

 protected:
  bool event(QEvent* event) override;
};

}  // namespace ui
