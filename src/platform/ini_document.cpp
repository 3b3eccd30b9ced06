#include "platform/ini_document.h"

#include <algorithm>
#include <utility>

namespace platform {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// ASCII only: the bytes of other encodings must compare as they are, whatever the locale.
std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// The name of a section header line, or nullopt when the line is not a header.
std::optional<std::string_view> HeaderName(std::string_view content) {
  const std::string_view body = Trim(content);
  if (body.empty() || body.front() != '[') return std::nullopt;
  const std::size_t close = body.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(body.substr(1, close - 1));
}

}  // namespace

IniDocument IniDocument::Parse(std::string_view bytes) {
  IniDocument doc;
  doc.sections_.emplace_back();  // the lines in front of the first header
  bool first_line = true;
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    std::string_view text = bytes.substr(0, end);
    bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);

    std::string_view content = text;
    if (first_line && content.starts_with(kByteOrderMark)) content.remove_prefix(kByteOrderMark.size());
    first_line = false;

    if (const auto name = HeaderName(content)) {
      Section section;
      section.has_header = true;
      section.header = std::string(text);
      section.name = LowerAscii(*name);
      doc.sections_.push_back(std::move(section));
      continue;
    }

    Line line;
    line.text = std::string(text);
    const std::string_view body = Trim(content);
    const std::size_t eq = body.find('=');
    if (body.empty()) {
      line.kind = LineKind::kBlank;
    } else if (body.front() == ';') {
      line.kind = LineKind::kComment;
    } else if (doc.sections_.back().has_header && body.front() != '[' && eq != std::string_view::npos &&
               !Trim(body.substr(0, eq)).empty()) {
      line.kind = LineKind::kKey;
      line.key = LowerAscii(Trim(body.substr(0, eq)));
    }
    doc.sections_.back().lines.push_back(std::move(line));
  }
  if (!doc.sections_.front().has_header && doc.sections_.front().lines.empty()) {
    doc.sections_.erase(doc.sections_.begin());
  }
  return doc;
}

const IniDocument::Section* IniDocument::FindSection(std::string_view lower_name) const {
  if (lower_name.empty()) return nullptr;
  for (const Section& section : sections_) {
    if (section.has_header && section.name == lower_name) return &section;
  }
  return nullptr;
}

IniDocument::Section* IniDocument::FindSection(std::string_view lower_name) {
  return const_cast<Section*>(std::as_const(*this).FindSection(lower_name));
}

std::optional<std::string_view> IniDocument::Find(std::string_view section, std::string_view key) const {
  const std::string lower_key = LowerAscii(Trim(key));
  if (lower_key.empty()) return std::nullopt;
  const Section* found = FindSection(LowerAscii(Trim(section)));
  if (found == nullptr) return std::nullopt;
  for (const Line& line : found->lines) {
    if (line.kind != LineKind::kKey || line.key != lower_key) continue;
    std::string_view value = Trim(std::string_view(line.text).substr(line.text.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    return value;
  }
  return std::nullopt;
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  const std::string_view section_name = Trim(section);
  const std::string_view key_name = Trim(key);
  std::string lower_key = LowerAscii(key_name);

  std::string text;
  text.reserve(key_name.size() + 1 + value.size());
  text.append(key_name).append(1, '=').append(value);

  Section* target = FindSection(LowerAscii(section_name));
  if (target == nullptr) {
    Section added;
    added.has_header = true;
    added.header.reserve(section_name.size() + 2);
    added.header.append(1, '[').append(section_name).append(1, ']');
    added.name = LowerAscii(section_name);
    added.lines.push_back(Line{std::move(text), LineKind::kKey, std::move(lower_key)});
    sections_.push_back(std::move(added));
    return;
  }

  for (Line& line : target->lines) {
    if (line.kind == LineKind::kKey && line.key == lower_key) {
      line.text = std::move(text);
      return;
    }
  }
  auto insert_at = target->lines.end();
  while (insert_at != target->lines.begin()) {
    const LineKind kind = std::prev(insert_at)->kind;
    if (kind != LineKind::kBlank && kind != LineKind::kComment) break;
    --insert_at;
  }
  target->lines.insert(insert_at, Line{std::move(text), LineKind::kKey, std::move(lower_key)});
}

std::string IniDocument::Serialize() const {
  std::size_t size = 0;
  for (const Section& section : sections_) {
    if (section.has_header) size += section.header.size() + 2;
    for (const Line& line : section.lines) size += line.text.size() + 2;
  }
  std::string bytes;
  bytes.reserve(size);
  for (const Section& section : sections_) {
    if (section.has_header) bytes.append(section.header).append("\r\n");
    for (const Line& line : section.lines) bytes.append(line.text).append("\r\n");
  }
  return bytes;
}

}  // namespace platform
