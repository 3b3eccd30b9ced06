// The receiver sections of a card setup file: per receiver its two bit synchronisers, its output
// routing and its own carrier and demodulator settings.
#include <string>

#include "card/setup_routines.h"
#include "settings/setup_file_sections.h"

namespace settings::setupfile {

namespace {

using card::BitSyncRecord;
using card::ReceiverRecord;
using card::RxRoutingRecord;

constexpr KeySpec kBitsyncKeys[] = {
    SETUP_KEY(BitSyncRecord, Bitrate, "Bitrate", Form::kInteger),
    SETUP_KEY(BitSyncRecord, PcmInputCode, "PcmInputCode", Form::kText),
    SETUP_KEY(BitSyncRecord, PcmOutputCode, "PcmOutputCode", Form::kText),
    SETUP_KEY(BitSyncRecord, AcqLoopBandwidthPct, "AcqLoopBandwidthPct", Form::kDecimal),
    SETUP_KEY(BitSyncRecord, TrkLoopBandwidthPct, "TrkLoopBandwidthPct", Form::kDecimal),
    SETUP_KEY(BitSyncRecord, ViterbiRateMode, "ViterbiRateMode", Form::kText),
    SETUP_KEY(BitSyncRecord, ViterbiSymbolOrder, "ViterbiSymbolOrder", Form::kText),
    SETUP_KEY(BitSyncRecord, ViterbiDecodeEnabled, "ViterbiDecodeEnabled", Form::kYesNo),
    SETUP_KEY(BitSyncRecord, ViterbiG1Inverted, "ViterbiG1Inverted", Form::kYesNo),
    SETUP_KEY(BitSyncRecord, ViterbiG2Inverted, "ViterbiG2Inverted", Form::kYesNo),
};

constexpr KeySpec kRoutingKeys[] = {
    SETUP_KEY(RxRoutingRecord, RecombineLocation, "RecombineLocation", Form::kText),
    SETUP_KEY(RxRoutingRecord, StreamSwapLocation, "StreamSwapLocation", Form::kText),
    SETUP_KEY(RxRoutingRecord, InvertLocation, "InvertLocation", Form::kText),
    SETUP_KEY(RxRoutingRecord, Baseband1Output, "Baseband1Output", Form::kText),
    SETUP_KEY(RxRoutingRecord, Baseband2Output, "Baseband2Output", Form::kText),
    SETUP_KEY(RxRoutingRecord, PskSakBbOutSelection, "PskSakBbOutSelection", Form::kInteger),
};

// The key "PmLoopDiscriminatorEnabled" has always carried the multi-h CPM loop value, and stored
// files keep it there; the PM loop-discriminator flag has a key of its own.
constexpr KeySpec kReceiverKeys[] = {
    SETUP_KEY(ReceiverRecord, InputSource, "InputSource", Form::kText),
    SETUP_KEY(ReceiverRecord, OutputClockPolarity, "OutputClockPolarity", Form::kText),
    SETUP_KEY(ReceiverRecord, CarrierFreqMhz, "CarrierFreqMhz", Form::kDecimal),
    SETUP_KEY(ReceiverRecord, CarrierAcqRangeHz, "CarrierAcqRangeHz", Form::kDecimal),
    SETUP_KEY(ReceiverRecord, CarrierSignalBwRatio, "CarrierSignalBwRatio", Form::kDecimal),
    SETUP_KEY(ReceiverRecord, InvertOutput, "InvertOutput", Form::kYesNo),
    SETUP_KEY(ReceiverRecord, DemodMode, "DemodMode", Form::kText),
    SETUP_KEY(ReceiverRecord, CarrierAcqLoopBandwidthPct, "CarrierAcqLoopBandwidthPct", Form::kDecimal),
    SETUP_KEY(ReceiverRecord, CarrierTrkLoopBandwidthPct, "CarrierTrkLoopBandwidthPct", Form::kDecimal),
    SETUP_KEY(ReceiverRecord, CarrierAcqModeUnaided, "CarrierAcqModeUnaided", Form::kYesNo),
    SETUP_KEY(ReceiverRecord, PmModIndex, "PmModIndex", Form::kDecimal),
    SETUP_KEY(ReceiverRecord, CarrierThesholdDbm, "CarrierThesholdDbm", Form::kDecimal),
    SETUP_KEY(ReceiverRecord, CarrierDiscriminatorEnabled, "CarrierDiscriminatorEnabled", Form::kYesNo),
    SETUP_KEY(ReceiverRecord, StreamControlS1Only, "StreamControlS1Only", Form::kYesNo),
    SETUP_KEY(ReceiverRecord, CarrierModIndexCompensationMode, "CarrierModIndexCompensationMode", Form::kText),
    SETUP_KEY(ReceiverRecord, CarrierPeakDeviation, "CarrierPeakDeviation", Form::kDecimal),
    SETUP_KEY(ReceiverRecord, CarrierAcqLoopBandwidthHz, "CarrierAcqLoopBandwidthHz", Form::kDecimal),
    SETUP_KEY(ReceiverRecord, CarrierTrkLoopBandwidthHz, "CarrierTrkLoopBandwidthHz", Form::kDecimal),
    // A recalled setup never claims a digital transmitter: the timer finds that out again.
    SETUP_KEY(ReceiverRecord, XmitterIsDigital, "XmitterIsDigital", Form::kYesNo),
    SETUP_KEY(ReceiverRecord, PeakDeviationFactorMin, "PeakDeviationFactorMin", Form::kDecimal).Clamped(0.1, 1.0),
    SETUP_KEY(ReceiverRecord, PeakDeviationFactorMax, "PeakDeviationFactorMax", Form::kDecimal).Clamped(0.1, 1.0),
    SETUP_KEY(ReceiverRecord, CarrierPeakDeviationRange, "CarrierPeakDeviationRange", Form::kDecimal)
        .Clamped(0.05, 0.45),
    SETUP_KEY(ReceiverRecord, PmDebugOutput1MuxSelect, "PmDebugOutput1MuxSelect", Form::kText),
    SETUP_KEY(ReceiverRecord, PmDebugOutput2MuxSelect, "PmDebugOutput2MuxSelect", Form::kText),
    SETUP_KEY(ReceiverRecord, PmCarrierLockDecisionPeriod, "PmCarrierLockDecisionPeriod", Form::kDecimal),
    SETUP_KEY(ReceiverRecord, PmLoopDiscriminatorEnabled, "PmLoopDiscriminatorFlag", Form::kYesNo),
    SETUP_KEY(ReceiverRecord, MhCpmSymbolloopbandwidthPct, "MhCpmSymbolloopbandwidthPct", Form::kDecimal),
    SETUP_KEY(ReceiverRecord, MhCpmCarrierloopbandwidthPct, "MhCpmCarrierloopbandwidthPct", Form::kDecimal),
    SETUP_KEY(ReceiverRecord, MhCpmCarrierFrequencyMhz, "MhCpmCarrierFrequencyMhz", Form::kDecimal),
    SETUP_KEY(ReceiverRecord, MhCpmLoopValue, "PmLoopDiscriminatorEnabled", Form::kDecimal),
};

// The debug output name of the FIR tap that the older receiver builds called "I_FIR". Only a
// value taken from the file is renamed: a missing key leaves the field as it was.
void RenameFirOutput(SectionReader& in, const std::string& section, std::string_view key,
                     char (&field)[card::kSetupTextLen]) {
  std::string text;
  if (in.ReadText(section, key, text) && text == "I_FIR") card::SetSetupText(field, "I_FIR_DBG");
}

}  // namespace

std::span<const KeySpec> BitsyncKeys() { return kBitsyncKeys; }
std::span<const KeySpec> RoutingKeys() { return kRoutingKeys; }
std::span<const KeySpec> ReceiverKeys() { return kReceiverKeys; }

std::string ReceiverSectionName(int receiver) { return "Rx Data" + std::to_string(receiver); }
std::string BitsyncSectionName(int receiver, int bitsync) {
  return ReceiverSectionName(receiver) + (bitsync == 0 ? " Bitsync" : " Bitsync2");
}
std::string RoutingSectionName(int receiver) { return ReceiverSectionName(receiver) + " Routing"; }

void WriteBitsyncSection(SectionWriter& out, const std::string& section, const BitSyncRecord& bitsync) {
  out.WriteKeys(section, kBitsyncKeys, BytesOf(bitsync));
}

void ReadBitsyncSection(SectionReader& in, const std::string& section, BitSyncRecord& bitsync) {
  in.ReadKeys(section, kBitsyncKeys, BytesOf(bitsync));
}

void WriteRoutingSection(SectionWriter& out, const std::string& section, const RxRoutingRecord& routing) {
  out.WriteKeys(section, kRoutingKeys, BytesOf(routing));
}

void ReadRoutingSection(SectionReader& in, const std::string& section, RxRoutingRecord& routing) {
  in.ReadKeys(section, kRoutingKeys, BytesOf(routing));
  RenameFirOutput(in, section, "Baseband1Output", routing.Baseband1Output);
  RenameFirOutput(in, section, "Baseband2Output", routing.Baseband2Output);
}

void WriteReceiverSection(SectionWriter& out, const std::string& section, const ReceiverRecord& receiver) {
  out.WriteKeys(section, kReceiverKeys, BytesOf(receiver));
}

void ReadReceiverSection(SectionReader& in, const std::string& section, ReceiverRecord& receiver) {
  in.ReadKeys(section, kReceiverKeys, BytesOf(receiver));
  receiver.XmitterIsDigital = 0;
}

void WriteReceiverSections(SectionWriter& out, int n, const ReceiverRecord& receiver) {
  for (int bitsync = 0; bitsync < 2; ++bitsync) {
    WriteBitsyncSection(out, BitsyncSectionName(n, bitsync), receiver.BitSync[bitsync]);
  }
  WriteRoutingSection(out, RoutingSectionName(n), receiver.Routing);
  WriteReceiverSection(out, ReceiverSectionName(n), receiver);
}

void ReadReceiverSections(SectionReader& in, int n, ReceiverRecord& receiver) {
  for (int bitsync = 0; bitsync < 2; ++bitsync) {
    ReadBitsyncSection(in, BitsyncSectionName(n, bitsync), receiver.BitSync[bitsync]);
  }
  ReadRoutingSection(in, RoutingSectionName(n), receiver.Routing);
  ReadReceiverSection(in, ReceiverSectionName(n), receiver);
}

}  // namespace settings::setupfile
