#pragma once
// The input box behind every prompt: the question (every line of it), the prompt text and an
// editor offering the current value, with OK and Cancel. Texts are shown as they are: a "&" is a
// character, never a shortcut marker. A window manager draws only one title line, so the box
// shows all of them itself and the window title keeps the first.
#include <QDialog>
#include <QString>

class QLineEdit;
class QWidget;

namespace util {

class InputBox final : public QDialog {
 public:
  // `title` may hold several lines ("\n"); `prompt` is the range text.
  InputBox(QWidget* parent, const QString& title, const QString& prompt, const QString& offered);

  QString Answer() const;

  // The window the box opens over: `clicked` (the window the operator clicked) when given, else
  // the active window, else the main window, else none.
  static QWidget* OwnerWindow(QWidget* clicked = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Centred on the owner window, else on its screen, and kept on the screen.
  void PlaceCentred();

  QLineEdit* editor_ = nullptr;
};

}  // namespace util
