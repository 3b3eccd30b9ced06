#include "util/gui/about_box.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <unistd.h>

#include "platform/process_launcher.h"
#include "util/dialog_service.h"
#include "util/log_viewer.h"
#include "util/process_globals.h"

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

TVopBorAboutBoxForm::TVopBorAboutBoxForm(QWidget* parent) : QDialog(parent) {
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

int TVopBorAboutBoxForm::ViewerPid() const { return viewer_ != nullptr ? viewer_->Pid() : 0; }

void TVopBorAboutBoxForm::SetInfo(const std::string& programName, const std::string& version,
                                  const std::string& notes, const std::string& logFolder,
                                  const std::string& logName) {
  logFilePath_ = JoinPath(logFolder, logName);
  setWindowTitle(QStringLiteral("About ") + QString::fromStdString(programName));
  productName_->setText(QString::fromStdString(programName));
  version_->setText(QStringLiteral("Version ") + QString::fromStdString(version));
  comments_->setText(QString::fromStdString(notes));
  logFile_->setText(QString::fromStdString(logFilePath_));
  exec();
}

void TVopBorAboutBoxForm::ViewErrorLog() {
  std::string error;
  // The program folder's own log viewer, else the desktop's. A viewer still running stays
  // running; the handle of an ended one is reaped here.
  const std::string ownViewer = ProgramFolder() + "/" + kLogViewerProgram;
  const bool haveOwn = access(ownViewer.c_str(), X_OK) == 0;
  viewer_ = platform::ChildProcess::Launch(haveOwn ? ownViewer : "xdg-open", {logFilePath_}, "", &error);
  if (!viewer_) Dialogs().ShowMessage("ERROR", "Unable to open the error log " + logFilePath_ + ": " + error);
}

}  // namespace util
