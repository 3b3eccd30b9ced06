#include "util/gui/qt_dialog_service.h"

#include <gtest/gtest.h>

#include "util/gui/qt_colour.h"

namespace util {
namespace {

TEST(QtDialogService, FileFilterIconAndColourInQtForm) {
  EXPECT_EQ(ToQtFileFilter("Texts|*.txt;*.log"), QStringLiteral("Texts (*.txt *.log)"));
  // Qt reads the patterns from the parentheses, so they must be the pattern half's.
  EXPECT_EQ(ToQtFileFilter("Old (*.a)|*.b"), QStringLiteral("Old (*.b)"));
  EXPECT_EQ(ToQtFileFilter("Setups (*.VexA)|*.VexA|All Files (*.*)|*.*|"),
            QStringLiteral("Setups (*.VexA);;All Files (*.*)"));

  EXPECT_EQ(MessageIconFor("WARNING"), QMessageBox::Warning);
  EXPECT_EQ(MessageIconFor("ERROR"), QMessageBox::Critical);

  EXPECT_EQ(ToQColor(0xFF0000FFu), QColor(255, 0, 0));  // the top byte dropped
  EXPECT_EQ(FromQColor(QColor(0x12, 0x34, 0x56, 0x78)), 0x00563412u);
}

}  // namespace
}  // namespace util
