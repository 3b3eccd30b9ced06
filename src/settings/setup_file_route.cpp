// The head of a card setup file: the card's designations and its route information.
#include <string>

#include "card/card_routines.h"
#include "settings/setup_file_sections.h"

namespace settings::setupfile {

namespace {

using card::RouteInfoRecord;

constexpr const char* kStreamKeys[card::kSetupChannels] = {"Channel A", "Channel B"};

// Mode numbers run 0 .. 15 with 16 for "none"; anything else would index past the mode tables.
constexpr double kLastModeNumber = card::kNoFpgaMode;

constexpr KeySpec kRouteInfoKeys[] = {
    SETUP_KEY(RouteInfoRecord, FpgaMasterMode, "FpgaMasterMode", Form::kInteger)
        .NotWrittenWhenNoMode()
        .ValidRange(0, kLastModeNumber),
    SETUP_KEY(RouteInfoRecord, UserReceiverMode, "UserReceiverMode", Form::kInteger)
        .NotWrittenWhenNoMode()
        .ValidRange(0, kLastModeNumber),
    SETUP_KEY(RouteInfoRecord, RouteMode, "Route Mode", Form::kInteger),
    SETUP_KEY(RouteInfoRecord, PreDCombinerMode, "PreDCombinerMode", Form::kYesNo),
    SETUP_KEY(RouteInfoRecord, PostDCombinerMode, "PostDCombinerMode", Form::kYesNo),
    SETUP_KEY(RouteInfoRecord, PskFmCombinerToChA, "PskFmCombinerToChA", Form::kYesNo),
};

}  // namespace

std::span<const KeySpec> RouteInfoKeys() { return kRouteInfoKeys; }

void WriteDesignationSection(SectionWriter& out, int card) {
  out.WriteText(kDesignationSection, kDesignationKey, card::CardDesignationName(card));
  for (int stream = 0; stream < static_cast<int>(card::kSetupChannels); ++stream) {
    out.WriteText(kDesignationSection, kStreamKeys[stream], card::StreamDesignationName(card, stream));
  }
}

DesignationTexts ReadDesignationSection(SectionReader& in, int card) {
  std::string section = kDesignationSection;
  std::string text;
  DesignationTexts texts;
  if (in.ReadText(section, kDesignationKey, text)) {
    texts.Card = text;
  } else {
    section = kDesignationFallbackPrefix + std::to_string(card);
    if (in.ReadText(section, kDesignationKey, text)) texts.Card = text;
  }
  for (std::size_t stream = 0; stream < card::kSetupChannels; ++stream) {
    if (in.ReadText(section, kStreamKeys[stream], text)) texts.Stream[stream] = text;
  }
  return texts;
}

void StoreDesignations(int card, const DesignationTexts& texts) {
  if (texts.Card) card::SetCardDesignation(card, *texts.Card);
  for (std::size_t stream = 0; stream < card::kSetupChannels; ++stream) {
    if (texts.Stream[stream]) card::SetStreamDesignation(card, static_cast<int>(stream), *texts.Stream[stream]);
  }
}

void WriteRouteInfoSection(SectionWriter& out, const RouteInfoRecord& route) {
  out.WriteKeys(kRouteInfoSection, kRouteInfoKeys, BytesOf(route));
}

void ReadRouteInfoSection(SectionReader& in, RouteInfoRecord& route) {
  in.ReadKeys(kRouteInfoSection, kRouteInfoKeys, BytesOf(route));
  // A file without a receiver mode runs the receiver in the master personality.
  std::string ignored;
  if (!in.ReadText(kRouteInfoSection, kUserReceiverModeKey, ignored)) route.UserReceiverMode = route.FpgaMasterMode;
}

}  // namespace settings::setupfile
