#include "util/gui/input_box.h"

#include <algorithm>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QShowEvent>
#include <QStringList>
#include <QVBoxLayout>

#include "util/gui/window_frame.h"
#include "util/process_globals.h"

namespace util {

namespace {

constexpr int kMinimumWidth = 280;
constexpr int kTextMargin = 40;

QLabel* PlainLabel(QWidget* parent, const QString& name, const QString& text) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);  // no rich text, no shortcut marker
  label->setText(text);
  return label;
}

}  // namespace

InputBox::InputBox(QWidget* parent, const QString& title, const QString& prompt, const QString& offered)
    : QDialog(parent) {
  setObjectName(QStringLiteral("InputBox"));
  const QStringList lines = title.split(u'\n');
  setWindowTitle(lines.front());
  auto* layout = new QVBoxLayout(this);
  auto* question = PlainLabel(this, QStringLiteral("InputBoxTitle"), title);
  auto* range = PlainLabel(this, QStringLiteral("InputBoxPrompt"), prompt);
  editor_ = new QLineEdit(offered, this);
  editor_->setObjectName(QStringLiteral("InputBoxEditor"));
  editor_->selectAll();
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(question);
  layout->addWidget(range);
  layout->addWidget(editor_);
  layout->addWidget(buttons);

  // Wide enough for the longest line, the window title's included.
  const QFontMetrics metrics(font());
  int widest = kMinimumWidth;
  QStringList all = lines;
  all.append(prompt.split(u'\n'));
  for (const QString& line : all) widest = std::max(widest, metrics.horizontalAdvance(line) + kTextMargin);
  setMinimumWidth(widest);
  editor_->setFocus();
}

QString InputBox::Answer() const { return editor_->text(); }

QWidget* InputBox::OwnerWindow(QWidget* clicked) {
  if (clicked != nullptr) return clicked;
  if (QWidget* active = QApplication::activeWindow(); active != nullptr) return active->window();
  // No window of the program is active (the operator clicked elsewhere): the main window.
  auto* mainWindow = dynamic_cast<QWidget*>(MainWindowHandle.load());
  if (mainWindow != nullptr && mainWindow->isVisible()) return mainWindow;
  return nullptr;
}

void InputBox::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) PlaceCentred();
}

void InputBox::PlaceCentred() {
  adjustSize();
  const QWidget* owner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
  QScreen* screen = owner != nullptr ? owner->screen() : this->screen();
  const QRect area = screen != nullptr ? screen->availableGeometry() : QRect();
  const QPoint centre = owner != nullptr ? owner->frameGeometry().center() : area.center();
  // The whole frame is centred and kept on the screen, title bar included: before the box is
  // mapped its frame is known from the program's other frames, or from the window manager's answer
  // to an earlier ask.
  const QMargins margins = FrameMargins(*this);
  QRect box(QPoint(0, 0), size().grownBy(margins));
  box.moveCenter(centre);
  if (area.isValid()) {
    box.moveLeft(std::clamp(box.left(), area.left(), std::max(area.left(), area.right() - box.width() + 1)));
    box.moveTop(std::clamp(box.top(), area.top(), std::max(area.top(), area.bottom() - box.height() + 1)));
  }
  MoveFrameTo(*this, box.topLeft());
}

}  // namespace util
