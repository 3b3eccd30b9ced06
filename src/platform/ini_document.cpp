#include "platform/ini_document.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
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

// The trimmed name of a key line ("name=value").
std::string_view KeyName(std::string_view text) { return Trim(text.substr(0, text.find('='))); }

// The position of the first CR or LF, or the size. (find_first_of searches its set once per byte.)
std::size_t LineEnd(std::string_view bytes) {
  std::size_t end = 0;
  while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r') ++end;
  return end;
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
  // The lines in front of the first header: no name reaches them, and when there are none they
  // write nothing.
  doc.sections_.emplace_back();
  bool first_line = true;
  while (!bytes.empty()) {
    // CR LF, LF and a lone CR each end a line: files saved by old Mac editors have only CRs.
    const std::size_t end = LineEnd(bytes);
    const std::string_view text = bytes.substr(0, end);
    std::size_t next = end < bytes.size() ? end + 1 : end;
    if (end < bytes.size() && bytes[end] == '\r' && next < bytes.size() && bytes[next] == '\n') ++next;
    bytes.remove_prefix(next);

    std::string_view content = text;
    if (first_line && content.starts_with(kByteOrderMark)) content.remove_prefix(kByteOrderMark.size());
    first_line = false;

    if (const auto name = HeaderName(content)) {
      doc.AddSection(std::string(text), *name);
      continue;
    }

    Section& section = doc.sections_.back();
    LineKind kind = LineKind::kOther;
    const std::string_view body = Trim(content);
    const std::size_t eq = body.find('=');
    if (body.empty()) {
      kind = LineKind::kBlank;
    } else if (body.front() == ';') {
      kind = LineKind::kComment;
    } else if (section.has_header && body.front() != '[' && eq != std::string_view::npos) {
      const std::string_view key = Trim(body.substr(0, eq));
      if (!key.empty()) {
        kind = LineKind::kKey;
        const auto line = static_cast<std::uint32_t>(section.lines.size());
        if (FindKey(section, key) == NameIndex::kNone) section.keys.Add(key, line);
      }
    }
    section.lines.push_back(Line{std::string(text), kind});
  }
  return doc;
}

void IniDocument::AddSection(std::string header, std::string_view name) {
  const auto index = static_cast<std::uint32_t>(sections_.size());
  if (!name.empty() && FindSection(name) == nullptr) section_index_.Add(name, index);
  Section section;
  section.has_header = true;
  section.header = std::move(header);
  section.name = std::string(name);
  sections_.push_back(std::move(section));
}

const IniDocument::Section* IniDocument::FindSection(std::string_view trimmed_name) const {
  if (trimmed_name.empty()) return nullptr;
  const auto name_of = [this](std::uint32_t index) -> std::string_view { return sections_[index].name; };
  const std::uint32_t found = section_index_.Find(trimmed_name, name_of);
  return found == NameIndex::kNone ? nullptr : &sections_[found];
}

IniDocument::Section* IniDocument::FindSection(std::string_view trimmed_name) {
  return const_cast<Section*>(std::as_const(*this).FindSection(trimmed_name));
}

std::uint32_t IniDocument::FindKey(const Section& section, std::string_view trimmed_name) {
  return section.keys.Find(trimmed_name, [&section](std::uint32_t line) { return KeyName(section.lines[line].text); });
}

std::optional<std::string_view> IniDocument::Find(std::string_view section, std::string_view key) const {
  const Section* found = FindSection(Trim(section));
  if (found == nullptr) return std::nullopt;
  const std::string_view name = Trim(key);
  if (name.empty()) return std::nullopt;
  const std::uint32_t line = FindKey(*found, name);
  if (line == NameIndex::kNone) return std::nullopt;
  const std::string& text = found->lines[line].text;
  std::string_view value = Trim(std::string_view(text).substr(text.find('=') + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  const std::string_view section_name = Trim(section);
  const std::string_view key_name = Trim(key);

  std::string text;
  text.reserve(key_name.size() + 1 + value.size());
  text.append(key_name).append(1, '=').append(value);

  Section* target = FindSection(section_name);
  if (target == nullptr) {
    std::string header;
    header.reserve(section_name.size() + 2);
    header.append(1, '[').append(section_name).append(1, ']');
    AddSection(std::move(header), section_name);
    target = &sections_.back();
  }
  if (const std::uint32_t line = FindKey(*target, key_name); line != NameIndex::kNone) {
    target->lines[line].text = std::move(text);
    return;
  }
  auto insert_at = target->lines.end();
  while (insert_at != target->lines.begin()) {
    const LineKind kind = std::prev(insert_at)->kind;
    if (kind != LineKind::kBlank && kind != LineKind::kComment) break;
    --insert_at;
  }
  target->keys.Add(key_name, static_cast<std::uint32_t>(insert_at - target->lines.begin()));
  target->lines.insert(insert_at, Line{std::move(text), LineKind::kKey});
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
