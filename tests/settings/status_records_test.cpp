// Byte image of the status record the group-status datagram carries: zeroed at construction,
// little-endian numbers and IEEE doubles, texts in place. Offsets are written out as numbers on
// purpose: they are the wire format, not whatever the struct computes.
#include <gtest/gtest.h>

#include <cstring>

#include "settings/channel_status_record.h"
#include "support/byte_image.h"

namespace settings {
namespace {

using testsupport::Bytes;
using testsupport::Put;

TEST(StatusRecords, ChannelStatusRecordFieldsLandAtTheirOffsets) {
  ChannelStatusRecord record;
  testsupport::ExpectSameImage(Bytes(1509, 0), testsupport::ImageOf(record));

  record.RouteInfo.RouteMode = 0x01020304;
  record.DnCvt.AmFrequency = -2;
  std::memcpy(record.Receiver.ReceiverName, "PCM_FM", 6);
  record.Receiver.CarrierFreqMhz = 70.2;
  record.BitSync1.EbNoDb = 15.5;
  record.BitSync2.PcmOutputCode = 5;
  record.Bert.BitErrorRate = -1.0;
  record.PostD.CombinerMode = 1;
  record.PreD.ChanBMeasuredNoise = 15.5;

  Bytes expected(1509, 0);
  Put(expected, 8, {0x04, 0x03, 0x02, 0x01});
  Put(expected, 34, {0xFE, 0xFF, 0xFF, 0xFF});
  testsupport::PutText(expected, 159, "PCM_FM");
  Put(expected, 224, {0xCD, 0xCC, 0xCC, 0xCC, 0xCC, 0x8C, 0x51, 0x40});
  Put(expected, 411, {0, 0, 0, 0, 0, 0, 0x2F, 0x40});
  Put(expected, 689, {0x05, 0, 0, 0});
  Put(expected, 820, {0, 0, 0, 0, 0, 0, 0xF0, 0xBF});
  Put(expected, 949, {0x01});
  Put(expected, 1061, {0, 0, 0, 0, 0, 0, 0x2F, 0x40});
  testsupport::ExpectSameImage(expected, testsupport::ImageOf(record));
}

}  // namespace
}  // namespace settings
