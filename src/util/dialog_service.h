#pragma once
// Message boxes, input boxes, file and colour dialogs go through one service, so that the
// program shows Qt dialogs and tests answer from a script. Until a service is installed, boxes
// are not shown and every dialog is cancelled.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "util/colour.h"

namespace util {

struct FileDialogRequest {
  std::string title;          // "Open File" / "Save File"
  std::string initialFolder;
  std::string filter;         // "File Type (*.VexA)|*.VexA"
  std::string proposedName;   // base name offered in the name field
};

// A popup menu: the menu's component name and its items in order. It opens at the mouse cursor,
// or with its top left corner at `screenPosition` (screen pixels) when one is given.
struct MenuChoiceRequest {
  struct Item {
    std::string caption;
    bool visible = true;
  };
  struct Point {
    int x = 0;
    int y = 0;
  };
  std::string menuName;
  std::vector<Item> items;
  std::optional<Point> screenPosition;
};

// The answer of a Yes / No / Cancel box.
enum class Answer { Yes, No, Cancel };

class DialogService {
 public:
  virtual ~DialogService() = default;
  // A modal box with an OK button; title "INFO", "WARNING" or "ERROR".
  virtual void ShowMessage(const std::string& title, const std::string& text) = 0;
  // An input box offering `text`; true with the answer in `text` when confirmed, false (text
  // unchanged) when cancelled.
  virtual bool InputQuery(const std::string& title, const std::string& prompt, std::string& text) = 0;
  virtual bool OpenFile(const FileDialogRequest& request, std::string& path) = 0;
  virtual bool SaveFile(const FileDialogRequest& request, std::string& path) = 0;
  virtual bool PickColour(TColor& colour) = 0;
  // Shows the menu's visible items; the position of the chosen item in `items`, or -1 when the
  // menu was dismissed.
  virtual int ChooseMenuItem(const MenuChoiceRequest& request) = 0;
  // A question with Yes, No and Cancel; closing the box cancels.
  virtual Answer AskYesNoCancel(const std::string& title, const std::string& text) = 0;
};

// Installs the process's dialog service; nullptr restores the non-interactive default.
void SetDialogService(std::shared_ptr<DialogService> service);
DialogService& Dialogs();

}  // namespace util
