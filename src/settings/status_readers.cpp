// The status tasks of the set manager: what the master timer reads from the cards into the
// per-channel status records, and the flight-record values taken on the way. Every block is
// copied out of the packed record, changed and stored back whole.
#include "settings/status_readers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "card/card_routines.h"
#include "card/dncvt_manager.h"
#include "card/fpga_image_header.h"
#include "card/hwcfg_manager.h"
#include "card/rtl20_manager.h"
#include "card/setup_routines.h"
#include "config/options_store.h"
#include "settings/demo_values.h"
#include "settings/set_manager.h"
#include "util/error_log.h"
#include "util/repeated_log_lines.h"

namespace settings {

bool IsDoubleRateModulation(std::string_view modulation) {
  static constexpr std::array<std::string_view, 8> kDoubleRate{"QPSK",   "SQPSK",     "UQPSK",  "SOQPSK_TG",
                                                                "OQPSK", "SOQPSK_SX", "SOQPSK", "SOQPSK_MIL"};
  return std::find(kDoubleRate.begin(), kDoubleRate.end(), modulation) != kDoubleRate.end();
}

int PcmOutputCodeNumber(std::string_view code) {
  static constexpr std::array<std::string_view, 6> kCodes{"NRZL", "NRZM", "NRZS", "BIOL", "BIOM", "BIOS"};
  const auto it = std::find(kCodes.begin(), kCodes.end(), code);
  return it == kCodes.end() ? -1 : static_cast<int>(it - kCodes.begin());
}

bool QualifiedBitSyncLock(bool locked, double ebNoDb, bool ruleEnabled, double minEbNoDb) {
  if (locked && ruleEnabled && ebNoDb < minEbNoDb) return false;
  return locked;
}

void TrackCarrierExtremes(ReceiverStatusBlock& block, double startHz) {
  const double actual = block.ActualSignalFreqHz;
  if (block.HighestSignalFreqHz == 0.0) block.HighestSignalFreqHz = startHz;
  if (block.LowestSignalFreqHz == 0.0) block.LowestSignalFreqHz = startHz;
  if (actual > block.HighestSignalFreqHz) block.HighestSignalFreqHz = actual;
  if (actual < block.LowestSignalFreqHz) block.LowestSignalFreqHz = actual;
}

double BitErrorRateFromText(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '+')) text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  double value = 0.0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || result.ec != std::errc{} || result.ptr != text.data() + text.size() || !std::isfinite(value)) {
    return -1.0;
  }
  return value;
}

void PutStatusText(char (&field)[kStatusTextLen], std::string_view text) {
  const std::size_t length = std::min(text.size(), kStatusTextLen - 1);
  std::memset(field, 0, kStatusTextLen);
  std::memcpy(field, text.data(), length);
}

}  // namespace settings

