#include "util/gui/qt_dialog_service.h"

#include <QApplication>
#include <QAction>
#include <QColorDialog>
#include <QCursor>
#include <QFileDialog>
#include <QMenu>
#include <QStringList>

#include "util/gui/clicked_window.h"
#include "util/gui/input_box.h"
#include "util/gui/qt_colour.h"

namespace util {

namespace {

QString FromStd(const std::string& text) { return QString::fromStdString(text); }

bool RunFileDialog(const FileDialogRequest& request, QFileDialog::AcceptMode mode, std::string& path) {
  QFileDialog dialog(QApplication::activeWindow(), FromStd(request.title), FromStd(request.initialFolder),
                     ToQtFileFilter(request.filter));
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  if (!request.proposedName.empty()) dialog.selectFile(FromStd(request.proposedName));
  if (dialog.exec() != QDialog::Accepted) return false;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return false;
  path = chosen.front().toStdString();
  return true;
}

}  // namespace

QString MenuCaptionText(const std::string& caption) {
  return FromStd(caption).replace(u'&', QStringLiteral("&&"));
}

QMessageBox::Icon MessageIconFor(const std::string& title) {
  if (title == "INFO") return QMessageBox::Information;
  if (title == "WARNING") return QMessageBox::Warning;
  if (title == "ERROR") return QMessageBox::Critical;
  return QMessageBox::NoIcon;
}

QString ToQtFileFilter(const std::string& filter) {
  const QStringList parts = FromStd(filter).split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    const QString patterns = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
    if (description.isEmpty() && patterns.isEmpty()) continue;
    if (patterns.isEmpty()) {
      filters.append(description);
      continue;
    }
    if (description.endsWith(u')')) {
      const qsizetype open = description.lastIndexOf(u'(');
      if (open >= 0) description = description.left(open).trimmed();
    }
    QStringList list = patterns.split(u';', Qt::SkipEmptyParts);
    for (QString& pattern : list) pattern = pattern.trimmed();
    const QString joined = list.join(u' ');
    filters.append(description.isEmpty() ? joined : description + QStringLiteral(" (") + joined + u')');
  }
  return filters.join(QStringLiteral(";;"));
}

QtDialogService::QtDialogService() : clicked_(std::make_unique<ClickedWindow>()) {}

QtDialogService::~QtDialogService() = default;

void QtDialogService::ShowMessage(const std::string& title, const std::string& text) {
  QMessageBox box(MessageIconFor(title), FromStd(title), FromStd(text), QMessageBox::Ok,
                  QApplication::activeWindow());
  box.setTextFormat(Qt::PlainText);  // a text with "<" is no markup
  box.exec();
}

bool QtDialogService::InputQuery(const std::string& title, const std::string& prompt, std::string& text) {
  InputBox box(InputBox::OwnerWindow(clicked_->Window()), FromStd(title), FromStd(prompt), FromStd(text));
  if (box.exec() != QDialog::Accepted) return false;
  text = box.Answer().toStdString();
  return true;
}

bool QtDialogService::OpenFile(const FileDialogRequest& request, std::string& path) {
  return RunFileDialog(request, QFileDialog::AcceptOpen, path);
}

bool QtDialogService::SaveFile(const FileDialogRequest& request, std::string& path) {
  return RunFileDialog(request, QFileDialog::AcceptSave, path);
}

bool QtDialogService::PickColour(TColor& colour) {
  const QColor chosen = QColorDialog::getColor(ToQColor(colour), QApplication::activeWindow());
  if (!chosen.isValid()) return false;
  colour = FromQColor(chosen);
  return true;
}

int QtDialogService::ChooseMenuItem(const MenuChoiceRequest& request) {
  QMenu menu(QApplication::activeWindow());
  menu.setObjectName(FromStd(request.menuName));
  for (std::size_t i = 0; i < request.items.size(); ++i) {
    if (!request.items[i].visible) continue;
    // Captions come from device and file lists: a "&" in them is a character.
    QAction* item = menu.addAction(MenuCaptionText(request.items[i].caption));
    item->setData(static_cast<int>(i));
  }
  if (menu.isEmpty()) return -1;
  const QPoint at = request.screenPosition ? QPoint(request.screenPosition->x, request.screenPosition->y) : QCursor::pos();
  const QAction* chosen = menu.exec(at);
  if (chosen == nullptr) return -1;
  bool ok = false;
  const int index = chosen->data().toInt(&ok);
  return ok ? index : -1;
}

Answer QtDialogService::AskYesNoCancel(const std::string& title, const std::string& text) {
  QMessageBox box(QMessageBox::Question, FromStd(title), FromStd(text),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QApplication::activeWindow());
  box.setTextFormat(Qt::PlainText);
  box.setEscapeButton(QMessageBox::Cancel);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    default:
      return Answer::Cancel;
  }
}

}  // namespace util
