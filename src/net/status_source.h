#pragma once
// What the status datagrams are built from. The program's source reads the card run-time manager,
// the hardware-configuration manager and the set manager; tests give known records instead.
// All reads happen on the user-interface thread, which also fills the records, so none is locked.
#include <cstdint>
#include <string>

#include "card/records/card_info_block.h"
#include "card/records/card_setup_record.h"
#include "settings/channel_status_record.h"
#include "settings/display_data_block.h"

class quorxrtl20mgrclass;
class quorxhwcfgmgrclass;
class kr20setmgrclass;

namespace net {

// The network configuration's part in the system status.
struct RemoteControlSettings {
  bool Enabled = false;
  bool AllowRemoteControl = false;
  std::string ClientIpAddr;
};

class StatusSource {
 public:
  virtual ~StatusSource() = default;
  // Cards in use; the builders hold it to 0..6 themselves.
  virtual int CardCount() const = 0;
  virtual bool AnyCardTypeSimulated() const = 0;
  // Null when the card has no object (or the index is not a card's).
  virtual const card::kr20cardinfo* CardInfo(int card) const = 0;
  virtual const card::CardSetupRecord* Setup(int card) const = 0;
  virtual std::uint16_t FunctionMask(int card) const = 0;
  // The card's current setup file as the set manager holds it (any folder, any extension).
  virtual std::string SetupFileName(int card) const = 0;
  // Null without a set manager; the indices are checked by the builders before the call.
  virtual const settings::ChannelStatusRecord* StatusRecord(int card, int channel) const = 0;
  virtual const settings::DisplayDataBlock* DisplayBlock(int card, int channel) const = 0;
  // The card's FFT frequency span of the channel in Hz; 0 without a card object.
  virtual double FftSpanHz(int card, int channel) const = 0;
  virtual RemoteControlSettings Remote() const = 0;
};

// The running program's managers. A null manager reads as no cards, no records.
class ProgramStatusSource final : public StatusSource {
 public:
  ProgramStatusSource(const quorxrtl20mgrclass* cards, const quorxhwcfgmgrclass* hwCfg, kr20setmgrclass* setMgr)
      : cards_(cards), hwCfg_(hwCfg), setMgr_(setMgr) {}

  // Kept current by the network manager when its configuration changes.
  RemoteControlSettings RemoteSettings;

  int CardCount() const override;
  bool AnyCardTypeSimulated() const override;
  const card::kr20cardinfo* CardInfo(int card) const override;
  const card::CardSetupRecord* Setup(int card) const override;
  std::uint16_t FunctionMask(int card) const override;
  std::string SetupFileName(int card) const override;
  const settings::ChannelStatusRecord* StatusRecord(int card, int channel) const override;
  const settings::DisplayDataBlock* DisplayBlock(int card, int channel) const override;
  double FftSpanHz(int card, int channel) const override;
  RemoteControlSettings Remote() const override { return RemoteSettings; }

 private:
  const quorxrtl20mgrclass* cards_;
  const quorxhwcfgmgrclass* hwCfg_;
  kr20setmgrclass* setMgr_;
};

}  // namespace net
