// The test-modulator sections of a card setup file: two PCM encoders, five modulation profiles,
// the frequency sweep and the other modulator settings.
#include <array>
#include <string>

#include "card/setup_routines.h"
#include "settings/setup_file_sections.h"

namespace settings::setupfile {

namespace {

using card::ModProfileRecord;
using card::ModulatorRecord;
using card::PcmEncoderRecord;

// How far the sweep may move from the modulator's carrier.
constexpr double kSweepHalfWidthMhz = 0.25;

constexpr std::array<const char*, card::kModProfiles> kProfileSuffixes = {
    "_CarEnableInfo", "_ModEnabledInfo", "_NoiseInfo", "_NoiseEnabledInfo", "_CarAmpInfo"};

constexpr KeySpec kPcmEncoderKeys[] = {
    SETUP_KEY(PcmEncoderRecord, DataSource, "DataSource", Form::kText),
    SETUP_KEY(PcmEncoderRecord, OutputCode, "OutputCode", Form::kText),
    SETUP_KEY(PcmEncoderRecord, ConvolutionEncoding, "ConvolutionEncoding", Form::kYesNo),
    SETUP_KEY(PcmEncoderRecord, SwapG1G2, "SwapG1G2", Form::kYesNo),
    SETUP_KEY(PcmEncoderRecord, InvertG2, "InvertG2", Form::kYesNo),
    SETUP_KEY(PcmEncoderRecord, InvertData, "InvertData", Form::kYesNo),
    SETUP_KEY(PcmEncoderRecord, FallingClockEdge, "FallingClockEdge", Form::kYesNo),
};

constexpr KeySpec kModProfileKeys[] = {
    SETUP_KEY(ModProfileRecord, Rate, "Rate", Form::kDecimal),
    SETUP_KEY(ModProfileRecord, DurationPct, "DurationPct", Form::kDecimal),
    SETUP_KEY(ModProfileRecord, MaxRangeValue, "MaxRangeValue", Form::kDecimal),
    SETUP_KEY(ModProfileRecord, MinRangeValue, "MinRangeValue", Form::kDecimal),
};

constexpr KeySpec kModSweepKeys[] = {
    SETUP_KEY(ModulatorRecord, HasModSweep, "HasModSweep", Form::kYesNo),
    SETUP_KEY(ModulatorRecord, SinglePass, "SinglePass", Form::kYesNo),
    SETUP_KEY(ModulatorRecord, SnapCtrAtEndCycle, "SnapCtrAtEndCycle", Form::kYesNo),
    SETUP_KEY(ModulatorRecord, SweepRateHz, "SweepRateHz", Form::kDecimal).Clamped(1.0, 20000.0),
    SETUP_KEY(ModulatorRecord, StartFreqMhz, "StartFreqMhz", Form::kDecimal).AroundCarrier(kSweepHalfWidthMhz),
    SETUP_KEY(ModulatorRecord, NumProfiles, "NumProfiles", Form::kInteger).Clamped(1, 3),
    SETUP_KEY(ModulatorRecord, StopFreqMhzAry[0], "StopFreqMhzAry_0", Form::kDecimal).AroundCarrier(kSweepHalfWidthMhz),
    SETUP_KEY(ModulatorRecord, StopFreqMhzAry[1], "StopFreqMhzAry_1", Form::kDecimal).AroundCarrier(kSweepHalfWidthMhz),
    SETUP_KEY(ModulatorRecord, StopFreqMhzAry[2], "StopFreqMhzAry_2", Form::kDecimal).AroundCarrier(kSweepHalfWidthMhz),
};
static_assert(card::kModSweepStops == 3);

// The outputs (carrier, modulation, noise) come back on only when the options ask for it, and the
// loop-back test mode never does; the test-generator pattern is kept for reference only.
constexpr KeySpec kModRestKeys[] = {
    SETUP_KEY(ModulatorRecord, InputSourceDirect, "InputSourceDirect", Form::kYesNo),
    SETUP_KEY(ModulatorRecord, CarrierFreqMhz, "CarrierFreqMhz", Form::kDecimal),
    SETUP_KEY(ModulatorRecord, CarrierAmplitudeDbm, "CarrierAmplitudeDbm", Form::kDecimal),
    SETUP_KEY(ModulatorRecord, TestGenPattern, "TestGenPattern", Form::kText).NotRead(),
    SETUP_KEY(ModulatorRecord, ModulationMode, "ModulationMode", Form::kText),
    SETUP_KEY(ModulatorRecord, ModulationType, "ModulationType", Form::kText),
    SETUP_KEY(ModulatorRecord, IDataSource, "IDataSource", Form::kText),
    SETUP_KEY(ModulatorRecord, QDataSource, "QDataSource", Form::kText),
    SETUP_KEY(ModulatorRecord, IQRouting, "IQRouting", Form::kText),
    SETUP_KEY(ModulatorRecord, InputPreprocess, "InputPreprocess", Form::kText),
    SETUP_KEY(ModulatorRecord, SymbolRouting, "SymbolRouting", Form::kText),
    SETUP_KEY(ModulatorRecord, CarrierEnabled, "CarrierEnabled", Form::kYesNo).ReadWithOutputStateOption(),
    SETUP_KEY(ModulatorRecord, ModulationEnabled, "ModulationEnabled", Form::kYesNo).ReadWithOutputStateOption(),
    SETUP_KEY(ModulatorRecord, NoiseEnabled, "NoiseEnabled", Form::kYesNo).ReadWithOutputStateOption(),
    SETUP_KEY(ModulatorRecord, CarrerToNoiseDbm, "CarrerToNoiseDbm", Form::kDecimal),
    SETUP_KEY(ModulatorRecord, IFMaxOutuptCal, "IFMaxOutuptCal", Form::kInteger),
    SETUP_KEY(ModulatorRecord, FSKPremodBandWidthHz, "FSKPremodBandWidthHz", Form::kDecimal),
    SETUP_KEY(ModulatorRecord, FSKFmDeviationHz, "FSKFmDeviationHz", Form::kDecimal),
    SETUP_KEY(ModulatorRecord, IPowerLevelDbm, "IPowerLevelDbm", Form::kDecimal),
    SETUP_KEY(ModulatorRecord, QPowerLevelDbm, "QPowerLevelDbm", Form::kDecimal),
    SETUP_KEY(ModulatorRecord, QPSKConjugate, "QPSKConjugate", Form::kYesNo),
    SETUP_KEY(ModulatorRecord, Subcarrier1DeviationHz, "Subcarrier1DeviationHz", Form::kDecimal),
    SETUP_KEY(ModulatorRecord, Subcarrier2DeviationHz, "Subcarrier2DeviationHz", Form::kDecimal),
    SETUP_KEY(ModulatorRecord, FmPeakDeviationFactor, "FmPeakDeviationFactor", Form::kDecimal),
    SETUP_KEY(ModulatorRecord, DirPskPmModIndex, "DirPskPmModIndex", Form::kDecimal),
    SETUP_KEY(ModulatorRecord, RangePmModIndex, "RangePmModIndex", Form::kDecimal),
    SETUP_KEY(ModulatorRecord, CommandPmModIndex, "CommandPmModIndex", Form::kDecimal),
    SETUP_KEY(ModulatorRecord, Subcarrier1PmModIndex, "Subcarrier1PmModIndex", Form::kDecimal),
    SETUP_KEY(ModulatorRecord, Subcarrier2PmModIndex, "Subcarrier2PmModIndex", Form::kDecimal),
    SETUP_KEY(ModulatorRecord, ExtPmModIndex, "ExtPmModIndex", Form::kDecimal),
    SETUP_KEY(ModulatorRecord, Sub1RateHz, "Sub1RateHz", Form::kDecimal),
    SETUP_KEY(ModulatorRecord, Sub1ModulationType, "Sub1ModulationType", Form::kText),
    SETUP_KEY(ModulatorRecord, Sub1InputSource, "Sub1InputSource", Form::kText),
    SETUP_KEY(ModulatorRecord, SakLoopbackMode, "SakLoopbackMode", Form::kYesNo).NotRead(),
    SETUP_KEY(ModulatorRecord, SakIfModOutputToDiversity, "SakIfModOutputToDiversity", Form::kYesNo),
};

struct Rename {
  const char* From;
  const char* To;
};

// Names of older modulator builds, mapped onto the names the card takes now.
constexpr Rename kSub1ModulationRenames[] = {{"SOQPSK_TG", "QPSK"}};
constexpr Rename kSub1InputRenames[] = {{"PCM INPUT 1", "PCM_ENCODER1"}, {"PCM INPUT 2", "PCM_ENCODER2"}};

// Only a value taken from the file is renamed: a missing key leaves the field as it was.
template <std::size_t N>
void ApplyRenames(SectionReader& in, std::string_view key, char (&field)[card::kSetupTextLen],
                  const Rename (&renames)[N]) {
  std::string text;
  if (!in.ReadText(kModRestSection, key, text)) return;
  for (const Rename& rename : renames) {
    if (text == rename.From) {
      card::SetSetupText(field, rename.To);
      return;
    }
  }
}

}  // namespace

std::span<const KeySpec> PcmEncoderKeys() { return kPcmEncoderKeys; }
std::span<const KeySpec> ModProfileKeys() { return kModProfileKeys; }
std::span<const KeySpec> ModSweepKeys() { return kModSweepKeys; }
std::span<const KeySpec> ModRestKeys() { return kModRestKeys; }

std::string PcmEncoderSectionName(int encoder) { return " PCM ENCODER " + std::to_string(encoder + 1); }
std::string ModProfileSectionName(int profile) {
  return std::string(kModProfileSectionPrefix) + kProfileSuffixes.at(static_cast<std::size_t>(profile));
}

void WritePcmEncoderSection(SectionWriter& out, const std::string& section, const PcmEncoderRecord& encoder) {
  out.WriteKeys(section, kPcmEncoderKeys, BytesOf(encoder));
}

void ReadPcmEncoderSection(SectionReader& in, const std::string& section, PcmEncoderRecord& encoder) {
  in.ReadKeys(section, kPcmEncoderKeys, BytesOf(encoder));
}

void WriteModProfileSections(SectionWriter& out, const ModulatorRecord& modulator) {
  for (std::size_t i = 0; i < card::kModProfiles; ++i) {
    const ModProfileRecord profile = modulator.Profiles[i];
    out.WriteKeys(ModProfileSectionName(static_cast<int>(i)), kModProfileKeys, BytesOf(profile));
  }
}

void ReadModProfileSections(SectionReader& in, ModulatorRecord& modulator) {
  for (std::size_t i = 0; i < card::kModProfiles; ++i) {
    ModProfileRecord profile = modulator.Profiles[i];
    in.ReadKeys(ModProfileSectionName(static_cast<int>(i)), kModProfileKeys, BytesOf(profile));
    modulator.Profiles[i] = profile;
  }
}

void WriteModulatorSections(SectionWriter& out, const ModulatorRecord& modulator) {
  for (std::size_t i = 0; i < 2; ++i) {
    const PcmEncoderRecord encoder = modulator.PcmEncoder[i];
    WritePcmEncoderSection(out, PcmEncoderSectionName(static_cast<int>(i)), encoder);
  }
  WriteModProfileSections(out, modulator);
  out.WriteKeys(kModSweepSection, kModSweepKeys, BytesOf(modulator));
  out.WriteKeys(kModRestSection, kModRestKeys, BytesOf(modulator));
}

void ReadModulatorSections(SectionReader& in, ModulatorRecord& modulator) {
  for (std::size_t i = 0; i < 2; ++i) {
    PcmEncoderRecord encoder = modulator.PcmEncoder[i];
    ReadPcmEncoderSection(in, PcmEncoderSectionName(static_cast<int>(i)), encoder);
    modulator.PcmEncoder[i] = encoder;
  }
  ReadModProfileSections(in, modulator);
  in.ReadKeys(kModSweepSection, kModSweepKeys, BytesOf(modulator), false);
  in.ReadKeys(kModRestSection, kModRestKeys, BytesOf(modulator));
  if (!in.Options().RecallTestModOutputState) {
    modulator.CarrierEnabled = 0;
    modulator.ModulationEnabled = 0;
    modulator.NoiseEnabled = 0;
  }
  modulator.SakLoopbackMode = 0;
  ApplyRenames(in, "Sub1ModulationType", modulator.Sub1ModulationType, kSub1ModulationRenames);
  ApplyRenames(in, "Sub1InputSource", modulator.Sub1InputSource, kSub1InputRenames);
  // The sweep again, now limited around the carrier just read.
  const double carrierMhz = modulator.CarrierFreqMhz;
  in.ReadKeys(kModSweepSection, kModSweepKeys, BytesOf(modulator), true, carrierMhz);
  modulator.SweepProfileIndex = 0;
}

}  // namespace settings::setupfile
