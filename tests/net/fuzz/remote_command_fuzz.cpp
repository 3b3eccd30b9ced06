// Fuzz target: arbitrary request datagrams (cut or zero-padded to 2404 bytes) through the remote
// command processor, on six virtual cards with a converter pair on card 0, as the program runs
// them on its user-interface thread. libFuzzer calls LLVMFuzzerTestOneInput; without libFuzzer
// the plain driver (plain_driver.cpp) does, over the seeds and random variations of them.
//
//   remote_command_fuzz -max_total_time=60 CORPUS     libFuzzer, after writing the seeds:
//   remote_command_fuzz --write-seeds CORPUS          one request per command and argument kind
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "card/dncvt_manager.h"
#include "card/hwcfg_manager.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "net/net_manager.h"
#include "net/remote_command_datagrams.h"
#include "net/remote_command_processor.h"
#include "net/remote_command_table.h"
#include "settings/set_manager.h"
#include "support/devicesim_support.h"
#include "support/log_capture.h"

namespace {

struct Program {
  std::unique_ptr<testsupport::LoggedProgramFolder> log;
  std::unique_ptr<quorxhwcfgmgrclass> hwcfg;
  std::unique_ptr<quorxdncvtmgrclass> dncvt;
  std::unique_ptr<quorxrtl20mgrclass> cards;
  std::unique_ptr<quorxnetmgrclass> net;
  std::unique_ptr<kr20setmgrclass> setMgr;
  net::RemoteCommandProcessor processor;
};

// Owned: released from its unique_ptr at start and taken back by EndRemoteCommandFuzzProgram.
// libFuzzer ends the process without a teardown; the managers then stay, the folder goes.
Program* gProgram = nullptr;
std::string gProgramFolder;

void RemoveProgramFolder() {
  if (gProgram != nullptr) std::filesystem::remove_all(gProgramFolder);
}

}  // namespace

// The managers go in the reverse order of their creation, the scratch folder last.
void EndRemoteCommandFuzzProgram() {
  if (gProgram == nullptr) return;
  const std::unique_ptr<Program> program(gProgram);
  gProgram = nullptr;
  gKr20SetMgr = nullptr;
  program->setMgr.reset();
  gNetMgr = nullptr;
  program->net.reset();
  gDnCvtMgr = nullptr;
  program->dncvt.reset();
  gHwCfgMgr = nullptr;
  gRtl20Mgr = nullptr;
  program->hwcfg.reset();
  program->cards.reset();
}

namespace {

bool WriteFile(const std::string& path, const std::string& text) {
  return testsupport::WriteWholeFile(path, text);
}

bool StartProgram() {
  const std::string sim = testsupport::SimFolder();
  if (!std::filesystem::exists(sim + "/librtZp903x.so")) {
    std::fprintf(stderr, "remote_command_fuzz: the simulated device libraries are not in %s\n", sim.c_str());
    return false;
  }
  gProgram = std::make_unique<Program>().release();
  Program* const program = gProgram;
  program->log = std::make_unique<testsupport::LoggedProgramFolder>();
  const std::string root = program->log->Path();
  gProgramFolder = root;
  std::atexit(RemoveProgramFolder);
  setenv("QUORX_SIM_FOLDER", root.c_str(), 1);
  std::filesystem::create_directories(root + "/USER/SETUPFILES");
  if (!testsupport::MakeFpgaImages(root + "/SYSTEM/HARDWARECONFIGURATION/KR20_BIN", sim)) return false;
  if (!WriteFile(root + "/VirtualHardware.cfg",
                 "[General]\nCards=6\nSeed=7\n[Card_0]\nFpgaMode=1\n[Card_1]\nFpgaMode=0\n[Card_2]\nFpgaMode=2\n"
                 "[Card_3]\nFpgaMode=3\n[Card_4]\nChipVariant=YES\nFpgaMode=12\n[Card_5]\nFpgaMode=-1\n"
                 "[DownConverters]\nKr12Cards=1\nKr12Channels=2\nKr14Cards=0\n") ||
      !WriteFile(root + "/Kr20NetCfg.cfg",
                 "[NET Configuration]\r\nEnabled=YES\r\nAllowRemoteControl=YES\r\nClientIpAddr=127.0.0.1\r\n")) {
    return false;
  }
  for (const char* library : {"librtZp903x.so", "libKr12V2_Dll.so", "libKr14P3_Dll.so"}) {
    if (void* handle = testsupport::ResetSimLibrary(sim, library); handle != nullptr) dlclose(handle);
  }
  program->cards = std::make_unique<quorxrtl20mgrclass>(sim);
  if (!program->cards->DoAfterHwCfgMgrLoaded() || !program->cards->OpenCards(false, 6)) return false;
  program->hwcfg = std::make_unique<quorxhwcfgmgrclass>();
  gRtl20Mgr = program->cards.get();
  gHwCfgMgr = program->hwcfg.get();
  program->dncvt = std::make_unique<quorxdncvtmgrclass>(sim);
  program->dncvt->Configure(card::HwCfgEnableRecord{1, 0, 1}, card::HwCfgEnableRecord{0, 0, 1});
  program->dncvt->OpenAll();
  gDnCvtMgr = program->dncvt.get();
  net::NetManagerHooks hooks;
  hooks.configPath = root + "/Kr20NetCfg.cfg";
  hooks.transport = [] { return std::unique_ptr<net::StatusTransport>(); };
  program->net = std::make_unique<quorxnetmgrclass>(hooks);
  gNetMgr = program->net.get();
  program->setMgr = std::make_unique<kr20setmgrclass>();
  gKr20SetMgr = program->setMgr.get();
  for (int card = 0; card < program->cards->CardCount(); ++card) gKr20SetMgr->ApplyCardMode(card);
  config::gApp.ReconfigurationPending = false;
  return true;
}

std::vector<std::uint8_t> Request(std::int32_t group, std::int32_t channel, std::int32_t command, double value,
                                  const std::string& text) {
  std::vector<std::uint8_t> bytes(net::kRemoteCommandRequestBytes, 0);
  std::memcpy(bytes.data() + 0, &group, 4);
  std::memcpy(bytes.data() + 4, &channel, 4);
  std::memcpy(bytes.data() + 8, &command, 4);
  std::memcpy(bytes.data() + 12, &value, 8);
  std::memcpy(bytes.data() + 20, text.data(), std::min(text.size(), net::kRemoteOptionTextBytes));
  return bytes;
}

}  // namespace

