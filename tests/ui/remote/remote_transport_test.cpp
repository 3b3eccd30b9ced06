// Requests over loopback to the running program: which datagrams are served, the validation texts
// in their order of precedence, and the log line every served request leaves.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <thread>

#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "net/net_manager.h"
#include "net/remote_command_processor.h"
#include "remote_fixture.h"
#include "util/process_globals.h"

namespace remotetest {
namespace {

using RemoteTransportTest = RemoteTest;

TEST_F(RemoteTransportTest, OnlyWholeRequestsFromTheClientAreServedAndAnsweredWithTheHeaderEchoed) {
  StartRemote();
  const std::size_t linesBefore = RemoteLines().size();
  nettest::LoopbackPeer otherAddress(0, nettest::kOtherLoopback);
  ASSERT_NE(otherAddress.Port(), 0);
  ASSERT_TRUE(client_.SendTo(CommandPort(), Request(0, 1, 300, 1.0, "", net::kRemoteCommandRequestBytes - 1)));
  ASSERT_TRUE(client_.SendTo(CommandPort(), Request(0, 1, 300, 1.0, "", net::kRemoteCommandRequestBytes + 1)));
  ASSERT_TRUE(otherAddress.SendTo(CommandPort(), Request(0, 1, 300, 1.0)));
  // The requests above came first: were any served, its reply would be the first to arrive.
  const Bytes request = Request(1, 5, 300, 1.0);
  const Reply reply = Exchange(request);
  ASSERT_TRUE(reply.Received());
  EXPECT_TRUE(std::equal(request.begin(), request.begin() + 12, reply.bytes.begin()));
  EXPECT_TRUE(reply.Success());
  EXPECT_EQ(reply.Message(), "");
  EXPECT_EQ(reply.ValueCount(), 0u);
  EXPECT_EQ(reply.TextCount(), 0u);
  // Every other byte of the reply is zero.
  EXPECT_TRUE(std::all_of(reply.bytes.begin() + 13, reply.bytes.end(), [](std::uint8_t b) { return b == 0; }));
  EXPECT_TRUE(replies_->Receive(100).empty());
  const std::vector<LogLine> lines = RemoteLines();
  ASSERT_EQ(lines.size(), linesBefore + 1);
  EXPECT_EQ(lines.back().number, 1);
  EXPECT_EQ(lines.back().text, Line(300, "SET AGC SLOPE MODE", "1.000000", " Processed OK"));
}

TEST_F(RemoteTransportTest, ValidationTextsComeInTheirOrderOfPrecedence) {
  StartRemote();
  struct Row {
    const char* name;
    std::int32_t group;
    std::int32_t channel;
    std::int32_t command;
    const char* message;  // "" for success
    const char* logName;
  };
  const Row rows[] = {
      {"group equal to the card count", 2, 0, 401, "Invalid Group Index", "UNKNOWN COMMAND"},
      {"negative group", -1, 0, 401, "Invalid Group Index", "UNKNOWN COMMAND"},
      {"bad group before bad channel", 6, 5, 100, "Invalid Group Index", "UNKNOWN COMMAND"},
      {"channel 2 of a card command", 0, 2, 100, "Invalid Channel Index", "UNKNOWN COMMAND"},
      {"channel -1 of a receiver command", 0, -1, 454, "Invalid Channel Index", "UNKNOWN COMMAND"},
      {"unknown number below 200 checks the channel", 0, 5, 150, "Invalid Channel Index", "UNKNOWN COMMAND"},
      {"unknown number from 200 on ignores the channel", 0, 5, 999, "Unknown Command", "UNKNOWN COMMAND"},
      {"a command without a channel ignores it", 1, 7, 300, "", "SET AGC SLOPE MODE"},
      {"unknown command", 1, 0, 999, "Unknown Command", "UNKNOWN COMMAND"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Reply reply = Command(row.group, row.channel, row.command, 0.0);
    ASSERT_TRUE(reply.Received());
    EXPECT_EQ(reply.Success(), std::string(row.message).empty());
    EXPECT_EQ(reply.Message(), row.message);
    const std::vector<LogLine> lines = RemoteLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().number, row.group);
    const std::string end = std::string(row.message).empty() ? " Processed OK" : std::string("  FAILED ") + row.message;
    EXPECT_EQ(lines.back().text, Line(row.command, row.logName, "0.000000", end));
  }

  // What the wire cannot reach (the command server exists only while remote control is allowed,
  // and stops receiving once the program closes): the processor itself, on this thread.
  net::RemoteCommandProcessor processor;
  const auto process = [&](std::int32_t group) {
    const Bytes request = Request(group, 0, 300, 0.0);
    Bytes reply(net::kRemoteCommandReplyBytes);
    const std::span<const std::uint8_t, net::kRemoteCommandRequestBytes> in(request.data(), request.size());
    net::StartRemoteCommandReply(in, net::RemoteReplyBytes(reply.data(), reply.size()));
    processor.ProcessRemoteCommand(in, net::RemoteReplyBytes(reply.data(), reply.size()));
    return Reply{reply}.Message();
  };
  quorxnetmgrclass* const running = gNetMgr;
  const auto managerWith = [&](const std::string& config) {
    net::NetManagerHooks hooks;
    hooks.configPath = folder_ / "other.cfg";
    EXPECT_TRUE(testsupport::WriteWholeFile(hooks.configPath, "[NET Configuration]\r\n" + config));
    return std::make_unique<quorxnetmgrclass>(hooks);
  };
  {
    SCOPED_TRACE("network disabled");
    const auto disabled = managerWith("Enabled=NO\r\nAllowRemoteControl=YES\r\nClientIpAddr=127.0.0.1\r\n");
    gNetMgr = disabled.get();
    EXPECT_EQ(process(0), "Network Not Enabled");
    EXPECT_EQ(process(2), "Invalid Group Index");
    gNetMgr = running;
  }
  {
    SCOPED_TRACE("remote control not allowed");
    const auto notAllowed = managerWith("Enabled=YES\r\nAllowRemoteControl=NO\r\nClientIpAddr=127.0.0.1\r\n");
    gNetMgr = notAllowed.get();
    EXPECT_EQ(process(0), "Remote Control Not Allowed");
    gNetMgr = running;
  }
  {
    SCOPED_TRACE("closing comes first");
    util::ClosingFlag = true;
    EXPECT_EQ(process(0), "Program Shutting Down");
    EXPECT_EQ(process(9), "Program Shutting Down");
    util::ClosingFlag = false;
  }
  {
    SCOPED_TRACE("a card counted without its object");
    gRtl20Mgr->SetCardCount(3);
    EXPECT_EQ(process(2), "Invalid Group Index");
    gRtl20Mgr->SetCardCount(2);
  }
  EXPECT_EQ(process(0), "");
}

TEST_F(RemoteTransportTest, ARequestWaitsWhileAnFpgaLoadLetsTheQueueRun) {
  StartRemote();
  const std::size_t linesBefore = RemoteLines().size();
  ASSERT_TRUE(client_.SendTo(CommandPort(), Request(0, 0, 400, 0.0)));
  // The receive thread queues the request on this thread, which is not running its queue yet.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  // The end of a load: the handler lets the queue run with the load's caller still below it.
  form_->WMFpgaLoad(0, 0);
  EXPECT_EQ(RemoteLines().size(), linesBefore);
  EXPECT_TRUE(replies_->Receive(0).empty());
  Reply reply;
  ASSERT_TRUE(RunUntil(
      [&] {
        reply.bytes = replies_->Receive(0);
        return reply.Received();
      },
      std::chrono::seconds(10)));
  EXPECT_TRUE(reply.Success());
  EXPECT_EQ(LastRemoteLine(), Line(400, "RESTART ACQUISITION", "0.000000", " Processed OK"));
}

TEST_F(RemoteTransportTest, TheLogLineCarriesNumberNameAndValueInFixedForm) {
  StartRemote();
  ASSERT_TRUE(Command(0, 0, 401, 2250.5).Success());
  EXPECT_EQ(LastRemoteLine(), Line(401, "SET TUNED FREQ", "2250.500000", " Processed OK"));
  ASSERT_FALSE(Command(0, 0, 401, std::numeric_limits<double>::quiet_NaN()).Success());
  EXPECT_EQ(LastRemoteLine(), Line(401, "SET TUNED FREQ", "NAN", "  FAILED Not Valid Tuned Freq"));
  // The value is cut to 16 characters.
  ASSERT_FALSE(Command(0, 0, 403, -123456789.125).Success());
  EXPECT_EQ(LastRemoteLine(), Line(403, "SET DATA RATE", "-123456789.12500", "  FAILED Invalid Data Rate"));
}

}  // namespace
}  // namespace remotetest
