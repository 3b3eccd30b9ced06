#pragma once
// The flight record: one comma-separated text file per card, "FltData.Kr20_<card + 1>" in the
// archive folder made when recording starts. Three header lines, then one data line per record
// tick with the chosen columns of channel 1 and channel 2 and, when a channel asks for it, its
// nine setup values. Every line ends with CR LF (bytes 13 10).
//
// Field rule: an empty field text becomes " "; the text is padded with blanks, or cut, to its
// column width and followed by ", "; a line is its fields without the final ", ". A number is
// never cut into what stands before its decimal point: a fixed-point number (at most 16
// characters) and the time lose decimals only, so a value too wide for its column is written with
// all its integer digits and widens that column on its line; a number in exponent notation is
// never cut (its exponent would go).
//
// The AGC time constant, kept in milliseconds like the converter's table, is written in seconds
// with five decimals, as its "Secs" header says.
//
// The line builders below do no file work; kr20setmgrclass::StartFlightRecord,
// WriteFlightRecordLines and StopFlightRecord (flight_record.cpp) own the files.
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "config/options_record.h"
#include "settings/set_manager.h"

namespace settings {

using FlightRecordColumnTable =
    config::flightrecordparamoptions[config::kFlightRecordChannels][config::kFlightRecordColumns];

inline constexpr std::string_view kFlightRecordLineEnd = "\r\n";
// Written in a BER column while the BERT is not locked.
inline constexpr std::string_view kBerPlaceholder = "-------";

// Header line `line` (0, 1 or 2) of card `card` (0 .. 5). On the first line of every card but
// the first, each "1" of a column header becomes the card's first channel number (2 x card + 1)
// and each "2" its second (2 x card + 2), written whole ("Ch2" of card 5 reads "Ch10"); the
// replacement is made before the header is fitted to its column, so the columns stay aligned.
std::string FlightRecordHeaderLine(const FlightRecordColumnTable& columns, int card, int line);

// One data line of a card: its values left by the status tasks, the time column from `seconds`
// (the master timer's time) as "ddd:hh:mm:ss.ssssss".
std::string FlightRecordDataLine(const FlightRecordColumnTable& columns, const flightrecordinfo& record,
                                 double seconds);

// Opens one file per record, named by `fileNameOf`(index), emptied, and writes its three header
// lines. A file that cannot be opened logs the warning "CANNOT OPEN FILE <name>  Check
// permissions" (the card index as the number) and closes the files already opened: false, and
// every record closed.
bool OpenFlightRecordFiles(std::span<flightrecordinfo> records, const FlightRecordColumnTable& columns,
                           const std::function<std::string(int)>& fileNameOf);

// Writes the line and its CR LF and flushes it, so that a crash of the program loses nothing
// already written. The first failed write of a file logs "CANNOT WRITE FILE <name>" (the card
// index as the number); later failures of that file stay quiet. False on failure.
bool WriteFlightRecordLine(flightrecordinfo& record, int card, std::string_view line);

// Closes the file when open and forgets its name.
void CloseFlightRecordFile(flightrecordinfo& record, int card);

}  // namespace settings
