// A card that changes its personality must not keep showing what the old one measured: the timer
// tasks only overwrite what the new mode reads, so a PM channel would keep the old bit sync's lock
// and Eb/No and a channel without IQ capture the old constellation.
#include <cstddef>
#include <cstring>

#include "card/apply_card_setup.h"
#include "card/card_routines.h"
#include "settings/set_manager.h"

namespace {

std::uint8_t FamilyOf(int card, int channel) {
  if (card::IsPcmFmChannel(card, channel)) return 1;
  if (card::IsPmChannel(card, channel)) return 2;
  if (card::IsMultiHCpmChannel(card, channel)) return 3;
  return 0;
}

settings::ReadMode CurrentReadMode(int card, const card::kr20cardclass& object) {
  settings::ReadMode mode;
  mode.Known = true;
  mode.Personality = card::RunningPersonality(object);
  for (int channel = 0; channel < settings::kChannels; ++channel) {
    const std::size_t at = static_cast<std::size_t>(channel);
    mode.Family[at] = FamilyOf(card, channel);
    mode.Iq[at] = card::CardHasIqForChannel(card, channel);
    mode.Fft[at] = card::CardHasFftForChannel(card, channel);
  }
  return mode;
}

// The samples and points of a block, addressed from the block's start (the doubles sit at odd
// offsets).
void ClearCaptures(settings::DisplayDataBlock& block) {
  block.IqCount = 0;
  block.SpectrumCount = 0;
  auto* bytes = reinterpret_cast<unsigned char*>(&block);
  std::memset(bytes + offsetof(settings::DisplayDataBlock, IqPairs), 0,
              settings::kDisplayPoints * sizeof(settings::IqPair));
  std::memset(bytes + offsetof(settings::DisplayDataBlock, SpectrumPoints), 0,
              settings::kDisplayPoints * sizeof(double));
}

}  // namespace

void kr20setmgrclass::ForgetValuesOfOldMode(int card) {
  if (card < 0 || card >= settings::kCards) return;
  const card::kr20cardclass* object = card::CardObject(card);
  if (object == nullptr) return;
  const settings::ReadMode now = CurrentReadMode(card, *object);
  settings::ReadMode& last = readModes_[static_cast<std::size_t>(card)];
  // The first look only notes the mode: nothing has been read under another one.
  const bool changed = last.Known && !(last == now);
  last = now;
  if (!changed) return;
  for (int channel = 0; channel < settings::kChannels; ++channel) {
    settings::ChannelStatusRecord& record = StatusRecord(card, channel);
    record.Receiver = settings::ReceiverStatusBlock{};
    record.BitSync1 = settings::BitSyncStatusBlock{};
    record.BitSync2 = settings::BitSyncStatusBlock{};
    record.Bert = settings::BertStatusBlock{};
    record.PostD = settings::PostDStatusBlock{};
    record.PreD = settings::PreDStatusBlock{};
    ClearCaptures(DisplayBlock(card, channel));
  }
}
