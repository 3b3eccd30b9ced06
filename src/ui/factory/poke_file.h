#pragma once
// Poke files ("*.poke"): one register and value a line, separated by a tab or a blank, both in
// hexadecimal or both in decimal (the window's "Hex" box says which). A line is read with a
// buffer of 80 characters: a longer line does not parse. Reading stops at the end of the file, at
// an empty text (after up to 100 empty lines in a row have been passed over), at the first line
// that does not parse, or after 4096 pairs. The register is taken modulo 65536. Qt-free.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace factory {

inline constexpr int kMaxPokePairs = 4096;
inline constexpr int kPokeLineBuffer = 80;
inline constexpr const char* kPokeFileExtension = "poke";
inline constexpr const char* kDefaultPokeFileName = "UserPokeList.poke";

struct PokePair {
  std::uint32_t Register = 0;
  std::uint32_t Value = 0;
  bool operator==(const PokePair&) const = default;
};

// The register text before the first tab, else before the first blank; the value is the rest
// after that one separator. True with both numbers in `radix` (the register modulo 65536).
bool ParsePokeLine(std::string_view line, int radix, std::uint32_t& reg, std::uint32_t& value);

// The longest poke file read: 4096 pairs of full-length lines fit many times over.
inline constexpr std::size_t kMaxPokeFileBytes = std::size_t{1} << 20;

struct PokeFileRead {
  std::vector<PokePair> pairs;  // in file order
  std::string why;              // why the file was not read at all, for the log; empty when it was
};

// The pairs of the file; none when its first line does not parse, or when the file is not read at
// all: missing, unreadable, not a regular file (a FIFO or a device would hold the interface
// thread: waiting for a writer, or reading for ever) or larger than kMaxPokeFileBytes.
PokeFileRead ReadPokeFile(const std::string& path, int radix);

// The register lies among the FPGA's 4096 registers.
bool PokeRegisterInRange(std::uint32_t reg);
// One listing line: "0x" + 4 hexadecimal digits of the register, four blanks, "0x" + 8 digits of
// the value, or both in decimal; a register outside the FPGA ends with kNotPokedNote.
std::string PokeListingLine(const PokePair& pair, bool hex);
inline constexpr const char* kNotPokedNote = "    NOT POKED: NO SUCH REGISTER";

}  // namespace factory
