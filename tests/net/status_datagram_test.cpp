// The status datagrams byte for byte, built from known records. Expected offsets are written as
// numbers here, not taken from the structs, so a moved field fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "net/status_datagram_builder.h"
#include "status_test_source.h"
#include "support/byte_image.h"
#include "support/log_capture.h"
#include "util/repeated_log_lines.h"

namespace {

using testsupport::Bytes;
using testsupport::Put;
using testsupport::PutText;

constexpr const char* kLimitLine = "Contact Software... iq elements needs enlarged to";

void PutImage(Bytes& image, std::size_t offset, const Bytes& bytes) {
  ASSERT_LE(offset + bytes.size(), image.size());
  std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(offset));
}

// The log lines written since `from`: number column and text.
using LogLine = std::pair<std::string, std::string>;
std::vector<LogLine> LinesSince(const testsupport::LoggedProgramFolder& log, std::size_t from) {
  std::vector<LogLine> lines;
  const std::vector<std::string> all = log.LogLines();
  for (std::size_t i = from; i < all.size(); ++i) lines.push_back({all[i].substr(0, 6), all[i].substr(29)});
  return lines;
}

class StatusDatagramTest : public ::testing::Test {
 protected:
  testsupport::LoggedProgramFolder log_;
  nettest::TestStatusSource source_;
  Bytes out_ = Bytes(net::kDisplayPacketBytes, 0xAA);  // not zero: the builders must zero it

  std::span<std::uint8_t, net::kSystemStatusBytes> System() { return Sized<net::kSystemStatusBytes>(); }
  std::span<std::uint8_t, net::kGroupStatusBytes> Group() { return Sized<net::kGroupStatusBytes>(); }
  std::span<std::uint8_t, net::kDisplayPacketBytes> Display() { return Sized<net::kDisplayPacketBytes>(); }
  template <std::size_t N>
  std::span<std::uint8_t, N> Sized() {
    out_.assign(N, 0xAA);
    return std::span<std::uint8_t, N>(out_.data(), N);
  }
};

TEST_F(StatusDatagramTest, SystemStatusCarriesCardsBelowTheCountThatHaveAnObject) {
  source_.Count = 3;
  source_.AnySimulated = true;
  source_.RemoteSettings = {true, true, " 10.20.30.40 "};
  for (int card = 0; card < 6; ++card) {
    nettest::TestCard& c = source_.Card(card);
    c.HasObject = card != 1;  // card 1 has no object; cards 3..5 lie beyond the count
    nettest::FillPattern(c.Info, static_cast<std::uint8_t>(0x10 * (card + 1)), 3);
    c.Mask = static_cast<std::uint16_t>(0x1234 + card);
    nettest::SetText(c.Setup.CardDesignation, "  ANT-A  ");
    nettest::SetText(c.Setup.StreamDesignation[0], "ABCDEFGHIJKLMNOPQR");  // all 18 bytes, no NUL
    nettest::SetText(c.Setup.StreamDesignation[1], "RHCP");
  }
  source_.Card(0).SetupFileName = "USER\\SETUPFILES\\ MY SETUP .VexA";
  source_.Card(2).SetupFileName = "USER/SETUPFILES/" + std::string(70, 'S') + ".VexA";

  net::BuildSystemStatusPacket(source_, System());

  Bytes expected(5604, 0);
  Put(expected, 0, {3, 0, 0, 0});
  Put(expected, 4, {1});
  PutImage(expected, 5 + 229 * 0, testsupport::ImageOf(source_.Card(0).Info));
  PutImage(expected, 5 + 229 * 2, testsupport::ImageOf(source_.Card(2).Info));
  for (int card : {0, 2}) {
    const std::size_t names = 1639 + 624 * static_cast<std::size_t>(card);
    PutText(expected, names, "ANT-A");
    PutText(expected, names + 64, "ABCDEFGHIJKLMNOPQR");
    PutText(expected, names + 128, "RHCP");
  }
  PutText(expected, 1639 + 192, "MY SETUP");
  PutText(expected, 1639 + 624 * 2 + 192, std::string(63, 'S'));
  Put(expected, 5383, {1});
  PutText(expected, 5384, "10.20.30.40");
  Put(expected, 5448, {0x34, 0x12});
  Put(expected, 5452, {0x36, 0x12});
  testsupport::ExpectSameImage(expected, out_);
}

