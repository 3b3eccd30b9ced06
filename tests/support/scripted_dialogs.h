#pragma once
// A dialog service for tests: every dialog a test expects is scripted beforehand, in order; a
// dialog that meets no script fails the running test. Message boxes are recorded.
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "util/dialog_service.h"

namespace testsupport {

class ScriptedDialogs final : public util::DialogService {
 public:
  struct Message {
    std::string title;
    std::string text;
  };
  struct Query {
    std::string title;
    std::string prompt;
    std::string offered;
  };

  // The next input box answers `text`; std::nullopt cancels it.
  void AnswerInput(std::optional<std::string> text);
  // The next file dialog confirms `path`; std::nullopt cancels it.
  void AnswerFile(std::optional<std::string> path);
  // The next colour dialog confirms `colour`; std::nullopt cancels it.
  void AnswerColour(std::optional<util::TColor> colour);
  // The next popup menu chooses its visible item captioned `caption`; std::nullopt dismisses it.
  // A caption the menu does not show fails the test and dismisses the menu.
  void AnswerMenu(std::optional<std::string> caption);
  // The next Yes / No / Cancel box answers `answer`.
  void AnswerQuestion(util::Answer answer);

  const std::vector<Message>& Messages() const { return messages_; }
  const std::vector<Query>& Queries() const { return queries_; }
  const std::vector<util::FileDialogRequest>& FileRequests() const { return fileRequests_; }
  const std::vector<util::MenuChoiceRequest>& MenuRequests() const { return menuRequests_; }
  // True when every scripted answer was used.
  bool AllAnswered() const { return inputs_.empty() && files_.empty() && colours_.empty() && menus_.empty() && answers_.empty(); }

  void ShowMessage(const std::string& title, const std::string& text) override;
  bool InputQuery(const std::string& title, const std::string& prompt, std::string& text) override;
  bool OpenFile(const util::FileDialogRequest& request, std::string& path) override;
  bool SaveFile(const util::FileDialogRequest& request, std::string& path) override;
  bool PickColour(util::TColor& colour) override;
  int ChooseMenuItem(const util::MenuChoiceRequest& request) override;
  util::Answer AskYesNoCancel(const std::string& title, const std::string& text) override;
  const std::vector<Message>& Questions() const { return questions_; }

 private:
  bool NextFile(const util::FileDialogRequest& request, std::string& path);

  std::deque<std::optional<std::string>> inputs_;
  std::deque<std::optional<std::string>> files_;
  std::deque<std::optional<util::TColor>> colours_;
  std::deque<std::optional<std::string>> menus_;
  std::vector<Message> messages_;
  std::deque<util::Answer> answers_;
  std::vector<Message> questions_;
  std::vector<Query> queries_;
  std::vector<util::FileDialogRequest> fileRequests_;
  std::vector<util::MenuChoiceRequest> menuRequests_;
};

// Installs a fresh scripted service for the scope of a test and removes it at the end.
class ScopedScriptedDialogs {
 public:
  ScopedScriptedDialogs();
  ~ScopedScriptedDialogs();
  ScriptedDialogs& operator*() { return *dialogs_; }
  ScriptedDialogs* operator->() { return dialogs_.get(); }
  // Takes the program's dialogs back after a step that used the real ones.
  void Reinstall() { util::SetDialogService(dialogs_); }

 private:
  std::shared_ptr<ScriptedDialogs> dialogs_;
};

}  // namespace testsupport
