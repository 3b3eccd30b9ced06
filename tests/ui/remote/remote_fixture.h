// The running program on virtual cards with remote control allowed for a client on 127.0.0.1:
// the test is the client. It sends requests to the command port, takes the replies from the reply
// port and reads card 0's group-status datagrams, all over real loopback sockets, while the main
// window's event loop runs the commands.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "card/card_routines.h"
#include "card/records/card_setup_record.h"
#include "config/globals.h"
#include "net/remote_command_datagrams.h"
#include "net/udp_test_peer.h"
#include "settings/channel_status_record.h"
#include "support/log_capture.h"
#include "ui/main_form_fixture.h"
#include "util/error_log.h"

namespace remotetest {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Request(std::int32_t group, std::int32_t channel, std::int32_t command, double value,
                     const std::string& text = "", std::size_t size = net::kRemoteCommandRequestBytes) {
  Bytes bytes(size, 0);
  std::memcpy(bytes.data() + 0, &group, 4);
  std::memcpy(bytes.data() + 4, &channel, 4);
  std::memcpy(bytes.data() + 8, &command, 4);
  std::memcpy(bytes.data() + 12, &value, 8);
  std::memcpy(bytes.data() + 20, text.data(), std::min(text.size(), size - 20));
  return bytes;
}

struct Reply {
  Bytes bytes;
  bool Received() const { return bytes.size() == net::kRemoteCommandReplyBytes; }
  bool Success() const { return bytes.at(12) == 1; }
  std::string Message() const { return std::string(reinterpret_cast<const char*>(bytes.data() + 13)); }
  std::uint32_t ValueCount() const { return U32(273); }
  std::uint32_t TextCount() const { return U32(789); }
  double Value(std::size_t i) const {
    double v = 0.0;
    std::memcpy(&v, bytes.data() + 277 + 8 * i, 8);
    return v;
  }
  std::uint32_t U32(std::size_t offset) const {
    std::uint32_t v = 0;
    std::memcpy(&v, bytes.data() + offset, 4);
    return v;
  }
};

// Card 0's group status as the client receives it.
struct GroupStatus {
  Bytes bytes;
  bool Valid() const { return bytes.size() == 12412; }
  card::CardSetupRecord Setup() const {
    card::CardSetupRecord setup{};
    std::memcpy(&setup, bytes.data() + 3022, sizeof setup);
    return setup;
  }
  settings::ChannelStatusRecord Status(int channel) const {
    settings::ChannelStatusRecord status{};
    std::memcpy(&status, bytes.data() + 4 + 1509 * channel, sizeof status);
    return status;
  }
};

// One logged line: its number column and its text.
struct LogLine {
  int number = 0;
  std::string text;
};

class RemoteTest : public uitest::MainFormTest {
 protected:
  static constexpr const char* kRemoteLineStart = "---- NET REMOTE COMMAND -----";

  // Two virtual cards (card 0 runs personality 1: PSK on channel 0, PCM/FM on channel 1), one
  // Kr12 radio whose two converter channels serve card 0, remote control allowed for 127.0.0.1.
  void StartRemote() {
    ASSERT_TRUE(BindClient());
    PrepareProgramFolder(2);
    ASSERT_TRUE(testsupport::WriteWholeFile(folder_ / "VirtualHardware.cfg",
                                            "[General]\nCards=2\nSeed=3\n[Card_0]\nFpgaMode=1\n" + card0Settings_ +
                                                "[Card_1]\nFpgaMode=0\n"
                                            "[DownConverters]\nKr12Cards=1\nKr12Channels=2\nKr14Cards=0\n"));
    ASSERT_TRUE(testsupport::WriteWholeFile(folder_ / "SYSTEM/HARDWARECONFIGURATION/Kr20NetCfg.cfg",
                                            "[NET Configuration]\r\nEnabled=YES\r\nAllowRemoteControl=YES\r\n"
                                            "BcRateHz=20\r\nStartPort=" + std::to_string(start_) +
                                                "\r\nClientIpAddr=127.0.0.1\r\n"));
    // A fixture that describes card 0 further has the simulated libraries read this file again
    // (the others keep the hardware of the folder's first file, which their cases are made for).
    if (!card0Settings_.empty()) {
      for (const char* library : kLibraries) {
        if (void* handle = testsupport::ResetSimLibrary(sim_, library); handle != nullptr) dlclose(handle);
      }
    }
    if (missingImage_ >= 0) {
      char name[32];
      std::snprintf(name, sizeof name, "Kr20_Mode%02d.VantMcs", missingImage_);
      ASSERT_TRUE(std::filesystem::remove(folder_ / (std::string("SYSTEM/HARDWARECONFIGURATION/KR20_BIN/") + name)));
    }
    form_ = std::make_unique<TQuorxLMainForm>();
    net::NetManagerHooks hooks;
    // The first reachability decision is due at once, and the client answers its ping.
    hooks.clock = [] { return util::ElapsedSeconds() + 10.0; };
    hooks.ping = [](const std::string& address) { return address == "127.0.0.1"; };
    form_->SetNetManagerHooks(hooks);
    ASSERT_EQ(form_->FormCreate(InstanceSettings()).conflict, ui::InstanceConflict::None);
    form_->show();
    ASSERT_TRUE(RunUntil([this] { return form_->StartupComplete(); }, std::chrono::seconds(30)));
  }

