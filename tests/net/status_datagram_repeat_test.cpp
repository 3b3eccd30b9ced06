// The spectrum and IQ datagrams go out up to 20 times a second per card: a count they cannot carry
// is logged once per card, channel and kind, again only when the count changes, and the repeats
// are counted at shut-down, so the error log does not grow without end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/status_datagram_builder.h"
#include "status_test_source.h"
#include "support/byte_image.h"
#include "support/log_capture.h"
#include "util/repeated_log_lines.h"

namespace {

constexpr const char* kLimitLine = "Contact Software... iq elements needs enlarged to";

class StatusDatagramRepeatTest : public ::testing::Test {
 protected:
  void Build(int card, int channel, bool iq, int times) {
    for (int i = 0; i < times; ++i) {
      std::span<std::uint8_t, net::kDisplayPacketBytes> out(out_.data(), net::kDisplayPacketBytes);
      ASSERT_TRUE(iq ? net::BuildIqPacket(source_, card, channel, out) : net::BuildSpectrumPacket(source_, card, channel, out));
    }
  }
  std::vector<std::string> NewLines() {
    const std::vector<std::string> lines = log_.LogLines();
    std::vector<std::string> fresh;
    for (std::size_t i = seen_; i < lines.size(); ++i) fresh.push_back(lines[i].substr(0, 6) + " " + lines[i].substr(29));
    seen_ = lines.size();
    return fresh;
  }

  testsupport::LoggedProgramFolder log_;
  nettest::TestStatusSource source_;
  testsupport::Bytes out_ = testsupport::Bytes(net::kDisplayPacketBytes, 0);
  std::size_t seen_ = 0;
};

TEST_F(StatusDatagramRepeatTest, ACountTooLargeIsLoggedOncePerCardChannelKindAndCountWithTheRepeatsCounted) {
  NewLines();
  // 16384-point spectra and 4096-pair IQ on both cards, as the virtual cards give them.
  for (int card = 0; card < 2; ++card) {
    for (int channel = 0; channel < 2; ++channel) {
      source_.Display(card, channel).SpectrumCount = 16384;
      source_.Display(card, channel).IqCount = 4096;
    }
  }
  for (int pass = 0; pass < 100; ++pass) {
    Build(0, 0, false, 1);
    Build(1, 0, false, 1);
    Build(1, 1, true, 1);
  }
  const std::string limit = std::string(" ") + kLimitLine;
  EXPECT_EQ(NewLines(), (std::vector<std::string>{"016384" + limit, "016384" + limit, "004096" + limit}));

  // Another count on card 2's spectrum: its repeats so far are told, then the new count once.
  source_.Display(1, 0).SpectrumCount = 9000;
  Build(1, 0, false, 5);
  EXPECT_EQ(NewLines(), (std::vector<std::string>{
                            "000000 Card 2 CH 1 spectrum datagram: 99 more times \"" + std::string(kLimitLine) +
                                "\", not logged",
                            "009000" + limit}));
  // Back within the limit: nothing; the shut-down counts what is left.
  source_.Display(0, 0).SpectrumCount = 8000;
  Build(0, 0, false, 3);
  EXPECT_EQ(NewLines(), std::vector<std::string>{});
  util::WriteRepeatedLineCounts();
  const std::string tail = " more times \"" + std::string(kLimitLine) + "\", not logged";
  EXPECT_EQ(NewLines(), (std::vector<std::string>{"000000 Card 1 CH 1 spectrum datagram: 99" + tail,
                                                  "000000 Card 2 CH 1 spectrum datagram: 4" + tail,
                                                  "000000 Card 2 CH 2 IQ datagram: 99" + tail}));
  util::WriteRepeatedLineCounts();
  EXPECT_EQ(NewLines(), std::vector<std::string>{});
}

}  // namespace
