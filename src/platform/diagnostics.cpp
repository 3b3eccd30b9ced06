#include "platform/diagnostics.h"

#include <cstdio>
#include <mutex>
#include <utility>

namespace platform {
namespace {

struct SinkHolder {
  // Recursive so that a sink may itself report (a log writer reporting its own failure); the sink
  // is called under the lock so that once SetDiagnosticSink returns the old sink is never called.
  std::recursive_mutex mutex;
  DiagnosticSink sink;
};

SinkHolder& Holder() {
  static SinkHolder holder;
  return holder;
}

void WriteToStderr(const std::string& text) {
  // One write per line so that lines from several threads do not interleave.
  std::string line = text;
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace

void SetDiagnosticSink(DiagnosticSink sink) {
  SinkHolder& holder = Holder();
  std::lock_guard lock(holder.mutex);
  holder.sink = std::move(sink);
}

void ReportDiagnostic(const std::string& text) {
  SinkHolder& holder = Holder();
  std::lock_guard lock(holder.mutex);
  if (holder.sink) {
    holder.sink(text);
  } else {
    WriteToStderr(text);
  }
}

}  // namespace platform
