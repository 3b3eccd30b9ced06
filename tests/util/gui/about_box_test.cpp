#include "util/gui/about_box.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace util {
namespace {

TEST(AboutBox, SetInfoFillsTheBoxAndShowsItModally) {
  TVopBorAboutBoxForm box;
  QStringList seen;
  QTimer::singleShot(0, &box, [&] {
    seen << (box.isVisible() && box.isModal() ? QStringLiteral("modal") : QStringLiteral("not modal"))
         << box.windowTitle();
    for (const char* name : {"ProductName", "Version", "Comments", "LogFile"}) {
      const auto* label = box.findChild<QLabel*>(QString::fromLatin1(name));
      seen << (label != nullptr ? label->text() : QStringLiteral("no ") + QString::fromLatin1(name));
    }
    const auto* viewLog = box.findChild<QPushButton*>(QStringLiteral("ButtonViewErrorLog"));
    seen << (viewLog != nullptr ? viewLog->text() : QStringLiteral("no view button"));
    auto* ok = box.findChild<QPushButton*>(QStringLiteral("OKButton"));
    ok != nullptr ? ok->click() : box.reject();
  });
  box.SetInfo("QuorxL", "2.01", "No Notes", "/opt/quorx/SYSTEM/ERLOGS", "QuorxL.log");
  EXPECT_EQ(seen, QStringList({"modal", "About QuorxL", "QuorxL", "Version 2.01", "No Notes",
                               "/opt/quorx/SYSTEM/ERLOGS/QuorxL.log", "View Error Log"}));
  EXPECT_EQ(box.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace util
