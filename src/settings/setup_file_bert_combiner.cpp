// The BERT and combiner sections of a card setup file.
#include <string>

#include "settings/setup_file_sections.h"

namespace settings::setupfile {

namespace {

using card::PostDCombinerRecord;
using card::PreDCombinerRecord;
using card::RxBertRecord;
using card::TxBertRecord;

// UserPattern is always hexadecimal in the file, whatever radix the operator enters it in.
constexpr KeySpec kRxBertKeys[] = {
    SETUP_KEY(RxBertRecord, InputSourceOn, "InputSourceOn", Form::kYesNo),
    SETUP_KEY(RxBertRecord, PrnPattern, "PrnPattern", Form::kText),
    SETUP_KEY(RxBertRecord, ClockPolarity, "ClockPolarity", Form::kText),
    SETUP_KEY(RxBertRecord, UserPatternLength, "UserPatternLength", Form::kInteger),
    SETUP_KEY(RxBertRecord, UserPatternRadix, "UserPatternRadix", Form::kInteger),
    SETUP_KEY(RxBertRecord, UserPattern, "UserPattern", Form::kHex),
    SETUP_KEY(RxBertRecord, NumSecsToAverage, "NumSecsToAverage", Form::kInteger),
};

constexpr KeySpec kTxBertKeys[] = {
    SETUP_KEY(TxBertRecord, ClockPolarity, "ClockPolarity", Form::kText),
    SETUP_KEY(TxBertRecord, DataPolarity, "DataPolarity", Form::kText),
    SETUP_KEY(TxBertRecord, InsertTimeCode, "InsertTimeCode", Form::kYesNo),
    SETUP_KEY(TxBertRecord, BitRate, "BitRate", Form::kDecimal),
    SETUP_KEY(TxBertRecord, BitErrorRate, "BitErrorRate", Form::kDecimal),
    SETUP_KEY(TxBertRecord, SystemClock, "SystemClock", Form::kDecimal),
    SETUP_KEY(TxBertRecord, PrnPattern, "PrnPattern", Form::kText),
    SETUP_KEY(TxBertRecord, UserPatternLength, "UserPatternLength", Form::kInteger),
    SETUP_KEY(TxBertRecord, UserPatternRadix, "UserPatternRadix", Form::kInteger),
    SETUP_KEY(TxBertRecord, UserPattern, "UserPattern", Form::kHex),
};

// The noise filter gain is a system option: the file's copy is written for reference only.
constexpr KeySpec kPreDKeys[] = {
    SETUP_KEY(PreDCombinerRecord, NoiseEstimateMode, "NoiseEstimateMode", Form::kText),
    SETUP_KEY(PreDCombinerRecord, SignalBandwidthMhz, "SignalBandwidthMhz", Form::kDecimal),
    SETUP_KEY(PreDCombinerRecord, TimeConstSecs, "TimeConstSecs", Form::kDecimal),
    SETUP_KEY(PreDCombinerRecord, PhaseTimeConstSecs, "PhaseTimeConstSecs", Form::kDecimal),
    SETUP_KEY(PreDCombinerRecord, NoiseFilterGainValue, "NoiseFilterGainValue", Form::kDecimal).NotRead(),
    SETUP_KEY(PreDCombinerRecord, CenterFreqChAMhz, "CenterFreqChAMhz", Form::kDecimal),
    SETUP_KEY(PreDCombinerRecord, CenterFreqChBMhz, "CenterFreqChBMhz", Form::kDecimal),
    SETUP_KEY(PreDCombinerRecord, FixedNoiseChADbm, "FixedNoiseChADbm", Form::kDecimal),
    SETUP_KEY(PreDCombinerRecord, FixedNoiseChBDbm, "FixedNoiseChBDbm", Form::kDecimal),
    SETUP_KEY(PreDCombinerRecord, SignalBwRatioConstant, "SignalBwRatioConstant", Form::kDecimal),
    SETUP_KEY(PreDCombinerRecord, CombinerModePolarity, "CombinerModePolarity", Form::kYesNo),
    SETUP_KEY(PreDCombinerRecord, CombinerModeOff, "CombinerModeOff", Form::kYesNo),
};

constexpr KeySpec kPostDKeys[] = {
    SETUP_KEY(PostDCombinerRecord, DiversityOutput, "DiversityOutput", Form::kText),
    SETUP_KEY(PostDCombinerRecord, CombinerModePolarity, "CombinerModePolarity", Form::kYesNo),
    SETUP_KEY(PostDCombinerRecord, CombinerModeOff, "CombinerModeOff", Form::kYesNo),
};

}  // namespace

std::span<const KeySpec> RxBertKeys() { return kRxBertKeys; }
std::span<const KeySpec> TxBertKeys() { return kTxBertKeys; }
std::span<const KeySpec> PreDKeys() { return kPreDKeys; }
std::span<const KeySpec> PostDKeys() { return kPostDKeys; }

std::string RxBertSectionName(int bert) { return "Rx Bert Data " + std::to_string(bert); }
std::string TxBertSectionName(int bert) { return "Tx Bert Data " + std::to_string(bert); }

void WriteRxBertSection(SectionWriter& out, const std::string& section, const RxBertRecord& bert) {
  out.WriteKeys(section, kRxBertKeys, BytesOf(bert));
}

void ReadRxBertSection(SectionReader& in, const std::string& section, RxBertRecord& bert) {
  in.ReadKeys(section, kRxBertKeys, BytesOf(bert));
}

void WriteTxBertSection(SectionWriter& out, const std::string& section, const TxBertRecord& bert) {
  out.WriteKeys(section, kTxBertKeys, BytesOf(bert));
}

void ReadTxBertSection(SectionReader& in, const std::string& section, TxBertRecord& bert) {
  in.ReadKeys(section, kTxBertKeys, BytesOf(bert));
}

void WritePreDSection(SectionWriter& out, const std::string& section, const PreDCombinerRecord& preD) {
  out.WriteKeys(section, kPreDKeys, BytesOf(preD));
}

void ReadPreDSection(SectionReader& in, const std::string& section, PreDCombinerRecord& preD) {
  in.ReadKeys(section, kPreDKeys, BytesOf(preD));
  preD.NoiseFilterGainValue = in.Options().NoiseFilterGainValue;
}

void WritePostDSection(SectionWriter& out, const std::string& section, const PostDCombinerRecord& postD) {
  out.WriteKeys(section, kPostDKeys, BytesOf(postD));
}

void ReadPostDSection(SectionReader& in, const std::string& section, PostDCombinerRecord& postD) {
  in.ReadKeys(section, kPostDKeys, BytesOf(postD));
}

}  // namespace settings::setupfile
