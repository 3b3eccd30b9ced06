#pragma once
// The parsed form of one INI file. Every line is kept as the bytes it had (without its line end),
// so that a rewrite changes only the lines a writer touched; the parse only classifies lines and
// groups them into sections.
//
// Line rules:
// - A line whose first non-blank character is '[' and that holds a ']' later is a section header;
//   the name is the text between '[' and the first ']', trimmed of blanks (spaces and tabs).
//   A header with an empty name starts a section nobody can address, so the keys under it do not
//   leak into the section above. A '[' line without ']' is an unknown line.
// - A line whose first non-blank character is ';' is a comment.
// - Inside a section, a line with '=' and a non-empty name before it is a key line.
// - Everything else (lines before the first header, lines without '=', junk) is an unknown line.
// A UTF-8 byte order mark in front of the first line is ignored for classifying it (and kept).
//
// Names match ASCII-case-insensitively after trimming blanks; the first matching section and the
// first matching key in it win.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/name_index.h"

namespace platform {

class IniDocument {
 public:
  // Splits into lines at CR LF, LF or a lone CR. Never fails: whatever cannot be classified is
  // kept as an unknown line.
  static IniDocument Parse(std::string_view bytes);

  // The value of the key as a reader sees it: the text after the first '=', trimmed of blanks,
  // with one pair of matching surrounding quotes ("..." or '...') removed. The view points into
  // the document and is valid until the next change. Empty names never match.
  std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;

  // Sets "key=value". The caller has checked the names (non-empty, no line breaks, no ']' in the
  // section, no '=' in the key). Names are written trimmed of blanks, in the caller's spelling.
  // - an existing key line is replaced in place;
  // - a new key goes after the last line of its section that is neither blank nor a comment (or
  //   right after the header), so blank lines and comments at the end of a section stay in front
  //   of the next header, where they usually belong;
  // - a new section is appended at the end of the document as "[section]" and "key=value".
  void Set(std::string_view section, std::string_view key, std::string_view value);

  // Every line followed by CR LF.
  std::string Serialize() const;

 private:
  enum class LineKind { kBlank, kComment, kKey, kOther };

  struct Line {
    std::string text;
    LineKind kind = LineKind::kOther;
  };

  struct Section {
    bool has_header = false;  // false only for the lines in front of the first header
    std::string header;       // the header line as read or written
    std::string name;         // trimmed; empty: not addressable
    std::vector<Line> lines;
    // The key lines by name. Set inserts a new key behind every key line, so indexes stay valid.
    NameIndex keys;
  };

  // A new header; an empty name starts a section nobody can address.
  void AddSection(std::string header, std::string_view name);
  Section* FindSection(std::string_view trimmed_name);
  const Section* FindSection(std::string_view trimmed_name) const;
  static std::uint32_t FindKey(const Section& section, std::string_view trimmed_name);

  std::vector<Section> sections_;
  NameIndex section_index_;
};

}  // namespace platform
