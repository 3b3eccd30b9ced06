#pragma once
// The program's dialog service: Qt message boxes, input boxes, file and colour dialogs, each
// modal and owned by the active window; an input box by the window the operator clicked.
#include <memory>
#include <string>

#include <QMessageBox>
#include <QString>

#include "util/dialog_service.h"

namespace util {

class ClickedWindow;

class QtDialogService final : public DialogService {
 public:
  QtDialogService();
  ~QtDialogService() override;
  QtDialogService(const QtDialogService&) = delete;
  QtDialogService& operator=(const QtDialogService&) = delete;

  void ShowMessage(const std::string& title, const std::string& text) override;
  bool InputQuery(const std::string& title, const std::string& prompt, std::string& text) override;
  bool OpenFile(const FileDialogRequest& request, std::string& path) override;
  bool SaveFile(const FileDialogRequest& request, std::string& path) override;
  bool PickColour(TColor& colour) override;
  int ChooseMenuItem(const MenuChoiceRequest& request) override;
  Answer AskYesNoCancel(const std::string& title, const std::string& text) override;

 private:
  // Input boxes open over the window the operator clicked.
  std::unique_ptr<ClickedWindow> clicked_;
};

// The box icon for a message title: "INFO", "WARNING" and "ERROR" get their icons, others none.
QMessageBox::Icon MessageIconFor(const std::string& title);

// A menu item's caption that shows the text as it is: Qt menus take "&" as a shortcut marker.
QString MenuCaptionText(const std::string& caption);

// Converts a filter in the "description|pattern|description|pattern" form, patterns separated by
// ';', to Qt's "description (pattern pattern);;..." form. A description that already ends in a
// parenthesised pattern list has it replaced, since Qt takes the patterns from the parentheses.
QString ToQtFileFilter(const std::string& filter);

}  // namespace util
