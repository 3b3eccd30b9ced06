#include "ui/pass_end_save_queue.h"

#include <QCoreApplication>
#include <QEvent>

#include <memory>

namespace ui {
namespace {

const QEvent::Type kPassEndEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

}  // namespace

PassEndSaveQueue::PassEndSaveQueue() {
  setObjectName("PassEndSaveQueue");
  settings::InstallPassEndQueue(this);
}

PassEndSaveQueue::~PassEndSaveQueue() {
  if (settings::InstalledPassEndQueue() == this) settings::InstallPassEndQueue(nullptr);
}

void PassEndSaveQueue::CallAtPassEnd() {
  // Qt takes ownership of a posted event; a queued one dies with this object.
  QCoreApplication::postEvent(this, std::make_unique<QEvent>(kPassEndEvent).release(), Qt::LowEventPriority);
}

bool PassEndSaveQueue::event(QEvent* event) {
  if (event->type() != kPassEndEvent) return QObject::event(event);
  settings::MakePendingLastStateSave();
  return true;
}

}  // namespace ui
