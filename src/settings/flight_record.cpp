// The flight-record writer: the line builders and the set manager's start, write and stop. The
// master timer calls WriteFlightRecordLines on the user-interface thread; the recording flag is
// the only state shared with other threads (a remote command may switch it).
#include "settings/flight_record.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <limits>
#include <thread>
#include <utility>

#include "card/card_routines.h"
#include "card/rtl20_manager.h"
#include "config/general_routines.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "util/error_log.h"
#include "util/number_text.h"

namespace settings {
namespace {

// A fixed-point value is kept to this many characters (by its decimals only).
constexpr int kFixedNumberLength = 16;

std::size_t At(int i) { return static_cast<std::size_t>(i); }

// A field's text and whether it is a number (never cut by the field rule) or a text (cut to the
// column).
struct FieldText {
  std::string Text;
  bool Number = true;
};

// The field rule: an empty text becomes " ", a text is cut or padded to the column, a number
// only padded (it was cut to its column beforehand, as far as it may be); then the separator.
void AppendField(std::string& line, const FieldText& field, int width) {
  if (field.Number && static_cast<int>(field.Text.size()) >= width) {
    line += field.Text;
  } else {
    line += util::PadRightText(width, ' ', field.Text.empty() ? std::string_view(" ") : field.Text);
  }
  line += ", ";
}

// A number's text cut to `limit` characters like any field, but never into what stands before
// its decimal point (for the time: days, hours, minutes and whole seconds). A value too wide for
// its column loses decimals only and widens the column on that line.
std::string CutKeepingIntegerPart(std::string text, int limit) {
  const std::size_t integerEnd = std::min(text.find('.'), text.size());
  const std::size_t keep = std::max(static_cast<std::size_t>(std::max(limit, 0)), integerEnd);
  if (text.size() > keep) text.resize(keep);
  return text;
}

// The value with `decimals` decimals in at most 16 characters and at most the column's width.
std::string FixedNumberText(int decimals, double value, int width) {
  return CutKeepingIntegerPart(util::FloatToFixedText(std::numeric_limits<int>::max(), decimals, value),
                               std::min(kFixedNumberLength, width));
}

constexpr double kSecondsPerMillisecond = 0.001;

// The nine setup fields a channel can add: their headers, widths and decimals (kText: a name).
constexpr int kText = -1;
struct SetupField {
  std::array<std::string_view, config::kFlightRecordHeaderLines> Header;
  int Width;
  int Decimals;
};
constexpr std::array<SetupField, 9> kSetupFields{{
    {{"Tuned", "Freq", "MHz"}, 9, 2},
    {{"SAW", "IF BW", "kHz"}, 9, 3},
    // In seconds, as headed (the converter's table is in milliseconds); five decimals keep 0.01 ms.
    {{"AGC", "TC", "Secs"}, 9, 5},
    {{"PCM", "Input", "Code"}, 12, kText},
    {{"Bit", "Rate", "MBps"}, 12, 4},
    {{"Demod", "Type", ""}, 12, kText},
    {{"IF", "Input", "Source"}, 12, kText},
    {{"Peak", "Dev", "Index"}, 9, 2},
    {{"Peak Dec", "Index", "Delta"}, 9, 2},
}};

// A setup value in the order of kSetupFields: a number, or a name for the kText fields.
struct SetupValue {
  double Number = 0.0;
  std::string_view Text;
};
std::array<SetupValue, kSetupFields.size()> SetupValues(const flightrecordparaminfo& p) {
  return {{{p.TunedFreqMhz, {}},
           {p.IfBandwidthKhz, {}},
           {p.AgcTimeConstMsecs * kSecondsPerMillisecond, {}},
           {0.0, p.PcmInputCode},
           {p.BitRateMbps, {}},
           {0.0, p.DemodType},
           {0.0, p.InputSource},
           {p.PeakDeviation, {}},
           {p.PeakDeviationSpread, {}}}};
}

// Each "1" and "2" of the text replaced by the card's channel numbers, counted from 1.
std::string WithCardChannelNumbers(std::string_view text, int card) {
  const std::string first = std::to_string(2 * card + 1);
  const std::string second = std::to_string(2 * card + 2);
  std::string out;
  for (const char c : text) {
    if (c == '1') {
      out += first;
    } else if (c == '2') {
      out += second;
    } else {
      out += c;
    }
  }
  return out;
}

std::string HeaderText(const config::flightrecordparamoptions& column, int line) {
  const config::FlightRecordHeaderText& text = column.HeaderText[At(line)];
  return std::string(text, ::strnlen(text, sizeof text));
}

// The column's value of one channel as the data line writes it.
FieldText ColumnValue(const config::flightrecordparamoptions& column, int index,
                            const flightrecordparaminfo& p, double seconds) {
  double value = 0.0;
  switch (index) {
    case config::kFltColTime: return {CutKeepingIntegerPart(util::FormatElapsedTime(seconds), column.Width)};
    case config::kFltColBer:
      if (p.BerValid != 0) return {util::FloatToExpText(2, 9, p.Ber)};
      return {std::string(kBerPlaceholder), false};
    case config::kFltColRssi: value = p.Rssi; break;
    case config::kFltColIfCarrierPower: value = p.IfCarrierPowerDbm; break;
    case config::kFltColIfCarrierFreq: value = p.IfCarrierFreqHz; break;
    case config::kFltColDeviation: value = p.Deviation; break;
    case config::kFltColEbNo: value = p.EbNoDb; break;
    case config::kFltColBitSyncLock: value = p.BitSyncLock != 0 ? 1.0 : 0.0; break;
    default: return {};
  }
  return {column.Scientific != 0 ? util::FloatToExpText(column.Decimals, column.Width, value)
                                 : FixedNumberText(column.Decimals, value, column.Width)};
}

// Drops the final ", " of a line.
std::string WithoutLastSeparator(std::string line) {
  line.resize(line.size() >= 2 ? line.size() - 2 : 0);
  return line;
}

const FlightRecordColumnTable& CurrentColumns() {
  static const FlightRecordColumnTable kNoColumns{};
  return config::gApp.Options != nullptr ? config::gApp.Options->Info().FlightRecordParamOptions : kNoColumns;
}

}  // namespace

std::string FlightRecordHeaderLine(const FlightRecordColumnTable& columns, int card, int line) {
  if (line < 0 || line >= config::kFlightRecordHeaderLines) return {};
  std::string text;
  for (int channel = 0; channel < config::kFlightRecordChannels; ++channel) {
    for (const config::flightrecordparamoptions& column : columns[channel]) {
      if (column.Enabled == 0) continue;
      std::string header = HeaderText(column, line);
      if (line == 0 && card > 0) header = WithCardChannelNumbers(header, card);
      AppendField(text, {header, false}, column.Width);
    }
    if (columns[channel][0].IncludeSetup != 0) {
      for (const SetupField& field : kSetupFields) {
        AppendField(text, {std::string(field.Header[At(line)]), false}, field.Width);
      }
      text += ", ";
    }
  }
  return WithoutLastSeparator(std::move(text));
}

std::string FlightRecordDataLine(const FlightRecordColumnTable& columns, const flightrecordinfo& record,
                                 double seconds) {
  std::string text;
  for (int channel = 0; channel < config::kFlightRecordChannels; ++channel) {
    const flightrecordparaminfo& p = record.Params[At(channel)];
    for (int index = 0; index < config::kFlightRecordColumns; ++index) {
      const config::flightrecordparamoptions& column = columns[channel][index];
      if (column.Enabled == 0) continue;
      AppendField(text, ColumnValue(column, index, p, seconds), column.Width);
    }
    if (columns[channel][0].IncludeSetup != 0) {
      const auto values = SetupValues(p);
      for (std::size_t i = 0; i < kSetupFields.size(); ++i) {
        const SetupField& field = kSetupFields[i];
        const FieldText value = field.Decimals == kText
                                    ? FieldText{std::string(values[i].Text), false}
                                    : FieldText{FixedNumberText(field.Decimals, values[i].Number, field.Width)};
        AppendField(text, value, field.Width);
      }
      text += ", ";
    }
  }
  return WithoutLastSeparator(std::move(text));
}

bool OpenFlightRecordFiles(std::span<flightrecordinfo> records, const FlightRecordColumnTable& columns,
                           const std::function<std::string(int)>& fileNameOf) {
  for (std::size_t i = 0; i < records.size(); ++i) {
    const int card = static_cast<int>(i);
    flightrecordinfo& record = records[i];
    CloseFlightRecordFile(record, card);
    const std::string name = fileNameOf(card);
    // Binary, so that the line ends are exactly the bytes 13 10.
    std::FILE* file = name.empty() ? nullptr : std::fopen(name.c_str(), "wb+");
    if (file == nullptr) {
      util::LogWarning("CANNOT OPEN FILE " + name + "  Check permissions", card, false);
      // Recording stays off: the files of the earlier cards would never be written.
      for (std::size_t opened = 0; opened < i; ++opened) {
        CloseFlightRecordFile(records[opened], static_cast<int>(opened));
      }
      return false;
    }
    record.File = file;
    record.FileName = name;
    for (int line = 0; line < config::kFlightRecordHeaderLines; ++line) {
      WriteFlightRecordLine(record, card, FlightRecordHeaderLine(columns, card, line));
    }
  }
  return true;
}

bool WriteFlightRecordLine(flightrecordinfo& record, int card, std::string_view line) {
  if (record.File == nullptr) return false;
  // The stream's error mark stays set after a failure: only the first one is reported.
  const bool failedBefore = std::ferror(record.File) != 0;
  const bool written = std::fwrite(line.data(), 1, line.size(), record.File) == line.size() &&
                       std::fwrite(kFlightRecordLineEnd.data(), 1, kFlightRecordLineEnd.size(), record.File) ==
                           kFlightRecordLineEnd.size() &&
                       std::fflush(record.File) == 0;
  if (!written && !failedBefore) util::LogWarning("CANNOT WRITE FILE " + record.FileName, card, false);
  return written;
}

void CloseFlightRecordFile(flightrecordinfo& record, int card) {
  if (record.File != nullptr) {
    const bool failedBefore = std::ferror(record.File) != 0;
    if (std::fclose(record.File) != 0 && !failedBefore) {
      util::LogWarning("CANNOT WRITE FILE " + record.FileName, card, false);
    }
    record.File = nullptr;
  }
  record.FileName.clear();
}

}  // namespace settings

