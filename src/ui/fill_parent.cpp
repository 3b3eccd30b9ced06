#include "ui/fill_parent.h"

#include <QEvent>
#include <QResizeEvent>
#include <QWidget>

namespace ui {

namespace {

class ParentFollower final : public QObject {
 public:
  explicit ParentFollower(QWidget* child) : QObject(child), child_(child) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == child_->parentWidget() && event->type() == QEvent::Resize) {
      child_->setGeometry(QRect(QPoint(0, 0), static_cast<QResizeEvent*>(event)->size()));
    }
    return false;
  }

 private:
  QWidget* child_;
};

}  // namespace

void FillParent(QWidget* child) {
  QWidget* parent = child->parentWidget();
  if (parent == nullptr) return;
  child->setGeometry(parent->rect());
  // Once per child: a second call would only add a second follower.
  for (const QObject* object : child->children()) {
    if (dynamic_cast<const ParentFollower*>(object) != nullptr) return;
  }
  parent->installEventFilter(new ParentFollower(child));
}

}  // namespace ui
