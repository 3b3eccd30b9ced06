// The status datagrams from the running program's managers: two virtual cards with their FPGA
// images, the set manager's records and the cards' own records.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "net/status_datagram_builder.h"
#include "net/status_source.h"
#include "settings/multi_card_fixture.h"
#include "status_test_source.h"
#include "support/byte_image.h"

namespace {

using testsupport::Bytes;

Bytes Slice(const std::vector<std::uint8_t>& bytes, std::size_t offset, std::size_t size) {
  return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
               bytes.begin() + static_cast<std::ptrdiff_t>(offset + size));
}

bool AllZero(const std::vector<std::uint8_t>& bytes, std::size_t offset, std::size_t size) {
  const Bytes part = Slice(bytes, offset, size);
  return std::all_of(part.begin(), part.end(), [](std::uint8_t b) { return b == 0; });
}

class StatusProgramSourceTest : public settingstest::MultiCardTest {
 protected:
  void SetUp() override {
    StartCards({{false, 0}, {true, 4}});
    if (IsSkipped() || HasFatalFailure()) return;
    source_ = std::make_unique<net::ProgramStatusSource>(cards_.get(), hwcfg_.get(), manager_.get());
  }
  std::unique_ptr<net::ProgramStatusSource> source_;
};

TEST_F(StatusProgramSourceTest, SystemStatusFillsOnlyThePresentCards) {
  hwcfg_->AnySimulatedFlag = 1;
  for (int card = 0; card < 2; ++card) {
    nettest::SetText(Rec(card).CardDesignation, card == 0 ? "NORTH" : "SOUTH");
    manager_->SetupFileNames[static_cast<std::size_t>(card)] = card == 0 ? "USER/SETUPFILES/TRACK.VexA" : "";
  }
  ASSERT_NE(cards_->FunctionMask(0), 0);

  std::vector<std::uint8_t> out(net::kSystemStatusBytes, 0xAA);
  net::BuildSystemStatusPacket(*source_, std::span<std::uint8_t, net::kSystemStatusBytes>(out));

  EXPECT_EQ(Slice(out, 0, 5), (Bytes{2, 0, 0, 0, 1}));
  for (int card = 0; card < 2; ++card) {
    SCOPED_TRACE(card);
    const auto slot = static_cast<std::size_t>(card);
    EXPECT_EQ(Slice(out, 5 + 229 * slot, 229), testsupport::ImageOf(cards_->Card(card)->CardInfo()));
    const std::uint16_t mask = cards_->FunctionMask(card);
    EXPECT_EQ(Slice(out, 5448 + 2 * slot, 2), (Bytes{static_cast<std::uint8_t>(mask), static_cast<std::uint8_t>(mask >> 8)}));
  }
  EXPECT_EQ(Slice(out, 1639, 6), (Bytes{'N', 'O', 'R', 'T', 'H', 0}));
  EXPECT_EQ(Slice(out, 1639 + 192, 6), (Bytes{'T', 'R', 'A', 'C', 'K', 0}));
  EXPECT_EQ(Slice(out, 1639 + 624, 6), (Bytes{'S', 'O', 'U', 'T', 'H', 0}));
  EXPECT_TRUE(AllZero(out, 5 + 229 * 2, 229 * 4)) << "card info of the absent cards";
  EXPECT_TRUE(AllZero(out, 1639 + 624 * 2, 624 * 4)) << "names of the absent cards";
  EXPECT_TRUE(AllZero(out, 5448 + 2 * 2, 2 * 4)) << "masks of the absent cards";
}

TEST_F(StatusProgramSourceTest, GroupAndDisplayDatagramsReadTheSetManagersRecords) {
  nettest::FillPattern(manager_->StatusRecord(1, 0), 3, 5);
  nettest::FillPattern(manager_->StatusRecord(1, 1), 4, 9);
  settings::DisplayDataBlock& block = manager_->DisplayBlock(1, 1);
  block.SpectrumCount = 1;
  block.SpectrumPoints[0] = 10.0;
  block.IqCount = 1;
  block.IqPairs[0] = {1.5, -2.25};
  cards_->Card(1)->Fft_SetFrequencySpanInHz(1, 1e6);
  nettest::SetText(Rec(1).Fft[1].WindowType, "HAMMING");

  std::vector<std::uint8_t> group(net::kGroupStatusBytes);
  ASSERT_TRUE(net::BuildGroupStatusPacket(*source_, 1, std::span<std::uint8_t, net::kGroupStatusBytes>(group)));
  EXPECT_EQ(Slice(group, 4, 1509), testsupport::ImageOf(manager_->StatusRecord(1, 0)));
  EXPECT_EQ(Slice(group, 1513, 1509), testsupport::ImageOf(manager_->StatusRecord(1, 1)));
  EXPECT_EQ(Slice(group, 3022, 9090), testsupport::ImageOf(Rec(1)));

  std::vector<std::uint8_t> display(net::kDisplayPacketBytes);
  const std::span<std::uint8_t, net::kDisplayPacketBytes> span(display);
  ASSERT_TRUE(net::BuildSpectrumPacket(*source_, 1, 1, span));
  double spanMhz = 0.0;
  std::memcpy(&spanMhz, display.data() + 9, sizeof spanMhz);
  EXPECT_EQ(spanMhz, cards_->Card(1)->Fft_GetFrequencySpanInHz(1) * 0.000001);
  EXPECT_GT(spanMhz, 0.0);
  EXPECT_EQ(Slice(display, 17, 8), (Bytes{2, 0, 0, 0, 1, 0, 0, 0}));
  EXPECT_EQ(Slice(display, 25, 4), (Bytes{0, 0, 0x20, 0x41}));
  ASSERT_TRUE(net::BuildIqPacket(*source_, 1, 1, span));
  EXPECT_EQ(Slice(display, 21, 12), (Bytes{1, 0, 0, 0, 0, 0, 0xC0, 0x3F, 0, 0, 0x10, 0xC0}));
}

}  // namespace
