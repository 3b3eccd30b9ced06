#include "util/gui/log_viewer_window.h"

#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

namespace util {

std::vector<std::string> LogViewerPlaceArguments(const QRect& frame, const QMargins& margins) {
  std::vector<std::string> arguments{std::to_string(frame.x()), std::to_string(frame.y())};
  const QSize window = frame.size().shrunkBy(margins);
  if (window.width() < kLogViewerWidth || window.height() < kLogViewerHeight) {
    arguments.push_back(std::to_string(window.width()));
    arguments.push_back(std::to_string(window.height()));
  }
  return arguments;
}

LogViewerWindow::LogViewerWindow(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("LogViewerWindow"));
  auto* layout = new QVBoxLayout(this);
  fileName_ = new QLabel(this);
  fileName_->setObjectName(QStringLiteral("LogFileName"));
  fileName_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  text_ = new QPlainTextEdit(this);
  text_->setObjectName(QStringLiteral("LogText"));
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  // The log's columns line up only in a fixed-pitch font.
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  layout->addWidget(fileName_);
  layout->addWidget(text_);
  resize(kLogViewerWidth, kLogViewerHeight);
}

bool LogViewerWindow::Load(const std::string& path) {
  const QString name = QString::fromStdString(path);
  setWindowTitle(QStringLiteral("Error Log - ") + name);
  fileName_->setText(name);
  QFile file(name);
  if (!file.open(QIODevice::ReadOnly)) {
    text_->setPlainText(QStringLiteral("Cannot read ") + name + QStringLiteral(": ") + file.errorString());
    return false;
  }
  // The log is written with Windows line ends.
  QString contents = QString::fromUtf8(file.readAll());
  contents.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text_->setPlainText(contents);
  // The newest lines are the ones looked for.
  text_->verticalScrollBar()->setValue(text_->verticalScrollBar()->maximum());
  text_->moveCursor(QTextCursor::End);
  return true;
}

}  // namespace util