long gFuzzRequestsProcessedOk = 0;

// Every command with an in-range, a boundary and a refused argument, and its option names.
std::vector<std::vector<std::uint8_t>> RemoteCommandSeeds() {
  std::vector<std::vector<std::uint8_t>> seeds;
  const double values[] = {0.0, 1.0, 2.7, 7.99, 12.0, -1.0, 2250.5, 1000000.9,
                           std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()};
  for (const std::span<const net::RemoteCommandEntry> table : net::RemoteCommandTables()) {
    for (const net::RemoteCommandEntry& entry : table) {
      for (const double value : values) seeds.push_back(Request(0, 1, entry.Number, value, ""));
      for (const std::string_view name : entry.Options) seeds.push_back(Request(1, 0, entry.Number, 0.0, std::string(name)));
      for (const std::string_view name : entry.StoredSpellings) {
        seeds.push_back(Request(0, 0, entry.Number, 0.0, std::string(name)));
      }
      if (entry.Rule == net::RemoteArgumentRule::SetupName) {
        for (const char* name : {"A_DEFAULT", "../X", "x\\y", "MYSETUP"}) seeds.push_back(Request(0, 0, entry.Number, 0.0, name));
      }
    }
  }
  // The test-modulator set commands' boundaries.
  for (const double value : {-80.7, -0.5, 0.5, 110.0, 110.01, 5.0, 10.0, 10000000.0, 3.14159, 3.2}) {
    for (const std::int32_t command : {503, 504, 513, 517, 518}) seeds.push_back(Request(0, 1, command, value, ""));
  }
  seeds.push_back(Request(6, 0, 401, 0.0, ""));
  seeds.push_back(Request(0, 5, 999, 0.0, ""));
  seeds.push_back(Request(0, 0, 410, 0.0, std::string(net::kRemoteOptionTextBytes, 'P')));
  return seeds;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  for (int i = 1; i + 1 < *argc; ++i) {
    if (std::strcmp((*argv)[i], "--write-seeds") != 0) continue;
    const std::string folder = (*argv)[i + 1];
    std::filesystem::create_directories(folder);
    int n = 0;
    for (const auto& seed : RemoteCommandSeeds()) {
      char name[32];
      std::snprintf(name, sizeof name, "/seed%04d", n++);
      if (!WriteFile(folder + name, std::string(seed.begin(), seed.end()))) std::exit(1);
    }
    std::exit(0);
  }
  if (!StartProgram()) std::exit(1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::array<std::uint8_t, net::kRemoteCommandRequestBytes> request{};
  std::memcpy(request.data(), data, std::min(size, request.size()));
  std::array<std::uint8_t, net::kRemoteCommandReplyBytes> reply{};
  net::StartRemoteCommandReply(request, reply);
  if (gProgram->processor.ProcessRemoteCommand(request, reply)) ++gFuzzRequestsProcessedOk;
  // What the main window does when it handles the card-changed message.
  config::gApp.ReconfigurationPending = false;
  return 0;
}
