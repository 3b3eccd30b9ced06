#pragma once
// Where the platform layer reports what the operator should find in the error log. The utility
// library installs its log writer here at start-up; until then reports go to stderr.
#include <functional>
#include <string>

namespace platform {

using DiagnosticSink = std::function<void(const std::string& text)>;

void SetDiagnosticSink(DiagnosticSink sink);  // empty: back to stderr
void ReportDiagnostic(const std::string& text);

}  // namespace platform
