#include "settings/display_data.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "card/card_routines.h"
#include "card/kr20card.h"
#include "card/rtl20_manager.h"
#include "settings/set_manager.h"

namespace settings {
namespace {

// The bytes of one array of the block, addressed from the block's start: the doubles sit at odd
// offsets, so the card writes them as bytes.
std::span<std::byte> BytesAt(DisplayDataBlock& block, std::size_t offset, std::size_t size) {
  return std::span<std::byte>(reinterpret_cast<std::byte*>(&block) + offset, size);
}

std::int32_t LimitedCount(int count) { return static_cast<std::int32_t>(std::clamp(count, 0, static_cast<int>(kDisplayPoints))); }

}  // namespace

void RefreshDisplayBlock(const card::kr20cardclass& object, int channel, DisplayReadPlan plan, DisplayDataBlock& block) {
  if (plan.IqCapable && object.IQ_GetRunIQData(channel)) {
    std::uint8_t flag = block.DataFlag;
    const int count = object.IQ_GetIqBuffer(
        channel, flag, BytesAt(block, offsetof(DisplayDataBlock, IqPairs), kDisplayPoints * sizeof(IqPair)));
    block.DataFlag = flag;
    block.IqCount = LimitedCount(count);
  }
  if (plan.FftCapable && object.Fft_GetEnableFFT(channel)) {
    std::uint8_t flag = block.DataFlag;
    const int count = object.Fft_GetFftBuffer(
        channel, flag, BytesAt(block, offsetof(DisplayDataBlock, SpectrumPoints), kDisplayPoints * sizeof(double)));
    block.DataFlag = flag;
    block.SpectrumCount = LimitedCount(count);
  }
}

}  // namespace settings

void kr20setmgrclass::RefreshFftIqData() {
  if (gRtl20Mgr == nullptr) return;
  const int cards = std::clamp(gRtl20Mgr->CardCount(), 0, settings::kCards);
  for (int card = 0; card < cards; ++card) {
    const card::kr20cardclass* object = card::CardObject(card);
    if (object == nullptr) continue;
    ForgetValuesOfOldMode(card);
    for (int channel = 0; channel < settings::kChannels; ++channel) {
      const bool excluded =
          card::IsPcmFmChannel(card, channel) || card::IsMultiHCpmChannel(card, channel) || card::IsPmChannel(card, channel);
      settings::DisplayReadPlan plan;
      plan.IqCapable = !excluded && card::CardHasIqForChannel(card, channel);
      plan.FftCapable = card::CardHasFftForChannel(card, channel);
      settings::RefreshDisplayBlock(*object, channel, plan, DisplayBlock(card, channel));
    }
  }
}