TEST_F(StatusDatagramTest, SystemStatusRemoteControlFlagAndClientAddress) {
  struct Row {
    const char* name;
    bool enabled;
    bool allow;
    std::string address;
    std::uint8_t flag;
    std::string text;  // empty: the field stays zero
  };
  const Row rows[] = {
      {"enabled and allowed", true, true, "10.1.2.3", 1, "10.1.2.3"},
      {"not allowed", true, false, "10.1.2.3", 0, "10.1.2.3"},
      {"not enabled", false, true, "10.1.2.3", 0, "10.1.2.3"},
      {"subnet broadcast", true, true, "192.168.1.255", 0, ""},
      {"limited broadcast", true, true, "255.255.255.255", 0, ""},
      {"255 inside the address", true, true, "10.255.0.1", 0, ""},
      {"70 characters cut to 63", true, true, std::string(70, 'x'), 1, std::string(63, 'x')},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    source_.RemoteSettings = {row.enabled, row.allow, row.address};
    net::BuildSystemStatusPacket(source_, System());
    Bytes expected(5604, 0);
    Put(expected, 5383, {row.flag});
    PutText(expected, 5384, row.text);
    testsupport::ExpectSameImage(expected, out_);
  }
}

TEST_F(StatusDatagramTest, GroupStatusCarriesBothRecordsAndTheSetup) {
  struct Row {
    const char* name;
    int card;
    bool hasObject;
  };
  for (const Row& row : {Row{"card with object", 1, true}, Row{"card without object", 5, false}}) {
    SCOPED_TRACE(row.name);
    source_.Card(row.card).HasObject = row.hasObject;
    nettest::FillPattern(source_.Status(row.card, 0), 1, 7);
    nettest::FillPattern(source_.Status(row.card, 1), 2, 11);
    nettest::FillPattern(source_.Card(row.card).Setup, 3, 13);

    ASSERT_TRUE(net::BuildGroupStatusPacket(source_, row.card, Group()));

    Bytes expected(12412, 0);
    Put(expected, 0, {static_cast<std::uint8_t>(row.card), 0, 0, 0});
    PutImage(expected, 4, testsupport::ImageOf(source_.Status(row.card, 0)));
    PutImage(expected, 1513, testsupport::ImageOf(source_.Status(row.card, 1)));
    if (row.hasObject) PutImage(expected, 3022, testsupport::ImageOf(source_.Card(row.card).Setup));
    testsupport::ExpectSameImage(expected, out_);
  }
}

