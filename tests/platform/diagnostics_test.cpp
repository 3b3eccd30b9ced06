#include "platform/diagnostics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/power.h"

namespace platform {
namespace {

TEST(Diagnostics, SinkGetsEveryTextMayReportItselfAndOnceRemovedStderrDoes) {
  std::vector<std::string> texts;
  SetDiagnosticSink([&](const std::string& text) {
    texts.push_back(text);
    if (text == "outer") ReportDiagnostic("inner");
  });
  ReportDiagnostic("outer");
  ReportDiagnostic("");
  SetDiagnosticSink({});
  ::testing::internal::CaptureStderr();
  ReportDiagnostic("Ping: something");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Ping: something\n");
  EXPECT_EQ(texts, (std::vector<std::string>{"outer", "inner", ""}));
}

TEST(Power, ShutdownOnlyReportsThatItWasAsked) {
  std::vector<std::string> texts;
  SetDiagnosticSink([&](const std::string& text) { texts.push_back(text); });
  EXPECT_FALSE(RequestSystemShutdown());
  SetDiagnosticSink({});
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "System shut-down requested: not done, this program never powers the machine off"}));
}

}  // namespace
}  // namespace platform
