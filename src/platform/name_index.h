#pragma once
// Finds INI names (section and key names) ignoring ASCII letter case, for a reader that looks up
// every key of a file: an open-addressing table of hashes that refers to entries the caller keeps
// (sections, lines), so adding a name allocates nothing per name and a lookup is about one probe.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace platform {

// Equal up to ASCII letter case; other bytes compare as they are, whatever the locale.
bool SameNameIgnoringCase(std::string_view a, std::string_view b);

class NameIndex {
 public:
  static constexpr std::uint32_t kNone = UINT32_MAX;

  // The entry added under a name equal to `name`, or kNone. `name_of(entry)` gives an entry's name.
  template <class NameOf>
  std::uint32_t Find(std::string_view name, const NameOf& name_of) const {
    if (entries_.empty()) return kNone;
    const std::uint64_t hash = Hash(name);
    const std::size_t mask = entries_.size() - 1;
    for (std::size_t slot = hash & mask; entries_[slot] != kNone; slot = (slot + 1) & mask) {
      if (hashes_[slot] == hash && SameNameIgnoringCase(name_of(entries_[slot]), name)) return entries_[slot];
    }
    return kNone;
  }

  // Adds `entry` under `name`; the caller has checked that the name is not there yet.
  void Add(std::string_view name, std::uint32_t entry);

 private:
  static std::uint64_t Hash(std::string_view name);
  void Grow();

  std::vector<std::uint64_t> hashes_;
  std::vector<std::uint32_t> entries_;  // kNone: a free slot; the size is a power of two
  std::size_t count_ = 0;
};

}  // namespace platform
