#pragma once
// A value of a setup page: a label that reports a left-button click.
#include <QLabel>

class QMouseEvent;

namespace setup {

class ValueLabel final : public QLabel {
  Q_OBJECT

 public:
  explicit ValueLabel(QWidget* parent);

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace setup