void kr20setmgrclass::StartFlightRecord() {
  const bool wasRecording = config::gApp.Recording.exchange(false);
  // Lets a line being written on another path end before its file is closed.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  StopFlightRecord();

  if (!config::CreateArchiveDir()) return;  // it reports the failure itself
  const std::span<settings::flightrecordinfo> records(FlightRecords.data(),
                                                      static_cast<std::size_t>(card::SystemCardCount()));
  if (!settings::OpenFlightRecordFiles(records, settings::CurrentColumns(), &config::GetFlightDataFileName)) {
    return;
  }
  config::gApp.Recording = wasRecording;
}

void kr20setmgrclass::WriteFlightRecordLines() {
  if (!config::gApp.Recording) return;
  const double seconds = config::gApp.MasterTimerCurrentTime;
  const int cards = card::SystemCardCount();
  for (int card = 0; card < cards; ++card) {
    settings::flightrecordinfo& record = FlightRecords[static_cast<std::size_t>(card)];
    if (record.File == nullptr) {
      StartFlightRecord();
      // A start that failed has switched recording off and said so: one failure is one try and
      // one report, never one per card and tick.
      if (!config::gApp.Recording) return;
      if (record.File == nullptr) continue;
    }
    const std::string line = settings::FlightRecordDataLine(settings::CurrentColumns(), record, seconds);
    settings::WriteFlightRecordLine(record, card, line);
  }
}

void kr20setmgrclass::StopFlightRecord() {
  config::gApp.Recording = false;
  for (int card = 0; card < settings::kCards; ++card) {
    settings::CloseFlightRecordFile(FlightRecords[static_cast<std::size_t>(card)], card);
  }
}
