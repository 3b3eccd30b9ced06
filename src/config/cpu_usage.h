#pragma once
// Scheduling priority and processor affinity of the whole process, from the options.
#include "config/options_record.h"

namespace config {

class kr20optionclass;

// Fills ProcessorCount, AllProcessorsMask and ProcessorIds from the processors this process may
// use now (at most kMaxProcessors, in the order of the allowed set). When the set cannot be read,
// the processor the caller runs on is the only one (logged).
void TakeProcessorInfo(CpuUsageSettings& usage);

// Applies the priority (high: nice -10, normal: nice 0) and the affinity (bit i: ProcessorIds[i],
// the mask limited to AllProcessorsMask) to every thread of the process. An empty mask is refused
// before anything is applied. Each failure writes one log line; true when everything was applied.
bool ApplyCpuUsageOptions(const CpuUsageSettings& usage);
bool ApplyCpuUsageOptions(const kr20optionclass& options);

}  // namespace config
