#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

namespace testsupport {

void ScriptedDialogs::AnswerInput(std::optional<std::string> text) { inputs_.push_back(std::move(text)); }
void ScriptedDialogs::AnswerFile(std::optional<std::string> path) { files_.push_back(std::move(path)); }
void ScriptedDialogs::AnswerColour(std::optional<util::TColor> colour) { colours_.push_back(colour); }
void ScriptedDialogs::AnswerMenu(std::optional<std::string> caption) { menus_.push_back(std::move(caption)); }

void ScriptedDialogs::ShowMessage(const std::string& title, const std::string& text) {
  messages_.push_back({title, text});
}

bool ScriptedDialogs::InputQuery(const std::string& title, const std::string& prompt, std::string& text) {
  queries_.push_back({title, prompt, text});
  if (inputs_.empty()) {
    ADD_FAILURE() << "unscripted input box: " << title << " / " << prompt;
    return false;
  }
  auto answer = std::move(inputs_.front());
  inputs_.pop_front();
  if (!answer) return false;
  text = *answer;
  return true;
}

bool ScriptedDialogs::NextFile(const util::FileDialogRequest& request, std::string& path) {
  fileRequests_.push_back(request);
  if (files_.empty()) {
    ADD_FAILURE() << "unscripted file dialog: " << request.title;
    return false;
  }
  auto answer = std::move(files_.front());
  files_.pop_front();
  if (!answer) return false;
  path = *answer;
  return true;
}

bool ScriptedDialogs::OpenFile(const util::FileDialogRequest& request, std::string& path) {
  return NextFile(request, path);
}

bool ScriptedDialogs::SaveFile(const util::FileDialogRequest& request, std::string& path) {
  return NextFile(request, path);
}

bool ScriptedDialogs::PickColour(util::TColor& colour) {
  if (colours_.empty()) {
    ADD_FAILURE() << "unscripted colour dialog";
    return false;
  }
  auto answer = colours_.front();
  colours_.pop_front();
  if (!answer) return false;
  colour = *answer;
  return true;
}

void ScriptedDialogs::AnswerQuestion(util::Answer answer) { answers_.push_back(answer); }

util::Answer ScriptedDialogs::AskYesNoCancel(const std::string& title, const std::string& text) {
  questions_.push_back({title, text});
  if (answers_.empty()) {
    ADD_FAILURE() << "unscripted question: " << title << " / " << text;
    return util::Answer::Cancel;
  }
  const util::Answer answer = answers_.front();
  answers_.pop_front();
  return answer;
}

int ScriptedDialogs::ChooseMenuItem(const util::MenuChoiceRequest& request) {
  menuRequests_.push_back(request);
  if (menus_.empty()) {
    ADD_FAILURE() << "unscripted popup menu: " << request.menuName;
    return -1;
  }
  auto answer = std::move(menus_.front());
  menus_.pop_front();
  if (!answer) return -1;
  for (std::size_t i = 0; i < request.items.size(); ++i) {
    if (request.items[i].visible && request.items[i].caption == *answer) return static_cast<int>(i);
  }
  ADD_FAILURE() << "popup menu " << request.menuName << " shows no item " << *answer;
  return -1;
}

ScopedScriptedDialogs::ScopedScriptedDialogs() : dialogs_(std::make_shared<ScriptedDialogs>()) {
  util::SetDialogService(dialogs_);
}

ScopedScriptedDialogs::~ScopedScriptedDialogs() {
  EXPECT_TRUE(dialogs_->AllAnswered()) << "scripted dialog answers left unused";
  util::SetDialogService(nullptr);
}

}  // namespace testsupport
