#include "util/gui/about_box.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "platform/process_launcher.h"
#include "util/dialog_service.h"
#include "util/gui/log_viewer_window.h"
#include "util/log_viewer.h"
#include "util/process_globals.h"
#include "util/process_routines.h"

namespace util {

namespace {

QLabel* AddLabel(QWidget* parent, QVBoxLayout* layout, const char* name) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(label);
  return label;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  return last == '/' || last == '\\' ? folder + name : folder + '/' + name;
}

}  // namespace

TVopBorAboutBoxForm::TVopBorAboutBoxForm(QWidget* parent, std::unique_ptr<platform::ChildProcess>* viewer)
    : QDialog(parent), viewer_(viewer != nullptr ? viewer : &ownViewer_) {
  setObjectName(QStringLiteral("TVopBorAboutBoxForm"));
  auto* layout = new QVBoxLayout(this);
  productName_ = AddLabel(this, layout, "ProductName");
  QFont bold = productName_->font();
  bold.setBold(true);
  productName_->setFont(bold);
  version_ = AddLabel(this, layout, "Version");
  comments_ = AddLabel(this, layout, "Comments");
  comments_->setWordWrap(true);
  logFile_ = AddLabel(this, layout, "LogFile");

  auto* buttons = new QHBoxLayout;
  layout->addLayout(buttons);
  auto* viewLog = new QPushButton(QStringLiteral("View Error Log"), this);
  viewLog->setObjectName(QStringLiteral("ButtonViewErrorLog"));
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("OKButton"));
  ok->setDefault(true);
  buttons->addWidget(viewLog);
  buttons->addStretch();
  buttons->addWidget(ok);
  connect(viewLog, &QPushButton::clicked, this, [this] { ViewErrorLog(); });
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

TVopBorAboutBoxForm::~TVopBorAboutBoxForm() = default;

int TVopBorAboutBoxForm::ViewerPid() const { return *viewer_ != nullptr ? (*viewer_)->Pid() : 0; }

void TVopBorAboutBoxForm::SetInfo(const std::string& programName, const std::string& version,
                                  const std::string& notes, const std::string& logFolder,
                                  const std::string& logName) {
  logFilePath_ = JoinPath(logFolder, logName);
  setWindowTitle(QStringLiteral("About ") + QString::fromStdString(programName));
  productName_->setText(QString::fromStdString(programName));
  version_->setText(QStringLiteral("Version ") + QString::fromStdString(version));
  comments_->setText(QString::fromStdString(notes));
  logFile_->setText(QString::fromStdString(logFilePath_));
  if (boxPlacer_) boxPlacer_(*this);
  exec();
}

void TVopBorAboutBoxForm::ViewErrorLog() {
  std::string error;
  // The program folder's own log viewer, opened beside the box, else the desktop's. One viewer at
  // a time: the one started before is ended.
  const std::string ownViewer = ProgramFolder() + "/" + kLogViewerProgram;
  const bool haveOwn = access(ownViewer.c_str(), X_OK) == 0;
  TerminateLaunchedProcess(*viewer_);
  std::vector<std::string> arguments{logFilePath_};
  if (haveOwn) {
    // The viewer gets a frame like the box's.
    const QRect box = frameGeometry();
    const QRect client = geometry();
    const QMargins margins(client.left() - box.left(), client.top() - box.top(), box.right() - client.right(),
                           box.bottom() - client.bottom());
    const QSize size = QSize(kLogViewerWidth, kLogViewerHeight).grownBy(margins);
    const QRect frame = placer_ ? placer_(size) : QRect(ViewerPlace(size), size);
    for (std::string& argument : LogViewerPlaceArguments(frame, margins)) arguments.push_back(std::move(argument));
  }
  *viewer_ = platform::ChildProcess::Launch(haveOwn ? ownViewer : "xdg-open", arguments, "", &error);
  if (!*viewer_) Dialogs().ShowMessage("ERROR", "Unable to open the error log " + logFilePath_ + ": " + error);
}

QPoint TVopBorAboutBoxForm::ViewerPlace(QSize size) const {
  constexpr int kGap = 4;
  const QRect box = frameGeometry();
  const QScreen* shownOn = screen();
  const QRect area = shownOn != nullptr ? shownOn->availableGeometry() : QRect();
  const auto along = [](int wanted, int low, int high) { return std::max(low, std::min(wanted, high)); };
  const int x = along(box.left(), area.left(), area.right() + 1 - size.width());
  const int y = along(box.top(), area.top(), area.bottom() + 1 - size.height());
  const std::array<QPoint, 4> candidates{QPoint(box.right() + 1 + kGap, y), QPoint(box.left() - kGap - size.width(), y),
                                         QPoint(x, box.bottom() + 1 + kGap), QPoint(x, box.top() - kGap - size.height())};
  for (const QPoint& candidate : candidates) {
    if (area.contains(QRect(candidate, size))) return candidate;
  }
  // A screen too small for both: the viewer's corner farthest from the box.
  const bool right = box.center().x() < area.center().x();
  const bool below = box.center().y() < area.center().y();
  return QPoint(right ? area.right() + 1 - size.width() : area.left(), below ? area.bottom() + 1 - size.height() : area.top());
}

}  // namespace util
