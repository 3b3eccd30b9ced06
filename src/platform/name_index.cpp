#include "platform/name_index.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace platform {
namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  if (a == b) return true;  // the usual case: the writer's own spelling
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// Names equal up to ASCII case must hash alike. Setting bit 5 of every byte does that (it maps
// 'A'..'Z' onto 'a'..'z' and merely lets a few other bytes collide), eight bytes at a time.
std::uint64_t NameIndex::Hash(std::string_view name) {
  constexpr std::uint64_t kFold = 0x2020202020202020ull;
  constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
  std::uint64_t hash = name.size() * kMultiplier;
  const auto mix = [&hash](std::uint64_t word) {
    hash = (hash ^ (word | kFold)) * kMultiplier;
    hash ^= hash >> 29;
  };
  for (; name.size() >= 8; name.remove_prefix(8)) {
    std::uint64_t word = 0;
    std::memcpy(&word, name.data(), 8);
    mix(word);
  }
  if (!name.empty()) {
    std::uint64_t word = 0;
    for (std::size_t i = 0; i < name.size(); ++i) word |= std::uint64_t{static_cast<unsigned char>(name[i])} << (8 * i);
    mix(word);
  }
  return hash ^ (hash >> 32);
}

void NameIndex::Add(std::string_view name, std::uint32_t entry) {
  if ((count_ + 1) * 2 > entries_.size()) Grow();
  const std::uint64_t hash = Hash(name);
  const std::size_t mask = entries_.size() - 1;
  std::size_t slot = hash & mask;
  while (entries_[slot] != kNone) slot = (slot + 1) & mask;
  hashes_[slot] = hash;
  entries_[slot] = entry;
  ++count_;
}

void NameIndex::Grow() {
  std::vector<std::uint64_t> hashes(std::max<std::size_t>(16, entries_.size() * 2));
  std::vector<std::uint32_t> entries(hashes.size(), kNone);
  const std::size_t mask = entries.size() - 1;
  for (std::size_t old = 0; old < entries_.size(); ++old) {
    if (entries_[old] == kNone) continue;
    std::size_t slot = hashes_[old] & mask;
    while (entries[slot] != kNone) slot = (slot + 1) & mask;
    hashes[slot] = hashes_[old];
    entries[slot] = entries_[old];
  }
  hashes_ = std::move(hashes);
  entries_ = std::move(entries);
}

}  // namespace platform
