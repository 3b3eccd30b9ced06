#pragma once
// Lines that would otherwise flood the error log: a report about a file that is read once per card
// or at several start-up steps, and a fault a periodic task meets at every pass. The first is
// written once per start (per log opened); the second once per key (a card and what it concerns)
// and cause, again only when the key's cause changes, its repeats counted and written at
// shut-down as
//   <key>: <n> more times "<text>", not logged
#include <string>

namespace util {

// Writes the line unless the same text went out this way since the log was opened. True when it
// was written.
bool WriteErrorLogLineOnce(const std::string& text, int number);

// Whether the line of a periodic task is due: the first time for `key`, and whenever `cause`
// differs from the cause last written for it; otherwise the repeat is counted. `text` is the line
// the count names.
bool RepeatableLineDue(const std::string& key, const std::string& cause, const std::string& text);

// Writes the count line of every key with repeats not logged, in key order, and starts counting
// anew. Called at shut-down.
void WriteRepeatedLineCounts();

// Forgets every line and count (a new log was opened).
void ForgetRepeatedLines();

}  // namespace util
