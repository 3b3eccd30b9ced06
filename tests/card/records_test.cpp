// Byte images of the card layer's fixed records. The offsets below are written out as numbers on
// purpose: they are the wire format, not whatever the structs happen to compute.
#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "card/records/card_info_block.h"
#include "card/records/card_setup_record.h"
#include "card/records/dncvt_channel_record.h"
#include "card/records/fpga_info_records.h"
#include "card/records/hw_config_records.h"
#include "support/byte_image.h"

namespace card {
namespace {

using testsupport::Bytes;
using testsupport::ExpectSameImage;
using testsupport::ImageOf;
using testsupport::Put;
using testsupport::PutText;

template <std::size_t N>
void SetText(char (&field)[N], const char* text) {
  std::memset(field, 0, N);
  std::strncpy(field, text, N - 1);
}

// Value-initialisation and default-initialisation both give an all-zero record, whatever the
// storage held before.
template <typename T>
void ExpectZeroInitialised() {
  alignas(T) std::uint8_t storage[sizeof(T)];
  std::memset(storage, 0xA5, sizeof storage);
  T* valueInit = new (storage) T();
  EXPECT_EQ(ImageOf(*valueInit), Bytes(sizeof(T), 0)) << "value-init of " << sizeof(T) << " bytes";
  valueInit->~T();

  std::memset(storage, 0xA5, sizeof storage);
  T* defaultInit = new (storage) T;
  EXPECT_EQ(ImageOf(*defaultInit), Bytes(sizeof(T), 0)) << "default-init of " << sizeof(T) << " bytes";
  defaultInit->~T();
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
  r.RouteInfo.UserReceiverMode = 16;
  r.RouteInfo.RouteMode = 1;
  r.RouteInfo.PskFmCombinerToChA = 1;
  SetText(r.CardDesignation, "CARD-A");
  SetText(r.StreamDesignation[1], "TLM-B");
  r.Receiver[0].BitSync[0].Bitrate = 10000000;
  r.Receiver[0].BitSync[1].ViterbiG2Inverted = 1;
  r.Receiver[0].Routing.PskSakBbOutSelection = -2;
  r.Receiver[1].CarrierFreqMhz = 2250.5;
  r.Receiver[1].CarrierThesholdDbm = -95.25;
  SetText(r.Receiver[1].DemodMode, "SOQPSK");
  r.Receiver[1].PmLoopDiscriminatorEnabled = 1;
  r.Receiver[1].MhCpmLoopValue = 0.5;
  r.RxBert[1].UserPattern = 0xABCDu;
  r.RxBert[1].NumSecsToAverage = 7;
  r.TxBert[0].BitRate = 1e6;
  r.TxBert[1].UserPattern = 0xDEADBEEFu;
  SetText(r.PreD.NoiseEstimateMode, "AUTO");
  r.PreD.CombinerModeOff = 1;
  SetText(r.PostD.DiversityOutput, "COMBINING_OUTPUT");
  r.PostD.CombinerModePolarity = 1;
  r.Modulator.SweepRateHz = 100.0;
  r.Modulator.StopFreqMhzAry[2] = 70.25;
  r.Modulator.Profiles[4].MinRangeValue = -1.0;
  r.Modulator.CarrierFreqMhz = 70.0;
  r.Modulator.PcmEncoder[1].FallingClockEdge = 1;
  r.Modulator.IFMaxOutuptCal = -3;
  SetText(r.Modulator.Sub1InputSource, "PCM_ENCODER1");
  r.Modulator.SakIfModOutputToDiversity = 1;
  r.Iq[1].UpdateRateHz = 20;
  SetText(r.Fft[1].WindowType, "HANNING");
  r.Fft[2].RefLevelPct = 0.75;
  r.BasebandSources.BB2DacSource = 5;

  Bytes expected(9090, 0);
  Put(expected, 0, {0x0C, 0, 0, 0});
  Put(expected, 4, {0x10, 0, 0, 0});
  Put(expected, 8, {0x01, 0, 0, 0});
  Put(expected, 14, {0x01});
  PutText(expected, 15, "CARD-A");
  PutText(expected, 51, "TLM-B");
  Put(expected, 69, {0x80, 0x96, 0x98, 0x00});                            // Rx0 bitsync 1 rate
  Put(expected, 626, {0x01});                                             // Rx0 bitsync 2 G2
  Put(expected, 947, {0xFE, 0xFF, 0xFF, 0xFF});                           // Rx0 routing
  Put(expected, 4099, {0x00, 0x00, 0x00, 0x00, 0x00, 0x95, 0xA1, 0x40});  // Rx1 carrier MHz
  Put(expected, 4124, {0x00, 0x00, 0x00, 0x00, 0x00, 0xD0, 0x57, 0xC0});  // Rx1 threshold
  PutText(expected, 4132, "SOQPSK");
  Put(expected, 6076, {0x01});                                            // Rx1 PM loop flag
  Put(expected, 6101, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xE0, 0x3F});  // Rx1 multi-h value
  Put(expected, 6391, {0xCD, 0xAB, 0x00, 0x00});                          // Rx BERT 1 pattern
  Put(expected, 6395, {0x07, 0, 0, 0});
  Put(expected, 6528, {0x00, 0x00, 0x00, 0x00, 0x80, 0x84, 0x2E, 0x41});  // Tx BERT 0 rate
  Put(expected, 6853, {0xEF, 0xBE, 0xAD, 0xDE});                          // Tx BERT 1 pattern
  PutText(expected, 6857, "AUTO");
  Put(expected, 6994, {0x01});
  PutText(expected, 6995, "COMBINING_OUTPUT");
  Put(expected, 7099, {0x01});
  Put(expected, 7102, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x59, 0x40});  // sweep rate
  Put(expected, 7142, {0x00, 0x00, 0x00, 0x00, 0x00, 0x90, 0x51, 0x40});  // third stop freq
  Put(expected, 7465, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0xBF});  // profile 4 min
  Put(expected, 7474, {0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x51, 0x40});  // modulator carrier
  Put(expected, 8278, {0x01});                                            // encoder 2 clock edge
  Put(expected, 8279, {0xFD, 0xFF, 0xFF, 0xFF});                          // IF max output cal
  PutText(expected, 8460, "PCM_ENCODER1");
  Put(expected, 8525, {0x01});
  Put(expected, 8538, {0x14, 0, 0, 0});                                   // IQ 1 update rate
  PutText(expected, 8802, "HANNING");
  Put(expected, 9074, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xE8, 0x3F});  // FFT 2 ref level
  Put(expected, 9086, {0x05, 0, 0, 0});

  ExpectSameImage(expected, ImageOf(r));
}

