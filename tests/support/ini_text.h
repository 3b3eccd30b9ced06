// A key's value in the text of an INI file as the program wrote it, for tests that check a file's
// content without reading it through the program's own reader.
#pragma once

#include <string>

namespace testsupport {

// The value of `key` in `[section]`, "<none>" when the section or the key is not there.
inline std::string IniTextValue(const std::string& text, const std::string& section, const std::string& key) {
  const std::size_t start = text.find("[" + section + "]");
  if (start == std::string::npos) return "<none>";
  const std::string body = text.substr(start, text.find("\n[", start) - start);
  std::size_t at = body.find("\n" + key + "=");
  if (at == std::string::npos) return "<none>";
  at += key.size() + 2;
  return body.substr(at, body.find_first_of("\r\n", at) - at);
}

}  // namespace testsupport
