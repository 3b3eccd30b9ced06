#include "net/status_source.h"

#include "card/hwcfg_manager.h"
#include "card/kr20card.h"
#include "card/rtl20_manager.h"
#include "settings/set_manager.h"

namespace net {

namespace {
bool ValidCard(int card) { return card >= 0 && card < settings::kCards; }
bool ValidChannel(int channel) { return channel >= 0 && channel < settings::kChannels; }
}  // namespace

int ProgramStatusSource::CardCount() const { return cards_ != nullptr ? cards_->CardCount() : 0; }

bool ProgramStatusSource::AnyCardTypeSimulated() const { return hwCfg_ != nullptr && hwCfg_->AnySimulatedFlag != 0; }

const card::kr20cardinfo* ProgramStatusSource::CardInfo(int card) const {
  const card::kr20cardclass* object = cards_ != nullptr ? cards_->Card(card) : nullptr;
  return object != nullptr ? &object->CardInfo() : nullptr;
}

const card::CardSetupRecord* ProgramStatusSource::Setup(int card) const {
  const card::kr20cardclass* object = cards_ != nullptr ? cards_->Card(card) : nullptr;
  return object != nullptr ? &object->Setup() : nullptr;
}

std::uint16_t ProgramStatusSource::FunctionMask(int card) const {
  return cards_ != nullptr && ValidCard(card) ? cards_->FunctionMask(card) : 0;
}

std::string ProgramStatusSource::SetupFileName(int card) const {
  return setMgr_ != nullptr && ValidCard(card) ? setMgr_->SetupFileNames[static_cast<std::size_t>(card)] : std::string{};
}

const settings::ChannelStatusRecord* ProgramStatusSource::StatusRecord(int card, int channel) const {
  if (setMgr_ == nullptr || !ValidCard(card) || !ValidChannel(channel)) return nullptr;
  return &setMgr_->StatusRecord(card, channel);
}

const settings::DisplayDataBlock* ProgramStatusSource::DisplayBlock(int card, int channel) const {
  if (setMgr_ == nullptr || !ValidCard(card) || !ValidChannel(channel)) return nullptr;
  return &setMgr_->DisplayBlock(card, channel);
}

double ProgramStatusSource::FftSpanHz(int card, int channel) const {
  const card::kr20cardclass* object = cards_ != nullptr ? cards_->Card(card) : nullptr;
  return object != nullptr && ValidChannel(channel) ? object->Fft_GetFrequencySpanInHz(channel) : 0.0;
}

}  // namespace net
