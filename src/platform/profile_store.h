#pragma once
// INI ("private profile") files with the semantics the Windows profile API gave the program:
// section and key names match case-insensitively after trimming blanks, values are trimmed and
// one pair of surrounding quotes is stripped on read, comments and unknown lines are kept, a new
// key goes to the end of its section and a new section to the end of the file. Files are read
// with CRLF, LF or lone CR line ends and written with CRLF, as bytes. Only regular files up to
// kProfileFileLimit (8 MiB, profile_file.h) are read; any other file is refused with one log line
// (through ReportDiagnostic) naming it and the reason, reads then give the fallback and writes
// fail, so nothing replaces a file that could not be read.
//
// Parsed files are cached per path. Outside any scope every access compares the file on disk
// with the parsed one and reloads it when it changed. Every write reaches the disk as a whole
// new file (temporary file, fsync, rename), so the file on disk is at every moment either the old
// or the new whole file. A ProfileBatch defers the disk write of one file to the end of its
// scope; the bytes written are the same as key-by-key writing gives. Inside a ProfileBatch or a
// ProfileReadScope the file is compared with the disk once, at the first access, and the batch's
// write compares it again: a file read or written key by key is not looked up for every key.
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// The longest value a reader sees, as with the 1024-byte buffers of the profile API.
inline constexpr std::size_t kProfileValueCapacity = 1024;

// The value of the key, or `fallback` when the file, the section or the key is missing. A value
// is cut to capacity - 1 characters.
std::string ReadProfileString(const std::string& file, std::string_view section, std::string_view key,
                              std::string_view fallback, std::size_t capacity = kProfileValueCapacity);

// Writes "key=value" into the section, creating the file, the section or the key as needed
// (see IniDocument::Set for where new lines go). Empty section, key and value together only write
// out pending changes, inside a ProfileBatch too (a flush). False when the file cannot be written
// (nothing on disk changes then) or when the names or the value hold a line break, a section name
// holds ']' or a key holds '=' or a name is empty or blank.
bool WriteProfileString(const std::string& file, std::string_view section, std::string_view key,
                        std::string_view value);

// Defers the disk writes to `file` until Commit() or the end of the scope. Scopes on one file
// nest; the outermost one writes. Reads inside the scope see the pending values. The deferral is
// per file, not per thread: other threads' writes to the file wait for the scope's end as well.
class ProfileBatch {
 public:
  explicit ProfileBatch(std::string file);
  ~ProfileBatch();
  ProfileBatch(const ProfileBatch&) = delete;
  ProfileBatch& operator=(const ProfileBatch&) = delete;

  // Ends the scope now and writes the file when this is the outermost scope and anything
  // changed. True when the file on disk holds every write made inside the scope; an inner scope
  // answers true (its writes go out with the outermost one). Calling it again returns the first
  // answer.
  bool Commit();

 private:
  std::string file_;
  bool open_ = true;
  bool committed_ = true;
};

// Reads of `file` inside the scope trust the parsed file after its first access: the file on disk
// is checked once for the scope instead of once per key. Use it around reading a whole file.
// Scopes nest (with each other and with ProfileBatch) and are per file, not per thread: other
// threads' reads of the file inside the scope are not checked either. Writes outside a batch
// still check the disk first.
class ProfileReadScope {
 public:
  explicit ProfileReadScope(const std::string& file);
  ~ProfileReadScope();
  ProfileReadScope(const ProfileReadScope&) = delete;
  ProfileReadScope& operator=(const ProfileReadScope&) = delete;

 private:
  std::string file_;
};

}  // namespace platform
