#pragma once
// INI ("private profile") files with the semantics the Windows profile API gave the program:
// section and key names match case-insensitively after trimming blanks, values are trimmed and
// one pair of surrounding quotes is stripped on read, comments and unknown lines are kept, a new
// key goes to the end of its section and a new section to the end of the file. Files are read
// with CRLF or LF line ends and written with CRLF, as bytes.
//
// Parsed files are cached per path and reloaded when the file changes on disk. Every write
// reaches the disk as a whole new file (temporary file, fsync, rename), so the file on disk is at
// every moment either the old or the new whole file. A ProfileBatch defers the disk write of one
// file to the end of its scope; the bytes written are the same as key-by-key writing gives.
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

}  // namespace platform
