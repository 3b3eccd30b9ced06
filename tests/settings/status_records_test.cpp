// Byte images of the status record and the display block. Offsets are written out as numbers on
// purpose: they are the wire format the datagrams carry, not whatever the structs compute.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "settings/channel_status_record.h"
#include "settings/display_data_block.h"
#include "support/byte_image.h"

namespace settings {
namespace {

using testsupport::Bytes;
using testsupport::ExpectSameImage;
using testsupport::ImageOf;
using testsupport::Put;
using testsupport::PutText;

TEST(StatusRecords, ChannelStatusRecordFieldsLandAtTheirOffsets) {
  ChannelStatusRecord record;
  ExpectSameImage(Bytes(1509, 0), ImageOf(record));

  record.RouteInfo.ModeFunction = 1;
  record.RouteInfo.RouteMode = 0x01020304;
  record.RouteInfo.RouteBytes[2] = 0xAB;
  record.DnCvt.TunedFreqMhz = 2.5;
  record.DnCvt.PllStatus3 = 3;
  record.DnCvt.AmFrequency = -2;
  record.DnCvt.IfFilterIndex = 7;
  record.AgcZeroReference = -44.0;
  std::memcpy(record.Receiver.ReceiverName, "PCM_FM", 6);
  record.Receiver.CarrierLocked = 1;
  record.Receiver.CarrierFreqMhz = 70.2;
  record.Receiver.LowestSignalFreqHz = 70000000.0;
  record.Receiver.ClockRisingEdge = 1;
  record.Receiver.MhCpmStatusValue2 = 1.5;
  record.BitSync1.Locked = 1;
  record.BitSync1.EbNoDb = 15.5;
  std::memcpy(record.BitSync1.PcmInputCode, "RNRZ-15", 7);
  record.BitSync2.BitRate = 2000000.0;
  record.BitSync2.PcmOutputCode = 5;
  record.Bert.DataInverted = 1;
  record.Bert.TotalBits = 0x11223344;
  record.Bert.BitErrorRate = -1.0;
  record.PostD.CombiningGainDb = 1.5;
  record.PostD.ChanBScalePct = 0.25;
  record.PostD.CombinerMode = 1;
  record.PreD.SecondByte = 1;
  record.PreD.ChanBMeasuredNoise = 15.5;

  Bytes expected(1509, 0);
  Put(expected, 0, {0x01, 0, 0, 0});
  Put(expected, 8, {0x04, 0x03, 0x02, 0x01});
  Put(expected, 14, {0xAB});
  Put(expected, 15, {0, 0, 0, 0, 0, 0, 0x04, 0x40});
  Put(expected, 32, {0x03});
  Put(expected, 34, {0xFE, 0xFF, 0xFF, 0xFF});
  Put(expected, 50, {0x07});
  Put(expected, 51, {0, 0, 0, 0, 0, 0, 0x46, 0xC0});
  PutText(expected, 159, "PCM_FM");
  Put(expected, 223, {0x01});
  Put(expected, 224, {0xCD, 0xCC, 0xCC, 0xCC, 0xCC, 0x8C, 0x51, 0x40});
  Put(expected, 288, {0, 0, 0, 0, 0x76, 0xB0, 0x90, 0x41});
  Put(expected, 297, {0x01});
  Put(expected, 302, {0, 0, 0, 0, 0, 0, 0xF8, 0x3F});
  Put(expected, 410, {0x01});
  Put(expected, 411, {0, 0, 0, 0, 0, 0, 0x2F, 0x40});
  PutText(expected, 435, "RNRZ-15");
  Put(expected, 617, {0, 0, 0, 0, 0x80, 0x84, 0x3E, 0x41});
  Put(expected, 689, {0x05, 0, 0, 0});
  Put(expected, 791, {0x01});
  Put(expected, 808, {0x44, 0x33, 0x22, 0x11});
  Put(expected, 820, {0, 0, 0, 0, 0, 0, 0xF0, 0xBF});
  Put(expected, 908, {0, 0, 0, 0, 0, 0, 0xF8, 0x3F});
  Put(expected, 940, {0, 0, 0, 0, 0, 0, 0xD0, 0x3F});
  Put(expected, 949, {0x01});
  Put(expected, 1051, {0x01});
  Put(expected, 1061, {0, 0, 0, 0, 0, 0, 0x2F, 0x40});
  ExpectSameImage(expected, ImageOf(record));
}

TEST(StatusRecords, DisplayDataBlockFieldsLandAtTheirOffsets) {
  auto block = std::make_unique<DisplayDataBlock>();
  ExpectSameImage(Bytes(393225, 0), ImageOf(*block));

  block->DataFlag = 0x5A;
  block->IqCount = 4096;
  block->SpectrumCount = 0x01020304;
  block->IqPairs[0].I = 1.5;
  block->IqPairs[kDisplayPoints - 1].Q = -1.0;
  block->SpectrumPoints[0] = -44.0;
  block->SpectrumPoints[kDisplayPoints - 1] = 0.25;

  Bytes expected(393225, 0);
  Put(expected, 0, {0x5A});
  Put(expected, 1, {0x00, 0x10, 0, 0});
  Put(expected, 5, {0x04, 0x03, 0x02, 0x01});
  Put(expected, 9, {0, 0, 0, 0, 0, 0, 0xF8, 0x3F});
  Put(expected, 262145, {0, 0, 0, 0, 0, 0, 0xF0, 0xBF});
  Put(expected, 262153, {0, 0, 0, 0, 0, 0, 0x46, 0xC0});
  Put(expected, 393217, {0, 0, 0, 0, 0, 0, 0xD0, 0x3F});
  ExpectSameImage(expected, ImageOf(*block));
}

}  // namespace
}  // namespace settings
