#include "net/remote_command_table.h"

#include <algorithm>

namespace net {

std::array<std::span<const RemoteCommandEntry>, 2> RemoteCommandTables() {
  return {CardAndReceiverCommands(), TestModulatorAndBertCommands()};
}

const RemoteCommandEntry* FindRemoteCommand(std::int32_t number) {
  for (const std::span<const RemoteCommandEntry> table : RemoteCommandTables()) {
    const auto found = std::lower_bound(table.begin(), table.end(), number,
                                        [](const RemoteCommandEntry& entry, std::int32_t n) { return entry.Number < n; });
    if (found != table.end() && found->Number == number) return &*found;
  }
  return nullptr;
}

bool IsAcceptableSetupName(std::string_view name) {
  if (name.size() > kMaxSetupNameLength) return false;
  if (name.find("..") != std::string_view::npos) return false;
  // A name is a base name in the setup folder: no separator of either kind, no drive colon, no
  // control character (they would end up in log lines and file names).
  return std::none_of(name.begin(), name.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return c == '/' || c == '\\' || c == ':' || byte < 0x20 || byte == 0x7F;
  });
}

}  // namespace net
