#include "net/net_manager.h"

#include <chrono>
#include <thread>
#include <utility>

#include "net/status_datagram_builder.h"
#include "util/error_log.h"
#include "util/repeated_log_lines.h"
#include "util/socket_routines.h"

namespace {

constexpr const char* kNotCheckedLine =
    "Client reachability is not checked: no ping can be sent from here; status datagrams go out";

bool HoldsBroadcastOctet(const std::string& address) { return address.find("255") != std::string::npos; }

std::uint16_t PortOf(int port) { return static_cast<std::uint16_t>(port); }

}  // namespace

quorxnetmgrclass::quorxnetmgrclass(net::NetManagerHooks hooks)
    : hooks_(std::move(hooks)),
      probe_(hooks_.ping ? hooks_.ping : net::PingFunction(net::PingClientOnce)),
      buffer_(net::kDisplayPacketBytes) {
  if (!hooks_.clock) hooks_.clock = util::ElapsedSeconds;
  if (hooks_.configPath.empty()) hooks_.configPath = net::NetConfigPath();
  SetNetworkDefaults();
  CommandMutex_ = std::make_unique<platform::NamedMutex>(net::kNetCommandMutexName);
  NetMgrLoadConfig();
  PublishRemoteSettings();
  if (config_.Enabled) CreateNetworkServers();
  ClientReachable_ = false;
  LastPingTime_ = 0.0;
}

quorxnetmgrclass::~quorxnetmgrclass() {
  NetMgrSaveConfig();
  DeleteNetworkServers();
  CommandMutex_.reset();
}

void quorxnetmgrclass::AttachManagers(const quorxrtl20mgrclass* cards, const quorxhwcfgmgrclass* hwCfg,
                                      kr20setmgrclass* setMgr) {
  programSource_ = std::make_unique<net::ProgramStatusSource>(cards, hwCfg, setMgr);
  source_ = programSource_.get();
  PublishRemoteSettings();
}

void quorxnetmgrclass::AttachStatusSource(net::StatusSource* source) {
  programSource_.reset();
  source_ = source;
}

void quorxnetmgrclass::SetNetworkDefaults() {
  DefaultClientAddress_ = hooks_.defaultAddress.empty() ? net::DefaultClientAddressText() : hooks_.defaultAddress;
  config_ = net::NetConfig{};
  config_.ClientIpAddr = DefaultClientAddress_;
}

void quorxnetmgrclass::NetMgrLoadConfig() { net::LoadNetConfig(hooks_.configPath, DefaultClientAddress_, config_); }

bool quorxnetmgrclass::NetMgrSaveConfig() { return net::SaveNetConfig(hooks_.configPath, config_); }

void quorxnetmgrclass::PublishRemoteSettings() {
  if (programSource_ == nullptr) return;
  programSource_->RemoteSettings = {config_.Enabled, config_.AllowRemoteControl, config_.ClientIpAddr};
}

std::unique_ptr<vexaserverstatusudpclass> quorxnetmgrclass::MakeServer(int port, int index) const {
  return std::make_unique<vexaserverstatusudpclass>(PortOf(port), config_.ClientIpAddr, index,
                                                    hooks_.transport ? hooks_.transport() : nullptr);
}

void quorxnetmgrclass::CreateNetworkServers() {
  SystemStatusServer_ = MakeServer(config_.StartPort, -1);
  SystemStatusServer_->Reopen();
  for (int card = 0; card < net::kStatusServerCards; ++card) {
    CardStatusServers_[static_cast<std::size_t>(card)] =
        MakeServer(config_.StartPort + net::kGroupStatusPortOffset + card, card);
  }
  for (int card = 0; card < net::kStatusServerCards; ++card) {
    CardIqServers_[static_cast<std::size_t>(card)] = MakeServer(config_.StartPort + net::kDisplayPortOffset + card, card);
  }
  CommandServerDecision();
}

void quorxnetmgrclass::CommandServerDecision() {
  if (!util::IsValidIpAddress(config_.ClientIpAddr)) config_.AllowRemoteControl = false;
  PublishRemoteSettings();
  if (!config_.AllowRemoteControl) return;
  if (HoldsBroadcastOctet(config_.ClientIpAddr)) {
    util::LogInfo("Client IP Address has a broadcast octet.  You cannot have remote network control", 0, false);
    return;
  }
  // Valid ports only: the configuration limits the start port so that start + 17 fits.
  CommandServer_ = std::make_unique<vexaservercmdudpclass>(PortOf(config_.StartPort + net::kCommandPortOffset),
                                                           PortOf(config_.StartPort + net::kReplyPortOffset),
                                                           config_.ClientIpAddr, hooks_.commandPoster);
}

