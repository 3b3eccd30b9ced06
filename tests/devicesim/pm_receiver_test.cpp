// The PM receiver of the PM-PSK personalities: its bit synchroniser's loops answer through the PSK
// stream-1 entries, as the card's do, with the defaults of the other receivers' bit syncs.
#include <gtest/gtest.h>

#include <string>

#include "sim_library.h"

namespace simtest {
namespace {

class PmReceiverTest : public SimTest {};

// Card 0 is a standard board (PM-PSK is mode 3), card 1 a chip-variant board (mode 13).
TEST_F(PmReceiverTest, BitSyncLoopsOfThePmChannelAnswerThroughThePskEntries) {
  for (const auto& [cardIndex, mode] : {std::pair{0, 3}, std::pair{1, 13}}) {
    SCOPED_TRACE("mode " + std::to_string(mode));
    Load(cardIndex, mode);
    // The PM receiver is channel 0: the defaults every receiver's bit sync starts with.
    EXPECT_DOUBLE_EQ(Number(F().PskRx_GetBitSyncStream1AcquisitionRangeInPercentOfBitRate, cardIndex, 0), 1.0);
    EXPECT_DOUBLE_EQ(Number(F().PskRx_GetBitSyncStream1LoopWidthInPercentOfBitRate, cardIndex, 0), 0.1);
    EXPECT_DOUBLE_EQ(Number(F().PskRx_GetBitSyncStream1AcquisitionRangeInPercentOfBitRate, cardIndex, 1), 1.0);

    // Set through the matching setters, read back; the PSK channel keeps its own.
    ASSERT_EQ(F().PskRx_SetBitSyncStream1AcquisitionRangeInPercentOfBitRate(cardIndex, 0, 0.25), card::kDevOk);
    ASSERT_EQ(F().PskRx_SetBitSyncStream1LoopWidthInPercentOfBitRate(cardIndex, 0, 0.035), card::kDevOk);
    EXPECT_DOUBLE_EQ(Number(F().PskRx_GetBitSyncStream1AcquisitionRangeInPercentOfBitRate, cardIndex, 0), 0.25);
    EXPECT_DOUBLE_EQ(Number(F().PskRx_GetBitSyncStream1LoopWidthInPercentOfBitRate, cardIndex, 0), 0.035);
    EXPECT_DOUBLE_EQ(Number(F().PskRx_GetBitSyncStream1AcquisitionRangeInPercentOfBitRate, cardIndex, 1), 1.0);
    EXPECT_DOUBLE_EQ(Number(F().PskRx_GetBitSyncStream1LoopWidthInPercentOfBitRate, cardIndex, 1), 0.1);

    // Out-of-range values are refused as on every receiver.
    EXPECT_EQ(F().PskRx_SetBitSyncStream1LoopWidthInPercentOfBitRate(cardIndex, 0, 0.0), card::kDevBadArgument);
    EXPECT_DOUBLE_EQ(Number(F().PskRx_GetBitSyncStream1LoopWidthInPercentOfBitRate, cardIndex, 0), 0.035);

    // The rest of the PSK receiver is not the PM receiver's.
    double rate = 0.0;
    EXPECT_EQ(F().PskRx_GetBitSyncStream1RateInbps(cardIndex, 0, &rate), card::kDevNotSupported);
    EXPECT_EQ(F().PskRx_GetCarrierCenterFrequencyInHz(cardIndex, 0, &rate), card::kDevNotSupported);
  }
}

TEST_F(PmReceiverTest, ThePskEntriesOfAnFmReceiverStayUnsupported) {
  Load(0, 2);  // FM-FM
  double value = 0.0;
  EXPECT_EQ(F().PskRx_GetBitSyncStream1AcquisitionRangeInPercentOfBitRate(0, 0, &value), card::kDevNotSupported);
  EXPECT_EQ(F().PskRx_SetBitSyncStream1LoopWidthInPercentOfBitRate(0, 0, 0.2), card::kDevNotSupported);
}

}  // namespace
}  // namespace simtest
