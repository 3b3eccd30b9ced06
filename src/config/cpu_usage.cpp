#include "config/cpu_usage.h"

#include <sched.h>
#include <sys/resource.h>
#include <sys/types.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "config/options_store.h"
#include "util/error_log.h"
#include "util/number_text.h"

namespace config {

namespace {

constexpr int kHighPriorityNice = -10;
constexpr int kNormalPriorityNice = 0;

std::string ErrorText(int error) { return std::error_code(error, std::generic_category()).message(); }

void LogCpuUsage(const std::string& text) { util::LogInfoText("ApplyCpuUsageOptions: " + text, 0, false); }

// Linux keeps priority and affinity per thread, while the options mean the whole process, so
// they go to every thread there is.
std::vector<pid_t> ProcessThreads() {
  std::vector<pid_t> threads;
  std::error_code ec;
  for (std::filesystem::directory_iterator it("/proc/self/task", ec), end; !ec && it != end; it.increment(ec)) {
    std::int32_t tid = 0;
    if (util::TextToInt(it->path().filename().string(), tid) && tid > 0) threads.push_back(tid);
  }
  if (threads.empty()) threads.push_back(0);  // at least the calling thread
  return threads;
}

// 0 when every thread took it, else the first error; a thread that ended meanwhile is no failure.
template <typename Apply>
int ApplyToEveryThread(Apply apply) {
  int firstError = 0;
  for (const pid_t tid : ProcessThreads()) {
    if (apply(tid) != 0 && errno != ESRCH && firstError == 0) firstError = errno;
  }
  return firstError;
}

}  // namespace

void TakeProcessorInfo(CpuUsageSettings& usage) {
  usage.ProcessorIds.fill(-1);
  int count = 0;
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  if (::sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
    for (int cpu = 0; cpu < CPU_SETSIZE && count < kMaxProcessors; ++cpu) {
      if (CPU_ISSET(cpu, &allowed)) usage.ProcessorIds[static_cast<std::size_t>(count++)] = cpu;
    }
  } else {
    util::LogInfoText("Cannot read the processors this process may use: " + ErrorText(errno), 0, false);
  }
  if (count == 0) {
    const int current = ::sched_getcpu();
    usage.ProcessorIds[0] = current < 0 ? 0 : current;
    count = 1;
  }
  usage.ProcessorCount = count;
  usage.AllProcessorsMask = count >= kMaxProcessors ? 0xFFFFFFFFu : (1u << count) - 1u;
}

bool ApplyCpuUsageOptions(const CpuUsageSettings& usage) {
  const std::uint32_t mask = usage.ProcessorAffinityMask & usage.AllProcessorsMask;
  if (mask == 0) {
    LogCpuUsage("empty processor affinity mask, nothing applied");
    return false;
  }
  bool ok = true;

  cpu_set_t chosen;
  CPU_ZERO(&chosen);
  for (int bit = 0; bit < usage.ProcessorCount && bit < kMaxProcessors; ++bit) {
    const int cpu = usage.ProcessorIds[static_cast<std::size_t>(bit)];
    if (util::IsBitSet(mask, bit) && cpu >= 0 && cpu < CPU_SETSIZE) CPU_SET(cpu, &chosen);
  }
  if (const int error = ApplyToEveryThread([&](pid_t tid) { return ::sched_setaffinity(tid, sizeof chosen, &chosen); });
      error != 0) {
    LogCpuUsage("cannot set the processor affinity mask " + util::IntToHexText(mask, 8, true) + ": " +
                ErrorText(error));
    ok = false;
  }

  const int nice = usage.PriorityHigh != 0 ? kHighPriorityNice : kNormalPriorityNice;
  if (const int error =
          ApplyToEveryThread([&](pid_t tid) { return ::setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice); });
      error != 0) {
    LogCpuUsage("cannot set the priority to nice " + std::to_string(nice) + ": " + ErrorText(error));
    ok = false;
  }
  return ok;
}

bool ApplyCpuUsageOptions(const kr20optionclass& options) { return ApplyCpuUsageOptions(options.Info().CpuUsageInfo); }

}  // namespace config
