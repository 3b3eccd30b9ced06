// The card layer's fixed records: every one starts all zero, and one golden image of the setup
// record (offsets as numbers: they are the file format; the headers pin every other offset).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <new>

#include "card/records/card_info_block.h"
#include "card/records/card_setup_record.h"
#include "card/records/dncvt_channel_record.h"
#include "card/records/fpga_info_records.h"
#include "card/records/hw_config_records.h"
#include "support/byte_image.h"

namespace card {
namespace {

using testsupport::Bytes;
using testsupport::ImageOf;
using testsupport::Put;
using testsupport::PutText;

// Value- and default-initialisation both give an all-zero record, whatever the storage held.
template <typename T>
void ExpectZeroInitialised() {
  alignas(T) std::uint8_t storage[sizeof(T)];
  for (const bool valueInit : {true, false}) {
    std::memset(storage, 0xA5, sizeof storage);
    T* record = valueInit ? new (storage) T() : new (storage) T;
    EXPECT_EQ(ImageOf(*record), Bytes(sizeof(T), 0)) << (valueInit ? "value" : "default") << "-init, " << sizeof(T);
    record->~T();
  }
}

TEST(Records, StartAllZero) {
  ExpectZeroInitialised<CardSetupRecord>();
  ExpectZeroInitialised<kr20cardinfo>();
  ExpectZeroInitialised<DnCvtChannelRecord>();
  ExpectZeroInitialised<FpgaInfoRecord>();
  ExpectZeroInitialised<FpgaLoadState>();
  ExpectZeroInitialised<HwCfgEnableRecord>();
  ExpectZeroInitialised<HwCfgCardSetRecord>();
}

TEST(Records, CardSetupRecordGoldenImage) {
  CardSetupRecord r{};
  r.RouteInfo.FpgaMasterMode = 12;
  r.RouteInfo.PskFmCombinerToChA = 1;
  std::strncpy(r.StreamDesignation[1], "TLM-B", sizeof r.StreamDesignation[1] - 1);
  r.Receiver[0].BitSync[0].Bitrate = 10000000;
  r.Receiver[0].Routing.PskSakBbOutSelection = -2;
  r.Receiver[1].CarrierFreqMhz = 2250.5;
  r.TxBert[1].UserPattern = 0xDEADBEEFu;
  r.Modulator.IFMaxOutuptCal = -3;
  r.BasebandSources.BB2DacSource = 5;

  Bytes expected(9090, 0);
  Put(expected, 0, {0x0C, 0, 0, 0});
  Put(expected, 14, {0x01});
  PutText(expected, 51, "TLM-B");
  Put(expected, 69, {0x80, 0x96, 0x98, 0x00});                            // Rx0 bitsync 1 rate
  Put(expected, 947, {0xFE, 0xFF, 0xFF, 0xFF});                           // Rx0 routing
  Put(expected, 4099, {0x00, 0x00, 0x00, 0x00, 0x00, 0x95, 0xA1, 0x40});  // Rx1 carrier MHz
  Put(expected, 6853, {0xEF, 0xBE, 0xAD, 0xDE});                          // Tx BERT 1 pattern
  Put(expected, 8279, {0xFD, 0xFF, 0xFF, 0xFF});                          // IF max output cal
  Put(expected, 9086, {0x05, 0, 0, 0});
  testsupport::ExpectSameImage(expected, ImageOf(r));
}

}  // namespace
}  // namespace card
