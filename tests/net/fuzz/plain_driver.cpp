// The fuzz target without libFuzzer: every seed once, then random variations of the seeds (header
// fields, value bytes and option text) until the time is up. A finding ends the run through the
// sanitizers, as under libFuzzer.
//
//   remote_command_fuzz_driver [SECONDS]      default 10
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

std::vector<std::vector<std::uint8_t>> RemoteCommandSeeds();
extern long gFuzzRequestsProcessedOk;
void EndRemoteCommandFuzzProgram();
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::strtod(argv[1], nullptr) : 10.0;
  LLVMFuzzerInitialize(&argc, &argv);
  const std::vector<std::vector<std::uint8_t>> seeds = RemoteCommandSeeds();
  for (const auto& seed : seeds) LLVMFuzzerTestOneInput(seed.data(), seed.size());
  std::mt19937_64 random(20261207);
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  long runs = static_cast<long>(seeds.size());
  while (std::chrono::steady_clock::now() < end) {
    std::vector<std::uint8_t> input = seeds[random() % seeds.size()];
    const int changes = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < changes; ++i) {
      // Mostly the 20 header bytes, sometimes the text.
      const std::size_t at = random() % 4 != 0 ? random() % 20 : random() % input.size();
      input[at] = static_cast<std::uint8_t>(random());
    }
    if (random() % 16 == 0) input.resize(random() % input.size());
    LLVMFuzzerTestOneInput(input.data(), input.size());
    ++runs;
  }
  EndRemoteCommandFuzzProgram();
  std::printf("remote_command_fuzz_driver: %ld requests (%ld processed OK), no finding\n", runs,
              gFuzzRequestsProcessedOk);
  return 0;
}
