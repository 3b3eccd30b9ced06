#pragma once
// The network manager (`quorxnetmgrclass`, reached through `gNetMgr`): the network configuration
// and its file, the thirteen status servers on the port map, the client's reachability and the
// four periodic sends the master timer calls. All of it runs on the user-interface thread; only
// the reachability ping runs on a worker of its own.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "net/command_server.h"
#include "net/interface_thread_handoff.h"
#include "net/net_config_file.h"
#include "net/reachability_probe.h"
#include "net/status_server.h"
#include "net/status_source.h"
#include "platform/named_mutex.h"

class quorxrtl20mgrclass;
class quorxhwcfgmgrclass;
class kr20setmgrclass;

namespace net {

inline constexpr int kStatusServerCards = 6;
inline constexpr double kPingIntervalSeconds = 10.0;
inline constexpr int kNetCmdLockWaitMs = 1000;
inline constexpr const char* kNetCommandMutexName = "VEXA_NET_COMMAND_MUTEX";

// Port map offsets from the start port.
inline constexpr int kGroupStatusPortOffset = 1;
inline constexpr int kDisplayPortOffset = 7;
inline constexpr int kCommandPortOffset = 16;
inline constexpr int kReplyPortOffset = 17;

// What the manager reaches outside itself; empty members take the program's own.
struct NetManagerHooks {
  std::function<double()> clock;                                  // util::ElapsedSeconds
  PingFunction ping;                                              // PingClientOnce, on the worker
  std::function<std::unique_ptr<StatusTransport>()> transport;    // a POSIX UDP socket
  std::string configPath;                                         // NetConfigPath()
  std::string defaultAddress;                                     // DefaultClientAddressText()
  InterfaceThreadPoster commandPoster;  // where remote commands run; empty: on the receive thread
};

}  // namespace net

class quorxnetmgrclass {
 public:
  explicit quorxnetmgrclass(net::NetManagerHooks hooks = {});
  // Saves the configuration, then deletes the servers.
  ~quorxnetmgrclass();
  quorxnetmgrclass(const quorxnetmgrclass&) = delete;
  quorxnetmgrclass& operator=(const quorxnetmgrclass&) = delete;

  // The datagrams are built from the program's managers (the set manager exists only after this
  // manager), or from any source a caller keeps alive.
  void AttachManagers(const quorxrtl20mgrclass* cards, const quorxhwcfgmgrclass* hwCfg, kr20setmgrclass* setMgr);
  void AttachStatusSource(net::StatusSource* source);

  void SetNetworkDefaults();
  void NetMgrLoadConfig();
  bool NetMgrSaveConfig();
  void CreateNetworkServers();
  void StartNetworkServers();
  void DeleteNetworkServers();

  bool CheckClientReachable();
  bool NetCmdLock();
  void NetCmdUnlock();

  bool SendSystemStatus();
  bool SendCardStatus(int card);
  bool SendSpectrumPacket(int card, int channel);
  bool SendIqPacket(int card, int channel);

  const net::NetConfig& Config() const { return config_; }
  // The network dialog's accepted values; the servers keep theirs until the program restarts.
  void SetConfig(const net::NetConfig& config) { config_ = config; }
  bool Enabled() const { return config_.Enabled; }
  std::int32_t BcRateHz() const { return config_.BcRateHz; }
  bool ClientReachable() const { return ClientReachable_; }
  double LastPingTime() const { return LastPingTime_; }
  const std::string& DefaultClientAddress() const { return DefaultClientAddress_; }
  const vexaserverstatusudpclass* SystemStatusServer() const { return SystemStatusServer_.get(); }
  const vexaserverstatusudpclass* CardStatusServer(int card) const;
  const vexaserverstatusudpclass* CardIqServer(int card) const;
  const vexaservercmdudpclass* CommandServer() const { return CommandServer_.get(); }

 private:
  void CommandServerDecision();
  void PublishRemoteSettings();
  std::unique_ptr<vexaserverstatusudpclass> MakeServer(int port, int index) const;
  double Now() const;
  bool SendThrough(vexaserverstatusudpclass* server, std::span<const std::uint8_t> datagram);
  vexaserverstatusudpclass* CardServer(const std::array<std::unique_ptr<vexaserverstatusudpclass>, 6>& table,
                                       int card) const;

  net::NetManagerHooks hooks_;
  bool ClientReachable_ = false;
  double LastPingTime_ = 0.0;
  std::string DefaultClientAddress_;
  net::NetConfig config_;
  std::unique_ptr<platform::NamedMutex> CommandMutex_;
  std::array<std::unique_ptr<vexaserverstatusudpclass>, net::kStatusServerCards> CardStatusServers_;
  std::array<std::unique_ptr<vexaserverstatusudpclass>, net::kStatusServerCards> CardIqServers_;
  std::unique_ptr<vexaserverstatusudpclass> SystemStatusServer_;
  std::unique_ptr<vexaservercmdudpclass> CommandServer_;
  std::unique_ptr<net::ProgramStatusSource> programSource_;
  net::StatusSource* source_ = nullptr;
  net::ReachabilityProbe probe_;
  std::vector<std::uint8_t> buffer_;
};
