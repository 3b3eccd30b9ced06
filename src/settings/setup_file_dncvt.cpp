// The down-converter sections of a card setup file: the setup sub-record of the converter
// channel tied to each of the card's channels.
#include <string>

#include "settings/setup_file_sections.h"

namespace settings::setupfile {

namespace {

using card::DnCvtSetupRecord;

// The AGC slope a recalled converter uses: the user-defined one, whose values the file holds.
constexpr std::int32_t kUserAgcOutputSlope = 6;

// AGC freeze and zero are momentary operator actions, never recalled.
constexpr KeySpec kDownConverterKeys[] = {
    SETUP_KEY(DnCvtSetupRecord, IntRef, "IntRef", Form::kYesNo),
    SETUP_KEY(DnCvtSetupRecord, LimitedOutputMode, "LimitedOutputMode", Form::kYesNo),
    SETUP_KEY(DnCvtSetupRecord, AgcFreezeEnabled, "AgcFreezeEnabled", Form::kYesNo).NotRead(),
    SETUP_KEY(DnCvtSetupRecord, AgcZeroEnabled, "AgcZeroEnabled", Form::kYesNo).NotRead(),
    SETUP_KEY(DnCvtSetupRecord, AgcOutputSlopeSelected, "AgcOutputSlopeSelected", Form::kInteger).Clamped(0, 15),
    SETUP_KEY(DnCvtSetupRecord, DigitalAgcMode, "DigitalAgcMode", Form::kInteger).Clamped(0, 1),
    SETUP_KEY(DnCvtSetupRecord, TcSelected, "TcSelected", Form::kInteger).Clamped(0, 7),
    SETUP_KEY(DnCvtSetupRecord, CustomTcSettingsMsecsAry[0], "CustomTcSettingsMsecsAry0", Form::kDecimal),
    SETUP_KEY(DnCvtSetupRecord, CustomTcSettingsMsecsAry[1], "CustomTcSettingsMsecsAry1", Form::kDecimal),
    SETUP_KEY(DnCvtSetupRecord, CustomTcSettingsMsecsAry[2], "CustomTcSettingsMsecsAry2", Form::kDecimal),
    SETUP_KEY(DnCvtSetupRecord, UserAgcSlopeMode, "UserAgcSlopeMode", Form::kYesNo),
    SETUP_KEY(DnCvtSetupRecord, UserAgcSlopeInfo.MinDbm, "UserAgcSlopeInfo_MinDbm", Form::kInteger),
    SETUP_KEY(DnCvtSetupRecord, UserAgcSlopeInfo.MaxDbm, "UserAgcSlopeInfo_MaxDbm", Form::kInteger),
    SETUP_KEY(DnCvtSetupRecord, UserAgcSlopeInfo.MinVolts, "UserAgcSlopeInfo_MinVolts", Form::kDecimal),
    SETUP_KEY(DnCvtSetupRecord, UserAgcSlopeInfo.MaxVolts, "UserAgcSlopeInfo_MaxVolts", Form::kDecimal),
    SETUP_KEY(DnCvtSetupRecord, BwFilterSelected, "BwFilterSelected", Form::kInteger).Clamped(0, 11),
    SETUP_KEY(DnCvtSetupRecord, FreqBandSelected, "FreqBandSelected", Form::kInteger).Clamped(0, 3),
    SETUP_KEY(DnCvtSetupRecord, AmOutputInverted, "AmOutputInverted", Form::kYesNo),
    SETUP_KEY(DnCvtSetupRecord, AmLoPassFilterSelected, "AmLoPassFilterSelected", Form::kInteger).Clamped(0, 31),
    SETUP_KEY(DnCvtSetupRecord, ExtDiscretePin4, "ExtDiscretePin4", Form::kYesNo),
    SETUP_KEY(DnCvtSetupRecord, FreqMhz, "FreqMhz", Form::kDecimal),
    SETUP_KEY(DnCvtSetupRecord, ExtRefFreqMhz, "ExtRefFreqMhz", Form::kDecimal),
    SETUP_KEY(DnCvtSetupRecord, AmGain, "AmGain", Form::kLowByte),
    SETUP_KEY(DnCvtSetupRecord, ManGainControl, "ManGainControl", Form::kYesNo),
    SETUP_KEY(DnCvtSetupRecord, BitRate, "BitRate", Form::kInteger),
    SETUP_KEY(DnCvtSetupRecord, BiPhaseCode, "BiPhaseCode", Form::kYesNo),
    SETUP_KEY(DnCvtSetupRecord, BitsyncInputCode, "BitsyncInputCode", Form::kInteger),
    SETUP_KEY(DnCvtSetupRecord, ModulationType, "ModulationType", Form::kInteger),
    SETUP_KEY(DnCvtSetupRecord, ViterbiRate, "ViterbiRate", Form::kInteger),
    SETUP_KEY(DnCvtSetupRecord, SignalBwRatioConstant, "SignalBwRatioConstant", Form::kDecimal),
    SETUP_KEY(DnCvtSetupRecord, DeltaRssiMode, "DeltaRssiMode", Form::kYesNo),
    SETUP_KEY(DnCvtSetupRecord, UpdateRateHz, "UpdateRateHz", Form::kInteger),
    SETUP_KEY(DnCvtSetupRecord, CifTuningMode, "CifTuningMode", Form::kInteger).NotRead(),
    SETUP_KEY(DnCvtSetupRecord, AutoInvertSpectrallyInvertedRF, "AutoInvertSpectrallyInvertedRF", Form::kYesNo),
};

}  // namespace

std::span<const KeySpec> DownConverterKeys() { return kDownConverterKeys; }

std::string DownConverterSectionName(int converter) {
  return "DownConvert Data " + std::to_string(converter + 1) + " ";
}

void WriteDownConverterSection(SectionWriter& out, const std::string& section, const DnCvtSetupRecord& setup) {
  out.WriteKeys(section, kDownConverterKeys, BytesOf(setup));
}

void ReadDownConverterSection(SectionReader& in, const std::string& section, DnCvtSetupRecord& setup) {
  in.ReadKeys(section, kDownConverterKeys, BytesOf(setup));
  setup.UserAgcSlopeMode = 1;
  setup.AgcOutputSlopeSelected = kUserAgcOutputSlope;
  // The system option decides the tuning mode, whatever the file says.
  setup.CifTuningMode = in.Options().UseDirectCifTuningMode ? 1 : 0;
}

}  // namespace settings::setupfile
