#pragma once
// Counts the test modulator window's handlers on the stack: a window the main window deletes
// while one of them waits for the operator frees itself only after the last has returned.
#include "ui/modulator/mod_control_form.h"

class ModHandlerScope {
 public:
  explicit ModHandlerScope(TSM_ModControlForm& form) : form_(form) { ++form_.handlerDepth_; }
  ~ModHandlerScope() {
    if (--form_.handlerDepth_ == 0 && form_.closed_) form_.deleteLater();
  }
  ModHandlerScope(const ModHandlerScope&) = delete;
  ModHandlerScope& operator=(const ModHandlerScope&) = delete;

 private:
  TSM_ModControlForm& form_;
};
