#pragma once
// The remote command processor: one request datagram in, one action on one card, one reply
// datagram out, and one "---- NET REMOTE COMMAND -----" line in the error log for every request.
//
// It runs on the user-interface thread (the command server hands each accepted request over and
// waits), so the cards, the setup records and the status records it touches are never used by two
// threads at once. Its context is its own and lives as long as the processor.
//
// Example exchange (client on the configured address, default ports):
//   request to 33186: group 0, channel 0, command 401, value 2250.5, option text ""
//   reply to 33187:   group 0, channel 0, command 401, success 1, message "", no values, no text
//   log line:         "---- NET REMOTE COMMAND ----- Received Remote Control Command Number 401
//                      :: SET TUNED FREQ :: Value = 2250.500000 Processed OK" (one line)
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "net/remote_command_datagrams.h"
#include "net/remote_command_table.h"

namespace net {

inline constexpr std::string_view kUnknownCommandName = "UNKNOWN COMMAND";
inline constexpr std::string_view kProgramShuttingDownText = "Program Shutting Down";
inline constexpr std::string_view kInvalidGroupText = "Invalid Group Index";
inline constexpr std::string_view kNetworkNotEnabledText = "Network Not Enabled";
inline constexpr std::string_view kRemoteNotAllowedText = "Remote Control Not Allowed";
inline constexpr std::string_view kInvalidChannelText = "Invalid Channel Index";
inline constexpr std::string_view kUnknownCommandText = "Unknown Command";
inline constexpr std::string_view kNoFpgaConfigText = "No FPGA Configuration File";

using RemoteRequestBytes = std::span<const std::uint8_t, kRemoteCommandRequestBytes>;

// The log line of one request, as written with the request's group as the line's number.
std::string RemoteCommandLogLine(std::int32_t command, std::string_view name, double value, bool ok,
                                 std::string_view errorText);

// A request the program did not run (closing, or the user-interface thread did not take it in
// time): the reply (whose header the caller copied) says so with `text`, and the log line names
// no command, as a request refused by validation.
void RefuseRemoteCommand(RemoteRequestBytes request, RemoteReplyBytes reply, std::string_view text);

class RemoteCommandProcessor {
 public:
  // Fills the reply (its header already copied from the request) and returns the success byte.
  bool ProcessRemoteCommand(RemoteRequestBytes request, RemoteReplyBytes reply);

  const RemoteCommandContext& Context() const { return context_; }

 private:
  bool ValidateRemoteCommand(const RemoteCommandArguments& request);
  void SelectRemoteGroup(std::int32_t group, std::int32_t channel);
  bool ReadArgument(const RemoteCommandEntry& entry, const RemoteCommandArguments& request, RemoteArgument& argument);

  RemoteCommandContext context_;
};

}  // namespace net
