// A setup page as the operator sees it: every row its rules show is on screen and whole, and every
// value carries a text. Returns how many labels were checked.
#pragma once

#include <QLabel>

#include "support/qt/shown_widget.h"
#include "ui/setup/setup_page.h"
#include "ui/setup/value_label.h"

namespace setuptest {

inline int CheckPageShown(const setup::SetupPage& page) {
  return testsupport::CheckLabelsShown(
      page, [](const QLabel* label) { return qobject_cast<const setup::ValueLabel*>(label) != nullptr; });
}

}  // namespace setuptest