TEST_F(StatusDatagramTest, BadCardOrChannelLeavesTheDatagramZeroAndIsLogged) {
  struct Row {
    const char* name;
    int kind;  // 0 group, 1 IQ, 2 spectrum
    int card;
    int channel;
    LogLine line;
  };
  const Row rows[] = {
      {"group card 6", 0, 6, 0, {"000006", "BuildGroupStatusPacket: card 6 channel 0 out of range"}},
      {"group card -1", 0, -1, 0, {"-00001", "BuildGroupStatusPacket: card -1 channel 0 out of range"}},
      {"IQ channel 2", 1, 0, 2, {"000000", "BuildIqPacket: card 0 channel 2 out of range"}},
      {"spectrum card 7", 2, 7, 1, {"000007", "BuildSpectrumPacket: card 7 channel 1 out of range"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::size_t before = log_.LogLines().size();
    bool built = true;
    if (row.kind == 0) built = net::BuildGroupStatusPacket(source_, row.card, Group());
    if (row.kind == 1) built = net::BuildIqPacket(source_, row.card, row.channel, Display());
    if (row.kind == 2) built = net::BuildSpectrumPacket(source_, row.card, row.channel, Display());
    EXPECT_FALSE(built);
    EXPECT_TRUE(std::all_of(out_.begin(), out_.end(), [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(LinesSince(log_, before), std::vector<LogLine>{row.line});
  }
}

TEST_F(StatusDatagramTest, IqDatagramHeaderAndPairsAsFloats) {
  settings::DisplayDataBlock& block = source_.Display(2, 1);
  block.IqCount = 3;
  block.IqPairs[0] = {1.5, -2.25};
  block.IqPairs[1] = {3.0, 0.125};
  block.IqPairs[2] = {-1.0, 0.5};
  block.IqPairs[3] = {7.0, 7.0};  // beyond the count
  block.SpectrumCount = 2;
  source_.Card(2).HasObject = true;
  source_.Card(2).SpanHz[1] = 2.5e6;

  ASSERT_TRUE(net::BuildIqPacket(source_, 2, 1, Display()));

  Bytes expected(32105, 0);
  Put(expected, 0, {2, 0, 0, 0});
  Put(expected, 4, {1, 0, 0, 0});
  Put(expected, 8, {1});
  Put(expected, 21, {3, 0, 0, 0});
  Put(expected, 25, {0, 0, 0xC0, 0x3F, 0, 0, 0x10, 0xC0});
  Put(expected, 33, {0, 0, 0x40, 0x40, 0, 0, 0, 0x3E});
  Put(expected, 41, {0, 0, 0x80, 0xBF, 0, 0, 0, 0x3F});
  testsupport::ExpectSameImage(expected, out_);
}

TEST_F(StatusDatagramTest, SpectrumDatagramHeaderSpanWindowAndPoints) {
  settings::DisplayDataBlock& block = source_.Display(4, 0);
  block.SpectrumCount = 2;
  block.SpectrumPoints[0] = -80.5;
  block.SpectrumPoints[1] = 10.0;
  block.SpectrumPoints[2] = 99.0;  // beyond the count
  block.IqCount = 5;
  source_.Card(4).HasObject = true;
  source_.Card(4).SpanHz = {2.5e6, 1.0e6};
  nettest::SetText(source_.Card(4).Setup.Fft[0].WindowType, "BLACKMAN");
  nettest::SetText(source_.Card(4).Setup.Fft[1].WindowType, "KAISER");

  ASSERT_TRUE(net::BuildSpectrumPacket(source_, 4, 0, Display()));

  Bytes expected(32105, 0);
  Put(expected, 0, {4, 0, 0, 0});
  Put(expected, 9, {0, 0, 0, 0, 0, 0, 0x04, 0x40});
  Put(expected, 17, {4, 0, 0, 0});
  Put(expected, 21, {2, 0, 0, 0});
  Put(expected, 25, {0, 0, 0xA1, 0xC2, 0, 0, 0x20, 0x41});
  testsupport::ExpectSameImage(expected, out_);
}

TEST_F(StatusDatagramTest, WindowCodes) {
  struct Row {
    const char* text;
    std::uint32_t code;
  };
  const Row rows[] = {
      {"NONE", 0},     {"HANNING", 1}, {"HAMMING", 2}, {"BARLETT", 3}, {"BLACKMAN", 4},
      {"KAISER", 5},   {"BARTLETT", 1}, {"blackman", 1}, {" KAISER", 1}, {"", 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(net::WindowCodeOf(row.text), row.code);
  }
}

TEST_F(StatusDatagramTest, CountsAreHeldToWhatTheDatagramCarriesAndLogged) {
  struct Row {
    const char* name;
    bool iq;
    std::int32_t blockCount;
    std::int32_t carried;
    bool logged;
  };
  const Row rows[] = {
      {"IQ 4096 pairs", true, 4096, 4010, true},
      {"IQ 2048 pairs", true, 2048, 2048, false},
      {"IQ 4010 pairs", true, 4010, 4010, false},
      {"IQ negative count", true, -5, 0, true},
      {"spectrum 8192 points", false, 8192, 8000, true},
      {"spectrum 4096 points", false, 4096, 4096, false},
      {"spectrum 8000 points", false, 8000, 8000, false},
  };
  settings::DisplayDataBlock& block = source_.Display(0, 0);
  for (std::size_t i = 0; i < settings::kDisplayPoints; ++i) {
    block.IqPairs[i] = {1.0, 1.0};
    block.SpectrumPoints[i] = 1.0;
  }
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    util::ForgetRepeatedLines();  // each row on its own; the repeats have their own test
    block.IqCount = row.iq ? row.blockCount : 1;
    block.SpectrumCount = row.iq ? 1 : row.blockCount;
    for (int build = 0; build < 2; ++build) {  // logged at the first build only
      const std::size_t before = log_.LogLines().size();
      ASSERT_TRUE(row.iq ? net::BuildIqPacket(source_, 0, 0, Display()) : net::BuildSpectrumPacket(source_, 0, 0, Display()));
      std::int32_t count = 0;
      std::memcpy(&count, out_.data() + 21, sizeof count);
      EXPECT_EQ(count, row.carried);
      // The values end exactly after the carried count: 1.0f up to it, zero after it.
      const std::size_t end = 25 + static_cast<std::size_t>(row.carried) * (row.iq ? 8 : 4);
      const Bytes one{0, 0, 0x80, 0x3F};
      const auto endAt = out_.begin() + static_cast<std::ptrdiff_t>(end);
      if (row.carried > 0) {
        EXPECT_EQ(Bytes(endAt - 4, endAt), one);
      }
      EXPECT_TRUE(std::all_of(endAt, out_.end(), [](std::uint8_t b) { return b == 0; }));
      std::vector<LogLine> expectedLines;
      if (row.logged && build == 0) {
        char number[16];
        std::snprintf(number, sizeof number, "%06d", row.blockCount);
        expectedLines.push_back({number, kLimitLine});
      }
      EXPECT_EQ(LinesSince(log_, before), expectedLines);
    }
  }
}

}  // namespace
