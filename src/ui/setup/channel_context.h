#pragma once
// What a setup panel or page knows of its receiver channel: the card object and its setup record,
// the channel's down-converter with its value tables, and the channel's receiver family. Resolved
// again before every value refresh, so that a changed hardware configuration (down-converter
// assignment) or personality shows at once.
#include <array>
#include <cstddef>

#include "card/records/dncvt_channel_record.h"

namespace card {
class kr20cardclass;
struct CardSetupRecord;
}  // namespace card

namespace setup {

enum class Family { Psk, PcmFm, Pm, MhCpm };

// The receiver family of a card channel in the card's running personality (PSK when none of the
// others).
Family FamilyOf(int card, int channel);

struct ChannelContext {
  int Card = 0;
  int Channel = 0;
  int OtherChannel = 1;
  card::kr20cardclass* Object = nullptr;
  card::CardSetupRecord* Setup = nullptr;
  // The channel's down-converter (-1 without one) and whether it is present.
  int DcIndex = -1;
  bool DcPresent = false;
  // The down-converter tied to the other channel (-1 without one): calls made for the other
  // channel address that converter, never the one of the page's channel.
  int OtherDcIndex = -1;
  // With a down-converter index: its SAW filter bandwidths (kHz), AGC time constants (ms) and
  // tuned frequency (MHz).
  bool HasDcTables = false;
  std::array<double, card::kDnCvtIfFilters> SawKhz{};
  std::array<double, card::kDnCvtAgcTimeConstants> AgcMs{};
  double DcTunedMhz = 0.0;
};

ChannelContext ResolveChannelContext(int card, int channel);

}  // namespace setup
