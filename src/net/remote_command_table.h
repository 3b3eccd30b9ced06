#pragma once
// The remote commands as one table: number, name, whether the command addresses a channel, its
// argument rule and its handler. The processor validates, checks the argument by its rule, logs
// the command's name and calls the handler from this table; the tests walk the same rows.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "net/remote_command_datagrams.h"
#include "net/remote_command_options.h"

namespace card {
class kr20cardclass;
struct CardSetupRecord;
struct DnCvtChannelRecord;
}  // namespace card

namespace net {

// What the processor and the handlers share for one request. Reset at the start of every request;
// the card fields are filled for a request that passed validation.
struct RemoteCommandContext {
  std::string ErrorText;
  std::string CommandName;
  std::int32_t Group = -1;
  std::int32_t Channel = 0;
  // Per channel 0 and 1: the tied down-converter's index (negative when none) and its record
  // (null when none, or when the index names no converter the manager holds).
  std::array<int, 2> DnCvtIndex{-1, -1};
  std::array<card::DnCvtChannelRecord*, 2> DnCvtRecord{};
  card::kr20cardclass* Card = nullptr;
  card::CardSetupRecord* Setup = nullptr;
};

// How a command reads request.value (and the option text) before its handler runs.
enum class RemoteArgumentRule : std::uint8_t {
  None,        // nothing read
  FlagIsOne,   // flag := (value == 1.0)
  FlagIsZero,  // flag := (value == 0.0)
  IndexBelow,  // 0.0 <= value < Limit, else RangeText; index := FloorToInt(value)
  OptionName,  // ResolveOptionArgument over Options; name := the resolved text
  SetupName,   // the option text names a setup file: a bare base name, checked
  Number,      // value used as it is; refused when not a finite number
  Checked,     // value checked by the handler against the card (data rate, tuning bands)
};

// The argument as the rule has read it.
struct RemoteArgument {
  double Value = 0.0;
  std::int32_t Index = 0;
  bool Flag = false;
  std::string Name;
};

using RemoteCommandHandler = bool (*)(RemoteCommandContext& context, const RemoteArgument& argument,
                                      RemoteReplyBytes reply);

struct RemoteCommandEntry {
  std::int32_t Number;
  std::string_view Name;
  bool AddressesChannel;  // the channel must be 0 or 1
  RemoteArgumentRule Rule;
  double Limit;              // IndexBelow
  std::string_view RangeText;  // IndexBelow: the failure text
  OptionTable Options;       // OptionName
  bool SavesState;           // a setting change: the last state is saved after it succeeded
  RemoteCommandHandler Handler;
  // OptionName: names the command's read-back may return that its option table spells another
  // way, accepted by their text (never by index) so that a client can write back what it read.
  OptionTable StoredSpellings = {};
};

inline constexpr std::string_view kNotFiniteText = "Value Not A Finite Number";
inline constexpr std::string_view kInvalidSetupNameText = "Invalid Setup Name";
// Setup names longer than this are refused.
inline constexpr std::size_t kMaxSetupNameLength = 200;

// The card and receiver commands, 100 to 456, in number order.
std::span<const RemoteCommandEntry> CardAndReceiverCommands();
// The test-modulator and BERT commands, 500 to 546, in number order.
std::span<const RemoteCommandEntry> TestModulatorAndBertCommands();

// Every command, as the parts above in number order: the processor, the tests and the fuzz seeds
// walk the same rows.
std::array<std::span<const RemoteCommandEntry>, 2> RemoteCommandTables();

// The row of a command number; null when no command has that number.
const RemoteCommandEntry* FindRemoteCommand(std::int32_t number);

// A setup name a request may use: a base name in the setup folder, with no path separator (either
// kind) or drive colon, no "..", no control character and at most kMaxSetupNameLength characters.
// An empty name passes: no file has it, which answers the request.
bool IsAcceptableSetupName(std::string_view name);

}  // namespace net
