#include "util/dialog_service.h"

#include <mutex>

namespace util {

namespace {

// Without a GUI nobody can answer: boxes are dropped and every dialog counts as cancelled.
class NonInteractiveDialogs final : public DialogService {
 public:
  void ShowMessage(const std::string&, const std::string&) override {}
  bool InputQuery(const std::string&, const std::string&, std::string&) override { return false; }
  bool OpenFile(const FileDialogRequest&, std::string&) override { return false; }
  bool SaveFile(const FileDialogRequest&, std::string&) override { return false; }
  bool PickColour(TColor&) override { return false; }
  int ChooseMenuItem(const MenuChoiceRequest&) override { return -1; }
  Answer AskYesNoCancel(const std::string&, const std::string&) override { return Answer::Cancel; }
};

std::mutex gServiceMutex;
std::shared_ptr<DialogService> gService;

}  // namespace

void SetDialogService(std::shared_ptr<DialogService> service) {
  std::lock_guard lock(gServiceMutex);
  gService = std::move(service);
}

DialogService& Dialogs() {
  static NonInteractiveDialogs fallback;
  std::lock_guard lock(gServiceMutex);
  if (gService) return *gService;
  return fallback;
}

}  // namespace util