void quorxnetmgrclass::StartNetworkServers() {
  if (!config_.Enabled) return;
  if (CommandServer_ == nullptr) CommandServerDecision();
  for (int card = 0; card < net::kStatusServerCards; ++card) {
    if (auto& server = CardStatusServers_[static_cast<std::size_t>(card)]; server != nullptr) server->Reopen();
    if (auto& server = CardIqServers_[static_cast<std::size_t>(card)]; server != nullptr) server->Reopen();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (SystemStatusServer_ != nullptr) SystemStatusServer_->Reopen();
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (CommandServer_ != nullptr) {
    CommandServer_->StartThread();
    CommandServer_->Reopen();
  }
}

void quorxnetmgrclass::DeleteNetworkServers() {
  ClientReachable_ = false;
  CommandServer_.reset();
  for (int card = 0; card < net::kStatusServerCards; ++card) {
    CardStatusServers_[static_cast<std::size_t>(card)].reset();
    CardIqServers_[static_cast<std::size_t>(card)].reset();
  }
  SystemStatusServer_.reset();
}

double quorxnetmgrclass::Now() const { return hooks_.clock(); }

// The ping runs on the probe's worker: a check starts one and a later check takes its outcome, so
// the client counts as unreachable until the first ping has answered.
bool quorxnetmgrclass::CheckClientReachable() {
  const double now = Now();
  if (!config_.Enabled) {
    ClientReachable_ = false;
    return false;
  }
  if (const auto outcome = probe_.Take(); outcome != net::ReachabilityProbe::Outcome::None) {
    // A ping that could not be sent proves nothing about the client: the datagrams go out.
    if (outcome == net::ReachabilityProbe::Outcome::NotChecked) util::WriteErrorLogLineOnce(kNotCheckedLine, 0);
    ClientReachable_ = outcome != net::ReachabilityProbe::Outcome::Unreachable;
  }
  if (now - LastPingTime_ < net::kPingIntervalSeconds) return ClientReachable_;
  if (HoldsBroadcastOctet(config_.ClientIpAddr)) {
    ClientReachable_ = true;
  } else if (!probe_.Request(config_.ClientIpAddr)) {
    // The last ping is still out (or its outcome not yet published): ask again next time.
    return ClientReachable_;
  }
  LastPingTime_ = Now();
  return ClientReachable_;
}

bool quorxnetmgrclass::NetCmdLock() {
  if (CommandMutex_ == nullptr) return false;
  if (CommandMutex_->Wait(std::chrono::milliseconds(net::kNetCmdLockWaitMs)) == platform::MutexWait::Acquired) {
    return true;
  }
  // 258: the wait result of a wait that timed out.
  util::LogInfo("COULDN'T GET A COMMAND LOCK", 258, false);
  return false;
}

void quorxnetmgrclass::NetCmdUnlock() {
  if (CommandMutex_ != nullptr) CommandMutex_->Release();
}

vexaserverstatusudpclass* quorxnetmgrclass::CardServer(
    const std::array<std::unique_ptr<vexaserverstatusudpclass>, 6>& table, int card) const {
  if (card < 0 || card >= net::kStatusServerCards) return nullptr;
  return table[static_cast<std::size_t>(card)].get();
}

const vexaserverstatusudpclass* quorxnetmgrclass::CardStatusServer(int card) const {
  return CardServer(CardStatusServers_, card);
}

const vexaserverstatusudpclass* quorxnetmgrclass::CardIqServer(int card) const { return CardServer(CardIqServers_, card); }

bool quorxnetmgrclass::SendThrough(vexaserverstatusudpclass* server, std::span<const std::uint8_t> datagram) {
  if (!NetCmdLock()) return false;
  const std::int32_t sent = server->Send(datagram);
  NetCmdUnlock();
  return sent >= 1;
}

bool quorxnetmgrclass::SendSystemStatus() {
  if (!config_.Enabled || SystemStatusServer_ == nullptr || source_ == nullptr) return false;
  if (!CheckClientReachable()) return false;
  const std::span<std::uint8_t, net::kSystemStatusBytes> out(buffer_.data(), net::kSystemStatusBytes);
  net::BuildSystemStatusPacket(*source_, out);
  return SendThrough(SystemStatusServer_.get(), out);
}

bool quorxnetmgrclass::SendCardStatus(int card) {
  vexaserverstatusudpclass* server = CardServer(CardStatusServers_, card);
  if (!config_.Enabled || server == nullptr || source_ == nullptr) return false;
  if (!CheckClientReachable()) return false;
  const std::span<std::uint8_t, net::kGroupStatusBytes> out(buffer_.data(), net::kGroupStatusBytes);
  if (!net::BuildGroupStatusPacket(*source_, card, out)) return false;
  return SendThrough(server, out);
}

bool quorxnetmgrclass::SendSpectrumPacket(int card, int channel) {
  vexaserverstatusudpclass* server = CardServer(CardIqServers_, card);
  if (!config_.Enabled || server == nullptr || source_ == nullptr) return false;
  if (!CheckClientReachable()) return false;
  const std::span<std::uint8_t, net::kDisplayPacketBytes> out(buffer_.data(), net::kDisplayPacketBytes);
  if (!net::BuildSpectrumPacket(*source_, card, channel, out)) return false;
  return SendThrough(server, out);
}

bool quorxnetmgrclass::SendIqPacket(int card, int channel) {
  vexaserverstatusudpclass* server = CardServer(CardIqServers_, card);
  if (!config_.Enabled || server == nullptr || source_ == nullptr) return false;
  if (!CheckClientReachable()) return false;
  const std::span<std::uint8_t, net::kDisplayPacketBytes> out(buffer_.data(), net::kDisplayPacketBytes);
  if (!net::BuildIqPacket(*source_, card, channel, out)) return false;
  return SendThrough(server, out);
}