TEST(Records, CardInfoBlockGoldenImage) {
  kr20cardinfo info{};
  info.NumModulators = 1;
  info.NumPskReceivers = 2;
  info.NumFmReceivers = 3;
  info.NumPmReceivers = 4;
  info.NumBerts = 5;
  info.NumTxBerts = 6;
  info.NumFftChannels = 7;
  info.NumIqChannels = 8;
  info.NumPreDCombiners = 9;
  info.NumPostDCombiners = 10;
  info.NumMhCpmReceivers = 0x01020304;

  Bytes expected(229, 0);
  for (std::uint8_t i = 0; i < 10; ++i) Put(expected, 4u * i, {static_cast<std::uint8_t>(i + 1)});
  Put(expected, 40, {0x04, 0x03, 0x02, 0x01});
  ExpectSameImage(expected, ImageOf(info));
}

TEST(Records, DnCvtChannelRecordGoldenImage) {
  DnCvtChannelRecord d{};
  d.Kind = kDnCvtKindKr14;
  d.Card = 5;
  d.Channel = 1;
  d.IfFilterBwKhz[11] = 20000.0;
  d.AgcTcMsecs[0] = 0.1;
  d.FreqBands[3].StopMhz = 2400.0;
  d.Setup.IntRef = 1;
  d.Setup.FreqMhz = 2250.5;
  d.Setup.AmGain = 0x7F;
  d.Setup.UserAgcSlopeInfo.MinVolts = -2.5;
  d.Setup.DeltaRssiMode = 1;
  d.Setup.BitRate = 5000000;
  d.Setup.AutoInvertSpectrallyInvertedRF = 1;
  d.AgcValue = -60.0;
  d.StatusByte = 0x5A;

  Bytes expected(646, 0);
  Put(expected, 0, {0x02, 0, 0, 0});
  Put(expected, 4, {0x05, 0, 0, 0});
  Put(expected, 8, {0x01, 0, 0, 0});
  Put(expected, 100, {0x00, 0x00, 0x00, 0x00, 0x00, 0x88, 0xD3, 0x40});  // last IF filter
  Put(expected, 108, {0x9A, 0x99, 0x99, 0x99, 0x99, 0x99, 0xB9, 0x3F});  // first AGC TC
  Put(expected, 228, {0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0xA2, 0x40});  // band 4 stop
  Put(expected, 455, {0x01});
  Put(expected, 509, {0x00, 0x00, 0x00, 0x00, 0x00, 0x95, 0xA1, 0x40});  // tuned MHz
  Put(expected, 526, {0x7F});
  Put(expected, 550, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0xC0});  // slope MinVolts
  Put(expected, 559, {0x01});
  Put(expected, 568, {0x40, 0x4B, 0x4C, 0x00});                          // bit rate
  Put(expected, 601, {0x01});
  Put(expected, 602, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x4E, 0xC0});  // AGC value
  Put(expected, 618, {0x5A});
  ExpectSameImage(expected, ImageOf(d));
}

TEST(Records, HardwareAndFpgaRecordsGoldenImages) {
  HwCfgEnableRecord enable{};
  enable.Enabled = 1;
  enable.NumToSimulate = 258;
  ExpectSameImage(Bytes{0x01, 0x00, 0x02, 0x01, 0x00, 0x00}, ImageOf(enable));

  HwCfgCardSetRecord set{};
  set.CardIndex = 3;
  set.NumDnCvts = 1;
  set.DnCvtIndex[0] = -1;
  set.DnCvtIndex[1] = 7;
  ExpectSameImage(Bytes{3, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 7, 0, 0, 0}, ImageOf(set));

  FpgaLoadState load{};
  load.ForceLoad = 1;
  load.DefaultFpgaMode = 4;
  load.DesiredFpgaMode = 12;
  load.LastFpgaMode = kNoFpgaMode;
  load.CurrentFpgaMode = 14;
  ExpectSameImage(Bytes{1, 0, 4, 0, 0, 0, 12, 0, 0, 0, 16, 0, 0, 0, 14, 0, 0, 0}, ImageOf(load));

  FpgaInfoRecord toc{};
  toc.Present = 1;
  toc.DeviceCount = 2;
  toc.Devices[1].DeviceTypeNumber = 3584;
  toc.Devices[1].BaseAddress = 0x00012000u;
  Bytes expected(sizeof(FpgaInfoRecord), 0);
  Put(expected, 0, {0x01, 0x02, 0, 0, 0});
  Put(expected, 5 + 32 + 4, {0x00, 0x0E, 0, 0});
  Put(expected, 5 + 32 + 16, {0x00, 0x20, 0x01, 0x00});
  ExpectSameImage(expected, ImageOf(toc));
}

}  // namespace
}  // namespace card
