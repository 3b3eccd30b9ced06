#pragma once
// The program's about box: name, version, notes and the error log, which the operator can open
// in the program folder's log viewer (the desktop's viewer when the folder has none).
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include <QDialog>
#include <QRect>
#include <QSize>

class QLabel;

namespace platform {
class ChildProcess;
}

namespace util {

class TVopBorAboutBoxForm : public QDialog {
  Q_OBJECT

 public:
  // The viewer "View Error Log" starts is kept in `viewer` when given (the program ends it when it
  // ends), else in the box.
  explicit TVopBorAboutBoxForm(QWidget* parent = nullptr, std::unique_ptr<platform::ChildProcess>* viewer = nullptr);
  ~TVopBorAboutBoxForm() override;

  // Fills the box and shows it modally; returns when the operator closes it. The error log is
  // `logName` in `logFolder`; `logName` is the file's full name.
  void SetInfo(const std::string& programName, const std::string& version, const std::string& notes,
               const std::string& logFolder, const std::string& logName);

  // Puts the box in its place before it shows; without it Qt centres the box on its parent.
  void SetBoxPlacer(std::function<void(QWidget&)> placer) { boxPlacer_ = std::move(placer); }
  // Where the viewer's frame goes, asked with the frame's size; without it, beside the box.
  void SetViewerPlacer(std::function<QRect(QSize)> placer) { placer_ = std::move(placer); }

  const std::string& LogFilePath() const { return logFilePath_; }
  // The viewer the "View Error Log" button started last; 0 when none.
  int ViewerPid() const;

 private:
  void ViewErrorLog();
  // Where the viewer's frame goes: beside the box (or above or below it) on the screen.
  QPoint ViewerPlace(QSize frameSize) const;

  QLabel* productName_;
  QLabel* version_;
  QLabel* comments_;
  QLabel* logFile_;
  std::string logFilePath_;
  std::unique_ptr<platform::ChildProcess> ownViewer_;
  std::unique_ptr<platform::ChildProcess>* viewer_;
  std::function<QRect(QSize)> placer_;
  std::function<void(QWidget&)> boxPlacer_;
};

}  // namespace util
