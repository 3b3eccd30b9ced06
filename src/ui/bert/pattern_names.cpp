#include "ui/bert/pattern_names.h"

#include <array>
#include <utility>

#include "util/number_text.h"

namespace ui {
namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 7> kPatternNames{{
    {"allZeros", "ZERO'S"},
    {"allOnes", "ONE'S"},
    {"alternatingOneZero", "ONE ZERO"},
    {"pn11", "PRN-11"},
    {"pn15", "PRN-15"},
    {"pn17", "PRN-17"},
    {kUserPatternName, "USER"},
}};

}  // namespace

std::string BertPatternDisplayName(std::string_view cardName) {
  for (const auto& [name, shown] : kPatternNames) {
    if (cardName == name) return std::string(shown);
  }
  return util::TrimText(cardName);
}

bool IsKnownBertPattern(std::string_view cardName) {
  for (const auto& entry : kPatternNames) {
    if (cardName == entry.first) return true;
  }
  return false;
}

}  // namespace ui
