#pragma once
// The operator's names of the BERT patterns the cards offer, shared by the receive-BERT and the
// test-modulator windows.
#include <string>
#include <string_view>

namespace ui {

inline constexpr std::string_view kUserPatternName = "userPattern";

// "ZERO'S", "ONE'S", "ONE ZERO", "PRN-11", "PRN-15", "PRN-17", "USER" for the seven known card
// names; any other name with its surrounding blanks removed.
std::string BertPatternDisplayName(std::string_view cardName);

// One of the seven names the windows offer in their pattern menus.
bool IsKnownBertPattern(std::string_view cardName);

}  // namespace ui
