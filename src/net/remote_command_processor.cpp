#include "net/remote_command_processor.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "card/card_routines.h"
#include "card/dncvt_manager.h"
#include "card/kr20card.h"
#include "config/globals.h"
#include "net/net_manager.h"
#include "settings/last_setup.h"
#include "settings/set_manager.h"
#include "util/error_log.h"
#include "util/number_text.h"
#include "util/process_globals.h"

namespace net {

namespace {

constexpr std::string_view kLogOpening = "---- NET REMOTE COMMAND -----";

bool IsChannel(std::int32_t channel) { return channel == 0 || channel == 1; }

// A command below 200 always names a channel; from 200 on only the commands marked so.
bool AddressesChannel(std::int32_t command) {
  if (command < 200) return true;
  const RemoteCommandEntry* entry = FindRemoteCommand(command);
  return entry != nullptr && entry->AddressesChannel;
}

card::DnCvtChannelRecord* DnCvtRecordOf(int index) {
  if (gDnCvtMgr == nullptr || index < 0 || static_cast<std::size_t>(index) >= card::kDnCvtRecords) return nullptr;
  card::DnCvtChannelRecord& record = gDnCvtMgr->Records[static_cast<std::size_t>(index)];
  return record.Kind != card::kDnCvtKindNone ? &record : nullptr;
}

void WriteReply(RemoteReplyBytes reply, bool ok, std::string_view errorText) {
  PutReplySuccess(reply, ok);
  if (!errorText.empty()) PutReplyMessage(reply, errorText);
}

}  // namespace

std::string RemoteCommandLogLine(std::int32_t command, std::string_view name, double value, bool ok,
                                 std::string_view errorText) {
  std::string line(kLogOpening);
  line += " Received Remote Control Command Number ";
  line += util::FloatToFixedText(9, 0, static_cast<double>(command));
  line += " :: ";
  line += name;
  line += " :: Value = ";
  line += util::FloatToFixedText(16, 6, value);
  if (ok) {
    line += " Processed OK";
  } else {
    line += "  FAILED ";
    line += errorText;
  }
  return line;
}

void RefuseRemoteCommand(RemoteRequestBytes request, RemoteReplyBytes reply, std::string_view text) {
  const std::optional<RemoteCommandArguments> args = ReadRemoteCommandRequest(request);
  util::LogInfo(RemoteCommandLogLine(args->Command, kUnknownCommandName, args->Value, false, text), args->Group, false);
  WriteReply(reply, false, text);
}

bool RemoteCommandProcessor::ValidateRemoteCommand(const RemoteCommandArguments& request) {
  std::string_view failure;
  if (util::ClosingFlag.load()) {
    failure = kProgramShuttingDownText;
  } else if (request.Group < 0 || request.Group >= card::SystemCardCount() ||
             card::CardObject(request.Group) == nullptr || gKr20SetMgr == nullptr) {
    // A card the manager counts but holds no object for (or no set manager to reach it through)
    // cannot be addressed either.
    failure = kInvalidGroupText;
  } else if (gNetMgr == nullptr || !gNetMgr->Config().Enabled) {
    failure = kNetworkNotEnabledText;
  } else if (!gNetMgr->Config().AllowRemoteControl) {
    failure = kRemoteNotAllowedText;
  } else if (AddressesChannel(request.Command) && !IsChannel(request.Channel)) {
    failure = kInvalidChannelText;
  }
  if (failure.empty()) return true;
  context_.ErrorText = failure;
  return false;
}

void RemoteCommandProcessor::SelectRemoteGroup(std::int32_t group, std::int32_t channel) {
  context_.Group = group;
  context_.Channel = channel;
  context_.Card = card::CardObject(group);
  context_.Setup = context_.Card != nullptr ? &context_.Card->Setup() : nullptr;
  for (int ch = 0; ch < 2; ++ch) {
    const int index = card::GetDownConverterIndex(group, ch);
    context_.DnCvtIndex[static_cast<std::size_t>(ch)] = index;
    context_.DnCvtRecord[static_cast<std::size_t>(ch)] = DnCvtRecordOf(index);
  }
}

bool RemoteCommandProcessor::ReadArgument(const RemoteCommandEntry& entry, const RemoteCommandArguments& request,
                                          RemoteArgument& argument) {
  const double v = request.Value;
  argument.Value = v;
  argument.Index = util::FloorToInt(v);
  switch (entry.Rule) {
    case RemoteArgumentRule::None:
    case RemoteArgumentRule::Checked:
      return true;
    case RemoteArgumentRule::FlagIsOne:
      argument.Flag = v == 1.0;
      return true;
    case RemoteArgumentRule::FlagIsZero:
      argument.Flag = v == 0.0;
      return true;
    case RemoteArgumentRule::IndexBelow:
      // NaN fails both comparisons.
      if (v >= 0.0 && v < entry.Limit) return true;
      context_.ErrorText = entry.RangeText;
      return false;
    case RemoteArgumentRule::OptionName:
      argument.Name = request.OptionText;
      if (!argument.Name.empty() && std::find(entry.StoredSpellings.begin(), entry.StoredSpellings.end(),
                                              std::string_view(argument.Name)) != entry.StoredSpellings.end()) {
        return true;
      }
      return ResolveOptionArgument(argument.Name, v, entry.Options, context_.ErrorText);
    case RemoteArgumentRule::SetupName:
      argument.Name = request.OptionText;
      if (IsAcceptableSetupName(argument.Name)) return true;
      context_.ErrorText = kInvalidSetupNameText;
      return false;
    case RemoteArgumentRule::Number:
      if (std::isfinite(v)) return true;
      context_.ErrorText = kNotFiniteText;
      return false;
  }
  return false;
}

bool RemoteCommandProcessor::ProcessRemoteCommand(RemoteRequestBytes request, RemoteReplyBytes reply) {
  context_.ErrorText.clear();
  context_.CommandName = kUnknownCommandName;
  const RemoteCommandArguments args = *ReadRemoteCommandRequest(request);

  bool ok = ValidateRemoteCommand(args);
  if (ok) {
    SelectRemoteGroup(args.Group, args.Channel);
    const RemoteCommandEntry* entry = FindRemoteCommand(args.Command);
    if (entry == nullptr) {
      context_.ErrorText = kUnknownCommandText;
      ok = false;
    } else {
      context_.CommandName = entry->Name;
      RemoteArgument argument;
      ok = ReadArgument(*entry, args, argument) && entry->Handler(context_, argument, reply);
      if (!ok && args.Command == 101 && context_.ErrorText.empty()) context_.ErrorText = kNoFpgaConfigText;
      if (ok && entry->SavesState) settings::SaveLastSetupStateIfEnabled();
    }
  }

  util::LogInfo(RemoteCommandLogLine(args.Command, context_.CommandName, args.Value, ok, context_.ErrorText),
                args.Group, false);
  WriteReply(reply, ok, context_.ErrorText);
  return ok;
}

}  // namespace net