  // Sends the request and runs the program until its reply is in (at most 10 s).
  Reply Exchange(const Bytes& request, const nettest::LoopbackPeer* from = nullptr) {
    Reply reply;
    if (!(from != nullptr ? *from : client_).SendTo(CommandPort(), request)) return reply;
    RunUntil(
        [&] {
          reply.bytes = replies_->Receive(0);
          return reply.Received();
        },
        std::chrono::seconds(10));
    return reply;
  }
  Reply Command(std::int32_t group, std::int32_t channel, std::int32_t command, double value,
                const std::string& text = "") {
    return Exchange(Request(group, channel, command, value, text));
  }

  // Asks for an operation mode and runs the program until the card runs `personality` and the
  // main window has re-synchronised it.
  bool UseOperationalMode(int cardIndex, double operationMode, int personality) {
    if (!Command(cardIndex, 0, 101, operationMode).Success()) return false;
    return RunUntil([&] { return card::CardFpgaMode(cardIndex) == personality && !config::gApp.ReconfigurationPending.load(); },
                    std::chrono::seconds(10));
  }

  // Runs the program until a group status of card 0 satisfies `done` (at most 5 s); the last one.
  template <class Done>
  GroupStatus WaitGroupStatus(Done done) {
    GroupStatus last;
    RunUntil(
        [&] {
          for (Bytes bytes = group_->Receive(0); !bytes.empty(); bytes = group_->Receive(0)) last.bytes = bytes;
          return last.Valid() && done(last);
        },
        std::chrono::seconds(5));
    return last;
  }

  // The remote-command lines of the log, with their numbers.
  std::vector<LogLine> RemoteLines() const {
    std::vector<LogLine> lines;
    const std::string all = testsupport::ReadWholeFile(LogPath());
    std::size_t begin = 0;
    while (begin < all.size()) {
      std::size_t end = all.find('\n', begin);
      if (end == std::string::npos) end = all.size();
      std::string line = all.substr(begin, end - begin);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      const std::size_t at = line.find(kRemoteLineStart);
      if (at != std::string::npos) lines.push_back({std::stoi(line.substr(0, 6)), line.substr(at)});
      begin = end + 1;
    }
    return lines;
  }
  std::string LastRemoteLine() const {
    const std::vector<LogLine> lines = RemoteLines();
    return lines.empty() ? std::string() : lines.back().text;
  }

  static std::string Line(int command, const std::string& name, const std::string& value, const std::string& end) {
    return std::string(kRemoteLineStart) + " Received Remote Control Command Number " + std::to_string(command) +
           " :: " + name + " :: Value = " + value + end;
  }

  std::uint16_t CommandPort() const { return static_cast<std::uint16_t>(start_ + 16); }

  // A personality whose FPGA image the program folder lacks (-1: none missing).
  int missingImage_ = -1;
  // More keys of card 0's virtual hardware ("Key=Value\n" lines), e.g. its IF input signals.
  std::string card0Settings_;
  nettest::LoopbackPeer client_;
  std::unique_ptr<nettest::LoopbackPeer> replies_;
  std::unique_ptr<nettest::LoopbackPeer> group_;
  int start_ = 0;

 private:
  // A start port whose reply port, card 0 group port and command port are free.
  bool BindClient() {
    std::mt19937 random(static_cast<unsigned>(::getpid()));
    for (int attempt = 0; attempt < 50; ++attempt) {
      start_ = 40000 + static_cast<int>(random() % 20000);
      replies_ = std::make_unique<nettest::LoopbackPeer>(static_cast<std::uint16_t>(start_ + 17));
      group_ = std::make_unique<nettest::LoopbackPeer>(static_cast<std::uint16_t>(start_ + 1));
      const nettest::LoopbackPeer probe(static_cast<std::uint16_t>(start_ + 16));
      if (replies_->Port() != 0 && group_->Port() != 0 && probe.Port() != 0) return true;
    }
    return false;
  }
};

}  // namespace remotetest
