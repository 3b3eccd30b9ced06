// One broadcast period's status datagrams for six cards with both channels: the system status,
// six group statuses and twelve spectrum and twelve IQ datagrams, built, and built and sent to a
// loopback client that drains them.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cmath>
#include <memory>
#include <vector>

#include "net/status_datagram_builder.h"
#include "net/status_server.h"
#include "net/status_test_source.h"

namespace {

constexpr int kCards = 6;

// Six cards with filled records; display blocks at the sizes the cards deliver (no count cut).
std::unique_ptr<nettest::TestStatusSource> MakeSource() {
  auto source = std::make_unique<nettest::TestStatusSource>();
  source->Count = kCards;
  source->RemoteSettings = {true, true, "127.0.0.1"};
  for (int card = 0; card < kCards; ++card) {
    nettest::TestCard& c = source->Card(card);
    c.HasObject = true;
    c.Mask = 0x00FF;
    c.SetupFileName = "USER/SETUPFILES/CARD.VexA";
    c.SpanHz = {2.5e6, 2.5e6};
    nettest::SetText(c.Setup.Fft[0].WindowType, "HANNING");
    nettest::SetText(c.Setup.Fft[1].WindowType, "BLACKMAN");
    for (int channel = 0; channel < 2; ++channel) {
      nettest::FillPattern(source->Status(card, channel), static_cast<std::uint8_t>(card), 3);
      settings::DisplayDataBlock& block = source->Display(card, channel);
      block.IqCount = 2048;
      block.SpectrumCount = 4096;
      for (std::size_t i = 0; i < 4096; ++i) {
        block.IqPairs[i] = {std::cos(0.01 * static_cast<double>(i)), std::sin(0.01 * static_cast<double>(i))};
        block.SpectrumPoints[i] = -90.0 + static_cast<double>(i % 50);
      }
    }
  }
  return source;
}

struct Buffers {
  std::vector<std::uint8_t> system = std::vector<std::uint8_t>(net::kSystemStatusBytes);
  std::vector<std::uint8_t> group = std::vector<std::uint8_t>(net::kGroupStatusBytes);
  std::vector<std::uint8_t> display = std::vector<std::uint8_t>(net::kDisplayPacketBytes);
};

// Builds each datagram of the period and hands it to `send`.
template <class Send>
void BroadcastPeriod(const net::StatusSource& source, Buffers& buffers, Send send) {
  net::BuildSystemStatusPacket(source, std::span<std::uint8_t, net::kSystemStatusBytes>(buffers.system));
  send(-1, buffers.system);
  for (int card = 0; card < kCards; ++card) {
    net::BuildGroupStatusPacket(source, card, std::span<std::uint8_t, net::kGroupStatusBytes>(buffers.group));
    send(card, buffers.group);
    for (int channel = 0; channel < 2; ++channel) {
      const std::span<std::uint8_t, net::kDisplayPacketBytes> display(buffers.display);
      net::BuildSpectrumPacket(source, card, channel, display);
      send(card, buffers.display);
      net::BuildIqPacket(source, card, channel, display);
      send(card, buffers.display);
    }
  }
}

void BM_BuildBroadcastPeriod(benchmark::State& state) {
  const auto source = MakeSource();
  Buffers buffers;
  for (auto _ : state) {
    BroadcastPeriod(*source, buffers, [](int, const std::vector<std::uint8_t>& bytes) {
      benchmark::DoNotOptimize(bytes.data());
    });
  }
  state.SetItemsProcessed(state.iterations() * 31);
}
BENCHMARK(BM_BuildBroadcastPeriod);

void BM_BuildAndSendBroadcastPeriod(benchmark::State& state) {
  const int client = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  const int big = 4 << 20;
  if (client < 0 || ::bind(client, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::getsockname(client, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
      ::setsockopt(client, SOL_SOCKET, SO_RCVBUF, &big, sizeof big) != 0) {
    state.SkipWithError("no loopback client socket");
    return;
  }
  const std::uint16_t port = ntohs(address.sin_port);
  std::vector<std::unique_ptr<vexaserverstatusudpclass>> servers;
  for (int index = -1; index < kCards; ++index) {
    servers.push_back(std::make_unique<vexaserverstatusudpclass>(port, "127.0.0.1", index));
    if (!servers.back()->Open()) {
      state.SkipWithError("status server did not open");
      ::close(client);
      return;
    }
  }
  const auto source = MakeSource();
  Buffers buffers;
  std::vector<std::uint8_t> drain(65536);
  std::int64_t failed = 0;
  for (auto _ : state) {
    BroadcastPeriod(*source, buffers, [&](int index, const std::vector<std::uint8_t>& bytes) {
      if (servers[static_cast<std::size_t>(index + 1)]->Send(bytes) != static_cast<std::int32_t>(bytes.size())) ++failed;
      while (::recv(client, drain.data(), drain.size(), MSG_DONTWAIT) > 0) {
      }
    });
  }
  state.counters["failed_sends"] = static_cast<double>(failed);
  state.SetItemsProcessed(state.iterations() * 31);
  servers.clear();
  ::close(client);
}
BENCHMARK(BM_BuildAndSendBroadcastPeriod);

}  // namespace