namespace {

using settings::BertStatusBlock;
using settings::BitSyncStatusBlock;
using settings::ChannelStatusRecord;
using settings::ReceiverStatusBlock;

constexpr const char* kLocked = "LOCKED";
constexpr const char* kUnitName = "Kr20SetMgrUnit";

struct Channel {
  int Card = -1;
  int Index = -1;
  int DcIndex = -1;
  bool MhCpm = false;
  bool Pm = false;
  bool PcmFm = false;
  card::DnCvtChannelRecord* Dc = nullptr;
  card::CardSetupRecord* Setup = nullptr;
  card::kr20cardclass* Object = nullptr;
};

bool ChannelOf(int cardIndex, int channel, Channel& c) {
  c = Channel{};
  c.Card = cardIndex;
  c.Index = channel;
  if (!card::GetGroupChannelContext(cardIndex, channel, c.DcIndex, c.MhCpm, c.Pm, c.PcmFm, c.Dc, c.Setup, c.Object)) {
    return false;
  }
  return c.Setup != nullptr && c.Object != nullptr;
}

bool DemoMode() { return gHwCfgMgr != nullptr && gHwCfgMgr->Kr20SimulatedFlag != 0; }
bool AnyTypeSimulated() { return gHwCfgMgr != nullptr && gHwCfgMgr->AnySimulatedFlag != 0; }

const config::kr20optinfo* Options() {
  return config::gApp.Options != nullptr ? &config::gApp.Options->Info() : nullptr;
}

bool QualifiedLock(bool locked, double ebNo) {
  const config::kr20optinfo* options = Options();
  if (options == nullptr) return locked;
  return settings::QualifiedBitSyncLock(locked, ebNo, options->EnableBsEbNoAlg != 0, options->MinEbNoBsLock);
}

std::string SetupModulation(const Channel& c) { return card::SetupText(c.Setup->Receiver[c.Index].DemodMode); }

// Two bits a symbol only on a PSK receiver running a QPSK-type modulation. The setup's modulation
// text outlives a change of family (an FM channel may still name SOQPSK_TG), so the family decides.
bool DoublesRate(const Channel& c) {
  return !c.PcmFm && !c.Pm && !c.MhCpm && settings::IsDoubleRateModulation(SetupModulation(c));
}

bool RouteMode1(const Channel& c) {
  const std::int32_t routeMode = c.Setup->RouteInfo.RouteMode;
  return routeMode == 1;
}

// Mode function 1 with Route Mode 1: one FM receiver serves both channels.
bool SharedFmReceiver(const Channel& c) {
  const std::int32_t modeFunction = c.Setup->RouteInfo.FpgaMasterMode;
  return modeFunction == 1 && RouteMode1(c);
}

// A Route Mode 1 receiver outside 69..71 MHz sees the carrier 7.5 MHz off.
void CorrectRouteMode1Frequency(const Channel& c, ReceiverStatusBlock& rx) {
  if (!RouteMode1(c)) return;
  const double actual = rx.ActualSignalFreqHz;
  if (actual < settings::kRouteMode1WindowLowHz || actual > settings::kRouteMode1WindowHighHz) {
    rx.ActualSignalFreqHz = actual + settings::kRouteMode1OffsetHz;
    rx.CarrierFreqMhz = (actual + settings::kRouteMode1OffsetHz) * 0.000001;
  }
}

double SignalBw(const Channel& c, double ratio) {
  card::ChannelRateInfo info;
  card::GetChannelRateInfo(c.Card, c.Index, info);
  return card::ChannelSignalBw(info, c.PcmFm, ratio);
}

void ReadPskReceiver(const Channel& c, ReceiverStatusBlock& rx) {
  const card::kr20cardclass& o = *c.Object;
  std::string name = o.PskRx_GetCarrierModulationMode(c.Index);
  if (name == "SOQPSK") name = "SOQPSK_SX";
  if (name == "SQPSK") name = "OQPSK";
  settings::PutStatusText(rx.ReceiverName, name);
  rx.CarrierLocked = o.PskRx_GetCarrierLockState(c.Index) == kLocked ? 1 : 0;
  rx.CarrierFreqMhz = o.PskRx_GetCarrierCenterFrequencyInHz(c.Index) * 0.000001;
  rx.SignalPowerDbm = o.PskRx_GetReceiverSignalPowerIndBm(c.Index);
  rx.TotalPowerDbm = o.PskRx_GetReceiverTotalPowerIndBm(c.Index);
  rx.ModIndexCompensated = 0.0;
  const double ratio = o.PskRx_GetCarrierSignalFilterBandwidthRatio(c.Index);
  rx.SignalFilterBwRatio = ratio;
  rx.SignalBw = SignalBw(c, ratio);
  rx.ActualSignalFreqHz = o.PskRx_GetCarrierActualSignalFrequencyInHz(c.Index);
  CorrectRouteMode1Frequency(c, rx);
  settings::TrackCarrierExtremes(rx, settings::kNominalCarrierHz);
}

void ReadPcmFmReceiver(const Channel& c, ReceiverStatusBlock& rx) {
  card::kr20cardclass& o = *c.Object;
  // The threshold follows the index measured at the previous pass.
  const double previousIndex = rx.ModIndexCompensated;
  settings::PutStatusText(rx.ReceiverName, "NTSC_VIDEO");
  rx.CarrierLocked = o.FmRx_GetCarrierLockState(c.Index) == kLocked ? 1 : 0;
  rx.CarrierFreqMhz = o.FmRx_GetCarrierCenterFrequencyInHz(c.Index) * 0.000001;
  rx.SignalPowerDbm = o.FmRx_GetReceiverSignalPowerIndBm(c.Index);
  rx.TotalPowerDbm = o.FmRx_GetReceiverTotalPowerIndBm(c.Index);
  rx.ModIndexCompensated = o.FmRx_GetCarrierModIndexCompensatedValue(c.Index);
  const double ratio = o.FmRx_GetCarrierSignalFilterBandwidthRatio(c.Index);
  rx.SignalFilterBwRatio = ratio;
  rx.SignalBw = SignalBw(c, ratio);
  rx.ActualSignalFreqHz = o.FmRx_GetCarrierActualSignalFrequencyInHz(c.Index);
  CorrectRouteMode1Frequency(c, rx);
  settings::TrackCarrierExtremes(rx, settings::kNominalCarrierHz);
  // The table lookup takes the whole hundredths itself; rounding here as well would lose one.
  o.ApplyModIndexLockThreshold(c.Index, previousIndex, SharedFmReceiver(c));
}

void ReadPmReceiver(const Channel& c, ReceiverStatusBlock& rx) {
  const card::kr20cardclass& o = *c.Object;
  settings::PutStatusText(rx.ReceiverName, "PM");
  rx.CarrierLocked = o.PmRx_GetCarrierLockState(c.Index) == kLocked ? 1 : 0;
  const double centreHz = o.PmRx_GetCarrierCenterFrequencyInHz(c.Index);
  rx.CarrierFreqMhz = centreHz * 0.000001;
  rx.SignalPowerDbm = o.PmRx_GetSignalLevelIndBm(c.Index);
  rx.TotalPowerDbm = o.PmRx_GetTotalPowerIndBm(c.Index);
  rx.ModIndexCompensated = 0.0;
  rx.ActualSignalFreqHz = centreHz;
  settings::TrackCarrierExtremes(rx, centreHz);
}

// Also fills bit-sync stream 1, which the multi-h CPM receiver reports with its carrier.
void ReadMhCpmReceiver(const Channel& c, ReceiverStatusBlock& rx, BitSyncStatusBlock& bs) {
  card::MhCpmStatusValues values;
  if (!c.Object->MhCpmRx_GetStatusValues(c.Index, values)) return;
  settings::PutStatusText(rx.ReceiverName, "MH_CPM");
  rx.CarrierLocked = values.CarrierLocked ? 1 : 0;
  rx.CarrierFreqMhz = values.CarrierFreqMhz;
  rx.ActualSignalFreqHz = values.CarrierFreqMhz * 1'000'000.0;
  rx.MhCpmLockState = values.LockState;
  // The second value is the carrier loop's frequency error in Hz.
  rx.MhCpmStatusValue2 = values.LoopErrorHz;
  settings::TrackCarrierExtremes(rx, values.CarrierFreqMhz * 1'000'000.0);
  bs.Locked = values.LockState > 1 ? 1 : 0;
  bs.SymbolRate = values.BitRate;
  bs.BitRate = values.BitRate;
  settings::PutStatusText(bs.PcmInputCode, "NRZL");
}

settings::DemoFamily DemoFamilyOf(const Channel& c) {
  if (c.PcmFm) return settings::DemoFamily::PcmFm;
  if (c.Pm) return settings::DemoFamily::Pm;
  if (c.MhCpm) return settings::DemoFamily::MhCpm;
  return settings::DemoFamily::Psk;
}

// The FM receiver's bit-sync flag of the channel from its status register; false when unreadable.
bool ReadFmBitSyncFlag(const Channel& c, bool& locked) {
  const int instance = (c.Index == 0 || SharedFmReceiver(c)) ? 1 : 2;
  std::array<std::uint32_t, 1> status{};
  if (!c.Object->Dev176_ReadValues(instance, card::fmrx_reg::kStatus, status)) return false;
  locked = (status[0] & card::fmrx_reg::kStatusBitSyncLocked) != 0;
  return true;
}

void ReadBitSync(const Channel& c, int stream, bool demo, BitSyncStatusBlock& bs) {
  const bool doubleRate = DoublesRate(c);
  if (demo) {
    settings::FillDemoBitSync(bs, doubleRate);
    bs.Locked = QualifiedLock(bs.Locked != 0, bs.EbNoDb) ? 1 : 0;
    return;
  }
  const card::kr20cardclass& o = *c.Object;
  const int ch = c.Index;
  bool locked = false;
  double ebNo = 0.0;
  double symbolRate = 0.0;
  std::string code;
  std::string descrambler;
  std::string output;
  if (c.PcmFm) {
    ebNo = o.FmRx_GetBitSyncSignalEbNo(ch);
    symbolRate = o.FmRx_GetBitSyncActualSymbolRate(ch);
    locked = o.FmRx_GetBitSyncLockState(ch) == kLocked;
    code = o.FmRx_GetBitSyncInputDataDecodingMode(ch);
    descrambler = o.FmRx_GetBitSyncDescramblerMode(ch);
    output = o.FmRx_GetBitSyncOutputDataEncodingMode(ch);
    bool flag = false;
    if (ReadFmBitSyncFlag(c, flag)) locked = flag;
  } else if (stream == 1) {
    ebNo = o.PskRx_GetBitSyncStream1SignalEbNo(ch);
    symbolRate = o.PskRx_GetBitSyncStream1ActualSymbolRate(ch);
    locked = o.PskRx_GetBitSyncStream1LockState(ch) == kLocked;
    code = o.PskRx_GetBitSyncStream1InputDataDecodingMode(ch);
    descrambler = o.PskRx_GetBitSyncStream1DescramblerMode(ch);
    output = o.PskRx_GetBitSyncStream1OutputDataEncodingMode(ch);
  } else {
    ebNo = o.PskRx_GetBitSyncStream2SignalEbNo(ch);
    symbolRate = o.PskRx_GetBitSyncStream2ActualSymbolRate(ch);
    locked = o.PskRx_GetBitSyncStream2LockState(ch) == kLocked;
    code = o.PskRx_GetBitSyncStream2InputDataDecodingMode(ch);
    descrambler = o.PskRx_GetBitSyncStream2DescramblerMode(ch);
    output = o.PskRx_GetBitSyncStream2OutputDataEncodingMode(ch);
  }
  bs.Locked = QualifiedLock(locked, ebNo) ? 1 : 0;
  bs.EbNoDb = ebNo;
  bs.SymbolRate = symbolRate;
  bs.BitRate = doubleRate ? 2.0 * symbolRate : symbolRate;
  settings::PutStatusText(bs.PcmInputCode, card::PrnNameToDisplay(code, descrambler));
  const int outputCode = settings::PcmOutputCodeNumber(output);
  if (outputCode >= 0) bs.PcmOutputCode = outputCode;
}

std::int32_t SaturatedInt(double value) {
  if (!(value > std::numeric_limits<std::int32_t>::min())) return value > 0.0 ? 0 : std::numeric_limits<std::int32_t>::min();
  if (value >= std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(value);
}

void ReadBert(const Channel& c, bool demo, BertStatusBlock& bert) {
  const double rateFactor = DoublesRate(c) ? 2.0 : 1.0;
  if (demo) {
    settings::FillDemoBert(bert);
    bert.BitRate = bert.BitRate * rateFactor;
    return;
  }
  const card::kr20cardclass& o = *c.Object;
  const int ch = c.Index;
  bert.Locked = o.Bert_GetLockState(ch) == kLocked ? 1 : 0;
  bert.DataInverted = o.Bert_GetInvertState(ch) == "INVERT" ? 1 : 0;
  bert.LockLossCount = o.Bert_GetLockLossCount(ch);
  bert.InversionCount = o.Bert_GetInversionCount(ch);
  bert.BitRate = o.Bert_GetBitRate(ch) * rateFactor;
  bert.TotalBits = SaturatedInt(o.Bert_GetTotalBits(ch));
  bert.ErrorBits = o.Bert_GetErrorBits(ch);
  bert.BitErrorRate = settings::BitErrorRateFromText(o.Bert_GetBitErrorRate(ch));
}

// Offsets 15-46 from the tied down-converter; a reading that fails keeps its field. The signal
// strength is also the flight record's RSSI.
void ReadDnCvtFields(const Channel& c, ChannelStatusRecord& record, settings::flightrecordparaminfo& flight) {
  if (c.DcIndex < 0 || c.Dc == nullptr || gDnCvtMgr == nullptr) {
    flight.Rssi = -200.0;
    return;
  }
  settings::DnCvtStatusFields fields = record.DnCvt;
  const card::DnCvtSetupRecord setup = c.Dc->Setup;
  fields.TunedFreqMhz = setup.FreqMhz;
  fields.StatusByte = c.Dc->StatusByte;
  double strength = 0.0;
  if (gDnCvtMgr->DnCvtReadStrength(c.DcIndex, strength)) {
    const config::kr20optinfo* options = Options();
    if (options != nullptr && c.DcIndex < config::kAcfInfoCount) {
      const config::AcfInfoRecord acf = options->AcfInfo[static_cast<std::size_t>(c.DcIndex)];
      if (acf.Enabled != 0) strength += acf.LoadValue;
    }
    fields.SignalStrength = strength;
  }
  std::uint8_t pll1 = 0;
  std::uint8_t pll2 = 0;
  std::uint8_t pll3 = 0;
  if (gDnCvtMgr->DnCvtReadPllStatus(c.DcIndex, pll1, pll2, pll3)) {
    fields.PllStatus1 = pll1;
    fields.PllStatus2 = pll2;
    fields.PllStatus3 = pll3;
  }
  std::int32_t amHz = 0;
  if (gDnCvtMgr->DnCvtReadAmFrequency(c.DcIndex, amHz)) fields.AmFrequency = amHz;
  double amIndex = 0.0;
  if (gDnCvtMgr->DnCvtReadAmIndex(c.DcIndex, amIndex)) fields.AmIndex = amIndex;
  record.DnCvt = fields;
  flight.Rssi = fields.SignalStrength;
}

// Offsets 47-50: the converter's AGC flags and table indices, 0 without a converter.
void CopyDnCvtFlags(const Channel& c, ChannelStatusRecord& record) {
  settings::DnCvtStatusFields fields = record.DnCvt;
  if (c.DcIndex >= 0 && c.Dc != nullptr) {
    const card::DnCvtSetupRecord setup = c.Dc->Setup;
    fields.AgcFreeze = setup.AgcFreezeEnabled;
    fields.AgcZero = setup.AgcZeroEnabled;
    fields.AgcTcIndex = static_cast<std::uint8_t>(setup.TcSelected & 0xFF);
    fields.IfFilterIndex = static_cast<std::uint8_t>(setup.BwFilterSelected & 0xFF);
  } else {
    fields.AgcFreeze = 0;
    fields.AgcZero = 0;
    fields.AgcTcIndex = 0;
    fields.IfFilterIndex = 0;
  }
  record.DnCvt = fields;
}

bool InTable(std::int32_t index, std::size_t size) { return index >= 0 && static_cast<std::size_t>(index) < size; }

settings::flightrecordparaminfo& FlightValues(kr20setmgrclass& manager, int cardIndex, int channel) {
  return manager.FlightRecords[static_cast<std::size_t>(cardIndex)].Params[static_cast<std::size_t>(channel)];
}

}  // namespace

void kr20setmgrclass::GetPostDStatusInfo(int card) {
  if (card < 0 || card >= card::SystemCardCount()) return;
  Channel c;
  if (!ChannelOf(card, 0, c)) return;
  ChannelStatusRecord& record = StatusRecord(card, 0);
  settings::PostDStatusBlock block = record.PostD;
  if (DemoMode()) {
    settings::FillDemoPostD(block);
  } else {
    const card::kr20cardclass& o = *c.Object;
    block.CombiningGainDb = o.PostD_GetCombiningGainIndB();
    block.ChanAEbNoDb = o.PostD_GetChannelAEbNo();
    block.ChanBEbNoDb = o.PostD_GetChannelBEbNo();
    block.ChanAScalePct = o.PostD_GetChannelAScaleInPercent();
    block.ChanBScalePct = o.PostD_GetChannelBScaleInPercent();
    const card::PostDCombinerRecord setup = c.Setup->PostD;
    block.SecondByte = setup.CombinerModeOff;
    block.CombinerMode = setup.CombinerModePolarity;
    block.TimerTaskByte = 0;
  }
  record.PostD = block;
}

void kr20setmgrclass::GetPreDStatusInfo(int card) {
  if (card < 0 || card >= card::SystemCardCount()) return;
  Channel c;
  if (!ChannelOf(card, 0, c)) return;
  ChannelStatusRecord& record = StatusRecord(card, 0);
  settings::PreDStatusBlock block = record.PreD;
  if (DemoMode()) {
    settings::FillDemoPreD(block);
    record.PreD = block;
    return;
  }
  const card::PreDCombinerRecord setup = c.Setup->PreD;
  block.SecondByte = setup.CombinerModeOff;
  block.CombinerMode = setup.CombinerModePolarity;
  // A failed read keeps the noise values shown before.
  double noiseA = 0.0;
  double noiseB = 0.0;
  if (c.Object->PreD_ReadMeasuredNoise(noiseA, noiseB)) {
    block.ChanAMeasuredNoise = noiseA;
    block.ChanBMeasuredNoise = noiseB;
  } else if (util::RepeatableLineDue("Card " + std::to_string(c.Card + 1) + " pre-D measured noise", "read failed",
                                      "RTL Fail on PreD Get Measured Noise")) {
    // Read at every status pass: a card that keeps failing is logged once.
    util::LogWithLocation(kUnitName, __LINE__, "kr20setmgrclass::GetPreDStatusInfo", "RTL Fail on PreD Get Measured Noise");
  }
  record.PreD = block;
}

void kr20setmgrclass::RefreshCombinerAndDownConverterStatus() {
  const int cards = card::SystemCardCount();
  const bool readDnCvt = !AnyTypeSimulated();
  for (int card = 0; card < cards; ++card) {
    ForgetValuesOfOldMode(card);
    for (int channel = 0; channel < settings::kChannels; ++channel) {
      Channel c;
      if (!ChannelOf(card, channel, c)) continue;
      if (readDnCvt) ReadDnCvtFields(c, StatusRecord(card, channel), FlightValues(*this, card, channel));
      if (card::CardHasPostDCombiner(card)) {
        GetPostDStatusInfo(card);
        StatusRecord(card, 1).PostD = StatusRecord(card, 0).PostD;
      }
      if (card::CardHasPreDCombiner(card)) {
        GetPreDStatusInfo(card);
        StatusRecord(card, 1).PreD = StatusRecord(card, 0).PreD;
      }
    }
  }
}

void kr20setmgrclass::RefreshChannelStatus() {
  const int cards = card::SystemCardCount();
  const bool demo = DemoMode();
  for (int card = 0; card < cards; ++card) {
    ForgetValuesOfOldMode(card);
    const bool dualTransmit = card::CardHasDualTransmit(card);
    card::CardSetupRecord* setup = nullptr;
    for (int channel = 0; channel < settings::kChannels; ++channel) {
      Channel c;
      if (!ChannelOf(card, channel, c)) continue;
      setup = c.Setup;
      ChannelStatusRecord& record = StatusRecord(card, channel);
      ReceiverStatusBlock rx = record.Receiver;
      BitSyncStatusBlock bs1 = record.BitSync1;
      if (demo) {
        settings::FillDemoReceiver(rx, DemoFamilyOf(c));
      } else if (c.Pm) {
        ReadPmReceiver(c, rx);
      } else if (c.PcmFm) {
        ReadPcmFmReceiver(c, rx);
      } else if (c.MhCpm) {
        ReadMhCpmReceiver(c, rx, bs1);
      } else {
        ReadPskReceiver(c, rx);
      }
      rx.DataInverted = c.Setup->Receiver[channel].InvertOutput;
      rx.ClockRisingEdge = card::SetupText(c.Setup->Receiver[channel].OutputClockPolarity) == "RISING_EDGE" ? 1 : 0;
      record.Receiver = rx;
      if (!c.Pm && !c.MhCpm) {
        ReadBitSync(c, 1, demo, bs1);
        if (dualTransmit) {
          BitSyncStatusBlock bs2 = record.BitSync2;
          ReadBitSync(c, 2, demo, bs2);
          record.BitSync2 = bs2;
        }
      }
      // The timer reads no bit sync of a PM receiver: the code it decodes is the one its setup
      // holds, shown from the first pass on.
      if (c.Pm && !demo) {
        settings::PutStatusText(bs1.PcmInputCode, card::SetupText(c.Setup->Receiver[channel].BitSync[0].PcmInputCode));
      }
      record.BitSync1 = bs1;
      CopyDnCvtFlags(c, record);

      settings::flightrecordparaminfo& flight = FlightValues(*this, card, channel);
      flight.EbNoDb = bs1.EbNoDb;
      flight.BitSyncLock = bs1.Locked;
      flight.IfCarrierPowerDbm = rx.TotalPowerDbm;
      flight.IfCarrierFreqHz = rx.ActualSignalFreqHz;
      flight.Deviation = rx.ModIndexCompensated;
    }
    if (setup != nullptr) {
      // Bytes 0-14 of the setup are the route head; channel 0's record carries them.
      const card::RouteInfoRecord route = setup->RouteInfo;
      static_assert(sizeof route == sizeof(settings::RouteInfoCopy));
      settings::RouteInfoCopy copy;
      copy.ModeFunction = static_cast<std::uint32_t>(route.FpgaMasterMode);
      copy.SecondRouteWord = static_cast<std::uint32_t>(route.UserReceiverMode);
      copy.RouteMode = static_cast<std::uint32_t>(route.RouteMode);
      copy.RouteBytes[0] = route.PreDCombinerMode;
      copy.RouteBytes[1] = route.PostDCombinerMode;
      copy.RouteBytes[2] = route.PskFmCombinerToChA;
      StatusRecord(card, 0).RouteInfo = copy;
    }
  }
}

void kr20setmgrclass::RefreshBertStatusAndFlightValues() {
  const int cards = card::SystemCardCount();
  const bool demo = DemoMode();
  const bool readDnCvt = AnyTypeSimulated();
  for (int card = 0; card < cards; ++card) {
    ForgetValuesOfOldMode(card);
    for (int channel = 0; channel < settings::kChannels; ++channel) {
      Channel c;
      if (!ChannelOf(card, channel, c)) continue;
      ChannelStatusRecord& record = StatusRecord(card, channel);
      settings::flightrecordparaminfo& flight = FlightValues(*this, card, channel);
      const card::RxBertRecord bertSetup = c.Setup->RxBert[channel];
      if (card::CardHasBertForChannel(card, channel) && bertSetup.InputSourceOn != 0) {
        BertStatusBlock bert = record.Bert;
        ReadBert(c, demo, bert);
        record.Bert = bert;
      }
      if (readDnCvt) ReadDnCvtFields(c, record, flight);

      const BertStatusBlock bert = record.Bert;
      flight.Ber = bert.BitErrorRate;
      flight.BerValid = bert.Locked;
      if (c.DcIndex >= 0 && c.Dc != nullptr) {
        const card::DnCvtSetupRecord dcSetup = c.Dc->Setup;
        flight.TunedFreqMhz = dcSetup.FreqMhz;
        const std::int32_t filter = dcSetup.BwFilterSelected;
        const std::int32_t tc = dcSetup.TcSelected;
        flight.IfBandwidthKhz =
            InTable(filter, card::kDnCvtIfFilters) ? c.Dc->IfFilterBwKhz[static_cast<std::size_t>(filter)] : 0.0;
        flight.AgcTimeConstMsecs =
            InTable(tc, card::kDnCvtAgcTimeConstants) ? c.Dc->AgcTcMsecs[static_cast<std::size_t>(tc)] : 0.0;
      } else {
        flight.Rssi = -200.0;
        flight.TunedFreqMhz = 0.0;
        flight.IfBandwidthKhz = 0.0;
        flight.AgcTimeConstMsecs = 0.0;
      }
      const card::CardSetupRecord& setup = *c.Setup;
      const std::int32_t bitRate = setup.Receiver[channel].BitSync[0].Bitrate;
      flight.PcmInputCode = card::SetupText(setup.Receiver[channel].BitSync[0].PcmInputCode);
      flight.BitRateMbps = bitRate * 0.000001;
      flight.DemodType = card::SetupText(setup.Receiver[channel].DemodMode);
      flight.InputSource = card::SetupText(setup.Receiver[channel].InputSource);
      flight.PeakDeviation = setup.Receiver[channel].CarrierPeakDeviation;
      flight.PeakDeviationSpread = setup.Receiver[channel].CarrierPeakDeviationRange;
    }
  }
}

void kr20setmgrclass::CheckFmXmitterIsDigital() {
  const int cards = card::SystemCardCount();
  for (int card = 0; card < cards; ++card) {
    ForgetValuesOfOldMode(card);
    for (int channel = 0; channel < settings::kChannels; ++channel) {
      Channel c;
      if (!ChannelOf(card, channel, c) || !c.PcmFm) continue;
      const BitSyncStatusBlock bs = StatusRecord(card, channel).BitSync1;
      const double ebNo = bs.EbNoDb;
      if (bs.Locked == 0 || ebNo <= settings::kXmitterDigitalEbNoDb) {
        c.Object->FmRx_PulseXmitterIsDigital(channel);
      } else if (c.Object->PulseRequest(channel)) {
        c.Object->FmRx_PulseXmitterIsDigital(channel);
        c.Object->SetPulseRequest(channel, false);
      }
    }
  }
}

void kr20setmgrclass::EndXmitterPulses() {
  const int cards = card::SystemCardCount();
  bool pending = false;
  for (int card = 0; card < cards && !pending; ++card) {
    const card::kr20cardclass* object = card::CardObject(card);
    pending = object != nullptr && object->XmitterPulsePending();
  }
  // The lock is only asked for when there is something to end (a tick or two a second).
  if (!pending || !gRtl20Mgr->FpgaCmdLock()) return;
  for (int card = 0; card < cards; ++card) {
    if (card::kr20cardclass* object = card::CardObject(card)) object->EndXmitterPulses();
  }
  gRtl20Mgr->FpgaCmdUnlock();
}
