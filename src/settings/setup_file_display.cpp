// The display and baseband sections of a card setup file: three FFT displays, two IQ displays
// and the baseband DAC sources.
#include <string>

#include "settings/setup_file_sections.h"

namespace settings::setupfile {

namespace {

using card::BasebandSourceRecord;
using card::FftRecord;
using card::IqRecord;

constexpr KeySpec kFftKeys[] = {
    SETUP_KEY(FftRecord, CenterFreqMhz, "CenterFreqMhz", Form::kDecimal),
    SETUP_KEY(FftRecord, SpanMhz, "SpanMhz", Form::kDecimal),
    SETUP_KEY(FftRecord, DisplayMode, "DisplayMode", Form::kText),
    SETUP_KEY(FftRecord, WindowType, "WindowType", Form::kText),
    SETUP_KEY(FftRecord, NumFftAverages, "NumFftAverages", Form::kInteger),
    SETUP_KEY(FftRecord, UpdateRateHz, "UpdateRateHz", Form::kInteger),
    SETUP_KEY(FftRecord, DbPerDiv, "DbPerDiv", Form::kDecimal),
    SETUP_KEY(FftRecord, RefLevelPct, "RefLevelPct", Form::kDecimal),
    SETUP_KEY(FftRecord, PeakFilterPct, "PeakFilterPct", Form::kDecimal),
    SETUP_KEY(FftRecord, NumBwAverages, "NumBwAverages", Form::kInteger),
};

constexpr KeySpec kIqKeys[] = {
    SETUP_KEY(IqRecord, NumDataPoints, "NumDataPoints", Form::kInteger),
    SETUP_KEY(IqRecord, UpdateRateHz, "UpdateRateHz", Form::kInteger),
};

constexpr KeySpec kBasebandKeys[] = {
    SETUP_KEY(BasebandSourceRecord, BB1DacSource, "BB1DacSource", Form::kInteger),
    SETUP_KEY(BasebandSourceRecord, BB2DacSource, "BB2DacSource", Form::kInteger),
};

}  // namespace

std::span<const KeySpec> FftKeys() { return kFftKeys; }
std::span<const KeySpec> IqKeys() { return kIqKeys; }
std::span<const KeySpec> BasebandKeys() { return kBasebandKeys; }

std::string FftSectionName(int fft) { return "FFT Data " + std::to_string(fft); }
std::string IqSectionName(int iq) { return "IQ Data " + std::to_string(iq); }

void WriteFftSection(SectionWriter& out, const std::string& section, const FftRecord& fft) {
  out.WriteKeys(section, kFftKeys, BytesOf(fft));
}

void ReadFftSection(SectionReader& in, const std::string& section, FftRecord& fft) {
  in.ReadKeys(section, kFftKeys, BytesOf(fft));
}

void WriteIqSection(SectionWriter& out, const std::string& section, const IqRecord& iq) {
  out.WriteKeys(section, kIqKeys, BytesOf(iq));
}

void ReadIqSection(SectionReader& in, const std::string& section, IqRecord& iq) {
  in.ReadKeys(section, kIqKeys, BytesOf(iq));
}

void WriteBasebandSection(SectionWriter& out, const std::string& section, const BasebandSourceRecord& sources) {
  out.WriteKeys(section, kBasebandKeys, BytesOf(sources));
}

void ReadBasebandSection(SectionReader& in, const std::string& section, BasebandSourceRecord& sources) {
  in.ReadKeys(section, kBasebandKeys, BytesOf(sources));
}

}  // namespace settings::setupfile
